// Allocation behaviour of the whole library in two tables.
//
// Sweep: every creator and every function that takes temporaries runs
// with its k-th library allocation (and, for objects on FFTW, its k-th
// FFTW buffer or plan request) failing, for every k it makes.  A creator
// must give null with nothing left allocated; a function must give the
// result of an unfailed run (its fallback path) or the failure result it
// documents, again with nothing left allocated.
//
// Per call: each execute function runs many times while the library's and
// FFTW's allocation requests are counted; the count per call must be the
// documented one, and nothing may stay allocated.  `--calls N` gives the
// cheap rows N calls and the costly ones proportionally fewer (the default
// keeps the test short).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <dazaro_tv.h>
#include <gtest/gtest.h>

#include "fft_support.hpp"
#include "support.hpp"
#include "vsip.h"
#include "vsip_tv.h"

namespace {

using vsiptest::AllocationTally;
using vsiptest::tally_allocations;

long g_calls = 0; // --calls N for the cheap rows; 0 keeps the defaults

// ---- Operands ------------------------------------------------------------------

float sample(unsigned i, unsigned seed) {
    return std::sin(0.37f * static_cast<float>(i) + static_cast<float>(seed)) * 0.9f;
}

// A vector of n values, unit stride, or every `stride`-th element of a
// larger block.
vsip_vview_f *real_vector(vsip_length n, unsigned seed, vsip_stride stride = 1) {
    vsip_block_f *b = vsip_blockcreate_f(n * stride, VSIP_MEM_NONE);
    vsip_vview_f *v = vsip_vbind_f(b, 0, stride, n);
    for (vsip_length i = 0; i < n; ++i)
        vsip_vput_f(v, i, sample(static_cast<unsigned>(i), seed));
    return v;
}

vsip_cvview_f *complex_vector(vsip_length n, unsigned seed, vsip_stride stride = 1) {
    vsip_cblock_f *b = vsip_cblockcreate_f(n * stride, VSIP_MEM_NONE);
    vsip_cvview_f *v = vsip_cvbind_f(b, 0, stride, n);
    for (vsip_length i = 0; i < n; ++i)
        vsip_cvput_f(v, i, vsip_cscalar_f{sample(static_cast<unsigned>(i), seed),
                                          sample(static_cast<unsigned>(i), seed + 7)});
    return v;
}

// rows x cols with the given steps between rows and between columns.
vsip_mview_f *real_matrix(vsip_length rows, vsip_length cols, vsip_stride row_step,
                          vsip_stride col_step, unsigned seed) {
    const vsip_length size = (rows - 1) * row_step + (cols - 1) * col_step + 1;
    vsip_block_f *b = vsip_blockcreate_f(size, VSIP_MEM_NONE);
    vsip_mview_f *m = vsip_mbind_f(b, 0, row_step, rows, col_step, cols);
    for (vsip_length i = 0; i < rows; ++i)
        for (vsip_length j = 0; j < cols; ++j)
            vsip_mput_f(m, i, j, sample(static_cast<unsigned>(i * cols + j), seed));
    return m;
}

vsip_cmview_f *complex_matrix(vsip_length rows, vsip_length cols, unsigned seed) {
    vsip_cmview_f *m = vsip_cmcreate_f(rows, cols, VSIP_ROW, VSIP_MEM_NONE);
    for (vsip_length i = 0; i < rows; ++i)
        for (vsip_length j = 0; j < cols; ++j) {
            const auto k = static_cast<unsigned>(i * cols + j);
            vsip_cmput_f(m, i, j, vsip_cscalar_f{sample(k, seed), sample(k, seed + 3)});
        }
    return m;
}

std::vector<float> values(const vsip_vview_f *v) {
    std::vector<float> out;
    for (vsip_length i = 0; i < vsip_vgetlength_f(v); ++i)
        out.push_back(vsip_vget_f(v, i));
    return out;
}

std::vector<float> values(const vsip_cvview_f *v) {
    std::vector<float> out;
    for (vsip_length i = 0; i < vsip_cvgetlength_f(v); ++i) {
        const vsip_cscalar_f z = vsip_cvget_f(v, i);
        out.push_back(z.r);
        out.push_back(z.i);
    }
    return out;
}

std::vector<float> values(const vsip_mview_f *m, vsip_length rows, vsip_length cols) {
    std::vector<float> out;
    for (vsip_length i = 0; i < rows; ++i)
        for (vsip_length j = 0; j < cols; ++j)
            out.push_back(vsip_mget_f(m, i, j));
    return out;
}

std::vector<float> values(const vsip_cmview_f *m, vsip_length rows, vsip_length cols) {
    std::vector<float> out;
    for (vsip_length i = 0; i < rows; ++i)
        for (vsip_length j = 0; j < cols; ++j) {
            const vsip_cscalar_f z = vsip_cmget_f(m, i, j);
            out.push_back(z.r);
            out.push_back(z.i);
        }
    return out;
}

void fill(const vsip_vview_f *v, float x) {
    for (vsip_length i = 0; i < vsip_vgetlength_f(v); ++i)
        vsip_vput_f(v, i, x);
}

void fill(const vsip_cvview_f *v, float x) {
    for (vsip_length i = 0; i < vsip_cvgetlength_f(v); ++i)
        vsip_cvput_f(v, i, vsip_cscalar_f{x, x});
}

// ---- Creators --------------------------------------------------------------------

// Inputs the creators copy from, made before any allocation is failed.
struct Kernels {
    vsip_vview_f *real8 = real_vector(8, 1);
    vsip_vview_f *real128 = real_vector(128, 2);
    vsip_cvview_f *complex8 = complex_vector(8, 3);
    float user[64] = {};
    Kernels() = default;
    Kernels(const Kernels &) = delete;
    Kernels &operator=(const Kernels &) = delete;
    ~Kernels() {
        vsip_valldestroy_f(real8);
        vsip_valldestroy_f(real128);
        vsip_cvalldestroy_f(complex8);
    }
};

Kernels &kernels() {
    static Kernels k;
    return k;
}

struct CreatorRow {
    const char *name;
    std::function<void *()> create;
    std::function<void(void *)> destroy;
    bool fftw; // the object holds FFTW buffers and plans
};

template <class R, class T>
std::function<void(void *)> by(R (*destroy)(T *)) {
    return [destroy](void *p) { destroy(static_cast<T *>(p)); };
}

const std::vector<CreatorRow> &creator_rows() {
    static const std::vector<CreatorRow> rows = {
        {"vsip_blockcreate_f", [] { return (void *)vsip_blockcreate_f(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_f), false},
        {"vsip_blockcreate_d", [] { return (void *)vsip_blockcreate_d(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_d), false},
        {"vsip_blockcreate_i", [] { return (void *)vsip_blockcreate_i(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_i), false},
        {"vsip_blockcreate_bl", [] { return (void *)vsip_blockcreate_bl(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_bl), false},
        {"vsip_blockcreate_vi", [] { return (void *)vsip_blockcreate_vi(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_vi), false},
        {"vsip_blockcreate_mi", [] { return (void *)vsip_blockcreate_mi(64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_mi), false},
        {"vsip_cblockcreate_f", [] { return (void *)vsip_cblockcreate_f(64, VSIP_MEM_NONE); },
         by(vsip_cblockdestroy_f), false},
        {"vsip_cblockcreate_d", [] { return (void *)vsip_cblockcreate_d(64, VSIP_MEM_NONE); },
         by(vsip_cblockdestroy_d), false},
        {"vsip_blockbind_f",
         [] { return (void *)vsip_blockbind_f(kernels().user, 64, VSIP_MEM_NONE); },
         by(vsip_blockdestroy_f), false},
        {"vsip_cblockbind_f interleaved",
         [] { return (void *)vsip_cblockbind_f(kernels().user, nullptr, 32, VSIP_MEM_NONE); },
         by(vsip_cblockdestroy_f), false},
        {"vsip_cblockbind_f split",
         [] {
             return (void *)vsip_cblockbind_f(kernels().user, kernels().user + 32, 32,
                                              VSIP_MEM_NONE);
         },
         by(vsip_cblockdestroy_f), false},
        {"vsip_vcreate_f", [] { return (void *)vsip_vcreate_f(64, VSIP_MEM_NONE); },
         by(vsip_valldestroy_f), false},
        {"vsip_vcreate_i", [] { return (void *)vsip_vcreate_i(64, VSIP_MEM_NONE); },
         by(vsip_valldestroy_i), false},
        {"vsip_cvcreate_f", [] { return (void *)vsip_cvcreate_f(64, VSIP_MEM_NONE); },
         by(vsip_cvalldestroy_f), false},
        {"vsip_mcreate_f", [] { return (void *)vsip_mcreate_f(8, 4, VSIP_COL, VSIP_MEM_NONE); },
         by(vsip_malldestroy_f), false},
        {"vsip_cmcreate_f", [] { return (void *)vsip_cmcreate_f(8, 4, VSIP_ROW, VSIP_MEM_NONE); },
         by(vsip_cmalldestroy_f), false},
        {"vsip_vcloneview_f", [] { return (void *)vsip_vcloneview_f(kernels().real8); },
         by(vsip_vdestroy_f), false},
        {"vsip_ccfftip_create_f",
         [] { return (void *)vsip_ccfftip_create_f(64, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME); },
         by(vsip_fft_destroy_f), true},
        {"vsip_ccfftop_create_f",
         [] { return (void *)vsip_ccfftop_create_f(48, 0.5f, VSIP_FFT_INV, 1, VSIP_ALG_TIME); },
         by(vsip_fft_destroy_f), true},
        {"vsip_rcfftop_create_f",
         [] { return (void *)vsip_rcfftop_create_f(64, 1.0f, 1, VSIP_ALG_TIME); },
         by(vsip_fft_destroy_f), true},
        {"vsip_crfftop_create_f",
         [] { return (void *)vsip_crfftop_create_f(64, 1.0f, 1, VSIP_ALG_TIME); },
         by(vsip_fft_destroy_f), true},
        {"vsip_ccfftmip_create_f",
         [] {
             return (void *)vsip_ccfftmip_create_f(4, 32, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 1,
                                                   VSIP_ALG_TIME);
         },
         by(vsip_fftm_destroy_f), true},
        {"vsip_ccfftmop_create_f",
         [] {
             return (void *)vsip_ccfftmop_create_f(4, 32, 1.0f, VSIP_FFT_INV, VSIP_COL, 1,
                                                   VSIP_ALG_TIME);
         },
         by(vsip_fftm_destroy_f), true},
        {"vsip_rcfftmop_create_f",
         [] { return (void *)vsip_rcfftmop_create_f(4, 32, 1.0f, VSIP_ROW, 1, VSIP_ALG_TIME); },
         by(vsip_fftm_destroy_f), true},
        {"vsip_crfftmop_create_f",
         [] { return (void *)vsip_crfftmop_create_f(4, 32, 1.0f, VSIP_COL, 1, VSIP_ALG_TIME); },
         by(vsip_fftm_destroy_f), true},
        {"vsip_fir_create_f",
         [] {
             return (void *)vsip_fir_create_f(kernels().real8, VSIP_NONSYM, 64, 1, VSIP_STATE_SAVE,
                                              1, VSIP_ALG_TIME);
         },
         by(vsip_fir_destroy_f), false},
        {"vsip_fir_create_f symmetric decimated",
         [] {
             return (void *)vsip_fir_create_f(kernels().real8, VSIP_SYM_EVEN_LEN_ODD, 64, 3,
                                              VSIP_STATE_NO_SAVE, 1, VSIP_ALG_TIME);
         },
         by(vsip_fir_destroy_f), false},
        {"vsip_cfir_create_f",
         [] {
             return (void *)vsip_cfir_create_f(kernels().complex8, VSIP_SYM_EVEN_LEN_EVEN, 64, 2,
                                               VSIP_STATE_SAVE, 1, VSIP_ALG_TIME);
         },
         by(vsip_cfir_destroy_f), false},
        {"vsip_conv1d_create_f direct",
         [] {
             return (void *)vsip_conv1d_create_f(kernels().real8, VSIP_NONSYM, 64, 1,
                                                 VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME);
         },
         by(vsip_conv1d_destroy_f), true},
        {"vsip_conv1d_create_f FFT",
         [] {
             return (void *)vsip_conv1d_create_f(kernels().real128, VSIP_NONSYM, 4096, 1,
                                                 VSIP_SUPPORT_SAME, 1, VSIP_ALG_TIME);
         },
         by(vsip_conv1d_destroy_f), true},
        {"vsip_corr1d_create_f short",
         [] { return (void *)vsip_corr1d_create_f(4, 64, VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME); },
         by(vsip_corr1d_destroy_f), true},
        {"vsip_corr1d_create_f long data",
         [] { return (void *)vsip_corr1d_create_f(16, 8192, VSIP_SUPPORT_MIN, 1, VSIP_ALG_TIME); },
         by(vsip_corr1d_destroy_f), true},
        {"vsip_corr1d_create_f long reference",
         [] {
             return (void *)vsip_corr1d_create_f(1024, 4096, VSIP_SUPPORT_SAME, 1, VSIP_ALG_TIME);
         },
         by(vsip_corr1d_destroy_f), true},
        {"vsip_ccorr1d_create_f",
         [] { return (void *)vsip_ccorr1d_create_f(16, 256, VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME); },
         by(vsip_ccorr1d_destroy_f), true},
        {"vsip_randcreate portable", [] { return (void *)vsip_randcreate(7, 1, 1, VSIP_PRNG); },
         by(vsip_randdestroy), false},
        {"vsip_randcreate non-portable",
         [] { return (void *)vsip_randcreate(7, 4, 2, VSIP_NPRNG); }, by(vsip_randdestroy), false},
        {"vsip_vcreate_blackman_f", [] { return (void *)vsip_vcreate_blackman_f(33, VSIP_MEM_NONE); },
         by(vsip_valldestroy_f), false},
        {"vsip_vcreate_hanning_f", [] { return (void *)vsip_vcreate_hanning_f(33, VSIP_MEM_NONE); },
         by(vsip_valldestroy_f), false},
        {"vsip_vcreate_kaiser_f",
         [] { return (void *)vsip_vcreate_kaiser_f(33, 4.0f, VSIP_MEM_NONE); },
         by(vsip_valldestroy_f), false},
        {"vsip_vcreate_cheby_f",
         [] { return (void *)vsip_vcreate_cheby_f(33, 60.0f, VSIP_MEM_NONE); },
         by(vsip_valldestroy_f), false},
    };
    return rows;
}

TEST(AllocSweep, EveryCreatorFailsCleanlyAtEveryRequest) {
    kernels();
    for (const CreatorRow &row : creator_rows()) {
        SCOPED_TRACE(row.name);
        std::string problem;
        const long needed =
            vsiptest::for_every_failing_allocation<void>(row.create, row.destroy, &problem);
        EXPECT_GT(needed, 0) << problem;
        long fftw = 0;
        if (row.fftw) {
            fftw = vsiptest::for_every_failing_fftw_request<void>(row.create, row.destroy, &problem);
            EXPECT_GE(fftw, 0) << problem;
        }
        std::printf("%-40s library requests failed %3ld, FFTW requests failed %3ld\n", row.name,
                    needed, fftw);
    }
}

// ---- Functions with temporaries ------------------------------------------------

enum class OnFailure {
    same_result,  // a fallback path gives the unfailed result
    nothing_done, // returns 0 and leaves the output as it was
};

struct Outcome {
    AllocationTally tally;
    int returned = 0;
    std::vector<float> out;
};

struct TemporaryRow {
    const char *name;
    OnFailure on_failure;
    // Makes the operands, runs the function with library allocation
    // fail_at failing (0: none) and reads the output.
    std::function<Outcome(long fail_at)> run;
};

constexpr float kUntouched = 1234.5f;

Outcome run_vexp10(long fail_at) {
    vsip_vview_f *a = real_vector(1000, 4), *r = vsip_vcreate_f(1000, VSIP_MEM_NONE);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { vsip_vexp10_f(a, r); });
    o.out = values(r);
    vsip_valldestroy_f(a);
    vsip_valldestroy_f(r);
    return o;
}

Outcome run_cvexp(long fail_at) {
    vsip_cvview_f *a = complex_vector(1000, 5), *r = vsip_cvcreate_f(1000, VSIP_MEM_NONE);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { vsip_cvexp_f(a, r); });
    o.out = values(r);
    vsip_cvalldestroy_f(a);
    vsip_cvalldestroy_f(r);
    return o;
}

// A = 6 x 5 with stride 2 both ways (no BLAS layout: copied), B and C dense,
// or C strided (copied in and written back).
Outcome run_mprod(long fail_at, bool strided_c) {
    vsip_mview_f *A = real_matrix(6, 5, 10, 2, 6), *B = real_matrix(5, 4, 4, 1, 7);
    vsip_mview_f *C = strided_c ? real_matrix(6, 4, 8, 2, 8) : real_matrix(6, 4, 4, 1, 8);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { vsip_mprod_f(A, B, C); });
    o.out = values(C, 6, 4);
    vsip_malldestroy_f(A);
    vsip_malldestroy_f(B);
    vsip_malldestroy_f(C);
    return o;
}

// Conjugating a dense operand without transposing it needs a temporary.
Outcome run_cgemp_conj(long fail_at) {
    vsip_cmview_f *A = complex_matrix(4, 3, 9), *B = complex_matrix(3, 5, 10),
                  *C = complex_matrix(4, 5, 11);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] {
        vsip_cgemp_f(vsip_cscalar_f{1.0f, 0.5f}, A, VSIP_MAT_CONJ, B, VSIP_MAT_NTRANS,
                     vsip_cscalar_f{0.25f, 0.0f}, C);
    });
    o.out = values(C, 4, 5);
    vsip_cmalldestroy_f(A);
    vsip_cmalldestroy_f(B);
    vsip_cmalldestroy_f(C);
    return o;
}

// C row major, A column major: A is first copied into C's order.
Outcome run_gems_layouts(long fail_at) {
    vsip_mview_f *A = real_matrix(6, 5, 1, 6, 12), *C = real_matrix(6, 5, 5, 1, 13);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] {
        vsip_gems_f(2.0f, A, VSIP_MAT_NTRANS, 0.5f, C);
    });
    o.out = values(C, 6, 5);
    vsip_malldestroy_f(A);
    vsip_malldestroy_f(C);
    return o;
}

