#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's facts, each worked out here once, for every script, suite
# and build that needs it: the tree (regrw_root), the version (regrw_version,
# read from project() in CMakeLists.txt, the one number), and the fetch
# folder (REGRW_FETCH_DIR, default fetched/ in the tree), which scripts/fetch
# fills and everything else reads. Sourced; run as "project.sh NAME", it
# prints one: version or fetch-dir (for CMake).
regrw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
regrw_version=$(sed -n 's/^project(regrw VERSION \([0-9.]*\)$/\1/p' "$regrw_root/CMakeLists.txt")
REGRW_FETCH_DIR=${REGRW_FETCH_DIR:-$regrw_root/fetched}
export REGRW_FETCH_DIR
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case ${1:-} in
        version) echo "$regrw_version" ;;
        fetch-dir) echo "$REGRW_FETCH_DIR" ;;
        *) echo "usage: project.sh version|fetch-dir" >&2; exit 2 ;;
    esac
fi
