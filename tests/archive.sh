#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# shellcheck disable=SC2317,SC2329 # the rows' words, which eval calls
# archive.sh SOURCE-DIR: set-up against Debian's archive in the states it
# is met in. Each row puts a tiny archive (a release and its security suite)
# into a state and runs scripts/fetch on it through a private APT_CONFIG,
# into a folder of its own: the machine's apt lists, dpkg database and
# fetched/ are never touched. Offline.
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
src=$(cd "$1" && pwd)
# shellcheck source=scripts/apt.sh
. "$src/scripts/apt.sh"
unset REGRW_APT_STATE
command -v apt-ftparchive >/dev/null || { skip "no apt-ftparchive here (scripts/setup installs apt-utils)"; finish; }
R1=6.1.0-1-amd64 R2=6.1.0-2-amd64 base=$scratch/base row=$scratch/row archive=$scratch/row/archive
export APT_CONFIG=$row/apt.conf REGRW_FETCH_DIR=$row/fetched

# package SUITE NAME VERSION ARCH [DEPENDS]: a tiny package in SUITE's pool
# that says its name and version; headers hold the Makefile fetch points.
package() {
    local tree=$scratch/tree
    rm -rf "$tree"
    mkdir -p "$tree/DEBIAN" "$tree/usr/src/marks" "$archive/pool/$1"
    echo "$2=$3" >"$tree/usr/src/marks/$2"
    [[ $2 != linux-headers-*-amd64 ]] ||
        { mkdir "$tree/usr/src/$2" && echo "include /usr/src/${2%-amd64}-common/Makefile" >"$tree/usr/src/$2/Makefile"; }
    printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMaintainer: regrw <regrw@example.org>\nDescription: test\n' \
        "$2" "$3" "$4" >"$tree/DEBIAN/control"
    [ -z "${5:-}" ] || echo "Depends: $5" >>"$tree/DEBIAN/control"
    dpkg-deb --root-owner-group -Zgzip -b "$tree" "$archive/pool/$1/${2}_${3}_$4.deb" >/dev/null
}
# kernel SUITE RELEASE VERSION: the metapackage and headers, as Debian's.
kernel() {
    package "$1" linux-image-amd64 "$3" amd64 "linux-image-$2 (= $3)"
    package "$1" "linux-headers-$2" "$3" amd64 \
        "linux-headers-${2%-amd64}-common (= $3), linux-kbuild-6.1 (>= $3), linux-compiler-gcc-12-x86"
    package "$1" "linux-headers-${2%-amd64}-common" "$3" all
}
drop() { rm "$archive/pool/$1/${2}_$3"_*.deb; }
# index: each suite's Packages and Release, as a mirror serves them.
index() {
    local suite arch
    for suite in stable stable-security; do
        rm -rf "$archive/dists/$suite"
        for arch in amd64 armhf arm64; do
            mkdir -p "$archive/dists/$suite/main/binary-$arch"
            (cd "$archive" && apt-ftparchive -o APT::FTPArchive::Architecture="$arch" packages "pool/$suite") \
                >"$archive/dists/$suite/main/binary-$arch/Packages"
        done
        apt-ftparchive -o APT::FTPArchive::Release::Suite="$suite" release "$archive/dists/$suite" >"$scratch/Release"
        mv "$scratch/Release" "$archive/dists/$suite/Release"
    done
}
# mid_sync SUITE ARCH: that index no longer the one its Release names.
mid_sync() { echo >>"$archive/dists/$1/main/binary-$2/Packages"; }
fetch_now() { "$src/scripts/fetch" "$@" 2>/dev/null; }

# empty_apt: apt's own folders for the row, empty, and its configuration.
empty_apt() {
    rm -rf "$row"
    mkdir -p "$row"/{etc/apt.conf.d,etc/preferences.d,state/lists/partial,cache,fetched}
    : >"$row/status"
    printf 'deb [trusted=yes] file:%s %s main\n' "$archive" stable "$archive" stable-security >"$row/etc/sources.list"
    printf '%s\n' "Dir::Etc \"$row/etc/\"; Dir::State \"$row/state/\"; Dir::State::status \"$row/status\";" \
        "Dir::Cache \"$row/cache/\"; APT::Architecture \"amd64\"; APT::Architectures { \"amd64\"; \"armhf\"; \"arm64\"; };" \
        'APT::Sandbox::User "root";' >"$APT_CONFIG"
}

