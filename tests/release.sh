#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release of HEAD (scripts/release), made twice from two clones: the
# second in another path on another file system (a tmpfs, in a mount
# namespace of its own), later, with another umask, time zone, locale and
# parallelism. Both must give the same SHA256SUMS; a file that differs is
# named (with diffoscope's report, where it is installed). The first is
# signed with a throwaway key and checked: its files, sha256sum -c, the
# signature, the version in every binary, and its tarball, unpacked without
# git, passing scripts/test quick. A tree with changes is refused.
# Usage: release.sh SOURCE-DIR
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
src=$(readlink -f "$1")
export REGRW_FETCH_DIR=${REGRW_FETCH_DIR:-$src/fetched}
version=$(sed -n 's/^project(regrw VERSION \([0-9.]*\)$/\1/p' "$src/CMakeLists.txt")
name=regrw-$version
maintainer="regrw tests <tests@regrw.invalid>"
export GNUPGHOME=$scratch/gnupg
mkdir -m 0700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key "$maintainer" default default never 2>/dev/null

# release DIR UMASK TZ LOCALE JOBS [ARG...]: a release from a clone in DIR,
# or with RELEASE_FS=tmpfs, in a tmpfs mounted on DIR.
# shellcheck disable=SC2016 # expanded by that bash
release() {
    local dir=$1 mask=$2 zone=$3 locale=$4 jobs=$5 fs=(); shift 5
    mkdir -p "$dir"
    if [ "${RELEASE_FS:-}" = tmpfs ]; then
        fs=(unshare --mount --propagation private)
        ((EUID == 0)) || fs+=(--map-root-user)
        fs+=(-- bash -c 'mount -t tmpfs -o size=512m release "$0" && exec "$@"' "$dir")
    fi
    "${fs[@]}" bash -c 'mkdir "$1/tmp" && git clone -q --no-local "$2" "$1/regrw" && cd "$1/regrw" && umask "$3" &&
        TZ=$4 LC_ALL=$5 CMAKE_BUILD_PARALLEL_LEVEL=$6 TMPDIR=$1/tmp timeout 600 scripts/release "${@:7}" &&
        cp -r dist "$1/../dist"' release "$dir" "$src" "$mask" "$zone" "$locale" "$jobs" \
        --maintainer "$maintainer" "$@" >"$dir.log" 2>&1
    status=$?
}
one=$scratch/one two="$scratch/two/a longer path"
release "$one" 022 UTC C.UTF-8 1 --sign "$maintainer"
same "the first release" "$status" 0 || tail -20 "$one.log"
sleep 1
RELEASE_FS=tmpfs release "$two" 002 JST-9 C "$(nproc)"
same "the second release" "$status" 0 || tail -20 "$two.log"
d1=$scratch/dist/$name d2=$scratch/two/dist/$name
if ! same "SHA256SUMS of both" "$(cat "$d2/SHA256SUMS")" "$(cat "$d1/SHA256SUMS")"; then
    for file in $(diff "$d1/SHA256SUMS" "$d2/SHA256SUMS" | sed -n 's/^< [0-9a-f]*  //p'); do
        echo "  differs: $file"
        ! command -v diffoscope >/dev/null || diffoscope "$d1/$file" "$d2/$file" | head -40
    done
fi

same "the release's files" "$(cd "$d1" && ls)" "SHA256SUMS
SHA256SUMS.asc
$name-armv5te-linux-musleabi
$name.tar.gz
regrw_${version}_amd64.deb
regrw_${version}_armhf.deb"
same "sha256sum -c SHA256SUMS" "$(cd "$d1" && sha256sum -c SHA256SUMS 2>&1 | grep -vc ': OK$')" 0
same "its signature" "$(gpg --verify "$d1/SHA256SUMS.asc" "$d1/SHA256SUMS" 2>&1 | grep -o 'Good signature')" "Good signature"
for deb in amd64 armhf; do
    dpkg-deb --fsys-tarfile "$d1/regrw_${version}_$deb.deb" | tar -xO ./usr/bin/regrw >"$scratch/regrw-$deb"
done
for binary in "$d1/$name-armv5te-linux-musleabi" "$scratch/regrw-amd64" "$scratch/regrw-armhf"; do
    same "the version in $(basename "$binary")" "$(strings "$binary" | grep '^@(#)')" "@(#)regrw $version"
done

# The tarball builds on its own, with no git to ask.
mkdir "$scratch/tarball"
tar -xzf "$d1/$name.tar.gz" -C "$scratch/tarball"
same "the tarball: one folder, no git" "$(ls "$scratch/tarball") $([ -e "$scratch/tarball/$name/.git" ] || echo no) git" "$name no git"
(cd "$scratch/tarball/$name" && CI=true timeout 600 scripts/test quick) >"$scratch/quick" 2>&1
same "scripts/test quick in the unpacked tarball" "$? $(grep -o '[0-9]*% tests passed.*' "$scratch/quick")" \
    "0 100% tests passed, 0 tests failed out of 6" || tail -20 "$scratch/quick"

git clone -q --no-local "$src" "$scratch/dirty"
touch "$scratch/dirty/stray"
(cd "$scratch/dirty" && scripts/release --maintainer "$maintainer") >"$scratch/out" 2>&1
same "a tree with changes" "$? $(tail -1 "$scratch/out")" \
    "1 release: the tree has uncommitted changes: a release is made of a commit"
# The throwaway key's agent goes with its folder.
gpgconf --kill all
finish
