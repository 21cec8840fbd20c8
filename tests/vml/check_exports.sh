#!/usr/bin/env bash
# Compares the dynamic symbols a library defines with the expected list.
# usage: check_exports.sh LIBRARY EXPECTED-LIST-PROGRAM
set -euo pipefail
lib=$1
expected=$("$2" | sort)
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sed 's/@.*//' | sort -u)
if [ "$expected" != "$actual" ]; then
  echo "exports differ from the name tables (< expected, > exported):"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$(echo "$actual" | wc -l) exports match the name tables"
