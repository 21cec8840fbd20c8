// FFT layer overhead: vsip_ccfftop_f, vsip_ccfftip_f and vsip_rcfftop_f on
// unit-stride views (split storage as the library creates it, and
// interleaved user storage) against fftwf_execute of an equivalent plan
// on the same data; and vsip_ccfftmop_f over a 256 x 4096 matrix by rows
// with 1 and 2 threads against one fftwf_plan_many_dft doing the same
// work.  Every plan is made with FFTW_ESTIMATE (hint VSIP_ALG_TIME), so the
// library and the baseline execute the same FFTW plan and the ratio is the
// cost of the copies in and out.  After the runs, the ratios are printed.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <fftw3.h>
#include <omp.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <vsip.h>

namespace {

const long kSizes[] = {256, 1024, 16384, 262144};
constexpr long kRows = 256, kCols = 4096;

float value(long i) { return static_cast<float>(std::sin(0.37 * static_cast<double>(i))); }

// A complex vector view of n elements: library-created (split) storage,
// or interleaved user storage.
struct CVec {
    std::vector<float> store;
    vsip_cblock_f *block = nullptr;
    vsip_cvview_f *view = nullptr;
    CVec(long n, bool interleaved) {
        if (interleaved) {
            store.resize(2 * static_cast<std::size_t>(n));
            block = vsip_cblockbind_f(store.data(), nullptr, n, VSIP_MEM_NONE);
            vsip_cblockadmit_f(block, 1);
            view = vsip_cvbind_f(block, 0, 1, n);
        } else {
            view = vsip_cvcreate_f(n, VSIP_MEM_NONE);
        }
        for (long i = 0; i < n; ++i)
            vsip_cvput_f(view, i, vsip_cscalar_f{value(i), value(i + n)});
    }
    ~CVec() { vsip_cvalldestroy_f(view); }
};

struct RVec {
    vsip_vview_f *view;
    explicit RVec(long n) : view(vsip_vcreate_f(n, VSIP_MEM_NONE)) {
        for (long i = 0; i < n; ++i)
            vsip_vput_f(view, i, value(i));
    }
    ~RVec() { vsip_valldestroy_f(view); }
};

// The baseline: a plan over fftwf_malloc buffers, executed as it is.
struct Bare {
    void *in, *out;
    fftwf_plan plan;
    Bare(long n, bool real) {
        in = fftwf_malloc(8 * static_cast<std::size_t>(n));
        out = fftwf_malloc(8 * static_cast<std::size_t>(n) + 8);
        auto *f = static_cast<float *>(in);
        for (long i = 0; i < (real ? n : 2 * n); ++i)
            f[i] = value(i);
        const int len = static_cast<int>(n);
        plan = real ? fftwf_plan_dft_r2c_1d(len, f, static_cast<fftwf_complex *>(out), FFTW_ESTIMATE)
                    : fftwf_plan_dft_1d(len, static_cast<fftwf_complex *>(in),
                                        static_cast<fftwf_complex *>(out), FFTW_FORWARD,
                                        FFTW_ESTIMATE);
    }
    ~Bare() {
        fftwf_destroy_plan(plan);
        fftwf_free(in);
        fftwf_free(out);
    }
};

void items(benchmark::State &state, long n) { state.SetItemsProcessed(state.iterations() * n); }

void BM_bare_c2c(benchmark::State &state) {
    Bare b(state.range(0), false);
    for (auto _ : state) {
        fftwf_execute(b.plan);
        benchmark::ClobberMemory();
    }
    items(state, state.range(0));
}

void BM_bare_r2c(benchmark::State &state) {
    Bare b(state.range(0), true);
    for (auto _ : state) {
        fftwf_execute(b.plan);
        benchmark::ClobberMemory();
    }
    items(state, state.range(0));
}

template <bool Interleaved>
void BM_ccfftop(benchmark::State &state) {
    const long n = state.range(0);
    vsip_fft_f *fft = vsip_ccfftop_create_f(n, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    CVec x(n, Interleaved), y(n, Interleaved);
    for (auto _ : state) {
        vsip_ccfftop_f(fft, x.view, y.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

// Scale 1/sqrt(n) keeps repeated in-place transforms bounded (no overflow,
// no subnormals); the scaling is part of the copy out.
template <bool Interleaved>
void BM_ccfftip(benchmark::State &state) {
    const long n = state.range(0);
    const float scale = static_cast<float>(1.0 / std::sqrt(static_cast<double>(n)));
    vsip_fft_f *fft = vsip_ccfftip_create_f(n, scale, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    CVec x(n, Interleaved);
    for (auto _ : state) {
        vsip_ccfftip_f(fft, x.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

template <bool Interleaved>
void BM_rcfftop(benchmark::State &state) {
    const long n = state.range(0);
    vsip_fft_f *fft = vsip_rcfftop_create_f(n, 1.0f, 1, VSIP_ALG_TIME);
    RVec x(n);
    CVec y(n / 2 + 1, Interleaved);
    for (auto _ : state) {
        vsip_rcfftop_f(fft, x.view, y.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

// 256 rows of 4096: the library with range(0) threads, and one
// plan_many over the same rows (contiguous, split into nothing).
void BM_ccfftmop_rows(benchmark::State &state) {
    omp_set_num_threads(static_cast<int>(state.range(0)));
    vsip_fftm_f *fftm =
        vsip_ccfftmop_create_f(kRows, kCols, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 1, VSIP_ALG_TIME);
    vsip_cmview_f *X = vsip_cmcreate_f(kRows, kCols, VSIP_ROW, VSIP_MEM_NONE);
    vsip_cmview_f *Y = vsip_cmcreate_f(kRows, kCols, VSIP_ROW, VSIP_MEM_NONE);
    for (long i = 0; i < kRows; ++i)
        for (long j = 0; j < kCols; ++j)
            vsip_cmput_f(X, i, j, vsip_cscalar_f{value(i * kCols + j), value(j)});
    for (auto _ : state) {
        vsip_ccfftmop_f(fftm, X, Y);
        benchmark::ClobberMemory();
    }
    vsip_cmalldestroy_f(X);
    vsip_cmalldestroy_f(Y);
    vsip_fftm_destroy_f(fftm);
    omp_set_num_threads(1);
    items(state, kRows * kCols);
}

void BM_bare_plan_many(benchmark::State &state) {
    const std::size_t total = static_cast<std::size_t>(kRows * kCols);
    auto *in = static_cast<fftwf_complex *>(fftwf_malloc(8 * total));
    auto *out = static_cast<fftwf_complex *>(fftwf_malloc(8 * total));
    for (std::size_t k = 0; k < total; ++k) {
        in[k][0] = value(static_cast<long>(k));
        in[k][1] = value(static_cast<long>(k % kCols));
    }
    const int n = static_cast<int>(kCols);
    fftwf_plan plan = fftwf_plan_many_dft(1, &n, static_cast<int>(kRows), in, nullptr, 1, n, out,
                                          nullptr, 1, n, FFTW_FORWARD, FFTW_ESTIMATE);
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
    items(state, kRows * kCols);
}

void sizes(benchmark::internal::Benchmark *b) {
    for (long n : kSizes)
        b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

// Each library benchmark next to its baseline, so both run under the same
// conditions.
BENCHMARK(BM_bare_c2c)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, false)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, true)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, false)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, true)->Apply(sizes);
BENCHMARK(BM_bare_r2c)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_rcfftop, false)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_rcfftop, true)->Apply(sizes);
// The threaded runs are timed by the wall clock.
BENCHMARK(BM_bare_plan_many)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ccfftmop_rows)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    // The <false> runs use the library's split storage, <true> interleaved user storage.
    RatioReporter reporter({{"BM_ccfftop<false>", "BM_bare_c2c"},
                            {"BM_ccfftop<true>", "BM_bare_c2c"},
                            {"BM_ccfftip<false>", "BM_bare_c2c"},
                            {"BM_ccfftip<true>", "BM_bare_c2c"},
                            {"BM_rcfftop<false>", "BM_bare_r2c"},
                            {"BM_rcfftop<true>", "BM_bare_r2c"}},
                           std::vector<long>(std::begin(kSizes), std::end(kSizes)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios("library / bare fftwf_execute (processor time; target <= 1.25 for n >= 1024)");
    const double bare = reporter.time("BM_bare_plan_many/real_time");
    const double one = reporter.time("BM_ccfftmop_rows/1/real_time");
    const double two = reporter.time("BM_ccfftmop_rows/2/real_time");
    if (bare > 0 && one > 0 && two > 0) {
        std::printf("\nvsip_ccfftmop_f 256 x 4096 by rows (wall time):\n");
        std::printf("  1 thread  / plan_many     %.3f\n", one / bare);
        std::printf("  2 threads / plan_many     %.3f\n", two / bare);
        std::printf("  speed-up 1 -> 2 threads   %.2f\n", one / two);
    }
    benchmark::Shutdown();
    return 0;
}
