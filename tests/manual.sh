#!/usr/bin/env bash
# The manual page renders without a single warning from either formatter.
# Usage: manual.sh PAGE
page=$1
REGRW=regrw
. "$(dirname "$0")/lib.sh"
for lint in "mandoc -Tlint -W warning" "groff -mdoc -ww -z"; do
    out=$($lint "$page" 2>&1)
    if [ $? = 0 ] && [ -z "$out" ]; then passed=$((passed + 1)); else
        failed=$((failed + 1)); printf 'FAIL %s\n%s\n' "$lint" "$out"; fi
done
finish
