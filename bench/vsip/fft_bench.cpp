// FFT layer overhead: vsip_ccfftop_f, vsip_ccfftip_f and vsip_rcfftop_f on
// unit-stride views against fftwf_execute of an FFTW_ESTIMATE plan on the
// same data, and the complex forms also against the bare split execute
// (fftwf_execute_split_dft) on parts as far apart as the library lays out
// a split block.  Storage: split as the library creates it (the split
// companion plan where the object has one, else copied through the
// object's buffers), split user storage with the imaginary parts right
// after the real parts, interleaved user storage, and split user storage
// with the parts farther apart (always copied: the split plan's
// comparison).
// The multiple FFT: vsip_ccfftmop_f over a 256 x 4096 matrix by rows, and
// over 256 x 4096 and 4096 x 256 row-major matrices by columns, with 1 and
// 2 threads against one fftwf_plan_many_dft doing the same work (stride
// the row length and distance 1 for the columns), on library (split) and
// interleaved user matrices.  Every plan is made with FFTW_ESTIMATE (hint
// VSIP_ALG_TIME).  After the runs, the ratios are printed.  Creation of a
// 1 x 2^20 multiple FFT by columns is timed once, with the peak resident
// size of the process.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <fftw3.h>
#include <omp.h>
#include <sys/resource.h>

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

// Storage of the complex views.  apart_split puts the imaginary parts
// n + 20 floats after the real parts, a distance no split plan is made
// for: the copy path, to compare the split plan against.
enum Storage { library_split = 0, packed_split = 1, interleaved = 2, apart_split = 3 };

