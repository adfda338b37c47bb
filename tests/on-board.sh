#!/bin/sh
# SPDX-License-Identifier: MIT
# The suite a board runs (tests/board.sh boots it): the e2e, load and board
# tables with each of its files at lax_seek=0; the probe table at 0 and 1;
# the refusals, load-driver's lines, and the files its kernel must refuse.
REGRW=regrw DEVCLIENT=devclient
# shellcheck source=lab/board/layer.sh
. "$(dirname "$0")/layer.sh"
own='' runs='' refuses='' driver_words=''
# shellcheck source=/dev/null # written by prepare
. /etc/board
same "regrw is the board's own file" "$(readlink /bin/regrw)" "/opt/$own/regrw"
for file in $runs; do
    ln -sf "/opt/$file/regrw" /bin/regrw
    ERRWORDS=/opt/$file/errwords prefix="$file: "
    read_errwords
    for table in e2e load board; do
        # shellcheck disable=SC1090 # the tables beside this file
        . "$(dirname "$0")/$table-cases.sh"
    done
done
ERRWORDS=/opt/$own/errwords
read_errwords
for lax in 0 1; do
    prefix="lax_seek=$lax: "
    # The refusals are the driver's whatever lax_seek: said once.
    # shellcheck disable=SC2317,SC2329 # called by the table
    [ "$lax" = 0 ] || refused() { :; }
    # shellcheck source=tests/probe-cases.sh
    . "$(dirname "$0")/probe-cases.sh"
done
prefix=
rmmod test_registers 2>/dev/null
same "load-driver: a word it has not" "$(load-driver fail_reed=5)" \
    "board: the driver has no word fail_reed; its words: $driver_words"
same "load-driver: a value refused" "$(load-driver nregs=8 nregs=0)" "board: the driver refused nregs=0: not a value it takes"
# A file the board's kernel cannot run is refused at execve, by the kernel.
# shellcheck disable=SC2154 # the harness's
for file in $refuses; do
    same "the $file file, refused by the kernel" "$("/opt/$own/errwords" --execve "/opt/$file/regrw" 0 1)" \
        "ENOEXEC $errno_ENOEXEC $strerror_ENOEXEC"
done
finish
