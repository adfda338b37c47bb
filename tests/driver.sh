#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test_registers module compiles warning-free (W=1) for Debian's current
# amd64 kernel too, as it does for the board's armhf one (lab/board/prepare),
# and sparse, the kernel's own checker (C=2), finds nothing in it: a user
# pointer dereferenced, a lock or an address space mixed up. Compile only:
# no module is ever loaded on a development machine.
# Usage: driver.sh BUILD-DIR
build=$(readlink -f "$1")
# shellcheck source=tests/core.sh
. "$(dirname "$0")/core.sh"
# shellcheck source=lab/board/kernel.sh
. "$(dirname "$0")/../lab/board/kernel.sh"

if ! release=$(kernel_fetched driver 2>"$scratch/err"); then
    skip "$(cat "$scratch/err")"
    finish
fi
module=$build/driver/module-$release
# Compiled afresh every time, so that sparse sees it every time.
rm -f "$module/test_registers.o"
build_module "$fetched/linux-amd64" "$release" "$module" C=2 CHECK=sparse CF=-Wsparse-error 2>"$scratch/err"
same "test_registers.ko for Linux $release (amd64), W=1 and sparse" \
    "$(cat "$scratch/err")$(file -b "$module/test_registers.ko" | cut -d, -f1-2)" \
    "ELF 64-bit LSB relocatable, x86-64"
same "sparse checked it" "$(grep -c '^ *CHECK .*test_registers.c$' "$module.log")" 1
finish
