#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# measure.sh all|instructions REGRW REFERENCE, measure.sh size TRIPLE REGRW
# REFERENCE [MAX-BYTES]: one register read against the floor, a C program
# making the same calls, in a device namespace with the stand-in:
#  - wall time, in turns (all): at most 1.05 times the reference's, the
#    median of the rounds' own, a round's programs side by side; with the
#    excess over it and the reference's over /bin/true;
#  - instructions per run (callgrind, repeatable): at most 1.05 times its;
#  - system calls per run (all): no more than its;
#  - size (size, anywhere): a standalone file, stripped, at most 1.25 times
#    the reference of its toolchain and C library, and MAX-BYTES if given.
set -uo pipefail
mode=$1 regrw=$2 reference=$3
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/../../tests/harness.sh}"

# aim FIGURE VALUE OPERATOR AIM: whether VALUE meets AIM's last word.
aim() {
    if awk -v r="$2" -v a="${4##* }" "BEGIN { exit !(r $3 a) }"; then tap_ok "aim ($1 $3 $4): met, at $2"
    else tap_not_ok "aim ($1 $3 $4): missed, at $2"; fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

if [ "$mode" = size ]; then
    triple=$2 regrw=$3 reference=$4 cap=${5:-}
    echo "# the standalone file's size, stripped ($triple)"
    stripped() { "$triple-strip" -o "$scratch/stripped" "$1" && stat -c %s "$scratch/stripped"; }
    s_regrw=$(stripped "$regrw") s_ref=$(stripped "$reference")
    printf '#   regrw %d bytes (%d as built), reference %d bytes: %s\n' \
        "$s_regrw" "$(stat -c %s "$regrw")" "$s_ref" "$(ratio "$s_regrw" "$s_ref")"
    [ -z "$cap" ] || aim "regrw" "$s_regrw" "<=" "$cap"
    aim "regrw / reference" "$(ratio "$s_regrw" "$s_ref")" "<=" 1.25
    finish
fi

same "regrw and the reference, the same line" "$(limited "$limit" "$regrw" 0 2)" "$(limited "$limit" "$reference" 0 2)"
# A run under valgrind may take 30 times a plain one's limit.
instructions() {
    limited $((limit * 30)) valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
i_regrw=$(instructions "$regrw" 0 2) i_ref=$(instructions "$reference" 0 2)
echo "# instructions per run, callgrind: regrw $i_regrw, reference $i_ref"
aim "regrw / reference" "$(ratio "$i_regrw" "$i_ref")" "<=" 1.05
[ "$mode" = all ] || finish

# turns ROUNDS RUNS PROGRAM...: blocks of RUNS runs of "PROGRAM 0 2" in turn,
# the order reversed every round so drift falls on all alike; a line "ROUND
# PROGRAM SECONDS" a block, a run's seconds.
turns() {
    local rounds=$1 runs=$2 round order p start i
    shift 2
    for ((round = 0; round < rounds; round++)); do
        order=("$@")
        ((round % 2 == 0)) || for ((i = 0; i < $#; i++)); do order[i]=${*:$# - i:1}; done
        for p in "${order[@]}"; do
            start=$(date +%s.%N)
            for ((i = 0; i < runs; i++)); do "$p" 0 2 >/dev/null; done
            awk -v r="$round" -v p="$p" -v a="$start" -v b="$(date +%s.%N)" -v n="$runs" 'BEGIN { printf "%d %s %.9f\n", r, p, (b - a) / n }'
        done
    done
}
# median A [OP B]: over the rounds of the turns on stdin, the median of A's
# time, or of A's time OP (/ or -) B's.
median() {
    awk -v a="$1" -v op="${2:-}" -v b="${3:-}" '{ t[$1, $2] = $3; rounds[$1] }
        END { for (r in rounds) print op == "/" ? t[r, a] / t[r, b] : op == "-" ? t[r, a] - t[r, b] : t[r, a] }' |
        sort -g | awk '{ v[NR] = $1 } END { printf "%.9g\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
rounds=10 runs=200
turns "$rounds" "$runs" "$regrw" "$reference" /bin/true >"$scratch/turns"
us() { median "$@" <"$scratch/turns" | awk '{ printf "%.0f", $1 * 1e6 }'; }
echo "# wall time, in turns ($rounds rounds of $runs runs each, the order reversed every round): medians of the" \
    "rounds, regrw $(us "$regrw") us, reference $(us "$reference") us, /bin/true $(us /bin/true) us; of the rounds'" \
    "differences, regrw over the reference $(us "$regrw" - "$reference") us, the reference over /bin/true" \
    "$(us "$reference" - /bin/true) us"
aim "regrw / reference, wall time" "$(median "$regrw" / "$reference" <"$scratch/turns" | awk '{ printf "%.3f", $1 }')" "<=" 1.05

syscalls() {
    limited "$limit" strace -f -c -o "$scratch/strace" "$@" >/dev/null
    awk '$NF == "total" { print $(NF - 2) ~ /^[0-9]+$/ && NF == 6 ? $(NF - 2) : $(NF - 1) }' "$scratch/strace"
}
s_regrw=$(syscalls "$regrw" 0 2) s_ref=$(syscalls "$reference" 0 2)
echo "# system calls per run, strace -c -f: regrw $s_regrw, reference $s_ref"
aim "regrw, system calls" "$s_regrw" "<=" "the reference's $s_ref"
finish