# row STATE PARTS STATUS ERRORS FOLDER: on the archive put into STATE (the
# words above), fetch PARTS ends with STATUS, prints ERRORS (sizes as SIZE,
# the archive as ARCHIVE) and leaves FOLDER: each part, release and versions.
row() {
    empty_apt
    cp -a "$base" "$archive"
    (set -e; eval "$1") >"$row/state.log" 2>&1 || { same "the archive put into: $1" "$(cat "$row/state.log")" ""; return; }
    status=0
    # shellcheck disable=SC2086 # the parts, as words
    timeout 60 "$src/scripts/fetch" $2 >/dev/null 2>"$row/err" || status=$?
    local dir folder=
    for dir in "$REGRW_FETCH_DIR"/* "$REGRW_FETCH_DIR"/.[!.]*; do
        [ ! -e "$dir" ] || folder+="${folder:+$'\n'}${dir##*/} $(cat "$dir/release" 2>/dev/null): $(cat "$dir"/headers/usr/src/marks/* 2>/dev/null |
            sed 's/^linux-headers-.*-common=/common=/; s/^linux-headers-[^=]*=/headers=/; s/^linux-kbuild-[^=]*=/kbuild=/' | paste -sd' ')"
    done
    same "fetch $2, the archive put into: $1" "status $status
$(sed -E "s/, [0-9.]+[kKMG]?B \\(/, SIZE (/; s|$archive|ARCHIVE|g" "$row/err")
$folder" "status $3
$4
$5"
}

empty_apt
kernel stable "$R1" 1
package stable linux-kbuild-6.1 1 amd64
package stable-security busybox-static 1 armhf
index
mv "$archive" "$base"
got="fetch: downloading the driver's headers, Linux $R1 for amd64: 3 packages, SIZE (linux-headers-$R1 1 from stable)"
stale="stable-security/main armhf Packages (Hash Sum mismatch)"

#   the archive's state, what fetch is asked for, its status; what it prints; what the fetch folder holds
row 'drop stable linux-kbuild-6.1 1; package stable-security linux-kbuild-6.1 1.1 amd64; index' driver 0 \
    "$got" "linux-amd64 $R1: headers=1 common=1 kbuild=1.1"
row 'package stable-security linux-headers-6.1.0-1-common 2 all; index' driver 0 \
    "$got" "linux-amd64 $R1: headers=1 common=1 kbuild=1"
row 'mid_sync stable-security armhf' 'driver kernel-armhf-armmp' 1 \
    "fetch: warning: apt-get update failed for $stale; going on with the lists apt has
$got
fetch: cannot have Debian's armmp kernel for armhf: apt knows no linux-image-armmp:armhf naming one (apt-get update failed for $stale)" \
    "linux-amd64 $R1: headers=1 common=1 kbuild=1"
row "fetch_now driver; kernel stable-security $R2 2; package stable-security linux-kbuild-6.1 2 amd64; index; apt_update" driver 0 \
    "fetch: downloading the driver's headers, Linux $R2 for amd64: 3 packages, SIZE (linux-headers-$R2 2 from stable-security)" \
    "linux-amd64 $R2: headers=2 common=2 kbuild=2"
row "fetch_now driver; package stable-security linux-image-amd64 3 amd64 'linux-image-6.1.0-3-amd64 (= 3)'; index; apt_update" driver 1 \
    "fetch: cannot have linux-headers-6.1.0-3-amd64:amd64, the headers of Linux 6.1.0-3-amd64: apt knows no such package" \
    "linux-amd64 $R1: headers=1 common=1 kbuild=1"
row 'drop stable linux-kbuild-6.1 1' driver 1 \
    "$got
fetch: cannot download linux-kbuild-6.1=1: E: Failed to fetch file:ARCHIVE/pool/stable/linux-kbuild-6.1_1_amd64.deb  File not found - ARCHIVE/pool/stable/linux-kbuild-6.1_1_amd64.deb (2: No such file or directory)" \
    ""
finish
