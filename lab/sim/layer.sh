# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The host's device layer (tests/harness.sh says what it promises): a node of
# lab/sim/node's kind $device_kind, made afresh for each call in the suite's
# sandbox (CTest starts each suite in lab/sim/devns).
harness=$(dirname "${BASH_SOURCE[0]}")/../../tests/harness.sh
# shellcheck source=tests/harness.sh
. "$harness"
node=$(dirname "${BASH_SOURCE[0]}")/node
device_kind=regsim
on_device() {
    local limit=$1 words=$2
    shift 2
    # shellcheck disable=SC2086 # the words, split on purpose
    case $device_kind in
        regsim*) limited "$limit" "$node" "$device_kind" -l "$scratch/log" $words -- "$@" ;;
        *) limited "$limit" "$node" "$device_kind" -- "$@" ;;
    esac
}
# in_node KIND [WORD...]: node running true, what it said in $scratch/why,
# with a line for a start that outlived the limit.
in_node() {
    limited "$limit" "$node" "$@" -- true >"$scratch/why" 2>&1
    status=$?
    ! killed "$status" || echo "no answer within $limit s: killed" >>"$scratch/why"
    return "$status"
}
# Status 1: the stand-in refused the words. What it said is shown either way.
device_refuses() {
    in_node regsim "$@"
    cat "$scratch/why"
    [ "$status" = 1 ]
}

# need_device KIND: ends the suite with a skip where KIND cannot be had.
need_device() {
    in_node "$1" && return
    [ "$status" != 99 ] || bail "the device node of kind $1 did not start: $(tail -1 "$scratch/why")"
    skip "no device node of kind $1 here: $(tail -1 "$scratch/why")"
    finish
}
