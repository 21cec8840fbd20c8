// One transform of a binding record on lines of the operand walk (vectors,
// rows or columns of matrices), scaled by the object's scale unless it is
// exactly 1; the scaling covers the result line up to `y_length`.
//
// Where a line's layout allows it, the plan runs directly on the caller's
// data with FFTW's new-array execute functions, which require the arrays to
// have the alignment class (fftwf_alignment_of) of the arrays the plan was
// made for, and the same placement (in place or out of place):
//   - complex lines at unit stride, interleaved, through the record's plan
//     (out of place) or its in-place companion when input and output are
//     the same line; split storage through the split companions when both
//     sides are split with the imaginary parts n elements after the real
//     parts, as the companions were planned (FFTW requires the same
//     distance; the split plans are forward plans: the inverse transform
//     swaps the real and imaginary parts of both sides);
//   - a real input line at unit stride, and the real-to-complex output
//     line (interleaved, or split with the imaginary parts h+1 elements
//     after the real parts through the split companion);
//   - the real output line of the complex-to-real transform.  Its input is
//     always copied, because that transform overwrites its input array.
// Any other side is copied through the record's buffers with the line
// helpers of common/lines.hpp.  Both ways give the same values up to the
// rounding of the FFTW algorithm chosen.
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

// Split storage at unit stride whose two parts of n elements do not overlap.
inline bool split_line(const step_cref &x, idx n) {
    return x.step == 1 && disjoint(x.re, n, x.im, n);
}

inline fftwf_complex *pairs(float *p) { return reinterpret_cast<fftwf_complex *>(p); }

// Distance in bytes from a to b.
inline std::intptr_t distance(const float *a, const float *b) {
    return static_cast<std::intptr_t>(reinterpret_cast<std::uintptr_t>(b) -
                                      reinterpret_cast<std::uintptr_t>(a));
}

// Runs a split plan made for (ri, ii) -> (ro, io) = planned[0..3]
// on the split lines x -> y as the transform of direction `forward`;
// false (nothing done) unless every array has the alignment class of the
// planned one and the imaginary parts lie as far from the real parts as
// they did for the plan (FFTW's further condition for split arrays).
inline bool run_split(fftwf_plan plan, const float *const planned[4], bool forward,
                      const step_cref &x, const step_cref &y) {
    float *const a[4] = {forward ? x.re : x.im, forward ? x.im : x.re, forward ? y.re : y.im,
                         forward ? y.im : y.re};
    for (int k = 0; k < 4; ++k)
        if (!planned_alike(a[k], planned[k]))
            return false;
    if (distance(a[0], a[1]) != distance(planned[0], planned[1]) ||
        distance(a[2], a[3]) != distance(planned[2], planned[3]))
        return false;
    fftwf_execute_split_dft(plan, a[0], a[1], a[2], a[3]);
    return true;
}

// Complex transform of n elements, forward or inverse as the record's plan
// was made.
inline void run(const VI_fft_backend_f *b, bool forward, idx n, const step_cref &x,
                const step_cref &y, idx y_length, float scale) {
    float *in = &b->in[0][0], *out = &b->out[0][0];
    const bool same = x.re == y.re && x.im == y.im && x.step == y.step;
    if (same && b->inplace_plan) {
        const float *const planned[4] = {forward ? out : out + n, forward ? out + n : out,
                                         forward ? out : out + n, forward ? out + n : out};
        if (packed(x) && planned_alike(x.re, out)) {
            fftwf_execute_dft(b->inplace_plan, pairs(x.re), pairs(x.re));
            scale_range(y, 0, y_length, scale);
            return;
        }
        if (split_line(x, n) && run_split(b->inplace_split_plan, planned, forward, x, y)) {
            scale_range(y, 0, y_length, scale);
            return;
        }
    } else if (b->split_plan && split_line(x, n) && split_line(y, n) &&
               disjoint(x.re, n, y.re, n) && disjoint(x.re, n, y.im, n) &&
               disjoint(x.im, n, y.re, n) && disjoint(x.im, n, y.im, n)) {
        const float *const planned[4] = {forward ? in : in + n, forward ? in + n : in,
                                         forward ? out : out + n, forward ? out + n : out};
        if (run_split(b->split_plan, planned, forward, x, y)) {
            scale_range(y, 0, y_length, scale);
            return;
        }
    }
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
    auto apart = [&](const float *p, idx count) { return !src || disjoint(src, 2 * h, p, count); };
    if (b->split_plan && split_line(y, bins) && planned_alike(y.re, spectrum) &&
        planned_alike(y.im, spectrum + bins) &&
        distance(y.re, y.im) == distance(spectrum, spectrum + bins) && apart(y.re, bins) &&
        apart(y.im, bins)) {
        if (!src)
            copy_in(x, 2 * h, in);
        fftwf_execute_split_dft_r2c(b->split_plan, src ? src : in, y.re, y.im);
        scale_range(y, 0, y_length, scale);
        return;
    }
    float *dst = packed(y) && planned_alike(y.re, spectrum) && apart(y.re, 2 * bins) ? y.re
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
