// Product layer overhead: vsip_mprod_f and vsip_cmprod_f against the bare
// cblas_sgemm / cblas_cgemm call on the same data, at 256 and 1024 square.
// The library runs on views CBLAS can address in place (row-major real,
// interleaved complex: the ratio is the placement decision alone), and on
// views it must copy (every other row and column of a larger matrix; split
// complex storage as the library creates it: the ratio adds the copies).
// The generators are measured in values per second.  CBLAS runs on one
// thread so processor time compares like with like.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <cmath>
#include <vector>

#include <vsip.h>

extern "C" {
void cblas_sgemm(int, int, int, int, int, int, float, const float *, int, const float *, int, float,
                 float *, int);
void cblas_cgemm(int, int, int, int, int, int, const void *, const void *, int, const void *, int,
                 const void *, void *, int);
void openblas_set_num_threads(int) __attribute__((weak));
}

namespace {

float value(long i) { return static_cast<float>(std::sin(0.37 * static_cast<double>(i))); }

// An n x n float matrix over caller memory: `spread` 1 is dense row-major,
// 2 takes every other row and column of a 2n x 2n array.  Complex data is
// interleaved over the same array, or split as vsip_cmcreate_f makes it.
struct Matrix {
    std::vector<float> store;
    vsip_block_f *block = nullptr;
    vsip_cblock_f *cblock = nullptr;
    vsip_mview_f *real = nullptr;
    vsip_cmview_f *cplx = nullptr;

    Matrix(long n, long spread, bool complex, bool split = false) {
        const long side = n * spread;
        if (complex && split) {
            cplx = vsip_cmcreate_f(n, n, VSIP_ROW, VSIP_MEM_NONE);
        } else {
            store.resize(static_cast<std::size_t>(side * side * (complex ? 2 : 1)));
            if (complex) {
                cblock = vsip_cblockbind_f(store.data(), nullptr, side * side, VSIP_MEM_NONE);
                vsip_cblockadmit_f(cblock, 1);
                cplx = vsip_cmbind_f(cblock, 0, spread * side, n, spread, n);
            } else {
                block = vsip_blockbind_f(store.data(), side * side, VSIP_MEM_NONE);
                vsip_blockadmit_f(block, 1);
                real = vsip_mbind_f(block, 0, spread * side, n, spread, n);
            }
        }
        for (long i = 0; i < n; ++i)
            for (long j = 0; j < n; ++j) {
                if (real)
                    vsip_mput_f(real, i, j, value(i * n + j));
                else
                    vsip_cmput_f(cplx, i, j, vsip_cscalar_f{value(i * n + j), value(i - j)});
            }
    }
    ~Matrix() {
        if (real)
            vsip_malldestroy_f(real);
        if (cplx)
            vsip_cmalldestroy_f(cplx);
    }
};

void BM_bare_sgemm(benchmark::State &state) {
    const long n = state.range(0);
    Matrix a(n, 1, false), b(n, 1, false), c(n, 1, false);
    const int k = static_cast<int>(n);
    for (auto _ : state) {
        cblas_sgemm(101, 111, 111, k, k, k, 1.0f, a.store.data(), k, b.store.data(), k, 0.0f,
                    c.store.data(), k);
        benchmark::ClobberMemory();
    }
}

void BM_mprod(benchmark::State &state) {
    const long n = state.range(0), spread = state.range(1);
    Matrix a(n, spread, false), b(n, spread, false), c(n, spread, false);
    setenv("VSIP_LOG_LEVEL", "ERROR", 1);
    for (auto _ : state) {
        vsip_mprod_f(a.real, b.real, c.real);
        benchmark::ClobberMemory();
    }
}

void BM_bare_cgemm(benchmark::State &state) {
    const long n = state.range(0);
    Matrix a(n, 1, true), b(n, 1, true), c(n, 1, true);
    const int k = static_cast<int>(n);
    const float one[2] = {1, 0}, zero[2] = {0, 0};
    for (auto _ : state) {
        cblas_cgemm(101, 111, 111, k, k, k, one, a.store.data(), k, b.store.data(), k, zero,
                    c.store.data(), k);
        benchmark::ClobberMemory();
    }
}

// range(1): 1 interleaved in place, 2 interleaved every other row and
// column, 0 split (library storage).
void BM_cmprod(benchmark::State &state) {
    const long n = state.range(0), kind = state.range(1);
    const bool split = kind == 0;
    const long spread = split ? 1 : kind;
    Matrix a(n, spread, true, split), b(n, spread, true, split), c(n, spread, true, split);
    setenv("VSIP_LOG_LEVEL", "ERROR", 1);
    for (auto _ : state) {
        vsip_cmprod_f(a.cplx, b.cplx, c.cplx);
        benchmark::ClobberMemory();
    }
}

constexpr long kValues = 1 << 20;

// A vector generator filling kValues elements; range(0) is the kind.
template <class V, V *(*Create)(vsip_length, vsip_memory_hint), void (*Fill)(vsip_randstate *, const V *),
          void (*Destroy)(V *)>
void BM_vector_generator(benchmark::State &state) {
    vsip_randstate *s = vsip_randcreate(7, 1, 1, static_cast<vsip_rng>(state.range(0)));
    V *v = Create(kValues, VSIP_MEM_NONE);
    for (auto _ : state) {
        Fill(s, v);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kValues);
    Destroy(v);
    vsip_randdestroy(s);
}

void BM_randn(benchmark::State &state) {
    vsip_randstate *s = vsip_randcreate(7, 1, 1, static_cast<vsip_rng>(state.range(0)));
    float sink = 0;
    for (auto _ : state) {
        for (long i = 0; i < 1024; ++i)
            sink += vsip_randn_f(s);
        benchmark::DoNotOptimize(sink);
    }
    state.SetItemsProcessed(state.iterations() * 1024);
    vsip_randdestroy(s);
}

} // namespace

