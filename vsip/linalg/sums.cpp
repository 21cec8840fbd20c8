// General matrix sums C = alpha op(A) + beta C.
//
// After the conformance check, dense operands of the same strict layout
// (row step below or above the column step) are updated in one flat pass
// over their M x N contiguous elements; dense operands of different or
// undecided layouts first bring op(A) into a temporary of C's layout;
// everything else is a double loop with the views' own steps (also when
// the temporary cannot be allocated).  Complex sums take the flat pass
// over split storage only.
//
// Rounding: beta C is rounded first and alpha A added in one fused
// multiply-add.  The flat pass runs blocks of 8 elements in one of four
// forms (alpha = beta = 1: C + A; alpha = 1: C beta + A fused; beta = 1:
// A alpha + C fused; otherwise the general form) and its tail in the
// general form.
#include <cinttypes>
#include <cstdio>

#include "common/lines.hpp"

namespace {

using vi::idx;
using C = vsip_cscalar_f;

// The element operation, result = f(a, c).
struct real_sum {
    float alpha, beta;
    float general(float a, float c) const { return __builtin_fmaf(alpha, a, beta * c); }
    float block(float a, float c) const {
        if (alpha == 1.0f && beta == 1.0f)
            return c + a;
        if (alpha == 1.0f)
            return __builtin_fmaf(c, beta, a);
        if (beta == 1.0f)
            return __builtin_fmaf(a, alpha, c);
        return general(a, c);
    }
};

// Complex: beta C with rounded products, then the two products of alpha A
// added by fused multiply-adds; alpha = beta = 1 adds exactly.
struct complex_sum {
    C alpha, beta;
    bool conj; // op(A) conjugated
    C general(C a, C c) const {
        if (conj)
            a.i = -a.i;
        const C t{beta.r * c.r - beta.i * c.i, beta.r * c.i + beta.i * c.r};
        return {__builtin_fmaf(alpha.r, a.r, __builtin_fmaf(-alpha.i, a.i, t.r)),
                __builtin_fmaf(alpha.r, a.i, __builtin_fmaf(alpha.i, a.r, t.i))};
    }
    C block(C a, C c) const {
        if (alpha.r == 1.0f && alpha.i == 0.0f && beta.r == 1.0f && beta.i == 0.0f)
            return {c.r + a.r, c.i + (conj ? -a.i : a.i)};
        return general(a, c);
    }
};

// 0 row-major (row step below column step), 1 column-major, -1 undecided.
template <class M>
int strict_layout(const M &m) {
    return m.row_step < m.col_step ? 0 : m.row_step > m.col_step ? 1 : -1;
}

template <class Sum, class R, class A>
VI_LOOP_CLONES void flat_pass(idx n, const Sum &sum, R c, A a) {
    const idx body = n - n % 8;
    for (idx i = 0; i < body; ++i)
        c.put(i, sum.block(a.get(i), c.get(i)));
    for (idx i = body; i < n; ++i)
        c.put(i, sum.general(a.get(i), c.get(i)));
}

// Steps and walk of a dense rows x cols temporary in the given order
// (0 row-major, 1 column-major); split parts for complex data.
inline vi::mshape dense_steps(int order, idx rows, idx cols) {
    return order == 1 ? vi::mshape{rows, 1} : vi::mshape{1, cols};
}
vi::real_mwalk<float> temp_walk(const vi::real_mwalk<float> &, float *p, vi::mshape s) {
    return VI_TEMP_WALK(vi::real_mwalk<float>, p, s.row_step, s.col_step, s.row_step < s.col_step);
}
vi::cplx_mwalk temp_walk(const vi::cplx_mwalk &, float *p, vi::mshape s, idx n) {
    return VI_TEMP_WALK(vi::cplx_mwalk, p, p + n, s.row_step, s.col_step, s.row_step < s.col_step);
}

inline auto flat_ref(const vi::real_mwalk<float> &w) { return vi::unit_ref<float, 1>{w.p}; }
inline auto flat_ref(const vi::cplx_mwalk &w) { return vi::unit_cref<1>{w.re, w.im}; }


// The plan above for walked c (rows x cols) and op(A) already transposed;
// `flat_ok` says whether the storage allows a flat pass at all.
template <class W, class Sum>
void matrix_sum(const W &c, const W &a, idx rows, idx cols, bool flat_ok, const Sum &sum) {
    const idx n = rows * cols;
    const int lc = strict_layout(c), la = strict_layout(a);
    const int dc = vi::dense_order({c.row_step, c.col_step}, rows, cols, 1);
    const int da = vi::dense_order({a.row_step, a.col_step}, rows, cols, 1);
    if (flat_ok && dc >= 0 && da >= 0) {
        if (lc >= 0 && lc == la && dc == da) {
            flat_pass(n, sum, flat_ref(c), flat_ref(a));
            return;
        }
        vi::scratch t;
        const bool complex = !std::is_same<W, vi::real_mwalk<float>>::value;
        if (t.allocate(static_cast<std::uint64_t>(n), complex ? 2 * sizeof(float) : sizeof(float))) {
            W tw;
            if constexpr (std::is_same<W, vi::real_mwalk<float>>::value)
                tw = temp_walk(a, t.p, dense_steps(dc, rows, cols));
            else
                tw = temp_walk(a, t.p, dense_steps(dc, rows, cols), n);
            vi::matrix_elementwise(rows, cols, [](auto x) { return x; }, tw, a);
            flat_pass(n, sum, flat_ref(c), flat_ref(tw));
            return;
        }
    }
    vi::matrix_elementwise(rows, cols, [&sum](auto cv, auto av) { return sum.general(av, cv); }, c, c,
                           a);
}

// Logs the conformance failure; true when the shapes agree.
bool conformant(const char *function, idx a_rows, idx a_cols, vsip_length c_rows,
                vsip_length c_cols) {
    if (static_cast<vsip_length>(a_rows) == c_rows && static_cast<vsip_length>(a_cols) == c_cols)
        return true;
    char text[160];
    std::snprintf(text, sizeof text,
                  "The matrices A and C must be conformant! One is %" PRId64 " x %" PRId64
                  ", but another one is %" PRIu64 " x %" PRIu64 ".",
                  static_cast<std::int64_t>(a_rows), static_cast<std::int64_t>(a_cols),
                  static_cast<std::uint64_t>(c_rows), static_cast<std::uint64_t>(c_cols));
    VI_log(VI_LOG_ERROR, function, text);
    return false;
}

} // namespace

