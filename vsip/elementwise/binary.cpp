// Binary arithmetic: real, complex and mixed vectors with scalar operands,
// exponential average, hypotenuse, matrix subtraction and scaling, and the
// vector-by-matrix element-wise product.
//
// Divisions, hypotenuses and complex products spread long views over
// threads (vi::threaded_elementwise); sums, differences and real products
// are limited by memory and stay on the calling thread.
#include <cmath>
#include <cstdint>
#include <cstring>

#include <dazaro_tv.h>

#include "common/walk.hpp"
#include "complex_ops.hpp"
#include "internal.hpp"

using vi::length_of;

namespace {

using vi::walk;
using vi::C;
using array_fn = void (*)(int, const float *, const float *, float *);

// Complex addition and subtraction: the array function twice on split
// parts, once over the 2n floats of interleaved storage, otherwise an
// element loop.
template <class Op>
void complex_array_pair(vsip_length n, array_fn fn, Op op, const vi::cplx_walk &r,
                        const vi::cplx_walk &a, const vi::cplx_walk &b) {
    const vi::idx count = static_cast<vi::idx>(n);
    switch (vi::choose_pass<vi::split_or_interleaved>(r, a, b)) {
    case vi::pass::contiguous:
        vi::in_chunks(count, [&](int c, vi::idx k) { fn(c, a.re + k, b.re + k, r.re + k); });
        vi::in_chunks(count, [&](int c, vi::idx k) { fn(c, a.im + k, b.im + k, r.im + k); });
        break;
    case vi::pass::interleaved:
        vi::in_chunks(2 * count, [&](int c, vi::idx k) { fn(c, a.re + k, b.re + k, r.re + k); });
        break;
    case vi::pass::strided:
        vi::each(count, op, vi::ref<vi::pass::strided>(r), vi::ref<vi::pass::strided>(a),
                 vi::ref<vi::pass::strided>(b));
        break;
    }
}

constexpr auto add = [](float x, float y) { return x + y; };
constexpr auto sub = [](float x, float y) { return x - y; };
constexpr auto mul = [](float x, float y) { return x * y; };
constexpr auto quo = [](float x, float y) { return x / y; };

} // namespace

extern "C" {

// ---- Real vectors ----------------------------------------------------------

VSIP_API void vsip_vadd_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::array_or_strided(length_of(r), vsAdd, add, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_vsub_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::array_or_strided(length_of(r), vsSub, sub, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_vmul_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), mul, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_vdiv_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), quo, walk(r), walk(a), walk(b));
}

// Unscaled: overflows to +infinity above about 1.8e19.
VSIP_API void vsip_vhypot_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::threaded_elementwise<vi::split_only>(
        length_of(r), [](float x, float y) { return std::sqrt(x * x + y * y); }, walk(r), walk(a),
        walk(b));
}

VSIP_API void vsip_svadd_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), add, walk(r), alpha, walk(b));
}

VSIP_API void vsip_svsub_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), sub, walk(r), alpha, walk(b));
}

VSIP_API void vsip_svmul_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), mul, walk(r), alpha, walk(b));
}

VSIP_API void vsip_svdiv_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), quo, walk(r), alpha, walk(b));
}

// c = alpha b + (1 - alpha) c, with 1 - alpha rounded once.
VSIP_API void vsip_vexpoavg_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *c) {
    const float rest = 1.0f - alpha;
    vi::elementwise<vi::split_only>(
        length_of(c), [alpha, rest](float x, float y) { return alpha * x + rest * y; }, walk(c),
        walk(b), walk(c));
}

// ---- Complex vectors -------------------------------------------------------

VSIP_API void vsip_cvadd_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    complex_array_pair(length_of(r), vsAdd, vi::c_add, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_cvsub_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    complex_array_pair(length_of(r), vsSub, vi::c_sub, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_cvmul_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), vi::c_mul, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_cvjmul_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), vi::c_jmul, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_cvdiv_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), vi::c_div, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_csvadd_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(length_of(r), vi::c_add, walk(r), alpha, walk(b));
}

VSIP_API void vsip_csvsub_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(length_of(r), vi::c_sub, walk(r), alpha, walk(b));
}

VSIP_API void vsip_csvmul_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), vi::c_mul, walk(r), alpha, walk(b));
}

// Both parts with the same real alpha.
VSIP_API void vsip_cvexpoavg_f(vsip_scalar_f alpha, const vsip_cvview_f *b,
                               const vsip_cvview_f *c) {
    const float rest = 1.0f - alpha;
    vi::elementwise<vi::split_only>(
        length_of(c),
        [alpha, rest](C x, C y) { return C{alpha * x.r + rest * y.r, alpha * x.i + rest * y.i}; },
        walk(c), walk(b), walk(c));
}

