#!/usr/bin/env bash
# Builds and runs the whole test suite, then builds and runs it again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then builds the threaded
# tests under ThreadSanitizer and runs them (build/tsan; one to three
# minutes on 2 cores).
#
#   --no-tsan    skip the ThreadSanitizer stage
#   --tsan-only  only that ThreadSanitizer stage
set -euo pipefail
cd "$(dirname "$0")/.."

main_stages=1
tsan_stage=1
for arg in "$@"; do
  case "$arg" in
    --tsan) tsan_stage=1 ;;
    --no-tsan) tsan_stage=0 ;;
    --tsan-only) tsan_stage=1 main_stages=0 ;;
    *) echo "usage: $0 [--no-tsan | --tsan-only]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

if [ "$main_stages" = 1 ]; then
  echo "== release build and tests"
  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/release -j"$jobs"
  ctest --test-dir build/release --output-on-failure -j"$jobs"

  # The sanitizer tree also builds the checked flavour, libvsip-tv-checked,
  # and runs the bad-argument table against it (vsip.test_bad_args_checked).
  echo "== sanitizer build and tests (address, undefined), checked flavour included"
  cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVML_SANITIZE=ON \
    -DTVML_BUILD_BENCH=OFF -DVSIP_TV_CHECKED=ON >/dev/null
  cmake --build build/sanitize -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j"$jobs"
fi

if [ "$tsan_stage" = 1 ]; then
  # Only the tests that run library calls on plain threads.  The OpenMP
  # runtime is not built with ThreadSanitizer, so the synchronisation at its
  # barriers is invisible and every OpenMP region would report races that
  # are not there: OMP_NUM_THREADS=1 keeps the library's parallel frame from
  # opening any region, and the tests built with -fopenmp (test_parallel,
  # test_fftm, test_elementwise_unary), which set thread counts on purpose,
  # are left out.
  echo "== thread sanitizer build and threaded tests"
  cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTVML_SANITIZE_THREAD=ON \
    -DTVML_BUILD_BENCH=OFF >/dev/null
  cmake --build build/tsan -j"$jobs" --target test_concurrent_calls test_fft_threads
  OMP_NUM_THREADS=1 TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build/tsan --output-on-failure \
    -R '^(concurrency\.test_concurrent_calls|vsip\.test_fft_threads)$'
fi
