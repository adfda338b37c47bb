#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool on the emulated board, against the test_registers driver on a
# real 32-bit ARM kernel, in one boot: the end-to-end table (e2e-cases.sh)
# twice, with the driver refusing any position without a register (its
# default) and with lax_seek=1 (it then answers as the stand-in does); then
# what only a real kernel and driver show: the node's permission bits, and
# the module's removal; and the driver's own promises, held against the
# tests' client. The cases run on the board; their outcomes come back
# hex-encoded and are judged here, with the same helpers as everywhere.
# Usage: board.sh BUILD-DIR   (the board is made there by board/prepare)
REGRW=regrw
# The board runs the standalone ARM file: its C library's words.
ERRWORDS=$1/arm/errwords ERRWORDS_RUNNER="qemu-arm -cpu arm926"
. "$(dirname "$0")/lib.sh"
boot=$(dirname "$0")/../board/boot
if ! dir=$("$(dirname "$0")/../board/prepare" "$1" 2>"$scratch/err"); then
    skip "the board cannot be made here: $(tail -1 "$scratch/err")"
    finish
fi

# errno numbers as the ARM kernel has them, for the stand-in's names.
declare -A errno=([EPERM]=1 [EIO]=5 [ENXIO]=6 [EAGAIN]=11 [EACCES]=13 [EBUSY]=16
                  [ENODEV]=19 [EINVAL]=22 [ENOSPC]=28 [EROFS]=30 [ETIMEDOUT]=110)

# The recorded cases, by number: what to do on the board, and the wants.
n=0
declare -a kind opts outs errs args script label w_status w_out w_err w_log s_status s_out s_err s_log counts
driver=

