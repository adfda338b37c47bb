# SPDX-License-Identifier: MIT
# The end-to-end case under load: one table, run against the stand-in
# (load.sh) and the driver on the boards (board.sh), in the harness's words.
# shellcheck shell=sh disable=SC2034,SC2154 # the harness sets and reads its variables

O="open O_RDWR|O_SYNC"
# Load: 1,000 runs from 8 parallel workers, each writing (63 times) and
# reading back (62 times) its own 8 of 64 registers, then a read-back of all
# 64. Every run must reach the device as one open and one whole word.
# shellcheck disable=SC2016 # the session's script, expanded there
session "load: 1,000 runs over 64 registers" 0 "$(for w in 0 1 2 3 4 5 6 7; do echo "worker $w: 125 runs"; done)
read-back: 0 of 64 registers differ" "" nregs=64 -- '
    worker() {
        j=0 runs=0
        while [ $j -lt 125 ]; do
            reg=$(($1 * 8 + j / 2 % 8))
            if [ $((j % 2)) = 0 ]; then
                regrw 1 $reg $((($1 << 28) | (j * 0x10101) ^ 0x5a5a5a5)) || echo "write of register $reg failed"
            else
                want=$(printf "reg%d = 0x%08x" $reg $((($1 << 28) | ((j - 1) * 0x10101) ^ 0x5a5a5a5)))
                got=$(regrw 0 $reg) || echo "read of register $reg failed"
                [ "$got" = "$want" ] || echo "register $reg: $got, wanted $want"
            fi
            j=$((j + 1)) runs=$((runs + 1))
        done
        echo "worker $1: $runs runs"
    }
    for w in 0 1 2 3 4 5 6 7; do worker $w & done | sort
    # The last word each register took: at j = 2m, for the largest m up to
    # 62 that has the register in its worker (m % 8 = reg % 8).
    reg=0 bad=0
    while [ $reg -lt 64 ]; do
        j=$((2 * (reg % 8 + (62 - reg % 8) / 8 * 8)))
        want=$(printf "reg%d = 0x%08x" $reg $((((reg / 8) << 28) | (j * 0x10101) ^ 0x5a5a5a5)))
        [ "$(regrw 0 $reg)" = "$want" ] || bad=$((bad + 1))
        reg=$((reg + 1))
    done
    echo "read-back: $bad of 64 registers differ"'
log_count "load: whole-word writes, whole-word reads, opens" "504 560 1064" \
    '^write [0-9]* 4 .. .. .. ..$' '^read [0-9]* 4$' "^$O$"