// A strided input at least as long as the kernel is gathered first.
Outcome run_firflt_strided(long fail_at) {
    vsip_vview_f *k = real_vector(8, 14);
    vsip_fir_f *fir = vsip_fir_create_f(k, VSIP_NONSYM, 64, 1, VSIP_STATE_SAVE, 1, VSIP_ALG_TIME);
    vsip_vview_f *x = real_vector(64, 15, 2), *y = vsip_vcreate_f(64, VSIP_MEM_NONE);
    fill(y, kUntouched);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { o.returned = vsip_firflt_f(fir, x, y); });
    o.out = values(y);
    vsip_fir_destroy_f(fir);
    vsip_valldestroy_f(k);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    return o;
}

Outcome run_cfirflt_strided(long fail_at) {
    vsip_cvview_f *k = complex_vector(8, 16);
    vsip_cfir_f *fir =
        vsip_cfir_create_f(k, VSIP_NONSYM, 64, 2, VSIP_STATE_SAVE, 1, VSIP_ALG_TIME);
    vsip_cvview_f *x = complex_vector(64, 17, 3), *y = vsip_cvcreate_f(32, VSIP_MEM_NONE);
    fill(y, kUntouched);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { o.returned = vsip_cfirflt_f(fir, x, y); });
    o.out = values(y);
    vsip_cfir_destroy_f(fir);
    vsip_cvalldestroy_f(k);
    vsip_cvalldestroy_f(x);
    vsip_cvalldestroy_f(y);
    return o;
}

