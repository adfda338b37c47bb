#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# analyse.sh SOURCE-DIR COMPILE-DATABASE-DIR: the project's code, no finding
# allowed, by clang-tidy (.clang-tidy's checks) over the compile database of
# the sanitized build, and cppcheck.
src=$1 db=$2
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
cd "$src" || exit 1
mapfile -t files < <(find src lab tests -name '*.cpp' | sort)
# cppcheck is held to its error, warning, performance and portability
# findings (style is clang-tidy's); where it can, on every branch (a newer
# one otherwise stops early).
# shellcheck disable=SC2054 # cppcheck's list of checks, one word
cppcheck=(cppcheck --enable=warning,performance,portability --suppress=missingIncludeSystem
          --error-exitcode=1 --quiet)
! cppcheck --help | grep -q -e '--check-level' || cppcheck+=(--check-level=exhaustive)
# clean LABEL COMMAND...: an analyser that finds nothing; its findings, if not.
clean() { same "$1" "$("${@:2}" 2>&1 | grep -E -A3 'warning:|error:'; echo "status ${PIPESTATUS[0]}")" "status 0"; }
# shellcheck disable=SC2317,SC2329 # run by clean
tidy() { printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy -p "$db" --quiet; }
clean clang-tidy tidy
# The C files get the same checks.
c_files=(lab/bench/reference.c tests/errwords.c)
clean "clang-tidy on the C files" clang-tidy --quiet "${c_files[@]}" -- -std=c11 -O2
clean "cppcheck on the C files" "${cppcheck[@]}" --language=c --std=c11 "${c_files[@]}"
clean cppcheck "${cppcheck[@]}" --std=c++20 --language=c++ -I src --library=googletest --inline-suppr "${files[@]}"
finish
