#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# release.sh SOURCE-DIR: scripts/release of HEAD in a clone, signed with a
# throwaway key, then again by reprotest with it as the control, varied in
# every way but user_group (an account here), the locale fr_CH.UTF-8: the
# same files but the signature, or diffoscope's report. Checked: its files,
# sha256sum -c, the signature, the version in every binary, the tarball
# passing scripts/test quick without git; and a dirty tree refused.
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
src=$(readlink -f "$1")
# shellcheck source=scripts/project.sh
. "$src/scripts/project.sh"
version=$regrw_version
name=regrw-$version
maintainer="regrw tests <tests@regrw.invalid>"
export GNUPGHOME=$scratch/gnupg
mkdir -m 0700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key "$maintainer" default default never 2>/dev/null

git clone -q --no-local "$src" "$scratch/clone"
(cd "$scratch/clone" && scripts/release --sign "$maintainer") >"$scratch/signed.log" 2>&1
same "the signed release" "$?" 0 || tail -20 "$scratch/signed.log"
d1=$scratch/clone/dist/$name
# A locale whose messages and order differ from C's, not installed here.
mkdir "$scratch/locale"
localedef -i fr_CH -f UTF-8 "$scratch/locale/fr_CH.UTF-8"
variations=+all,-user_group
# Varying the host name needs a user namespace, which a chroot cannot make.
if ! unshare --map-root-user --uts true 2>/dev/null; then
    variations+=,-domain_host
    echo "# reprotest: the host and domain name not varied: no user namespace can be made here"
fi
# Every file but the signature (*.asc), which no two signings share, laid
# out as reprotest keeps a build.
mkdir -p "$scratch/control/source-root/dist/$name"
cp "$d1"/*[!c] "$scratch/control/source-root/dist/$name/"
(cd "$scratch" && LOCPATH=$scratch/locale reprotest --verbosity 1 --store-dir="$scratch/reprotest" \
    --variations="$variations" --vary=locales.locale=fr_CH.UTF-8 --control-build "$scratch/control" \
    -c scripts/release clone 'dist/*/*[!c]') >"$scratch/reprotest.log" 2>&1
same "reprotest: the release made again, varied, as the signed one" \
    "$? $(grep -o '^Reproduction successful' "$scratch/reprotest.log")" "0 Reproduction successful" ||
    grep -v '^INFO' "$scratch/reprotest.log" | tail -60
# Its files, as the targets' table (cmake/targets) names them.
mapfile -t arches < <(dpkg --print-architecture; regrw_arches glibc)
mapfile -t files < <(for t in $(regrw_rows build libc musl); do echo "$d1/$name-$(regrw_field build "$t" file)"; done)
debs=("${arches[@]/#/regrw_${version}_}")
same "the release's files" "$(cd "$d1" && LC_ALL=C ls)" \
    "$(printf '%s\n' SHA256SUMS SHA256SUMS.asc "${files[@]#"$d1"/}" "$name.tar.gz" "${debs[@]/%/.deb}" | LC_ALL=C sort)"
same "sha256sum -c SHA256SUMS" "$(cd "$d1" && sha256sum -c SHA256SUMS 2>&1 | grep -vc ': OK$')" 0
same "its signature" "$(gpg --verify "$d1/SHA256SUMS.asc" "$d1/SHA256SUMS" 2>&1 | grep -o 'Good signature')" "Good signature"
for deb in "${arches[@]}"; do
    dpkg-deb --fsys-tarfile "$d1/regrw_${version}_$deb.deb" | tar -xO ./usr/bin/regrw >"$scratch/regrw-$deb"
done
for binary in "${files[@]}" "$scratch/regrw-"*; do
    same "the version in $(basename "$binary")" "$(strings "$binary" | grep '^@(#)')" "@(#)regrw $version"
done

# The tarball builds on its own, with no git to ask.
mkdir "$scratch/tarball"
tar -xzf "$d1/$name.tar.gz" -C "$scratch/tarball"
same "the tarball: one folder, no git" "$(ls "$scratch/tarball") $([ -e "$scratch/tarball/$name/.git" ] || echo no) git" "$name no git"
(cd "$scratch/tarball/$name" && CI=true timeout 600 scripts/test quick) >"$scratch/quick" 2>&1
status=$?
quick=$(ctest --test-dir "$scratch/tarball/$name/build" -N -L quick | sed -n 's/^Total Tests: //p')
same "scripts/test quick in the unpacked tarball, its $quick tests" "$status $(grep -o '[0-9]*% tests passed.*' "$scratch/quick")" \
    "0 100% tests passed, 0 tests failed out of $((quick > 0 ? quick : -1))" || tail -20 "$scratch/quick"

git clone -q --no-local "$src" "$scratch/dirty"
touch "$scratch/dirty/stray"
(cd "$scratch/dirty" && scripts/release) >"$scratch/out" 2>&1
same "a tree with changes" "$? $(tail -1 "$scratch/out")" \
    "1 release: the tree has uncommitted changes: a release is made of a commit"
# The throwaway key's agent goes with its folder.
gpgconf --kill all
finish
