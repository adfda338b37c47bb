# SPDX-License-Identifier: MIT
# The tests' one harness, sourced by every suite on the host and on the
# boards (POSIX sh, for busybox too): a run's time limit, killed runs, the
# tool's streams, its C library's words, the verdicts as TAP ("ok N - LABEL",
# "not ok N - LABEL" and "#" lines, "ok N # SKIP WHY", "1..N") and the
# status: 0, 1 (a case failed), 77 (all skipped) or 99 ("Bail out!": the
# harness or a stand-in at fault). Under CI a skip fails.
#
# A suite sets REGRW, RUNNER (an emulator's words; "-0 NAME" names the
# program) and ERRWORDS (default: beside REGRW; run by ERRWORDS_RUNNER or
# RUNNER), then sources this file as ". ${harness:=PATH}", or through a
# device layer (lab/sim/layer.sh, lab/board/layer.sh), which defines
# on_device LIMIT WORDS COMMAND... (on a fresh device, its log in
# $scratch/log; 99 where it did not start) and device_refuses WORD... (its
# one line on stdout), and sets seeks_logged and lax (1: a seek past the
# registers is taken, as a file takes it; 0: refused).
#
# The tables' words, each row judged as it is read ("" is no output):
#   device WORD...  the next rows' device words, a fresh device each
#   dcheck STATUS STDOUT STDERR LOG ARG...  a run, and the device's log
#   check STATUS STDOUT STDERR ARG...  a run that reaches no device
#   beyond STATUS STDOUT LAX-STDERR LAX-LOG STRICT-STDERR STRICT-LOG ARG...
#   probe "MODE STEP..." ANSWERS LOG [STRICT-ANSWERS STRICT-LOG]  $DEVCLIENT
#   session LABEL STATUS STDOUT STDERR [WORD...] -- SCRIPT  a sh script with
#                   regrw on hand (each run within RUN_LIMIT s), on one device
#   log_count LABEL WANT PATTERN...; session_log LOG  the session's log
#   refused WORD...  words the device must refuse to start with
# Lines and events are separated by ";"; stdin_to, stdout_to and stderr_to
# set the tool's streams (launch); prefix starts each label.
# shellcheck shell=sh

# Seconds a run may take (well under one), times the factor for a loaded
# machine; then TERM, and KILL after grace seconds.
factor=${REGRW_TIME_FACTOR:-1}
limit=$((${REGRW_TEST_LIMIT:-5} * factor)) grace=2
limited() { timeout -k "$grace" "$@"; }
# killed STATUS: whether a run with that status was ended at its limit.
killed() { case $1 in 124 | 137 | 143) return 0 ;; *) return 1 ;; esac; }
nl='
'

# launch STDIN STDOUT STDERR COMMAND...: each stream a file or "closed"
# (stdout also "full", or "gone": no reader), set in the last process
# before the tool: one between, bwrap say, may take a descriptor meant closed.
launch() {
    case $1 in closed) exec <&- ;; *) exec <"$1" ;; esac
    case $2 in
        closed) exec >&- ;;
        full) exec >/dev/full ;;
        # A FIFO opened read-write first, so the write open needs no reader.
        gone) l_pipe=$(mktemp -u) && mkfifo "$l_pipe" || exit 1
              exec 3<>"$l_pipe"; exec >"$l_pipe" 3<&-; rm "$l_pipe" ;;
        *) exec >"$2" ;;
    esac
    case $3 in closed) exec 2>&- ;; *) exec 2>"$3" ;; esac
    shift 3
    exec "$@"
}