// A = 1000 x 20 with stride 2 both ways: its copy exceeds the products'
// stack buffer, so it is one temporary.
Outcome run_mprod_beyond_buffer(long fail_at) {
    vsip_mview_f *A = real_matrix(1000, 20, 40, 2, 18), *B = real_matrix(20, 2, 2, 1, 19);
    vsip_mview_f *C = real_matrix(1000, 2, 2, 1, 20);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] { vsip_mprod_f(A, B, C); });
    o.out = values(C, 1000, 2);
    vsip_malldestroy_f(A);
    vsip_malldestroy_f(B);
    vsip_malldestroy_f(C);
    return o;
}

// Conjugated split complex A of 500 x 20 (its interleaved copy exceeds
// the stack buffer).
Outcome run_cgemp_conj_beyond_buffer(long fail_at) {
    vsip_cmview_f *A = complex_matrix(500, 20, 21), *B = complex_matrix(20, 3, 22),
                  *C = complex_matrix(500, 3, 23);
    Outcome o;
    o.tally = tally_allocations(fail_at, [&] {
        vsip_cgemp_f(vsip_cscalar_f{1.0f, 0.5f}, A, VSIP_MAT_CONJ, B, VSIP_MAT_NTRANS,
                     vsip_cscalar_f{0.25f, 0.0f}, C);
    });
    o.out = values(C, 500, 3);
    vsip_cmalldestroy_f(A);
    vsip_cmalldestroy_f(B);
    vsip_cmalldestroy_f(C);
    return o;
}

