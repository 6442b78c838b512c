#!/usr/bin/env bash
# Checks that a shared library defines exactly the expected dynamic symbols.
# Usage: check_exports.sh LIBRARY EXPECTED_LIST
set -euo pipefail
actual=$(nm -D --defined-only "$1" | awk '{print $NF}' | sort)
expected=$(sort "$2")
if [ "$actual" != "$expected" ]; then
  echo "exported symbols differ from $2:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports: $(echo "$actual" | wc -l) names, as expected"