# The words of e2e-cases.sh, for the driver: each records a case.
device() {
    local values=() words=() reg
    driver=
    while (($#)); do
        case $1 in
            -n) driver+=" nregs=$2" ;;
            --set) values[${2%%=*}]=${2#*=} ;;
            --fail-open|--fail-read|--fail-write|--fail-close)
                local knob=${1#--}; driver+=" ${knob/-/_}=${errno[$2]:-$2}" ;;
            --short-read|--short-write)
                local knob=${1#--}; driver+=" ${knob/-/_}=$2" ;;
            *) echo "board.sh: no driver parameter for $1" >&2; exit 2 ;;
        esac
        shift 2
    done
    if ((${#values[@]})); then
        local last=0
        for reg in "${!values[@]}"; do ((reg < last)) || last=$reg; done
        for ((reg = 0; reg <= last; reg++)); do words+=("${values[reg]:-0}"); done
        local IFS=,; driver+=" values=${words[*]}"
    fi
}
record() {
    n=$((n + 1))
    kind[n]=$1 opts[n]=$driver outs[n]=$stdout_to errs[n]=$stderr_to
}
dcheck() {
    record run
    args[n]=$(printf ' %q' "${@:5}")
    label[n]="regrw ${*:5}"
    w_status[n]=$1 w_out[n]=$2 w_err[n]=$3 w_log[n]=$4
    s_status[n]=$1 s_out[n]=$2 s_err[n]=$3 s_log[n]=$4
}
strict() { s_status[n]=$1 s_out[n]=$2 s_err[n]=$3 s_log[n]=$4; }
session() {
    local saved=$driver
    local o=(); while [ "$1" != -- ]; do o+=("$1"); shift; done; shift
    device "${o[@]}"
    record session
    driver=$saved
    script[n]=$1
}
outcome() {
    label[n]=$1 w_status[n]=$2 w_out[n]=$3 w_err[n]=$4 w_log[n]=
    s_status[n]=$2 s_out[n]=$3 s_err[n]=$4 s_log[n]=
}
# A session's log is judged by its counts, or by a whole log (session_log).
log_count() { local IFS=$'\x1f'; counts[n]="$*"; }
session_log() { w_log[n]=$1 s_log[n]=$1; counts[n]=whole; }

. "$(dirname "$0")/e2e-cases.sh"

# Only a real kernel and driver show these. The node's permission bits
# decide who may open it, before the driver sees anything; root may open
# any node. A removed module takes its node with it.
R="$O;seek 2;read 2 4;$C"
device
session -- 'chmod 0444 /dev/test_registers && su user -c "regrw 0 2"'
outcome "mode 0444: a user's read is refused at the open" 255 "" "open failed: ${strerror[EACCES]}"
session_log ""
session -- 'chmod 0444 /dev/test_registers && regrw 0 2'
outcome "mode 0444: root's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'chmod 0600 /dev/test_registers && su user -c "regrw 1 2 5"'
outcome "mode 0600: a user's write is refused at the open" 255 "" "open failed: ${strerror[EACCES]}"
session_log ""
session -- 'chmod 0666 /dev/test_registers && su user -c "regrw 0 2"'
outcome "mode 0666: a user's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'rmmod test_registers && regrw 0 2'
outcome "module removed" 255 "" "open failed: ${strerror[ENOENT]}"
session_log ""

# The driver tells the truth, as the stand-in must (regsim.sh): the tests'
# own client makes exactly the calls each case names, and the driver's
# answers and log must match what it did. Three registers hold 0x01020304,
# 0xdeadbeef and 0x80000000, unless the parameters say otherwise.
# probe "PARAMETERS" "MODE STEP..." ANSWERS LOG
probe() {
    record probe
    opts[n]="values=0x01020304,0xdeadbeef,0x80000000 $1" args[n]=$2 label[n]="devclient $2 [$1]"
    w_out[n]=$3 w_log[n]=$4
}
ok="open -> ok" closed="close -> ok" E="${strerror[EINVAL]}"
#      parameters      client                                   answers                                                      log
# The access mode and O_SYNC, as opened; a transfer the mode forbids never
# reaches the driver.
probe  ""              "r seek 1 read 4"                        "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY;seek 1;read 1 4;$C"
probe  ""              "r+sync seek 1 read 4"                   "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY|O_SYNC;seek 1;read 1 4;$C"
probe  ""              "w seek 2 write 11223344"                "$ok;seek 2 -> 2;write 4 -> 4;$closed"                       "open O_WRONLY;seek 2;write 2 4 11 22 33 44;$C"
probe  ""              "w+sync seek 0 write ffffffff"           "$ok;seek 0 -> 0;write 4 -> 4;$closed"                       "open O_WRONLY|O_SYNC;seek 0;write 0 4 ff ff ff ff;$C"
probe  ""              "rw+dsync seek 2 read 4"                 "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;$closed"            "open O_RDWR|O_DSYNC;seek 2;read 2 4;$C"
probe  ""              "r seek 1 write 00000000"                "$ok;seek 1 -> 1;write 4 -> ${strerror[EBADF]};$closed"     "open O_RDONLY;seek 1;$C"
probe  ""              "w seek 1 read 4"                        "$ok;seek 1 -> 1;read 4 -> ${strerror[EBADF]};$closed"      "open O_WRONLY;seek 1;$C"
# A word is stored whole, in host byte order; a transfer leaves the
# position at its register.
probe  ""              "rw seek 1 write a1b2c3d4 read 4"        "$ok;seek 1 -> 1;write 4 -> 4;read 4 -> 4 a1 b2 c3 d4;$closed" "open O_RDWR;seek 1;write 1 4 a1 b2 c3 d4;read 1 4;$C"
# Positions: only a register's own number, set from the start; a refused
# seek leaves the position where it was.
probe  ""              "rw seek 2 read 4 seek 3 read 4"         "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;seek 3 -> $E;read 4 -> 4 00 00 00 80;$closed" "open O_RDWR;seek 2;read 2 4;seek 3;read 2 4;$C"
probe  ""              "rw seek -1 read 4"                      "$ok;seek -1 -> $E;read 4 -> 4 04 03 02 01;$closed"          "open O_RDWR;seek -1;read 0 4;$C"
probe  ""              "rw seekcur 1"                           "$ok;seekcur 1 -> $E;$closed"                                "open O_RDWR;seek 1 SEEK_CUR;$C"
probe  "nregs=64"      "rw seek 63 read 4 seek 64"              "$ok;seek 63 -> 63;read 4 -> 4 00 00 00 00;seek 64 -> $E;$closed" "open O_RDWR;seek 63;read 63 4;seek 64;$C"
# lax_seek: any position that is not negative, the transfer refused instead.
probe  "lax_seek=1"    "rw seek 3 read 4"                       "$ok;seek 3 -> 3;read 4 -> $E;$closed"                       "open O_RDWR;seek 3;read 3 4;$C"
probe  "lax_seek=1"    "rw seek 8 write 01000000"               "$ok;seek 8 -> 8;write 4 -> $E;$closed"                      "open O_RDWR;seek 8;write 8 4 01 00 00 00;$C"
probe  "lax_seek=1"    "rw seek 1 seekcur 1 read 4"             "$ok;seek 1 -> 1;seekcur 1 -> 2;read 4 -> 4 00 00 00 80;$closed" "open O_RDWR;seek 1;seek 1 SEEK_CUR;read 2 4;$C"
probe  "lax_seek=1"    "rw seek -1"                             "$ok;seek -1 -> $E;$closed"                                  "open O_RDWR;seek -1;$C"
# Faults, each as set and logged as it reached the driver; a refusal comes
# before any fault.
probe  "fail_open=13"  "rw+sync seek 0 read 4"                  "open -> ${strerror[EACCES]}"                                  "open O_RDWR|O_SYNC"
probe  "fail_read=5"   "rw seek 1 read 4"                       "$ok;seek 1 -> 1;read 4 -> ${strerror[EIO]};$closed"       "open O_RDWR;seek 1;read 1 4;$C"
probe  "fail_write=28" "rw seek 1 write 01020304 read 4"        "$ok;seek 1 -> 1;write 4 -> ${strerror[ENOSPC]};read 4 -> 4 ef be ad de;$closed" "open O_RDWR;seek 1;write 1 4 01 02 03 04;read 1 4;$C"
probe  "short_read=2"  "rw seek 1 read 4"                       "$ok;seek 1 -> 1;read 4 -> 2 ef be;$closed"                  "open O_RDWR;seek 1;read 1 4;$C"
probe  "short_read=0"  "rw seek 1 read 4"                       "$ok;seek 1 -> 1;read 4 -> 0;$closed"                        "open O_RDWR;seek 1;read 1 4;$C"
probe  "short_write=3" "rw seek 1 write 01020304 read 4"        "$ok;seek 1 -> 1;write 4 -> 3;read 4 -> 4 ef be ad de;$closed" "open O_RDWR;seek 1;write 1 4 01 02 03 04;read 1 4;$C"
probe  "fail_close=5"  "rw seek 1 read 4"                       "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;close -> ${strerror[EIO]}" "open O_RDWR;seek 1;read 1 4;$C"
probe  "short_read=2"  "rw seek 1 read 8"                       "$ok;seek 1 -> 1;read 8 -> $E;$closed"                       "open O_RDWR;seek 1;read 1 8;$C"
# Sizes: only 4 bytes move a word; every size reaches the log as sent.
for size in 1 2 3 5 6 7 8; do
    bytes=$(seq "$size" | xargs printf '%02x')
    probe "" "rw seek 0 read $size"   "$ok;seek 0 -> 0;read $size -> $E;$closed"  "open O_RDWR;seek 0;read 0 $size;$C"
    probe "" "rw seek 0 write $bytes" "$ok;seek 0 -> 0;write $size -> $E;$closed" "open O_RDWR;seek 0;write 0 $size$(seq "$size" | xargs printf ' %02x');$C"
done

# The board's script: a prelude, then each case, in two passes. Sessions
# and probes run in the first pass only: their positions all have registers,
# or they set lax_seek themselves.
{
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
    for knob in fail_open fail_read fail_write fail_close lax_seek; do echo 0 >$P/$knob; done
    echo -1 >$P/short_read; echo -1 >$P/short_write; echo >$P/values
    for kv in $1; do case $kv in nregs=*) ;; *) echo "${kv#*=}" >$P/${kv%%=*} ;; esac; done
    dmesg -c >/dev/null
}
# The outcome, every file as hex lines after its own header.
report() {
    dmesg -c | sed -n 's/^\[[^]]*\] test_registers: //p' >$t/log
    echo "R $1 $2"
    for f in out err log; do echo "H $f"; [ ! -s $t/$f ] || xxd -p $t/$f; done
}
c() {
    id=$1 o=$3 e=$4
    load "$2"
    shift 4
    : >$t/out; : >$t/err
    (
        case $o in closed) exec >&- ;; full) exec >/dev/full ;; *) exec >$t/out ;; esac
        case $e in closed) exec 2>&- ;; *) exec 2>$t/err ;; esac
        exec timeout 10 regrw "$@"
    ) </dev/null
    report "$id" $?
}
# A session may change the node itself: it gets the module loaded anew.
s() {
    load "$2" anew
    timeout 300 sh "$3" </dev/null >$t/out 2>$t/err
    report "$1" $?
}
p() {
    id=$1
    load "$2"
    shift 2
    timeout 10 devclient /dev/test_registers "$@" </dev/null >$t/out 2>$t/err
    report "$id" $?
}
EOF
    for pass in strict lax; do
        lax=0; [ $pass = strict ] || lax=1
        for ((i = 1; i <= n; i++)); do
            if [ "${kind[i]}" = run ]; then
                printf 'c %s %q %s %s%s\n' "$pass.$i" "${opts[i]} lax_seek=$lax" "${outs[i]}" "${errs[i]}" "${args[i]}"
            elif [ "${kind[i]}" = probe ] && [ $pass = strict ]; then
                printf 'p %s %q %s\n' "$pass.$i" "${opts[i]}" "${args[i]}"
            elif [ $pass = strict ]; then
                printf "cat >/tmp/s%d <<'SESSION_END'\n%s\nSESSION_END\n" "$i" "${script[i]}"
                printf 's %s %q /tmp/s%d\n' "$pass.$i" "${opts[i]} lax_seek=$lax" "$i"
            fi
        done
    done
} >"$scratch/board-script"

