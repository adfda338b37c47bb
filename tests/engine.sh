# SPDX-License-Identifier: MIT
# The tests' one case engine, on core.sh: runs the tool and holds its
# status, standard output and standard error together, one case a line of
# a table, on a device behind a layer (below). POSIX sh, for the board's
# busybox too. A suite sets REGRW, the binary; RUNNER, an emulator's words
# (regrw_emulator; "-0 NAME" sets the program's name); and ERRWORDS.
# shellcheck shell=sh
# shellcheck source=tests/core.sh
. "$(dirname "$0")/core.sh"
: "${REGRW=}" "${RUNNER=}"

# strerror_NAME and errno_NAME: each errno the tests name, as the binary's
# own C library has it, from $ERRWORDS run by $ERRWORDS_RUNNER or RUNNER.
read_errwords() {
    errnos="ENOENT EIO EBADF EACCES ENODEV EISDIR EINVAL ENOSPC ESPIPE EROFS EHWPOISON ENOEXEC EPIPE"
    # shellcheck disable=SC2086 # the runner's words and the names, split on purpose
    ${ERRWORDS_RUNNER-$RUNNER} "$ERRWORDS" $errnos >"$scratch/errwords"
    # shellcheck disable=SC2034 # read for the eval
    while read -r name number text; do eval "errno_$name=\$number strerror_$name=\$text"; done <"$scratch/errwords"
    # shellcheck disable=SC2086 # one name a line
    same "the C library's words for each of $errnos, from $ERRWORDS" "$(cut -d' ' -f1 "$scratch/errwords")" "$(printf '%s\n' $errnos)" || finish
}
[ -z "${ERRWORDS:-}" ] || read_errwords

# The usage text as the tool prints it for program name $1.
usage_text() {
    printf 'Proper usage: %s <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n\tDATA - data to be written to reg' "$1"
}
# shellcheck disable=SC2034 # for the tables
USAGE=$(usage_text "$REGRW")

# The tool's streams for the runs that follow (launch.sh says what each
# may be): a table sets them.
stdin_to=/dev/null stdout_to=file stderr_to=file

# The device sits behind a layer (lab/sim/layer.sh, lab/board/cases) that
# sources the engine. on_device LIMIT WORDS COMMAND...: COMMAND, within
# LIMIT s, on a fresh device started with the parameter WORDS, its log in
# $scratch/log. device_refuses WORD...: whether the device refuses to
# start with WORDS, its one line saying why on standard output.
engine_dir=$(cd "$(dirname "$0")" && pwd)

# run_as WORDS NAME ARG...: the tool as NAME, on a device with WORDS, into
# $scratch/out, $scratch/err and $status.
run_as() {
    ra_as='' ra_shell=sh ra_words=$1 ra_name=$2; shift 2
    if [ "$ra_name" = "$REGRW" ]; then set -- "$REGRW" "$@"
    elif [ -n "$RUNNER" ]; then set -- -0 "$ra_name" "$REGRW" "$@"
    else set -- "$REGRW" "$@"; ra_as="=$ra_name" ra_shell=bash; fi
    ra_out=$scratch/out ra_err=$scratch/err
    [ "$stdout_to" = file ] || ra_out=$stdout_to
    [ "$stderr_to" = file ] || ra_err=$stderr_to
    : >"$scratch/out"; : >"$scratch/err"
    # shellcheck disable=SC2086 # the runner's words, split on purpose
    on_device "$limit" "$ra_words" "$ra_shell" "$engine_dir/launch.sh" "$stdin_to" "$ra_out" "$ra_err" "$ra_as" \
        $RUNNER "$@"
    status=$?
}

# shown WHAT GOT WANTED: text that differs, each line ending in $, the
# unprintable in octal (awk: busybox's sed has no l).
shown() { printf '  %s:\n' "$1"; printf '%s' "$2" | lined; printf '  wanted:\n'; printf '%s' "$3" | lined; }
lined() {
    awk 'BEGIN { for (n = 1; n < 256; n++) ord[sprintf("%c", n)] = n }
        { s = ""; for (i = 1; i <= length($0); i++) { c = substr($0, i, 1); s = s (c ~ /[[:print:]]/ ? c : sprintf("\\%03o", ord[c])) }
          print s "$" }'
}

# verdict LABEL STATUS STDOUT STDERR: holds the last run to its wants.
verdict() {
    if killed; then
        failed=$((failed + 1))
        printf 'FAIL %s\n  no end within %s s: killed\n' "$1" "$limit"
        return 1
    fi
    # Expected text as lines: nothing for "", else the text and one newline.
    v_out=$([ -z "$3" ] || printf '%s\n' "$3"; printf x) v_err=$([ -z "$4" ] || printf '%s\n' "$4"; printf x)
    g_out=$(cat "$scratch/out"; printf x) g_err=$(cat "$scratch/err"; printf x)
    if [ "$status" = "$2" ] && [ "$g_out" = "$v_out" ] && [ "$g_err" = "$v_err" ]; then
        passed=$((passed + 1))
        return 0
    fi
    failed=$((failed + 1))
    printf 'FAIL %s\n  status %s, wanted %s\n' "$1" "$status" "$2"
    shown stdout "${g_out%x}" "${v_out%x}"
    shown stderr "${g_err%x}" "${v_err%x}"
    return 1
}

