// Element-wise comparisons into boolean views, all-true tests, clipping,
// and element-wise maxima and minima.
#include <cmath>

#include "common/walk.hpp"

using vi::length_of;

namespace {

using vi::idx;

// Boolean results hold 1 for true and 0 for false.  Float comparisons
// follow IEEE 754: a NaN operand makes every comparison false but !=.
template <class V, class Pred>
inline void compare(const V *a, const V *b, const vsip_vview_bl *r, Pred pred) {
    vi::elementwise<vi::split_only>(
        length_of(r), [pred](auto x, auto y) { return static_cast<vsip_scalar_bl>(pred(x, y) ? 1 : 0); },
        vi::walk(r), vi::walk(a), vi::walk(b));
}

template <class M>
inline void mcompare_equal(const M *A, const M *B, const vsip_mview_bl *R) {
    vi::matrix_elementwise(
        R->col_length, R->row_length, [](auto x, auto y) { return static_cast<vsip_scalar_bl>(x == y ? 1 : 0); },
        vi::walk(R), vi::walk(A), vi::walk(B));
}

inline auto clip(float t1, float t2, float c1, float c2) {
    return [=](float x) { return x <= t1 ? c1 : x < t2 ? x : c2; };
}

// Maxima and minima return a NaN operand (either one) as the result.
inline float larger(float a, float b) { return (a >= b || a != a) ? a : b; }
inline float smaller(float a, float b) { return (a <= b || a != a) ? a : b; }
inline float magsq(vsip_cscalar_f x) { return std::fma(x.r, x.r, x.i * x.i); }

template <class Op>
inline void binary_real(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r, Op op) {
    vi::elementwise<vi::split_only>(length_of(r), op, vi::walk(r), vi::walk(a), vi::walk(b));
}

template <class Op>
inline void binary_magsq(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_vview_f *r, Op op) {
    vi::elementwise<vi::split_only>(
        length_of(r), [op](vsip_cscalar_f x, vsip_cscalar_f y) { return op(magsq(x), magsq(y)); }, vi::walk(r),
        vi::walk(a), vi::walk(b));
}

} // namespace

extern "C" {

// ---- Comparisons ------------------------------------------------------------------

VSIP_API void vsip_vleq_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x == y; });
}
VSIP_API void vsip_vlne_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x != y; });
}
VSIP_API void vsip_vlge_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x >= y; });
}
VSIP_API void vsip_vlgt_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x > y; });
}
VSIP_API void vsip_vlle_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x <= y; });
}
VSIP_API void vsip_vllt_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](float x, float y) { return x < y; });
}
VSIP_API void vsip_vleq_i(const vsip_vview_i *a, const vsip_vview_i *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](vsip_scalar_i x, vsip_scalar_i y) { return x == y; });
}
VSIP_API void vsip_vleq_vi(const vsip_vview_vi *a, const vsip_vview_vi *b, const vsip_vview_bl *r) {
    compare(a, b, r, [](vsip_scalar_vi x, vsip_scalar_vi y) { return x == y; });
}
VSIP_API void vsip_mleq_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_bl *R) {
    mcompare_equal(A, B, R);
}
VSIP_API void vsip_mleq_i(const vsip_mview_i *A, const vsip_mview_i *B, const vsip_mview_bl *R) {
    mcompare_equal(A, B, R);
}

// ---- All-true tests ------------------------------------------------------------------

// Stops at the first false element.
VSIP_API vsip_scalar_bl vsip_valltrue_bl(const vsip_vview_bl *a) {
    const auto w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    for (idx i = 0; i < n; ++i)
        if (w.p[i * w.step] == 0)
            return 0;
    return 1;
}

// Counts the true elements of the whole matrix.
VSIP_API vsip_scalar_bl vsip_malltrue_bl(const vsip_mview_bl *A) {
    vsip_length count = 0;
    vi::matrix_scan(vi::walk(A), A->col_length, A->row_length, [&count](vsip_scalar_bl x) { count += x != 0; });
    return count == A->row_length * A->col_length ? 1 : 0;
}

// ---- Clipping ---------------------------------------------------------------------------

VSIP_API void vsip_vclip_f(const vsip_vview_f *a, vsip_scalar_f t1, vsip_scalar_f t2, vsip_scalar_f c1,
                           vsip_scalar_f c2, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), clip(t1, t2, c1, c2), vi::walk(r), vi::walk(a));
}
VSIP_API void vsip_mclip_f(const vsip_mview_f *A, vsip_scalar_f t1, vsip_scalar_f t2, vsip_scalar_f c1,
                           vsip_scalar_f c2, const vsip_mview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, clip(t1, t2, c1, c2), vi::walk(R), vi::walk(A));
}
VSIP_API void vsip_vinvclip_f(const vsip_vview_f *a, vsip_scalar_f t1, vsip_scalar_f t2, vsip_scalar_f t3,
                              vsip_scalar_f c1, vsip_scalar_f c2, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(
        length_of(r), [=](float x) { return x < t1 ? x : x < t2 ? c1 : x <= t3 ? c2 : x; }, vi::walk(r),
        vi::walk(a));
}

// ---- Maxima and minima -----------------------------------------------------------------

VSIP_API void vsip_vmax_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    binary_real(a, b, r, larger);
}
VSIP_API void vsip_vmin_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    binary_real(a, b, r, smaller);
}
VSIP_API void vsip_vmaxmg_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    binary_real(a, b, r, [](float x, float y) { return larger(std::fabs(x), std::fabs(y)); });
}
VSIP_API void vsip_vminmg_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    binary_real(a, b, r, [](float x, float y) { return smaller(std::fabs(x), std::fabs(y)); });
}
VSIP_API void vsip_vcmaxmgsq_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_vview_f *r) {
    binary_magsq(a, b, r, larger);
}
VSIP_API void vsip_vcminmgsq_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_vview_f *r) {
    binary_magsq(a, b, r, smaller);
}

} // extern "C"
