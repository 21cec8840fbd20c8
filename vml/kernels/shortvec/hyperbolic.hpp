// Hyperbolic family: sinh, cosh, tanh, asinh, acosh and atanh on float and
// double lanes.
//
// The direct functions are built on the exponential cores of exp.hpp
// (exp_lanes, with its own special-lane fix-up decided by the argument it
// is given: |x| for cosh and double sinh, 2|x| for tanh); only float sinh
// has its own reduction, whose polynomial yields e^r - 1 directly.  The
// inverse functions form an argument w and take log1p_lanes(w) of log.hpp,
// so zeros, tiny arguments, infinities and NaN get log1p's IEEE results.
//
// Compile only with -mavx2 -mfma (see simd.hpp).
#pragma once

#include <cmath>
#include <cstdint>

#include "exp.hpp"
#include "log.hpp"
#include "simd.hpp"

// tanh of two doubles: the real function behind tvml_vd2_tanh_tarvo and the
// 2-double tanh array kernel (hyperbolic_kernels.cpp).
extern "C" __m128d simd_tanh2d(__m128d x);

namespace tvml {
namespace avx2 {

// ---------------------------------------------------------------------------
// sinh

template <class T>
struct SinhConstants;

template <>
struct SinhConstants<float> {
    static constexpr uint32_t sinhs_clip = 0x42B17218;       // 88.72284, clamp of |x|
    static constexpr uint32_t sinhs_inv_ln2 = 0x3FB8AA3B;    // 1.442695
    static constexpr uint32_t sinhs_shift = 0x4B400000;      // 12582912 = 1.5 * 2^23
    static constexpr uint32_t sinhs_neg_shift = 0xCB400000;  // -12582912
    static constexpr uint32_t sinhs_ln2_hi = 0x3F317200;     // 0.69314575
    static constexpr uint32_t sinhs_ln2_lo = 0x35BFBE8E;     // 1.4286068e-06
    // (e^r - 1) / r = p0 + r (p1 + r (p2 + r (p3 + r p4)))
    static constexpr uint32_t sinhs_p0 = 0x3F7FFFFF;  // 0.99999994
    static constexpr uint32_t sinhs_p1 = 0x3EFFFF2E;  // 0.49999374
    static constexpr uint32_t sinhs_p2 = 0x3E2AAB6F;  // 0.16666959
    static constexpr uint32_t sinhs_p3 = 0x3D2B858D;  // 0.04187541
    static constexpr uint32_t sinhs_p4 = 0x3C087CDD;  // 0.008330551
    static constexpr uint32_t sinhs_neg_one = 0xBF800000;  // -1.0
    static constexpr uint32_t one = 0x3F800000;       // 1.0; added to n << 23: 2^n
    static constexpr uint32_t half = 0x3F000000;      // 0.5
    static constexpr uint32_t overflow = 0x42B0C0A5;  // 88.37626 = 127.5 ln 2: 2^n has no float beyond
    static constexpr uint32_t inf = 0x7F800000;
};

template <>
struct SinhConstants<double> {
    // sinh x = x + x^3 (p1 + s (p2 + s (p3 + s (p4 + s p5)))), s = x^2, |x| <= 0.5
    static constexpr uint64_t sinhd_p1 = 0x3FC5555555555577;  // 0.1666666666666676
    static constexpr uint64_t sinhd_p2 = 0x3F81111111102FCC;  // 0.008333333333233293
    static constexpr uint64_t sinhd_p3 = 0x3F2A01A01FDEE281;  // 0.0001984127010794708
    static constexpr uint64_t sinhd_p4 = 0x3EC71DD527DCF000;  // 2.755705564986763e-06
    static constexpr uint64_t sinhd_p5 = 0x3E5B043FE88D8000;  // 2.516116962296335e-08
    static constexpr uint64_t half = 0x3FE0000000000000;      // 0.5: bound of the polynomial, and 1/2
};

// e^a - 1 for 0 <= a <= 88.72284 by 2^n (e^r - 1) + (2^n - 1).
template <int N>
inline Vec<float, N> sinhf_em1(Vec<float, N> a) {
    using V = Vec<float, N>;
    using I = Vec<int32_t, N>;
    using C = SinhConstants<float>;
    const V t = fma(a, splat<V>(C::sinhs_inv_ln2), splat<V>(C::sinhs_shift));
    const V n = t + splat<V>(C::sinhs_neg_shift);
    V r = fnma(n, splat<V>(C::sinhs_ln2_hi), a);
    r = fnma(n, splat<V>(C::sinhs_ln2_lo), r);
    // The low bits of t hold n in two's complement.
    const V s = from_bits(shift_left<23>(to_bits(t)) + isplat<I>(C::one));
    V p = fma(splat<V>(C::sinhs_p4), r, splat<V>(C::sinhs_p3));
    p = fma(p, r, splat<V>(C::sinhs_p2));
    p = fma(p, r, splat<V>(C::sinhs_p1));
    p = fma(p, r, splat<V>(C::sinhs_p0));
    const V q = r * p;
    return fma(q, s, s + splat<V>(C::sinhs_neg_one));
}

// Beyond 88.37626: +-inf by the sign of x; NaN stays NaN.
template <int N>
TVML_COLD Vec<float, N> sinh_special_lanes(Vec<float, N> x, Vec<float, N> y) {
    using V = Vec<float, N>;
    using C = SinhConstants<float>;
    const V sign = x & splat<V>(0x80000000u);
    y = select(gt(abs(x), splat<V>(C::overflow)), splat<V>(C::inf) | sign, y);
    return select(unord(x, x), x + x, y);
}

template <int N>
inline Vec<float, N> sinh_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = SinhConstants<float>;
    const V sign = x & splat<V>(0x80000000u);
    const V a = min(abs(x), splat<V>(C::sinhs_clip));
    const V em1 = sinhf_em1(a);
    // (e^a - e^-a) / 2 = h + h / e^a with h = (e^a - 1) / 2.
    const V h = splat<V>(C::half) * em1;
    const V y = (h + h / (em1 + splat<V>(C::one))) | sign;
    // Not |x| <= 88.37626: too large, or NaN.
    const V special = cmp<_CMP_NLE_UQ>(abs(x), splat<V>(C::overflow));
    if (TVML_UNLIKELY(any(special))) return sinh_special_lanes(x, y);
    return y;
}

template <int N>
inline Vec<double, N> sinh_lanes(Vec<double, N> x) {
    using V = Vec<double, N>;
    using C = SinhConstants<double>;
    const V half = splat<V>(C::half);
    const V a = abs(x);
    const V sign = x & splat<V>(0x8000000000000000u);
    const V e = exp_lanes(a);
    const V big = fms(half, e, half / e) | sign;
    const V s = x * x;
    V p = fma(splat<V>(C::sinhd_p5), s, splat<V>(C::sinhd_p4));
    p = fma(p, s, splat<V>(C::sinhd_p3));
    p = fma(p, s, splat<V>(C::sinhd_p2));
    p = fma(p, s, splat<V>(C::sinhd_p1));
    const V small = fma(x, s * p, x);
    return select(le(a, half), small, big);
}

// ---------------------------------------------------------------------------
// cosh: 0.5 (E + 1 / E), E = e^|x|.

template <class T>
struct CoshConstants;

template <>
struct CoshConstants<float> {
    static constexpr uint32_t half = 0x3F000000;  // 0.5
    static constexpr uint32_t one = 0x3F800000;   // 1.0
};

template <>
struct CoshConstants<double> {
    static constexpr uint64_t cosh_maxlog = 0x40862E42D0E56042;  // 709.782625: saturation bound
    static constexpr uint64_t cosh_maxnum = 0x7FEFFFFFFFFFFFFF;  // largest finite double
    static constexpr uint64_t half = 0x3FE0000000000000;         // 0.5
    static constexpr uint64_t one = 0x3FF0000000000000;          // 1.0
};

// The 16/8-float array kernel's variant: lanes beyond the clamp of sinh
// saturate to the largest float (NaN stays NaN).
struct CoshSaturatedConstants {
    static constexpr uint32_t clip = 0x42B17218;    // 88.72284
    static constexpr uint32_t maxnum = 0x7F7FFFFF;  // 3.4028235e38
};

// Float: +inf where e^|x| overflows (|x| > 88.37626), NaN for NaN.
template <int N>
inline Vec<float, N> cosh_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = CoshConstants<float>;
    const V e = exp_lanes(abs(x));
    return splat<V>(C::half) * (e + splat<V>(C::one) / e);
}

