#!/usr/bin/env bash
# Builds the libraries in Release, runs tvml-info, vsip-tv-info and the
# examples, and draws the examples' plots as PNG files when Python with
# matplotlib is available.  Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"

bin=build/release
plots=$bin/examples/plots
mkdir -p "$plots"
failed=()

run() {
  echo
  echo "== $*"
  "$@" || failed+=("$(basename "$1")")
}

run "$bin/tools/tvml-info"
run "$bin/tools/vsip-tv-info"
run "$bin/examples/array_api"
run "$bin/examples/vector_abi"
run "$bin/examples/shortvec_demo"
run "$bin/examples/vsip/vsip_views_demo"
run "$bin/examples/vsip/radar" --plot "$plots/radar.csv"
run "$bin/examples/vsip/fftm_threads" --plot "$plots/fftm.csv"
run "$bin/examples/vsip/products"
run "$bin/examples/vsip/random" --plot "$plots/random.csv"
run "$bin/examples/vsip/fir_lowpass" --plot "$plots/fir.csv"

# A Python with matplotlib: the one on PATH, the system one, or the
# system one after installing the Debian package.
find_plot_python() {
  local py
  for py in python3 /usr/bin/python3; do
    if command -v "$py" >/dev/null && "$py" -c 'import matplotlib' 2>/dev/null; then
      echo "$py"
      return 0
    fi
  done
  return 1
}
echo
echo "== plots"
py=$(find_plot_python || true)
if [ -z "$py" ] && command -v apt-get >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing python3-matplotlib for the plots"
  if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends python3-matplotlib >/dev/null; then
    py=$(find_plot_python || true)
  fi
fi
if [ -z "$py" ]; then
  echo "plots skipped: no Python with matplotlib (install python3-matplotlib)"
else
  for kind in radar fftm random fir; do
    if [ -s "$plots/$kind.csv" ] && "$py" examples/plot.py "$kind" "$plots/$kind.csv" "$plots/$kind.png"; then
      echo "wrote $plots/$kind.png"
    else
      failed+=("plot $kind")
    fi
  done
fi

echo
if [ ${#failed[@]} -ne 0 ]; then
  echo "demo: FAILED: ${failed[*]}"
  exit 1
fi
echo "demo: all programs passed"
