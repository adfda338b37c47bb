# SPDX-License-Identifier: MIT
# The stand-ins' own promises, one table for regsim (regsim.sh) and the
# driver on the boards (board.sh): the client makes exactly the calls a case
# names, and what the device answers and logs must match; the tool's tests
# rely on that log.
# shellcheck shell=sh disable=SC2034,SC2154 # the harness sets and reads its variables

ok="open -> ok" closed="close -> ok" C=close E=$strerror_EINVAL
three=values=0x01020304,0xdeadbeef,0x80000000

device $three
#      client                          answers                                                      log
# The access mode and O_SYNC, as opened.
probe  "r seek 1 read 4"               "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY;seek 1;read 1 4;$C"
probe  "r+sync seek 1 read 4"          "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY|O_SYNC;seek 1;read 1 4;$C"
probe  "w seek 2 write 11223344"       "$ok;seek 2 -> 2;write 4 -> 4;$closed"                       "open O_WRONLY;seek 2;write 2 4 11 22 33 44;$C"
probe  "w+sync seek 0 write ffffffff"  "$ok;seek 0 -> 0;write 4 -> 4;$closed"                       "open O_WRONLY|O_SYNC;seek 0;write 0 4 ff ff ff ff;$C"
probe  "rw seek 0 read 4"              "$ok;seek 0 -> 0;read 4 -> 4 04 03 02 01;$closed"            "open O_RDWR;seek 0;read 0 4;$C"
probe  "rw+sync seek 2 read 4"         "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;$closed"            "open O_RDWR|O_SYNC;seek 2;read 2 4;$C"
probe  "rw+dsync seek 2 read 4"        "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;$closed"            "open O_RDWR|O_DSYNC;seek 2;read 2 4;$C"
# A transfer the access mode forbids never reaches the device.
probe  "r seek 1 write 00000000"       "$ok;seek 1 -> 1;write 4 -> $strerror_EBADF;$closed"         "open O_RDONLY;seek 1;$C"
probe  "w seek 1 read 4"               "$ok;seek 1 -> 1;read 4 -> $strerror_EBADF;$closed"          "open O_WRONLY;seek 1;$C"
# A written word is stored whole, in host byte order, and read back.
probe  "rw seek 1 write a1b2c3d4 seek 1 read 4" \
                                       "$ok;seek 1 -> 1;write 4 -> 4;seek 1 -> 1;read 4 -> 4 a1 b2 c3 d4;$closed" "open O_RDWR;seek 1;write 1 4 a1 b2 c3 d4;seek 1;read 1 4;$C"
# Positions: only a register's own is one; where there is none the transfer
# is refused, or by default (lax_seek=0, a row's second line) the seek,
# which leaves the position.
probe  "rw seek 2 read 4 seek 3 read 4" "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;seek 3 -> 3;read 4 -> $E;$closed" "open O_RDWR;seek 2;read 2 4;seek 3;read 3 4;$C" \
       "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;seek 3 -> $E;read 4 -> 4 00 00 00 80;$closed" "open O_RDWR;seek 2;read 2 4;seek 3;read 2 4;$C"
probe  "rw seek 8 write 01000000"      "$ok;seek 8 -> 8;write 4 -> $E;$closed"                      "open O_RDWR;seek 8;write 8 4 01 00 00 00;$C" \
       "$ok;seek 8 -> $E;write 4 -> 4;$closed" "open O_RDWR;seek 8;write 0 4 01 00 00 00;$C"
probe  "rw seek 1 seekcur 1 read 4"    "$ok;seek 1 -> 1;seekcur 1 -> 2;read 4 -> 4 00 00 00 80;$closed" "open O_RDWR;seek 1;seek 1 SEEK_CUR;read 2 4;$C" \
       "$ok;seek 1 -> 1;seekcur 1 -> $E;read 4 -> 4 ef be ad de;$closed" "open O_RDWR;seek 1;seek 1 SEEK_CUR;read 1 4;$C"
