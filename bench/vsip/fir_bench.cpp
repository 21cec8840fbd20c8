// FIR filters: vsip_firflt_f and vsip_cfirflt_f on blocks of 4096 samples
// (decimation 1, state save, library-created unit-stride vectors) for
// kernel lengths 16, 64 and 256, against a plain double-precision loop
// doing the same filtering (history kept, outputs rounded to float) in the
// same run.  Items are output samples.  The counter peak_fraction is the
// arithmetic rate over this processor's single-precision multiply-add
// peak: 2 units x 8 lanes x 2 flops per clock (32 flops per cycle), at the
// time-stamp counter's rate measured at start-up, taken as the core clock.
// A real output costs 2M flops (M products, M additions), a complex one 8M.
// After the runs, the library / double-loop time ratios are printed.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <x86intrin.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <vector>

#include <vsip.h>

namespace {

const long kKernelLengths[] = {16, 64, 256};
constexpr long kBlock = 4096;
constexpr double kFlopsPerCycle = 2 * 8 * 2;

double tsc_hz() {
    static const double hz = [] {
        const auto t0 = std::chrono::steady_clock::now();
        const unsigned long long c0 = __rdtsc();
        while (std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(100)) {
        }
        const unsigned long long c1 = __rdtsc();
        const std::chrono::duration<double> dt = std::chrono::steady_clock::now() - t0;
        return static_cast<double>(c1 - c0) / dt.count();
    }();
    return hz;
}

float value(long i) { return static_cast<float>(std::sin(0.37 * static_cast<double>(i))); }

void report(benchmark::State &state, long M, double flops_per_output) {
    const double outputs = static_cast<double>(state.iterations()) * kBlock;
    state.SetItemsProcessed(static_cast<int64_t>(outputs));
    state.counters["peak_fraction"] = benchmark::Counter(
        outputs * flops_per_output * static_cast<double>(M) / (kFlopsPerCycle * tsc_hz()),
        benchmark::Counter::kIsRate);
}

void BM_firflt_f(benchmark::State &state) {
    const long M = state.range(0);
    vsip_vview_f *h = vsip_vcreate_f(M, VSIP_MEM_NONE);
    vsip_vview_f *x = vsip_vcreate_f(kBlock, VSIP_MEM_NONE);
    vsip_vview_f *y = vsip_vcreate_f(kBlock, VSIP_MEM_NONE);
    for (long i = 0; i < M; ++i)
        vsip_vput_f(h, i, value(i + 1000) / static_cast<float>(M));
    for (long i = 0; i < kBlock; ++i)
        vsip_vput_f(x, i, value(i));
    vsip_fir_f *fir = vsip_fir_create_f(h, VSIP_NONSYM, kBlock, 1, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vsip_firflt_f(fir, x, y));
        benchmark::ClobberMemory();
    }
    vsip_fir_destroy_f(fir);
    vsip_valldestroy_f(h);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    report(state, M, 2);
}

void BM_cfirflt_f(benchmark::State &state) {
    const long M = state.range(0);
    vsip_cvview_f *h = vsip_cvcreate_f(M, VSIP_MEM_NONE);
    vsip_cvview_f *x = vsip_cvcreate_f(kBlock, VSIP_MEM_NONE);
    vsip_cvview_f *y = vsip_cvcreate_f(kBlock, VSIP_MEM_NONE);
    for (long i = 0; i < M; ++i)
        vsip_cvput_f(h, i, vsip_cmplx_f(value(i + 1000) / static_cast<float>(M), value(i + 2000) / static_cast<float>(M)));
    for (long i = 0; i < kBlock; ++i)
        vsip_cvput_f(x, i, vsip_cmplx_f(value(i), value(i + kBlock)));
    vsip_cfir_f *fir = vsip_cfir_create_f(h, VSIP_NONSYM, kBlock, 1, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vsip_cfirflt_f(fir, x, y));
        benchmark::ClobberMemory();
    }
    vsip_cfir_destroy_f(fir);
    vsip_cvalldestroy_f(h);
    vsip_cvalldestroy_f(x);
    vsip_cvalldestroy_f(y);
    report(state, M, 8);
}

