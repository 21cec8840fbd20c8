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
// helpers of common/lines.hpp.  The plan and its codelets are the same
// both ways, so the values are too.
//
// Companion plans of a record (fft_backend.hpp) take over where they exist:
//   - the split plan runs when either side is split at unit stride with
//     its parts exactly `gap` floats apart (the layout of library-made
//     blocks of the transform's length) in the planned alignment class;
//     the other side, and a side that overlaps the input, goes through
//     the buffers as split parts.  FFTW runs a split plan only on parts as
//     far apart as when it was planned, so other split storage is copied
//     into the interleaved buffers;
//   - the in-place plan runs when input and output are the same line: on
//     the caller's data when interleaved in the planned class, else on
//     `in` between the copies.
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

// A line the split plan can run on: unit stride, the parts `gap` floats
// apart, the real parts in the class of `planned`.
inline bool split_fits(const step_cref &x, std::int64_t gap, const float *planned) {
    const auto re = reinterpret_cast<std::uintptr_t>(x.re);
    const auto im = reinterpret_cast<std::uintptr_t>(x.im);
    return x.step == 1 && im > re && im - re == sizeof(float) * static_cast<std::size_t>(gap) &&
           planned_alike(x.re, planned);
}

// The split line x (split_fits) shares no element with the split line y,
// n elements each.
inline bool split_disjoint(const step_cref &x, const step_cref &y, idx n) {
    return disjoint(x.re, n, y.re, n) && disjoint(x.re, n, y.im, n) &&
           disjoint(x.im, n, y.re, n) && disjoint(x.im, n, y.im, n);
}

inline step_ref<float> real_of(const step_cref &x) { return {x.re, x.step}; }
inline step_ref<float> imag_of(const step_cref &x) { return {x.im, x.step}; }

// Complex transform of n elements by the split companion plan.
inline void run_split(const VI_fft_backend_f *b, idx n, const step_cref &x, const step_cref &y,
                      idx y_length, float scale) {
    float *in = &b->in[0][0], *out = &b->out[0][0];
    const std::int64_t gap = b->gap;
    const bool src = split_fits(x, gap, in);
    const bool dst = split_fits(y, gap, out) && (!src || split_disjoint(x, y, n));
    const step_cref from = src ? x : step_cref{in, in + gap, 1};
    const step_cref to = dst ? y : step_cref{out, out + gap, 1};
    if (!src) {
        copy_in(real_of(x), n, from.re);
        copy_in(imag_of(x), n, from.im);
    }
    if (b->split_inverse)
        fftwf_execute_split_dft(b->split_plan, from.im, from.re, to.im, to.re);
    else
        fftwf_execute_split_dft(b->split_plan, from.re, from.im, to.re, to.im);
    if (dst) {
        scale_range(y, 0, y_length, scale);
    } else {
        copy_out(to.re, n, real_of(y), scale);
        copy_out(to.im, n, imag_of(y), scale);
        scale_range(y, n, y_length, scale);
    }
}

// Complex transform of n elements in place on the line xy by the in-place
// companion plan.
inline void run_in_place(const VI_fft_backend_f *b, idx n, const step_cref &xy, idx length,
                         float scale) {
    float *in = &b->in[0][0];
    if (packed(xy) && planned_alike(xy.re, in)) {
        fftwf_execute_dft(b->inplace_plan, pairs(xy.re), pairs(xy.re));
        scale_range(xy, 0, length, scale);
        return;
    }
    copy_in(xy, n, in);
    fftwf_execute_dft(b->inplace_plan, b->in, b->in);
    copy_out(in, n, xy, scale);
    scale_range(xy, n, length, scale);
}

inline bool same_line(const step_cref &x, const step_cref &y) {
    return x.re == y.re && x.im == y.im && x.step == y.step;
}

// Complex transform of n elements, in the direction the record's plan was
// made for.
inline void run(const VI_fft_backend_f *b, idx n, const step_cref &x, const step_cref &y,
                idx y_length, float scale) {
    float *in = &b->in[0][0], *out = &b->out[0][0];
    if (b->split_plan && (split_fits(x, b->gap, in) || split_fits(y, b->gap, out))) {
        run_split(b, n, x, y, y_length, scale);
        return;
    }
    if (b->inplace_plan && same_line(x, y)) {
        run_in_place(b, n, x, y_length, scale);
        return;
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
