# SPDX-License-Identifier: MIT
# The regrw a session's script (engine.sh's session) sources first: each run
# has a case's limit, and after one is killed no other starts, so a tool
# that hangs costs a session one limit. Set: REGRW, RUNNER, LIMIT, KILLED.
# shellcheck shell=sh
regrw() {
    [ ! -e "$KILLED" ] || return 124
    # shellcheck disable=SC2086 # RUNNER is words: split on purpose
    timeout -k 2 "$LIMIT" $RUNNER "$REGRW" "$@"
    set -- $?
    case $1 in 124|137|143) : >"$KILLED" ;; esac
    return "$1"
}