BENCHMARK(BM_bare_sgemm)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_mprod)->ArgsProduct({{256, 1024}, {1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bare_cgemm)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_cmprod)->ArgsProduct({{256, 1024}, {1, 2, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_vector_generator, vsip_vview_f, vsip_vcreate_f, vsip_vrandu_f, vsip_valldestroy_f)
    ->Name("BM_vrandu")
    ->Arg(VSIP_PRNG)
    ->Arg(VSIP_NPRNG);
BENCHMARK_TEMPLATE(BM_vector_generator, vsip_cvview_f, vsip_cvcreate_f, vsip_cvrandn_f, vsip_cvalldestroy_f)
    ->Name("BM_cvrandn")
    ->Arg(VSIP_PRNG)
    ->Arg(VSIP_NPRNG);
BENCHMARK(BM_randn)->Arg(VSIP_PRNG)->Arg(VSIP_NPRNG);

int main(int argc, char **argv) {
    if (openblas_set_num_threads)
        openblas_set_num_threads(1);
    RatioReporter reporter({}, {256, 1024});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nlibrary / bare CBLAS call (processor time, same run; in place should be within 2%%):\n");
    const char *forms[][2] = {{"BM_mprod/%ld/1", "BM_bare_sgemm/%ld"},
                              {"BM_mprod/%ld/2", "BM_bare_sgemm/%ld"},
                              {"BM_cmprod/%ld/1", "BM_bare_cgemm/%ld"},
                              {"BM_cmprod/%ld/2", "BM_bare_cgemm/%ld"},
                              {"BM_cmprod/%ld/0", "BM_bare_cgemm/%ld"}};
    const char *what[] = {"mprod in place", "mprod every other row/col (3 copies)",
                          "cmprod interleaved in place", "cmprod interleaved every other (3 copies)",
                          "cmprod split (3 copies)"};
    for (long n : {256L, 1024L})
        for (int f = 0; f < 5; ++f) {
            char lib[64], base[64];
            std::snprintf(lib, sizeof lib, forms[f][0], n);
            std::snprintf(base, sizeof base, forms[f][1], n);
            const double lt = reporter.time(lib), bt = reporter.time(base);
            if (lt > 0 && bt > 0)
                std::printf("  n = %4ld  %-44s %.3f\n", n, what[f], lt / bt);
        }
    benchmark::Shutdown();
    return 0;
}