// Calls that once took a temporary and now go through stack buffers or
// the object's work area: no request, and a failing allocator changes
// nothing.
const std::vector<TemporaryRow> &allocation_free_rows() {
    static const std::vector<TemporaryRow> rows = {
        {"vsip_vexp10_f", OnFailure::same_result, run_vexp10},
        {"vsip_cvexp_f", OnFailure::same_result, run_cvexp},
        {"vsip_mprod_f strided A", OnFailure::same_result,
         [](long k) { return run_mprod(k, false); }},
        {"vsip_mprod_f strided A and C", OnFailure::same_result,
         [](long k) { return run_mprod(k, true); }},
        {"vsip_cgemp_f conjugated A", OnFailure::same_result, run_cgemp_conj},
        {"vsip_firflt_f strided input", OnFailure::same_result, run_firflt_strided},
        {"vsip_cfirflt_f strided input", OnFailure::same_result, run_cfirflt_strided},
    };
    return rows;
}

// Only calls that still take a temporary; the others are rows of the
// per-call table with a count of 0.
const std::vector<TemporaryRow> &temporary_rows() {
    static const std::vector<TemporaryRow> rows = {
        {"vsip_mprod_f strided A beyond the buffer", OnFailure::same_result,
         run_mprod_beyond_buffer},
        {"vsip_cgemp_f conjugated A beyond the buffer", OnFailure::same_result,
         run_cgemp_conj_beyond_buffer},
        {"vsip_gems_f mixed layouts", OnFailure::same_result, run_gems_layouts},
    };
    return rows;
}

TEST(AllocSweep, FormerTemporariesTakeNoRequest) {
    for (const TemporaryRow &row : allocation_free_rows()) {
        SCOPED_TRACE(row.name);
        const Outcome reference = row.run(0);
        EXPECT_EQ(reference.tally.calls, 0);
        EXPECT_EQ(reference.tally.live, 0u);
        const Outcome failing = row.run(1);
        EXPECT_FALSE(failing.tally.failed);
        EXPECT_EQ(failing.out, reference.out);
        EXPECT_EQ(failing.returned, reference.returned);
    }
}

bool close(const std::vector<float> &got, const std::vector<float> &want) {
    if (got.size() != want.size())
        return false;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (!(std::fabs(got[i] - want[i]) <= 2e-6f * std::fmax(1.0f, std::fabs(want[i]))))
            return false;
    return true;
}

TEST(AllocSweep, EveryTemporaryFailureFallsBackOrReportsNothingDone) {
    for (const TemporaryRow &row : temporary_rows()) {
        SCOPED_TRACE(row.name);
        const Outcome reference = row.run(0);
        ASSERT_GT(reference.tally.calls, 0) << "the case should need a temporary";
        EXPECT_EQ(reference.tally.live, 0u);
        for (long k = 1; k <= reference.tally.calls; ++k) {
            SCOPED_TRACE("failing request " + std::to_string(k));
            const Outcome failed = row.run(k);
            EXPECT_TRUE(failed.tally.failed);
            EXPECT_EQ(failed.tally.live, 0u);
            if (row.on_failure == OnFailure::same_result) {
                EXPECT_TRUE(close(failed.out, reference.out));
            } else {
                EXPECT_EQ(failed.returned, 0);
                EXPECT_EQ(failed.out, std::vector<float>(failed.out.size(), kUntouched));
            }
        }
        if (row.on_failure == OnFailure::nothing_done) {
            EXPECT_GT(reference.returned, 0);
        }
        std::printf("%-40s library requests failed %3ld\n", row.name, reference.tally.calls);
    }
}

// ---- Allocations per execute call ----------------------------------------------

struct Counts {
    long library = 0;
    long fftw = 0;
    std::size_t live = 0; // library blocks the calls left allocated
};

Counts measure(const std::function<void()> &body) {
    Counts c;
    c.fftw = vsiptest::count_fftw_requests([&] {
        const AllocationTally t = tally_allocations(0, body);
        c.library = t.calls;
        c.live = t.live;
    });
    return c;
}

struct PerCallRow {
    const char *name;
    long default_calls;
    long library_per_call; // documented library allocations per call
    std::function<Counts(long calls)> run;
};

template <class Call>
Counts repeat(long calls, Call call) {
    return measure([&] {
        for (long i = 0; i < calls; ++i)
            call();
    });
}

// Builds n-element real operands a, b, r and counts `calls` runs of f.
template <class F>
Counts real_binary(long calls, F f, vsip_length n = 256) {
    vsip_vview_f *a = real_vector(n, 20), *b = real_vector(n, 21), *r = vsip_vcreate_f(n, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { f(a, b, r); });
    vsip_valldestroy_f(a);
    vsip_valldestroy_f(b);
    vsip_valldestroy_f(r);
    return c;
}

template <class F>
Counts complex_binary(long calls, F f, vsip_length n = 256) {
    vsip_cvview_f *a = complex_vector(n, 22), *b = complex_vector(n, 23),
                  *r = vsip_cvcreate_f(n, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { f(a, b, r); });
    vsip_cvalldestroy_f(a);
    vsip_cvalldestroy_f(b);
    vsip_cvalldestroy_f(r);
    return c;
}

Counts fft_calls(long calls, int kind) {
    const vsip_length n = 64;
    vsip_fft_f *fft = kind == 0   ? vsip_ccfftop_create_f(n, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME)
                      : kind == 1 ? vsip_ccfftip_create_f(n, 1.0f, VSIP_FFT_INV, 1, VSIP_ALG_TIME)
                      : kind == 2 ? vsip_rcfftop_create_f(n, 1.0f, 1, VSIP_ALG_TIME)
                                  : vsip_crfftop_create_f(n, 1.0f / n, 1, VSIP_ALG_TIME);
    vsip_cvview_f *cx = complex_vector(n, 24), *cy = vsip_cvcreate_f(n, VSIP_MEM_NONE);
    vsip_vview_f *rx = real_vector(n, 25), *ry = vsip_vcreate_f(n, VSIP_MEM_NONE);
    vsip_cvview_f *half = complex_vector(n / 2 + 1, 26);
    const Counts c = repeat(calls, [&] {
        switch (kind) {
        case 0: vsip_ccfftop_f(fft, cx, cy); break;
        case 1: vsip_ccfftip_f(fft, cx); break;
        case 2: vsip_rcfftop_f(fft, rx, half); break;
        default: vsip_crfftop_f(fft, half, ry); break;
        }
    });
    vsip_fft_destroy_f(fft);
    vsip_cvalldestroy_f(cx);
    vsip_cvalldestroy_f(cy);
    vsip_cvalldestroy_f(half);
    vsip_valldestroy_f(rx);
    vsip_valldestroy_f(ry);
    return c;
}

