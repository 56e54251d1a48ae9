#!/usr/bin/env bash
# Runs every fuzz target for a given time, as many at once as there are cores; fails when any target finds a crash.
# usage: tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# New inputs go to BUILD_DIR/fuzz-corpus/<target> (the seeds in tests/fuzz/corpus stay as they are), crashes to
# BUILD_DIR/fuzz-crashes, each target's log to BUILD_DIR/fuzz-logs.
set -uo pipefail

build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(measurement_reader ini_reader level_reply number_text)
seeds="$(cd "$(dirname "$0")" && pwd)/corpus"

mkdir -p "$build/fuzz-crashes" "$build/fuzz-logs"
run_one() {
  local target=$1
  mkdir -p "$build/fuzz-corpus/$target"
  "$build/bin/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-crashes/$target-" "$build/fuzz-corpus/$target" "$seeds/$target" \
    >"$build/fuzz-logs/$target.log" 2>&1
}

jobs=$(nproc 2>/dev/null || echo 1)
pids=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  run_one "$target" &
  pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  if wait "${pids[$i]}"; then result=ok; else result=CRASH; failed=1; fi
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$build/fuzz-logs/$target.log")
  printf '%-20s %-6s %12s executions in %ss\n' "$target" "$result" "${runs:-?}" "$seconds"
  [ "$result" = CRASH ] && grep -m3 -E 'property broken|ERROR:|SUMMARY' "$build/fuzz-logs/$target.log" | sed 's/^/    /'
done
[ $failed -eq 0 ] || echo "crash inputs are in $build/fuzz-crashes"
exit $failed