started=$(date +%s)
"$boot" "$dir" --script "$scratch/board-script" >"$scratch/results" 2>"$scratch/board-err"
boot_status=$?
echo "board: $(grep -m1 '^board-shell: Linux' "$scratch/board-err" | sed 's/^board-shell: //'), $(($(date +%s) - started)) s for the boot and $(grep -c '^R ' "$scratch/results") runs"
same "the board ran its script" "$boot_status $(grep -v '^board-shell: Linux' "$scratch/board-err")" "0 "

# The results: "R ID STATUS", then "H FILE" and that file's hex lines.
unhex() { [ -z "$1" ] || printf '%b' "$(sed 's/../\\x&/g' <<<"$1")"; }
declare -A result
while read -r tag word rest; do
    case $tag in
        R) id=$word; result[$id]=$rest ;;
        H) file=$word; result[$id.$file]= ;;
        *) result[$id.$file]+=$tag ;;
    esac
done <"$scratch/results"

for pass in strict lax; do
    for ((i = 1; i <= n; i++)); do
        [ "${kind[i]}" = run ] || [ $pass = strict ] || continue
        what="$pass: ${label[i]}"
        if [ -z "${result[$pass.$i]:-}" ]; then
            same "$what: ran on the board" "" "no result"
            continue
        fi
        status=${result[$pass.$i]}
        for file in out err log; do unhex "${result[$pass.$i.$file]:-}" >"$scratch/$file"; done
        # The board's timeout ends a run with SIGTERM.
        [ "$status" != 143 ] || status=124
        if [ "${kind[i]}" = probe ]; then
            same "$what: answers" "$(cat "$scratch/out" "$scratch/err")" "${w_out[i]//;/$'\n'}"
            same "$what: driver log" "$(cat "$scratch/log")" "${w_log[i]//;/$'\n'}"
            continue
        fi
        if [ $pass = strict ]; then
            want=("${s_status[i]}" "${s_out[i]}" "${s_err[i]}" "${s_log[i]}")
        else
            want=("${w_status[i]}" "${w_out[i]}" "${w_err[i]}" "${w_log[i]}")
        fi
        verdict "$what" "${want[@]:0:3}" || continue
        if [ "${kind[i]}" = run ] || [ "${counts[i]:-}" = whole ]; then
            same "$what: driver log" "$(cat "$scratch/log")" "${want[3]//;/$'\n'}"
        elif [ -n "${counts[i]:-}" ]; then
            IFS=$'\x1f' read -r -a count <<<"${counts[i]:-}"
            same "$what: ${count[0]}" "$(count_lines "$scratch/log" "${count[@]:2}")" "${count[1]}"
        fi
    done
done
finish
