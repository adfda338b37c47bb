#!/bin/sh
# SPDX-License-Identifier: MIT
# On the emulated board, for scripts/bench: $rounds rounds of $reads reads of
# register 2 by each program, in turns, the order reversed every round, timed
# by the board's own clock in hundredths of a second: a line "ROUND PROGRAM
# END START" a block, after a line "size PROGRAM BYTES" each. The bench puts
# the two numbers before this file.
# shellcheck disable=SC2154 # rounds and reads: set before this file
programs="regrw /board/regrw-glibc /board/reference"
for p in $programs; do
    [ "$($p 0 2)" = "reg2 = 0x1234abcd" ] || echo "$p reads no 0x1234abcd"
    echo "size $p $(wc -c <"$(command -v "$p")")"
done
round=0
while [ "$round" -lt "$rounds" ]; do
    order=$programs
    [ $((round % 2)) = 0 ] || order="/board/reference /board/regrw-glibc regrw"
    for p in $order; do
        s=$(cut -d" " -f1 /proc/uptime) i=0
        while [ "$i" -lt "$reads" ]; do $p 0 2 >/dev/null; i=$((i + 1)); done
        echo "$round $p $(cut -d" " -f1 /proc/uptime) $s"
    done
    round=$((round + 1))
done