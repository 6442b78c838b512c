#!/usr/bin/env bash
# Builds the fuzz targets (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, clang) in build-fuzz and runs each for a
# bounded time, starting from the committed seeds in fuzz/corpus/ and the
# inputs that earlier runs in build-fuzz kept. Prints, per target, the
# executions, the time, the corpus and the findings; fails when any target
# finds a crash, a sanitizer report, a broken invariant, a slow input or a
# leak (the input is kept in build-fuzz/findings/TARGET/).
#
# Usage: scripts/test-fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh linux
scripts/install-sanitizer-deps.sh

seconds=${1:-60}
per_input=60  # seconds one input may take before it counts as a hang
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$jobs"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
for target in control_file lookup_grid run; do
  corpus=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  log=build-fuzz/$target.log
  mkdir -p "$corpus" "$findings"
  start=$(date +%s)
  result=0
  build-fuzz/${target}_fuzzer -max_total_time="$seconds" -timeout="$per_input" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || result=$?
  elapsed=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$log" | tail -1)
  found=$(find "$findings" -type f | wc -l)
  printf '%-13s %8s executions in %3d s (%s/s), slowest input %s s, corpus %d inputs, findings %d\n' \
    "$target" "${runs:-?}" "$elapsed" "$(( ${runs:-0} / (elapsed > 0 ? elapsed : 1) ))" "${slowest:-?}" \
    "$(find "$corpus" -type f | wc -l)" "$found"
  grep '^run_fuzzer outcomes' "$log" || true
  if [ "$result" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "== $target failed (exit $result); the end of $log:"
    grep -v '^quenlor: ' "$log" | tail -n 60
    status=1
  fi
done
exit $status
