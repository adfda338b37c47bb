# SPDX-License-Identifier: MIT
# The regrw of a session's script (session in engine.sh), which the script's
# shell sources first: each run has the limit of a single case, and after
# one is killed the others are not even started, so that a tool that hangs
# costs a session one limit, not one a run. Set: REGRW, RUNNER, LIMIT, and
# KILLED, the file that says so.
# shellcheck shell=sh
regrw() {
    [ ! -e "$KILLED" ] || return 124
    # shellcheck disable=SC2086 # RUNNER is words: split on purpose
    timeout -k 2 "$LIMIT" $RUNNER "$REGRW" "$@"
    set -- $?
    case $1 in 124|137|143) : >"$KILLED" ;; esac
    return "$1"
}
