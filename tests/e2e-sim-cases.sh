# SPDX-License-Identifier: MIT
# The stand-in's own end-to-end rows (e2e.sh): it stops cleanly on SIGTERM
# and SIGINT, unmounting itself.
# shellcheck shell=sh
for signal in TERM INT; do
    # shellcheck disable=SC2016 # the session's script, expanded there
    session "regsim stops on SIG$signal" 255 "reg1 = 0x00000000
0" "read failed: 0 of 4 bytes transferred" -- '
        regrw 0 1
        for p in /proc/[0-9]*; do
            [ "$(cat "$p/comm" 2>/dev/null)" = regsim ] && kill -'"$signal"' "${p#/proc/}"
        done
        for _ in $(seq 100); do grep -q fuse.regsim /proc/self/mountinfo || break; sleep 0.02; done
        grep -c fuse.regsim /proc/self/mountinfo
        regrw 0 1'
done
