#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test_registers module compiles warning-free (W=1) for Debian's current
# amd64 kernel too, as it does for the board's armhf one (lab/board/prepare), and
# sparse, the kernel's own checker (C=2), finds nothing in it: a user pointer
# dereferenced, a lock or an address space mixed up. Compile only: no module
# is ever loaded on a development machine.
# Usage: driver.sh BUILD-DIR
build=$(readlink -f "$1")
REGRW=regrw
. "$(dirname "$0")/lib.sh"
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/lab/board/kernel.sh"

release=$(kernel_release amd64 amd64)
if [ -z "$release" ]; then
    skip "Debian's amd64 kernel is unknown to apt here"
    finish
fi
dir=$build/board/headers-$release
lock_board "$build"
if ! fetch_kernel "$dir" amd64 "$release" 2>"$scratch/err"; then
    skip "the headers of Linux $release cannot be had: $(tail -1 "$scratch/err")"
    finish
fi
touch "$dir/fetched"
# Compiled afresh every time, so that sparse sees it every time.
rm -f "$dir/module/test_registers.o"
build_module "$dir" "$release" C=2 CHECK=sparse CF=-Wsparse-error 2>"$scratch/err"
same "test_registers.ko for Linux $release (amd64), W=1 and sparse" \
    "$(cat "$scratch/err")$(file -b "$dir/module/test_registers.ko" | cut -d, -f1-2)" \
    "ELF 64-bit LSB relocatable, x86-64"
same "sparse checked it" "$(grep -c '^ *CHECK .*test_registers.c$' "$dir/module.log")" 1
finish