Counts fftm_calls(long calls, int kind) {
    const vsip_length m = 4, n = 32;
    vsip_fftm_f *f =
        kind == 0   ? vsip_ccfftmop_create_f(m, n, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 1, VSIP_ALG_TIME)
        : kind == 1 ? vsip_ccfftmip_create_f(m, n, 1.0f, VSIP_FFT_FWD, VSIP_COL, 1, VSIP_ALG_TIME)
        : kind == 2 ? vsip_rcfftmop_create_f(m, n, 1.0f, VSIP_ROW, 1, VSIP_ALG_TIME)
                    : vsip_crfftmop_create_f(m, n, 1.0f, VSIP_ROW, 1, VSIP_ALG_TIME);
    vsip_cmview_f *cx = complex_matrix(m, n, 27), *cy = complex_matrix(m, n, 28);
    vsip_cmview_f *half = complex_matrix(m, n / 2 + 1, 29);
    vsip_mview_f *rx = real_matrix(m, n, n, 1, 30), *ry = real_matrix(m, n, n, 1, 31);
    const Counts c = repeat(calls, [&] {
        switch (kind) {
        case 0: vsip_ccfftmop_f(f, cx, cy); break;
        case 1: vsip_ccfftmip_f(f, cx); break;
        case 2: vsip_rcfftmop_f(f, rx, half); break;
        default: vsip_crfftmop_f(f, half, ry); break;
        }
    });
    vsip_fftm_destroy_f(f);
    vsip_cmalldestroy_f(cx);
    vsip_cmalldestroy_f(cy);
    vsip_cmalldestroy_f(half);
    vsip_malldestroy_f(rx);
    vsip_malldestroy_f(ry);
    return c;
}

Counts fir_calls(long calls, vsip_stride x_stride, vsip_length n = 64) {
    vsip_vview_f *k = real_vector(8, 32);
    vsip_fir_f *fir = vsip_fir_create_f(k, VSIP_NONSYM, n, 1, VSIP_STATE_SAVE, 1, VSIP_ALG_TIME);
    vsip_vview_f *x = real_vector(n, 33, x_stride), *y = vsip_vcreate_f(n, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { vsip_firflt_f(fir, x, y); });
    vsip_fir_destroy_f(fir);
    vsip_valldestroy_f(k);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    return c;
}

Counts cfir_calls(long calls, vsip_stride x_stride = 1) {
    vsip_cvview_f *k = complex_vector(8, 34);
    vsip_cfir_f *fir = vsip_cfir_create_f(k, VSIP_NONSYM, 64, 1, VSIP_STATE_SAVE, 1, VSIP_ALG_TIME);
    vsip_cvview_f *x = complex_vector(64, 35, x_stride), *y = vsip_cvcreate_f(64, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { vsip_cfirflt_f(fir, x, y); });
    vsip_cfir_destroy_f(fir);
    vsip_cvalldestroy_f(k);
    vsip_cvalldestroy_f(x);
    vsip_cvalldestroy_f(y);
    return c;
}

struct Shape {
    vsip_length m, k, n; // C is m x n, A m x k, B k x n
};
struct Strided {
    bool a, b, c; // at stride 2 both ways (copied) instead of dense row-major
};

vsip_mview_f *product_operand(vsip_length rows, vsip_length cols, bool strided, unsigned seed) {
    return strided ? real_matrix(rows, cols, 2 * cols, 2, seed) : real_matrix(rows, cols, cols, 1, seed);
}

Counts strided_product(long calls, Shape s, Strided st) {
    vsip_mview_f *A = product_operand(s.m, s.k, st.a, 52), *B = product_operand(s.k, s.n, st.b, 53),
                 *C = product_operand(s.m, s.n, st.c, 54);
    const Counts c = repeat(calls, [&] { vsip_mprod_f(A, B, C); });
    vsip_malldestroy_f(A);
    vsip_malldestroy_f(B);
    vsip_malldestroy_f(C);
    return c;
}

Counts conv_calls(long calls, vsip_length m, vsip_length n) {
    vsip_vview_f *k = real_vector(m, 36);
    vsip_conv1d_f *conv =
        vsip_conv1d_create_f(k, VSIP_NONSYM, n, 1, VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME);
    vsip_vview_f *x = real_vector(n, 37), *y = vsip_vcreate_f(n + m - 1, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { vsip_convolve1d_f(conv, x, y); });
    vsip_conv1d_destroy_f(conv);
    vsip_valldestroy_f(k);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    return c;
}

Counts corr_calls(long calls, vsip_length m, vsip_length n) {
    vsip_corr1d_f *corr = vsip_corr1d_create_f(m, n, VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME);
    vsip_vview_f *ref = real_vector(m, 38), *x = real_vector(n, 39),
                 *y = vsip_vcreate_f(n + m - 1, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { vsip_correlate1d_f(corr, VSIP_UNBIASED, ref, x, y); });
    vsip_corr1d_destroy_f(corr);
    vsip_valldestroy_f(ref);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    return c;
}

Counts ccorr_calls(long calls) {
    const vsip_length m = 16, n = 256;
    vsip_ccorr1d_f *corr = vsip_ccorr1d_create_f(m, n, VSIP_SUPPORT_FULL, 1, VSIP_ALG_TIME);
    vsip_cvview_f *ref = complex_vector(m, 40), *x = complex_vector(n, 41),
                  *y = vsip_cvcreate_f(n + m - 1, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] { vsip_ccorrelate1d_f(corr, VSIP_BIASED, ref, x, y); });
    vsip_ccorr1d_destroy_f(corr);
    vsip_cvalldestroy_f(ref);
    vsip_cvalldestroy_f(x);
    vsip_cvalldestroy_f(y);
    return c;
}

Counts random_calls(long calls, bool complex) {
    vsip_randstate *s = vsip_randcreate(5, 1, 1, VSIP_PRNG);
    vsip_vview_f *r = vsip_vcreate_f(256, VSIP_MEM_NONE);
    vsip_cvview_f *cr = vsip_cvcreate_f(256, VSIP_MEM_NONE);
    const Counts c = repeat(calls, [&] {
        if (complex)
            vsip_cvrandn_f(s, cr);
        else
            vsip_vrandu_f(s, r);
    });
    vsip_randdestroy(s);
    vsip_valldestroy_f(r);
    vsip_cvalldestroy_f(cr);
    return c;
}

constexpr long kCheapCalls = 20000;

