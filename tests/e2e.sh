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
dcheck() {
    : >"$scratch/log"
    check "$1" "$2" "$3" "${@:5}" || return
    same "device log of regrw ${*:5}" "$(cat "$scratch/log")" "$(stand_in_log "$4")"
}
# A session is many runs, each with the limit of a single case; after one
# is killed the others are not even started, so that a tool that hangs
# costs a session one limit, not one a run. Its output lands in
# $scratch/out and $scratch/err.
session() {
    local words=(); while [ "$1" != -- ]; do words+=("$1"); shift; done; shift
    device "${words[@]}"
    : >"$scratch/log"
    rm -f "$scratch/killed"
    REGRW=$REGRW RUNNER=$RUNNER LIMIT=$limit KILLED=$scratch/killed \
        timeout -k 2 "$((limit * 30))" "${ns[@]}" sh -c '
        regrw() {
            [ ! -e "$KILLED" ] || return 124
            timeout -k 2 "$LIMIT" $RUNNER "$REGRW" "$@"
            set -- $?
            [ "$1" != 124 ] && [ "$1" != 137 ] || : >"$KILLED"
            return "$1"
        }
        '"$1" >"$scratch/out" 2>"$scratch/err"
    status=$?
}
outcome() {
    if [ -e "$scratch/killed" ]; then
        failed=$((failed + 1))
        printf 'FAIL %s\n  a run had no end within %s s: killed\n' "$1" "$limit"
        return 1
    fi
    verdict "$@"
}
log_count() { same "$1" "$(count_lines "$scratch/log" "${@:3}")" "$2"; }

. "$(dirname "$0")/e2e-cases.sh"

# Other things at the node, each ending with status 255, one line on
# standard error and nothing on standard output. Only the read-only stand-in
# keeps a log: it must stay empty, as the open never reaches it.
for kind in none dir fifo null full regsim-ro; do
    ns=("$devns" "$kind" --)
    case $kind in
        none)      r="open failed: ${strerror[ENOENT]}"          w=$r ;;
        dir)       r="open failed: ${strerror[EISDIR]}"          w=$r ;;
        fifo)      r="lseek failed: ${strerror[ESPIPE]}"         w=$r ;;
        null)      r="read failed: 0 of 4 bytes transferred"     w= ;;   # end of file
        full)      r=                                            w="write failed: ${strerror[ENOSPC]}" ;;
        regsim-ro) r="open failed: ${strerror[EROFS]}"           w=$r ;; # a read needs write access too
    esac
    if [ "$kind" = regsim-ro ]; then
        ns=("$devns" "$kind" -l "$scratch/log" --)
        [ -z "$r" ] || dcheck 255 "" "$r" "" 0 2
        [ -z "$w" ] || dcheck 255 "" "$w" "" 1 2 7
    else
        [ -z "$r" ] || check 255 "" "$r" 0 2
        [ -z "$w" ] || check 255 "" "$w" 1 2 7
    fi
done

# devns itself: its caller's environment cannot talk it out of making its
# own namespaces, nor can a forged argument; the /dev it was started in is
# left as it was. Tried in a private mount namespace of this test's own.
own_ns=(unshare --mount --propagation private)
((EUID == 0)) || own_ns+=(--user --map-root-user)
same "devns started with REGRW_DEVNS_INSIDE=1, and as if inside, leaves /dev alone" \
    "$(DEVNS=$devns "${own_ns[@]}" -- bash -c '
        before=$(grep " /dev " /proc/self/mountinfo)
        REGRW_DEVNS_INSIDE=1 "$DEVNS" none -- true; echo "status $?"
        "$DEVNS" --in-namespaces "$(readlink /proc/self/ns/mnt)" none -- true 2>&1; echo "status $?"
        "$DEVNS" --in-namespaces mnt:[0] none -- true 2>&1; echo "status $?"
        [ "$(grep " /dev " /proc/self/mountinfo)" = "$before" ] && echo "/dev untouched"' 2>&1)" \
    "status 0
devns: not in namespaces of its own: refusing to touch /dev
status 2
devns: not in namespaces of its own: refusing to touch /dev
status 2
/dev untouched"

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
