#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool end to end against the stand-in device: every run goes through
# the kernel's file interface to /dev/test_registers in a private device
# namespace, and the device's log shows what reached it.
# Usage: e2e.sh BINARY [RUNNER]
REGRW=$1 RUNNER=${2:-}
. "$(dirname "$0")/lib.sh"

need_namespace regsim

# device KIND [REGSIM-OPTION...]: the cases that follow run with
# /dev/test_registers as KIND (see sim/devns), the stand-in logging.
device() {
    local kind=$1; shift
    ns=("$devns" "$kind")
    [[ $kind != regsim* ]] || ns+=(-l "$scratch/log" "$@")
    ns+=(--)
}

# dcheck STATUS STDOUT STDERR LOG ARG...: check, and the device's log must
# read LOG, its events separated by ";" ("" where nothing reached it).
dcheck() {
    : >"$scratch/log"
    check "$1" "$2" "$3" "${@:5}" || return
    same "device log of regrw ${*:5}" "$(cat "$scratch/log")" "${4//;/$'\n'}"
}

U=$USAGE O="open O_RDWR|O_SYNC" C=close

device regsim --set 0=0x01020304 --set 1=0xdeadbeef --set 2=0x80000000
#       status stdout               stderr                            device log                          arguments
dcheck  0      "reg0 = 0x01020304"  ""                                "$O;read 0 4;$C"                    0 0
dcheck  0      "reg1 = 0xdeadbeef"  ""                                "$O;read 1 4;$C"                    0 1     # position 1, not byte 4
dcheck  0      "reg2 = 0x80000000"  ""                                "$O;read 2 4;$C"                    0 2
dcheck  0      "reg2 = 0x80000000"  ""                                "$O;read 2 4;$C"                    0 002   # printed as converted
dcheck  0      ""                   ""                                "$O;write 2 4 ff ff ff ff;$C"       1 2 -1
dcheck  0      ""                   ""                                "$O;write 2 4 ff ff ff ff;$C"       1 2 4294967295
dcheck  0      ""                   ""                                "$O;write 2 4 ff ff ff ff;$C"       1 2 0XFFFFFFFF
dcheck  0      ""                   ""                                "$O;write 2 4 10 00 00 00;$C"       1 2 0x10    # atoi would have written 0
dcheck  0      ""                   ""                                "$O;write 1 4 0a 00 00 00;$C"       1 1 010     # leading zeros stay decimal
dcheck  0      ""                   ""                                "$O;write 0 4 00 00 00 80;$C"       1 0 -2147483648
dcheck  255    ""                   "read failed: Invalid argument"   "$O;read 5 4;$C"                    0 5     # passed on unchecked
dcheck  255    ""                   "write failed: Invalid argument"  "$O;write 5 4 01 00 00 00;$C"       1 5 1
dcheck  255    ""                   "lseek failed: Invalid argument"  "$O;$C"                             0 -1    # a negative position reaches the seek
dcheck  255    ""                   "lseek failed: Invalid argument"  "$O;$C"                             1 -2147483648 1
dcheck  255    ""                   "read failed: Invalid argument"   "$O;read 2147483647 4;$C"           0 2147483647  # the largest REG_NUM reaches the device
dcheck  255    ""                   "write failed: Invalid argument"  "$O;write 2147483647 4 01 00 00 00;$C" 1 0x7fffffff 1
dcheck  255    "$U"                 ""                                ""                                  1 2     # usage errors never open the device
dcheck  255    "$U"                 ""                                ""                                  0 2 5
dcheck  255    "$U"                 ""                                ""                                  2 2
dcheck  255    "$U"                 "invalid DATA: 12abc"             ""                                  1 0 12abc
dcheck  255    "$U"                 "invalid REG_NUM: 1x"             ""                                  0 1x
stdout_to=full
dcheck  255    ""                   "output failed: No space left on device" "$O;read 2 4;$C"             0 2
stdout_to=closed
dcheck  255    ""                   "output failed: Bad file descriptor"     "$O;read 2 4;$C"             0 2
stdout_to=file
# With standard error closed the node takes descriptor 2 (binary.sh shows
# it does): a report of a failure must not be written into the register.
stderr_to=closed
dcheck  255    ""                   ""                                "$O;$C"                             0 -1
dcheck  255    ""                   ""                                "$O;read 5 4;$C"                    0 5
dcheck  255    ""                   ""                                "$O;write 5 4 01 00 00 00;$C"       1 5 1
stderr_to=file

