#!/usr/bin/env bash
# Installs what the sanitizer and fuzzing builds need on Debian: clang,
# its runtime libraries (AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer are in libclang-rt-14-dev) and llvm-symbolizer (package llvm)
# for reports with file and line. The project's own build dependencies
# come from install-deps.sh. Installs only what is missing; needs root (or
# sudo) for apt-get.
#
# Usage: scripts/install-sanitizer-deps.sh
set -euo pipefail

packages=(clang libclang-rt-14-dev llvm)

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
