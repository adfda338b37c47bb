#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# musl-armel.sh DIR: fetches Debian's musl C library for armel (musl-dev)
# from the archive and unpacks it into DIR, never installing it, with its
# gcc specs file pointed at DIR: the C library of the standalone ARM file
# (arm-linux-musleabi.cmake). Once per DIR. Needs the armel architecture
# known to apt (scripts/setup adds it).
set -euo pipefail
dir=$1
[ ! -f "$dir/musl-gcc.specs" ] || exit 0
part=$dir.part.$$
trap 'rm -rf "$part"' EXIT
mkdir -p "$part/debs"
sandbox=()
((EUID != 0)) || sandbox=(-o APT::Sandbox::User=root)
if ! (cd "$part/debs" && apt-get download "${sandbox[@]}" musl-dev:armel) >"$part/download.log" 2>&1; then
    echo "musl-armel: cannot download musl-dev:armel: $(tail -1 "$part/download.log")" >&2
    echo "musl-armel: the armel architecture must be known to apt: dpkg --add-architecture armel && apt-get update" >&2
    exit 1
fi
dpkg-deb -x "$part"/debs/musl-dev_*.deb "$part"
lib=usr/lib/arm-linux-musleabi include=usr/include/arm-linux-musleabi
sed -e "s|/$include|$dir/$include|g" -e "s|/$lib|$dir/$lib|g" "$part/$lib/musl-gcc.specs" >"$part/musl-gcc.specs"
rm -rf "$part/debs" "$part/download.log"
# Whole or not at all: a tree half unpacked is never taken for one.
rm -rf "$dir"
mv "$part" "$dir"
