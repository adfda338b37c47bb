# SPDX-License-Identifier: MIT
# shellcheck shell=sh
# How the bench times programs against each other, on host and board.
# turns ROUNDS RUNS PROGRAM...: RUNS runs of "PROGRAM 0 2" a block, the
# blocks in turn, the order reversed every round so that drift falls on
# all alike: a line "ROUND PROGRAM SECONDS" a block, a run's seconds (by
# date's nanoseconds or, in busybox, the kernel's uptime).
# median A [OP B]: over the rounds of the turns on standard input, the
# median of A's time, or of A's time OP (/ or -) B's.
turns() {
    t_rounds=$1 t_runs=$2 t_round=0
    shift 2
    while [ "$t_round" -lt "$t_rounds" ]; do
        t_order=$*
        [ $((t_round % 2)) = 0 ] || { t_order=; for t_p; do t_order="$t_p $t_order"; done; }
        for t_p in $t_order; do
            t_start=$(turns_now) t_i=0
            while [ "$t_i" -lt "$t_runs" ]; do "$t_p" 0 2 >/dev/null; t_i=$((t_i + 1)); done
            awk -v r="$t_round" -v p="$t_p" -v a="$t_start" -v b="$(turns_now)" -v n="$t_runs" \
                'BEGIN { printf "%d %s %.9f\n", r, p, (b - a) / n }'
        done
        t_round=$((t_round + 1))
    done
}
turns_now() {
    case ${t_clock:=$(date +%N 2>/dev/null)} in
        '' | *[!0-9]*) t_clock=uptime; cut -d' ' -f1 /proc/uptime ;;
        *) date +%s.%N ;;
    esac
}
median() {
    awk -v a="$1" -v op="${2:-}" -v b="${3:-}" '$1 ~ /^[0-9]+$/ && NF == 3 { t[$1, $2] = $3; rounds[$1] }
        END { for (r in rounds) print op == "/" ? t[r, a] / t[r, b] : op == "-" ? t[r, a] - t[r, b] : t[r, a] }' |
        sort -g | awk '{ v[NR] = $1 } END { printf "%.9g\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
