#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installing, for each build: exactly the binary and its manual page, under
# the prefix and DESTDIR given. The Debian packages (amd64 and armhf): what
# they hold, their control fields, lintian without an error or a warning, a
# refusal without a maintainer, and the armhf package installed with dpkg on
# a Debian armhf root whose C library is Debian's own, where it runs.
# Usage: install.sh BUILD-DIR
build=$(readlink -f "$1")
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"

# files DIR: the files below DIR, relative, one a line, sorted.
files() { (cd "$1" && find . ! -type d | sed 's|^\./||' | sort); }
maintainer="regrw tests <tests@regrw.invalid>"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for tree in "$build" "$build/arm" "$build/armhf"; do
    [ -f "$tree/cmake_install.cmake" ] || continue
    dest=$scratch/install-$(basename "$tree")
    DESTDIR=$dest cmake --install "$tree" --prefix /opt/regrw >/dev/null
    same "install of $tree" "$(files "$dest")" \
        "opt/regrw/bin/regrw
opt/regrw/share/man/man1/regrw.1"
done

# package TREE: builds TREE's package into $scratch/pkg; the cpack output
# lands in $scratch/cpack.
package() {
    (cd "$scratch" && cpack -G DEB --config "$1/CPackConfig.cmake" -B "$scratch/pkg" \
        ${maintainer:+-D "CPACK_DEBIAN_PACKAGE_MAINTAINER=$maintainer"}) >"$scratch/cpack" 2>&1
}

for tree in "$build" "$build/armhf"; do
    [ -f "$tree/CPackConfig.cmake" ] || continue
    arch=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")/\1/p' "$tree/CPackConfig.cmake")
    arch=${arch:-$(dpkg --print-architecture)}
    deb=$scratch/pkg/regrw_${version}_$arch.deb
    package "$tree"
    if [ ! -f "$deb" ]; then
        same "package regrw_${version}_$arch.deb built" "$(cat "$scratch/cpack")" "$deb"
        continue
    fi
    same "package regrw_${version}_$arch.deb" \
        "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)" \
        "usr/bin/regrw
usr/share/doc/regrw/README.md
usr/share/doc/regrw/changelog.gz
usr/share/doc/regrw/copyright
usr/share/man/man1/regrw.1.gz"
    same "$arch: control fields" "$(dpkg-deb -f "$deb" Package Version Architecture Maintainer Section Priority)" \
        "Package: regrw
Version: $version
Architecture: $arch
Maintainer: $maintainer
Section: utils
Priority: optional"
    same "$arch: a dynamically linked binary" "$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/regrw |
        file -b - | grep -o 'dynamically linked')" "dynamically linked"
    same "$arch: lintian" "$(lintian --fail-on error,warning "$deb" 2>&1 | grep -v '^running with root'; echo "status ${PIPESTATUS[0]}")" "status 0"
    depends=$(dpkg-deb -f "$deb" Depends)
    if [ "$arch" = "$(dpkg --print-architecture)" ]; then
        # The same minimum as Debian's own tool computes from the same binary.
        mkdir -p "$scratch/shlibs/debian"
        printf 'Source: regrw\n\nPackage: regrw\nArchitecture: any\n' >"$scratch/shlibs/debian/control"
        shlibdeps=$(cd "$scratch/shlibs" && dpkg-shlibdeps -O "$tree/regrw" 2>/dev/null)
        same "$arch: Depends" "Depends: $depends" "Depends: ${shlibdeps#shlibs:Depends=}"
    else
        armhf_deb=$scratch/$(basename "$deb")
    fi
    mv "$deb" "$scratch/$(basename "$deb")"
done

# Without a maintainer there is no package, and cpack says why.
maintainer=
package "$build"
same "no maintainer: no package" "$(ls "$scratch/pkg"/*.deb 2>/dev/null)" ""
same "no maintainer: the reason" "$(grep -o 'regrw: no maintainer: .*' "$scratch/cpack")" \
    'regrw: no maintainer: set -DREGRW_MAINTAINER="Name <address>"'

# A Debian armhf root: Debian's own armhf C library and what it depends on
# (as the archive's Depends say, so on every release), unpacked over the
# merged /usr links every Debian root has, and recorded as installed with
# their real control fields. dpkg must accept the package's Depends against
# them, and the binary must run with that C library.
if [ -n "${armhf_deb:-}" ]; then
    cache=${REGRW_FETCH_DIR:-$(dirname "$0")/../fetched}/armhf-root
    if [ ! -f "$cache/.done" ]; then
        skip "no Debian armhf C library in $cache: fetch it with scripts/fetch armhf-root"
        finish
    fi
    root=$scratch/armhf-root
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    : >"$root/var/lib/dpkg/status"
    # As debootstrap makes them: a C library may ship its loader under /lib
    # (Debian 12) or /usr/lib (Debian 13), and the program asks for /lib.
    for link in bin sbin lib; do
        mkdir -p "$root/usr/$link" && ln -s "usr/$link" "$root/$link"
    done
    for deb in "$cache"/debs/*.deb; do
        dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$root"
        { dpkg-deb -f "$deb"; echo "Status: install ok installed"; echo; } >>"$root/var/lib/dpkg/status"
        dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\.||; s|/$||; /^$/d' \
            >"$root/var/lib/dpkg/info/$(dpkg-deb -f "$deb" Package):armhf.list"
    done
    dpkg --root="$root" --add-architecture armhf
    out=$(dpkg --root="$root" -i "$armhf_deb" 2>&1; echo "status $?")
    same "armhf: dpkg installs it on a Debian armhf root" "$(tail -1 <<<"$out")" "status 0" || echo "$out"
    # shellcheck disable=SC2016 # dpkg-query's own format words
    same "armhf: installed" "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Package}:${Architecture} ${Status}\n' regrw)" \
        "regrw:armhf install ok installed"
    # shellcheck disable=SC2054 # one word of the stand-in's, with its commas
    ns=("$devns" regsim values=0,0,0x1234abcd --)
    runner=(qemu-arm -cpu cortex-a15 -L "$root")
    REGRW=$root/usr/bin/regrw
    check 0 "reg2 = 0x1234abcd" "" 0 2
fi
finish
