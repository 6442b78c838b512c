#!/usr/bin/env bash
# Installs what the 32-bit Windows build and its tests need on Debian: the
# MinGW-w64 i686 cross compiler and binutils, the GoogleTest sources for the
# cross-built unit tests, and 32-bit Wine (the i386 architecture is added to
# dpkg for it). Then it creates the Wine prefix once (wineboot --init), so
# that the first test does not pay for it. Installs only what is missing;
# needs root (or sudo) for apt-get.
#
# 32-bit Wine needs a kernel that runs 32-bit x86 programs. Where the kernel
# has that switched off (ia32_emulation=off), QUENLOR_WINE_EMULATED=1 makes
# this script also install qemu-user-static and the 64-bit wineserver and
# register qemu for 32-bit programs with binfmt_misc, so that Wine runs
# emulated: it works, but each Wine start takes minutes.
#
# Usage: scripts/install-windows-deps.sh
# Environment: WINEPREFIX (default ~/.wine), QUENLOR_WINE_EMULATED.
set -euo pipefail

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest wine wine32:i386)
if [ "${QUENLOR_WINE_EMULATED:-0}" = 1 ]; then
  packages+=(qemu-user-static wine64)
fi

need_i386=no
if ! dpkg --print-foreign-architectures | grep -qx i386; then need_i386=yes; fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

if [ "$need_i386" = yes ]; then
  echo "adding the i386 architecture to dpkg (for 32-bit Wine)"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

if [ ${#missing[@]} -gt 0 ] || [ "$need_i386" = yes ]; then
  echo "installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

binfmt=/proc/sys/fs/binfmt_misc
if [ "${QUENLOR_WINE_EMULATED:-0}" = 1 ] && [ ! -e "$binfmt/qemu-i386" ]; then
  echo "registering qemu-i386-static for 32-bit programs (binfmt_misc)"
  mountpoint -q "$binfmt" || "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  # ELF class 32, little endian, executable or shared object, machine i386.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
fi

# 32-bit programs start natively, or through the qemu registration above.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo "note: this kernel does not run 32-bit x86 programs; Wine cannot start here" \
       "(QUENLOR_WINE_EMULATED=1 runs it under qemu-user)"
  exit 0
fi

# The Wine prefix: created once, quietly (no Mono or Gecko installers, no
# debug chatter); a prefix that already has its registry is left alone.
prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  echo "creating the Wine prefix $prefix"
  WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wineboot --init </dev/null >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w
  [ -f "$prefix/system.reg" ] || { echo "wineboot did not create $prefix" >&2; exit 1; }
fi
