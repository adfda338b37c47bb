#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool on the emulated board, against the test_registers driver on a
# real 32-bit ARM kernel, in one boot: lab/board/cases runs the tables
# (e2e-cases.sh, load-cases.sh, probe-cases.sh, board-cases.sh) there
# through the same engine as on the host, and its failures and counts come
# back as its output. Then two short boots: the lines of a board session in
# the order they were written, and a board past its time limit.
# Usage: board.sh BUILD-DIR   (the board is made there by lab/board/prepare)
# The board runs the standalone ARM file: its C library's words.
ERRWORDS=$1/arm/errwords ERRWORDS_RUNNER=$(bash "$(dirname "$0")/../scripts/project.sh" emulator armv5)
# shellcheck source=tests/engine.sh
. "$(dirname "$0")/engine.sh"
boot=$(dirname "$0")/../lab/board/boot
dir=$("$(dirname "$0")/../lab/board/prepare" "$1" 2>"$scratch/err")
case $? in
    0) ;;
    77) skip "the board cannot be made here: $(tail -1 "$scratch/err")"; finish ;;
    *) same "the board's parts" "$(tail -5 "$scratch/err")" ""; finish ;;
esac

started=$(date +%s)
"$boot" "$dir" 'sh /tests/cases' >"$scratch/results" 2>"$scratch/board-err"
boot_status=$?
linux=$(grep -m1 '^board-shell: Linux' "$scratch/board-err")
echo "board: ${linux#board-shell: }, $(($(date +%s) - started)) s for the boot and its cases"
sed '$d' "$scratch/results"
if [[ $(tail -1 "$scratch/results") =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed,\ 0\ skipped$ ]]; then
    passed=$((passed + BASH_REMATCH[1])) failed=$((failed + BASH_REMATCH[2]))
    same "the board's status, and nothing on its standard error" \
        "$boot_status $(grep -v '^board-shell: Linux' "$scratch/board-err")" "$((BASH_REMATCH[2] > 0)) "
else
    same "the board ran its cases to the end" "$(tail -n 3 "$scratch/results" "$scratch/board-err")" "a closing line"
fi

# What a person at the board sees: the lines of one command after another,
# in the order they were written to each stream. Across the two streams the
# order is the scheduler's, so each is held to its own.
# shellcheck disable=SC2154 # the engine's
out=$(BOARD_DRIVER_OPTS="nregs=8 values=0x11,0,0x1234 fail_write=$errno_EIO" "$boot" "$dir" \
    'regrw 0 2; regrw 0 0; regrw 1 1 5; echo "status $?"; regrw 0 9; echo "status $?"' 2>"$scratch/session-err"; echo "exit $?")
same "a board session's standard output, in order" "$out" "reg2 = 0x00001234
reg0 = 0x00000011
status 255
status 255
exit 0"
# shellcheck disable=SC2154 # the engine's
same "a board session's standard error, in order" "$(grep -v '^board-shell: Linux' "$scratch/session-err")" \
    "write failed: $strerror_EIO
lseek failed: $strerror_EINVAL"
# A board that does not finish in time is stopped, with one line.
out=$(BOARD_TIMEOUT=2 "$boot" "$dir" 'sleep 100' 2>&1; echo "exit $?")
same "a board past BOARD_TIMEOUT" "$out" "board-shell: the board did not finish within 2 s (BOARD_TIMEOUT); stopped it
exit 1"
finish
