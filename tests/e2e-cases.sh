# SPDX-License-Identifier: MIT
# The end-to-end cases: one table, run against the stand-in (e2e.sh) and
# the driver on the boards (board.sh), in the harness's words.
# shellcheck shell=sh disable=SC2034,SC2154 # the harness sets and reads its variables

U=$USAGE O="open O_RDWR|O_SYNC" C=close
EINVAL=$strerror_EINVAL EIO=$strerror_EIO
L="lseek failed: $EINVAL"

device values=0x01020304,0xdeadbeef,0x80000000
#       status stdout               stderr                   device log                                   arguments
dcheck  0      "reg0 = 0x01020304"  ""                       "$O;seek 0;read 0 4;$C"                      0 0
dcheck  0      "reg1 = 0xdeadbeef"  ""                       "$O;seek 1;read 1 4;$C"                      0 1     # position 1, not byte 4
dcheck  0      "reg2 = 0x80000000"  ""                       "$O;seek 2;read 2 4;$C"                      0 2
dcheck  0      "reg2 = 0x80000000"  ""                       "$O;seek 2;read 2 4;$C"                      0 002   # printed as converted
dcheck  0      ""                   ""                       "$O;seek 2;write 2 4 ff ff ff ff;$C"         1 2 -1
dcheck  0      ""                   ""                       "$O;seek 2;write 2 4 ff ff ff ff;$C"         1 2 4294967295
dcheck  0      ""                   ""                       "$O;seek 2;write 2 4 ff ff ff ff;$C"         1 2 0XFFFFFFFF
dcheck  0      ""                   ""                       "$O;seek 2;write 2 4 10 00 00 00;$C"         1 2 0x10    # atoi would have written 0
dcheck  0      ""                   ""                       "$O;seek 1;write 1 4 0a 00 00 00;$C"         1 1 010     # leading zeros stay decimal
dcheck  0      ""                   ""                       "$O;seek 0;write 0 4 00 00 00 80;$C"         1 0 -2147483648
dcheck  0      ""                   ""                       "$O;seek 0;write 0 4 04 03 02 01;$C"         1 0 0x01020304  # host byte order
dcheck  255    ""                   "$L"                     "$O;seek -1;$C"                              0 -1    # a negative position reaches the seek
dcheck  255    ""                   "$L"                     "$O;seek -2147483648;$C"                     1 -2147483648 1
dcheck  255    "$U"                 ""                       ""                                           1 2     # usage errors never open the device
dcheck  255    "$U"                 ""                       ""                                           0 2 5
dcheck  255    "$U"                 ""                       ""                                           2 2
dcheck  255    "$U"                 "invalid DATA: 12abc"    ""                                           1 0 12abc
dcheck  255    "$U"                 "invalid REG_NUM: 1x"    ""                                           0 1x
# Positions with no register, passed on unchecked: a file (the stand-in, or
# the driver with lax_seek=1) takes the seek and refuses the transfer, the
# driver by default refuses the seek.
#       status stdout stderr: lax             log: lax                                  stderr: strict  log: strict             arguments
beyond  255    ""     "read failed: $EINVAL"  "$O;seek 5;read 5 4;$C"                   "$L"            "$O;seek 5;$C"          0 5
beyond  255    ""     "write failed: $EINVAL" "$O;seek 5;write 5 4 01 00 00 00;$C"      "$L"            "$O;seek 5;$C"          1 5 1
beyond  255    ""     "read failed: $EINVAL"  "$O;seek 3;read 3 4;$C"                   "$L"            "$O;seek 3;$C"          0 3     # one past the last register
beyond  255    ""     "read failed: $EINVAL"  "$O;seek 2147483647;read 2147483647 4;$C" "$L"            "$O;seek 2147483647;$C" 0 2147483647  # the largest REG_NUM reaches the device
beyond  255    ""     "write failed: $EINVAL" "$O;seek 2147483647;write 2147483647 4 01 00 00 00;$C" "$L" "$O;seek 2147483647;$C" 1 0x7fffffff 1
stdout_to=full
dcheck  255    ""                   "output failed: $strerror_ENOSPC"     "$O;seek 2;read 2 4;$C"         0 2
stdout_to=closed
dcheck  255    ""                   "output failed: $strerror_EBADF"      "$O;seek 2;read 2 4;$C"         0 2
stdout_to=gone  # the reader has gone: a failure like the others, not a death by SIGPIPE
dcheck  255    ""                   "output failed: $strerror_EPIPE"      "$O;seek 2;read 2 4;$C"         0 2
stdout_to='file'
# With standard input closed the node takes descriptor 0: no failure.
stdin_to=closed
dcheck  0      "reg2 = 0x80000000"  ""                       "$O;seek 2;read 2 4;$C"                      0 2
stdin_to=/dev/null
# With standard error closed the node takes descriptor 2 (binary.sh shows
# it does): a report of a failure must not be written into the register.
stderr_to=closed
dcheck  255    ""                   ""                       "$O;seek -1;$C"                              0 -1
beyond  255    ""                   "" "$O;seek 5;read 5 4;$C"              "" "$O;seek 5;$C"                  0 5
beyond  255    ""                   "" "$O;seek 5;write 5 4 01 00 00 00;$C" "" "$O;seek 5;$C"                  1 5 1
device short_read=2
dcheck  255    ""                   ""                       "$O;seek 2;read 2 4;$C"                      0 2
stderr_to='file'