# The fault matrix: each ends with status 255, one line on standard error
# and nothing on standard output.
E1="No such file or directory"
for kind in none dir fifo null full regsim-ro; do
    device "$kind"
    case $kind in
        none)      r="open failed: $E1"                          w=$r ;;
        dir)       r="open failed: Is a directory"               w=$r ;;
        fifo)      r="lseek failed: Illegal seek"                w=$r ;;
        null)      r="read failed: 0 of 4 bytes transferred"     w= ;;   # end of file
        full)      r=                                            w="write failed: No space left on device" ;;
        regsim-ro) r="open failed: Read-only file system"        w=$r ;; # a read needs write access too
    esac
    [ -z "$r" ] || dcheck 255 "" "$r" "" 0 2
    [ -z "$w" ] || dcheck 255 "" "$w" "" 1 2 7
done

#                                          status stdout stderr                                      device log                      arguments
device regsim --fail-open EACCES;  dcheck  255    ""     "open failed: Permission denied"            "$O"                            0 2
device regsim --fail-open ENODEV;  dcheck  255    ""     "open failed: No such device"               "$O"                            1 2 7
device regsim --fail-read EIO;     dcheck  255    ""     "read failed: Input/output error"           "$O;read 2 4;$C"                0 2
device regsim --short-read 3;      dcheck  255    ""     "read failed: 3 of 4 bytes transferred"     "$O;read 2 4;$C"                0 2
device regsim --short-read 0;      dcheck  255    ""     "read failed: 0 of 4 bytes transferred"     "$O;read 2 4;$C"                0 2
device regsim --fail-write EIO;    dcheck  255    ""     "write failed: Input/output error"          "$O;write 2 4 07 00 00 00;$C"   1 2 7
device regsim --short-write 1;     dcheck  255    ""     "write failed: 1 of 4 bytes transferred"    "$O;write 2 4 07 00 00 00;$C"   1 2 7
device regsim --fail-close EIO;    dcheck  255    ""     "close failed: Input/output error"          "$O;read 2 4;$C"                0 2
                                   dcheck  255    ""     "close failed: Input/output error"          "$O;write 2 4 07 00 00 00;$C"   1 2 7
# Two faults in one run: the first is the one reported, with its own errno.
device regsim --fail-read EIO --fail-close EACCES
                                   dcheck  255    ""     "read failed: Input/output error"           "$O;read 2 4;$C"                0 2
device regsim --fail-write ENOSPC --fail-close EIO
                                   dcheck  255    ""     "write failed: No space left on device"     "$O;write 2 4 07 00 00 00;$C"   1 2 7
device regsim --short-read 2 --fail-close EIO
                                   dcheck  255    ""     "read failed: 2 of 4 bytes transferred"     "$O;read 2 4;$C"                0 2
device regsim --short-write 3 --fail-close EIO
                                   dcheck  255    ""     "write failed: 3 of 4 bytes transferred"    "$O;write 2 4 07 00 00 00;$C"   1 2 7
device regsim --fail-close EIO;    dcheck  255    ""     "lseek failed: Invalid argument"            "$O;$C"                         0 -1

