// View-layer overhead of the element-wise operations: vsip_vadd_f and
// vsip_vmul_f on unit-stride views against the bare vsAdd and a plain loop
// on the same arrays, and the strided pass at stride 2 (vsip_vadd_f,
// vsip_vmul_f, vsip_vsqrt_f and vsip_cvmul_f on split storage) against a
// plain loop whose stride is a run-time value.  After the runs, the ratio
// of each view-layer time to its baseline is printed.
#include <benchmark/benchmark.h>

#include "ratio_reporter.hpp"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <dazaro_tv.h>
#include <vsip.h>

namespace {

const long kSizes[] = {1000, 100000, 10000000};

// Three blocks of n x stride floats and views over them.
struct Operands {
    std::vector<float> a, b, r;
    vsip_block_f *ba, *bb, *br;
    vsip_vview_f *va, *vb, *vr;
    Operands(long n, long stride) : a(n * stride, 1.5f), b(n * stride, 0.25f), r(n * stride, 0.0f) {
        ba = vsip_blockbind_f(a.data(), a.size(), VSIP_MEM_NONE);
        bb = vsip_blockbind_f(b.data(), b.size(), VSIP_MEM_NONE);
        br = vsip_blockbind_f(r.data(), r.size(), VSIP_MEM_NONE);
        for (vsip_block_f *k : {ba, bb, br})
            vsip_blockadmit_f(k, 1);
        va = vsip_vbind_f(ba, 0, stride, n);
        vb = vsip_vbind_f(bb, 0, stride, n);
        vr = vsip_vbind_f(br, 0, stride, n);
    }
    ~Operands() {
        for (vsip_vview_f *v : {va, vb, vr})
            vsip_valldestroy_f(v);
    }
};

void set_counters(benchmark::State &state, long n) {
    state.SetItemsProcessed(state.iterations() * n);
}

// Plain loops, kept out of line; the contiguous one is told the arrays do
// not overlap, so it vectorises without run-time checks.
__attribute__((noipa)) void plain_mul(long n, const float *__restrict a,
                                         const float *__restrict b, float *__restrict r) {
    for (long i = 0; i < n; ++i)
        r[i] = a[i] * b[i];
}
__attribute__((noipa)) void plain_strided_add(long n, long s, const float *a, const float *b,
                                                 float *r) {
    for (long i = 0; i < n; ++i)
        r[i * s] = a[i * s] + b[i * s];
}
__attribute__((noipa)) void plain_strided_mul(long n, long s, const float *a, const float *b,
                                                 float *r) {
    for (long i = 0; i < n; ++i)
        r[i * s] = a[i * s] * b[i * s];
}

__attribute__((noipa)) void plain_strided_sqrt(long n, long s, const float *a, float *r) {
    for (long i = 0; i < n; ++i)
        r[i * s] = std::sqrt(a[i * s]);
}
// Split complex storage: parts of element i at re[i * s] and im[i * s].
__attribute__((noipa)) void plain_strided_cmul(long n, long s, const float *are, const float *aim,
                                               const float *bre, const float *bim, float *rre,
                                               float *rim) {
    for (long i = 0; i < n; ++i) {
        const float xr = are[i * s], xi = aim[i * s], yr = bre[i * s], yi = bim[i * s];
        rre[i * s] = xr * yr - xi * yi;
        rim[i * s] = xr * yi + xi * yr;
    }
}

// Three split complex blocks of n x stride elements and views over them.
struct CplxOperands {
    std::vector<float> are, aim, bre, bim, rre, rim;
    vsip_cblock_f *ba, *bb, *br;
    vsip_cvview_f *va, *vb, *vr;
    CplxOperands(long n, long stride)
        : are(n * stride, 1.5f), aim(n * stride, -0.5f), bre(n * stride, 0.25f),
          bim(n * stride, 2.0f), rre(n * stride, 0.0f), rim(n * stride, 0.0f) {
        const vsip_length len = static_cast<vsip_length>(n * stride);
        ba = vsip_cblockbind_f(are.data(), aim.data(), len, VSIP_MEM_NONE);
        bb = vsip_cblockbind_f(bre.data(), bim.data(), len, VSIP_MEM_NONE);
        br = vsip_cblockbind_f(rre.data(), rim.data(), len, VSIP_MEM_NONE);
        for (vsip_cblock_f *k : {ba, bb, br})
            vsip_cblockadmit_f(k, 1);
        va = vsip_cvbind_f(ba, 0, stride, n);
        vb = vsip_cvbind_f(bb, 0, stride, n);
        vr = vsip_cvbind_f(br, 0, stride, n);
    }
    ~CplxOperands() {
        for (vsip_cvview_f *v : {va, vb, vr})
            vsip_cvalldestroy_f(v);
    }
};

void BM_vsip_vadd_f(benchmark::State &state) {
    Operands o(state.range(0), 1);
    for (auto _ : state) {
        vsip_vadd_f(o.va, o.vb, o.vr);
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_bare_vsAdd(benchmark::State &state) {
    Operands o(state.range(0), 1);
    for (auto _ : state) {
        vsAdd(static_cast<int>(state.range(0)), o.a.data(), o.b.data(), o.r.data());
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_vsip_vmul_f(benchmark::State &state) {
    Operands o(state.range(0), 1);
    for (auto _ : state) {
        vsip_vmul_f(o.va, o.vb, o.vr);
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_plain_mul(benchmark::State &state) {
    Operands o(state.range(0), 1);
    for (auto _ : state) {
        plain_mul(state.range(0), o.a.data(), o.b.data(), o.r.data());
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_vsip_vadd_f_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        vsip_vadd_f(o.va, o.vb, o.vr);
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_plain_add_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        plain_strided_add(state.range(0), 2, o.a.data(), o.b.data(), o.r.data());
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_vsip_vmul_f_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        vsip_vmul_f(o.va, o.vb, o.vr);
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_plain_mul_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        plain_strided_mul(state.range(0), 2, o.a.data(), o.b.data(), o.r.data());
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}

void BM_vsip_vsqrt_f_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        vsip_vsqrt_f(o.va, o.vr);
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_plain_sqrt_stride2(benchmark::State &state) {
    Operands o(state.range(0), 2);
    for (auto _ : state) {
        plain_strided_sqrt(state.range(0), 2, o.a.data(), o.r.data());
        benchmark::DoNotOptimize(o.r.data());
    }
    set_counters(state, state.range(0));
}
void BM_vsip_cvmul_f_stride2(benchmark::State &state) {
    CplxOperands o(state.range(0), 2);
    for (auto _ : state) {
        vsip_cvmul_f(o.va, o.vb, o.vr);
        benchmark::DoNotOptimize(o.rre.data());
    }
    set_counters(state, state.range(0));
}
void BM_plain_cmul_stride2(benchmark::State &state) {
    CplxOperands o(state.range(0), 2);
    for (auto _ : state) {
        plain_strided_cmul(state.range(0), 2, o.are.data(), o.aim.data(), o.bre.data(),
                           o.bim.data(), o.rre.data(), o.rim.data());
        benchmark::DoNotOptimize(o.rre.data());
    }
    set_counters(state, state.range(0));
}

void sizes(benchmark::internal::Benchmark *b) {
    for (long n : kSizes)
        b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

// Pairs of (view layer, baseline); interleaved so that both of a pair run
// under the same conditions.
BENCHMARK(BM_vsip_vadd_f)->Apply(sizes);
BENCHMARK(BM_bare_vsAdd)->Apply(sizes);
BENCHMARK(BM_vsip_vmul_f)->Apply(sizes);
BENCHMARK(BM_plain_mul)->Apply(sizes);
BENCHMARK(BM_vsip_vadd_f_stride2)->Apply(sizes);
BENCHMARK(BM_plain_add_stride2)->Apply(sizes);
BENCHMARK(BM_vsip_vmul_f_stride2)->Apply(sizes);
BENCHMARK(BM_plain_mul_stride2)->Apply(sizes);
BENCHMARK(BM_vsip_vsqrt_f_stride2)->Apply(sizes);
BENCHMARK(BM_plain_sqrt_stride2)->Apply(sizes);
BENCHMARK(BM_vsip_cvmul_f_stride2)->Apply(sizes);
BENCHMARK(BM_plain_cmul_stride2)->Apply(sizes);


} // namespace

int main(int argc, char **argv) {
    RatioReporter reporter({{"BM_vsip_vadd_f", "BM_bare_vsAdd"}, {"BM_vsip_vmul_f", "BM_plain_mul"}, {"BM_vsip_vadd_f_stride2", "BM_plain_add_stride2"}, {"BM_vsip_vmul_f_stride2", "BM_plain_mul_stride2"},
                            {"BM_vsip_vsqrt_f_stride2", "BM_plain_sqrt_stride2"},
                            {"BM_vsip_cvmul_f_stride2", "BM_plain_cmul_stride2"}},
                           std::vector<long>(std::begin(kSizes), std::end(kSizes)));
    return run_with_ratios(argc, argv, reporter);
}
