// One transform of a binding record: copy the operand into the record's
// input buffer, execute the plan, copy the output buffer into the result
// (multiplying by the scale on the way unless it is exactly 1), and scale
// the rest of the result line.
//
// Operands are lines: base pointers and a step in floats, as the operand
// walk computes them, so views of any offset and stride, and rows or
// columns of matrices, are read and written by direct loops.  Interleaved
// pairs at consecutive addresses and unit-stride real lines are block
// copies.  The values are those of the element accessors followed by a
// separate scaling pass.
#ifndef VSIP_SIGNAL_FFT_RUN_HPP
#define VSIP_SIGNAL_FFT_RUN_HPP

#include <cstddef>

#include "fft_backend.hpp"
#include "walk.hpp"

namespace vi {

// Complex element i at re[i * step], im[i * step].
struct cline {
    float *re;
    float *im;
    idx step;
};

// Real element i at p[i * step].
struct rline {
    float *p;
    idx step;
};

inline cline line_of(const vsip_cvview_f *v) {
    const cplx_walk w = walk(v);
    return {w.re, w.im, w.step};
}
inline rline line_of(const vsip_vview_f *v) {
    const real_walk<float> w = walk(v);
    return {w.p, w.step};
}

// Row (major VSIP_ROW) or column i of a walked matrix.
inline cline line_of(const cplx_mwalk &m, bool rows, idx i) {
    return rows ? cline{m.re + i * m.col_step, m.im + i * m.col_step, m.row_step}
                : cline{m.re + i * m.row_step, m.im + i * m.row_step, m.col_step};
}
inline rline line_of(const real_mwalk<float> &m, bool rows, idx i) {
    return rows ? rline{m.p + i * m.col_step, m.row_step} : rline{m.p + i * m.row_step, m.col_step};
}

// Interleaved pairs at consecutive addresses: n elements are 2n floats
// from re.
inline bool packed(const cline &x) { return x.step == 2 && x.im == x.re + 1; }

// Scaling is skipped only for a scale of exactly 1 (a NaN scale scales).
inline bool scales(float scale) { return !(scale == 1.0f); }

void copy_in(const cline &x, idx n, float *__restrict dst);
void copy_in(const rline &x, idx n, float *__restrict dst);
void copy_out(const float *__restrict src, idx n, const cline &y, float scale);
void copy_out(const float *__restrict src, idx n, const rline &y, float scale);

// Multiplies elements [from, to) of y by scale (when it scales).
void scale_range(const cline &y, idx from, idx to, float scale);
void scale_range(const rline &y, idx from, idx to, float scale);

// Complex transform of n elements; y's elements n .. y_length-1 are scaled
// too (the scaling pass covers the whole result line).
inline void run(const VI_fft_backend_f *b, idx n, const cline &x, const cline &y, idx y_length,
                float scale) {
    copy_in(x, n, &b->in[0][0]);
    fftwf_execute(b->plan);
    copy_out(&b->out[0][0], n, y, scale);
    scale_range(y, n, y_length, scale);
}

// Real-to-complex transform of length 2h: reads x[0 .. 2h-1], writes
// y[0 .. h] (the non-redundant bins), scales y[h+1 .. y_length-1] too.
inline void run_rc(const VI_rfft_backend_f *b, idx h, const rline &x, const cline &y,
                   idx y_length, float scale) {
    copy_in(x, 2 * h, static_cast<float *>(b->slot[0]));
    fftwf_execute(b->plan);
    copy_out(static_cast<const float *>(b->slot[1]), h + 1, y, scale);
    scale_range(y, h + 1, y_length, scale);
}

// Complex-to-real transform of length 2h: reads x[0 .. h], writes
// y[0 .. 2h-1], scales y[2h .. y_length-1] too.  FFTW may overwrite the
// input buffer; it is refilled on every call.
inline void run_cr(const VI_rfft_backend_f *b, idx h, const cline &x, const rline &y,
                   idx y_length, float scale) {
    copy_in(x, h + 1, static_cast<float *>(b->slot[0]));
    fftwf_execute(b->plan);
    copy_out(static_cast<const float *>(b->slot[3]), 2 * h, y, scale);
    scale_range(y, 2 * h, y_length, scale);
}

} // namespace vi

#endif // VSIP_SIGNAL_FFT_RUN_HPP
