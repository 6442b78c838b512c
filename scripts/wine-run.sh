#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine for the cross-built tests
# (CMAKE_CROSSCOMPILING_EMULATOR of cmake/toolchain-i686-mingw.cmake):
# no debug chatter, no Mono or Gecko installers, a 32-bit prefix, and no
# standard input for Wine to wait on.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=${WINEARCH:-win32}
exec wine "$@" </dev/null