// ---- Mixed real and complex ------------------------------------------------

// (a + b.re, b.im): the array function on the real parts and a copy of the
// imaginary parts when everything is unit-stride split.
VSIP_API void vsip_rcvadd_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    const vi::real_walk<float> wa = walk(a);
    const vi::cplx_walk wb = walk(b), wr = walk(r);
    const vi::idx n = static_cast<vi::idx>(length_of(r));
    if (vi::choose_pass<vi::split_only>(wr, wa, wb) == vi::pass::contiguous) {
        vi::in_chunks(n, [&](int c, vi::idx k) { vsAdd(c, wa.p + k, wb.re + k, wr.re + k); });
        if (n > 0 && wr.im != wb.im)
            std::memmove(wr.im, wb.im, static_cast<std::size_t>(n) * sizeof(float));
    } else {
        vi::each(n, [](float x, C y) { return C{x + y.r, y.i}; }, vi::ref<vi::pass::strided>(wr),
                 vi::ref<vi::pass::strided>(wa), vi::ref<vi::pass::strided>(wb));
    }
}

// (a - b.re, -b.im), the imaginary sign flipped by bit.
VSIP_API void vsip_rcvsub_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r), [](float x, C y) { return C{x - y.r, vi::flip_sign(y.i)}; }, walk(r), walk(a),
        walk(b));
}

VSIP_API void vsip_rcvmul_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_only>(
        length_of(r), [](float x, C y) { return C{x * y.r, x * y.i}; }, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_crvsub_f(const vsip_cvview_f *a, const vsip_vview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r), [](C x, float y) { return C{x.r - y, x.i}; }, walk(r), walk(a), walk(b));
}

VSIP_API void vsip_rscvadd_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r), [alpha](C y) { return C{alpha + y.r, y.i}; }, walk(r), walk(b));
}

VSIP_API void vsip_rscvsub_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r), [alpha](C y) { return C{alpha - y.r, vi::flip_sign(y.i)}; }, walk(r),
        walk(b));
}

VSIP_API void vsip_rscvmul_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_only>(
        length_of(r), [alpha](C y) { return C{alpha * y.r, alpha * y.i}; }, walk(r), walk(b));
}

// ---- Matrices --------------------------------------------------------------

VSIP_API void vsip_msub_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, sub, walk(R), walk(A), walk(B));
}

// 32-bit two's-complement wrap-around.
VSIP_API void vsip_msub_i(const vsip_mview_i *A, const vsip_mview_i *B, const vsip_mview_i *R) {
    vi::matrix_elementwise(
        R->col_length, R->row_length,
        [](vsip_scalar_i x, vsip_scalar_i y) {
            return static_cast<vsip_scalar_i>(static_cast<std::uint32_t>(x) -
                                              static_cast<std::uint32_t>(y));
        },
        walk(R), walk(A), walk(B));
}

VSIP_API void vsip_cmsub_f(const vsip_cmview_f *A, const vsip_cmview_f *B, const vsip_cmview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, vi::c_sub, walk(R), walk(A), walk(B));
}

VSIP_API void vsip_smmul_f(vsip_scalar_f alpha, const vsip_mview_f *B, const vsip_mview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, mul, walk(R), alpha, walk(B));
}

VSIP_API void vsip_csmmul_f(vsip_cscalar_f alpha, const vsip_cmview_f *B, const vsip_cmview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, vi::c_mul, walk(R), alpha, walk(B));
}

// Row major: R[i][j] = a[j] B[i][j] for every row of B; otherwise
// R[i][j] = a[i] B[i][j] for every column of B.
VSIP_API void vsip_cvmmul_f(const vsip_cvview_f *a, const vsip_cmview_f *B, vsip_major major,
                            const vsip_cmview_f *R) {
    const vi::cplx_walk wa = walk(a);
    const vi::cplx_mwalk wb = walk(B), wr = walk(R);
    const vi::step_cref av{wa.re, wa.im, wa.step};
    const bool rows = major == VSIP_ROW;
    const vi::idx lines = static_cast<vi::idx>(rows ? B->col_length : B->row_length);
    const vi::idx count = static_cast<vi::idx>(rows ? R->row_length : R->col_length);
    for (vi::idx o = 0; o < lines; ++o)
        vi::each(count, [](C x, C y) { return vi::c_mul(y, x); }, vi::line(wr, rows, o),
                 vi::line(wb, rows, o), av);
}

} // extern "C"