# session KIND [REGSIM-OPTION...] -- SCRIPT: runs SCRIPT in one device
# namespace, with "regrw" running the tool under test; the session's output
# lands in $scratch/out. A session is many runs, so its limit is longer.
session_limit=$((limit * 30))
session() {
    local kind=$1; shift
    local opts=(); while [ "$1" != -- ]; do opts+=("$1"); shift; done; shift
    device "$kind" "${opts[@]}"
    : >"$scratch/log"
    REGRW=$REGRW RUNNER=$RUNNER timeout -k 2 "$session_limit" "${ns[@]}" bash -c '
        read -r -a run <<<"$RUNNER"
        regrw() { "${run[@]}" "$REGRW" "$@"; }
        '"$1" >"$scratch/out" 2>"$scratch/err"
    status=$?
}

# A written word is the word read back, in a later run; a refused write
# leaves the register as it was.
session regsim --short-write 2 -- 'regrw 1 2 0xcafe; echo $?; regrw 0 2'
verdict "short write stores nothing" 0 $'255\nreg2 = 0x00000000' "write failed: 2 of 4 bytes transferred"
session regsim -- 'regrw 1 0 0xcafe && regrw 1 1 -2 && regrw 1 2 123 && regrw 0 0 && regrw 0 1 && regrw 0 2'
verdict "write, then read back" 0 $'reg0 = 0x0000cafe\nreg1 = 0xfffffffe\nreg2 = 0x0000007b' ""

# The stand-in stops cleanly on SIGTERM and SIGINT: it unmounts itself, and
# the node is an empty file again.
for signal in TERM INT; do
    session regsim -- '
        regrw 0 1
        for p in /proc/[0-9]*; do
            [ "$(cat "$p/comm" 2>/dev/null)" = regsim ] && kill -'"$signal"' "${p#/proc/}"
        done
        for i in $(seq 100); do grep -q fuse.regsim /proc/self/mountinfo || break; sleep 0.02; done
        grep -c fuse.regsim /proc/self/mountinfo
        regrw 0 1'
    verdict "regsim stops on SIG$signal" 255 $'reg1 = 0x00000000
0' "read failed: 0 of 4 bytes transferred"
done

# Load: 1,000 runs from 8 parallel workers, each writing (63 times) and
# reading back (62 times) its own 8 of 64 registers, then a read-back of all
# 64. Every run must reach the device as one open and one whole word.
session regsim -n 64 -- '
    worker() {
        local w=$1 j reg value got runs=0
        for ((j = 0; j < 125; j++)); do
            reg=$((w * 8 + j / 2 % 8)) value=$(((w << 28) | (j * 0x10101) ^ 0x5a5a5a5))
            if ((j % 2 == 0)); then
                regrw 1 $reg $value || echo "write of register $reg failed"
                last[reg]=$value
            else
                got=$(regrw 0 $reg) || echo "read of register $reg failed"
                [ "$got" = "$(printf "reg%d = 0x%08x" $reg ${last[reg]})" ] || echo "register $reg: $got, wanted ${last[reg]}"
            fi
            runs=$((runs + 1))
        done
        for reg in "${!last[@]}"; do printf "reg%d = 0x%08x\n" $reg ${last[reg]} >>"$2"; done
        echo "worker $w: $runs runs"
    }
    expect=$(mktemp)
    for w in 0 1 2 3 4 5 6 7; do worker $w "$expect" & done | sort
    for reg in $(seq 0 63); do regrw 0 $reg; done | diff - <(sort -V "$expect") && echo "read-back matches"
    rm -f "$expect"'
verdict "load: 1,000 runs over 64 registers" 0 "$(for w in 0 1 2 3 4 5 6 7; do echo "worker $w: 125 runs"; done)
read-back matches" ""
load_writes=$(grep -c '^write [0-9]* 4 .. .. .. ..$' "$scratch/log")
load_opens=$(grep -c "^$O$" "$scratch/log")
same "load: whole-word writes and opens that reached the device" "$load_writes $load_opens" "504 1064"

# Every stand-in went with its namespace, even those of runs killed at the
# time limit: none of this suite's (they all log to its scratch file) is left.
for i in $(seq 50); do pgrep -f -- "-l $scratch/log" >/dev/null || break; sleep 0.1; done
same "stand-ins left running" "$(pgrep -a -f -- "-l $scratch/log")" ""
finish
