#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures one register read, run inside a device namespace with the stand-in
# (scripts/bench and the bench-guard test set that up), against the floor: a
# minimal C program making the same system calls (the reference).
#  - wall time (hyperfine medians): regrw within 1.05 times the reference,
#    with its excess over /bin/true, the cost of starting any program at
#    all; the shell pipeline a user would write without it, for information;
#  - instructions per run (callgrind, repeatable where wall time is not):
#    at most 1.05 times the reference, dynamic builds; the static builds,
#    which the board runs, reported beside them;
#  - system calls per run (strace -c -f): fewer than the pipeline's.
#  - size (measure.sh size, anywhere): the standalone ARM file, stripped,
#    at most 32 KiB and at most 1.25 times the floor, the reference built
#    with the same toolchain and C library.
# Usage: measure.sh all REGRW REFERENCE REGRW-STATIC REFERENCE-STATIC
#        measure.sh instructions REGRW REFERENCE   (the aim on instructions only)
#        measure.sh size ARM-REGRW ARM-REFERENCE   (the aims on size only)
set -euo pipefail
mode=$1 regrw=$2 reference=$3 regrw_static=${4:-} reference_static=${5:-}
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

# closing: the suite's closing line, and its status.
closing() {
    if ((missed == 0)); then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
    exit 0
}

if [ "$mode" = size ]; then
    echo "== the standalone ARM file's size, stripped"
    stripped() { arm-linux-gnueabi-strip -o "$work/stripped" "$1" && stat -c %s "$work/stripped"; }
    s_regrw=$(stripped "$regrw")
    s_ref=$(stripped "$reference")
    printf '  regrw:      %6d bytes (%d as built)\n  reference:  %6d bytes\n  regrw / reference: %s\n' \
        "$s_regrw" "$(stat -c %s "$regrw")" "$s_ref" "$(ratio "$s_regrw" "$s_ref")"
    verdict "regrw" "$s_regrw" "<=" 32768
    verdict "regrw / reference" "$(ratio "$s_regrw" "$s_ref")" "<=" 1.25
    closing
fi

for program in "$reference" ${regrw_static:+"$regrw_static" "$reference_static"}; do
    [ "$("$regrw" 0 2)" = "$("$program" 0 2)" ] || { echo "regrw and $program disagree" >&2; exit 1; }
done

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
measure_instructions() {
    echo "== instructions per run, callgrind"
    local i_regrw i_ref i_ratio
    i_regrw=$(instructions "$regrw" 0 2)
    i_ref=$(instructions "$reference" 0 2)
    i_ratio=$(ratio "$i_regrw" "$i_ref")
    printf '  regrw 0 2:  %8d\n  reference:  %8d\n  regrw / reference: %s\n' "$i_regrw" "$i_ref" "$i_ratio"
    verdict "regrw / reference" "$i_ratio" "<=" 1.05
    [ -n "$regrw_static" ] || return 0
    i_regrw=$(instructions "$regrw_static" 0 2)
    i_ref=$(instructions "$reference_static" 0 2)
    printf '  static builds: regrw %d, reference %d, regrw / reference: %s (information)\n' \
        "$i_regrw" "$i_ref" "$(ratio "$i_regrw" "$i_ref")"
}

if [ "$mode" = instructions ]; then
    measure_instructions
    closing
fi

echo "== wall time, hyperfine"
hyperfine --style basic --warmup 50 --runs 1000 --export-json "$work/time.json" \
    -n regrw "$regrw 0 2" -n reference "$reference 0 2" -n floor /bin/true -n pipeline "$pipeline" \
    >"$work/time.log" 2>&1 || { cat "$work/time.log"; exit 1; }
mapfile -t us < <(sed -n 's/^ *"median": \([0-9.e-]*\),$/\1/p' "$work/time.json" |
                  awk '{ printf "%.1f\n", $1 * 1e6 }')
printf '  regrw 0 2:  %8s us per run (median)\n  reference:  %8s us\n  /bin/true:  %8s us\n  pipeline:   %8s us\n' "${us[@]}"
printf '  regrw over /bin/true: %s us; reference over /bin/true: %s us\n' \
    "$(awk -v a="${us[0]}" -v b="${us[2]}" 'BEGIN { printf "%.0f", a - b }')" \
    "$(awk -v a="${us[1]}" -v b="${us[2]}" 'BEGIN { printf "%.0f", a - b }')"
printf '  pipeline / regrw: %s (information)\n' "$(ratio "${us[3]}" "${us[0]}")"
verdict "regrw / reference" "$(ratio "${us[0]}" "${us[1]}")" "<=" 1.05

measure_instructions

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
