#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The manual page renders without a single warning from either formatter.
# Usage: manual.sh PAGE
page=$1
REGRW=regrw
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
for lint in "mandoc -Tlint -W warning" "groff -mdoc -ww -z"; do
    out=$($lint "$page" 2>&1; echo "status $?")
    same "$lint" "$out" "status 0"
done
finish
