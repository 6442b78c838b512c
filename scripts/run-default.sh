#!/usr/bin/env bash
# Builds the model library and shows it working on the shipped default data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
echo "library: build/libquenlor.so, data: data/"