const std::vector<PerCallRow> &per_call_rows() {
    constexpr long cheap = kCheapCalls, costly = 1000;
    static const std::vector<PerCallRow> rows = {
        {"vsip_vadd_f", cheap, 0, [](long n) { return real_binary(n, vsip_vadd_f); }},
        {"vsip_vmul_f", cheap, 0, [](long n) { return real_binary(n, vsip_vmul_f); }},
        {"vsip_vatan2_f", cheap, 0, [](long n) { return real_binary(n, vsip_vatan2_f); }},
        {"vsip_vsqrt_f", cheap, 0,
         [](long n) {
             return real_binary(n, [](auto *a, auto *, auto *r) { vsip_vsqrt_f(a, r); });
         }},
        {"vsip_cvmul_f", cheap, 0, [](long n) { return complex_binary(n, vsip_cvmul_f); }},
        {"vsip_vexp10_f", cheap, 0,
         [](long n) {
             return real_binary(n, [](auto *a, auto *, auto *r) { vsip_vexp10_f(a, r); });
         }},
        {"vsip_vexp10_f long", costly, 0,
         [](long n) {
             return real_binary(
                 n, [](auto *a, auto *, auto *r) { vsip_vexp10_f(a, r); }, 5000);
         }},
        {"vsip_vexp10_f strided", cheap, 0,
         [](long n) {
             vsip_vview_f *a = real_vector(256, 42, 2), *r = vsip_vcreate_f(256, VSIP_MEM_NONE);
             const Counts c = repeat(n, [&] { vsip_vexp10_f(a, r); });
             vsip_valldestroy_f(a);
             vsip_valldestroy_f(r);
             return c;
         }},
        {"vsip_cvexp_f", cheap, 0,
         [](long n) {
             return complex_binary(n, [](auto *a, auto *, auto *r) { vsip_cvexp_f(a, r); });
         }},
        {"vsip_cvexp_f long", costly, 0,
         [](long n) {
             return complex_binary(
                 n, [](auto *a, auto *, auto *r) { vsip_cvexp_f(a, r); }, 5000);
         }},
        {"vsip_vdot_f", cheap, 0,
         [](long n) {
             return real_binary(n, [](auto *a, auto *b, auto *) { (void)vsip_vdot_f(a, b); });
         }},
        {"vsip_cvdot_f", cheap, 0,
         [](long n) {
             return complex_binary(n, [](auto *a, auto *b, auto *) { (void)vsip_cvdot_f(a, b); });
         }},
        {"vsip_mprod_f dense", costly, 0,
         [](long n) {
             vsip_mview_f *A = real_matrix(6, 5, 5, 1, 43), *B = real_matrix(5, 4, 4, 1, 44),
                          *C = real_matrix(6, 4, 4, 1, 45);
             const Counts c = repeat(n, [&] { vsip_mprod_f(A, B, C); });
             vsip_malldestroy_f(A);
             vsip_malldestroy_f(B);
             vsip_malldestroy_f(C);
             return c;
         }},
        {"vsip_mprod_f strided A", costly, 0,
         [](long n) { return strided_product(n, {6, 5, 4}, {true, false, false}); }},
        {"vsip_mprod_f strided A, B, C", costly, 0,
         [](long n) { return strided_product(n, {6, 5, 4}, {true, true, true}); }},
        {"vsip_mprod_f strided A, 64 KiB", costly / 10, 0,
         [](long n) { return strided_product(n, {64, 256, 40}, {true, false, false}); }},
        {"vsip_mprod_f strided B, C, 64 KiB", costly / 10, 0,
         [](long n) { return strided_product(n, {60, 100, 90}, {false, true, true}); }},
        {"vsip_mprod_f strided A, beyond 64 KiB", costly / 10, 1,
         [](long n) { return strided_product(n, {64, 257, 40}, {true, false, false}); }},
        {"vsip_cgemp_f conjugated A", costly, 0,
         [](long n) {
             vsip_cmview_f *A = complex_matrix(4, 3, 49), *B = complex_matrix(3, 5, 50),
                           *C = complex_matrix(4, 5, 51);
             const Counts c = repeat(n, [&] {
                 vsip_cgemp_f(vsip_cscalar_f{1.0f, 0.5f}, A, VSIP_MAT_CONJ, B, VSIP_MAT_NTRANS,
                              vsip_cscalar_f{0.25f, 0.0f}, C);
             });
             vsip_cmalldestroy_f(A);
             vsip_cmalldestroy_f(B);
             vsip_cmalldestroy_f(C);
             return c;
         }},
        {"vsip_ccfftop_f", costly, 0, [](long n) { return fft_calls(n, 0); }},
        {"vsip_ccfftip_f", costly, 0, [](long n) { return fft_calls(n, 1); }},
        {"vsip_rcfftop_f", costly, 0, [](long n) { return fft_calls(n, 2); }},
        {"vsip_crfftop_f", costly, 0, [](long n) { return fft_calls(n, 3); }},
        {"vsip_ccfftmop_f", costly, 0, [](long n) { return fftm_calls(n, 0); }},
        {"vsip_ccfftmip_f", costly, 0, [](long n) { return fftm_calls(n, 1); }},
        {"vsip_rcfftmop_f", costly, 0, [](long n) { return fftm_calls(n, 2); }},
        {"vsip_crfftmop_f", costly, 0, [](long n) { return fftm_calls(n, 3); }},
        {"vsip_firflt_f", costly, 0, [](long n) { return fir_calls(n, 1); }},
        {"vsip_firflt_f strided input", costly, 0, [](long n) { return fir_calls(n, 2); }},
        {"vsip_firflt_f strided long input", costly / 10, 0,
         [](long n) { return fir_calls(n, 3, 10000); }},
        {"vsip_cfirflt_f", costly, 0, [](long n) { return cfir_calls(n); }},
        {"vsip_cfirflt_f strided input", costly, 0, [](long n) { return cfir_calls(n, 2); }},
        {"vsip_convolve1d_f direct", costly, 0, [](long n) { return conv_calls(n, 8, 64); }},
        {"vsip_convolve1d_f FFT", costly / 10, 0,
         [](long n) { return conv_calls(n, 128, 4096); }},
        {"vsip_correlate1d_f", costly, 0, [](long n) { return corr_calls(n, 4, 64); }},
        {"vsip_correlate1d_f long", costly / 10, 0,
         [](long n) { return corr_calls(n, 1024, 4096); }},
        {"vsip_ccorrelate1d_f", costly, 0, [](long n) { return ccorr_calls(n); }},
        {"vsip_vrandu_f", cheap, 0, [](long n) { return random_calls(n, false); }},
        {"vsip_cvrandn_f", cheap, 0, [](long n) { return random_calls(n, true); }},
    };
    return rows;
}

