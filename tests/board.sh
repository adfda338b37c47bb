#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool on each emulated board of this Debian release (cmake/targets),
# against the test_registers driver on Debian's kernel. In one boot,
# lab/board/cases runs the case tables with each standalone file the board
# runs and holds the kernel to refusing the others. Then short boots.
# Usage: board.sh BUILD-DIR   (the board is made there by lab/board/prepare)
# shellcheck source=tests/engine.sh
. "$(dirname "$0")/engine.sh"
# shellcheck source=scripts/project.sh
. "$(dirname "$0")/../scripts/project.sh"
boot=$(dirname "$0")/../lab/board/boot
driver_words="fail_close fail_open fail_read fail_write lax_seek nregs short_read short_write values"

# short_boot WORDS COMMAND ANSWER, or WORDS - LINES ANSWER (lines piped in):
# one boot, held to both streams and its status, within a limit of its own
# too, for a board that waits for a terminal it never gets.
short_boot() {
    local run=(env BOARD_TIMEOUT="${BOARD_TIMEOUT:-60}" timeout -k 5 90 "$boot" "$dir") what=$2
    if [ "$2" = - ]; then what=$3; out=$(printf '%b' "$3" | BOARD_DRIVER_OPTS=$1 "${run[@]}" 2>&1; echo "exit $?")
    else out=$(BOARD_DRIVER_OPTS=$1 "${run[@]}" "$2" 2>&1; echo "exit $?"); fi
    same "$board: a short boot: [$1${BOARD_FILE:+ BOARD_FILE=$BOARD_FILE}] $what" "$(grep -v '^board: Linux' <<<"$out")" "${*: -1}"
}
prepare=$(dirname "$0")/../lab/board/prepare
same "a board this release has not (BOARD=arm64-16k on Debian 12, say)" "$("$prepare" "$1" nope 2>&1; echo "exit $?")" \
    "board: no board nope on this Debian release: its boards are $(regrw_boards | paste -sd' ' -) (cmake/targets)
exit 1"
[ -n "$(regrw_boards)" ] || skip "$(regrw_no_boards)"
for board in $(regrw_boards); do
    dir=$("$prepare" "$1" "$board" 2>"$scratch/err")
    case $? in
        0) ;;
        77) skip "the $board board cannot be made here: $(tail -1 "$scratch/err")"; continue ;;
        *) same "the $board board's parts" "$(tail -5 "$scratch/err")" ""; continue ;;
    esac
    # Its files (runs, refuses), as prepare wrote them; its own file's
    # C library's words.
    runs='' refuses=''
    # shellcheck source=/dev/null # written by prepare
    . "$dir/files"
    own=$(regrw_field board "$board" runs)
    own=${own%%,*}
    ERRWORDS=$1/$own/errwords ERRWORDS_RUNNER=$(regrw_emulator "$own")
    read_errwords

    started=$(date +%s)
    # Every table under emulation takes minutes, over 300 s on a busy
    # machine: a hang is still stopped.
    BOARD_TIMEOUT=${BOARD_TIMEOUT:-900} "$boot" "$dir" 'sh /tests/cases' >"$scratch/results" 2>"$scratch/board-err"
    boot_status=$?
    echo "$(grep -m1 '^board: Linux' "$scratch/board-err"), $(($(date +%s) - started)) s for the boot and its cases"
    sed '$d' "$scratch/results"
    if [[ $(tail -1 "$scratch/results") =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed,\ 0\ skipped$ ]]; then
        passed=$((passed + BASH_REMATCH[1])) failed=$((failed + BASH_REMATCH[2]))
        same "$board: the board's status, and nothing on its standard error" \
            "$boot_status $(grep -v '^board: Linux' "$scratch/board-err")" "$((BASH_REMATCH[2] > 0)) "
    else
        same "$board: the board ran its cases to the end" "$(tail -n 3 "$scratch/results" "$scratch/board-err")" "a closing line"
    fi

    # What a person at the board sees, in the order written to each stream
    # (across the two, the order is the scheduler's).
    # shellcheck disable=SC2154 # the engine's
    out=$(BOARD_DRIVER_OPTS="nregs=8 values=0x11,0,0x1234 fail_write=$errno_EIO" "$boot" "$dir" \
        'regrw 0 2; regrw 0 0; regrw 1 1 5; echo "status $?"; regrw 0 9; echo "status $?"' 2>"$scratch/session-err"; echo "exit $?")
    same "$board: a board session's standard output, in order" "$out" "reg2 = 0x00001234
reg0 = 0x00000011
status 255
status 255
exit 0"
    # shellcheck disable=SC2154 # the engine's
    same "$board: a board session's standard error, in order" "$(grep -v '^board: Linux' "$scratch/session-err")" \
        "write failed: $strerror_EIO
lseek failed: $strerror_EINVAL"
    short_boot fail_reed=5 'regrw 0 1' "board: the driver has no word fail_reed; its words: $driver_words (BOARD_DRIVER_OPTS)
exit 1"
    short_boot "nregs=8 nregs=0" 'regrw 0 1' "board: the driver refused nregs=0: not a value it takes (BOARD_DRIVER_OPTS)
exit 1"
    short_boot "" - 'regrw 1 2 7\nregrw 0 2\nfalse' "reg2 = 0x00000007
exit 1"
    BOARD_TIMEOUT=2 short_boot "" 'sleep 100' "board-shell: the board did not finish within 2 s (BOARD_TIMEOUT); stopped it
exit 1"
    # Each file it runs is regrw as BOARD_FILE says; another, refused first.
    for word in $runs; do
        BOARD_FILE=$word short_boot "" 'readlink /bin/regrw; regrw 0 1' "/opt/$word/regrw
reg1 = 0x00000000
exit 0"
    done
    BOARD_FILE=nope short_boot "" true "board-shell: the $board board has no file nope (BOARD_FILE): its files are $runs${refuses:+ $refuses}
exit 1"
done
finish
