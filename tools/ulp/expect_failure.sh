#!/bin/sh
# usage: expect_failure.sh PATTERN COMMAND...
# Passes when COMMAND exits non-zero and its output matches PATTERN (ERE).
pattern=$1
shift
out=$("$@" 2>&1)
status=$?
printf '%s\n' "$out"
if [ "$status" -eq 0 ]; then
  echo "expected a non-zero exit status" >&2
  exit 1
fi
printf '%s\n' "$out" | grep -Eq -- "$pattern" || { echo "output does not match: $pattern" >&2; exit 1; }
