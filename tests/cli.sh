#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line, as far as it is decided before the device is touched:
# usage errors and refused numbers, with no node at all; then the valid
# commands, which all end at the open.
# Usage: cli.sh BINARY [RUNNER]
REGRW=$1 RUNNER=${2:-}
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
device_kind=none
need_device none

U=$USAGE
#      status  stdout  stderr                          arguments
check  255     "$U"    ""                              # no arguments
check  255     "$U"    ""                              0
check  255     "$U"    ""                              1 2              # a write needs DATA
check  255     "$U"    ""                              0 2 5            # a read with DATA is no read
check  255     "$U"    ""                              2 0              # R/W is 0 or 1
check  255     "$U"    ""                              -1 0
check  255     "$U"    ""                              2 0 5
check  255     "$U"    ""                              0 1 2 3          # four arguments
check  255     "$U"    ""                              5 0 12abc        # the combination is refused before DATA is read
check  255     "$U"    "invalid R/W: x"                x 0              # a word is not 0
check  255     "$U"    "invalid R/W: x"                x y              # the first refusal is the one reported
check  255     "$U"    "invalid REG_NUM: y"            2 y              # both converted before the combination test
check  255     "$U"    "invalid REG_NUM: 0x"           0 0x             # hexadecimal needs a digit
check  255     "$U"    "invalid REG_NUM: "             0 ''             # empty is not 0
check  255     "$U"    "invalid REG_NUM:  "            0 ' '
check  255     "$U"    "invalid REG_NUM: 2 "           0 '2 '           # nothing may follow
check  255     "$U"    "invalid REG_NUM: 2147483648"   0 2147483648     # beyond the signed 32-bit range
check  255     "$U"    "invalid REG_NUM: -2147483649"  0 -2147483649
check  255     "$U"    "invalid REG_NUM: 0x80000000"   0 0x80000000
check  255     "$U"    "invalid REG_NUM: --1"          0 --1            # one sign only
check  255     "$U"    "invalid R/W: 99999999999999999999999" 99999999999999999999999 0
check  255     "$U"    "invalid DATA: 12abc"           1 0 12abc        # atoi would have written 12
check  255     "$U"    "invalid DATA: 0x10g"           1 0 0x10g
check  255     "$U"    "invalid DATA: 4294967296"      1 0 4294967296   # one past the largest word
check  255     "$U"    "invalid DATA: 0x100000000"     1 0 0x100000000
check  255     "$U"    "invalid DATA: -2147483649"     1 0 -2147483649
check  255     "$U"    "invalid DATA: 1e3"             1 0 1e3
check  255     "$U"    "invalid DATA: 0b1"             1 0 0b1
check  255     "$U"    ""                              x 1 2 3          # the count is checked before any number
check  255     "$U"    ""                              -2147483648 0    # the bounds of R/W are numbers, just not 0 or 1
check  255     "$U"    ""                              2147483647 0
check  255     "$U"    ""                              0x7fffffff 0 1
check  255     "$U"    "invalid R/W: -2147483649"      -2147483649 0    # and one past them is refused
check  255     "$U"    "invalid R/W: 2147483648"       2147483648 0
check  255     "$U"    "invalid REG_NUM: a"            0 a              # a hexadecimal letter in decimal text
check  255     "$U"    "invalid REG_NUM: 1a"           0 1a
check  255     "$U"    "invalid REG_NUM: a1"           0 a1
check  255     "$U"    "invalid DATA: 12abc0"          1 0 12abc0
check  255     "$U"    "invalid DATA: f"               1 0 f
check  255     "$U"    "invalid DATA: 0xfg"            1 0 0xfg
check  255     "$U"    'invalid REG_NUM: 1\n2'         0 "$(printf '1\n2')"            # one line, whatever the argument holds
check  255     "$U"    'invalid DATA: 5\033[31m'       1 0 "$(printf '5\033[31m')"     # and nothing that drives a terminal
check  255     "$U"    'invalid R/W: \t\\\200\001~'    "$(printf '\t\\\200\001~')" 0  # C's escapes, octal for the rest
# Longer than the refusal's line buffer (256 bytes), and written out as it
# fills: still one line, whole, whatever escapes fall where it is flushed.
times() { local text=''; for ((i = 0; i < $1; i++)); do text+=$2; done; printf '%s' "$text"; }
a=$(times 300 a) x=$(times 230 x)$(times 20 $'\e')$(times 30 y) b=$(times 1000 "\\")
check  255     "$U"    "invalid REG_NUM: $a"           0 "$a"
check  255     "$U"    "invalid DATA: $(times 230 x)$(times 20 '\033')$(times 30 y)"  1 0 "$x"
check  255     "$U"    "invalid R/W: $(times 1000 "\\\\")"  "$b" 0

# The program name: shown as invoked, and "regrw" where there is none.
for name in /some/path/regrw ./r ''; do
    run_as '' "$name"
    judge "name '$name'" 255 "$(usage_text "${name:-regrw}")" ""
done

# Without a node, every valid command ends at the open.
# shellcheck disable=SC2154 # the harness's
E="open failed: $strerror_ENOENT"
check  255  ""  "$E"  0 2
check  255  ""  "$E"  1 2 7
check  255  ""  "$E"  ' +1' 2 0xFFFFFFFF
finish
