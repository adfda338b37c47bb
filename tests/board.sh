#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool on the emulated board, against the test_registers driver on a
# real 32-bit ARM kernel, in one boot: the tables (e2e-cases.sh, load-cases.sh,
# probe-cases.sh), with the driver refusing any position without a register
# (its default) and with lax_seek=1, as the stand-in answers; then what only
# a real kernel and driver show: the node's permission bits, the module's
# removal, its parameters at run time. The outcomes come back and are judged
# here as on the host. Then two short boots: the lines of a board session in
# the order they were written, and a board past its time limit.
# Usage: board.sh BUILD-DIR   (the board is made there by lab/board/prepare)
REGRW=regrw
# The board runs the standalone ARM file: its C library's words.
ERRWORDS=$1/arm/errwords ERRWORDS_RUNNER="qemu-arm -cpu arm926"
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
boot=$(dirname "$0")/../lab/board/boot
dir=$("$(dirname "$0")/../lab/board/prepare" "$1" 2>"$scratch/err")
case $? in
    0) ;;
    77) skip "the board cannot be made here: $(tail -1 "$scratch/err")"; finish ;;
    *) same "the board's parts" "$(tail -5 "$scratch/err")" ""; finish ;;
esac

seeks_logged=1 limit=10
# shellcheck source=tests/e2e-cases.sh
. "$(dirname "$0")/e2e-cases.sh"
# shellcheck source=tests/load-cases.sh
. "$(dirname "$0")/load-cases.sh"
# shellcheck source=tests/probe-cases.sh
. "$(dirname "$0")/probe-cases.sh"

# Only a real kernel and driver show these. The node's permission bits
# decide who may open it, before the driver sees anything; root may open
# any node. A removed module takes its node with it.
R="$O;seek 2;read 2 4;$C"
device
session -- 'chmod 0444 /dev/test_registers && su user -c "timeout 10 regrw 0 2"'
outcome "mode 0444: a user's read is refused at the open" 255 "" "open failed: ${strerror[EACCES]}"
session_log ""
session -- 'chmod 0444 /dev/test_registers && regrw 0 2'
outcome "mode 0444: root's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'chmod 0600 /dev/test_registers && su user -c "timeout 10 regrw 1 2 5"'
outcome "mode 0600: a user's write is refused at the open" 255 "" "open failed: ${strerror[EACCES]}"
session_log ""
session -- 'chmod 0666 /dev/test_registers && su user -c "timeout 10 regrw 0 2"'
outcome "mode 0666: a user's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'rmmod test_registers && regrw 0 2'
outcome "module removed" 255 "" "open failed: ${strerror[ENOENT]}"
session_log ""
# Parameters at run time: a word out of bounds changes nothing; values reads
# back the registers as they are, and fails rather than cut the list short.
P=/sys/module/test_registers/parameters
# shellcheck disable=SC2016 # the board's script, expanded there
session nregs=4 -- 'regrw 1 3 7
    echo 134 2>/dev/null >'$P'/fail_read; echo "fail_read=134: status $?"
    echo 1,2,3,4,5 2>/dev/null >'$P'/values; echo "five values: status $?"
    cat '$P'/fail_read '$P'/values; regrw 0 3'
outcome "run time: fail_read=134 and five values for four registers refused" 0 "fail_read=134: status 1
five values: status 1
0
0x0,0x0,0x0,0x7
reg3 = 0x00000007" ""
# shellcheck disable=SC2016 # the board's script, expanded there
session nregs=1024 -- 'i=0 v=; while [ $i -lt 1024 ]; do v=$v,99; i=$((i + 1)); done
    echo "${v#,}" >'$P'/values; regrw 0 1023; cat '$P'/values >/dev/null 2>&1; echo "read back: status $?"'
outcome "1,024 values: set, and too long to read back whole" 0 "reg1023 = 0x00000063
read back: status 1" ""

# Each word the board may change, at its default, from the stand-ins' one
# list (nregs, set at load only, aside).
header=$(dirname "$0")/../lab/driver/test_registers.h
defaults=$(sed -n 's/^\tX(\([a-z_]*\), 0644, [^,]*, [^,]*, \([-0-9]*\),.*/\1=\2/p' "$header" | tr '\n' ' ')
same "the words' defaults, from test_registers.h" "$(grep -c $'^\tX(' "$header")" "$(($(wc -w <<<"$defaults") + 1))"

