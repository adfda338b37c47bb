#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's facts, each worked out here once, for every script, suite
# and build that needs it: the tree (regrw_root), the version (regrw_version,
# read from project() in CMakeLists.txt, the one number), and the fetch
# folder (REGRW_FETCH_DIR, default fetched/ in the tree), which scripts/fetch
# fills and everything else reads; and debian_build, the one way its Debian
# packages are built; the targets' table, and regrw_emulator, the
# emulator's words for each. Sourced; run as "project.sh NAME", it prints
# one: fetch-dir, emulator, target or targets (for CMake and the suites).
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
# The targets (cmake/targets), one row each.
# regrw_targets KIND [LIBC...]: the names of that kind's rows, of these C
# libraries if named. regrw_target NAME FIELD: one field of NAME's row
# (triple, libc, arch, processors, file for a build), or with FIELD row all
# five, for CMake (cmake/targets.cmake): the one reader of the table.
regrw_targets() {
    local kind=$1; shift
    awk -v kind="$kind" -v libcs=" $* " '$1 == kind && (libcs == "  " || index(libcs, " " $4 " ")) { print $2 }' \
        "$regrw_root/cmake/targets"
}
regrw_target() {
    local field
    case $2 in triple) field=3 ;; libc) field=4 ;; arch) field=5 ;; processors) field=6 ;; file) field=7 ;;
        row) field=0 ;; *) echo "no such field: $2" >&2; return 2 ;; esac
    awk -v name="$1" -v f="$field" '$1 == "build" && $2 == name { print f ? $f : $3 " " $4 " " $5 " " $6 " " $7; found = 1 }
        END { exit !found }' \
        "$regrw_root/cmake/targets" || { echo "no such target: $1" >&2; return 2; }
}
# regrw_arches LIBC...: the Debian architectures of the build rows of these
# C libraries, one a line.
regrw_arches() {
    local target
    for target in $(regrw_targets build "$@"); do regrw_target "$target" arch; done
}
# regrw_boards: the boards of this machine's Debian release, or of
# REGRW_RELEASE. regrw_board NAME FIELD: one field of a board's row (arch,
# flavour, machine, cpu, runs, refuses), lists one word a line.
regrw_boards() {
    awk -v r="$(regrw_release)" '$1 == "board" && index("," $9 ",", "," r ",") { print $2 }' "$regrw_root/cmake/targets"
}
# regrw_release: this machine's Debian release, or REGRW_RELEASE.
regrw_release() { echo "${REGRW_RELEASE:-$(. /etc/os-release && echo "$VERSION_CODENAME")}"; }
# regrw_no_boards: the one line for a release with no board: which have one.
regrw_no_boards() {
    echo "Debian $(regrw_release) has no board in cmake/targets; the releases with one:" \
        "$(awk '$1 == "board" { n = split($9, r, ","); for (i = 1; i <= n; i++) if (!seen[r[i]]++) { printf "%s%s", sep, r[i]; sep = " " } }' \
            "$regrw_root/cmake/targets")"
}
regrw_board() {
    local field
    case $2 in arch) field=3 ;; flavour) field=4 ;; machine) field=5 ;; cpu) field=6 ;; runs) field=7 ;;
        refuses) field=8 ;; *) echo "no such field: $2" >&2; return 2 ;; esac
    awk -v name="$1" -v f="$field" '$1 == "board" && $2 == name { n = f < 7 ? 1 : split($f, w, ",")
            for (i = 1; i <= n; i++) if ((n == 1 ? $f : w[i]) != "-") print n == 1 ? $f : w[i]; found = 1 }
        END { exit !found }' "$regrw_root/cmake/targets" || { echo "no such board: $1" >&2; return 2; }
}
# regrw_emulator TARGET [PROCESSOR]: qemu-user's words for running TARGET's
# files here, as PROCESSOR (default the oldest it is built for); a dynamic
# build finds its C library under the cross toolchain's root.
regrw_emulator() {
    local triple processors
    triple=$(regrw_target "$1" triple) && processors=$(regrw_target "$1" processors) || return 2
    printf 'qemu-%s -cpu %s' "${triple%%-*}" "${2:-${processors%%,*}}"
    [ "$(regrw_target "$1" libc)" != glibc ] || printf ' -L /usr/%s' "$triple"
    echo
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case ${1:-} in
        fetch-dir) echo "$REGRW_FETCH_DIR" ;;
        emulator) regrw_emulator "${2:-}" "${3:-}" ;;
        target) regrw_target "${2:-}" "${3:-}" ;;
        targets) shift; regrw_targets "$@" ;;
        boards) regrw_boards ;;
        board) regrw_board "${2:-}" "${3:-}" ;;
        *) echo "usage: project.sh fetch-dir | emulator TARGET [PROCESSOR] | target NAME FIELD | targets KIND [LIBC...] | boards | board NAME FIELD" >&2
           exit 2 ;;
    esac
fi
