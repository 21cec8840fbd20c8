// Copies between views of the same or different element types, fills,
// the ramp, and the split and merge of complex vectors.
#include <climits>
#include <cmath>
#include <cstdint>

#include "common/cblas.hpp"
#include "common/walk.hpp"

using vi::length_of;

namespace {

using vi::idx;

// ---- Element conversions ------------------------------------------------------

// Truncation toward zero; NaN and values outside the 32-bit range give
// 0x80000000 (as the processor's truncating conversion does).
inline vsip_scalar_i to_int(float x) {
    if (x >= -2147483648.0f && x < 2147483648.0f)
        return static_cast<vsip_scalar_i>(x);
    return INT32_MIN;
}

template <class T>
inline T same(T x) { return x; }

template <class V, class W, class Op>
inline void convert(const V *a, const W *r, Op op) {
    vi::elementwise<vi::split_only>(length_of(r), op, vi::walk(r), vi::walk(a));
}

// ---- Matrix copies ----------------------------------------------------------------

using vi::flat_pair;

template <class T, class U, class Op>
void matrix_copy(const vi::real_mwalk<T> &a, const vi::real_mwalk<U> &r, vsip_length rows,
                 vsip_length cols, Op op) {
    const idx m = static_cast<idx>(rows), n = static_cast<idx>(cols);
    if (flat_pair({a.row_step, a.col_step}, {r.row_step, r.col_step}, m, n, 1)) {
        vi::each(m * n, op, vi::unit_ref<U, 1>{r.p}, vi::unit_ref<T, 1>{a.p});
        return;
    }
    vi::matrix_elementwise(rows, cols, op, r, a);
}

} // namespace

extern "C" {

// ---- Vector copies and conversions -------------------------------------------------

VSIP_API void vsip_vcopy_f_f(const vsip_vview_f *a, const vsip_vview_f *r) { convert(a, r, same<float>); }
VSIP_API void vsip_vcopy_i_i(const vsip_vview_i *a, const vsip_vview_i *r) {
    convert(a, r, same<vsip_scalar_i>);
}
VSIP_API void vsip_vcopy_bl_bl(const vsip_vview_bl *a, const vsip_vview_bl *r) {
    convert(a, r, same<vsip_scalar_bl>);
}
VSIP_API void vsip_vcopy_vi_vi(const vsip_vview_vi *a, const vsip_vview_vi *r) {
    convert(a, r, same<vsip_scalar_vi>);
}
VSIP_API void vsip_vcopy_mi_mi(const vsip_vview_mi *a, const vsip_vview_mi *r) {
    convert(a, r, same<vsip_scalar_mi>);
}
VSIP_API void vsip_vcopy_f_i(const vsip_vview_f *a, const vsip_vview_i *r) { convert(a, r, to_int); }
VSIP_API void vsip_vcopy_i_f(const vsip_vview_i *a, const vsip_vview_f *r) {
    convert(a, r, [](vsip_scalar_i x) { return static_cast<float>(x); });
}
// Boolean storage holds the truncated value: false for -1 < a < 1.
VSIP_API void vsip_vcopy_f_bl(const vsip_vview_f *a, const vsip_vview_bl *r) { convert(a, r, to_int); }
VSIP_API void vsip_vcopy_bl_f(const vsip_vview_bl *a, const vsip_vview_f *r) {
    convert(a, r, [](vsip_scalar_bl x) { return static_cast<float>(x); });
}
VSIP_API void vsip_vcopy_i_vi(const vsip_vview_i *a, const vsip_vview_vi *r) {
    convert(a, r, [](vsip_scalar_i x) { return static_cast<vsip_scalar_vi>(static_cast<std::int64_t>(x)); });
}
VSIP_API void vsip_vcopy_vi_i(const vsip_vview_vi *a, const vsip_vview_i *r) {
    convert(a, r, [](vsip_scalar_vi x) {
        return static_cast<vsip_scalar_i>(static_cast<std::uint32_t>(x));
    });
}

// Complex copy: CBLAS for positive steps when both blocks have the same
// storage (two scopy calls for split parts, one ccopy over interleaved
// pairs), element by element otherwise.  CBLAS counts and increments are
// 32-bit: longer views go in chunks, and steps beyond INT_MAX take the
// element loop.
VSIP_API void vsip_cvcopy_f_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    const vi::cplx_walk wa = vi::walk(a), wr = vi::walk(r);
    const idx n = static_cast<idx>(length_of(r));
    const idx s = wa.step, t = wr.step;
    const bool blas_steps = s > 0 && t > 0 && s <= INT_MAX && t <= INT_MAX && wa.part == wr.part;
    if (blas_steps && wa.part == 1) {
        vi::in_chunks(n, [&](int count, idx k) {
            cblas_scopy(count, wa.re + k * s, static_cast<int>(s), wr.re + k * t, static_cast<int>(t));
            cblas_scopy(count, wa.im + k * s, static_cast<int>(s), wr.im + k * t, static_cast<int>(t));
        });
        return;
    }
    if (blas_steps && wa.part == 2) {
        vi::in_chunks(n, [&](int count, idx k) {
            cblas_ccopy(count, wa.re + k * s, static_cast<int>(s / 2), wr.re + k * t, static_cast<int>(t / 2));
        });
        return;
    }
    vi::each(n, same<vsip_cscalar_f>, vi::ref<vi::pass::strided>(wr), vi::ref<vi::pass::strided>(wa));
}

