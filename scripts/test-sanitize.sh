#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) in build-asan and runs it with ctest.
# Every sanitizer report aborts the test it occurs in, so the suite passes
# only when no test reads or writes out of bounds, leaks, or meets
# undefined behaviour (signed overflow, an out-of-range float-to-integer
# conversion, a bad shift, a misaligned or null access, ...). Floating-point
# division by zero is not undefined in IEEE arithmetic and is not flagged.
#
# Usage: scripts/test-sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh linux
scripts/install-sanitizer-deps.sh

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
jobs=$(nproc 2>/dev/null || echo 2)
start=$(date +%s)

cmake -S . -B build-asan -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-O1 $sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" \
  -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
  -DQUENLOR_BUILD_TESTS=ON -DQUENLOR_BUILD_TOOLS=ON >/dev/null
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "sanitizer suite: $(( $(date +%s) - start )) s"
