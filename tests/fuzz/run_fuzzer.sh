#!/usr/bin/env bash
# Runs one fuzz target for a while, from its seeds in the repository, and says how many inputs it
# ran. A finding fails it; a target that is not built is skipped (exit 77).
#
#   run_fuzzer.sh NAME SECONDS FUZZ_BUILD_DIR [CORPUS]
set -euo pipefail
# Absolute paths: a target may change its current folder.
name=$1 seconds=$2 build=$(cd "$3" 2>/dev/null && pwd || echo "$3")
seeds=$(cd "$(dirname "$0")" && pwd)/corpus/${name#fuzz_}
bin=$build/$name
if [ ! -x "$bin" ]; then
    echo "skipped: $bin is not built (scripts/test builds it with clang where clang is installed)"
    exit 77
fi
corpus=${4:+$(realpath -m "$4")}
if [ -z "$corpus" ]; then
    corpus=$(mktemp -d)
    trap 'rm -rf "$corpus"' EXIT
fi
mkdir -p "$corpus"
cp -n "$seeds"/* "$corpus"/
log=$(mktemp)
status=0
"$bin" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/$name-" "$corpus" >"$log" 2>&1 ||
    status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "$name: a finding after ${runs:-?} executions (the input is saved beside $bin)"
else
    echo "$name: ${runs:-?} executions in $seconds s, no finding"
fi
rm -f "$log"
exit "$status"