# The board's script: a prelude, then each case, in two passes. Sessions
# and refusals run in the first pass only: their positions all have
# registers, or they do not touch the device.
{
    echo "defaults='$defaults'"
    cat <<'EOF'
t=$(mktemp -d) P=/sys/module/test_registers/parameters loaded=
# A fresh device for each case: the module is loaded anew where the number
# of registers changes (or it was removed); otherwise its knobs are set
# back (writing values sets every register) and then set as the case says.
load() {
    n=3
    for kv in $1; do case $kv in nregs=*) n=${kv#nregs=} ;; esac; done
    if [ "$n" != "$loaded" ] || [ ! -e /dev/test_registers ] || [ -n "$2" ]; then
        rmmod test_registers 2>/dev/null
        insmod /lib/modules/test_registers.ko nregs=$n || echo "insmod nregs=$n failed" >&2
        loaded=$n
    fi
    for kv in $defaults; do echo "${kv#*=}" >$P/${kv%%=*}; done
    echo >$P/values
    for kv in $1; do case $kv in nregs=*) ;; *) echo "${kv#*=}" >$P/${kv%%=*} ;; esac; done
    dmesg -c >/dev/null
}
# The outcome as one line, "R ID STATUS OUT ERR LOG", each file in base64
# after a "=", which keeps an empty one a word.
report() {
    dmesg -c | sed -n 's/^\[[^]]*\] test_registers: //p' >$t/log
    echo "R $1 $2 =$(base64 -w0 $t/out) =$(base64 -w0 $t/err) =$(base64 -w0 $t/log)"
}
c() {
    id=$1
    load "$2"
    shift 2
    : >$t/out; : >$t/err
    sh /board/launch "$@"
    report "$id" $?
}
# A session may change the node itself: it gets the module loaded anew.
s() {
    load "$2" anew
    rm -f $t/killed
    REGRW=/bin/regrw RUNNER= LIMIT=10 KILLED=$t/killed timeout 300 sh -c '. /board/session-regrw; . "$0"' "$3" \
        </dev/null >$t/out 2>$t/err
    status=$?
    [ ! -e $t/killed ] || status=124
    report "$1" $status
}
p() {
    id=$1
    load "$2"
    shift 2
    timeout 10 devclient /dev/test_registers "$@" </dev/null >$t/out 2>$t/err
    report "$id" $?
}
# Parameter words the driver must refuse at load: it is not loaded then.
r() {
    rmmod test_registers 2>/dev/null
    loaded=
    insmod /lib/modules/test_registers.ko $2 2>$t/err
    status=$?
    [ ! -e /sys/module/test_registers ] && echo refused >$t/out || echo loaded >$t/out
    report "$1" $status
}
EOF
    for pass in strict lax; do
        lax=0; [ $pass = strict ] || lax=1
        for ((i = 1; i <= n; i++)); do
            case ${kind[i]}.$pass in
                run.*)
                    read -r i_to o_to e_to <<<"${io[i]}"
                    [ "$o_to" != file ] || o_to=\$t/out
                    [ "$e_to" != file ] || e_to=\$t/err
                    printf 'c %s %q %s %s %s "" timeout -k 2 10 regrw%s\n' "$pass.$i" "${case_words[i]} lax_seek=$lax" \
                        "$i_to" "$o_to" "$e_to" "${args[i]}" ;;
                probe.*) printf 'p %s %q %s\n' "$pass.$i" "${case_words[i]} lax_seek=$lax" "${args[i]}" ;;
                session.strict)
                    printf "cat >/tmp/s%d <<'SESSION_END'\n%s\nSESSION_END\n" "$i" "${script[i]}"
                    printf 's %s %q /tmp/s%d\n' "$pass.$i" "${case_words[i]} lax_seek=$lax" "$i" ;;
                refused.strict) printf 'r %s %q\n' "$pass.$i" "${case_words[i]}" ;;
            esac
        done
    done
} >"$scratch/board-script"

printf '%s\n' "$launch" >"$scratch/launch"
printf '%s\n' "$session_regrw" >"$scratch/session-regrw"
started=$(date +%s)
"$boot" "$dir" --file launch="$scratch/launch" --file session-regrw="$scratch/session-regrw" \
    --script "$scratch/board-script" >"$scratch/results" 2>"$scratch/board-err"
boot_status=$?
linux=$(grep -m1 '^board-shell: Linux' "$scratch/board-err")
echo "board: ${linux#board-shell: }, $(($(date +%s) - started)) s for the boot and $(grep -c '^R ' "$scratch/results") runs"
same "the board ran its script" "$boot_status $(grep -v '^board-shell: Linux' "$scratch/board-err")" "0 "

declare -A result
while read -r tag id rest; do [ "$tag" != R ] || result[$id]=$rest; done <"$scratch/results"

for pass in strict lax; do
    for ((i = 1; i <= n; i++)); do
        case ${kind[i]}.$pass in session.lax | refused.lax) continue ;; esac
        if [ -z "${result[$pass.$i]:-}" ]; then
            same "$pass: ${label[i]}: ran on the board" "" "no result"
            continue
        fi
        # shellcheck disable=SC2034 # read through ${!file}
        read -r status out err log <<<"${result[$pass.$i]}"
        for file in out err log; do base64 -d <<<"${!file#=}" >"$scratch/$file"; done
        judge "$i" "$pass" "$pass: "
    done
done

# What a person at the board sees: the lines of one command after another,
# in the order they were written to each stream. Across the two streams the
# order is the scheduler's, so each is held to its own.
out=$(BOARD_DRIVER_OPTS="nregs=8 values=0x11,0,0x1234 fail_write=${errno[EIO]}" "$boot" "$dir" \
    'regrw 0 2; regrw 0 0; regrw 1 1 5; echo "status $?"; regrw 0 9; echo "status $?"' 2>"$scratch/session-err"; echo "exit $?")
same "a board session's standard output, in order" "$out" "reg2 = 0x00001234
reg0 = 0x00000011
status 255
status 255
exit 0"
same "a board session's standard error, in order" "$(grep -v '^board-shell: Linux' "$scratch/session-err")" \
    "write failed: ${strerror[EIO]}
lseek failed: ${strerror[EINVAL]}"
# A board that does not finish in time is stopped, with one line.
out=$(BOARD_TIMEOUT=2 "$boot" "$dir" 'sleep 100' 2>&1; echo "exit $?")
same "a board past BOARD_TIMEOUT" "$out" "board-shell: the board did not finish within 2 s (BOARD_TIMEOUT); stopped it
exit 1"
finish
