#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# install.sh BUILD-DIR SOURCE-DIR: every build installs exactly the binary
# and its manual page. A copy of the source is built as Debian (natively and
# across), OpenEmbedded and Buildroot build it, each held to its builder's
# wants: its own flags (blhc checks Debian's), no -Werror, a dynamic binary
# with GNU_HASH and no TEXTREL, left for the packager to strip. Debian's
# packages pass lintian; the native one its autopkgtest; each ARM one
# installs with dpkg on a Debian root of its architecture, and runs there.
build=$(readlink -f "$1") src=$(readlink -f "$2")
# shellcheck source=lab/sim/layer.sh
. "$(dirname "$0")/../lab/sim/layer.sh"
# shellcheck source=scripts/project.sh
. "$(dirname "$0")/../scripts/project.sh"
fetched=$REGRW_FETCH_DIR

files() { (cd "$1" && find . ! -type d | sed 's|^\./||' | sort); }
installed="usr/bin/regrw
usr/share/man/man1/regrw.1"

version=$regrw_version
for tree in "$build" $(regrw_rows build libc musl glibc | sed "s|^|$build/|"); do
    [ -f "$tree/cmake_install.cmake" ] || continue
    dest=$scratch/install-$(basename "$tree")
    DESTDIR=$dest cmake --install "$tree" --prefix /opt/regrw >/dev/null
    same "install of $tree" "$(files "$dest")" "${installed//usr/opt/regrw}"
done

# A copy of the source as a builder unpacks it: no build trees, no git.
copy=$scratch/source/regrw-$version
mkdir -p "$copy"
tar -C "$src" --exclude-vcs --exclude='./build*' --exclude=./fetched --exclude=./dist --exclude="./${build#"$src"/}" \
    -cf - . | tar -C "$copy" -xf -

elf() {
    file -b "$1" | grep -o -e 'dynamically linked' -e 'not stripped' -e ', stripped'
    readelf -W -d "$1" | grep -o -e '(GNU_HASH)' -e '(TEXTREL)'
}

# builder NAME LOG BINARY COMPILE-FLAGS LINK-FLAGS: the binary a builder
# built, and the lines that built it.
builder() {
    local name=$1 log=$2 binary=$3 compile link
    compile=$(grep -e ' -c [^ ]*/src/main\.cpp$' "$log")
    link=$(grep -e ' -o regrw\( \|$\)' "$log")
    same "$name: its flags on the compile line, and no -Werror" \
        "$(grep -cF -e " $4 " <<<"$compile" | sed 's/^1$/flags/') $(grep -cE -e '-Werror( |$)' <<<"$compile")" "flags 0"
    same "$name: one _FORTIFY_SOURCE, its own" "$(grep -o '_FORTIFY_SOURCE=[0-9]*' <<<"$compile" | sort -u)" \
        "$(grep -o '_FORTIFY_SOURCE=[0-9]*' <<<"$4")"
    same "$name: its flags on the link line" "$(grep -cF -e " $5 " <<<"$link")" 1
    same "$name: dynamically linked, not stripped, GNU_HASH, no TEXTREL" "$(elf "$binary")" "dynamically linked
not stripped
(GNU_HASH)"
}

# Debian's way, natively and across: dh_strip keeps what it took in the
# -dbgsym package, under the binary's build ID.
native=$(dpkg --print-architecture) packages=()
for arch in "$native" $(regrw_arches glibc); do
    log=$scratch/deb-$arch.log
    (cd "$copy" && debian_build "$arch" -tc) >"$log" 2>&1
    deb=$scratch/source/regrw_${version}_$arch.deb dbgsym=$scratch/source/regrw-dbgsym_${version}_$arch.deb
    if ! same "dpkg-buildpackage, $arch" "$(ls "$dbgsym" "$deb" 2>&1)" "$dbgsym
$deb"; then
        tail -20 "$log"
        continue
    fi
    same "$arch: the package" "$(dpkg-deb -f "$deb" Package Version Architecture Section)
$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)" "Package: regrw
Version: $version
Architecture: $arch
Section: utils
usr/bin/regrw
usr/share/doc/regrw/changelog.gz
usr/share/doc/regrw/copyright
usr/share/man/man1/regrw.1.gz"
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/regrw >"$scratch/regrw-$arch"
    id=$(readelf -n "$scratch/regrw-$arch" | sed -n 's/^ *Build ID: //p')
    same "$arch: dynamically linked, GNU_HASH, no TEXTREL, stripped by the packager into the -dbgsym package" \
        "$(elf "$scratch/regrw-$arch"; dpkg-deb -c "$dbgsym" | grep -o '/usr/lib/debug/.build-id/.*\.debug$')" \
        "dynamically linked