TEST(AllocPerCall, EveryExecuteFunctionAllocatesTheDocumentedCount) {
    std::printf("%-32s %10s %14s %14s\n", "function", "calls", "library/call", "FFTW/call");
    for (const PerCallRow &row : per_call_rows()) {
        SCOPED_TRACE(row.name);
        // --calls N gives the cheap rows N calls and the others as many in
        // proportion to their defaults.
        const long calls = g_calls > 0 ? std::max(1L, row.default_calls * g_calls / kCheapCalls)
                                       : row.default_calls;
        const Counts c = row.run(calls);
        std::printf("%-32s %10ld %14.3f %14.3f\n", row.name, calls,
                    static_cast<double>(c.library) / static_cast<double>(calls),
                    static_cast<double>(c.fftw) / static_cast<double>(calls));
        EXPECT_EQ(c.library, row.library_per_call * calls);
        EXPECT_EQ(c.fftw, 0);
        EXPECT_EQ(c.live, 0u);
    }
}

// ---- The allocation-free paths give the bits of one pass over a copy ------------
//
// Each row computes a result through the path that once took a temporary
// (pieces of a stack buffer, the filter's work area, a product's stack
// buffer) and the same result in one pass over a dense copy of the
// operands; the two must agree bit for bit.

struct SameBitsRow {
    std::string name;
    std::function<std::vector<float>()> through_pieces;
    std::function<std::vector<float>()> over_copy;
};

std::vector<float> ramp(vsip_length n, float scale, float shift, unsigned seed) {
    std::vector<float> v(n);
    for (vsip_length i = 0; i < n; ++i)
        v[i] = sample(static_cast<unsigned>(i), seed) * scale + shift;
    return v;
}

SameBitsRow exp10_row(vsip_length n) {
    const std::vector<float> a = ramp(n, 42.0f, 0.0f, 60);
    return {"vsip_vexp10_f n=" + std::to_string(n),
            [a] {
                const vsip_length len = a.size();
                vsip_vview_f *x = vsip_vcreate_f(len, VSIP_MEM_NONE), *r = vsip_vcreate_f(len, VSIP_MEM_NONE);
                for (vsip_length i = 0; i < len; ++i)
                    vsip_vput_f(x, i, a[i]);
                vsip_vexp10_f(x, r);
                std::vector<float> out = values(r);
                vsip_valldestroy_f(x);
                vsip_valldestroy_f(r);
                return out;
            },
            [a] {
                std::vector<float> tens(a.size(), 10.0f), r(a.size());
                vsPow(static_cast<int>(a.size()), tens.data(), a.data(), r.data());
                return r;
            }};
}

SameBitsRow cvexp_row(vsip_length n) {
    const std::vector<float> re = ramp(n, 95.0f, 0.0f, 61), im = ramp(n, 3.0e4f, 1.0f, 62);
    return {"vsip_cvexp_f n=" + std::to_string(n),
            [re, im] {
                const vsip_length len = re.size();
                vsip_cvview_f *x = vsip_cvcreate_f(len, VSIP_MEM_NONE), *r = vsip_cvcreate_f(len, VSIP_MEM_NONE);
                for (vsip_length i = 0; i < len; ++i)
                    vsip_cvput_f(x, i, vsip_cscalar_f{re[i], im[i]});
                vsip_cvexp_f(x, r);
                std::vector<float> out = values(r);
                vsip_cvalldestroy_f(x);
                vsip_cvalldestroy_f(r);
                return out;
            },
            [re, im] {
                const int len = static_cast<int>(re.size());
                std::vector<float> e(len), c(len), s(len), out;
                vsExp(len, re.data(), e.data());
                vsCos(len, im.data(), c.data());
                vsSin(len, im.data(), s.data());
                for (int i = 0; i < len; ++i) {
                    out.push_back(c[i] * e[i]);
                    out.push_back(s[i] * e[i]);
                }
                return out;
            }};
}

// A view of n elements at `stride` (negative: the block read backwards),
// holding v.
vsip_vview_f *bound_real(const std::vector<float> &v, vsip_stride stride) {
    const vsip_length n = v.size(), step = static_cast<vsip_length>(stride < 0 ? -stride : stride);
    vsip_block_f *b = vsip_blockcreate_f(n * step, VSIP_MEM_NONE);
    vsip_vview_f *x = vsip_vbind_f(b, stride < 0 ? (n - 1) * step : 0, stride, n);
    for (vsip_length i = 0; i < n; ++i)
        vsip_vput_f(x, i, v[i]);
    return x;
}

// Complex view over split storage, or over interleaved user storage.
vsip_cvview_f *bound_complex(const std::vector<float> &v, vsip_stride stride,
                             bool interleaved = false) {
    const vsip_length n = v.size() / 2, step = static_cast<vsip_length>(stride);
    vsip_cblock_f *b;
    if (interleaved) {
        auto *data = new std::vector<float>(2 * n * step); // released with the process's tests
        static std::vector<std::unique_ptr<std::vector<float>>> keep;
        keep.emplace_back(data);
        b = vsip_cblockbind_f(data->data(), nullptr, n * step, VSIP_MEM_NONE);
        vsip_cblockadmit_f(b, VSIP_TRUE);
    } else {
        b = vsip_cblockcreate_f(n * step, VSIP_MEM_NONE);
    }
    vsip_cvview_f *x = vsip_cvbind_f(b, 0, stride, n);
    for (vsip_length i = 0; i < n; ++i)
        vsip_cvput_f(x, i, vsip_cscalar_f{v[2 * i], v[2 * i + 1]});
    return x;
}

struct FirCase {
    bool complex;
    vsip_length m, d, n;
    vsip_stride stride;
    vsip_obj_state state;
    bool interleaved_output; // complex: the output in interleaved storage
};

// Three blocks through a filter whose input has the given stride, outputs
// and returned counts one after the other.
std::vector<float> filter_blocks(const FirCase &c, vsip_stride stride) {
    std::vector<float> out;
    const std::vector<float> h = ramp(c.complex ? 2 * c.m : c.m, 0.3f, 0.0f, 63);
    const vsip_length outputs = c.n / c.d + 1;
    if (!c.complex) {
        vsip_vview_f *k = bound_real(h, 1), *y = vsip_vcreate_f(outputs, VSIP_MEM_NONE);
        vsip_fir_f *fir = vsip_fir_create_f(k, VSIP_NONSYM, c.n, c.d, c.state, 1, VSIP_ALG_TIME);
        for (unsigned block = 0; block < 3; ++block) {
            vsip_vview_f *x = bound_real(ramp(c.n, 1.0f, 0.0f, 64 + block), stride);
            fill(y, kUntouched);
            out.push_back(static_cast<float>(vsip_firflt_f(fir, x, y)));
            const std::vector<float> v = values(y);
            out.insert(out.end(), v.begin(), v.end());
            vsip_valldestroy_f(x);
        }
        vsip_fir_destroy_f(fir);
        vsip_valldestroy_f(k);
        vsip_valldestroy_f(y);
        return out;
    }
    vsip_cvview_f *k = bound_complex(h, 1);
    vsip_cvview_f *y = bound_complex(std::vector<float>(2 * outputs), 1, c.interleaved_output);
    vsip_cfir_f *fir = vsip_cfir_create_f(k, VSIP_NONSYM, c.n, c.d, c.state, 1, VSIP_ALG_TIME);
    for (unsigned block = 0; block < 3; ++block) {
        vsip_cvview_f *x = bound_complex(ramp(2 * c.n, 1.0f, 0.0f, 64 + block), stride);
        fill(y, kUntouched);
        out.push_back(static_cast<float>(vsip_cfirflt_f(fir, x, y)));
        const std::vector<float> v = values(y);
        out.insert(out.end(), v.begin(), v.end());
        vsip_cvalldestroy_f(x);
    }
    vsip_cfir_destroy_f(fir);
    vsip_cvalldestroy_f(k);
    vsip_cvalldestroy_f(y);
    return out;
}

