#!/usr/bin/env bash
# Measures one register read, run inside a device namespace with the stand-in
# (scripts/bench sets that up). Three comparisons, each with its ratio and
# the aim it is held to:
#  - wall time of `regrw 0 2` against the shell pipeline a user would write
#    without it (hyperfine, shell start-up subtracted for both);
#  - instructions per run against a minimal C program making the same system
#    calls (callgrind: repeatable where wall time is noisy);
#  - system calls of one run against the pipeline (strace -c -f).
# Usage: measure.sh REGRW REFERENCE
set -euo pipefail
regrw=$1 reference=$2
pipeline='dd if=/dev/test_registers bs=4 count=1 skip=2 iflag=skip_bytes status=none | od -An -tx4'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

missed=0
# verdict FIGURE VALUE OPERATOR AIM: prints whether VALUE meets the aim (the
# last word of AIM is its number).
verdict() {
    if awk -v r="$2" -v a="${4##* }" "BEGIN { exit !(r $3 a) }"; then echo "  aim ($1 $3 $4): met"
    else echo "  aim ($1 $3 $4): MISSED"; missed=1; fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

[ "$("$regrw" 0 2)" = "$("$reference" 0 2)" ] || { echo "regrw and the reference disagree" >&2; exit 1; }

echo "== wall time, hyperfine"
# /bin/true is the floor of starting any program at all here, which bounds
# what one run of regrw can gain on the pipeline's two; the reference adds
# the device's own cost to that floor.
hyperfine --style basic --warmup 50 --runs 1000 --export-json "$work/time.json" \
    -n regrw "$regrw 0 2" -n pipeline "$pipeline" -n floor /bin/true -n reference "$reference" \
    >"$work/time.log" 2>&1 || { cat "$work/time.log"; exit 1; }
mapfile -t us < <(sed -n 's/^ *"median": \([0-9.e-]*\),$/\1/p' "$work/time.json" |
                  awk '{ printf "%.1f\n", $1 * 1e6 }')
speedup=$(ratio "${us[1]}" "${us[0]}")
printf '  regrw 0 2:  %8s us per run (median)\n  pipeline:   %8s us\n  /bin/true:  %8s us\n  reference:  %8s us\n' "${us[@]}"
printf '  pipeline / regrw: %s (pipeline / /bin/true: %s)\n' "$speedup" "$(ratio "${us[1]}" "${us[2]}")"
verdict "pipeline / regrw" "$speedup" ">=" 3

echo "== instructions per run, callgrind"
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
i_regrw=$(instructions "$regrw" 0 2)
i_ref=$(instructions "$reference" 0 2)
i_ratio=$(ratio "$i_regrw" "$i_ref")
printf '  regrw 0 2:  %8d\n  reference:  %8d\n  regrw / reference: %s\n' "$i_regrw" "$i_ref" "$i_ratio"
verdict "regrw / reference" "$i_ratio" "<=" 1.05

echo "== system calls per run, strace -c -f"
syscalls() {
    strace -f -c -o "$work/strace" "$@" >/dev/null
    awk '$NF == "total" { print $(NF - 2) ~ /^[0-9]+$/ && NF == 6 ? $(NF - 2) : $(NF - 1) }' "$work/strace"
}
s_regrw=$(syscalls "$regrw" 0 2)
s_ref=$(syscalls "$reference" 0 2)
s_pipe=$(syscalls sh -c "$pipeline")
printf '  regrw 0 2:  %8d\n  reference:  %8d\n  pipeline:   %8d\n  pipeline / regrw: %s\n' \
    "$s_regrw" "$s_ref" "$s_pipe" "$(ratio "$s_pipe" "$s_regrw")"
verdict "regrw" "$s_regrw" "<" "pipeline's $s_pipe"
strace -f -c -o "$work/strace" "$regrw" 0 2 >/dev/null
sed 's/^/    /' "$work/strace"
((missed == 0)) && echo "all aims met" || echo "aims missed: see above"