// ---- Matrix copies --------------------------------------------------------------------

VSIP_API void vsip_mcopy_f_f(const vsip_mview_f *A, const vsip_mview_f *R) {
    matrix_copy(vi::walk(A), vi::walk(R), R->col_length, R->row_length, same<float>);
}
VSIP_API void vsip_mcopy_i_i(const vsip_mview_i *A, const vsip_mview_i *R) {
    matrix_copy(vi::walk(A), vi::walk(R), R->col_length, R->row_length, same<vsip_scalar_i>);
}
VSIP_API void vsip_mcopy_f_i(const vsip_mview_f *A, const vsip_mview_i *R) {
    matrix_copy(vi::walk(A), vi::walk(R), R->col_length, R->row_length, to_int);
}
VSIP_API void vsip_mcopy_i_f(const vsip_mview_i *A, const vsip_mview_f *R) {
    matrix_copy(vi::walk(A), vi::walk(R), R->col_length, R->row_length,
                [](vsip_scalar_i x) { return static_cast<float>(x); });
}

// Flat pass over each part (split) or over the 2MN interleaved floats when
// both matrices are dense in the same order with the same storage.
VSIP_API void vsip_cmcopy_f_f(const vsip_cmview_f *A, const vsip_cmview_f *R) {
    const vi::cplx_mwalk wa = vi::walk(A), wr = vi::walk(R);
    const idx m = static_cast<idx>(R->col_length), n = static_cast<idx>(R->row_length);
    const idx part = R->block->part_stride;
    if (A->block->part_stride == part &&
        flat_pair({wa.row_step, wa.col_step}, {wr.row_step, wr.col_step}, m, n, part)) {
        const auto copy = same<float>;
        if (part == 1) {
            vi::each(m * n, copy, vi::unit_ref<float, 1>{wr.re}, vi::unit_ref<float, 1>{wa.re});
            vi::each(m * n, copy, vi::unit_ref<float, 1>{wr.im}, vi::unit_ref<float, 1>{wa.im});
        } else {
            vi::each(2 * m * n, copy, vi::unit_ref<float, 1>{wr.re}, vi::unit_ref<float, 1>{wa.re});
        }
        return;
    }
    vi::matrix_elementwise(R->col_length, R->row_length, same<vsip_cscalar_f>, wr, wa);
}

// ---- Fills and ramp ---------------------------------------------------------------------

VSIP_API void vsip_vfill_f(vsip_scalar_f alpha, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), same<float>, vi::walk(r), alpha);
}
VSIP_API void vsip_cvfill_f(vsip_cscalar_f alpha, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(length_of(r), same<vsip_cscalar_f>, vi::walk(r), alpha);
}
VSIP_API void vsip_mfill_f(vsip_scalar_f alpha, const vsip_mview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, same<float>, vi::walk(R), alpha);
}
VSIP_API void vsip_cmfill_f(vsip_cscalar_f alpha, const vsip_cmview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, same<vsip_cscalar_f>, vi::walk(R), alpha);
}

// r[0] = alpha; r[j] = fma(float(j), beta, alpha): every element from its
// own index, so rounding errors do not accumulate along the vector.
VSIP_API void vsip_vramp_f(vsip_scalar_f alpha, vsip_scalar_f beta, const vsip_vview_f *r) {
    const auto w = vi::walk(r);
    const idx n = static_cast<idx>(length_of(r));
    if (n <= 0)
        return;
    w.p[0] = alpha;
    const auto at = [alpha, beta](idx j) { return std::fma(static_cast<float>(j), beta, alpha); };
    if (vi::choose_pass<vi::split_only>(w) == vi::pass::contiguous) {
        float *p = w.p;
        for (idx j = 1; j < n; ++j)
            p[j] = at(j);
    } else {
        for (idx j = 1; j < n; ++j)
            w.p[j * w.step] = at(j);
    }
}

// ---- Complex split and merge ---------------------------------------------------------------

VSIP_API void vsip_vcmplx_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_only>(
        length_of(r), [](float re, float im) { return vsip_cscalar_f{re, im}; }, vi::walk(r), vi::walk(a),
        vi::walk(b));
}
VSIP_API void vsip_vreal_f(const vsip_cvview_f *a, const vsip_vview_f *r) {
    convert(a, r, [](vsip_cscalar_f x) { return x.r; });
}
VSIP_API void vsip_vimag_f(const vsip_cvview_f *a, const vsip_vview_f *r) {
    convert(a, r, [](vsip_cscalar_f x) { return x.i; });
}

} // extern "C"
