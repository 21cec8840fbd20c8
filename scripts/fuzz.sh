#!/usr/bin/env bash
# Long differential fuzzing run of every exported dazaro-tv kernel, for
# release checks: builds the fuzzer (Release) and runs it once per dispatch
# index, then prints the per-kernel table (inputs tried, inputs per second,
# worst error against the MPFR reference, mismatches) and every mismatch.
#
#   scripts/fuzz.sh [--inputs N] [--seconds S] [--seed K] [--index I] [--filter F]
#
# --inputs   inputs per round and function (default 20000)
# --seconds  keep starting rounds with new seeds until S seconds are spent
#            per dispatch index (default: one round)
# --seed     seed of the first round (default: the date, printed)
# --index    only this VML_DEBUG_ARCH index (default: the process's own
#            choice, then index 0, where the entry points must equal libm)
# --filter   gtest filter on the function rows, e.g. 'pow_*:exp_float'
set -euo pipefail
cd "$(dirname "$0")/.."

inputs=20000
seconds=0
seed=$(date +%Y%m%d)
indices=("" 0)
filter='*'
while [ $# -gt 0 ]; do
  case "$1" in
    --inputs) inputs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --index) indices=("$2"); shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    *) echo "usage: $0 [--inputs N] [--seconds S] [--seed K] [--index I] [--filter F]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc 2>/dev/null || echo 2)" --target test_vml_fuzz >/dev/null

status=0
for index in "${indices[@]}"; do
  echo "== dispatch index ${index:-of this processor}, seed $seed, $inputs inputs per round, ${seconds}s"
  env ${index:+VML_DEBUG_ARCH=$index} TVML_FUZZ_INPUTS="$inputs" TVML_FUZZ_SECONDS="$seconds" \
    TVML_FUZZ_SEED="$seed" TVML_FUZZ_TABLE=1 TVML_FUZZ_EXAMPLES=20 \
    build/release/tests/vml/test_vml_fuzz --gtest_brief=1 \
    --gtest_filter="Kernels/FunctionFuzz.*/${filter//:/:Kernels/FunctionFuzz.*/}" || status=1
done
exit $status