// vsip_firflt_f with kernel length 64 on blocks of n samples, the input at
// unit stride and at stride 2 (every other element of a block twice as
// long), same object settings as above.
template <long Stride>
void firflt_blocks(benchmark::State &state) {
    const long n = state.range(0), M = 64;
    vsip_vview_f *h = vsip_vcreate_f(M, VSIP_MEM_NONE);
    vsip_block_f *bx = vsip_blockcreate_f(n * Stride, VSIP_MEM_NONE);
    vsip_vview_f *x = vsip_vbind_f(bx, 0, Stride, n);
    vsip_vview_f *y = vsip_vcreate_f(n, VSIP_MEM_NONE);
    for (long i = 0; i < M; ++i)
        vsip_vput_f(h, i, value(i + 1000) / static_cast<float>(M));
    for (long i = 0; i < n; ++i)
        vsip_vput_f(x, i, value(i));
    vsip_fir_f *fir = vsip_fir_create_f(h, VSIP_NONSYM, n, 1, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vsip_firflt_f(fir, x, y));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n);
    vsip_fir_destroy_f(fir);
    vsip_valldestroy_f(h);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
}

// The baseline: the last M-1 samples and the block in one double array,
// y[n] = sum of h[k] w[n + M-1 - k], then the block's tail becomes the
// history.
template <class T>
void double_loop(benchmark::State &state, double flops_per_output) {
    const long M = state.range(0);
    std::vector<T> h(M), w(M - 1 + kBlock, T(0));
    std::vector<float> y(kBlock * (sizeof(T) / sizeof(double)));
    std::vector<T> x(kBlock);
    for (long i = 0; i < M; ++i)
        h[i] = T(value(i + 1000) / static_cast<float>(M)) + T(0);
    for (long i = 0; i < kBlock; ++i)
        x[i] = T(value(i));
    for (auto _ : state) {
        std::memcpy(w.data() + (M - 1), x.data(), sizeof(T) * kBlock);
        for (long n = 0; n < kBlock; ++n) {
            T sum(0);
            for (long k = 0; k < M; ++k)
                sum += h[k] * w[n + M - 1 - k];
            if constexpr (sizeof(T) == sizeof(double)) {
                y[n] = static_cast<float>(std::real(sum));
            } else {
                y[2 * n] = static_cast<float>(std::real(sum));
                y[2 * n + 1] = static_cast<float>(std::imag(sum));
            }
        }
        std::memmove(w.data(), w.data() + kBlock, sizeof(T) * (M - 1));
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    report(state, M, flops_per_output);
}

void BM_double_loop_real(benchmark::State &state) { double_loop<double>(state, 2); }
void BM_double_loop_complex(benchmark::State &state) { double_loop<std::complex<double>>(state, 8); }

void kernels(benchmark::internal::Benchmark *b) {
    for (long m : kKernelLengths)
        b->Arg(m);
}

BENCHMARK(BM_double_loop_real)->Apply(kernels);
BENCHMARK(BM_firflt_f)->Apply(kernels);
BENCHMARK(BM_double_loop_complex)->Apply(kernels);
BENCHMARK(BM_cfirflt_f)->Apply(kernels);
BENCHMARK(firflt_blocks<1>)->Name("BM_firflt_f_M64")->Arg(1000)->Arg(100000);
BENCHMARK(firflt_blocks<2>)->Name("BM_firflt_f_M64_stride2")->Arg(1000)->Arg(100000);

} // namespace

int main(int argc, char **argv) {
    RatioReporter reporter({{"BM_firflt_f", "BM_double_loop_real"},
                            {"BM_cfirflt_f", "BM_double_loop_complex"}},
                           std::vector<long>(std::begin(kKernelLengths), std::end(kKernelLengths)));
    std::printf("time-stamp counter: %.0f MHz (taken as the core clock); peak %.0f flops per cycle\n",
                tsc_hz() / 1e6, kFlopsPerCycle);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios("library / plain double loop (processor time, same run; below 1 is faster)");
    benchmark::Shutdown();
    return 0;
}
