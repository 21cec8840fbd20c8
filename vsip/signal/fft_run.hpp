// One transform of a binding record on lines of the operand walk (vectors,
// rows or columns of matrices), scaled by the object's scale unless it is
// exactly 1; the scaling covers the result line up to `y_length`.
//
// Where a line's layout allows it, the record's plan runs directly on the
// caller's data with FFTW's new-array execute functions, which require the
// arrays to have the alignment class (fftwf_alignment_of) of the record's
// buffers, and, as the plan is out of place, distinct input and output:
//   - complex lines interleaved at unit stride, input and output each on
//     its own (an output overlapping a directly read input goes through
//     the output buffer, so an in-place call reads the caller's data and
//     copies the result back once);
//   - real lines at unit stride: the input of the real-to-complex and the
//     output of the complex-to-real transform.  The input of the
//     complex-to-real transform is always copied, because that transform
//     overwrites its input array.
// Every other side is copied through the record's buffers with the line
// helpers of common/lines.hpp.  Split storage is always copied: FFTW runs
// a split plan only on parts as far apart as when it was planned, and its
// split and in-place plans are slower than the copy into interleaved
// buffers.  The plan and its codelets are the same both ways, so the
// values are too.
#ifndef VSIP_SIGNAL_FFT_RUN_HPP
#define VSIP_SIGNAL_FFT_RUN_HPP

#include <cstddef>
#include <cstdint>

#include "common/lines.hpp"
#include "fft_backend.hpp"

namespace vi {

// p may stand in for `planned` in a new-array execute.
inline bool planned_alike(const float *p, const float *planned) {
    return fftwf_alignment_of(const_cast<float *>(p)) ==
           fftwf_alignment_of(const_cast<float *>(planned));
}

// The float ranges [a, a + na) and [b, b + nb) share no element.
inline bool disjoint(const float *a, idx na, const float *b, idx nb) {
    const auto pa = reinterpret_cast<std::uintptr_t>(a), pb = reinterpret_cast<std::uintptr_t>(b);
    return pa + sizeof(float) * static_cast<std::size_t>(na) <= pb ||
           pb + sizeof(float) * static_cast<std::size_t>(nb) <= pa;
}

inline fftwf_complex *pairs(float *p) { return reinterpret_cast<fftwf_complex *>(p); }

// Complex transform of n elements, in the direction the record's plan was
// made for.
inline void run(const VI_fft_backend_f *b, idx n, const step_cref &x, const step_cref &y,
                idx y_length, float scale) {
    float *in = &b->in[0][0], *out = &b->out[0][0];
    float *src = packed(x) && planned_alike(x.re, in) ? x.re : nullptr;
    float *dst =
        packed(y) && planned_alike(y.re, out) && (!src || disjoint(src, 2 * n, y.re, 2 * n))
            ? y.re
            : nullptr;
    if (!src)
        copy_in(x, n, in);
    fftwf_execute_dft(b->plan, pairs(src ? src : in), pairs(dst ? dst : out));
    if (dst) {
        scale_range(y, 0, y_length, scale);
    } else {
        copy_out(out, n, y, scale);
        scale_range(y, n, y_length, scale);
    }
}

// Real-to-complex transform of length 2h: reads x[0 .. 2h-1], writes
// y[0 .. h] (the non-redundant bins), scales y[h+1 .. y_length-1] too.
inline void run_rc(const VI_rfft_backend_f *b, idx h, const step_ref<float> &x,
                   const step_cref &y, idx y_length, float scale) {
    float *in = static_cast<float *>(b->slot[0]), *spectrum = static_cast<float *>(b->slot[1]);
    const idx bins = h + 1;
    float *src = x.step == 1 && planned_alike(x.p, in) ? x.p : nullptr;
    float *dst = packed(y) && planned_alike(y.re, spectrum) &&
                         (!src || disjoint(src, 2 * h, y.re, 2 * bins))
                     ? y.re
                     : nullptr;
    if (!src)
        copy_in(x, 2 * h, in);
    fftwf_execute_dft_r2c(b->plan, src ? src : in, pairs(dst ? dst : spectrum));
    if (dst) {
        scale_range(y, 0, y_length, scale);
    } else {
        copy_out(spectrum, bins, y, scale);
        scale_range(y, bins, y_length, scale);
    }
}

// Complex-to-real transform of length 2h: reads x[0 .. h], writes
// y[0 .. 2h-1], scales y[2h .. y_length-1] too.  FFTW overwrites the input
// array, so the input is always copied into the record's buffer.
inline void run_cr(const VI_rfft_backend_f *b, idx h, const step_cref &x,
                   const step_ref<float> &y, idx y_length, float scale) {
    float *in = static_cast<float *>(b->slot[0]), *out = static_cast<float *>(b->slot[3]);
    float *dst = y.step == 1 && planned_alike(y.p, out) ? y.p : nullptr;
    copy_in(x, h + 1, in);
    fftwf_execute_dft_c2r(b->plan, pairs(in), dst ? dst : out);
    if (dst) {
        scale_range(y, 0, y_length, scale);
    } else {
        copy_out(out, 2 * h, y, scale);
        scale_range(y, 2 * h, y_length, scale);
    }
}

} // namespace vi

#endif // VSIP_SIGNAL_FFT_RUN_HPP
