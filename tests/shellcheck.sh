#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every shell file of the project passes shellcheck, every finding an error:
# the shell is held as the C++ is. Sourced files are followed ("# shellcheck
# source=" lines), and checked on their own too, since shellcheck reports
# only on the files it is given. A false alarm is disabled on its own line,
# with the reason.
# Usage: shellcheck.sh SOURCE-DIR
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
cd "$1" || exit 1
# Outside a git checkout (a source tarball), every file there.
mapfile -t all < <(git ls-files 2>/dev/null || find . -path ./build -prune -o -path ./fetched -prune -o -type f -print)
files=()
for file in "${all[@]}"; do
    file=${file#./}
    if [[ $file == *.sh ]] || head -1 "$file" | grep -qE '^#!.*\b(bash|sh)$' ||
            grep -q '^# shellcheck shell=' "$file"; then
        files+=("$file")
    fi
done
same "shell files found" "$( ((${#files[@]} > 25)) && echo many)" many
out=$(shellcheck -x --severity=style "${files[@]}" 2>&1; echo "status $?")
same "shellcheck -x over ${#files[@]} files" "$out" "status 0"
finish
