# SPDX-License-Identifier: MIT
# The one harness of the test scripts: it runs the real binary and compares
# exit status, standard output and standard error together, one case a line,
# and owns the mechanics: the time limit and killed runs, closed or full
# streams, the device log, skips and the closing line.
#
# Set before sourcing: REGRW (the binary) and, to run it under an emulator,
# RUNNER (its words, e.g. "qemu-arm -cpu arm926"); the emulator must take
# "-0 NAME" to set the program's name, as qemu-user does.
# shellcheck shell=bash

set -u
# The suite's own arguments, for running it again inside its sandbox.
suite_args=("$@")
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
        # shellcheck disable=SC2034 # errno is for the tables
        errno[$name]=$number strerror[$name]=$text
    done < <("${words_runner[@]}" "$ERRWORDS" EPERM ENOENT EIO ENXIO EBADF EAGAIN EACCES EBUSY \
                 ENODEV EISDIR EINVAL ENOSPC ESPIPE EROFS ETIMEDOUT EHWPOISON)
    if ((${#strerror[@]} != 16)); then
        echo "FAIL the C library's words for errno: none from $ERRWORDS"
        echo "0 passed, 1 failed"
        exit 1
    fi
fi

# The usage text as the tool prints it for program name $1.
usage_text() {
    printf 'Proper usage: %s <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n\tDATA - data to be written to reg' "$1"
}
# shellcheck disable=SC2034 # for the suites
USAGE=$(usage_text "$REGRW")

devns=$(dirname "${BASH_SOURCE[0]}")/../lab/sim/devns
# Where every run of the tool happens: a private device namespace (see
# lab/sim/devns), never the machine's own /dev. Without a device of its own,
# the node is absent there, so an open that should not happen shows as
# "open failed". The end-to-end tests put the stand-in there instead.
ns=("$devns" none --)
# Where the tool's standard input comes from: /dev/null, or "closed"; its
# standard output goes to: a file (read back), "full" for /dev/full, or
# "closed"; its standard error: a file, or "closed".
stdin_to=/dev/null
stdout_to='file'
stderr_to='file'
# Seconds a run may take (a run takes well under one, even under emulation
# or the sanitizers); a run still going then is killed and fails its case,
# and the suite goes on.
limit=${REGRW_TEST_LIMIT:-5}

# need_namespace [KIND [REGSIM-WORD...]]: runs the rest of the suite in one
# sandbox of its own, where each case then makes its node afresh (see
# lab/sim/devns); ends the suite (a skip, or a failure under CI) where no
# private device namespace with KIND (default: none) can be made. A file,
# not a pipe, takes devns's words: a stand-in that outlived its namespace
# would hold a pipe open for ever.
need_namespace() {
    if [ -z "${DEVNS_SANDBOX:-}" ] && timeout -k 2 "$limit" "$devns" none -- true >"$scratch/why" 2>&1; then
        rm -rf "$scratch"
        exec "$devns" none -- "$BASH" "$0" "${suite_args[@]}"
    fi
    timeout -k 2 "$limit" "$devns" "${1:-none}" "${@:2}" -- true >"$scratch/why" 2>&1 && return
    skip "no private device namespace with ${1:-none} here: $(tail -1 "$scratch/why")"
    finish
}

# The last process before the tool: it sets up the tool's descriptors
# itself, because any process started in between (devns, bwrap) may take
# the lowest free descriptor for its own file, and a closed stream would
# then not be closed for the tool. POSIX sh, for the board's shell too.
# Arguments: STDIN STDOUT STDERR NAME COMMAND..., where NAME is "" to keep
# the command's name or "=NAME" to run it as NAME (which may be empty).
# shellcheck disable=SC2016 # expanded by the shell that runs it
launch='i=$1 o=$2 e=$3 a=$4; shift 4
case $i in closed) exec <&- ;; *) exec <"$i" ;; esac
case $o in closed) exec >&- ;; full) exec >/dev/full ;; *) exec >"$o" ;; esac
case $e in closed) exec 2>&- ;; *) exec 2>"$e" ;; esac
if [ -n "$a" ]; then exec -a "${a#=}" "$@"; else exec "$@"; fi'

