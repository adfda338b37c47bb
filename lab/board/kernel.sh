# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by lab/board/prepare and tests/driver.sh: building the driver
# against a kernel's headers, as scripts/fetch unpacked them, natively or
# across.

say() { echo "board: $*" >&2; }
driver_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../driver" && pwd)
# shellcheck source=scripts/project.sh
. "$driver_src/../../scripts/project.sh"
fetched=$REGRW_FETCH_DIR

# kernel_fetched FLAVOUR: the release of Debian's FLAVOUR kernel as
# scripts/fetch unpacked it (board for a board's, driver for amd64's), or a
# line saying how to fetch it and a failure.
kernel_fetched() {
    local dir=$fetched/linux-$1 part=board
    [ "$1" != amd64 ] || part=driver
    if [ ! -f "$dir/.done" ]; then
        say "no kernel headers in $dir: fetch them with scripts/fetch $part"
        return 1
    fi
    cat "$dir/release"
}

# cross_args ARCH: make's words for building a module for Debian's ARCH from
# here: the kernel's name for it and the cross compiler of that
# architecture's Debian build (a glibc row of cmake/targets); none natively.
cross_args() {
    local target triple karch
    [ "$1" != "$(dpkg --print-architecture)" ] || return 0
    for target in $(regrw_rows build libc glibc); do
        [ "$(regrw_field build "$target" arch)" = "$1" ] && triple=$(regrw_field build "$target" triple)
    done
    [ -n "${triple:-}" ] || { say "no Debian build of $1 in cmake/targets"; return 1; }
    karch=${triple%%-*}
    [ "$karch" != aarch64 ] || karch=arm64
    echo "ARCH=$karch CROSS_COMPILE=$triple-"
}

# build_module KERNEL-DIR RELEASE MODULE-DIR [MAKE-ARG...]: builds
# test_registers in MODULE-DIR against the headers in KERNEL-DIR, every
# warning of W=1 an error.
build_module() {
    local kernel=$1 release=$2 module=$3 file; shift 3
    mkdir -p "$module"
    for file in test_registers.c test_registers.h Kbuild; do
        cmp -s "$driver_src/$file" "$module/$file" || cp "$driver_src/$file" "$module/$file"
    done
    # The headers are where fetch unpacked them, not installed: O= tells
    # the kernel's build so (Debian's 7.x headers name their installed
    # folder otherwise). No BTF for the module: it needs the kernel's own
    # vmlinux and pahole, and says nothing about the driver.
    local headers=$kernel/headers/usr/src/linux-headers-$release
    if ! make -C "$headers" O="$headers" M="$module" "$@" \
            W=1 KCFLAGS=-Werror CONFIG_DEBUG_INFO_BTF_MODULES= modules >"$module.log" 2>&1; then
        cat "$module.log" >&2
        say "the test_registers module does not build for $release"
        return 1
    fi
}
