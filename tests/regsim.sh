#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The stand-in device keeps the promises of the table in probe-cases.sh,
# which the driver on the board keeps too.
# Usage: regsim.sh DEVCLIENT   (the stand-in is $REGSIM)
DEVCLIENT=$1
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need_namespace regsim

# shellcheck source=tests/probe-cases.sh
. "$(dirname "$0")/probe-cases.sh"
# The one word only a driver takes: a file cannot refuse a seek.
refused lax_seek=0
run_cases
# A word with a space in it, which no row can carry: refused, as the
# driver's kstrtoint refuses it.
timeout -k 2 "$limit" "$devns" regsim 'fail_open= 5' -- true >"$scratch/err" 2>&1
same "the word 'fail_open= 5': refused" "$(grep -c '^regsim: invalid fail_open:  5$' "$scratch/err")" 1
finish