SameBitsRow fir_row(const FirCase &c) {
    return {std::string(c.complex ? "vsip_cfirflt_f" : "vsip_firflt_f") + " M=" +
                std::to_string(c.m) + " D=" + std::to_string(c.d) + " N=" + std::to_string(c.n) +
                " stride=" + std::to_string(c.stride) + (c.interleaved_output ? " interleaved y" : ""),
            [c] { return filter_blocks(c, c.stride); }, [c] { return filter_blocks(c, 1); }};
}

// C = alpha op(A) B + beta C with A, B, C at stride 2 both ways (as asked),
// against the same values in dense row-major storage, CBLAS's own layout.
struct ProductCase {
    Shape shape;
    Strided strided;
    bool complex_conj; // vsip_cgemp_f with A conjugated, else vsip_gemp_f
};

std::vector<float> product_result(const ProductCase &pc, bool dense) {
    const Shape s = pc.shape;
    if (!pc.complex_conj) {
        vsip_mview_f *A = product_operand(s.m, s.k, pc.strided.a && !dense, 70),
                     *B = product_operand(s.k, s.n, pc.strided.b && !dense, 71),
                     *C = product_operand(s.m, s.n, pc.strided.c && !dense, 72);
        vsip_gemp_f(1.5f, A, VSIP_MAT_NTRANS, B, VSIP_MAT_NTRANS, 0.5f, C);
        std::vector<float> out = values(C, s.m, s.n);
        vsip_malldestroy_f(A);
        vsip_malldestroy_f(B);
        vsip_malldestroy_f(C);
        return out;
    }
    // Split storage (copied) against interleaved dense storage, where the
    // conjugate is taken in advance.
    auto make = [dense](vsip_length rows, vsip_length cols, unsigned seed, bool conj) {
        std::vector<float> v;
        for (vsip_length e = 0; e < rows * cols; ++e) {
            v.push_back(sample(static_cast<unsigned>(e), seed));
            v.push_back((dense && conj ? -1.0f : 1.0f) * sample(static_cast<unsigned>(e), seed + 3));
        }
        vsip_cvview_f *flat = bound_complex(v, 1, dense);
        vsip_cmview_f *m = vsip_cmbind_f(vsip_cvgetblock_f(flat), 0, static_cast<vsip_stride>(cols),
                                         rows, 1, cols);
        vsip_cvdestroy_f(flat);
        return m;
    };
    vsip_cmview_f *A = make(s.m, s.k, 73, true), *B = make(s.k, s.n, 74, false),
                  *C = make(s.m, s.n, 75, false);
    vsip_cgemp_f(vsip_cscalar_f{1.0f, 0.5f}, A, dense ? VSIP_MAT_NTRANS : VSIP_MAT_CONJ, B,
                 VSIP_MAT_NTRANS, vsip_cscalar_f{0.25f, -0.5f}, C);
    std::vector<float> out = values(C, s.m, s.n);
    vsip_cmalldestroy_f(A);
    vsip_cmalldestroy_f(B);
    vsip_cmalldestroy_f(C);
    return out;
}

SameBitsRow product_row(const ProductCase &pc) {
    const Shape s = pc.shape;
    return {std::string(pc.complex_conj ? "vsip_cgemp_f conj A" : "vsip_gemp_f") + " " +
                std::to_string(s.m) + "x" + std::to_string(s.k) + "x" + std::to_string(s.n) +
                (pc.strided.a ? " A" : "") + (pc.strided.b ? " B" : "") + (pc.strided.c ? " C" : ""),
            [pc] { return product_result(pc, false); }, [pc] { return product_result(pc, true); }};
}

std::vector<SameBitsRow> same_bits_rows() {
    std::vector<SameBitsRow> rows;
    for (vsip_length n : {1u, 7u, 1000u, 1024u, 1025u, 3 * 1024u + 13u, 20000u}) {
        rows.push_back(exp10_row(n));
        rows.push_back(cvexp_row(n));
    }
    const FirCase firs[] = {
        {false, 8, 1, 10000, 2, VSIP_STATE_SAVE, false},
        {false, 64, 3, 9000, -1, VSIP_STATE_SAVE, false},
        {false, 300, 7, 5000, 3, VSIP_STATE_NO_SAVE, false},
        {false, 5, 5000, 6000, 2, VSIP_STATE_SAVE, false},
        {false, 1, 1, 100, 2, VSIP_STATE_SAVE, false},
        {false, 4100, 1, 8300, 2, VSIP_STATE_SAVE, false},
        {true, 16, 2, 9000, 2, VSIP_STATE_SAVE, false},
        {true, 100, 1, 4500, 3, VSIP_STATE_SAVE, false},
        {true, 12, 1, 5000, 2, VSIP_STATE_SAVE, true},
    };
    for (const FirCase &c : firs)
        rows.push_back(fir_row(c));
    const ProductCase products[] = {
        {{6, 5, 4}, {true, false, false}, false},
        {{64, 256, 40}, {true, false, false}, false},
        {{30, 3000, 20}, {true, false, false}, false},
        {{60, 100, 90}, {false, true, true}, false},
        {{200, 50, 100}, {false, false, true}, false},
        {{20, 200, 30}, {true, true, true}, false},
        {{4, 3, 5}, {false, false, false}, true},
        {{20, 60, 30}, {false, false, false}, true},
        {{64, 200, 30}, {false, false, false}, true},
    };
    for (const ProductCase &pc : products)
        rows.push_back(product_row(pc));
    return rows;
}

TEST(AllocFreePaths, SameBitsAsOnePassOverACopy) {
    for (const SameBitsRow &row : same_bits_rows()) {
        SCOPED_TRACE(row.name);
        const std::vector<float> got = row.through_pieces(), want = row.over_copy();
        ASSERT_EQ(got.size(), want.size());
        EXPECT_EQ(0, std::memcmp(got.data(), want.data(), sizeof(float) * got.size()));
    }
}

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--calls") == 0 && i + 1 < argc)
            g_calls = std::atol(argv[++i]);
    // One thread: a run of an element-wise call then takes one temporary,
    // and the counting hooks are not shared between threads.
    tml_vsip_set_num_threads(1);
    // The product fallbacks announce their copies at INFO level.
    setenv("VSIP_LOG_LEVEL", "WARNING", 0);
    return RUN_ALL_TESTS();
}
