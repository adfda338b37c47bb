#!/usr/bin/env bash
# Installing, for each build: exactly the binary and its manual page, under
# the prefix and DESTDIR given; and a Debian package that holds just those and
# its documentation.
# Usage: install.sh BUILD-DIR
build=$(readlink -f "$1")
REGRW=regrw
. "$(dirname "$0")/lib.sh"

# files DIR: the files below DIR, relative, one a line, sorted.
files() { (cd "$1" && find . ! -type d | sed 's|^\./||' | sort); }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for tree in "$build" "$build/arm"; do
    [ -f "$tree/cmake_install.cmake" ] || continue
    arch=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "\(.*\)")/\1/p' "$tree/CPackConfig.cmake")
    arch=${arch:-$(dpkg --print-architecture)}
    dest=$scratch/$arch
    DESTDIR=$dest cmake --install "$tree" --prefix /opt/regrw >/dev/null
    same "install of the $arch build" "$(files "$dest")" \
        "opt/regrw/bin/regrw
opt/regrw/share/man/man1/regrw.1"

    (cd "$scratch" && cpack -G DEB --config "$tree/CPackConfig.cmake" -B "$scratch/pkg-$arch" >/dev/null)
    deb=$scratch/pkg-$arch/regrw_${version}_$arch.deb
    if [ -f "$deb" ]; then
        same "package regrw_${version}_$arch.deb" \
            "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)" \
            "usr/bin/regrw
usr/share/doc/regrw/README.md
usr/share/man/man1/regrw.1"
    else
        same "package regrw_${version}_$arch.deb built" "$(ls "$scratch/pkg-$arch" 2>&1)" "$(basename "$deb")"
    fi
done
finish
