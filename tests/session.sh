# SPDX-License-Identifier: MIT
# The regrw of a session's script: each run has a case's limit, and after
# one is killed no other starts. Set: REGRW, RUNNER, LIMIT, KILLED.
# shellcheck shell=sh
regrw() {
    [ ! -e "$KILLED" ] || return 124
    # shellcheck disable=SC2086 # RUNNER is words: split on purpose
    timeout -k 2 "$LIMIT" $RUNNER "$REGRW" "$@"
    set -- $?
    case $1 in 124|137|143) : >"$KILLED" ;; esac
    return "$1"
}