extern "C" {

VSIP_API void vsip_gems_f(vsip_scalar_f alpha, const vsip_mview_f *A, vsip_mat_op OpA,
                          vsip_scalar_f beta, const vsip_mview_f *Cm) {
    VI_CHECK(vi::chk::views_fault(A, Cm));
    const bool t = OpA == VSIP_MAT_TRANS;
    const idx rows = static_cast<idx>(t ? A->row_length : A->col_length);
    const idx cols = static_cast<idx>(t ? A->col_length : A->row_length);
    if (!conformant("vsip_gems_f", rows, cols, Cm->col_length, Cm->row_length))
        return;
    const vi::real_mwalk<float> wa = vi::walk(A);
    matrix_sum(vi::walk(Cm), t ? vi::transposed(wa) : wa, rows, cols, true,
               real_sum{alpha, beta});
}

VSIP_API void vsip_cgems_f(vsip_cscalar_f alpha, const vsip_cmview_f *A, vsip_mat_op OpA,
                           vsip_cscalar_f beta, const vsip_cmview_f *Cm) {
    VI_CHECK(vi::chk::views_fault(A, Cm));
    const bool t = OpA == VSIP_MAT_TRANS || OpA == VSIP_MAT_HERM;
    const bool conj = OpA == VSIP_MAT_HERM || OpA == VSIP_MAT_CONJ;
    const idx rows = static_cast<idx>(t ? A->row_length : A->col_length);
    const idx cols = static_cast<idx>(t ? A->col_length : A->row_length);
    if (!conformant("vsip_cgems_f", rows, cols, Cm->col_length, Cm->row_length))
        return;
    const vi::cplx_mwalk wa = vi::walk(A);
    const bool split = A->block->part_stride == 1 && Cm->block->part_stride == 1;
    matrix_sum(vi::walk(Cm), t ? vi::transposed(wa) : wa, rows, cols, split,
               complex_sum{alpha, beta, conj});
}

} // extern "C"
