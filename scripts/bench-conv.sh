#!/usr/bin/env bash
# Convolution and correlation of libvsip-tv against numpy and scipy:
# installs python3-numpy and python3-scipy when they are missing (apt-get;
# the test suite does not need them), builds Release and runs
# bench/vsip/conv_vs_numpy.py single-threaded.  Extra arguments go to the
# script (for example --sizes 1000x20,100000x500 or --hint space).
#
# usage: scripts/bench-conv.sh [conv_vs_numpy.py options]
set -euo pipefail
cd "$(dirname "$0")/.."

# The system interpreter: the Debian packages install into it.
python=/usr/bin/python3
if ! "$python" -c 'import numpy, scipy.signal' 2>/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends python3-numpy python3-scipy
fi

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$jobs" --target vsip-tv dazaro-tv
OMP_NUM_THREADS=${OMP_NUM_THREADS:-1} "$python" bench/vsip/conv_vs_numpy.py "$build" "$@"
