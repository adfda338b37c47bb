#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# driver.sh BUILD-DIR: the test_registers module compiles warning-free (W=1)
# for Debian's amd64 kernel and each board's, and sparse finds nothing in
# it: each kernel's one build (lab/board/kernel.sh), which its boards load.
# Compile only: no module is loaded on a development machine.
build=$(readlink -f "$1")
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
# shellcheck source=lab/board/kernel.sh
. "$(dirname "$0")/../lab/board/kernel.sh"

# FLAVOUR ARCH, and what file says of the module.
kernels="amd64 amd64 ELF 64-bit LSB relocatable, x86-64"
for board in $(regrw_boards); do
    kernel="$(regrw_field board "$board" flavour) $(regrw_field board "$board" arch)"
    case $kernel in *arm64) kernel="$kernel ELF 64-bit LSB relocatable, ARM aarch64" ;;
        *) kernel="$kernel ELF 32-bit LSB relocatable, ARM" ;; esac
    grep -qF "$kernel" <<<"$kernels" || kernels+=$'\n'$kernel
done
while read -r flavour arch described; do
    if ! release=$(kernel_fetched "$flavour" 2>"$scratch/err"); then
        skip "$(cat "$scratch/err")"
        continue
    fi
    module=$(build_module "$build" "$flavour" "$arch" 2>"$scratch/err")
    same "test_registers.ko for Linux $release ($arch), W=1 and sparse" \
        "$(cat "$scratch/err")$(file -b "$module/test_registers.ko" | cut -d, -f1-2)" "$described"
    same "sparse checked it for $release" "$(grep -c '^ *CHECK .*test_registers.c$' "$module.log")" 1
done <<<"$kernels"
finish