# check STATUS STDOUT STDERR ARG...: one run, judged at once.
check() {
    flush
    c_status=$1 c_out=$2 c_err=$3; shift 3
    run_as '' "$REGRW" "$@"
    verdict "regrw $*" "$c_status" "$c_out" "$c_err"
}

# The case tables are rows of these words; each case runs on a fresh
# device as its row is read, and is judged at the next row.
#   device WORD...       the cases that follow run on a fresh device with
#                        these parameter words
#   dcheck STATUS STDOUT STDERR LOG ARG...
#                        one run of the tool, and the device's log: events
#                        separated by ";" ("" where nothing reached it)
#   probe "MODE STEP..." ANSWERS LOG
#                        one run of the tests' client ($DEVCLIENT): what it
#                        printed and the log, lines separated by ";"
#   strict STATUS STDOUT STDERR LOG, or for a probe strict ANSWERS LOG
#                        what the driver answers instead with lax_seek=0
#                        (the board's strict pass)
#   session [WORD...] -- SCRIPT
#                        a POSIX sh script with regrw on hand, on one
#                        device, judged by the rows that follow:
#   outcome LABEL STATUS STDOUT STDERR
#   log_count LABEL WANT PATTERN...   log lines matching each PATTERN
#   session_log LOG      the whole log
#   refused WORD...      parameter words the device refuses to start with
# A device that logs seeks sets seeks_logged; a pass that runs the tables
# again sets repeat, passing over sessions and refusals; prefix starts
# each label.
before_finish=flush
dwords='' pending='' c_kind='' c_label='' outcome_held='' seeks_logged='' repeat='' pass=lax prefix=''

device() { flush; dwords=$*; }
dcheck() {
    flush
    c_kind=run c_status=$1 c_out=$2 c_err=$3 c_log=$4; shift 4
    c_label="regrw $*" pending=1
    : >"$scratch/log"
    run_as "$dwords" "$REGRW" "$@"
}
probe() {
    flush
    c_kind=probe c_label="devclient $1 [$dwords]" c_out=$2 c_log=$3 pending=1
    : >"$scratch/log"
    # shellcheck disable=SC2086 # the client's steps, split on purpose
    on_device "$limit" "$dwords" "$DEVCLIENT" /dev/test_registers $1 </dev/null >"$scratch/out" 2>"$scratch/err"
    status=$?
}
strict() {
    [ "$pass" = strict ] || return 0
    if [ "$c_kind" = probe ]; then c_out=$1 c_log=$2
    else c_status=$1 c_out=$2 c_err=$3 c_log=$4; fi
}
# The device's log as a case expects it: one event a line, seeks only
# where the device logs them.
device_log() {
    [ -n "$1" ] || return 0
    printf '%s\n' "$1" | tr ';' '\n' | if [ -n "$seeks_logged" ]; then cat; else grep -v '^seek '; fi
}
flush() {
    [ -n "$pending" ] || return 0
    pending=
    if killed; then verdict "$prefix$c_label" "" "" ""; return; fi
    if [ "$c_kind" = probe ]; then
        same "$prefix$c_label: answers" "$(cat "$scratch/out" "$scratch/err")" "$(printf '%s\n' "$c_out" | tr ';' '\n')"
    else
        verdict "$prefix$c_label" "$c_status" "$c_out" "$c_err" || return 0
    fi
    same "$prefix$c_label: device log" "$(cat "$scratch/log")" "$(device_log "$c_log")"
}
session() {
    flush
    s_words=
    while [ "$1" != -- ]; do s_words="$s_words $1"; shift; done
    c_kind=session outcome_held=
    [ -z "$repeat" ] || return 0
    LIMIT=$limit KILLED=$scratch/killed SESSION=$engine_dir/session.sh
    export REGRW RUNNER LIMIT KILLED SESSION
    rm -f "$KILLED"; : >"$scratch/log"
    # shellcheck disable=SC2016 # expanded by the session's shell
    on_device $((limit * 30)) "$s_words" sh -c '. "$SESSION"
'"$2" </dev/null >"$scratch/out" 2>"$scratch/err"
    status=$?
    [ ! -e "$KILLED" ] || status=124
}
outcome() {
    [ -z "$repeat" ] || return 0
    c_label=$prefix$1
    outcome_held=
    verdict "$c_label" "$2" "$3" "$4" && outcome_held=1
}
log_count() {
    [ -z "$repeat" ] && [ -n "$outcome_held" ] || return 0
    lc_label=$1 lc_want=$2 lc_got=; shift 2
    for lc_pattern; do lc_got="$lc_got $(grep -c -e "$lc_pattern" "$scratch/log")"; done
    same "$c_label: $lc_label" "${lc_got# }" "$lc_want"
}
session_log() {
    [ -z "$repeat" ] && [ -n "$outcome_held" ] || return 0
    same "$c_label: device log" "$(cat "$scratch/log")" "$(device_log "$1")"
}
# A refusal is one line, naming the word refused.
refused() {
    flush
    [ -z "$repeat" ] || return 0
    rf_got="not refused" rf_why=
    if rf_why=$(device_refuses "$@"); then
        rf_got="refused, in $(printf '%s\n' "$rf_why" | grep -c .) line(s)"
        for rf_word; do case $rf_why in *"${rf_word%%=*}"*) rf_got="$rf_got, naming the word"; break ;; esac; done
    fi
    same "${prefix}the words '$*'" "$rf_got" "refused, in 1 line(s), naming the word" || printf '  it said:\n%s\n' "$rf_why"
}
