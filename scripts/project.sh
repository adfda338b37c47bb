#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's facts, each worked out here once, for every script, suite
# and build that needs it: the tree (regrw_root), the version (regrw_version,
# read from project() in CMakeLists.txt, the one number), and the fetch
# folder (REGRW_FETCH_DIR, default fetched/ in the tree), which scripts/fetch
# fills and everything else reads; and debian_build, the one way its Debian
# packages are built; and regrw_emulator, the emulator's words for each of
# the boards' processors. Sourced; run as "project.sh NAME", it prints one:
# fetch-dir or emulator PROCESSOR (for CMake and the suites).
regrw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck disable=SC2034 # for the scripts and suites that source this
regrw_version=$(sed -n 's/^project(regrw VERSION \([0-9.]*\)$/\1/p' "$regrw_root/CMakeLists.txt")
REGRW_FETCH_DIR=${REGRW_FETCH_DIR:-$regrw_root/fetched}
export REGRW_FETCH_DIR

# debian_build ARCH [OPTION...]: dpkg-buildpackage's binary packages of the
# tree in the current folder for ARCH, natively or across, as Debian does.
debian_build() {
    local arch=$1; shift
    # shellcheck disable=SC2054 # one word: the build profiles, comma-separated
    [ "$arch" = "$(dpkg --print-architecture)" ] || set -- -a"$arch" -Pcross,nocheck "$@"
    dpkg-buildpackage -b -us -uc "$@"
}
# regrw_emulator PROCESSOR: qemu-user's words for running an ARM file as one
# of the boards' processors: armv5 (ARMv5TE, the oldest the standalone file
# is built for), armv6 or armv7.
regrw_emulator() {
    case $1 in
        armv5) echo "qemu-arm -cpu arm926" ;;
        armv6) echo "qemu-arm -cpu arm1176" ;;
        armv7) echo "qemu-arm -cpu cortex-a15" ;;
        *) echo "no such processor: $1" >&2; return 2 ;;
    esac
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case ${1:-} in
        fetch-dir) echo "$REGRW_FETCH_DIR" ;;
        emulator) regrw_emulator "${2:-}" ;;
        *) echo "usage: project.sh fetch-dir|emulator PROCESSOR" >&2; exit 2 ;;
    esac
fi
