#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The project's files as files, one CHECK a run:
#  - "shellcheck": every shell file, and every case table's session script,
#    passes shellcheck with every finding an error; a false alarm is
#    disabled on its own line, with the reason.
#  - "licence": every file says its licence in its first lines, but those
#    that state it, Debian's files that take no comment, and raw inputs.
#  - "manual": the manual page renders without a warning from either
#    formatter.
# Usage: lint.sh CHECK SOURCE-DIR
# shellcheck source=tests/core.sh
. "$(dirname "$0")/core.sh"
cd "$2" || exit 1
# The project's files; outside a git checkout (a source tarball), every file.
mapfile -t files < <(git ls-files 2>/dev/null || find . -path ./build -prune -o -path ./fetched -prune -o -type f -print)
files=("${files[@]#./}")
same "the project's files" "$( ((${#files[@]} > 50)) && echo found)" found
case $1 in
    shellcheck)
        shell=()
        for file in "${files[@]}"; do
            if [[ $file == *.sh ]] || head -1 "$file" | grep -qE '^#!.*\b(bash|sh)$' ||
                    grep -q '^# shellcheck shell=' "$file"; then
                shell+=("$file")
            fi
        done
        # Each table read with its words doing nothing but session, which
        # keeps its script in a file.
        same "session rows outside the case tables" "$(grep -l '^ *session .*--' "${shell[@]}" | grep -v -e '-cases\.sh$')" ""
        for table in tests/*-cases.sh; do
            (set +u; n=0
             for word in device dcheck probe strict outcome log_count session_log refused; do eval "$word() { :; }"; done
             # shellcheck disable=SC2317,SC2329 # called by the table
             session() {
                 while [ "$1" != -- ]; do shift; done
                 n=$((n + 1)); printf '# shellcheck shell=sh\n%s\n' "$2" >"$scratch/${table#tests/}-session-$n"
             }
             # shellcheck source=/dev/null # each table in turn
             . "./$table")
        done
        sessions=("$scratch"/*-session-*)
        out=$(shellcheck -x --severity=style "${shell[@]}" "${sessions[@]}" 2>&1; echo "status $?")
        same "shellcheck -x over ${#shell[@]} files and ${#sessions[@]} session scripts" "$out" "status 0" ;;
    licence)
        missing=()
        for file in "${files[@]}"; do
            case $file in
                LICENSE | README.md | debian/copyright | debian/changelog | debian/source/format | tests/fuzz/corpus/*) continue ;;
            esac
            licence=MIT
            case $file in lab/driver/*.c | lab/driver/*.h) licence="GPL-2.0 OR MIT" ;; esac
            head -3 "$file" | grep -qF "SPDX-License-Identifier: $licence" || missing+=("$file")
        done
        same "files without an SPDX line" "${missing[*]}" "" ;;
    manual)
        for lint in "mandoc -Tlint -W warning" "groff -mdoc -ww -z"; do
            same "$lint" "$($lint src/regrw.1 2>&1; echo "status $?")" "status 0"
        done ;;
    *) same "lint.sh CHECK" "$1" "shellcheck, licence or manual" ;;
esac
finish
