#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Static analysis of the project's own code, with no findings allowed:
# clang-tidy (checks in .clang-tidy) over the compile database of the
# sanitized build, and cppcheck.
# Usage: analyse.sh SOURCE-DIR COMPILE-DATABASE-DIR
src=$1 db=$2
cd "$src" || exit 1
mapfile -t files < <(find src lab tests -name '*.cpp' | sort)
failed=0
# cppcheck is held to its error, warning, performance and portability
# findings; matters of style are clang-tidy's, whose checks are named one by
# one (.clang-tidy), so that a newer cppcheck's new style opinions do not
# fail the build by themselves. Where it can, it analyses every branch
# (a newer cppcheck otherwise stops early and says so).
# shellcheck disable=SC2054 # cppcheck's list of checks, one word
cppcheck=(cppcheck --enable=warning,performance,portability --suppress=missingIncludeSystem
          --error-exitcode=1 --quiet)
! cppcheck --help | grep -q -e '--check-level' || cppcheck+=(--check-level=exhaustive)
if ! printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy -p "$db" --quiet 2>/dev/null >"$db/tidy.log"; then
    grep -E 'warning:|error:' -A3 "$db/tidy.log"
    echo "FAIL clang-tidy"; failed=$((failed + 1))
fi
# The C files (the benchmark's reference, the tests' errno words) get the
# same checks.
c_files=(lab/bench/reference.c tests/errwords.c)
if ! clang-tidy --quiet "${c_files[@]}" -- -std=c11 -O2 >>"$db/tidy.log" 2>/dev/null; then
    grep -E 'warning:|error:' -A3 "$db/tidy.log"
    echo "FAIL clang-tidy on the C files"; failed=$((failed + 1))
fi
if ! "${cppcheck[@]}" --language=c --std=c11 "${c_files[@]}"; then
    echo "FAIL cppcheck on the C files"; failed=$((failed + 1))
fi
if ! "${cppcheck[@]}" --std=c++20 --language=c++ -I src --library=googletest --inline-suppr "${files[@]}"; then
    echo "FAIL cppcheck"; failed=$((failed + 1))
fi
echo "$((4 - failed)) passed, $failed failed"
((failed == 0))
