#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# e2e.sh BINARY [RUNNER]: the tool end to end against the stand-in, its log
# showing what reached it: the rows of e2e-cases.sh and e2e-sim-cases.sh,
# then other nodes' (alone with E2E_WITHOUT_FUSE: autopkgtest's testbed).
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

# Other things at the node: status 255 and one line on standard error each,
# nothing reaching the read-only stand-in.
device
# shellcheck disable=SC2154 # the harness's
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
    prefix="$kind: "
    [ -z "$r" ] || check 255 "" "$r" 0 2
    [ -z "$w" ] || check 255 "" "$w" 1 2 7
done

# Every stand-in of this suite's went, even those of runs killed.
for _ in $(seq 50); do pgrep -f -- "-l $scratch/log" >/dev/null || break; sleep 0.1; done
same "stand-ins left running" "$(pgrep -a -f -- "-l $scratch/log")" ""
finish