# The regrw of a session script, on the host and on the board alike: each
# run has the limit of a single case, and after one is killed the others are
# not even started, so that a tool that hangs costs a session one limit, not
# one a run. Set: REGRW, RUNNER, LIMIT, and KILLED, the file that says so.
# shellcheck disable=SC2016 # expanded by the session's shell
session_regrw='regrw() {
    [ ! -e "$KILLED" ] || return 124
    # RUNNER is words: split on purpose.
    timeout -k 2 "$LIMIT" $RUNNER "$REGRW" "$@"
    set -- $?
    case $1 in 124|137|143) : >"$KILLED" ;; esac
    return "$1"
}'

# run_as NAME ARG...: runs the tool with program name NAME; the outcome lands
# in $scratch/out, $scratch/err and $status.
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
    timeout -k 2 "$limit" "${ns[@]}" bash -c "$launch" launch "$stdin_to" "$out" "$err" "$as" \
        "${cmd[@]}" "$REGRW" "$@"
    status=$?
}

# Expected text as lines: nothing for "", else the text and one newline.
lines() { [ -z "$1" ] || printf '%s\n' "$1"; }

# killed: whether the last run was ended at its time limit (by GNU's
# timeout, or by busybox's on the board).
killed() { case $status in 124 | 137 | 143) return 0 ;; *) return 1 ;; esac; }

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

# The case tables (e2e-cases.sh, probe-cases.sh) are plain rows of these
# words. Each row records a case; the suite runs them on its device
# (run_cases: on regsim, one at a time; tests/board.sh: on the driver, in
# one boot), and judge holds each outcome to its row.
#   device WORD...       the cases that follow run on a fresh device with
#                        these parameter words (nregs=N, fail_read=E, ...)
#   dcheck STATUS STDOUT STDERR LOG ARG...
#                        one run of the tool, and the device's log: events
#                        separated by ";" ("" where nothing reached it); a
#                        file's seeks never reach it, so regsim logs none
#   probe "MODE STEP..." ANSWERS LOG
#                        one run of the tests' client (devclient): what it
#                        printed and the log, lines separated by ";"
#   strict STATUS STDOUT STDERR LOG, or for a probe strict ANSWERS LOG
#                        what the driver answers instead with lax_seek=0,
#                        its default, refusing positions without a register
#   session [WORD...] -- SCRIPT
#                        a POSIX shell script with regrw on hand, on one
#                        device, judged by the rows that follow it:
#   outcome LABEL STATUS STDOUT STDERR
#   log_count LABEL WANT PATTERN...   log lines matching each PATTERN
#   session_log LOG      the whole log
#   refused "WORD..."    parameter words the device refuses to start with
# and stdin_to / stdout_to / stderr_to for the runs that follow. errno[EIO]
# is a number, strerror[EIO] its words in the binary's C library.
n=0 words=
declare -a kind case_words io args label script counts w_status w_out w_err w_log s_status s_out s_err s_log
device() { words=$*; }
# record KIND WORDS LABEL STATUS STDOUT STDERR LOG: a case on a device with
# WORDS, its strict wants as its others until strict says.
record() {
    n=$((n + 1))
    kind[n]=$1 case_words[n]=$2 label[n]=$3 io[n]="$stdin_to $stdout_to $stderr_to"
    w_status[n]=$4 w_out[n]=$5 w_err[n]=$6 w_log[n]=$7
    s_status[n]=$4 s_out[n]=$5 s_err[n]=$6 s_log[n]=$7
}
dcheck() { record run "$words" "regrw ${*:5}" "$@"; args[n]=$(printf ' %q' "${@:5}"); }
probe() { record probe "$words" "devclient $1 [$words]" "" "$2" "" "$3"; args[n]=$1; }
strict() {
    if [ "${kind[n]}" = probe ]; then s_out[n]=$1 s_log[n]=$2
    else s_status[n]=$1 s_out[n]=$2 s_err[n]=$3 s_log[n]=$4; fi
}
session() {
    local session_words=()
    while [ "$1" != -- ]; do session_words+=("$1"); shift; done
    record session "${session_words[*]}" "" "" "" "" ""
    script[n]=$2
}
outcome() {
    label[n]=$1 w_status[n]=$2 w_out[n]=$3 w_err[n]=$4
    s_status[n]=$2 s_out[n]=$3 s_err[n]=$4
}
log_count() { local IFS=$'\x1f'; counts[n]="$*"; }
session_log() { w_log[n]=$1 s_log[n]=$1 counts[n]=whole; }
refused() { record refused "$1" "the words $1: refused" "" "" "" ""; }

