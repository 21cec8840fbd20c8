// One-operand element-wise functions: real elementary functions (array
// functions of dazaro-tv on the contiguous pass, double-precision libm per
// element on the strided pass), real and complex magnitudes, negation and
// conjugation, the complex exponential, logarithm, square root and
// reciprocal, and Euler's formula.
//
// The compute-bound ones (elementary functions, roots, reciprocals, complex
// magnitude, exponential, logarithm, square root and reciprocal, Euler's
// formula) spread long views over threads in contiguous runs
// (vi::threaded_runs); the cheap ones (magnitude, negation, conjugation,
// squares) stay on the calling thread, where memory is the limit.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <xmmintrin.h>

#include <dazaro_tv.h>

#include "common/parallel.hpp"
#include "common/walk.hpp"

using vi::length_of;

namespace {

using vi::idx;

// Element-wise functions that evaluate in double precision on the strided
// pass: float(f(double(x))).
template <class Lib>
inline auto in_double(Lib lib) {
    return [lib](float x) { return static_cast<float>(lib(static_cast<double>(x))); };
}

// Real elementary function: `array` (a dazaro-tv entry point) on the
// contiguous pass, `lib` in double precision per element otherwise.
template <class Array, class Lib>
inline void elementary(const vsip_vview_f *a, const vsip_vview_f *r, Array array, Lib lib) {
    vi::threaded_array_or_strided(length_of(r), array, in_double(lib), vi::walk(r), vi::walk(a));
}

// |a|^2 = re x re + im x im, fused.
inline float magsq(vsip_cscalar_f x) { return std::fma(x.r, x.r, x.i * x.i); }

inline float clear_sign(float x) { return __builtin_fabsf(x); }

// Real unary family without array function: the same operation on both
// passes (roots and reciprocals, threaded for long views).
template <class Op>
inline void real_unary(const vsip_vview_f *a, const vsip_vview_f *r, Op op) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), op, vi::walk(r), vi::walk(a));
}

// The strided pass of op over n elements of walked vectors.
template <class Op, class R, class A>
inline void strided_pass(idx n, Op op, const R &r, const A &a) {
    vi::each(n, op, vi::ref<vi::pass::strided>(r), vi::ref<vi::pass::strided>(a));
}

// Elements per piece of the array-function passes that need an operand
// or a result of their own (exp10's base, cvexp's real exponentials): a
// stack buffer or constant table of this many floats serves every call.
constexpr idx kPiece = 1024;

struct tens_table {
    float v[kPiece];
};
constexpr tens_table make_tens() {
    tens_table t{};
    for (idx i = 0; i < kPiece; ++i)
        t.v[i] = 10.0f;
    return t;
}
constexpr tens_table kTens = make_tens();

} // namespace

extern "C" {

// ---- Real elementary functions -----------------------------------------------

VSIP_API void vsip_vacos_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsAcos, [](double x) { return std::acos(x); });
}
VSIP_API void vsip_vasin_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsAsin, [](double x) { return std::asin(x); });
}
VSIP_API void vsip_vatan_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsAtan, [](double x) { return std::atan(x); });
}
VSIP_API void vsip_vcos_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsCos, [](double x) { return std::cos(x); });
}
VSIP_API void vsip_vsin_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsSin, [](double x) { return std::sin(x); });
}
VSIP_API void vsip_vtan_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsTan, [](double x) { return std::tan(x); });
}
VSIP_API void vsip_vexp_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsExp, [](double x) { return std::exp(x); });
}
VSIP_API void vsip_vlog_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsLn, [](double x) { return std::log(x); });
}
VSIP_API void vsip_vlog10_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    elementary(a, r, vsLog10, [](double x) { return std::log10(x); });
}
VSIP_API void vsip_vsq_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    vi::array_or_strided(length_of(r), vsSqr, [](float x) { return x * x; }, vi::walk(r), vi::walk(a));
}

VSIP_API void vsip_vatan2_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
    vi::threaded_array_or_strided(
        length_of(r), vsAtan2,
        [](float y, float x) {
            return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
        },
        vi::walk(r), vi::walk(a), vi::walk(b));
}

