#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# lint.sh CHECK SOURCE-DIR: the project's files as files, one CHECK a run:
#  "shellcheck"  every shell file and case table's session script, every
#                finding an error (a false alarm disabled on its line, with why)
#  "licence"     an SPDX line at every file's top, but those that state it,
#                Debian's that take no comment, and raw inputs
#  "manual"      the manual page, without a warning from either formatter
#  "documents"   every name in a document's backquotes (the .md files) and every
#                path in a file's header is in the tree: a path (from the top or
#                the document's folder, globs and braces expanded), a file (by
#                its extension), or a NAME in capitals or -DNAME, which the code
#                uses. Passed over: what is made, never committed (build/, dist/,
#                fetched/), and a release's files, named by their VERSION.
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
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
        # Each table read with session alone doing something: keeping its script.
        same "session rows outside the case tables" "$(grep -l '^ *session .*--' "${shell[@]}" | grep -v -e '-cases\.sh$')" ""
        for table in tests/*-cases.sh; do
            (set +u; n=0
             for word in device dcheck beyond check probe log_count session_log refused; do eval "$word() { :; }"; done
             # shellcheck disable=SC2317,SC2329 # called by the table
             session() {
                 shift 4
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
    documents)
        made() { [[ $1 =~ ^(build|dist|fetched)(/|$) || $1 == *VERSION* ]]; }
        mapfile -t code < <(printf '%s\n' "${files[@]}" | grep -v -e '\.md$' -e '^tests/fuzz/corpus/')
        words=$(cat "${code[@]}" | sed 's/-D\([A-Z]\)/ \1/g' | grep -oE '\b[A-Z][A-Z0-9_]{2,}\b' | sort -u)
        names=$(printf '%s\n' "${files[@]}" | sed 's|.*/||' | sort -u)
        tops=$(printf '%s\n' "${files[@]}" | sed 's|/.*||' | sort -u)
        # missing DOCUMENT WORD: WORD where it names what the tree lacks.
        missing() {
            local doc=$1 word=${2#./} path name
            word=${word%[.,;:)]} word=${word#(}
            [[ $word =~ ^[A-Za-z0-9_./*{},=-]+$ && $word != /* ]] || return 0
            if [[ $word =~ ^(-D)?([A-Z][A-Z0-9_]{2,})(=(.*))?$ ]]; then
                grep -qx -- "${BASH_REMATCH[2]}" <<<"$words" || echo "$doc: $word"
                [ -z "${BASH_REMATCH[4]}" ] || missing "$doc" "${BASH_REMATCH[4]}"
            elif [[ $word == */* ]]; then
                word=${word%/}
                # The tree's, from its top or the document's folder.
                made "$word" || { ! grep -qx -- "${word%%/*}" <<<"$tops" && [ ! -e "$(dirname "$doc")/${word%%/*}" ]; } &&
                    return 0
                for path in $(eval "printf '%s\n' $word"); do
                    compgen -G "$path" >/dev/null || compgen -G "$(dirname "$doc")/$path" >/dev/null || echo "$doc: $path"
                done
            elif [[ $word =~ \.(sh|cpp|h|c|cmake|md|1|deb|gz)$ ]] && ! made "$word"; then
                for name in $(eval "printf '%s\n' $word"); do
                    # shellcheck disable=SC2053 # a glob, matched as one
                    while read -r path; do [[ $path == $name ]] && continue 2; done <<<"$names"
                    echo "$doc: $name"
                done
            fi
        }
        out=$(for doc in "${files[@]}"; do
            if [[ $doc == *.md ]]; then
                # shellcheck disable=SC2016 # backquotes, as text
                grep -o '`[^`]*`' "$doc" | tr -d '`' | tr ' ' '\n'
            else
                # Its header: the comment lines it opens with.
                awk 'NR == 1 && /^#!/ { next } /^(#|\/\/|\/\*| \*|<!--)/ { print; next } { exit }' "$doc" |
                    grep -oE '\b(src|lab|tests|scripts|cmake|debian)/[A-Za-z0-9_./*{},-]*'
            fi | while read -r word; do missing "$doc" "$word"; done
        done)
        same "names in the documents and headers that the tree lacks" "$out" "" ;;
    *) same "lint.sh CHECK" "$1" "shellcheck, licence, manual or documents" ;;
esac
finish
