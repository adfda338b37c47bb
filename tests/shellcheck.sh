#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every shell file of the project passes shellcheck with every finding an
# error, sourced files followed: the shell is held as the C++ is. A false
# alarm is disabled on its own line, with the reason beside it.
# Usage: shellcheck.sh SOURCE-DIR
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
cd "$1" || exit 1
# Shell files: by their ending, their first line, or a shellcheck directive
# naming their shell. Outside a git checkout (a source tarball), every file.
mapfile -t candidates < <(git ls-files 2>/dev/null || find . -path ./build -prune -o -path ./fetched -prune -o -type f -print)
files=()
for file in "${candidates[@]}"; do
    case $file in tests/fuzz/corpus/*) continue ;; esac
    if [[ $file == *.sh ]] || head -1 "$file" | grep -qE '^#!.*\b(ba|da|busybox )?sh\b' ||
            grep -qs '^# shellcheck shell=' "$file"; then
        files+=("${file#./}")
    fi
done
same "shell files found" "$( ((${#files[@]} > 20)) && echo many)" many
out=$(shellcheck -x -P SCRIPTDIR --severity=style "${files[@]}" 2>&1; echo "status $?")
same "shellcheck -x over ${#files[@]} files" "$out" "status 0"
finish