probe  "rw seek -1 read 4"             "$ok;seek -1 -> $E;read 4 -> 4 04 03 02 01;$closed"          "open O_RDWR;seek -1;read 0 4;$C"
device nregs=64
probe  "rw seek 63 read 4 seek 64 read 4" "$ok;seek 63 -> 63;read 4 -> 4 00 00 00 00;seek 64 -> 64;read 4 -> $E;$closed" "open O_RDWR;seek 63;read 63 4;seek 64;read 64 4;$C" \
       "$ok;seek 63 -> 63;read 4 -> 4 00 00 00 00;seek 64 -> $E;read 4 -> 4 00 00 00 00;$closed" "open O_RDWR;seek 63;read 63 4;seek 64;read 63 4;$C"

# Faults: each as set, logged as it reached the device; a refusal first.
device $three "fail_open=$errno_EACCES"
probe  "rw+sync seek 0 read 4"         "open -> $strerror_EACCES"                                   "open O_RDWR|O_SYNC"
device $three "fail_read=$errno_EIO"
probe  "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> $strerror_EIO;$closed"            "open O_RDWR;seek 1;read 1 4;$C"
device $three "fail_write=$errno_ENOSPC"
probe  "rw seek 1 write 01020304 seek 1 read 4" \
                                       "$ok;seek 1 -> 1;write 4 -> $strerror_ENOSPC;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed" "open O_RDWR;seek 1;write 1 4 01 02 03 04;seek 1;read 1 4;$C"
device $three short_read=2
probe  "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 2 ef be;$closed"                  "open O_RDWR;seek 1;read 1 4;$C"
probe  "rw seek 1 read 8"              "$ok;seek 1 -> 1;read 8 -> $E;$closed"                       "open O_RDWR;seek 1;read 1 8;$C"
device $three short_read=0
probe  "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 0;$closed"                        "open O_RDWR;seek 1;read 1 4;$C"
device $three short_write=3
probe  "rw seek 1 write 01020304 seek 1 read 4" \
                                       "$ok;seek 1 -> 1;write 4 -> 3;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed" "open O_RDWR;seek 1;write 1 4 01 02 03 04;seek 1;read 1 4;$C"
device $three "fail_close=$errno_EIO"
probe  "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;close -> $strerror_EIO" "open O_RDWR;seek 1;read 1 4;$C"

# Sizes: only 4 bytes move a word; each is logged as sent, with a write's
# first 16 bytes.
device $three
for size in 1 2 3 5 6 7 8 17; do
    bytes=$(seq "$size" | xargs printf '%02x')
    probe "rw seek 0 read $size"   "$ok;seek 0 -> 0;read $size -> $E;$closed"  "open O_RDWR;seek 0;read 0 $size;$C"
    probe "rw seek 0 write $bytes" "$ok;seek 0 -> 0;write $size -> $E;$closed" \
          "open O_RDWR;seek 0;write 0 $size$(seq "$((size < 16 ? size : 16))" | xargs printf ' %02x');$C"
done

# Parameter words at their bounds: each is taken, and does what it says.
device nregs=1024 short_read=-1 short_write=-1 fail_open=0 fail_read=0 fail_write=0 fail_close=0
probe  "rw seek 1023 write 0000adde seek 1023 read 4" \
                                       "$ok;seek 1023 -> 1023;write 4 -> 4;seek 1023 -> 1023;read 4 -> 4 00 00 ad de;$closed" "open O_RDWR;seek 1023;write 1023 4 00 00 ad de;seek 1023;read 1023 4;$C"
device nregs=1 short_read=3 fail_close=133
probe  "rw seek 0 read 4"              "$ok;seek 0 -> 0;read 4 -> 3 00 00 00;close -> $strerror_EHWPOISON" "open O_RDWR;seek 0;read 0 4;$C"
device fail_open=133
probe  "rw seek 0 read 4"              "open -> $strerror_EHWPOISON"                                "open O_RDWR"

# Parameter words out of their bounds: each is refused, and changes nothing.
for words in nregs=0 nregs=1025 values=0x100000000 values=1,x values=-1 "nregs=2 values=1,2,3" \
             fail_read=134 fail_write=512 fail_open=-1 fail_close=0x86 short_read=4 short_write=-2 \
             short_read=-0x1 lax_seek=y nregs=3x; do
    # shellcheck disable=SC2086 # one case's words, split on purpose
    refused $words
done
refused 'fail_open= 5'      # no space before a number
refused fail_reed=5         # a word the device does not know
