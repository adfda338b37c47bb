# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by lab/board/prepare and tests/driver.sh: the driver built
# against a kernel's headers as scripts/fetch unpacked them.

say() { echo "board: $*" >&2; }
driver_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../driver" && pwd)
# shellcheck source=scripts/project.sh
. "$driver_src/../../scripts/project.sh"
fetched=$REGRW_FETCH_DIR

# kernel_fetched FLAVOUR: the FLAVOUR kernel's release, or how to fetch it.
kernel_fetched() {
    local dir=$fetched/linux-$1 part=board
    [ "$1" != amd64 ] || part=driver
    if [ ! -f "$dir/.done" ]; then
        say "no kernel headers in $dir: fetch them with scripts/fetch $part"
        return 1
    fi
    cat "$dir/release"
}

# cross_args ARCH: make's words for a module for Debian's ARCH: the kernel's
# name for it and its glibc row's cross compiler; none natively.
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

# build_module KERNEL-DIR RELEASE MODULE-DIR [MAKE-ARG...]: with W=1 -Werror.
build_module() {
    local kernel=$1 release=$2 module=$3 file; shift 3
    mkdir -p "$module"
    for file in test_registers.c test_registers.h Kbuild; do
        cmp -s "$driver_src/$file" "$module/$file" || cp "$driver_src/$file" "$module/$file"
    done
    # O=: the headers are unpacked, not installed (7.x's name that folder
    # otherwise). No BTF: it needs the kernel's vmlinux and pahole.
    local headers=$kernel/headers/usr/src/linux-headers-$release
    if ! make -C "$headers" O="$headers" M="$module" "$@" \
            W=1 KCFLAGS=-Werror CONFIG_DEBUG_INFO_BTF_MODULES= modules >"$module.log" 2>&1; then
        cat "$module.log" >&2
        say "the test_registers module does not build for $release"
        return 1
    fi
}
