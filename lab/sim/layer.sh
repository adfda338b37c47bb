# SPDX-License-Identifier: MIT
# The host's device layer under the tests' engine (tests/engine.sh says what
# on_device and device_refuses promise): the node is of devns's kind $node,
# in a private device namespace, never the machine's own /dev: the stand-in,
# or another kind, which takes no words, such as none, where an open that
# should not happen shows as "open failed". The host's suites in tests/
# source it, and it the engine beside them.
# shellcheck shell=sh
# shellcheck source=tests/engine.sh
. "$(dirname "$0")/engine.sh"
devns=$(dirname "$0")/../lab/sim/devns
node=regsim
on_device() {
    od_limit=$1 od_words=$2; shift 2
    # shellcheck disable=SC2086 # the words, split on purpose
    case $node in
        regsim*) timeout -k 2 "$od_limit" "$devns" "$node" -l "$scratch/log" $od_words -- "$@" ;;
        *) timeout -k 2 "$od_limit" "$devns" "$node" -- "$@" ;;
    esac
}
# Status 1 with nothing to run but true: the stand-in refused the words.
device_refuses() {
    timeout -k 2 "$limit" "$devns" regsim "$@" -- true >"$scratch/why" 2>&1
    [ $? = 1 ] && cat "$scratch/why"
}

# need_namespace KIND SUITE-ARG...: runs the suite again, with its
# arguments, in one sandbox of its own, where each case then makes its node
# afresh (see devns); ends the suite (a skip, or a failure under CI) where
# no private device namespace with KIND can be made.
need_namespace() {
    nn_kind=$1; shift
    if [ -z "${DEVNS_SANDBOX:-}" ] && timeout -k 2 "$limit" "$devns" none -- true >"$scratch/why" 2>&1; then
        rm -rf "$scratch"
        exec "$devns" none -- "${BASH:-sh}" "$0" "$@"
    fi
    timeout -k 2 "$limit" "$devns" "$nn_kind" -- true >"$scratch/why" 2>&1 && return
    skip "no private device namespace with $nn_kind here: $(tail -1 "$scratch/why")"
    finish
}
