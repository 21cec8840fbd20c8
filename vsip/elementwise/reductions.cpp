// Reductions to one value: sums, sums of squares and means of real and
// complex vectors, the matrix sum, and the extreme values with their index.
//
// Contiguous passes keep eight single-precision partial results, lane k
// taking elements k, k+8, k+16, ... of the first 8 x floor(n/8) elements;
// the lanes are combined in order 0 to 7, then the remaining n mod 8
// elements are taken one by one.  The rounding of a contiguous sum, and the
// index an extreme-value search reports among equal extremes, depend on
// that order.  Strided passes run one sequential scan.
#include <cmath>
#include <limits>

#include "common/walk.hpp"

using vi::length_of;

namespace {

using vi::idx;

constexpr int kLanes = 8;

template <class Get>
float lane_sum(idx n, Get get) {
    float lane[kLanes] = {};
    const idx body = n / kLanes * kLanes;
    for (idx i = 0; i < body; i += kLanes)
        for (int k = 0; k < kLanes; ++k)
            lane[k] += get(i + k);
    float sum = 0.0f;
    for (int k = 0; k < kLanes; ++k)
        sum += lane[k];
    for (idx i = body; i < n; ++i)
        sum += get(i);
    return sum;
}

template <class Get>
float sequential_sum(idx n, Get get) {
    float sum = 0.0f;
    for (idx i = 0; i < n; ++i)
        sum += get(i);
    return sum;
}

// Sum of term(a[j]) over a real vector.
template <class Term>
float real_sum(const vsip_vview_f *a, Term term) {
    const auto w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    if (vi::choose_pass<vi::split_only>(w) == vi::pass::contiguous) {
        const float *p = w.p;
        return lane_sum(n, [p, term](idx i) { return term(p[i]); });
    }
    return sequential_sum(n, [w, term](idx i) { return term(w.p[i * w.step]); });
}

inline float identity(float x) { return x; }
inline float square(float x) { return x * x; }
inline float magsq(float re, float im) { return std::fma(re, re, im * im); }

// The mean divides the single-precision sum by float(n): 0 / 0 for an
// empty view.
inline float mean(float sum, vsip_length n) { return sum / static_cast<float>(n); }

// Lane sums over the 2n floats of an interleaved vector, term applied to
// each float: even lanes collect real parts, odd lanes imaginary parts.
template <class Term>
vsip_cscalar_f interleaved_lane_sums(const float *x, idx n, Term term) {
    float lane[kLanes] = {};
    const idx floats = 2 * n, body = floats / kLanes * kLanes;
    for (idx f = 0; f < body; f += kLanes)
        for (int k = 0; k < kLanes; ++k)
            lane[k] += term(x[f + k]);
    vsip_cscalar_f sum{0.0f, 0.0f};
    for (int k = 0; k < kLanes; k += 2) {
        sum.r += lane[k];
        sum.i += lane[k + 1];
    }
    for (idx f = body; f < floats; f += 2) {
        sum.r += term(x[f]);
        sum.i += term(x[f + 1]);
    }
    return sum;
}

// ---- Extreme values ----------------------------------------------------------

struct found {
    float value;
    vsip_index index;
};

// Where the search starts: from element 0 (first = element 0's value,
// scanning from element 1), or from a fixed value with index 0 scanning
// from element 0 (the magnitude maxima start from 0).
struct start_rule {
    float lane_start; // contiguous lanes start here
    bool from_fixed;  // strided pass starts from lane_start too
};

// better(candidate, current) is the strict comparison of the search.
template <class Value, class Better>
found extreme(idx n, bool contiguous, start_rule rule, Value value, Better better) {
    found best{rule.lane_start, 0};
    if (n <= 0) // nothing to read: the start value with index 0
        return best;
    if (contiguous) {
        found lane[kLanes];
        for (found &l : lane)
            l = found{rule.lane_start, 0};
        const idx body = n / kLanes * kLanes;
        for (idx i = 0; i < body; i += kLanes)
            for (int k = 0; k < kLanes; ++k) {
                const float v = value(i + k);
                if (better(v, lane[k].value))
                    lane[k] = found{v, static_cast<vsip_index>(i + k)};
            }
        best = lane[0];
        for (int k = 1; k < kLanes; ++k)
            if (better(lane[k].value, best.value))
                best = lane[k];
        for (idx i = body; i < n; ++i) {
            const float v = value(i);
            if (better(v, best.value))
                best = found{v, static_cast<vsip_index>(i)};
        }
        return best;
    }
    idx j = 0;
    if (!rule.from_fixed)
        best = found{value(0), 0}, j = 1;
    for (; j < n; ++j) {
        const float v = value(j);
        if (better(v, best.value))
            best = found{v, static_cast<vsip_index>(j)};
    }
    return best;
}

inline bool greater(float a, float b) { return a > b; }
inline bool less(float a, float b) { return a < b; }

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr start_rule kMax{-kInf, false}, kMin{kInf, false}, kMaxMagnitude{0.0f, true};

inline float report(found f, vsip_index *index) {
    if (index)
        *index = f.index;
    return f.value;
}

template <class Term, class Better>
float real_extreme(const vsip_vview_f *a, vsip_index *index, start_rule rule, Term term, Better better) {
    const auto w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    const bool contiguous = vi::choose_pass<vi::split_only>(w) == vi::pass::contiguous;
    const float *p = w.p;
    const idx step = contiguous ? 1 : w.step;
    return report(extreme(n, contiguous, rule, [=](idx i) { return term(p[i * step]); }, better), index);
}

template <class Better>
float complex_extreme(const vsip_cvview_f *a, vsip_index *index, start_rule rule, Better better) {
    const vi::cplx_walk w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    const bool contiguous = vi::choose_pass<vi::split_only>(w) == vi::pass::contiguous;
    const float *re = w.re, *im = w.im;
    const idx step = contiguous ? 1 : w.step;
    return report(
        extreme(n, contiguous, rule, [=](idx i) { return magsq(re[i * step], im[i * step]); }, better),
        index);
}

} // namespace

