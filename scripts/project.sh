#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's facts, each worked out here once, for every script, suite
# and build that needs it: the tree (regrw_root), the version (regrw_version,
# read from project() in CMakeLists.txt, the one number), and the fetch
# folder (REGRW_FETCH_DIR, default fetched/ in the tree), which scripts/fetch
# fills and everything else reads; and debian_build, the one way its Debian
# packages are built. Sourced; run as "project.sh NAME", it prints one:
# version or fetch-dir (for CMake).
regrw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case ${1:-} in
        version) echo "$regrw_version" ;;
        fetch-dir) echo "$REGRW_FETCH_DIR" ;;
        *) echo "usage: project.sh version|fetch-dir" >&2; exit 2 ;;
    esac
fi
