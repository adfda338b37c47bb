#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool end to end against the stand-in device: every run goes through
# the kernel's file interface to /dev/test_registers in a private device
# namespace, and the device's log shows what reached it. The cases shared
# with the emulated board are in e2e-cases.sh, the stand-in's own in
# e2e-sim-cases.sh; the other nodes' follow.
# Usage: e2e.sh BINARY [RUNNER]; with E2E_WITHOUT_FUSE set, in a testbed
# that cannot serve the stand-in (autopkgtest's, say), only the nodes the
# kernel gives.
REGRW=$1 RUNNER=${2:-}
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
kinds="none dir fifo null full"
if [ -z "${E2E_WITHOUT_FUSE:-}" ]; then
    kinds="$kinds regsim-ro"
    need_device regsim

    # shellcheck source=tests/e2e-cases.sh
    . "$(dirname "$0")/e2e-cases.sh"
    # shellcheck source=tests/e2e-sim-cases.sh
    . "$(dirname "$0")/e2e-sim-cases.sh"
fi

# Other things at the node, each ending with status 255, one line on
# standard error and nothing on standard output. Only the read-only stand-in
# keeps a log: it must stay empty, as the open never reaches it.
# shellcheck disable=SC2154 # the engine's
for kind in $kinds; do
    device_kind=$kind
    case $kind in
        none)      r="open failed: $strerror_ENOENT"          w=$r ;;
        dir)       r="open failed: $strerror_EISDIR"          w=$r ;;
        fifo)      r="lseek failed: $strerror_ESPIPE"         w=$r ;;
        null)      r="read failed: 0 of 4 bytes transferred"  w='' ;; # end of file
        full)      r=''                                       w="write failed: $strerror_ENOSPC" ;;
        regsim-ro) r="open failed: $strerror_EROFS"           w=$r ;; # a read needs write access too
    esac
    : >"$scratch/log"
    [ -z "$r" ] || check 255 "" "$r" 0 2
    [ -z "$w" ] || check 255 "" "$w" 1 2 7
    [ "$kind" != regsim-ro ] || same "$kind: nothing reached the device" "$(cat "$scratch/log")" ""
done

# Every stand-in went with its namespace, even those of runs killed at the
# time limit: none of this suite's (they all log to its scratch file) is left.
for _ in $(seq 50); do pgrep -f -- "-l $scratch/log" >/dev/null || break; sleep 0.1; done
same "stand-ins left running" "$(pgrep -a -f -- "-l $scratch/log")" ""
finish
