# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The host's device layer under the tests' engine, which it sources
# (tests/engine.sh says what on_device and device_refuses promise): the
# node is of devns's kind $device_kind, in the suite's sandbox (CTest
# starts each in devns none), made afresh for each call.
# shellcheck source=tests/engine.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../tests/engine.sh"
devns=$(dirname "${BASH_SOURCE[0]}")/devns
device_kind=regsim
on_device() {
    od_limit=$1 od_words=$2; shift 2
    # shellcheck disable=SC2086 # the words, split on purpose
    case $device_kind in
        regsim*) timeout -k 2 "$od_limit" "$devns" "$device_kind" -l "$scratch/log" $od_words -- "$@" ;;
        *) timeout -k 2 "$od_limit" "$devns" "$device_kind" -- "$@" ;;
    esac
}
# in_devns KIND [WORD...]: devns with nothing to run but true, its words in
# $scratch/why, with a line for a start that outlived the limit.
in_devns() {
    timeout -k 2 "$limit" "$devns" "$@" -- true >"$scratch/why" 2>&1
    status=$?
    ! killed || echo "no answer within $limit s: killed" >>"$scratch/why"
    return "$status"
}
# Status 1: the stand-in refused the words. What it said is shown either way.
device_refuses() {
    in_devns regsim "$@"
    cat "$scratch/why"
    [ "$status" = 1 ]
}

# need_device KIND: ends the suite with a skip where KIND cannot be had.
need_device() {
    in_devns "$1" && return
    skip "no private device namespace with $1 here: $(tail -1 "$scratch/why")"
    finish
}
