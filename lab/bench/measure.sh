#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures one register read, inside a device namespace with the stand-in,
# against the floor: a C program making the same system calls (reference).
#  - wall time, in turns: regrw within 1.05 times the reference, and its
#    excess over it, each the median of the rounds' own (a round's two
#    programs side by side); the reference's excess over /bin/true, and the
#    shell pipeline a user would write, for information;
#  - instructions per run (callgrind, repeatable): at most 1.05 times the
#    reference's, dynamic builds; the static ones reported beside;
#  - system calls per run: fewer than the pipeline's;
#  - size (anywhere): a standalone file, stripped, at most 1.25 times the
#    reference of its toolchain and C library, and MAX-BYTES if given.
# Usage: measure.sh all REGRW REFERENCE REGRW-STATIC REFERENCE-STATIC
#        measure.sh instructions REGRW REFERENCE   (the aim on instructions only)
#        measure.sh size TRIPLE REGRW REFERENCE [MAX-BYTES]   (the aims on size only)
set -euo pipefail
mode=$1 regrw=$2 reference=$3 regrw_static=${4:-} reference_static=${5:-}
pipeline=$(dirname "$0")/pipeline
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/../../tests/harness.sh}"

# aim FIGURE VALUE OPERATOR AIM: whether VALUE meets AIM's last word.
aim() {
    if awk -v r="$2" -v a="${4##* }" "BEGIN { exit !(r $3 a) }"; then tap_ok "aim ($1 $3 $4): met"
    else tap_not_ok "aim ($1 $3 $4): missed, at $2"; fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

if [ "$mode" = size ]; then
    triple=$2 regrw=$3 reference=$4 cap=${5:-}
    echo "== the standalone file's size, stripped ($triple)"
    stripped() { "$triple-strip" -o "$scratch/stripped" "$1" && stat -c %s "$scratch/stripped"; }
    s_regrw=$(stripped "$regrw")
    s_ref=$(stripped "$reference")
    printf '  regrw:      %6d bytes (%d as built)\n  reference:  %6d bytes\n  regrw / reference: %s\n' \
        "$s_regrw" "$(stat -c %s "$regrw")" "$s_ref" "$(ratio "$s_regrw" "$s_ref")"
    [ -z "$cap" ] || aim "regrw" "$s_regrw" "<=" "$cap"
    aim "regrw / reference" "$(ratio "$s_regrw" "$s_ref")" "<=" 1.25
    finish
fi

for program in "$reference" ${regrw_static:+"$regrw_static" "$reference_static"}; do
    [ "$(limited "$limit" "$regrw" 0 2)" = "$(limited "$limit" "$program" 0 2)" ] || bail "regrw and $program disagree"
done

# A run under valgrind may take 30 times a plain one's limit.
instructions() {
    limited $((limit * 30)) valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
measure_instructions() {
    echo "== instructions per run, callgrind"
    local i_regrw i_ref i_ratio
    i_regrw=$(instructions "$regrw" 0 2)
    i_ref=$(instructions "$reference" 0 2)
    i_ratio=$(ratio "$i_regrw" "$i_ref")
    printf '  regrw 0 2:  %8d\n  reference:  %8d\n  regrw / reference: %s\n' "$i_regrw" "$i_ref" "$i_ratio"
    aim "regrw / reference" "$i_ratio" "<=" 1.05
    [ -n "$regrw_static" ] || return 0
    i_regrw=$(instructions "$regrw_static" 0 2)
    i_ref=$(instructions "$reference_static" 0 2)
    printf '  static builds: regrw %d, reference %d, regrw / reference: %s (information)\n' \
        "$i_regrw" "$i_ref" "$(ratio "$i_regrw" "$i_ref")"
}

if [ "$mode" = instructions ]; then
    measure_instructions
    finish
fi

# Each comparison the median of its per-round ratios, or differences.
# shellcheck source=lab/bench/turns.sh
. "$(dirname "$0")/turns.sh"
rounds=10 runs=200
echo "== wall time, in turns ($rounds rounds of $runs runs each, the order reversed every round)"
turns "$rounds" "$runs" "$regrw" "$reference" /bin/true "$pipeline" >"$scratch/turns"
us() { median "$@" <"$scratch/turns" | awk '{ printf "%.0f", $1 * 1e6 }'; }
ratio_of() { median "$@" <"$scratch/turns" | awk '{ printf "%.2f", $1 }'; }
printf '  medians of the rounds: regrw 0 2 %s us, reference %s us, /bin/true %s us, pipeline %s us\n' \
    "$(us "$regrw")" "$(us "$reference")" "$(us /bin/true)" "$(us "$pipeline")"
printf '  regrw over the reference: %s us; the reference over /bin/true: %s us (medians of the rounds'"'"' differences)\n' \
    "$(us "$regrw" - "$reference")" "$(us "$reference" - /bin/true)"
printf '  pipeline / regrw: %s (information)\n' "$(ratio_of "$pipeline" / "$regrw")"
printf '  regrw / reference: %s (median of %d per-round ratios)\n' "$(ratio_of "$regrw" / "$reference")" "$rounds"
aim "regrw / reference" "$(ratio_of "$regrw" / "$reference")" "<=" 1.05

measure_instructions

echo "== system calls per run, strace -c -f"
syscalls() {
    strace -f -c -o "$scratch/strace" "$@" >/dev/null
    awk '$NF == "total" { print $(NF - 2) ~ /^[0-9]+$/ && NF == 6 ? $(NF - 2) : $(NF - 1) }' "$scratch/strace"
}
s_regrw=$(syscalls "$regrw" 0 2)
s_ref=$(syscalls "$reference" 0 2)
s_pipe=$(syscalls sh "$pipeline")
printf '  regrw 0 2:  %8d\n  reference:  %8d\n  pipeline:   %8d\n  pipeline / regrw: %s\n' \
    "$s_regrw" "$s_ref" "$s_pipe" "$(ratio "$s_pipe" "$s_regrw")"
aim "regrw" "$s_regrw" "<" "pipeline's $s_pipe"
strace -f -c -o "$scratch/strace" "$regrw" 0 2 >/dev/null
sed 's/^/    /' "$scratch/strace"
finish
