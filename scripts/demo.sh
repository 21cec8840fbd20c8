#!/usr/bin/env bash
# Builds the libraries in Release, then runs tvml-info and the examples.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"

echo "== tvml-info"
build/release/tools/tvml-info
for example in build/release/examples/*; do
  if [ -f "$example" ] && [ -x "$example" ]; then
    echo "== $(basename "$example")"
    "$example"
  fi
done
