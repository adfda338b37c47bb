#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# fuzz.sh FUZZER SECONDS KEEP-DIR: the command line fuzzed from the seed
# corpus. A crash or a mismatch with the oracle fails; its input is kept in
# KEEP-DIR and printed, to be added to tests/fuzz/corpus with the fix.
fuzzer=$1 seconds=$2 keep_dir=$3
# shellcheck source=tests/harness.sh
. "${harness:=$(dirname "$0")/harness.sh}"
mkdir "$scratch/corpus" "$scratch/found"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$scratch/found/" "$scratch/corpus" "$(dirname "$0")/fuzz/corpus" >"$scratch/log" 2>&1
status=$?
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$scratch/log"
if ! same "$seconds s of fuzzing: status, and inputs found" "$status $(ls "$scratch/found")" "0 "; then
    grep -v '^#\|^INFO\|^stat::' "$scratch/log" | tail -40
    for input in "$scratch/found"/*; do
        [ -f "$input" ] || continue
        mkdir -p "$keep_dir"
        keep=$keep_dir/$(basename "$input")
        cp "$input" "$keep"
        echo "input kept at $keep:"; od -An -c "$keep" | head -5
    done
fi
finish
