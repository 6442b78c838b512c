#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
# Usage: scripts/install-deps.sh [linux|windows|all]   (default: linux)
# Installs only what is missing; needs root (or sudo) for apt-get.
set -euo pipefail

what=${1:-linux}
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev gnuplot-nox libcli11-dev libfmt-dev libtomlplusplus-dev libgsl-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ "$what" = windows ] || [ "$what" = all ]; then
  if [ -x "$(dirname "$0")/install-windows-deps.sh" ]; then
    "$(dirname "$0")/install-windows-deps.sh"
  fi
fi
