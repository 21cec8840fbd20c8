#!/usr/bin/env bash
# Checks that a library's NEEDED entries are exactly the given sonames.
# usage: check_needed.sh LIBRARY SONAME...
set -euo pipefail
lib=$1
shift
actual=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "NEEDED of $lib:"; echo "$actual"; echo "expected:"; echo "$expected"
  exit 1
fi
echo "NEEDED: $(echo $actual)"
