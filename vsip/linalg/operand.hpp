// How an operand of a product is handed to CBLAS: the one place that
// decides whether CBLAS can address a matrix or vector in place, in which
// layout and with which leading dimension or increment.
//
// Matrices are described by their walked steps counted in CBLAS elements
// (floats or doubles for real data, pairs for interleaved complex data).
// CBLAS addresses a row-major matrix as p[i * ld + j] and a column-major
// one as p[i + j * ld], with ld at least the row (column) length and at
// least 1, all in 32-bit ints.  Any other matrix (element stride 2,
// negative or zero steps, overlapping rows, split complex storage, sizes
// beyond 32 bits) is not addressable and is copied or computed by the
// library's own loops.
#ifndef VSIP_LINALG_OPERAND_HPP
#define VSIP_LINALG_OPERAND_HPP

#include <algorithm>
#include <climits>

#include "common/walk.hpp"

namespace vi {

// A matrix of rows x cols elements: element (i, j) of real data at
// re[i * cs + j * rs]; complex data has its imaginary part at the same
// offset from im (im null for real data).  Steps count S values.
template <class S>
struct mat {
    S *re;
    S *im;
    idx rs; // along a row (column j to j + 1)
    idx cs; // down a column (row i to i + 1)
    idx rows;
    idx cols;

    // The transpose, as a private copy of the fields (the caller's view
    // is never changed).
    mat transposed() const { return {re, im, cs, rs, cols, rows}; }
    bool complex() const { return im != nullptr; }
};

inline mat<float> as_mat(const vsip_mview_f *m) {
    const real_mwalk<float> w = walk(m);
    return {w.p, nullptr, w.row_step, w.col_step, static_cast<idx>(m->col_length),
            static_cast<idx>(m->row_length)};
}
inline mat<double> as_mat(const vsip_mview_d *m) {
    const real_mwalk<double> w = walk(m);
    return {w.p, nullptr, w.row_step, w.col_step, static_cast<idx>(m->col_length),
            static_cast<idx>(m->row_length)};
}
inline mat<float> as_mat(const vsip_cmview_f *m) {
    const cplx_mwalk w = walk(m);
    return {w.re, w.im, w.row_step, w.col_step, static_cast<idx>(m->col_length),
            static_cast<idx>(m->row_length)};
}

inline mat<double> as_mat(const vsip_cmview_d *m) {
    const vsip_cblock_d *b = m->block;
    const idx s = b->part_stride;
    const idx at = static_cast<idx>(m->offset) * s;
    return {b->real_part->data + at, b->imag_part->data + at, m->row_stride * s, m->col_stride * s,
            static_cast<idx>(m->col_length), static_cast<idx>(m->row_length)};
}

inline bool fits_int(idx n) { return n >= 0 && n <= INT_MAX; }

// A matrix as CBLAS takes it.
template <class S>
struct blas_mat {
    S *p;
    bool row_major;
    int ld;
};

// Leading dimension under which CBLAS addresses exactly the elements of a
// rows x cols matrix with steps rs, cs (in CBLAS elements) in the given
// layout, or 0 when it cannot.  Along a single row (column) the unused
// step does not matter and the smallest valid leading dimension is given.
inline idx blas_ld(idx rows, idx cols, idx rs, idx cs, bool row_major) {
    const idx inner = row_major ? cols : rows; // elements at unit step
    const idx outer = row_major ? rows : cols;
    const idx unit_step = row_major ? rs : cs;
    const idx lead = row_major ? cs : rs;
    if (inner > 1 && unit_step != 1)
        return 0;
    const idx least = std::max<idx>(inner, 1);
    if (outer <= 1)
        return fits_int(least) ? least : 0;
    return lead >= least && lead <= INT_MAX ? lead : 0;
}

// Places m for CBLAS: in the layout its strides suggest (row-major when
// the row step is not greater than the column step) or else the other
// one.  False when CBLAS cannot address it in place.
template <class S>
inline bool place(const mat<S> &m, blas_mat<S> *out) {
    idx unit = 1;
    if (m.complex()) {
        // Interleaved pairs only: the imaginary part right after the real.
        if (m.im != m.re + 1 || m.rs % 2 != 0 || m.cs % 2 != 0)
            return false;
        unit = 2;
    }
    if (!fits_int(m.rows) || !fits_int(m.cols))
        return false;
    const idx rs = m.rs / unit, cs = m.cs / unit;
    const bool preferred = rs <= cs;
    for (bool row_major : {preferred, !preferred}) {
        if (const idx ld = blas_ld(m.rows, m.cols, rs, cs, row_major)) {
            *out = {m.re, row_major, static_cast<int>(ld)};
            return true;
        }
    }
    return false;
}

// A vector of n elements at p with step `step` as CBLAS takes it: CBLAS
// starts a negative increment at the lowest address.  False for a zero
// step (CBLAS refuses it) or a step or count beyond 32 bits.
template <class S>
struct blas_vec {
    S *p;
    int inc;
};
template <class S>
inline bool place(S *p, idx step, idx n, blas_vec<S> *out) {
    if (step == 0 || step < -INT_MAX || step > INT_MAX || !fits_int(n))
        return false;
    *out = {step < 0 && n > 0 ? p + (n - 1) * step : p, static_cast<int>(step)};
    return true;
}

} // namespace vi

#endif // VSIP_LINALG_OPERAND_HPP
