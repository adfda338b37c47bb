#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool end to end against the stand-in device: every run goes through
# the kernel's file interface to /dev/test_registers in a private device
# namespace, and the device's log shows what reached it. The cases shared
# with the emulated board are in e2e-cases.sh; the stand-in's own follow.
# Usage: e2e.sh BINARY [RUNNER]
REGRW=$1 RUNNER=${2:-}
. "$(dirname "$0")/lib.sh"

need_namespace regsim

# The words of e2e-cases.sh, for the stand-in.
device() { ns=("$devns" regsim -l "$scratch/log" "$@" --); }
strict() { :; }
# The table's log as the stand-in keeps it: a file's seeks never reach it.
stand_in_log() { [ -z "$1" ] || grep -v '^seek ' <<<"${1//;/$'\n'}" || true; }
dcheck() {
    : >"$scratch/log"
    check "$1" "$2" "$3" "${@:5}" || return
    same "device log of regrw ${*:5}" "$(cat "$scratch/log")" "$(stand_in_log "$4")"
}
# A session is many runs, so its limit is longer. Its output lands in
# $scratch/out and $scratch/err.
session_limit=$((limit * 30))
session() {
    local opts=(); while [ "$1" != -- ]; do opts+=("$1"); shift; done; shift
    device "${opts[@]}"
    : >"$scratch/log"
    REGRW=$REGRW RUNNER=$RUNNER timeout -k 2 "$session_limit" "${ns[@]}" sh -c '
        regrw() { $RUNNER "$REGRW" "$@"; }
        '"$1" >"$scratch/out" 2>"$scratch/err"
    status=$?
}
outcome() { verdict "$@"; }
log_count() { same "$1" "$(count_lines "$scratch/log" "${@:3}")" "$2"; }

. "$(dirname "$0")/e2e-cases.sh"

# Other things at the node, each ending with status 255, one line on
# standard error and nothing on standard output.
E1="${strerror[ENOENT]}"
for kind in none dir fifo null full regsim-ro; do
    ns=("$devns" "$kind" --)
    [[ $kind != regsim* ]] || ns=("$devns" "$kind" -l "$scratch/log" --)
    case $kind in
        none)      r="open failed: $E1"                          w=$r ;;
        dir)       r="open failed: ${strerror[EISDIR]}"               w=$r ;;
        fifo)      r="lseek failed: ${strerror[ESPIPE]}"                w=$r ;;
        null)      r="read failed: 0 of 4 bytes transferred"     w= ;;   # end of file
        full)      r=                                            w="write failed: ${strerror[ENOSPC]}" ;;
        regsim-ro) r="open failed: ${strerror[EROFS]}"        w=$r ;; # a read needs write access too
    esac
    [ -z "$r" ] || dcheck 255 "" "$r" "" 0 2
    [ -z "$w" ] || dcheck 255 "" "$w" "" 1 2 7
done

# The stand-in stops cleanly on SIGTERM and SIGINT: it unmounts itself, and
# the node is an empty file again.
for signal in TERM INT; do
    session -- '
        regrw 0 1
        for p in /proc/[0-9]*; do
            [ "$(cat "$p/comm" 2>/dev/null)" = regsim ] && kill -'"$signal"' "${p#/proc/}"
        done
        for i in $(seq 100); do grep -q fuse.regsim /proc/self/mountinfo || break; sleep 0.02; done
        grep -c fuse.regsim /proc/self/mountinfo
        regrw 0 1'
    outcome "regsim stops on SIG$signal" 255 $'reg1 = 0x00000000
0' "read failed: 0 of 4 bytes transferred"
done

# Every stand-in went with its namespace, even those of runs killed at the
# time limit: none of this suite's (they all log to its scratch file) is left.
for i in $(seq 50); do pgrep -f -- "-l $scratch/log" >/dev/null || break; sleep 0.1; done
same "stand-ins left running" "$(pgrep -a -f -- "-l $scratch/log")" ""
finish
