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

"$(dirname "$0")/install-missing-packages.sh" "${packages[@]}"