# The device's log as a case expects it: one event a line; without seeks
# where the device is a file (seeks_logged empty), as the stand-in is.
seeks_logged=
device_log() {
    [ -n "$1" ] || return 0
    if [ -n "$seeks_logged" ]; then printf '%s\n' "${1//;/$'\n'}"
    else grep -v '^seek ' <<<"${1//;/$'\n'}" || true; fi
}

# judge I PASS [PREFIX]: holds the outcome of case I ($status, and
# $scratch/out, err and log) to its wants; PASS strict takes the strict ones.
judge() {
    local i=$1 what=${3:-}${label[$1]} count want
    if [ "$2" = strict ]; then want=("${s_status[i]}" "${s_out[i]}" "${s_err[i]}" "${s_log[i]}")
    else want=("${w_status[i]}" "${w_out[i]}" "${w_err[i]}" "${w_log[i]}"); fi
    case ${kind[i]} in
        probe)
            ! killed || { verdict "$what" "" "" ""; return; }
            same "$what: answers" "$(cat "$scratch/out" "$scratch/err")" "${want[1]//;/$'\n'}"
            same "$what: log" "$(cat "$scratch/log")" "$(device_log "${want[3]}")"
            return ;;
        refused)
            same "$what" "$([ "$status" != 0 ] && echo failed) $(cat "$scratch/out")" "failed refused"
            return ;;
    esac
    verdict "$what" "${want[@]:0:3}" || return 0
    if [ "${kind[i]}" = run ] || [ "${counts[i]:-}" = whole ]; then
        same "$what: device log" "$(cat "$scratch/log")" "$(device_log "${want[3]}")"
    elif [ -n "${counts[i]:-}" ]; then
        IFS=$'\x1f' read -r -a count <<<"${counts[i]}"
        same "$what: ${count[0]}" "$(count_lines "$scratch/log" "${count[@]:2}")" "${count[1]}"
    fi
}

# run_cases: runs each recorded case on the stand-in, in a private /dev of
# its own, and judges it. A probe runs $DEVCLIENT.
run_cases() {
    local i case_args
    for ((i = 1; i <= n; i++)); do
        read -r -a case_args <<<"${case_words[i]}"
        ns=("$devns" regsim -l "$scratch/log" "${case_args[@]}" --)
        read -r stdin_to stdout_to stderr_to <<<"${io[i]}"
        : >"$scratch/log"
        case ${kind[i]} in
            run)
                eval "case_args=(${args[i]})"
                run_as "$REGRW" "${case_args[@]}" ;;
            probe)
                read -r -a case_args <<<"${args[i]}"
                timeout -k 2 "$limit" "${ns[@]}" "$DEVCLIENT" /dev/test_registers "${case_args[@]}" \
                    >"$scratch/out" 2>"$scratch/err"
                status=$? ;;
            session)
                rm -f "$scratch/killed"
                REGRW=$REGRW RUNNER=$RUNNER LIMIT=$limit KILLED=$scratch/killed \
                    timeout -k 2 "$((limit * 30))" "${ns[@]}" sh -c "$session_regrw
${script[i]}" </dev/null >"$scratch/out" 2>"$scratch/err"
                status=$?
                [ ! -e "$scratch/killed" ] || status=124 ;;
            refused)
                # Refused with the stand-in's one line of reason.
                timeout -k 2 "$limit" "$devns" regsim "${case_args[@]}" -- true >"$scratch/err" 2>&1
                status=$?
                [ "$(grep -c '^regsim: ' "$scratch/err") $(tail -1 "$scratch/err")" != \
                  "1 devns: the stand-in did not start" ] || echo refused >"$scratch/out" ;;
        esac
        judge "$i" lax
    done
    stdin_to=/dev/null stdout_to='file' stderr_to='file'
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