, stripped
(GNU_HASH)
/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
    packages+=("$deb" "$dbgsym")
    same "$arch: blhc" "$(blhc --all "$log" 2>&1; echo "status $?")" "status 0"
    same "$arch: no -Werror" "$(grep -cE -e '-Werror( |$)' "$log")" 0
done

# One lintian for them all: its start is most of its time.
same "lintian on ${packages[*]##*/}" "$(lintian --fail-on error,warning "${packages[@]}" 2>&1 | grep -v '^running with root'
    echo "status ${PIPESTATUS[0]}")" "status 0"

# OpenEmbedded's way, across to armhf: its cmake class's toolchain file
# (the lines that bear on this build) and arguments, then Ninja.
oe_arch="-mthumb -mfpu=neon-vfpv4 -mfloat-abi=hard -mcpu=cortex-a15"
oe_cflags="$oe_arch -O2 -pipe -g -feliminate-unused-debug-types -fstack-protector-strong -D_FORTIFY_SOURCE=3 -Wformat -Wformat-security -Werror=format-security"
oe_ldflags="-Wl,-O1 -Wl,--hash-style=gnu -Wl,--as-needed -Wl,-z,relro,-z,now"
cat >"$scratch/oe-toolchain.cmake" <<EOF
set( CMAKE_SYSTEM_NAME Linux )
set( CMAKE_SYSTEM_PROCESSOR arm )
set( CMAKE_C_COMPILER $(command -v arm-linux-gnueabihf-gcc) )
set( CMAKE_CXX_COMPILER $(command -v arm-linux-gnueabihf-g++) )
set( CMAKE_C_FLAGS "$oe_cflags" CACHE STRING "CFLAGS" )
set( CMAKE_CXX_FLAGS "$oe_cflags" CACHE STRING "CXXFLAGS" )
set( CMAKE_C_FLAGS_RELEASE "-DNDEBUG" CACHE STRING "Additional CFLAGS for release" )
set( CMAKE_CXX_FLAGS_RELEASE "-DNDEBUG" CACHE STRING "Additional CXXFLAGS for release" )
set( CMAKE_C_LINK_FLAGS "$oe_cflags $oe_ldflags" CACHE STRING "LDFLAGS" )
set( CMAKE_CXX_LINK_FLAGS "$oe_cflags $oe_ldflags" CACHE STRING "LDFLAGS" )
set( CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf )
set( CMAKE_FIND_ROOT_PATH_MODE_PROGRAM ONLY )
set( CMAKE_PROGRAM_PATH "/" )
set( CMAKE_BUILD_RPATH_USE_ORIGIN ON )
EOF
b=$scratch/oe/build
{ cmake -G Ninja -DCMAKE_MAKE_PROGRAM=ninja -S "$copy" -B "$b" -DCMAKE_INSTALL_PREFIX:PATH=/usr \
      -DCMAKE_INSTALL_BINDIR:PATH=bin -DCMAKE_INSTALL_SBINDIR:PATH=sbin -DCMAKE_INSTALL_LIBEXECDIR:PATH=libexec \
      -DCMAKE_INSTALL_SYSCONFDIR:PATH=/etc -DCMAKE_INSTALL_LOCALSTATEDIR:PATH=/var -DCMAKE_INSTALL_LIBDIR:PATH=lib \
      -DCMAKE_INSTALL_INCLUDEDIR:PATH=include -DCMAKE_INSTALL_DATAROOTDIR:PATH=share -DCMAKE_INSTALL_SO_NO_EXE=0 \
      -DCMAKE_TOOLCHAIN_FILE="$scratch/oe-toolchain.cmake" -DCMAKE_NO_SYSTEM_FROM_IMPORTED=1 \
      -DCMAKE_EXPORT_NO_PACKAGE_REGISTRY=ON -DFETCHCONTENT_FULLY_DISCONNECTED=ON -Wno-dev &&
  VERBOSE=1 cmake --build "$b" --target all &&
  DESTDIR=$scratch/oe/image VERBOSE=1 cmake --build "$b" --target install; } >"$scratch/oe.log" 2>&1
same "OpenEmbedded: installed" "$(files "$scratch/oe/image")" "$installed" || tail -20 "$scratch/oe.log"
builder OpenEmbedded "$scratch/oe.log" "$b/regrw" "$oe_cflags" "$oe_ldflags"

