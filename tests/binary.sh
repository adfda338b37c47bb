#!/usr/bin/env bash
# What the built binary carries: nothing of the C++ runtime at run time, so
# it starts as fast as a C program.
# Usage: binary.sh BINARY
REGRW=$1
. "$(dirname "$0")/lib.sh"

needed=$(readelf -d "$REGRW" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
if [ "$needed" = "libc.so.6 " ]; then
    passed=$((passed + 1))
else
    failed=$((failed + 1)); echo "FAIL shared libraries needed: $needed (wanted libc.so.6 only)"
fi
finish
