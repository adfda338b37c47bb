# SPDX-License-Identifier: MIT
# shellcheck shell=sh
# The board's device layer (tests/harness.sh says what it promises): the
# driver, its seeks logged, lax_seek as $lax says (the driver's default, 0).
# A run may take 10 s, times the factor: emulated. A longer one (a session)
# says it is still going, every third of the silence boot allows.
harness=/tests/harness.sh
# shellcheck source=tests/harness.sh
. "$harness"
exec 8>&1
tick=$(($(cat /board/silence) / 3))
[ "$tick" -gt 0 ] || tick=1
seeks_logged=1 lax=0 limit=$((10 * factor)) loaded='' loaded_node=''
P=/sys/module/test_registers/parameters

# reset_device WORDS: a fresh device, its log read empty: loaded anew where
# nregs or the node changed, else its words set back to those it loaded with
# (values sets every register), then as WORDS say.
reset_device() {
    d_n=3
    for kv in $1; do case $kv in nregs=*) d_n=${kv#nregs=} ;; esac; done
    if [ "$d_n" != "$loaded" ] || [ "$(stat -c '%a %u %g' /dev/test_registers 2>/dev/null)" != "$loaded_node" ]; then
        rmmod test_registers 2>/dev/null
        load-driver nregs="$d_n" >&2 || return 1
        load-driver log >/dev/null
        loaded=$d_n loaded_words=values= loaded_node=$(stat -c '%a %u %g' /dev/test_registers)
        for f in "$P"/*; do
            case ${f##*/} in nregs | values) ;; *) loaded_words="$loaded_words ${f##*/}=$(cat "$f")" ;; esac
        done
    fi
    for kv in $loaded_words $1; do
        case $kv in nregs=*) ;; *) echo "${kv#*=}" >"$P/${kv%%=*}" || return 1 ;; esac
    done
}
on_device() {
    o_limit=$1 o_alive=
    reset_device "$2 lax_seek=$lax" || return 99
    shift 2
    if [ "$o_limit" -gt "$tick" ]; then
        (o_s=0; while sleep "$tick"; do o_s=$((o_s + tick)); echo "# still running after $o_s s" >&8; done) &
        o_alive=$!
    fi
    limited "$o_limit" "$@" 8>&-
    o_status=$?
    [ -z "$o_alive" ] || kill "$o_alive"
    load-driver log >"$scratch/log"
    return "$o_status"
}
device_refuses() {
    rmmod test_registers 2>/dev/null
    loaded=
    ! load-driver "$@" && [ ! -e /sys/module/test_registers ]
}