# tap VERDICT LABEL: a case's line, its label on one line.
tap() {
    tap_n=$((tap_n + 1)) t_label=$2
    case $2 in *"$nl"*) t_label=$(printf '%s' "$2" | tr '\n' ' ') ;; esac
    printf '%s %d - %s\n' "$1" "$tap_n" "$t_label"
}
tap_ok() { tap ok "$1"; }
# tap_not_ok LABEL [DETAIL...]: each DETAIL a "#" line.
tap_not_ok() { tap_failed=$((tap_failed + 1)); tap 'not ok' "$1"; shift; [ $# = 0 ] || printf '# %s\n' "$@"; }
skip() {
    if [ -n "${CI:-}" ]; then tap_not_ok "cannot run under CI: $1"; return; fi
    tap_skipped=$((tap_skipped + 1)) tap_n=$((tap_n + 1))
    printf 'ok %d # SKIP %s\n' "$tap_n" "$1"
}
# bail WHY: the harness, a stand-in or a table is at fault, not the tool.
bail() { printf 'Bail out! %s\n' "$1"; tap_end=bail; exit 99; }
finish() { [ "$tap_n" != 0 ] || bail "no case ran"; printf '1..%d\n' "$tap_n"; tap_end=1; exit 0; }
tap_exit() {
    rm -rf "$scratch"
    [ -n "$tap_end" ] || printf 'Bail out! the suite stopped before its end (status %s)\n' "$1"
    case $tap_end in '' | bail) exit 99 ;; esac
    [ "$tap_failed" = 0 ] || exit 1
    [ "$tap_skipped" != "$tap_n" ] || exit 77
}

# shown WHAT GOT WANTED: texts that differ, as "#" lines ending in $, the
# unprintable in octal (busybox's sed has no l).
shown() {
    [ "$2" != "$3" ] || return 0
    printf '# %s:\n' "$1"; printf '%s' "$2" | lined; printf '# wanted:\n'; printf '%s' "$3" | lined
}
lined() {
    awk 'BEGIN { for (n = 1; n < 256; n++) ord[sprintf("%c", n)] = n }
        { s = ""; for (i = 1; i <= length($0); i++) { c = substr($0, i, 1); s = s (c ~ /[[:print:]]/ ? c : sprintf("\\%03o", ord[c])) }
          print "#   " s "$" }'
}
# same LABEL GOT WANTED: one fact.
same() { if [ "$2" = "$3" ]; then tap_ok "$1"; else tap_not_ok "$1"; shown got "$2" "$3"; return 1; fi; }
# lines TEXT: nothing for "", else TEXT and one newline.
lines() { [ -z "$1" ] || printf '%s\n' "$1"; }
# events TEXT [SEEKS]: TEXT's events a line each, "seek ..." ones only with
# SEEKS. Builtins alone: it runs for every row.
events() {
    v_rest=$1
    while [ -n "$v_rest" ]; do
        v_event=${v_rest%%;*}
        [ -z "${2:-}" ] && [ "${v_event#seek }" != "$v_event" ] || printf '%s\n' "$v_event"
        [ "$v_rest" != "$v_event" ] || break
        v_rest=${v_rest#*;}
    done
}
device_log() { events "$1" "$seeks_logged"; }
# stream TEXT: a stream, then a line no stream holds: a run's streams and
# log are held to their wants in one cmp.
stream() { lines "$1"; printf '\n\036\n'; }

# read_errwords: strerror_NAME and errno_NAME, as the binary's C library has them.
read_errwords() {
    # shellcheck disable=SC2086 # the runner's words, split on purpose
    ${ERRWORDS_RUNNER-$RUNNER} "$ERRWORDS" >"$scratch/errwords" || bail "$ERRWORDS printed no words"
    # shellcheck disable=SC2034 # read for the eval
    while read -r name number text; do eval "errno_$name=\$number strerror_$name=\$text"; done <"$scratch/errwords"
}
# usage_text NAME: the usage the tool prints as NAME (tests/usage, %s the name).
usage_text() {
    u_text=$(sed 1d "${harness%/*}/usage") || bail "no usage text beside $harness"
    printf '%s' "${u_text%%"%s"*}$1${u_text#*"%s"}"
}

# run_as WORDS NAME ARG...: the tool as NAME on a device with WORDS; its
# status in $status, its streams in $scratch/out and err.
run_as() {
    r_words=$1 r_name=$2 r_out=$scratch/out r_err=$scratch/err
    shift 2
    # shellcheck disable=SC2016 # expanded by that bash
    if [ "$r_name" = "$REGRW" ]; then set -- "$REGRW" "$@"
    elif [ -n "$RUNNER" ]; then set -- -0 "$r_name" "$REGRW" "$@"
    else set -- bash -c 'name=$1; shift; exec -a "$name" "$@"' bash "$r_name" "$REGRW" "$@"; fi
    [ "$stdout_to" = file ] || r_out=$stdout_to
    [ "$stderr_to" = file ] || r_err=$stderr_to
    r_streams=
    [ "$stdin_to" = /dev/null ] || r_streams=" <$stdin_to"
    [ "$stdout_to" = file ] || r_streams="$r_streams >$stdout_to"
    [ "$stderr_to" = file ] || r_streams="$r_streams 2>$stderr_to"
    : >"$scratch/out"; : >"$scratch/err"; : >"$scratch/log"
    # shellcheck disable=SC2016,SC2086 # expanded by that sh; the runner's words, split on purpose
    on_device "$limit" "$r_words" sh -c 'harness_child=launch; . "$0"' "$harness" \
        "$stdin_to" "$r_out" "$r_err" $RUNNER "$@"
    status=$? r_killed="no end within $limit s"
    [ "$status" != 99 ] || bail "the device did not start for ${prefix}regrw $* [$r_words]"
}
# judge LABEL STATUS STDOUT STDERR [LOG]: the last run held to its wants.
judge() {
    if killed "$status"; then tap_not_ok "$1" "$r_killed: killed"; return 1; fi
    j_log=/dev/null
    [ $# -lt 5 ] || j_log=$scratch/log
    { stream "$3"; stream "$4"; [ $# -lt 5 ] || device_log "$5"; } >"$scratch/wanted"
    cat "$scratch/out" "$scratch/end" "$scratch/err" "$scratch/end" "$j_log" >"$scratch/got"
    if [ "$status" = "$2" ] && cmp -s "$scratch/got" "$scratch/wanted"; then tap_ok "$1"; return 0; fi
    tap_not_ok "$1"
    [ "$status" = "$2" ] || printf '# status %s, wanted %s\n' "$status" "$2"
    shown stdout "$(cat "$scratch/out"; printf x)" "$(lines "$3"; printf x)"
    shown stderr "$(cat "$scratch/err"; printf x)" "$(lines "$4"; printf x)"
    shown "device log" "$(cat "$j_log"; printf x)" "$( [ $# -lt 5 ] || device_log "$5"; printf x)"
    return 1
}

device() { dwords=$*; }
dcheck() {
    c_status=$1 c_out=$2 c_err=$3 c_log=$4
    shift 4
    run_as "$dwords" "$REGRW" "$@"
    judge "${prefix}regrw $*$r_streams${dwords:+ [$dwords]}" "$c_status" "$c_out" "$c_err" "$c_log"
}
check() { c_1=$1 c_2=$2 c_3=$3; shift 3; dcheck "$c_1" "$c_2" "$c_3" '' "$@"; }
beyond() {
    c_1=$1 c_2=$2 c_3=$3 c_4=$4
    [ "$lax" = 1 ] || c_3=$5 c_4=$6
    shift 6
    dcheck "$c_1" "$c_2" "$c_3" "$c_4" "$@"
}
probe() {
    p_label="${prefix}devclient $1 [$dwords]" p_answers=$2 p_log=$3
    [ "$lax" = 1 ] || [ $# -lt 5 ] || p_answers=$4 p_log=$5
    : >"$scratch/log"
    # shellcheck disable=SC2086 # the client's steps, split on purpose
    on_device "$limit" "$dwords" "$DEVCLIENT" /dev/test_registers $1 </dev/null >"$scratch/out" 2>"$scratch/err"
    status=$? r_killed="no end within $limit s"
    case $status in 2 | 99) bail "$p_label: the client or the device could not start: $(cat "$scratch/err")" ;; esac
    # The client ends with 1 where the open failed.
    case $p_answers in 'open -> ok'*) p_status=0 ;; *) p_status=1 ;; esac
    judge "$p_label" "$p_status" "$(events "$p_answers" all)" "" "$p_log"
}
session() {
    s_label=$prefix$1 s_status=$2 s_out=$3 s_err=$4 s_words='' s_limit=$((limit * 30))
    shift 4
    while [ "$1" != -- ]; do s_words="$s_words $1"; shift; done
    rm -f "$scratch/killed"; : >"$scratch/log"
    # shellcheck disable=SC2016 # expanded by the session's sh
    on_device "$s_limit" "$s_words" env harness_child=session RUN_KILLED="$scratch/killed" \
        RUN_LIMIT="$limit" REGRW="$REGRW" RUNNER="$RUNNER" sh -c '. "$0"'"$nl$2" "$harness" </dev/null >"$scratch/out" 2>"$scratch/err"
    status=$? r_killed="no end within $s_limit s"
    [ "$status" != 99 ] || bail "the device did not start for $s_label"
    [ ! -e "$scratch/killed" ] || status=124 r_killed="a run of regrw had no end within $limit s"
    judge "$s_label" "$s_status" "$s_out" "$s_err"
}
log_count() {
    l_label=$1 l_want=$2 l_got=
    shift 2
    for l_pattern; do l_got="$l_got $(grep -c -e "$l_pattern" "$scratch/log")"; done
    same "$s_label: $l_label" "${l_got# }" "$l_want"
}
session_log() { same "$s_label: device log" "$(cat "$scratch/log")" "$(device_log "$1")"; }
# A refusal is one line, naming the word refused.
refused() {
    f_got="not refused"
    if f_why=$(device_refuses "$@"); then
        f_got="refused, in $(printf '%s\n' "$f_why" | grep -c .) line(s)"
        for f_word; do case $f_why in *"${f_word%%=*}"*) f_got="$f_got, naming the word"; break ;; esac; done
    fi
    same "${prefix}the words '$*'" "$f_got" "refused, in 1 line(s), naming the word" || printf '# it said: %s\n' "$f_why"
}

# relay PREFIX: a board's TAP on stdin as this suite's cases, PREFIX before
# each label, other lines as comments; a count short of its plan fails.
relay() {
    y_seen=0 y_plan=
    while IFS= read -r y_line; do
        case $y_line in
            'ok '*' # SKIP '*) y_seen=$((y_seen + 1)); skip "$1${y_line#* # SKIP }" ;;
            'ok '*) y_seen=$((y_seen + 1)); tap_ok "$1${y_line#ok * - }" ;;
            'not ok '*) y_seen=$((y_seen + 1)); tap_not_ok "$1${y_line#not ok * - }" ;;
            '#'*) printf '%s\n' "$y_line" ;;
            1..*) y_plan=${y_line#1..} ;;
            'Bail out! '*) bail "$1${y_line#Bail out! }" ;;
            *) printf '# %s\n' "$y_line" ;;
        esac
    done
    same "${1}all its cases, to its plan" "$y_seen of ${y_plan:-no plan}" "$y_seen of $y_seen"
}

