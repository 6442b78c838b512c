#!/usr/bin/env bash
# Checks the export and import tables of quenlor.dll with objdump -p.
#
# Exports: exactly the names of EXPECTED_LIST (one a line, in alphabetical
# order), each under its plain name with ordinal = its line number, ordinal
# base 1, and nothing else (no decorated names, no ordinal-only entries).
# Imports: Windows system DLLs only; the compiler's runtime (libgcc,
# libstdc++, winpthread) must be linked in, not imported.
#
# Usage: check_dll_tables.sh DLL EXPECTED_LIST [OBJDUMP]
set -euo pipefail
dll=$1
expected_list=$2
objdump=${3:-$(command -v i686-w64-mingw32-objdump || command -v objdump)}

dump=$("$objdump" -p "$dll")
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

grep -q '^Magic.*010b' <<<"$dump" || fail "$dll is not a 32-bit (PE32) image"

mapfile -t expected < <(grep -v '^[[:space:]]*$' "$expected_list")
[ ${#expected[@]} -eq 14 ] || fail "$expected_list lists ${#expected[@]} names, not 14"
[ "$(printf '%s\n' "${expected[@]}")" = "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ] ||
  fail "$expected_list is not in alphabetical order"

base=$(awk '/^Ordinal Base/ {print $3}' <<<"$dump")
[ "$base" = 1 ] || fail "ordinal base is '$base', not 1"
addresses=$((16#$(awk '/Export Address Table[[:space:]]+[0-9a-fA-F]+$/ {print $NF; exit}' <<<"$dump")))
names=$((16#$(awk '/\[Name Pointer\/Ordinal\] Table[[:space:]]+[0-9a-fA-F]+$/ {print $NF; exit}' <<<"$dump")))
[ "$addresses" = 14 ] || fail "the export address table has '$addresses' entries, not 14"
[ "$names" = 14 ] || fail "the name table has '$names' entries, not 14"

# "[Ordinal/Name Pointer] Table" lines read "[ index] name", the index being
# the ordinal less the base.
mapfile -t exported < <(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next}
                              on && /^[[:space:]]*$/ {exit}
                              on {gsub(/[][]/, " "); print $1 + 1, $2}' <<<"$dump")
[ ${#exported[@]} -eq 14 ] || fail "${#exported[@]} named exports, not 14"
for i in "${!expected[@]}"; do
  want="$((i + 1)) ${expected[$i]}"
  [ "${exported[$i]:-}" = "$want" ] || fail "export $((i + 1)): '${exported[$i]:-none}', expected '$want'"
done

mapfile -t imports < <(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump")
[ ${#imports[@]} -gt 0 ] || fail "no import table found"
for lib in "${imports[@]}"; do
  case "$lib" in
    kernel32.dll | msvcrt.dll | ntdll.dll | user32.dll | advapi32.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
    *) fail "imports $lib, which is not a Windows system DLL" ;;
  esac
done

if [ $failed -ne 0 ]; then exit 1; fi
echo "quenlor.dll: 14 exports, ordinals 1-14 in alphabetical order; imports ${imports[*]}"