// A complex vector view of n elements in the given storage.
struct CVec {
    std::vector<float> store;
    vsip_cblock_f *block = nullptr;
    vsip_cvview_f *view = nullptr;
    CVec(long n, Storage s) {
        if (s == library_split) {
            view = vsip_cvcreate_f(n, VSIP_MEM_NONE);
        } else {
            // 16-byte aligned, as fftwf_malloc'd buffers are.
            store.resize(2 * static_cast<std::size_t>(n) + 24);
            float *p = store.data();
            while (reinterpret_cast<std::uintptr_t>(p) % 16 != 0)
                ++p;
            float *imag = s == packed_split ? p + n : s == apart_split ? p + n + 20 : nullptr;
            block = vsip_cblockbind_f(p, imag, n, VSIP_MEM_NONE);
            vsip_cblockadmit_f(block, 1);
            view = vsip_cvbind_f(block, 0, 1, n);
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

// The split baseline: a split plan over one fftwf_malloc array holding the
// real parts and, the length rounded up to 16 floats on, the imaginary
// parts (the layout of library split blocks), executed as it is.
struct BareSplit {
    float *in, *out;
    long gap;
    fftwf_plan plan;
    explicit BareSplit(long n) : gap((n + 15) / 16 * 16) {
        in = static_cast<float *>(fftwf_malloc(8 * static_cast<std::size_t>(gap)));
        out = static_cast<float *>(fftwf_malloc(8 * static_cast<std::size_t>(gap)));
        for (long i = 0; i < 2 * gap; ++i)
            in[i] = value(i);
        const fftwf_iodim dim{static_cast<int>(n), 1, 1};
        plan = fftwf_plan_guru_split_dft(1, &dim, 0, nullptr, in, in + gap, out, out + gap,
                                         FFTW_ESTIMATE);
    }
    ~BareSplit() {
        fftwf_destroy_plan(plan);
        fftwf_free(in);
        fftwf_free(out);
    }
};

void items(benchmark::State &state, long n) { state.SetItemsProcessed(state.iterations() * n); }

void BM_bare_split_c2c(benchmark::State &state) {
    BareSplit b(state.range(0));
    for (auto _ : state) {
        fftwf_execute(b.plan);
        benchmark::ClobberMemory();
    }
    items(state, state.range(0));
}

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

template <Storage S>
void BM_ccfftop(benchmark::State &state) {
    const long n = state.range(0);
    vsip_fft_f *fft = vsip_ccfftop_create_f(n, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    CVec x(n, S), y(n, S);
    for (auto _ : state) {
        vsip_ccfftop_f(fft, x.view, y.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

// Scale 1/sqrt(n) keeps repeated in-place transforms bounded (no overflow,
// no subnormals); the scaling is part of the copy out.
template <Storage S>
void BM_ccfftip(benchmark::State &state) {
    const long n = state.range(0);
    const float scale = static_cast<float>(1.0 / std::sqrt(static_cast<double>(n)));
    vsip_fft_f *fft = vsip_ccfftip_create_f(n, scale, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    CVec x(n, S);
    for (auto _ : state) {
        vsip_ccfftip_f(fft, x.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

template <Storage S>
void BM_rcfftop(benchmark::State &state) {
    const long n = state.range(0);
    vsip_fft_f *fft = vsip_rcfftop_create_f(n, 1.0f, 1, VSIP_ALG_TIME);
    RVec x(n);
    CVec y(n / 2 + 1, S);
    for (auto _ : state) {
        vsip_rcfftop_f(fft, x.view, y.view);
        benchmark::ClobberMemory();
    }
    vsip_fft_destroy_f(fft);
    items(state, n);
}

// Multiple FFT of a row-major M x N matrix along `major`, range(0)
// threads, on library (split) or interleaved user matrices (fftwf_malloc'd
// storage, as the bare plans').
template <bool Interleaved>
void run_ccfftmop(benchmark::State &state, long M, long N, vsip_major major) {
    omp_set_num_threads(static_cast<int>(state.range(0)));
    vsip_fftm_f *fftm = vsip_ccfftmop_create_f(M, N, 1.0f, VSIP_FFT_FWD, major, 1, VSIP_ALG_TIME);
    vsip_cmview_f *X, *Y;
    float *xp = nullptr, *yp = nullptr;
    if (Interleaved) {
        const std::size_t total = 2 * static_cast<std::size_t>(M * N);
        xp = static_cast<float *>(fftwf_malloc(4 * total));
        yp = static_cast<float *>(fftwf_malloc(4 * total));
        vsip_cblock_f *xb = vsip_cblockbind_f(xp, nullptr, M * N, VSIP_MEM_NONE);
        vsip_cblock_f *yb = vsip_cblockbind_f(yp, nullptr, M * N, VSIP_MEM_NONE);
        vsip_cblockadmit_f(xb, 1);
        vsip_cblockadmit_f(yb, 1);
        X = vsip_cmbind_f(xb, 0, N, M, 1, N);
        Y = vsip_cmbind_f(yb, 0, N, M, 1, N);
    } else {
        X = vsip_cmcreate_f(M, N, VSIP_ROW, VSIP_MEM_NONE);
        Y = vsip_cmcreate_f(M, N, VSIP_ROW, VSIP_MEM_NONE);
    }
    for (long i = 0; i < M; ++i)
        for (long j = 0; j < N; ++j)
            vsip_cmput_f(X, i, j, vsip_cscalar_f{value(i * N + j), value(j)});
    for (auto _ : state) {
        vsip_ccfftmop_f(fftm, X, Y);
        benchmark::ClobberMemory();
    }
    if (Interleaved) {
        vsip_cblockdestroy_f(vsip_cmdestroy_f(X));
        vsip_cblockdestroy_f(vsip_cmdestroy_f(Y));
        fftwf_free(xp);
        fftwf_free(yp);
    } else {
        vsip_cmalldestroy_f(X);
        vsip_cmalldestroy_f(Y);
    }
    vsip_fftm_destroy_f(fftm);
    omp_set_num_threads(1);
    items(state, M * N);
}

// 256 rows of 4096 by rows.
template <bool Interleaved>
void BM_ccfftmop_rows(benchmark::State &state) {
    run_ccfftmop<Interleaved>(state, kRows, kCols, VSIP_ROW);
}

// By columns of a row-major M x N matrix.
template <long M, long N, bool Interleaved>
void BM_ccfftmop_cols(benchmark::State &state) {
    run_ccfftmop<Interleaved>(state, M, N, VSIP_COL);
}

// The columns baseline: one plan over all N columns of length M, stride N,
// distance 1.
template <long M, long N>
void BM_bare_plan_many_cols(benchmark::State &state) {
    const std::size_t total = static_cast<std::size_t>(M * N);
    auto *in = static_cast<fftwf_complex *>(fftwf_malloc(8 * total));
    auto *out = static_cast<fftwf_complex *>(fftwf_malloc(8 * total));
    for (std::size_t k = 0; k < total; ++k) {
        in[k][0] = value(static_cast<long>(k));
        in[k][1] = value(static_cast<long>(k % N));
    }
    const int m = static_cast<int>(M), n = static_cast<int>(N);
    fftwf_plan plan = fftwf_plan_many_dft(1, &m, n, in, nullptr, n, 1, out, nullptr, n, 1,
                                          FFTW_FORWARD, FFTW_ESTIMATE);
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);
    items(state, M * N);
}

// Creation of 2^20 transforms of length 1 (a 1 x 2^20 matrix by columns),
// once; the peak resident size of the process so far is reported.
void BM_fftm_create_1x2p20_cols(benchmark::State &state) {
    for (auto _ : state) {
        vsip_fftm_f *f = vsip_ccfftmop_create_f(1, 1L << 20, 1.0f, VSIP_FFT_FWD, VSIP_COL, 1,
                                                VSIP_ALG_TIME);
        benchmark::DoNotOptimize(f);
        vsip_fftm_destroy_f(f);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["maxrss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
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
BENCHMARK(BM_bare_split_c2c)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, library_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, packed_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, interleaved)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftop, apart_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, library_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, packed_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, interleaved)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_ccfftip, apart_split)->Apply(sizes);
BENCHMARK(BM_bare_r2c)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_rcfftop, library_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_rcfftop, packed_split)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_rcfftop, interleaved)->Apply(sizes);
// The threaded runs are timed by the wall clock.
BENCHMARK(BM_bare_plan_many)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_rows, false)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_rows, true)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_bare_plan_many_cols, 256, 4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_cols, 256, 4096, false)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_cols, 256, 4096, true)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_bare_plan_many_cols, 4096, 256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_cols, 4096, 256, false)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_ccfftmop_cols, 4096, 256, true)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_fftm_create_1x2p20_cols)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void print_fftm(const RatioReporter &reporter, const char *label, const std::string &name,
                const std::string &bare_name = "BM_bare_plan_many") {
    const double bare = reporter.time(bare_name + "/real_time");
    const double one = reporter.time(name + "/1/real_time");
    const double two = reporter.time(name + "/2/real_time");
    if (bare > 0 && one > 0 && two > 0) {
        std::printf("\nvsip_ccfftmop_f %s (wall time):\n", label);
        std::printf("  1 thread  / plan_many     %.3f\n", one / bare);
        std::printf("  2 threads / plan_many     %.3f\n", two / bare);
        std::printf("  speed-up 1 -> 2 threads   %.2f\n", one / two);
    }
}

} // namespace

