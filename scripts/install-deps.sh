#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
# Usage: scripts/install-deps.sh [linux|windows|all]   (default: linux)
# Installs only what is missing; needs root (or sudo) for apt-get.
set -euo pipefail

what=${1:-linux}
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev gnuplot-nox libcli11-dev libfmt-dev libtomlplusplus-dev libgsl-dev)

"$(dirname "$0")/install-missing-packages.sh" "${packages[@]}"

if [ "$what" = windows ] || [ "$what" = all ]; then
  if [ -x "$(dirname "$0")/install-windows-deps.sh" ]; then
    "$(dirname "$0")/install-windows-deps.sh"
  fi
fi
