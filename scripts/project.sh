#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's facts, each worked out here once: the tree, the version
# (project() in CMakeLists.txt), the fetch folder (REGRW_FETCH_DIR, default
# fetched/), this machine's Debian release, the targets and boards, a
# target's qemu word and emulator, and the one way a build tree is
# configured and the packages are built. Sourced; or, for CMake, run as
# "project.sh WORD ARG...", which runs regrw_WORD ARG... (- for _).
regrw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck disable=SC2034 # for the scripts and suites that source this
regrw_version=$(sed -n 's/^project(regrw VERSION \([0-9.]*\)$/\1/p' "$regrw_root/CMakeLists.txt")
REGRW_FETCH_DIR=${REGRW_FETCH_DIR:-$regrw_root/fetched}
export REGRW_FETCH_DIR
regrw_fetch_dir() { echo "$REGRW_FETCH_DIR"; }

# debian_build ARCH [OPTION...]: the binary packages of the tree here for
# ARCH, natively or across, as Debian builds them.
debian_build() {
    local arch=$1; shift
    # shellcheck disable=SC2054 # one word: the build profiles, comma-separated
    [ "$arch" = "$(dpkg --print-architecture)" ] || set -- -a"$arch" -Pcross,nocheck "$@"
    dpkg-buildpackage -b -us -uc "$@"
}
# The one reader of cmake/targets, whose comments name the fields.
# regrw_rows KIND [FIELD VALUE...]: KIND's rows, or those whose FIELD holds
# one of the VALUEs (a list, a,b, holds each of its own).
# regrw_field KIND NAME FIELD...: each field a line, nothing for "-".
regrw_rows() { regrw_table rows "$@"; }
regrw_field() { regrw_table field "$@"; }
regrw_table() {
    awk -v mode="$1" -v kind="$2" -v args="${*:3}" '
        BEGIN { n = split(args, a, " ") }
        $1 == "#" && $2 == kind && $3 == "NAME" { for (i = 4; i <= NF; i++) col[tolower($i)] = i - 1 }
        $1 != kind { next }
        mode == "rows" { v = "," $(col[a[1]]) ","; for (i = 2; i <= n; i++) if (index(v, "," a[i] ",")) break
                         if (n < 2 || i <= n) print $2 }
        mode == "field" && $2 == a[1] { found = 1
            for (i = 2; i <= n; i++) {
                if (!(a[i] in col)) { print "no field " a[i] " in a " kind " row" > "/dev/stderr"; exit 2 }
                print $(col[a[i]]) == "-" ? "" : $(col[a[i]]) } }
        END { if (mode == "field" && !found) { print "no " kind " row " a[1] > "/dev/stderr"; exit 2 } }' \
        "$regrw_root/cmake/targets"
}
# regrw_arches LIBC...: the Debian architectures of these C libraries' rows.
regrw_arches() {
    local target
    for target in $(regrw_rows build libc "$@"); do regrw_field build "$target" arch; done
}
# This machine's Debian release, and its boards.
regrw_release() { (. /etc/os-release && echo "$VERSION_CODENAME"); }
regrw_boards() { regrw_rows board releases "$(regrw_release)"; }
# regrw_no_boards: the one line for a release with no board: which have one.
regrw_no_boards() {
    echo "Debian $(regrw_release) has no board in cmake/targets; the releases with one:" \
        "$(for row in $(regrw_rows board); do regrw_field board "$row" releases | tr , '\n'; done | awk '!seen[$0]++' | paste -sd' ' -)"
}
# regrw_machine TARGET: qemu's word (qemu-WORD, qemu-system-WORD), its
# triple's first.
regrw_machine() {
    local triple
    triple=$(regrw_field build "$1" triple) || return 2
    echo "${triple%%-*}"
}
# regrw_emulator TARGET [PROCESSOR]: qemu-user's words for TARGET's files,
# as PROCESSOR (default its oldest); a dynamic build's C library is under
# the cross toolchain's root.
regrw_emulator() {
    local machine processors
    machine=$(regrw_machine "$1") && processors=$(regrw_field build "$1" processors) || return 2
    printf 'qemu-%s -cpu %s' "$machine" "${2:-${processors%%,*}}"
    [ "$(regrw_field build "$1" libc)" != glibc ] || printf ' -L /usr/%s' "$(regrw_field build "$1" triple)"
    echo
}
# regrw_configure DIR TARGET [-DNAME=VALUE...]: DIR configured for a release
# build of TARGET (a build row, through the toolchain file; - natively).
regrw_configure() {
    local dir=$1 toolchain=()
    [ "$2" = - ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE="$regrw_root/cmake/toolchain.cmake" -DREGRW_TARGET="$2")
    shift 2
    cmake -S "$regrw_root" -B "$dir" -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" "$@"
}
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    word=regrw_${1//-/_}
    declare -F "$word" >/dev/null || { echo "project.sh: no word ${1:-}: see its regrw_ functions" >&2; exit 2; }
    shift
    "$word" "$@"
fi