case ${harness_child:-} in
    launch) launch "$@" ;;
    # A session's regrw: each run within RUN_LIMIT; after one killed, none.
    session)
        limit=$RUN_LIMIT
        regrw() {
            [ ! -e "$RUN_KILLED" ] || return 124
            # shellcheck disable=SC2086 # the runner's words, split on purpose
            limited "$limit" $RUNNER "$REGRW" "$@"
            set -- $?
            ! killed "$1" || : >"$RUN_KILLED"
            return "$1"
        } ;;
    *)
        set -u
        tap_n=0 tap_failed=0 tap_skipped=0 tap_end=''
        scratch=$(mktemp -d)
        trap 'tap_exit $?' EXIT
        printf '\n\036\n' >"$scratch/end"
        : "${REGRW=}" "${RUNNER=}" "${harness=}"
        stdin_to=/dev/null stdout_to=file stderr_to=file
        dwords='' prefix='' lax=1 seeks_logged='' s_label=''
        [ -n "${ERRWORDS:-}" ] || [ ! -x "${REGRW%/*}/errwords" ] || ERRWORDS=${REGRW%/*}/errwords
        [ -z "${ERRWORDS:-}" ] || read_errwords
        # shellcheck disable=SC2034 # for the tables
        [ -z "$REGRW" ] || USAGE=$(usage_text "$REGRW")
        ;;
esac
