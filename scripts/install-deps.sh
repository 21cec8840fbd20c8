#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the benchmarks
# need.  Idempotent: apt-get runs only when something is missing.
set -euo pipefail

packages=(
  cmake make g++ gcc pkg-config binutils
  libfftw3-dev libopenblas-dev
  libgtest-dev libbenchmark-dev
  libmpfr-dev libsleef-dev python3-matplotlib
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
