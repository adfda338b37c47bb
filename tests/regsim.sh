#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The stand-in device keeps the promises of the table in probe-cases.sh,
# which the driver on the board keeps too.
# Usage: regsim.sh DEVCLIENT   (the stand-in is $REGSIM)
client=$1
REGRW=regrw
. "$(dirname "$0")/lib.sh"
need_namespace regsim

# The words of probe-cases.sh, for the stand-in: a file, whose seeks never
# reach it (the log has none) and which cannot refuse one (no strict rows).
device() { words=("$@"); }
strict() { :; }
probe() {
    local args
    read -r -a args <<<"$1"
    : >"$scratch/log"
    timeout -k 2 "$limit" "$devns" regsim -l "$scratch/log" "${words[@]}" -- \
        "$client" /dev/test_registers "${args[@]}" >"$scratch/out" 2>"$scratch/err"
    status=$?
    if killed; then
        same "devclient $1 [${words[*]}]: no end within $limit s" killed ""
        return
    fi
    same "devclient $1 [${words[*]}]: answers" "$(cat "$scratch/out" "$scratch/err")" "${2//;/$'\n'}"
    same "devclient $1 [${words[*]}]: log" "$(cat "$scratch/log")" "$(stand_in_log "$3")"
}
refused() {
    local w
    read -r -a w <<<"$1"
    timeout -k 2 "$limit" "$devns" regsim "${w[@]}" -- true >"$scratch/out" 2>&1
    same "regsim $1: refused" "$(grep -c '^regsim: ' "$scratch/out") $(tail -1 "$scratch/out")" \
        "1 devns: the stand-in did not start"
}

. "$(dirname "$0")/probe-cases.sh"
# The one word only a driver takes: a file cannot refuse a seek.
refused lax_seek=0
finish