// 10^a: vsPow with a base operand of tens on the contiguous pass, in
// pieces of kPiece elements so that the tens are one constant table.  A
// piece is a multiple of every block width of the array functions, so each
// element takes the same kernel path, and the same bits, as in one call
// over the whole run.
VSIP_API void vsip_vexp10_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    const auto wa = vi::walk(a), wr = vi::walk(r);
    const bool contiguous = vi::choose_pass<vi::split_only>(wr, wa) == vi::pass::contiguous;
    const auto pow10 = in_double([](double x) { return std::pow(10.0, x); });
    vi::threaded_runs(length_of(r), [&](idx k, idx n) {
        const auto ra = vi::from_element(wa, k), rr = vi::from_element(wr, k);
        if (!contiguous) {
            strided_pass(n, pow10, rr, ra);
            return;
        }
        vi::in_chunks<kPiece>(n, [&](int count, idx i) {
            vsPow(count, kTens.v, ra.p + i, rr.p + i);
        });
    });
}

// ---- Other real unary functions ------------------------------------------------

VSIP_API void vsip_vsqrt_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    real_unary(a, r, [](float x) { return std::sqrt(x); });
}
VSIP_API void vsip_vrsqrt_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    real_unary(a, r, [](float x) { return 1.0f / std::sqrt(x); });
}
VSIP_API void vsip_vrecip_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    real_unary(a, r, [](float x) { return 1.0f / x; });
}

// |a|: the contiguous pass clears the sign bit; the strided pass negates
// negative elements (so -0 and negative NaNs keep their sign there).
VSIP_API void vsip_vmag_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    const auto wa = vi::walk(a), wr = vi::walk(r);
    const idx n = static_cast<idx>(length_of(r));
    if (vi::choose_pass<vi::split_only>(wr, wa) == vi::pass::contiguous)
        vi::each(n, clear_sign, vi::ref<vi::pass::contiguous>(wr), vi::ref<vi::pass::contiguous>(wa));
    else
        vi::each(n, [](float x) { return x < 0.0f ? -x : x; }, vi::ref<vi::pass::strided>(wr),
                 vi::ref<vi::pass::strided>(wa));
}

// -a: sign-bit flip, except in the 8-wide blocks of the contiguous pass,
// which compute 0 - a (+0 stays +0 there).
VSIP_API void vsip_vneg_f(const vsip_vview_f *a, const vsip_vview_f *r) {
    const auto wa = vi::walk(a), wr = vi::walk(r);
    const idx n = static_cast<idx>(length_of(r));
    if (vi::choose_pass<vi::split_only>(wr, wa) != vi::pass::contiguous) {
        vi::each(n, vi::flip_sign, vi::ref<vi::pass::strided>(wr), vi::ref<vi::pass::strided>(wa));
        return;
    }
    const idx body = n / 8 * 8;
    const float *x = wa.p;
    float *y = wr.p;
    for (idx i = 0; i < body; ++i)
        y[i] = 0.0f - x[i];
    for (idx i = body; i < n; ++i)
        y[i] = vi::flip_sign(x[i]);
}

VSIP_API void vsip_mmag_f(const vsip_mview_f *A, const vsip_mview_f *R) {
    vi::matrix_elementwise(R->col_length, R->row_length, [](float x) { return x < 0.0f ? -x : x; },
                           vi::walk(R), vi::walk(A));
}

// ---- Complex unary functions ---------------------------------------------------

VSIP_API void vsip_cvconj_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r), [](vsip_cscalar_f x) { return vsip_cscalar_f{x.r, vi::flip_sign(x.i)}; },
        vi::walk(r), vi::walk(a));
}

VSIP_API void vsip_cvneg_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    vi::elementwise<vi::split_or_interleaved>(
        length_of(r),
        [](vsip_cscalar_f x) { return vsip_cscalar_f{vi::flip_sign(x.r), vi::flip_sign(x.i)}; },
        vi::walk(r), vi::walk(a));
}

// Conjugate of every matrix element, the items spread over threads: item i
// is the i-th element in the order of R's smaller stride.
VSIP_API void vsip_cmconj_f(const vsip_cmview_f *A, const vsip_cmview_f *R) {
    const vi::cplx_mwalk wa = vi::walk(A), wr = vi::walk(R);
    const idx cols = static_cast<idx>(R->row_length), rows = static_cast<idx>(R->col_length);
    const bool rows_inner = wr.row_first;
    const idx inner = rows_inner ? cols : rows;
    vi::parallel(rows * cols, [&](std::int64_t item) {
        const idx o = item / inner, k = item % inner;
        const idx i = rows_inner ? o : k, j = rows_inner ? k : o;
        const idx at_a = i * wa.col_step + j * wa.row_step, at_r = i * wr.col_step + j * wr.row_step;
        const float im = wa.im[at_a];
        wr.re[at_r] = wa.re[at_a];
        wr.im[at_r] = vi::flip_sign(im);
    });
}

VSIP_API void vsip_vcmagsq_f(const vsip_cvview_f *a, const vsip_vview_f *r) {
    vi::elementwise<vi::split_only>(length_of(r), magsq, vi::walk(r), vi::walk(a));
}

