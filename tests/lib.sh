# SPDX-License-Identifier: MIT
# Shared by the test scripts: runs the real binary and compares exit status,
# standard output and standard error together, one case a line.
#
# Set before sourcing: REGRW (the binary) and, to run it under an emulator,
# RUNNER (its words, e.g. "qemu-arm -cpu arm926"); the emulator must take
# "-0 NAME" to set the program's name, as qemu-user does.

set -u
passed=0 failed=0 skipped=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
: "${RUNNER:=}"
read -r -a runner <<<"$RUNNER"

# strerror[NAME] and errno[NAME]: the words and the number of each errno the
# tests name, as the C library of the binary under test has them (a static
# file carries its own): from errwords built with the same toolchain
# ($ERRWORDS), run the same way ($ERRWORDS_RUNNER, or the binary's runner).
declare -A strerror=() errno=()
if [ -n "${ERRWORDS:-}" ]; then
    read -r -a words_runner <<<"${ERRWORDS_RUNNER-$RUNNER}"
    while read -r name number text; do
        errno[$name]=$number strerror[$name]=$text
    done < <("${words_runner[@]}" "$ERRWORDS" EPERM ENOENT EIO ENXIO EBADF EAGAIN EACCES EBUSY \
                 ENODEV EISDIR EINVAL ENOSPC ESPIPE EROFS ETIMEDOUT)
    if ((${#strerror[@]} != 15)); then
        echo "FAIL the C library's words for errno: none from $ERRWORDS"
        echo "0 passed, 1 failed"
        exit 1
    fi
fi

# The usage text as the tool prints it for program name $1.
usage_text() {
    printf 'Proper usage: %s <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n\tDATA - data to be written to reg' "$1"
}
USAGE=$(usage_text "$REGRW")

devns=$(dirname "${BASH_SOURCE[0]}")/../lab/sim/devns
# Where every run of the tool happens: a private device namespace (see
# lab/sim/devns), never the machine's own /dev. Without a device of its own, the
# node is absent there, so an open that should not happen shows as
# "open failed". The end-to-end tests put the stand-in there instead.
ns=("$devns" none --)
# Where the tool's standard output goes: a file (read back), "full" for
# /dev/full, or "closed"; and its standard error: a file, or "closed".
stdout_to=file
stderr_to=file
# Seconds a run may take (a run takes well under one, even under emulation
# or the sanitizers); a run still going then is killed and fails its case,
# and the suite goes on.
limit=${REGRW_TEST_LIMIT:-5}

# need_namespace [KIND [REGSIM-WORD...]]: ends the suite (a skip, or a
# failure under CI) where no private device namespace with KIND (default:
# none) can be made. A file, not a pipe, takes devns's words: a stand-in
# that outlived its namespace would hold a pipe open for ever.
need_namespace() {
    timeout -k 2 "$limit" "$devns" "${1:-none}" "${@:2}" -- true >"$scratch/why" 2>&1 && return
    skip "no private device namespace with ${1:-none} here: $(tail -1 "$scratch/why")"
    finish
}

# The last process before the tool, inside the namespace: it sets up the
# tool's descriptors itself, because any script started in between (devns
# is one) takes the lowest free descriptor for its own file, and a closed
# standard output or error would then not be closed for the tool.
# Arguments: STDOUT STDERR NAME COMMAND..., where NAME is "" to keep the
# command's name or "=NAME" to run it as NAME (which may be empty).
launch='o=$1 e=$2 a=$3; shift 3
case $o in closed) exec >&- ;; full) exec >/dev/full ;; *) exec >"$o" ;; esac
case $e in closed) exec 2>&- ;; *) exec 2>"$e" ;; esac
if [ -n "$a" ]; then exec -a "${a#=}" "$@"; else exec "$@"; fi'