extern "C" {

VSIP_API vsip_scalar_f vsip_vsumval_f(const vsip_vview_f *a) { return real_sum(a, identity); }
VSIP_API vsip_scalar_f vsip_vsumsqval_f(const vsip_vview_f *a) { return real_sum(a, square); }
VSIP_API vsip_scalar_f vsip_vmeanval_f(const vsip_vview_f *a) {
    return mean(real_sum(a, identity), length_of(a));
}
VSIP_API vsip_scalar_f vsip_vmeansqval_f(const vsip_vview_f *a) {
    return mean(real_sum(a, square), length_of(a));
}

// Sum over the matrix in the order of its own smaller stride.
VSIP_API vsip_scalar_f vsip_msumval_f(const vsip_mview_f *a) {
    float sum = 0.0f;
    vi::matrix_scan(vi::walk(a), a->col_length, a->row_length, [&sum](float x) { sum += x; });
    return sum;
}

VSIP_API vsip_cscalar_f vsip_cvmeanval_f(const vsip_cvview_f *a) {
    const vi::cplx_walk w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    vsip_cscalar_f sum;
    switch (vi::choose_pass<vi::split_or_interleaved>(w)) {
    case vi::pass::contiguous: {
        const float *re = w.re, *im = w.im;
        sum = {lane_sum(n, [re](idx i) { return re[i]; }), lane_sum(n, [im](idx i) { return im[i]; })};
        break;
    }
    case vi::pass::interleaved:
        sum = interleaved_lane_sums(w.re, n, identity);
        break;
    default:
        sum = {sequential_sum(n, [w](idx i) { return w.re[i * w.step]; }),
               sequential_sum(n, [w](idx i) { return w.im[i * w.step]; })};
        break;
    }
    return {mean(sum.r, length_of(a)), mean(sum.i, length_of(a))};
}

// Mean of re x re + im x im (fused per element; on the interleaved pass the
// two squares go to different lanes and are added when the lanes combine).
VSIP_API vsip_scalar_f vsip_cvmeansqval_f(const vsip_cvview_f *a) {
    const vi::cplx_walk w = vi::walk(a);
    const idx n = static_cast<idx>(length_of(a));
    float sum;
    switch (vi::choose_pass<vi::split_or_interleaved>(w)) {
    case vi::pass::contiguous: {
        const float *re = w.re, *im = w.im;
        sum = lane_sum(n, [re, im](idx i) { return magsq(re[i], im[i]); });
        break;
    }
    case vi::pass::interleaved: {
        // Lanes over the 2n squares, combined in lane order 0 to 7, then the
        // remaining squares one by one.
        const float *x = w.re;
        sum = lane_sum(2 * n, [x](idx f) { return x[f] * x[f]; });
        break;
    }
    default:
        sum = sequential_sum(n, [w](idx i) { return magsq(w.re[i * w.step], w.im[i * w.step]); });
        break;
    }
    return mean(sum, length_of(a));
}

// ---- Extreme values with their index -------------------------------------------

VSIP_API vsip_scalar_f vsip_vmaxval_f(const vsip_vview_f *a, vsip_index *index) {
    return real_extreme(a, index, kMax, identity, greater);
}
VSIP_API vsip_scalar_f vsip_vminval_f(const vsip_vview_f *a, vsip_index *index) {
    return real_extreme(a, index, kMin, identity, less);
}
VSIP_API vsip_scalar_f vsip_vmaxmgval_f(const vsip_vview_f *a, vsip_index *index) {
    return real_extreme(a, index, kMaxMagnitude, [](float x) { return std::fabs(x); }, greater);
}
VSIP_API vsip_scalar_f vsip_vminmgval_f(const vsip_vview_f *a, vsip_index *index) {
    return real_extreme(a, index, kMin, [](float x) { return std::fabs(x); }, less);
}
VSIP_API vsip_scalar_f vsip_vcmaxmgsqval_f(const vsip_cvview_f *a, vsip_index *index) {
    return complex_extreme(a, index, kMaxMagnitude, greater);
}
VSIP_API vsip_scalar_f vsip_vcminmgsqval_f(const vsip_cvview_f *a, vsip_index *index) {
    return complex_extreme(a, index, kMin, less);
}

} // extern "C"
