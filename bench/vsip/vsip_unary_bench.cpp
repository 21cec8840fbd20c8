// View-layer overhead of the elementary functions: vsip_vexp_f and
// vsip_vsin_f on unit-stride views against the bare vsExp / vsSin on the
// same arrays, and their strided pass at stride 2 against a plain strided
// loop of the same double-precision libm calls.  Then the same calls on two
// threads against one (tml_vsip_set_num_threads), by the wall clock: a
// ratio of 0.5 is a speed-up of 2.  After the runs, the ratio of each
// view-layer time to its baseline is printed.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <dazaro_tv.h>
#include <vsip.h>
#include <vsip_tv.h>

namespace {

const long kSizes[] = {1000, 100000, 10000000};
const long kThreadSizes[] = {100000, 1000000, 10000000};
const long kAllSizes[] = {1000, 100000, 1000000, 10000000};

// Operand and result of n elements at `stride` over caller memory.
struct Operands {
    std::vector<float> a, r;
    vsip_block_f *ba, *br;
    vsip_vview_f *va, *vr;
    Operands(long n, long stride) : a(n * stride), r(n * stride, 0.0f) {
        for (long i = 0; i < n * stride; ++i)
            a[i] = static_cast<float>((i % 1999) * 0.01 - 10.0);
        ba = vsip_blockbind_f(a.data(), a.size(), VSIP_MEM_NONE);
        br = vsip_blockbind_f(r.data(), r.size(), VSIP_MEM_NONE);
        vsip_blockadmit_f(ba, VSIP_TRUE);
        vsip_blockadmit_f(br, VSIP_TRUE);
        va = vsip_vbind_f(ba, 0, stride, n);
        vr = vsip_vbind_f(br, 0, stride, n);
    }
    ~Operands() {
        vsip_valldestroy_f(va);
        vsip_valldestroy_f(vr);
    }
};

using view_fn = void (*)(const vsip_vview_f *, const vsip_vview_f *);
using array_fn = void (*)(int, const float *, float *);

void finish(benchmark::State &state, long n, const std::vector<float> &r) {
    benchmark::DoNotOptimize(r.data());
    state.SetItemsProcessed(state.iterations() * n);
}

template <view_fn F, long Stride>
void view(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, Stride);
    for (auto _ : state) {
        F(o.va, o.vr);
        benchmark::ClobberMemory();
    }
    finish(state, n, o.r);
}

template <array_fn F>
void bare_array(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, 1);
    for (auto _ : state) {
        F(static_cast<int>(n), o.a.data(), o.r.data());
        benchmark::ClobberMemory();
    }
    finish(state, n, o.r);
}

// The plain strided loop: float(f(double(a))) at stride 2.
template <double (*Lib)(double)>
__attribute__((noipa)) void plain_strided(long n, long s, const float *a, float *r) {
    for (long i = 0; i < n; ++i)
        r[i * s] = static_cast<float>(Lib(static_cast<double>(a[i * s])));
}

double libm_exp(double x) { return std::exp(x); }
double libm_sin(double x) { return std::sin(x); }

template <double (*Lib)(double)>
void loop_stride2(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, 2);
    for (auto _ : state) {
        plain_strided<Lib>(n, 2, o.a.data(), o.r.data());
        benchmark::ClobberMemory();
    }
    finish(state, n, o.r);
}

// The call on `Threads` threads of the library.
template <view_fn F, int Threads>
void on_threads(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, 1);
    tml_vsip_set_num_threads(Threads);
    for (auto _ : state) {
        F(o.va, o.vr);
        benchmark::ClobberMemory();
    }
    tml_vsip_set_num_threads(0);
    finish(state, n, o.r);
}

void sizes(benchmark::internal::Benchmark *b) {
    for (long n : kSizes)
        b->Arg(n);
}

// vsip_vexp10_f on a unit-stride view against the bare vsPow with an
// operand of tens on the same arrays.
void exp10_view(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, 1);
    for (auto _ : state) {
        vsip_vexp10_f(o.va, o.vr);
        benchmark::ClobberMemory();
    }
    finish(state, n, o.r);
}

void bare_pow10(benchmark::State &state) {
    const long n = state.range(0);
    Operands o(n, 1);
    const std::vector<float> tens(n, 10.0f);
    for (auto _ : state) {
        vsPow(static_cast<int>(n), tens.data(), o.a.data(), o.r.data());
        benchmark::ClobberMemory();
    }
    finish(state, n, o.r);
}

void exp10_sizes(benchmark::internal::Benchmark *b) {
    b->Arg(1000);
    b->Arg(100000);
}

void thread_sizes(benchmark::internal::Benchmark *b) {
    for (long n : kThreadSizes)
        b->Arg(n);
    b->UseRealTime();
}


} // namespace

BENCHMARK(view<vsip_vexp_f, 1>)->Name("vsip_vexp_f")->Apply(sizes);
BENCHMARK(bare_array<vsExp>)->Name("vsExp")->Apply(sizes);
BENCHMARK(view<vsip_vsin_f, 1>)->Name("vsip_vsin_f")->Apply(sizes);
BENCHMARK(bare_array<vsSin>)->Name("vsSin")->Apply(sizes);
BENCHMARK(view<vsip_vexp_f, 2>)->Name("vsip_vexp_f_stride2")->Apply(sizes);
BENCHMARK(loop_stride2<libm_exp>)->Name("loop_exp_stride2")->Apply(sizes);
BENCHMARK(view<vsip_vsin_f, 2>)->Name("vsip_vsin_f_stride2")->Apply(sizes);
BENCHMARK(loop_stride2<libm_sin>)->Name("loop_sin_stride2")->Apply(sizes);
BENCHMARK(exp10_view)->Name("vsip_vexp10_f")->Apply(exp10_sizes);
BENCHMARK(bare_pow10)->Name("vsPow_tens")->Apply(exp10_sizes);
BENCHMARK(on_threads<vsip_vexp_f, 1>)->Name("vsip_vexp_f_1thread")->Apply(thread_sizes);
BENCHMARK(on_threads<vsip_vexp_f, 2>)->Name("vsip_vexp_f_2threads")->Apply(thread_sizes);
BENCHMARK(on_threads<vsip_vsin_f, 1>)->Name("vsip_vsin_f_1thread")->Apply(thread_sizes);
BENCHMARK(on_threads<vsip_vsin_f, 2>)->Name("vsip_vsin_f_2threads")->Apply(thread_sizes);

int main(int argc, char **argv) {
    RatioReporter reporter({{"vsip_vexp_f", "vsExp"}, {"vsip_vsin_f", "vsSin"}, {"vsip_vexp_f_stride2", "loop_exp_stride2"}, {"vsip_vsin_f_stride2", "loop_sin_stride2"},
                            {"vsip_vexp_f_2threads", "vsip_vexp_f_1thread"},
                            {"vsip_vsin_f_2threads", "vsip_vsin_f_1thread"},
                            {"vsip_vexp10_f", "vsPow_tens"}},
                           std::vector<long>(std::begin(kAllSizes), std::end(kAllSizes)));
    return run_with_ratios(argc, argv, reporter);
}
