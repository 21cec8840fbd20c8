#!/usr/bin/env bash
# Builds Release, runs the array-function benchmarks and writes into
# build/bench-results/: bench.json (Google Benchmark JSON), ratio tables
# (bench/ratios.py) in median-iteration TSC clocks (ratios.txt, ratios.md)
# and in thread-CPU-time TSC clocks (ratios_cpu.txt, the robust one for
# n in memory on a shared machine), and bench.png (bench/plot.py).
#
# usage: scripts/bench.sh [--quick] [--filter REGEX]
#   --quick   n = 1 000 and 10 000 000 only, 3 repetitions, short minimum time
#   --filter  only functions whose benchmark names match REGEX (e.g. 'vsExp|vdExp')
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
filter=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --filter) filter="$2"; shift ;;
    --filter=*) filter="${1#--filter=}" ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

./scripts/install-deps.sh

if [ "$quick" -eq 1 ]; then
  sizes=1000,10000000 repetitions=3 min_time=0.02
else
  sizes=1000,100000,10000000 repetitions=5 min_time=0.1
fi

jobs=$(nproc 2>/dev/null || echo 2)
build=build/release
out=build/bench-results
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTVML_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target bench_vml
mkdir -p "$out"

# Repetitions, not pinning, against frequency changes: the tables use the
# median repetition of each benchmark.
"$build/bench/bench_vml" --tvml_sizes="$sizes" \
  --benchmark_repetitions="$repetitions" --benchmark_min_time="$min_time" \
  --benchmark_report_aggregates_only=true \
  ${filter:+--benchmark_filter="$filter"} \
  --benchmark_out="$out/bench.json" --benchmark_out_format=json

# Debian's interpreter has Debian's matplotlib.
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
"$python" bench/ratios.py "$out/bench.json" | tee "$out/ratios.txt"
"$python" bench/ratios.py --markdown "$out/bench.json" >"$out/ratios.md"
"$python" bench/ratios.py --metric cputsc "$out/bench.json" >"$out/ratios_cpu.txt"
"$python" bench/plot.py "$out/bench.json" -o "$out/bench.png"
echo "results in $out/: bench.json ratios.txt ratios.md ratios_cpu.txt bench.png"