VSIP_API void vsip_cvmag_f(const vsip_cvview_f *a, const vsip_vview_f *r) {
    vi::threaded_elementwise<vi::split_only>(length_of(r), [](vsip_cscalar_f x) { return std::sqrt(magsq(x)); },
                                    vi::walk(r), vi::walk(a));
}

// Scaled magnitude s x sqrt((re/s)^2 + (im/s)^2) with s = |re| + |im|, in
// the single-precision form (re x re) / (s x s) while s x s is a normal
// float.  Where s x s overflows or underflows although s is a finite
// nonzero number, that form would give NaN or 0 for a representable
// magnitude: those elements are scaled in double precision instead.
VSIP_API void vsip_cmmag_f(const vsip_cmview_f *A, const vsip_mview_f *R) {
    vi::matrix_elementwise(
        R->col_length, R->row_length,
        [](vsip_cscalar_f x) {
            const float s = std::fabs(x.r) + std::fabs(x.i);
            const float ss = s * s;
            if (ss >= FLT_MIN && ss <= FLT_MAX)
                return s * std::sqrt((x.r * x.r) / ss + (x.i * x.i) / ss);
            if (s == 0.0f)
                return 0.0f;
            if (!(s <= FLT_MAX)) // infinite or NaN parts
                return s;
            const double re = x.r / static_cast<double>(s), im = x.i / static_cast<double>(s);
            return static_cast<float>(s * std::sqrt(re * re + im * im));
        },
        vi::walk(R), vi::walk(A));
}

// ---- Complex reciprocal ----------------------------------------------------------

namespace {

// Exact form: (re x (1/d), -im x (1/d)), d = re x re + im x im fused.
inline vsip_cscalar_f recip_exact(vsip_cscalar_f x) {
    const float inv = 1.0f / magsq(x);
    return {x.r * inv, vi::flip_sign(x.i) * inv};
}

// Four reciprocal estimates (relative error at most 1.5 x 2^-12).
inline void estimate4(const float *d, float *y) { _mm_storeu_ps(y, _mm_rcp_ps(_mm_loadu_ps(d))); }

// Contiguous passes in blocks of 8 with the processor's reciprocal
// estimate of d and no refinement; remainders and the strided pass divide
// exactly.
void cvrecip_run(const vi::cplx_walk &wa, const vi::cplx_walk &wr, idx n) {
    const vi::pass p = vi::choose_pass<vi::split_or_interleaved>(wr, wa);
    if (p == vi::pass::strided) {
        vi::each(n, recip_exact, vi::ref<vi::pass::strided>(wr), vi::ref<vi::pass::strided>(wa));
        return;
    }
    float d[8], y[8];
    idx done;
    if (p == vi::pass::contiguous) {
        const idx body = n / 8 * 8;
        for (idx i = 0; i < body; i += 8) {
            for (int k = 0; k < 8; ++k)
                d[k] = std::fma(wa.re[i + k], wa.re[i + k], wa.im[i + k] * wa.im[i + k]);
            estimate4(d, y);
            estimate4(d + 4, y + 4);
            for (int k = 0; k < 8; ++k) {
                const float re = wa.re[i + k], im = wa.im[i + k];
                wr.re[i + k] = re * y[k];
                wr.im[i + k] = vi::flip_sign(im * y[k]);
            }
        }
        done = body;
    } else {
        // Interleaved: 8 floats (4 pairs) per block, imaginary lanes negated.
        const idx body = (2 * n) / 8 * 8;
        const float *x = wa.re;
        float *z = wr.re;
        for (idx f = 0; f < body; f += 8) {
            for (int k = 0; k < 8; k += 2)
                d[k] = d[k + 1] = std::fma(x[f + k], x[f + k], x[f + k + 1] * x[f + k + 1]);
            estimate4(d, y);
            estimate4(d + 4, y + 4);
            for (int k = 0; k < 8; k += 2) {
                const float re = x[f + k], im = x[f + k + 1];
                z[f + k] = re * y[k];
                z[f + k + 1] = vi::flip_sign(im * y[k + 1]);
            }
        }
        done = body / 2;
    }
    const vi::step_cref ta{wa.re + done * wa.step, wa.im + done * wa.step, wa.step};
    const vi::step_cref tr{wr.re + done * wr.step, wr.im + done * wr.step, wr.step};
    vi::each(n - done, recip_exact, tr, ta);
}

} // namespace

