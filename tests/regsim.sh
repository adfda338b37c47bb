#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The stand-in device tells the truth: a client of the test's own (devclient)
# makes exactly the calls each case names, and both what the stand-in answers
# and what it logs must match what the client did. The tool's own tests rely
# on that log; here it is held to account.
# Usage: regsim.sh DEVCLIENT   (the stand-in is $REGSIM)
client=$1
REGRW=regrw
. "$(dirname "$0")/lib.sh"
need_namespace regsim

# probe "REGSIM-OPTIONS" "MODE STEP..." OUTPUT LOG: one client run on a fresh
# stand-in whose three registers hold 0x01020304, 0xdeadbeef and 0x80000000.
# OUTPUT and LOG are lines separated by ";".
probe() {
    local opts args
    read -r -a opts <<<"$1"
    read -r -a args <<<"$2"
    : >"$scratch/log"
    timeout -k 2 "$limit" "$devns" regsim -l "$scratch/log" --set 0=0x01020304 --set 1=0xdeadbeef \
        --set 2=0x80000000 "${opts[@]}" -- "$client" /dev/test_registers "${args[@]}" \
        >"$scratch/out" 2>"$scratch/err"
    status=$?
    if killed; then
        same "devclient $2 [$1]: no end within $limit s" killed ""
        return
    fi
    same "devclient $2 [$1]: answers" "$(cat "$scratch/out" "$scratch/err")" "${3//;/$'\n'}"
    same "devclient $2 [$1]: log" "$(cat "$scratch/log")" "${4//;/$'\n'}"
}

ok="open -> ok" closed="close -> ok" C=close
#      options             client                          answers                                                      log
# The access mode and O_SYNC, as opened.
probe  ""                  "r seek 1 read 4"               "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY;read 1 4;$C"
probe  ""                  "r+sync seek 1 read 4"          "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"            "open O_RDONLY|O_SYNC;read 1 4;$C"
probe  ""                  "w seek 2 write 11223344"       "$ok;seek 2 -> 2;write 4 -> 4;$closed"                       "open O_WRONLY;write 2 4 11 22 33 44;$C"
probe  ""                  "w+sync seek 0 write ffffffff"  "$ok;seek 0 -> 0;write 4 -> 4;$closed"                       "open O_WRONLY|O_SYNC;write 0 4 ff ff ff ff;$C"
probe  ""                  "rw seek 0 read 4"              "$ok;seek 0 -> 0;read 4 -> 4 04 03 02 01;$closed"            "open O_RDWR;read 0 4;$C"
probe  ""                  "rw+sync seek 2 read 4"         "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;$closed"            "open O_RDWR|O_SYNC;read 2 4;$C"
probe  ""                  "rw+dsync seek 2 read 4"        "$ok;seek 2 -> 2;read 4 -> 4 00 00 00 80;$closed"            "open O_RDWR|O_DSYNC;read 2 4;$C"
# A transfer the access mode forbids never reaches the device.
probe  ""                  "r seek 1 write 00000000"       "$ok;seek 1 -> 1;write 4 -> ${strerror[EBADF]};$closed"     "open O_RDONLY;$C"
probe  ""                  "w seek 1 read 4"               "$ok;seek 1 -> 1;read 4 -> ${strerror[EBADF]};$closed"      "open O_WRONLY;$C"
# A written word is stored whole, in host byte order, and read back.
probe  ""                  "rw seek 1 write a1b2c3d4 seek 1 read 4" \
                           "$ok;seek 1 -> 1;write 4 -> 4;seek 1 -> 1;read 4 -> 4 a1 b2 c3 d4;$closed"                   "open O_RDWR;write 1 4 a1 b2 c3 d4;read 1 4;$C"
# Positions: the last register, then none.
probe  ""                  "rw seek 3 read 4"              "$ok;seek 3 -> 3;read 4 -> ${strerror[EINVAL]};$closed"         "open O_RDWR;read 3 4;$C"
probe  ""                  "rw seek 8 write 01000000"      "$ok;seek 8 -> 8;write 4 -> ${strerror[EINVAL]};$closed"        "open O_RDWR;write 8 4 01 00 00 00;$C"
probe  "-n 64"             "rw seek 63 read 4"             "$ok;seek 63 -> 63;read 4 -> 4 00 00 00 00;$closed"          "open O_RDWR;read 63 4;$C"
probe  "-n 64"             "rw seek 64 read 4"             "$ok;seek 64 -> 64;read 4 -> ${strerror[EINVAL]};$closed"       "open O_RDWR;read 64 4;$C"
# The kernel refuses a negative position; the stand-in never sees it.
probe  ""                  "rw seek -1 read 4"             "$ok;seek -1 -> ${strerror[EINVAL]};read 4 -> 4 04 03 02 01;$closed" "open O_RDWR;read 0 4;$C"
# Faults: each as injected, and logged as it reached the device.
probe  "--fail-open EACCES" "rw+sync seek 0 read 4"        "open -> ${strerror[EACCES]}"                                  "open O_RDWR|O_SYNC"
probe  "--fail-read EIO"   "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> ${strerror[EIO]};$closed"       "open O_RDWR;read 1 4;$C"
probe  "--fail-write ENOSPC" "rw seek 1 write 01020304 seek 1 read 4" \
                           "$ok;seek 1 -> 1;write 4 -> ${strerror[ENOSPC]};seek 1 -> 1;read 4 -> 4 ef be ad de;$closed" "open O_RDWR;write 1 4 01 02 03 04;read 1 4;$C"
probe  "--short-read 2"    "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 2 ef be;$closed"                  "open O_RDWR;read 1 4;$C"
probe  "--short-read 0"    "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 0;$closed"                        "open O_RDWR;read 1 4;$C"
probe  "--short-write 3"   "rw seek 1 write 01020304 seek 1 read 4" \
                           "$ok;seek 1 -> 1;write 4 -> 3;seek 1 -> 1;read 4 -> 4 ef be ad de;$closed"                   "open O_RDWR;write 1 4 01 02 03 04;read 1 4;$C"
probe  "--fail-close EIO"  "rw seek 1 read 4"              "$ok;seek 1 -> 1;read 4 -> 4 ef be ad de;close -> ${strerror[EIO]}" "open O_RDWR;read 1 4;$C"
# A fault never hides a refusal: there is no register at position 3.
probe  "--short-read 2"    "rw seek 3 read 4"              "$ok;seek 3 -> 3;read 4 -> ${strerror[EINVAL]};$closed"         "open O_RDWR;read 3 4;$C"

# Sizes: only 4 bytes move a word; every size reaches the log as sent.
for size in 1 2 3 5 6 7 8; do
    bytes=$(printf '%02x' $(seq "$size"))
    probe "" "rw seek 0 read $size"      "$ok;seek 0 -> 0;read $size -> ${strerror[EINVAL]};$closed"  "open O_RDWR;read 0 $size;$C"
    probe "" "rw seek 0 write $bytes"    "$ok;seek 0 -> 0;write $size -> ${strerror[EINVAL]};$closed" "open O_RDWR;write 0 $size$(printf ' %02x' $(seq "$size"));$C"
done
finish
