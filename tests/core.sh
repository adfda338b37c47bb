# SPDX-License-Identifier: MIT
# The harness's core, which every suite sources, on host and board (POSIX
# sh): a check (same), skips, a run's time limit, and the closing line.
# shellcheck shell=sh

set -u
passed=0 failed=0 skipped=0 status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Seconds a run may take (well under one), then killed, failing its case.
# shellcheck disable=SC2034 # the suites'
limit=${REGRW_TEST_LIMIT:-5}

# killed: whether the last run ($status) was ended at its time limit.
killed() { case $status in 124 | 137 | 143) return 0 ;; *) return 1 ;; esac; }

# same LABEL GOT WANTED: one fact.
same() {
    if [ "$2" = "$3" ]; then passed=$((passed + 1)); return 0; fi
    failed=$((failed + 1))
    printf 'FAIL %s\n  got:\n%s\n  wanted:\n%s\n' "$1" "$2" "$3"
    return 1
}

# skip REASON: a case that cannot run here; under CI, a failure.
skip() {
    if [ -n "${CI:-}" ]; then
        failed=$((failed + 1)); printf 'FAIL (cannot run under CI) %s\n' "$1"
    else
        skipped=$((skipped + 1)); printf 'SKIP %s\n' "$1"
    fi
}

# The closing line, after $before_finish; 1 on a failure, 77 all skipped.
before_finish=:
finish() {
    $before_finish
    printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
    [ "$failed" = 0 ] || exit 1
    [ "$passed" != 0 ] || exit 77
    exit 0
}
