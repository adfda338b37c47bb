# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by lab/board/prepare and tests/driver.sh: the driver, built
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

# cross_args ARCH: make's words for Debian's ARCH (the kernel's name for it,
# its glibc row's compiler), none natively.
cross_args() {
    local target machine
    [ "$1" != "$(dpkg --print-architecture)" ] || return 0
    target=$(for t in $(regrw_rows build libc glibc); do [ "$(regrw_field build "$t" arch)" != "$1" ] || echo "$t"; done)
    [ -n "$target" ] || { say "no Debian build of $1 in cmake/targets"; return 1; }
    machine=$(regrw_machine "$target")
    [ "$machine" != aarch64 ] || machine=arm64
    echo "ARCH=$machine CROSS_COMPILE=$(regrw_field build "$target" triple)-"
}

# build_module BUILD-DIR FLAVOUR ARCH: the driver's one build for that kernel
# in BUILD-DIR/driver/module-RELEASE (printed), W=1 warnings and sparse's
# findings errors, its log beside; again only where a source changed.
build_module() {
    local release module headers file changed='' cross lock
    release=$(kernel_fetched "$2") && cross=$(cross_args "$3") || return 1
    module=$1/driver/module-$release headers=$fetched/linux-$2/headers/usr/src/linux-headers-$release
    mkdir -p "$module"
    exec {lock}>>"$module.lock"
    flock "$lock"
    for file in test_registers.c test_registers.h Kbuild; do
        cmp -s "$driver_src/$file" "$module/$file" || { cp "$driver_src/$file" "$module/$file"; changed=1; }
    done
    # O=: the headers are unpacked, not installed (7.x's name that folder
    # otherwise). No BTF: it needs the kernel's vmlinux and pahole.
    # KBUILD_CHECKSRC=2: C=2 without the test of the checker whose script
    # Debian 14's kbuild lacks (sparse off, unseen); a sparse too old errs.
    # shellcheck disable=SC2086 # make's words
    if [ -n "$changed" ] || [ ! -f "$module/test_registers.ko" ]; then
        rm -f "$module/test_registers.o"
        make -C "$headers" O="$headers" M="$module" $cross W=1 KCFLAGS=-Werror CONFIG_DEBUG_INFO_BTF_MODULES= \
            KBUILD_CHECKSRC=2 CHECK=sparse CF=-Wsparse-error modules >"$module.log" 2>&1 ||
            { cat "$module.log" >&2; say "the test_registers module does not build for $release"; rm -f "$module/test_registers.ko"; }
    fi
    exec {lock}>&-
    [ -f "$module/test_registers.ko" ] && echo "$module"
}
