# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by lab/board/prepare and tests/driver.sh: building the driver
# against a kernel's headers, as scripts/fetch unpacked them.

say() { echo "board: $*" >&2; }
driver_src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../driver" && pwd)
# shellcheck source=scripts/project.sh
. "$driver_src/../../scripts/project.sh"
fetched=$REGRW_FETCH_DIR

# kernel_fetched PART: the release of the kernel scripts/fetch PART (board or
# driver) unpacked, or a line saying how to fetch it and a failure.
kernel_fetched() {
    local dir=$fetched/linux-amd64
    [ "$1" != board ] || dir=$fetched/linux-armhf
    if [ ! -f "$dir/.done" ]; then
        say "no kernel headers in $dir: fetch them with scripts/fetch $1"
        return 1
    fi
    cat "$dir/release"
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
    # No BTF for the module: it needs the kernel's own vmlinux and pahole,
    # and says nothing about the driver.
    if ! make -C "$kernel/headers/usr/src/linux-headers-$release" M="$module" "$@" \
            W=1 KCFLAGS=-Werror CONFIG_DEBUG_INFO_BTF_MODULES= modules >"$module.log" 2>&1; then
        cat "$module.log" >&2
        say "the test_registers module does not build for $release"
        return 1
    fi
}