// Double: the largest finite double for |x| > 709.782625 (infinities
// included), NaN for NaN.
template <int N>
inline Vec<double, N> cosh_lanes(Vec<double, N> x) {
    using V = Vec<double, N>;
    using C = CoshConstants<double>;
    const V a = abs(x);
    const V e = exp_lanes(a);
    const V c = splat<V>(C::half) * (e + splat<V>(C::one) / e);
    return select(gt(a, splat<V>(C::cosh_maxlog)), splat<V>(C::cosh_maxnum), c);
}

template <int N>
inline Vec<float, N> cosh_saturated_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = CoshSaturatedConstants;
    return select(gt(abs(x), splat<V>(C::clip)), splat<V>(C::maxnum), cosh_lanes(x));
}

// ---------------------------------------------------------------------------
// tanh

template <class T>
struct TanhConstants;

template <>
struct TanhConstants<float> {
    static constexpr uint32_t _ps256_tanh_0p625 = 0x3F200000;  // 0.625, small-argument bound
    // tanh x = x + x s (p4 + s (p3 + s (p2 + s (p1 + s p0)))), s = x^2
    static constexpr uint32_t _ps256_tanh_p4 = 0xBEAAAA99;  // -0.3333328
    static constexpr uint32_t _ps256_tanh_p3 = 0x3E088393;  // 0.13331442
    static constexpr uint32_t _ps256_tanh_p2 = 0xBD5C1E2D;  // -0.053739715
    static constexpr uint32_t _ps256_tanh_p1 = 0x3CA9134E;  // 0.020639088
    static constexpr uint32_t _ps256_tanh_p0 = 0xBBBAF0EA;  // -0.0057049887
    static constexpr uint32_t _ps256_tanh_half_max = 0x42300F34;  // 44.014847, saturation bound
    static constexpr uint32_t one = 0x3F800000;
    static constexpr uint32_t two = 0x40000000;
};

