#!/usr/bin/env bash
# Builds the project and runs every test suite.
# Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh linux

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENLOR_BUILD_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Further suites (Windows build under Wine, sanitizers, fuzzing) add
# themselves here as scripts/test-*.sh.
for extra in scripts/test-*.sh; do
  [ -e "$extra" ] || continue
  echo "== $extra"
  bash "$extra"
done
