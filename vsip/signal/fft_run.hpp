// One transform of a binding record: copy the operand into the record's
// input buffer, execute the plan, copy the output buffer into the result
// (multiplying by the scale on the way unless it is exactly 1), and scale
// the rest of the result line.
//
// Operands are lines of the operand walk (vectors, rows or columns of
// matrices), copied by the line helpers of common/lines.hpp.
#ifndef VSIP_SIGNAL_FFT_RUN_HPP
#define VSIP_SIGNAL_FFT_RUN_HPP

#include <cstddef>

#include "common/lines.hpp"
#include "fft_backend.hpp"

namespace vi {

// Complex transform of n elements; y's elements n .. y_length-1 are scaled
// too (the scaling pass covers the whole result line).
inline void run(const VI_fft_backend_f *b, idx n, const step_cref &x, const step_cref &y,
                idx y_length, float scale) {
    copy_in(x, n, &b->in[0][0]);
    fftwf_execute(b->plan);
    copy_out(&b->out[0][0], n, y, scale);
    scale_range(y, n, y_length, scale);
}

// Real-to-complex transform of length 2h: reads x[0 .. 2h-1], writes
// y[0 .. h] (the non-redundant bins), scales y[h+1 .. y_length-1] too.
inline void run_rc(const VI_rfft_backend_f *b, idx h, const step_ref<float> &x,
                   const step_cref &y, idx y_length, float scale) {
    copy_in(x, 2 * h, static_cast<float *>(b->slot[0]));
    fftwf_execute(b->plan);
    copy_out(static_cast<const float *>(b->slot[1]), h + 1, y, scale);
    scale_range(y, h + 1, y_length, scale);
}

// Complex-to-real transform of length 2h: reads x[0 .. h], writes
// y[0 .. 2h-1], scales y[2h .. y_length-1] too.  FFTW may overwrite the
// input buffer; it is refilled on every call.
inline void run_cr(const VI_rfft_backend_f *b, idx h, const step_cref &x,
                   const step_ref<float> &y, idx y_length, float scale) {
    copy_in(x, h + 1, static_cast<float *>(b->slot[0]));
    fftwf_execute(b->plan);
    copy_out(static_cast<const float *>(b->slot[3]), 2 * h, y, scale);
    scale_range(y, 2 * h, y_length, scale);
}

} // namespace vi

#endif // VSIP_SIGNAL_FFT_RUN_HPP