# run_as NAME ARG...: runs the tool with program name NAME; the outcome lands
# in $scratch/out, $scratch/err and $status (124: killed at the time limit).
run_as() {
    local name=$1 as=; shift
    local cmd=("${runner[@]}")
    if [ "$name" != "$REGRW" ]; then
        if ((${#runner[@]})); then cmd+=(-0 "$name"); else as="=$name"; fi
    fi
    local out=$scratch/out err=$scratch/err
    [ "$stdout_to" = file ] || out=$stdout_to
    [ "$stderr_to" = file ] || err=$stderr_to
    : >"$scratch/out"
    : >"$scratch/err"
    timeout -k 2 "$limit" "${ns[@]}" bash -c "$launch" launch "$out" "$err" "$as" \
        "${cmd[@]}" "$REGRW" "$@" </dev/null
    status=$?
}

# Expected text as lines: nothing for "", else the text and one newline.
lines() { [ -z "$1" ] || printf '%s\n' "$1"; }

# stand_in_log LOG: a device log of the tables ("event;event"), as the
# stand-in keeps it: one event a line, and no seeks, which the kernel
# answers itself for a file.
stand_in_log() { [ -z "$1" ] || grep -v '^seek ' <<<"${1//;/$'\n'}" || true; }

# killed: whether the last run was ended at the time limit.
killed() { [ "$status" = 124 ] || [ "$status" = 137 ]; }

# count_lines FILE PATTERN...: how many lines of FILE match each PATTERN.
count_lines() {
    local file=$1 pattern counts=(); shift
    for pattern; do counts+=("$(grep -c -e "$pattern" "$file")"); done
    echo "${counts[*]}"
}

# verdict LABEL STATUS STDOUT STDERR: compares the last run with the wants.
verdict() {
    local label=$1 want_status=$2 want_out want_err got_out got_err
    if killed; then
        failed=$((failed + 1))
        printf 'FAIL %s\n  no end within %s s: killed\n' "$label" "$limit"
        return 1
    fi
    want_out=$(lines "$3"; printf x); want_out=${want_out%x}
    want_err=$(lines "$4"; printf x); want_err=${want_err%x}
    got_out=$(cat "$scratch/out"; printf x); got_out=${got_out%x}
    got_err=$(cat "$scratch/err"; printf x); got_err=${got_err%x}
    if [ "$status" = "$want_status" ] && [ "$got_out" = "$want_out" ] && [ "$got_err" = "$want_err" ]; then
        passed=$((passed + 1))
        return 0
    fi
    failed=$((failed + 1))
    printf 'FAIL %s\n  status %s, wanted %s\n' "$label" "$status" "$want_status"
    printf '  stdout: %q\n  wanted: %q\n' "$got_out" "$want_out"
    printf '  stderr: %q\n  wanted: %q\n' "$got_err" "$want_err"
    return 1
}

# same LABEL GOT WANTED: one fact that is not a run of the tool, such as a
# property of the binary or what reached the device.
same() {
    if [ "$2" = "$3" ]; then passed=$((passed + 1)); return 0; fi
    failed=$((failed + 1))
    printf 'FAIL %s\n  got:\n%s\n  wanted:\n%s\n' "$1" "$2" "$3"
    return 1
}

# check STATUS STDOUT STDERR ARG...: one case, the program named as given.
check() {
    local want_status=$1 want_out=$2 want_err=$3; shift 3
    run_as "$REGRW" "$@"
    verdict "regrw $*" "$want_status" "$want_out" "$want_err"
}

# skip REASON: a case that cannot run here. Under CI nothing may be skipped:
# a suite that cannot run there has failed.
skip() {
    if [ -n "${CI:-}" ]; then
        failed=$((failed + 1)); printf 'FAIL (cannot run under CI) %s\n' "$1"
    else
        skipped=$((skipped + 1)); printf 'SKIP %s\n' "$1"
    fi
}

# The closing line; exit 1 on any failure, 77 when everything was skipped.
finish() {
    printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
    ((failed == 0)) || exit 1
    ((passed > 0)) || exit 77
    exit 0
}