VSIP_API void vsip_cvrecip_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    const vi::cplx_walk wa = vi::walk(a), wr = vi::walk(r);
    vi::threaded_runs(length_of(r), [&](idx k, idx n) {
        cvrecip_run(vi::from_element(wa, k), vi::from_element(wr, k), n);
    });
}

// ---- Complex exponential ---------------------------------------------------------

namespace {

// The contiguous pass computes the real parts' exponentials into a stack
// buffer, one piece at a time (a piece is a multiple of every block width
// of the array functions, so the bits are those of one call over the run).
void cvexp_run(const vi::cplx_walk &wa, const vi::cplx_walk &wr, idx n) {
    if (vi::choose_pass<vi::split_only>(wr, wa) != vi::pass::contiguous) {
        strided_pass(
            n,
            [](vsip_cscalar_f x) {
                const float e = static_cast<float>(std::exp(static_cast<double>(x.r)));
                const float c = static_cast<float>(std::cos(static_cast<double>(x.i)));
                const float s = static_cast<float>(std::sin(static_cast<double>(x.i)));
                return vsip_cscalar_f{c * e, s * e};
            },
            wr, wa);
        return;
    }
    // The exponential of the real parts is taken first, so the call is
    // correct in place.
    float t[kPiece];
    vi::in_chunks<kPiece>(n, [&](int count, idx k) {
        vsExp(count, wa.re + k, t);
        vsCos(count, wa.im + k, wr.re + k);
        vsSin(count, wa.im + k, wr.im + k);
        float *re = wr.re + k, *im = wr.im + k;
        for (idx i = 0; i < count; ++i) {
            re[i] = re[i] * t[i];
            im[i] = im[i] * t[i];
        }
    });
}

} // namespace

VSIP_API void vsip_cvexp_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    const vi::cplx_walk wa = vi::walk(a), wr = vi::walk(r);
    vi::threaded_runs(length_of(r), [&](idx k, idx n) {
        cvexp_run(vi::from_element(wa, k), vi::from_element(wr, k), n);
    });
}

// ---- Complex logarithm -----------------------------------------------------------

// (ln |a|, arg a).  |a| = s x sqrt(q) with s = |re| + |im| and
// q = (re x re) / (s x s) + (im x im) / (s x s) in single precision; the
// logarithm of 0 is the most negative finite float.  Where s x s
// overflows or underflows (|a| above about 1.8e19 or below about 1e-19),
// q would be NaN or wrong, so those elements form q in double precision.
VSIP_API void vsip_cvlog_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    vi::threaded_elementwise<vi::split_or_interleaved>(
        length_of(r),
        [](vsip_cscalar_f x) {
            const float s = std::fabs(x.r) + std::fabs(x.i);
            float re;
            if (s == 0.0f) {
                re = -FLT_MAX;
            } else {
                const float ss = s * s;
                double q;
                if (ss >= FLT_MIN && ss <= FLT_MAX) {
                    q = (x.r * x.r) / ss + (x.i * x.i) / ss;
                } else {
                    const double u = x.r / static_cast<double>(s), v = x.i / static_cast<double>(s);
                    q = u * u + v * v;
                }
                re = static_cast<float>(std::log(static_cast<double>(s) * std::sqrt(q)));
            }
            const float im = static_cast<float>(std::atan2(static_cast<double>(x.i), static_cast<double>(x.r)));
            return vsip_cscalar_f{re, im};
        },
        vi::walk(r), vi::walk(a));
}

// ---- Complex square root -----------------------------------------------------------