# Buildroot's way, across to armel: its cmake-package's arguments (shared
# libraries on) and a toolchain file of its shape, then make install/fast.
br_cflags="-D_LARGEFILE_SOURCE -D_LARGEFILE64_SOURCE -D_FILE_OFFSET_BITS=64 -Os -g0 -D_FORTIFY_SOURCE=1"
br_ldflags="-Wl,-O1 -Wl,-z,relro -Wl,-z,now"
cat >"$scratch/br-toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv5te)
set(CMAKE_C_FLAGS_RELEASE " -DNDEBUG" CACHE STRING "Release CFLAGS")
set(CMAKE_CXX_FLAGS_RELEASE " -DNDEBUG" CACHE STRING "Release CXXFLAGS")
set(CMAKE_C_FLAGS "$br_cflags" CACHE STRING "Buildroot CFLAGS")
set(CMAKE_CXX_FLAGS "$br_cflags" CACHE STRING "Buildroot CXXFLAGS")
set(CMAKE_EXE_LINKER_FLAGS "$br_ldflags" CACHE STRING "Buildroot LDFLAGS for executables")
set(CMAKE_INSTALL_SO_NO_EXE 0)
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
EOF
b=$scratch/br/build
mkdir -p "$b"
{ (cd "$b" && CFLAGS=$br_cflags CXXFLAGS=$br_cflags LDFLAGS=$br_ldflags cmake "$copy" \
      -DCMAKE_TOOLCHAIN_FILE="$scratch/br-toolchain.cmake" -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_COLOR_MAKEFILE=OFF \
      -DBUILD_DOC=OFF -DBUILD_DOCS=OFF -DBUILD_EXAMPLE=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TEST=OFF -DBUILD_TESTS=OFF \
      -DBUILD_TESTING=OFF -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release) &&
  make -C "$b" VERBOSE=1 && make -C "$b" DESTDIR="$scratch/br/target" install/fast; } >"$scratch/br.log" 2>&1
same "Buildroot: installed" "$(files "$scratch/br/target")" "$installed" || tail -20 "$scratch/br.log"
builder Buildroot "$scratch/br.log" "$b/regrw" "$br_cflags" "$br_ldflags"

# The native package's autopkgtest, offline, on an overlay of the testbed.
testbed=$fetched/testbed/root
if [ ! -d "$testbed" ] || ((EUID != 0)); then
    skip "autopkgtest: no testbed in $testbed (scripts/fetch testbed), or not root"
else
    rootns=$src/lab/rootns
    "$rootns" --over "$testbed" "$scratch/testbed" unshare --net -- \
        autopkgtest "$scratch/source/regrw_${version}_$native.deb" "$copy" -- chroot "$scratch/testbed" \
        >"$scratch/autopkgtest.log" 2>&1
    same "autopkgtest" "$? $(grep -A1 '@@@ summary' "$scratch/autopkgtest.log" | tail -1)" "0 e2e                  PASS" ||
        grep -B5 -A5 'FAIL\|ERROR' "$scratch/autopkgtest.log" | head -60
fi

# On a Debian root of each glibc row's architecture, dpkg takes the
# package's Depends, and the binary runs.
for target in $(regrw_rows build libc glibc); do
    arch=$(regrw_field build "$target" arch)
    if [ ! -f "$fetched/$arch-root/.done" ]; then
        skip "no Debian $arch root in $fetched/$arch-root: make it with scripts/fetch $arch-root"
        continue
    fi
    root=$scratch/$arch-root
    cp -a "$fetched/$arch-root/root" "$root"
    out=$("$src/lab/rootns" "$root" dpkg --root="$root" -i "$scratch/source/regrw_${version}_$arch.deb" 2>&1; echo "status $?")
    same "$arch: dpkg installs it on a Debian $arch root" "$(tail -1 <<<"$out")" "status 0" || echo "$out"
    # shellcheck disable=SC2016 # dpkg-query's own format words
    same "$arch: installed" "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Package}:${Architecture} ${Status}\n' regrw)" \
        "regrw:$arch install ok installed"
    emulator=$(regrw_emulator "$target")
    REGRW=$root/usr/bin/regrw RUNNER="${emulator% -L *} -L $root" prefix="$arch root: "
    device values=0,0,0x1234abcd
    dcheck 0 "reg2 = 0x1234abcd" "" "open O_RDWR|O_SYNC;seek 2;read 2 4;close" 0 2
done
finish