# Faults: each ends with status 255, one line on standard error and nothing
# on standard output.
W="$O;seek 2;write 2 4 07 00 00 00;$C" R="$O;seek 2;read 2 4;$C"
#                                  status stdout stderr                                  device log  arguments
device "fail_open=$errno_EACCES";  dcheck 255 "" "open failed: $strerror_EACCES"         "$O"        0 2
device "fail_open=$errno_ENODEV";  dcheck 255 "" "open failed: $strerror_ENODEV"         "$O"        1 2 7
device "fail_read=$errno_EIO";     dcheck 255 "" "read failed: $EIO"                     "$R"        0 2
device short_read=3;               dcheck 255 "" "read failed: 3 of 4 bytes transferred" "$R"        0 2
device short_read=0;               dcheck 255 "" "read failed: 0 of 4 bytes transferred" "$R"        0 2
device "fail_write=$errno_EIO";    dcheck 255 "" "write failed: $EIO"                    "$W"        1 2 7
device short_write=1;              dcheck 255 "" "write failed: 1 of 4 bytes transferred" "$W"        1 2 7
device "fail_close=$errno_EIO";    dcheck 255 "" "close failed: $EIO"                    "$R"        0 2
                                   dcheck 255 "" "close failed: $EIO"                    "$W"        1 2 7
# Two faults in one run: the first is the one reported, with its own errno.
device "fail_read=$errno_EIO" "fail_close=$errno_EACCES"
                                   dcheck 255 "" "read failed: $EIO"                     "$R"        0 2
device "fail_write=$errno_ENOSPC" "fail_close=$errno_EIO"
                                   dcheck 255 "" "write failed: $strerror_ENOSPC"        "$W"        1 2 7
device short_read=2 "fail_close=$errno_EIO"
                                   dcheck 255 "" "read failed: 2 of 4 bytes transferred" "$R"        0 2
device short_write=3 "fail_close=$errno_EIO"
                                   dcheck 255 "" "write failed: 3 of 4 bytes transferred" "$W"        1 2 7
device "fail_close=$errno_EIO";    dcheck 255 "" "$L"                                    "$O;seek -1;$C" 0 -1

# A written word is the word read back, in a later run; a refused write
# leaves the register as it was.
session "short write stores nothing" 0 "255
reg2 = 0x00000000" "write failed: 2 of 4 bytes transferred" short_write=2 -- 'regrw 1 2 0xcafe; echo $?; regrw 0 2'
session "write, then read back" 0 "reg0 = 0x0000cafe
reg1 = 0xfffffffe
reg2 = 0x0000007b" "" -- 'regrw 1 0 0xcafe && regrw 1 1 -2 && regrw 1 2 123 && regrw 0 0 && regrw 0 1 && regrw 0 2'
