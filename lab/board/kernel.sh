# SPDX-License-Identifier: MIT
# Sourced: fetching Debian's kernel for the board, and building the module
# against its headers. The packages are downloaded and unpacked, never
# installed: installing foreign-architecture headers would make apt remove
# the host's compilers.

say() { echo "board: $*" >&2; }

# kernel_release ARCH FLAVOUR: the release Debian's linux-image-FLAVOUR
# metapackage for ARCH follows today (its ABI number moves every few weeks).
kernel_release() {
    apt-cache depends "linux-image-$2:$1" 2>/dev/null |
        sed -n "s/^ *Depends: linux-image-\\(.*-$2\\)\\(:$1\\)\\{0,1\\}\$/\\1/p" | head -1
}

# lock_board BUILD-DIR: holds BUILD-DIR/board for this process's life: one
# preparation at a time, since the board and the driver test share it.
lock_board() {
    mkdir -p "$1/board"
    exec 9>>"$1/board/.lock"
    flock 9
}

# fetch_kernel DIR ARCH RELEASE [PACKAGE...]: downloads into DIR the headers
# of RELEASE for ARCH (with their common part and the host's kbuild tools, as
# the headers' own Depends name them) and the other packages named, and
# unpacks the headers into DIR/kernel, pointed at their own common part.
# Once per DIR.
fetch_kernel() {
    local dir=$1 arch=$2 release=$3; shift 3
    [ ! -f "$dir/fetched" ] || return 0
    local version depends common kbuild sandbox=() deb
    version=$(apt-cache show "linux-headers-$release:$arch" | sed -n 's/^Version: //p' | head -1)
    # The names of these parts change between Debian releases (6.1's
    # linux-kbuild-6.1, 6.12's linux-kbuild-6.12.N+debM): the archive says.
    depends=$(apt-cache show "linux-headers-$release:$arch=$version" | sed -n 's/^Depends: //p' | head -1 |
              tr ',' '\n' | sed 's/^ *//; s/[ :].*//')
    common=$(grep -m1 '^linux-headers-.*-common' <<<"$depends")
    kbuild=$(grep -m1 '^linux-kbuild-' <<<"$depends")
    if [ -z "$common" ] || [ -z "$kbuild" ]; then
        say "the headers of Linux $release name no common part or kbuild tools: $depends"
        return 1
    fi
    ((EUID != 0)) || sandbox=(-o APT::Sandbox::User=root)
    rm -rf "$dir" && mkdir -p "$dir/debs"
    say "downloading Linux $release ($version) for $arch"
    if ! (cd "$dir/debs" && apt-get download "${sandbox[@]}" "linux-headers-$release:$arch=$version" \
            "$common=$version" "$kbuild=$version" "$@") \
            >"$dir/download.log" 2>&1; then
        say "download failed: $(tail -1 "$dir/download.log")"
        return 1
    fi
    for deb in "$dir"/debs/linux-headers-*.deb "$dir"/debs/linux-kbuild-*.deb; do
        dpkg-deb -x "$deb" "$dir/kernel"
    done
    sed -i "s|^include /usr/src/|include $dir/kernel/usr/src/|" "$dir/kernel/usr/src/linux-headers-$release/Makefile"
}

# build_module DIR RELEASE [MAKE-ARG...]: builds test_registers in
# DIR/module against the headers fetched into DIR, every warning of W=1 an
# error.
build_module() {
    local dir=$1 release=$2 file; shift 2
    mkdir -p "$dir/module"
    for file in test_registers.c test_registers.h Kbuild; do
        cmp -s "$src/driver/$file" "$dir/module/$file" || cp "$src/driver/$file" "$dir/module/$file"
    done
    # No BTF for the module: it needs the kernel's own vmlinux and pahole,
    # and says nothing about the driver.
    if ! make -C "$dir/kernel/usr/src/linux-headers-$release" M="$dir/module" "$@" \
            W=1 KCFLAGS=-Werror CONFIG_DEBUG_INFO_BTF_MODULES= modules >"$dir/module.log" 2>&1; then
        cat "$dir/module.log" >&2
        say "the test_registers module does not build for $release"
        return 1
    fi
}
