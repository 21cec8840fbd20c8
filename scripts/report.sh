#!/usr/bin/env bash
# One benchmark run, written into the README and docs/:
#   - array functions: scripts/bench.sh (bench_vml against libm, libmvec,
#     SLEEF, the plain loop and memcpy);
#   - libvsip-tv: the Google Benchmark programs of bench/vsip (FFT against
#     bare FFTW, products against bare CBLAS, element-wise against the bare
#     array call, FIR against a plain loop) and scripts/bench-conv.sh
#     (convolution and correlation against numpy and scipy);
#   - charts: docs/speedup-array.png and docs/speedup-vsip.png (bench/plot.py);
#   - README regions between marker comments: the speed summary of the
#     overview, the array ratio table (bench/ratios.py, n = 1000), the
#     list of tuned kernels (scripts/readme-tuned.sh) and, unless --quick or
#     --no-accuracy, the accuracy table (scripts/accuracy-table.sh).
# Raw results stay in build/bench-results/.
#
# usage: scripts/report.sh [--quick] [--no-accuracy] [--reuse]
#   --quick        fewer sizes and repetitions, shorter runs, no accuracy table
#   --no-accuracy  keep the README's accuracy table as it is
#   --reuse        run nothing: charts and README from the last results
#                  (the accuracy table as it is)
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
accuracy=1
reuse=0
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1; accuracy=0 ;;
    --no-accuracy) accuracy=0 ;;
    --reuse) reuse=1; accuracy=0 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "report.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

# A Python with matplotlib: Debian's interpreter, with Debian's package
# installed if it is missing.
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
if ! "$python" -c 'import matplotlib' 2>/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends python3-matplotlib
  python=/usr/bin/python3
fi

build=build/release
out=build/bench-results
vsip_out=$out/vsip
mkdir -p "$vsip_out" docs

if [ "$reuse" -eq 0 ]; then
  # Array functions (configures and builds the release tree with benchmarks).
  if [ "$quick" -eq 1 ]; then ./scripts/bench.sh --quick; else ./scripts/bench.sh; fi

  # libvsip-tv programs, each against its baseline in the same run.
  build_targets() { cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "$@"; }
  build_targets vsip_fft_bench vsip_products_bench vsip_elementwise_bench vsip_fir_bench tvml-readme-tuned
  if [ "$quick" -eq 1 ]; then
    gbench=(--benchmark_min_time=0.05 --benchmark_repetitions=1)
    conv_sizes=1000x20,10000x100,100000x500
  else
    gbench=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
    conv_sizes=""
  fi
  run_gbench() {  # program, result name
    OMP_NUM_THREADS=${OMP_NUM_THREADS:-1} "$build/bench/vsip/$1" "${gbench[@]}" \
      --benchmark_color=false --benchmark_out="$vsip_out/$2.json" --benchmark_out_format=json | tee "$vsip_out/$2.txt"
  }
  run_gbench vsip_fft_bench fft
  run_gbench vsip_products_bench products
  run_gbench vsip_elementwise_bench elementwise
  run_gbench vsip_fir_bench fir
  ./scripts/bench-conv.sh ${conv_sizes:+--sizes "$conv_sizes"} | tee "$vsip_out/conv.txt"
  if [ "$quick" -eq 1 ]; then echo "scripts/report.sh --quick"; else echo "scripts/report.sh"; fi >"$out/command"
elif [ ! -f "$out/bench.json" ]; then
  echo "report.sh: no results in $out to reuse" >&2; exit 1
fi

# Charts and summary rows.
"$python" bench/plot.py "$out/bench.json" --n 1000 -o docs/speedup-array.png --markdown "$out/summary-array.md"
"$python" bench/plot.py --vsip "$vsip_out" -o docs/speedup-vsip.png --markdown "$out/summary-vsip.md"
"$python" bench/ratios.py "$out/bench.json" --markdown --n 1000 --ratios-only >"$out/ratios-n1000.md"

# Replaces the lines between a begin and an end marker of README.md with a file.
replace_region() {  # begin-marker end-marker file
  grep -qF "$1" README.md || { echo "README.md has no marker: $1" >&2; exit 1; }
  awk -v begin="$1" -v end="$2" -v file="$3" '
    $0 == begin { print; while ((getline line < file) > 0) print line; skip = 1; next }
    $0 == end { skip = 0 }
    !skip { print }
  ' README.md >README.md.new
  mv README.md.new README.md
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
mode=$(cat "$out/command" 2>/dev/null || echo "scripts/report.sh")
{
  echo "Speed-up = baseline time / our time on the same data in the same run"
  echo "(above 1: ours faster): median (min-max) over the cases measured. The"
  echo "functions that keep their portable kernel by design (expm1, log1p, the"
  echo "atan2 array form) run libm per element and make the low ends of the"
  echo "dazaro-tv ranges."
  echo "Measured $(date -u -r "$out/bench.json" +%Y-%m-%d) by \`$mode\` on $(nproc) cores of an $cpu"
  echo "(a virtual machine: single figures can move by 10% or more between runs)."
  echo
  echo "| dazaro-tv at n = 1000 | Functions | vs scalar libm loop | vs libmvec | vs SLEEF u10 | vs plain -O3 loop | vs memcpy (per byte) |"
  echo "|---|---|---|---|---|---|---|"
  cat "$out/summary-array.md"
  echo
  echo "| libvsip-tv | Against | Cases | Speed-up |"
  echo "|---|---|---|---|"
  cat "$out/summary-vsip.md"
  echo
  echo "![dazaro-tv speed-up per function](docs/speedup-array.png)"
  echo
  echo "![libvsip-tv speed-up over its baselines](docs/speedup-vsip.png)"
} >"$out/summary.md"
replace_region '<!-- speed summary: generated by scripts/report.sh -->' '<!-- end of speed summary -->' "$out/summary.md"
replace_region '<!-- array ratio table: generated by scripts/report.sh -->' '<!-- end of array ratio table -->' "$out/ratios-n1000.md"
./scripts/readme-tuned.sh "$build"
if [ "$accuracy" -eq 1 ]; then
  ./scripts/accuracy-table.sh "$build" --samples 20000 >"$out/accuracy.md"
  replace_region '<!-- accuracy table: generated by scripts/report.sh -->' '<!-- end of accuracy table -->' "$out/accuracy.md"
fi
echo "README.md and docs/speedup-*.png rewritten; raw results in $out/"