template <>
struct TanhConstants<double> {
    static constexpr uint64_t tanhd_stf = 0x3FE4000000000000;   // 0.625, small-argument bound
    static constexpr uint64_t saturation = 0x40762E42D0E56042;  // 354.8913125, half of 709.782625
    // tanh x = x + x s P(s) / Q(s), s = x^2, P = (P0 s + P1) s + P2,
    // Q = ((s + Q0) s + Q1) s + Q2
    static constexpr uint64_t m256_tanhd_p[3] = {
        0xBFEEDC5BAAFD6F4B,  // -0.9643991794250523
        0xC058D26A0E26682D,  // -99.28772310019185
        0xC0993AC030580563,  // -1614.6876844170845
    };
    static constexpr uint64_t m256_tanhd_q[3] = {
        0x405C33F28A581B86,  // 112.81167849163293
        0x40A176FA0E5535FA,  // 2235.4883906010045
        0x40B2EC102442040C,  // 4844.063053251255
    };
    static constexpr uint64_t tanhd_minus_1p0 = 0xBFF0000000000000;  // -1.0
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t two = 0x4000000000000000;
};

template <int N>
inline Vec<float, N> tanh_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = TanhConstants<float>;
    const V one = splat<V>(C::one);
    const V a = abs(x);
    const V sign = x & splat<V>(0x80000000u);
    const V small = lt(a, splat<V>(C::_ps256_tanh_0p625));
    // 1 - 2 / (e^2a + 1); e^2a overflows to +inf beyond 44.19, giving 1.
    const V e = exp_lanes(a + a);
    const V big = (one - splat<V>(C::two) / (e + one)) | sign;
    const V s = a * a;
    V p = fma(splat<V>(C::_ps256_tanh_p0), s, splat<V>(C::_ps256_tanh_p1));
    p = fma(p, s, splat<V>(C::_ps256_tanh_p2));
    p = fma(p, s, splat<V>(C::_ps256_tanh_p3));
    p = fma(p, s, splat<V>(C::_ps256_tanh_p4));
    const V poly = fma(x, s * p, x);
    // Sum of the masked branches: -0 + +0 gives tanh(-0) = +0.
    const V r = (small & poly) + andnot(small, big);
    return select(gt(a, splat<V>(C::_ps256_tanh_half_max)), one | sign, r);
}

template <int N>
inline Vec<double, N> tanh_lanes(Vec<double, N> x) {
    using V = Vec<double, N>;
    using C = TanhConstants<double>;
    const V one = splat<V>(C::one);
    const V neg = lt(x, zero<V>());
    const V pos = gt(x, zero<V>());
    const V a = select(neg, -x, x);
    const V saturated = select(neg, splat<V>(C::tanhd_minus_1p0), one);
    // a >= 0.625: 1 - 2 / (e^2a + 1) with the sign of x.
    const V e = exp_lanes(a + a);
    const V t = one - splat<V>(C::two) / (e + one);
    const V mid = select(pos, t, -t);
    // a < 0.625, and NaN: the rational form.
    const V s = x * x;
    const V p = fma(fma(splat<V>(C::m256_tanhd_p[0]), s, splat<V>(C::m256_tanhd_p[1])), s,
                    splat<V>(C::m256_tanhd_p[2]));
    const V q = fma(fma(s + splat<V>(C::m256_tanhd_q[0]), s, splat<V>(C::m256_tanhd_q[1])), s,
                    splat<V>(C::m256_tanhd_q[2]));
    const V small = fma(p / q, x * s, x);
    V r = select(ge(a, splat<V>(C::tanhd_stf)), mid, small);
    r = select(gt(a, splat<V>(C::saturation)), saturated, r);
    // Both zeros give +0.
    return andnot(eq(x, zero<V>()), r);
}