namespace {

// Where x x x + y x y overflows or underflows in single precision (|a|
// above about 1.8e19 or below about 1e-19, nonzero), m and so the root
// would be infinite or lose most of its digits: such elements take the
// same formula in double precision, where the squares of floats neither
// overflow nor underflow.
inline bool outside_square_range(float x, float y, float q) {
    return q > FLT_MAX || (q < FLT_MIN && (x != 0.0f || y != 0.0f));
}

inline vsip_cscalar_f csqrt_wide(float xf, float yf) {
    const double x = xf, y = yf;
    const double s = std::sqrt((std::fabs(x) + std::sqrt(x * x + y * y)) * 0.5);
    const double d = y / (2.0 * s);
    if (!(x < 0.0))
        return {static_cast<float>(s), static_cast<float>(d)};
    return {static_cast<float>(std::fabs(d)), static_cast<float>(y < 0.0 ? -s : s)};
}

// Per-element principal square root (strided pass and remainders).
inline vsip_cscalar_f csqrt_element(vsip_cscalar_f a) {
    const float x = a.r, y = a.i;
    if (y == 0.0f)
        return x < 0.0f ? vsip_cscalar_f{0.0f, std::sqrt(-x)} : vsip_cscalar_f{std::sqrt(x), 0.0f};
    if (x == 0.0f) {
        const float s = static_cast<float>(std::sqrt(std::fabs(y) * 0.5));
        return {s, y > 0.0f ? s : -s};
    }
    const float q = std::fma(x, x, y * y);
    if (outside_square_range(x, y, q))
        return csqrt_wide(x, y);
    const float m = std::sqrt(q);
    const float s = static_cast<float>(std::sqrt(static_cast<double>(std::fabs(x) + m) * 0.5));
    const float d = y / (2.0f * s);
    if (!(x < 0.0f)) // also NaN: NaN parts
        return {s, d};
    return y < 0.0f ? vsip_cscalar_f{-d, -s} : vsip_cscalar_f{d, s};
}

// Contiguous split pass: blocks of 8 elements computed without branches
// (z = y / (2s + 1e-8) keeps z = 0 for a = 0), elements outside the
// single-precision square range repaired afterwards; the remaining n mod 8
// elements and the strided pass use the per-element form.
void cvsqrt_run(const vi::cplx_walk &wa, const vi::cplx_walk &wr, idx n) {
    idx done = 0;
    if (vi::choose_pass<vi::split_only>(wr, wa) == vi::pass::contiguous) {
        const idx body = n / 8 * 8;
        const float tiny = 9.99999993922529e-09f;
        for (idx i = 0; i < body; i += 8) {
            float re[8], im[8];
            bool repair = false;
            for (int k = 0; k < 8; ++k) {
                const float x = wa.re[i + k], y = wa.im[i + k];
                const float q = std::fma(y, y, x * x);
                repair |= outside_square_range(x, y, q);
                const float m = std::sqrt(q);
                const float s = std::sqrt((m + std::fabs(x)) * 0.5f);
                const float z = y / (2.0f * s + tiny);
                const float sy = y < 0.0f ? -s : s;
                const bool left = x < 0.0f;
                re[k] = left ? (y < 0.0f ? -z : z) : s;
                im[k] = (left || (x == 0.0f && y != 0.0f)) ? sy : z;
            }
            if (__builtin_expect(repair, 0))
                for (int k = 0; k < 8; ++k) {
                    const float x = wa.re[i + k], y = wa.im[i + k];
                    if (outside_square_range(x, y, std::fma(y, y, x * x))) {
                        const vsip_cscalar_f w = csqrt_wide(x, y);
                        re[k] = w.r, im[k] = w.i;
                    }
                }
            for (int k = 0; k < 8; ++k) {
                wr.re[i + k] = re[k];
                wr.im[i + k] = im[k];
            }
        }
        done = body;
    }
    const vi::step_cref ta{wa.re + done * wa.step, wa.im + done * wa.step, wa.step};
    const vi::step_cref tr{wr.re + done * wr.step, wr.im + done * wr.step, wr.step};
    vi::each(n - done, csqrt_element, tr, ta);
}

} // namespace

VSIP_API void vsip_cvsqrt_f(const vsip_cvview_f *a, const vsip_cvview_f *r) {
    const vi::cplx_walk wa = vi::walk(a), wr = vi::walk(r);
    vi::threaded_runs(length_of(r), [&](idx k, idx n) {
        cvsqrt_run(vi::from_element(wa, k), vi::from_element(wr, k), n);
    });
}

// ---- Euler's formula ---------------------------------------------------------------

// (cos a, sin a): vsCos then vsSin when a and r's real part are distinct
// unit-stride arrays; otherwise sincos in double precision per element.
VSIP_API void vsip_veuler_f(const vsip_vview_f *a, const vsip_cvview_f *r) {
    const auto whole_a = vi::walk(a);
    const vi::cplx_walk whole_r = vi::walk(r);
    const bool arrays =
        vi::choose_pass<vi::split_only>(whole_r, whole_a) == vi::pass::contiguous && whole_a.p != whole_r.re;
    vi::threaded_runs(length_of(r), [&](idx first, idx n) {
        const auto wa = vi::from_element(whole_a, first);
        const vi::cplx_walk wr = vi::from_element(whole_r, first);
        if (arrays) {
            vi::in_chunks(n, [&](int count, idx k) {
                vsCos(count, wa.p + k, wr.re + k);
                vsSin(count, wa.p + k, wr.im + k);
            });
            return;
        }
        strided_pass(
            n,
            [](float x) {
                double s, c;
                ::sincos(static_cast<double>(x), &s, &c);
                return vsip_cscalar_f{static_cast<float>(c), static_cast<float>(s)};
            },
            wr, wa);
    });
}

} // extern "C"
