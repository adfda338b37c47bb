#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool on the emulated board, against the test_registers driver on a
# real 32-bit ARM kernel, in one boot: the end-to-end table (e2e-cases.sh)
# twice, with the driver refusing any position without a register (its
# default) and with lax_seek=1 (it then answers as the stand-in does); then
# what only a real kernel and driver show: the node's permission bits, and
# the module's removal. The cases run on the board; their outcomes come back
# hex-encoded and are judged here, with the same helpers as everywhere.
# Usage: board.sh BUILD-DIR   (the board is made there by board/prepare)
REGRW=regrw
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
outcome "mode 0444: a user's read is refused at the open" 255 "" "open failed: Permission denied"
session_log ""
session -- 'chmod 0444 /dev/test_registers && regrw 0 2'
outcome "mode 0444: root's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'chmod 0600 /dev/test_registers && su user -c "regrw 1 2 5"'
outcome "mode 0600: a user's write is refused at the open" 255 "" "open failed: Permission denied"
session_log ""
session -- 'chmod 0666 /dev/test_registers && su user -c "regrw 0 2"'
outcome "mode 0666: a user's read" 0 "reg2 = 0x00000000" ""
session_log "$R"
session -- 'rmmod test_registers && regrw 0 2'
outcome "module removed" 255 "" "open failed: No such file or directory"
session_log ""

# The board's script: a prelude, then each case, in two passes. Sessions
# run in the first pass only: their positions all have registers.
{
    cat <<'EOF'
t=$(mktemp -d)
load() {
    rmmod test_registers 2>/dev/null
    insmod /lib/modules/test_registers.ko nregs=3 $1 || echo "insmod $1 failed" >&2
    dmesg -c >/dev/null
}
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }
report() {
    dmesg | sed -n 's/^\[[^]]*\] test_registers: //p' >$t/log
    echo "R $1 $2 $(hex $t/out)- $(hex $t/err)- $(hex $t/log)-"
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
s() {
    load "$2"
    timeout 300 sh "$3" </dev/null >$t/out 2>$t/err
    report "$1" $?
}
EOF
    for pass in strict lax; do
        lax=0; [ $pass = strict ] || lax=1
        for ((i = 1; i <= n; i++)); do
            if [ "${kind[i]}" = run ]; then
                printf 'c %s %q %s %s%s\n' "$pass.$i" "${opts[i]} lax_seek=$lax" "${outs[i]}" "${errs[i]}" "${args[i]}"
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

unhex() { local h=${1%-}; [ -z "$h" ] || printf '%b' "$(sed 's/../\\x&/g' <<<"$h")"; }
declare -A result
while read -r tag id rest; do
    [ "$tag" = R ] && result[$id]=$rest
done <"$scratch/results"

for pass in strict lax; do
    for ((i = 1; i <= n; i++)); do
        [ "${kind[i]}" = run ] || [ $pass = strict ] || continue
        what="$pass: ${label[i]}"
        if [ -z "${result[$pass.$i]:-}" ]; then
            same "$what: ran on the board" "" "no result"
            continue
        fi
        read -r status out err log <<<"${result[$pass.$i]}"
        unhex "$out" >"$scratch/out"; unhex "$err" >"$scratch/err"; unhex "$log" >"$scratch/log"
        # The board's timeout ends a run with SIGTERM.
        [ "$status" != 143 ] || status=124
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
            got=()
            for pattern in "${count[@]:2}"; do got+=("$(grep -c -e "$pattern" "$scratch/log")"); done
            same "$what: ${count[0]}" "${got[*]}" "${count[1]}"
        fi
    done
done
finish
