# Shared by the test scripts: runs the real binary and compares exit status,
# standard output and standard error together, one case a line.
#
# Set before sourcing: REGRW (the binary) and, to run it under an emulator,
# RUNNER (an array, e.g. (qemu-arm)); the emulator must take "-0 NAME" to set
# the program's name, as qemu-user does.

set -u
passed=0 failed=0 skipped=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
: "${RUNNER:=}"
read -r -a runner <<<"$RUNNER"

# The usage text as the tool prints it for program name $1.
usage_text() {
    printf 'Proper usage: %s <R/W> <REG_NUM> [DATA]\n\tR/W - Read = 0 Write = 1\n\tREG_NUM - [0:2]\n\tDATA - data to be written to reg' "$1"
}
USAGE=$(usage_text "$REGRW")

# Set by the end-to-end tests: a command prefix that places the run in a
# private device namespace. Empty: the host as it is.
ns=()
# Where the tool's standard output goes: a file (read back), "full" for
# /dev/full, or "closed"; and its standard error: a file, or "closed".
stdout_to=file
stderr_to=file

# run_as NAME ARG...: runs the tool with program name NAME; the outcome lands
# in $scratch/out, $scratch/err and $status.
run_as() {
    local name=$1; shift
    local cmd=("${ns[@]}" "${runner[@]}")
    if [ "$name" != "$REGRW" ]; then
        if ((${#runner[@]})); then cmd+=(-0 "$name"); else cmd+=(bash -c 'exec -a "$0" "$@"' "$name"); fi
    fi
    : >"$scratch/out"
    : >"$scratch/err"
    (
        case $stdout_to in
            file) exec >"$scratch/out" ;;
            full) exec >/dev/full ;;
            closed) exec >&- ;;
        esac
        case $stderr_to in
            file) exec 2>"$scratch/err" ;;
            closed) exec 2>&- ;;
        esac
        exec "${cmd[@]}" "$REGRW" "$@" </dev/null
    )
    status=$?
}

# Expected text as lines: nothing for "", else the text and one newline.
lines() { [ -z "$1" ] || printf '%s\n' "$1"; }

# verdict LABEL STATUS STDOUT STDERR: compares the last run with the wants.
verdict() {
    local label=$1 want_status=$2 want_out want_err got_out got_err
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