int main(int argc, char **argv) {
    RatioReporter reporter({{"BM_ccfftop<library_split>", "BM_bare_split_c2c"},
                            {"BM_ccfftip<library_split>", "BM_bare_split_c2c"},
                            {"BM_ccfftop<library_split>", "BM_ccfftop<apart_split>"},
                            {"BM_ccfftip<library_split>", "BM_ccfftip<apart_split>"},
                            {"BM_ccfftop<library_split>", "BM_bare_c2c"},
                            {"BM_ccfftop<packed_split>", "BM_bare_c2c"},
                            {"BM_ccfftop<interleaved>", "BM_bare_c2c"},
                            {"BM_ccfftip<library_split>", "BM_bare_c2c"},
                            {"BM_ccfftip<packed_split>", "BM_bare_c2c"},
                            {"BM_ccfftip<interleaved>", "BM_bare_c2c"},
                            {"BM_rcfftop<library_split>", "BM_bare_r2c"},
                            {"BM_rcfftop<packed_split>", "BM_bare_r2c"},
                            {"BM_rcfftop<interleaved>", "BM_bare_r2c"}},
                           std::vector<long>(std::begin(kSizes), std::end(kSizes)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios("library / bare fftwf_execute (processor time; targets for n >= 1024: "
                          "interleaved <= 1.10, split <= 1.15)");
    print_fftm(reporter, "256 x 4096 by rows, library (split) matrices", "BM_ccfftmop_rows<false>");
    print_fftm(reporter, "256 x 4096 by rows, interleaved matrices", "BM_ccfftmop_rows<true>");
    for (const char *shape : {"256, 4096", "4096, 256"}) {
        const std::string bare = std::string("BM_bare_plan_many_cols<") + shape + ">";
        const std::string dims = shape[0] == '2' ? "256 x 4096" : "4096 x 256";
        print_fftm(reporter, (dims + " by columns, library (split) matrices").c_str(),
                   std::string("BM_ccfftmop_cols<") + shape + ", false>", bare);
        print_fftm(reporter, (dims + " by columns, interleaved matrices").c_str(),
                   std::string("BM_ccfftmop_cols<") + shape + ", true>", bare);
    }
    benchmark::Shutdown();
    return 0;
}
