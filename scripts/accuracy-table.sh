#!/usr/bin/env bash
# Prints the README accuracy table: every row of vml/kernels/accuracy.def
# measured by tvml-ulp against MPFR, as Markdown.
#
# usage: scripts/accuracy-table.sh [build-dir] [tvml-ulp options...]
#   build-dir defaults to build/release; it is configured and the tool
#   built there if needed.  Extra options go to tvml-ulp (the default
#   samples are 100000 per interval and distribution; add --exhaustive
#   for every float of the intervals).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
shift || true

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target tvml-ulp >/dev/null

# The exit status reports kernels over their bound; the table shows them.
status=0
"$build/tools/ulp/tvml-ulp" --markdown --samples 100000 "$@" || status=$?
if [ "$status" -gt 1 ]; then
  exit "$status"
fi
if [ "$status" -eq 1 ]; then
  echo "warning: some kernels exceed their declared bound (run tvml-ulp without --markdown for details)" >&2
fi
