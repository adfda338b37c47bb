#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A bounded fuzzing run of the command line from the seed corpus. A crash or
# a mismatch with the oracle fails the run; its input is kept in KEEP-DIR
# and printed, to be added to tests/fuzz/corpus with the fix.
# Usage: fuzz.sh FUZZER SECONDS KEEP-DIR
fuzzer=$1 seconds=$2 keep_dir=$3
seeds=$(dirname "$0")/fuzz/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/found"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/found/" "$work/corpus" "$seeds" >"$work/log" 2>&1
status=$?
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$work/log"
if [ "$status" != 0 ] || [ -n "$(ls "$work/found")" ]; then
    grep -v '^#\|^INFO\|^stat::' "$work/log" | tail -40
    for input in "$work/found"/*; do
        [ -f "$input" ] || continue
        mkdir -p "$keep_dir"
        keep=$keep_dir/$(basename "$input")
        cp "$input" "$keep"
        echo "input kept at $keep:"; od -An -c "$keep" | head -5
    done
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
