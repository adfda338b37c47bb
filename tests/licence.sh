#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every file of the project says its licence in its first lines (MIT; the
# kernel module GPL-2.0 OR MIT), but for the licence itself, the documents
# that state it, and the fuzzer's seed inputs (raw bytes, where a line would
# change the input).
# Usage: licence.sh SOURCE-DIR
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
cd "$1" || exit 1
mapfile -t tracked < <(git ls-files 2>/dev/null)
same "files tracked by git" "$( ((${#tracked[@]} > 0)) && echo some)" some
missing=()
for file in "${tracked[@]}"; do
    case $file in
        LICENSE | README.md | cmake/debian/copyright | cmake/debian/changelog.in | tests/fuzz/corpus/*) continue ;;
    esac
    # The kernel module and its header are dual-licensed, as the kernel
    # wants: GPL-2.0 OR MIT.
    licence=MIT
    case $file in lab/driver/*.c | lab/driver/*.h) licence="GPL-2.0 OR MIT" ;; esac
    head -3 "$file" | grep -qF "SPDX-License-Identifier: $licence" || missing+=("$file")
done
same "files without an SPDX line" "${missing[*]}" ""
finish
