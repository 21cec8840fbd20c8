// Dot products and matrix-vector products.
//
// vsip_vdot_f and the matrix-vector products hand unit-stride (vdot) or
// CBLAS-addressable (gemv) operands to CBLAS and otherwise sum in order in
// single precision, each product rounded before it is added.  The complex
// dot products are the library's own: eight lanes of fused multiply-adds
// on split unit-stride vectors, combined in lane order, and one running
// sum elsewhere.
#include "common/cblas.hpp"
#include "linalg/operand.hpp"

using vi::length_of;

namespace {

using vi::idx;

// Sum of a[i] b[i] (b conjugated for Conj), fused multiply-adds:
// re += a.r b.r - a.i b.i, im += a.r b.i + a.i b.r.
template <bool Conj>
struct cdot {
    float re = 0.0f;
    float im = 0.0f;
    void add(float ar, float ai, float br, float bi) {
        if (Conj)
            bi = -bi;
        re = __builtin_fmaf(ar, br, re);
        re = __builtin_fmaf(-ai, bi, re);
        im = __builtin_fmaf(ar, bi, im);
        im = __builtin_fmaf(ai, br, im);
    }
};

template <bool Conj>
VI_LOOP_CLONES vsip_cscalar_f split_dot(idx n, const float *ar, const float *ai, const float *br,
                                        const float *bi) {
    constexpr idx kLanes = 8;
    cdot<Conj> lane[kLanes];
    idx i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (idx l = 0; l < kLanes; ++l)
            lane[l].add(ar[i + l], ai[i + l], br[i + l], bi[i + l]);
    cdot<Conj> total;
    for (idx l = 0; l < kLanes; ++l) {
        total.re += lane[l].re;
        total.im += lane[l].im;
    }
    for (; i < n; ++i)
        total.add(ar[i], ai[i], br[i], bi[i]);
    return {total.re, total.im};
}

template <bool Conj>
vsip_cscalar_f complex_dot(const vsip_cvview_f *a, const vsip_cvview_f *b) {
    const vi::cplx_walk wa = vi::walk(a), wb = vi::walk(b);
    const idx n = static_cast<idx>(length_of(a));
    if (vi::choose_pass<vi::split_only, vi::operand_first>(wa, wb) == vi::pass::contiguous)
        return split_dot<Conj>(n, wa.re, wa.im, wb.re, wb.im);
    cdot<Conj> sum;
    for (idx i = 0; i < n; ++i)
        sum.add(wa.re[i * wa.step], wa.im[i * wa.step], wb.re[i * wb.step], wb.im[i * wb.step]);
    return {sum.re, sum.im};
}

// y = A x for A of M x N; the matrix-vector products of either side.
// CBLAS leaves y as it is for N = 0, so that case takes the loop (y = 0).
void gemv(const vi::mat<float> &a, const vi::real_walk<float> &x, const vi::real_walk<float> &y) {
    vi::blas_mat<float> pa;
    vi::blas_vec<float> px, py;
    if (a.cols > 0 && vi::place(a, &pa) && vi::place(x.p, x.step, a.cols, &px) &&
        vi::place(y.p, y.step, a.rows, &py)) {
        cblas_sgemv(pa.row_major ? vi::CBLAS_ROW_MAJOR : vi::CBLAS_COL_MAJOR, vi::CBLAS_NO_TRANS,
                    static_cast<int>(a.rows), static_cast<int>(a.cols), 1.0f, pa.p, pa.ld, px.p,
                    px.inc, 0.0f, py.p, py.inc);
        return;
    }
    // y[i] is stored after every addition.
    for (idx i = 0; i < a.rows; ++i) {
        float *yi = y.p + i * y.step;
        *yi = 0.0f;
        for (idx j = 0; j < a.cols; ++j)
            *yi = *yi + a.re[i * a.cs + j * a.rs] * x.p[j * x.step];
    }
}

} // namespace

extern "C" {

VSIP_API vsip_scalar_f vsip_vdot_f(const vsip_vview_f *a, const vsip_vview_f *b) {
    VI_CHECK(vi::chk::views_fault(a, b), 0.0f);
    VI_CHECK(vi::chk::short_fault(b->length < a->length), 0.0f);
    const vi::real_walk<float> wa = vi::walk(a), wb = vi::walk(b);
    const idx n = static_cast<idx>(length_of(a));
    if (wa.unit && wb.unit && vi::fits_int(n))
        return cblas_sdot(static_cast<int>(n), wa.p, 1, wb.p, 1);
    float sum = 0.0f;
    for (idx i = 0; i < n; ++i)
        sum = sum + wa.p[i * wa.step] * wb.p[i * wb.step];
    return sum;
}

VSIP_API vsip_cscalar_f vsip_cvdot_f(const vsip_cvview_f *a, const vsip_cvview_f *b) {
    VI_CHECK(vi::chk::views_fault(a, b), {});
    VI_CHECK(vi::chk::short_fault(b->length < a->length), {});
    return complex_dot<false>(a, b);
}

VSIP_API vsip_cscalar_f vsip_cvjdot_f(const vsip_cvview_f *a, const vsip_cvview_f *b) {
    VI_CHECK(vi::chk::views_fault(a, b), {});
    VI_CHECK(vi::chk::short_fault(b->length < a->length), {});
    return complex_dot<true>(a, b);
}

VSIP_API void vsip_mvprod_f(const vsip_mview_f *A, const vsip_vview_f *x, const vsip_vview_f *y) {
    VI_CHECK(vi::chk::matrix_vector_fault(A, false, x, y));
    VI_CHECK(vi::shared_fault(vi::walk(y), vi::walk(A), vi::walk(x)));
    gemv(vi::as_mat(A), vi::walk(x), vi::walk(y));
}

// y = x^T A = A^T x.
VSIP_API void vsip_vmprod_f(const vsip_vview_f *x, const vsip_mview_f *A, const vsip_vview_f *y) {
    VI_CHECK(vi::chk::matrix_vector_fault(A, true, x, y));
    VI_CHECK(vi::shared_fault(vi::walk(y), vi::walk(A), vi::walk(x)));
    gemv(vi::as_mat(A).transposed(), vi::walk(x), vi::walk(y));
}

} // extern "C"
