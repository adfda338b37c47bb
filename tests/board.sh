#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# board.sh BUILD-DIR BOARD: the tool on an emulated board of this Debian
# release (a board row of cmake/targets, made by lab/board/prepare), against
# the test_registers driver on Debian's kernel. One boot runs tests/on-board.sh,
# whose TAP is this suite's; others show what a person at the board sees.
# What boot promises a person (BOARD_FILE, a driver word refused, lines piped
# in, the silence limit) is checked on one board: the last with the fewest
# files, whose suite is the shortest.
#
# The tool's tables run at the driver's default, lax_seek=0. At lax_seek=1
# they would show only what regsim's suites show: the tool's outcome follows
# from what each call returns, and the probe table, run at both, holds the
# driver at lax_seek=1 to what a file returns, call by call, as regsim does.
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
# shellcheck source=scripts/project.sh
. "$(dirname "$0")/../scripts/project.sh"
boot=$(dirname "$0")/../lab/board/boot prepare=$(dirname "$0")/../lab/board/prepare board=${2:-}
[ -n "$board" ] || { skip "$(regrw_no_boards)"; finish; }

dir=$("$prepare" "$1" "$board" 2>"$scratch/err")
case $? in
    0) ;;
    77) skip "the $board board cannot be made here: $(tail -1 "$scratch/err")"; finish ;;
    *) same "the $board board's parts" "$(tail -5 "$scratch/err")" ""; finish ;;
esac
own='' own_target='' runs='' refuses='' driver_words=''
# shellcheck source=/dev/null # written by prepare
. "$dir/files"
ERRWORDS=$1/$own_target/errwords ERRWORDS_RUNNER=$(regrw_emulator "$own_target")
read_errwords

started=$(date +%s)
"$boot" "$dir" "REGRW_TIME_FACTOR=$factor sh /tests/on-board.sh" >"$scratch/results" 2>"$scratch/board-err"
boot_status=$? failed=$tap_failed
relay "$board: " <"$scratch/results"
echo "# $(grep -m1 '^board: Linux' "$scratch/board-err"), $(($(date +%s) - started)) s for the boot and its suite"
same "$board: the board's status, and nothing else on its standard error" \
    "$boot_status $(grep -v '^board: Linux' "$scratch/board-err")" "$((tap_failed > failed)) "

# boot_as WORDS EXPECTED BOOT-ARG...: a boot with BOARD_DRIVER_OPTS=WORDS,
# held to its streams (the board's lines but the first) and its status.
boot_as() {
    local words=$1 expected=$2
    shift 2
    local said="$words${BOARD_FILE:+ BOARD_FILE=$BOARD_FILE}${BOARD_SILENCE:+ BOARD_SILENCE=$BOARD_SILENCE}"
    same "$board: a boot: [${said# }] $*" \
        "$(BOARD_DRIVER_OPTS=$words "$boot" "$dir" "$@" 2>&1 | grep -v -e '^board: Linux' -e '^# still running'
           echo "exit ${PIPESTATUS[0]}")" "$expected"
}
# shellcheck disable=SC2154 # the harness's
boot_as "nregs=8 values=0x11,0,0x1234 fail_write=$errno_EIO" "reg2 = 0x00001234
reg0 = 0x00000011
write failed: $strerror_EIO
status 255
lseek failed: $strerror_EINVAL
status 255
exit 0" 'regrw 0 2; regrw 0 0; regrw 1 1 5; echo "status $?"; regrw 0 9; echo "status $?"'
# Each file but its own is regrw as BOARD_FILE says (the suite shows its own).
for word in ${runs#"$own"}; do
    BOARD_FILE=$word boot_as "" "/opt/$word/regrw
reg1 = 0x00000000
exit 0" 'readlink /bin/regrw; regrw 0 1'
done

once=$(for b in $(regrw_boards); do echo "$(regrw_field board "$b" runs | tr , '\n' | wc -l) $b"; done |
    sort -s -n -k1,1 | awk 'NR == 1 { n = $1 } $1 == n { b = $2 } END { print b }')
[ "$board" = "$once" ] || finish
same "a board this release has not (BOARD=arm64-16k on Debian 12, say)" "$("$prepare" "$1" nope 2>&1; echo "exit $?")" \
    "board: no board nope on this Debian release: its boards are $(regrw_boards | paste -sd' ' -) (cmake/targets)
exit 1"
BOARD_FILE=nope boot_as "" "board-shell: the $board board has no file nope (BOARD_FILE): its files are $runs${refuses:+ $refuses}
exit 1" true
boot_as fail_reed=5 "board: the driver has no word fail_reed; its words: $driver_words (BOARD_DRIVER_OPTS)
exit 1" 'regrw 0 1'
same "$board: a boot, the lines piped in" "$(printf 'regrw 1 2 7\nregrw 0 2\nfalse\n' | "$boot" "$dir" 2>&1 |
    grep -v '^board: Linux'; echo "exit ${PIPESTATUS[1]}")" "reg2 = 0x00000007
exit 1"
# A session longer than the silence says it is still running (those lines
# left out here); a silent hang after it stops the board. The boot, the
# layer and the driver's reload before the session's first line are silent
# too: 20 s leaves them room on a loaded machine.
silence=$((20 * factor)) long=$((20 * factor + 5))
BOARD_SILENCE=$silence boot_as "" "ok 1 - a session of $long s
board-shell: the board printed nothing for $silence s: stuck; stopped it
exit 1" ". /tests/layer.sh; session 'a session of $long s' 0 '' '' -- 'sleep $long'; sleep 1000"
finish