// ---------------------------------------------------------------------------
// asinh, acosh: log1p of an argument without cancellation.  Beyond 2^30
// the square root is dropped and the argument is 2|x| - 1, so that log1p
// gives ln(2|x|), what asinh and acosh are there (for floats 2|x| - 1
// rounds to 2|x|).  Where 2|x| overflows, ln|x| + ln 2 instead.

template <class T>
struct AsinhConstants;

template <>
struct AsinhConstants<float> {
    static constexpr uint32_t large = 0x4E800000;  // 2^30
    static constexpr uint32_t huge = 0x7EFFFFFF;   // 1.7014117e38: twice it overflows
    static constexpr uint32_t ln2 = 0x3F317218;    // 0.6931472
    static constexpr uint32_t one = 0x3F800000;
    static constexpr uint32_t nan = 0x7FC00000;
};

template <>
struct AsinhConstants<double> {
    static constexpr uint64_t large = 0x41D0000000000000;  // 2^30
    static constexpr uint64_t huge = 0x7FDFFFFFFFFFFFFF;   // 8.98846567431158e307: twice it overflows
    static constexpr uint64_t ln2 = 0x3FE62E42FEFA39EF;    // 0.6931471805599453
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t nan = 0x7FF8000000000000;
};

// acosh shares the large-argument path and its constants.
template <class T>
using AcoshConstants = AsinhConstants<T>;

// ln(2a) = ln a + ln 2 for the lanes where 2a overflows (log1p a is ln a
// there); the others keep y.
template <class V>
TVML_COLD V ln_twice_special_lanes(V a, V y) {
    using C = AsinhConstants<typename V::Scalar>;
    return select(gt(a, splat<V>(C::huge)), log1p_lanes(a) + splat<V>(C::ln2), y);
}

// asinh x = log1p(a + a^2 / (sqrt(a^2 + 1) + 1)) with the sign of x, a = |x|.
template <class V>
inline V asinh_lanes(V x) {
    using T = typename V::Scalar;
    using C = AsinhConstants<T>;
    const V one = splat<V>(C::one);
    const V a = abs(x);
    const V sign = x & set1<V>(T(-0.0));
    const V w = a + (a * a) / (sqrt(fma(a, a, one)) + one);
    const V w_large = (a + a) - one;
    V r = log1p_lanes(select(gt(a, splat<V>(C::large)), w_large, w));
    if (TVML_UNLIKELY(any(gt(a, splat<V>(C::huge))))) r = ln_twice_special_lanes(a, r);
    return r ^ sign;
}

// acosh x = log1p(t + sqrt(t^2 + 2t)), t = x - 1.  Below 1 (where the root
// is NaN or the argument reaches -1) the result is NaN.
template <class V>
inline V acosh_lanes(V x) {
    using T = typename V::Scalar;
    using C = AcoshConstants<T>;
    const V one = splat<V>(C::one);
    const V t = x - one;
    const V w = t + sqrt(fma(t, t, t + t));
    const V w_large = (x + x) - one;
    V r = log1p_lanes(select(gt(x, splat<V>(C::large)), w_large, w));
    if (TVML_UNLIKELY(any(gt(x, splat<V>(C::huge))))) r = ln_twice_special_lanes(x, r);
    return select(lt(x, one), splat<V>(C::nan), r);
}

// ---------------------------------------------------------------------------
// atanh x = 0.5 log1p(2a / (1 - a)) with the sign of x, a = |x| < 1;
// a register holding any lane with a >= 1 goes to libm whole.

template <class T>
struct AtanhConstants;

template <>
struct AtanhConstants<float> {
    static constexpr uint32_t half = 0x3F000000;
    static constexpr uint32_t one = 0x3F800000;
};

template <>
struct AtanhConstants<double> {
    static constexpr uint64_t half = 0x3FE0000000000000;
    static constexpr uint64_t one = 0x3FF0000000000000;
};

// Every lane through libm atanh in double precision.
template <class V>
TVML_COLD V atanh_special_lanes(V x) {
    return libm_each_lane<::atanh>(x);
}

template <class V>
inline V atanh_lanes(V x) {
    using T = typename V::Scalar;
    using C = AtanhConstants<T>;
    const V one = splat<V>(C::one);
    const V half = splat<V>(C::half);
    const V a = abs(x);
    if (TVML_UNLIKELY(any(ge(a, one)))) return atanh_special_lanes(x);
    const V sign = x & set1<V>(T(-0.0));
    // w = 2a / (1 - a): q itself for a >= 0.5; below, q a + 2a, which puts
    // the rounding error of q into the small term only.
    const V at_least_half = ge(a, half);
    const V two_a = a + a;
    const V q = two_a / (one - a);
    const V w = fma(q, select(at_least_half, one, a), andnot(at_least_half, two_a));
    return (half * log1p_lanes(w)) ^ sign;
}

}  // namespace avx2
}  // namespace tvml
