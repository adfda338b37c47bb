# SPDX-License-Identifier: MIT
# What only a real kernel and driver show, on the boards (board.sh), in the
# harness's words: the node's mode decides who may open it, root any; a
# removed module takes its node; parameters change at run time, one out of
# bounds changing nothing; values reads back the registers, or fails.
# shellcheck shell=sh disable=SC2016,SC2034,SC2154 # the sessions' scripts, expanded there; the harness sets and reads its variables

R="open O_RDWR|O_SYNC;seek 2;read 2 4;close" P=/sys/module/test_registers/parameters
session "mode 0444: a user's read is refused at the open" 255 "" "open failed: $strerror_EACCES" -- \
    'chmod 0444 /dev/test_registers && su user -c "timeout $RUN_LIMIT regrw 0 2"'
session_log ""
session "mode 0444: root's read" 0 "reg2 = 0x00000000" "" -- 'chmod 0444 /dev/test_registers && regrw 0 2'
session_log "$R"
session "mode 0600: a user's write is refused at the open" 255 "" "open failed: $strerror_EACCES" -- \
    'chmod 0600 /dev/test_registers && su user -c "timeout $RUN_LIMIT regrw 1 2 5"'
session_log ""
session "mode 0666: a user's read" 0 "reg2 = 0x00000000" "" -- \
    'chmod 0666 /dev/test_registers && su user -c "timeout $RUN_LIMIT regrw 0 2"'
session_log "$R"
session "module removed" 255 "" "open failed: $strerror_ENOENT" -- 'rmmod test_registers && regrw 0 2'
session_log ""
session "run time: fail_read=134 and five values for four registers refused" 0 "fail_read=134: status 1
five values: status 1
0
0x0,0x0,0x0,0x7
reg3 = 0x00000007" "" nregs=4 -- 'regrw 1 3 7
    set_word() { echo "$2" 2>/dev/null >"'$P'/$1"; }
    set_word fail_read 134; echo "fail_read=134: status $?"
    set_word values 1,2,3,4,5; echo "five values: status $?"
    cat '$P'/fail_read '$P'/values; regrw 0 3'
# The list reads back only where it fits the page sysfs gives, the
# kernel's: 1,024 values of 0x63 take 5,120 characters, more than a 4 KiB
# page holds and less than a 16 KiB one.
page_kib=$(sed -n 's/^KernelPageSize: *\([0-9]*\) kB$/\1/p' /proc/self/smaps | head -1)
session "1,024 values: set, and read back whole only where a page ($page_kib KiB) holds them" 0 "reg1023 = 0x00000063
read back: status $((page_kib * 1024 > 5120 ? 0 : 1))" "" nregs=1024 -- \
    'i=0 v=; while [ $i -lt 1024 ]; do v=$v,99; i=$((i + 1)); done
    echo "${v#,}" >'$P'/values; regrw 0 1023; cat '$P'/values >/dev/null 2>&1; echo "read back: status $?"'
