#!/usr/bin/env bash
# The project's main job on a fresh clone: installs what is missing, builds
# the model library and the quenlor command, and runs the model on the
# shipped default data. The response table, the fall-off table and their
# plots land in one folder, which is printed at the end.
#
# Usage: scripts/run-default.sh [more quenlor simulate options]
#   e.g. scripts/run-default.sh -p Xf=300 --injection-hours 0.5
# Environment: QUENLOR_BUILD_DIR (default build), QUENLOR_OUTPUT (default
# quenlor-output), both relative to the checkout's root unless absolute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh linux

build=${QUENLOR_BUILD_DIR:-build}
output=${QUENLOR_OUTPUT:-quenlor-output}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target quenlor quenlor_cli

# data/ is given relative to the checkout: the model reads at most 80
# characters of its data directory, however deep the clone lies.
"$build/quenlor" simulate --data data/ --output "$output" "$@"

case $output in
  /*) where=$output ;;
  *) where=$(pwd)/$output ;;
esac
echo
echo "The response and fall-off tables (CSV) and their plots (PNG) are in $where"
