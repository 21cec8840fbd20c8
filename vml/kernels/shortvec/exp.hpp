// Exponential family: e^x, 2^x, 10^x and e^x - 1 on float and double lanes,
// each written once over the lane count.
//
// Every function (<fn>_lanes) computes all lanes on a branch-free core
// (<fn>_core, from <fn>_parts), builds a mask of the lanes the core cannot
// serve (out of range, infinite, NaN) and calls its fix-up
// (<fn>_special_lanes) only when that mask is non-empty.  The float and
// double exponentials (exp_lanes and their pieces) are shared with the
// power, hyperbolic and array kernels, which call them with their own
// argument: the special mask always comes from that argument.
//
// Compile only with -mavx2 -mfma (see simd.hpp).
#pragma once

#include <cmath>
#include <cstdint>

#include "dazaro_tv.h"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// 2^(j/128) rounded to nearest (LUT_exp_1024, 2^(j/1024), is exported and
// declared in dazaro_tv.h).
extern const double LUT_exp_128[128];
// Bits of 2^(j/128) minus j << 45: adding the whole rounded k << 45 then
// cancels the index bits and leaves k / 128 in the exponent field.
extern const uint64_t exp2_data[128];

// Constants: one struct per function and precision, as bit patterns.
template <class T>
struct ExpConstants;
template <class T>
struct Exp2Constants;
template <class T>
struct Exp10Constants;
template <class T>
struct Expm1Constants;

// ---------------------------------------------------------------------------
// e^x, float lanes.
template <>
struct ExpConstants<float> {
    static constexpr uint32_t _pi32_256_exp_invln2 = 0x3FB8AA3B;  // 1.442695, 1 / ln 2
    static constexpr uint32_t _ps256_shift = 0x4B400000;          // 12582912 = 1.5 * 2^23
    static constexpr uint32_t _ps256_neg_shift = 0xCB400000;      // -12582912
    static constexpr uint32_t _pi32_256_exp_range = 0x42AEAC4F;   // 87.33654 = 126 ln 2, as an integer
    static constexpr uint32_t _pi32_256_exp_ln2hi = 0x3F317200;   // 0.69314575
    static constexpr uint32_t _pi32_256_exp_ln2lo = 0x35BFBE8E;   // 1.4286068e-06
    static constexpr uint32_t exps_p1 = 0x3F7FFFFE;               // 0.9999999
    static constexpr uint32_t exps_p2 = 0x3EFFFF34;               // 0.49999392
    static constexpr uint32_t exps_p3 = 0x3E2AACAC;               // 0.16667432
    static constexpr uint32_t exps_p4 = 0x3D2B8392;               // 0.041873522
    static constexpr uint32_t exps_p5 = 0x3C07D9FE;               // 0.0082917195
    static constexpr uint32_t _ps256_exp_hi = 0x42B0C0A5;         // 88.37626 = 127.5 ln 2
    static constexpr uint32_t _ps256_exp_lo = 0xC2B0C0A5;         // -88.37626
    static constexpr uint32_t _ps256_inf = 0x7F800000;
    static constexpr uint32_t _ps256_1 = 0x3F800000;
    static constexpr uint32_t _ps256_fabs_mask = 0x7FFFFFFF;
    // Underflow band: scale by 2^(n + 64), then by 2^-64 (one rounding).
    static constexpr uint32_t underflow_bias = 64u << 23;
    static constexpr uint32_t underflow_scale = 0x1F800000;  // 2^-64
};

// x / ln 2 rounded to the integer n (its bits in t), and the polynomial
// p = e^r for r = x - n ln 2; e^x = p * 2^n.
template <int N>
struct ExpfParts {
    Vec<float, N> p;
    Vec<int32_t, N> exponent;  // n << 23
};

template <int N>
inline ExpfParts<N> exp_parts(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = ExpConstants<float>;
    const V t = fma(x, splat<V>(C::_pi32_256_exp_invln2), splat<V>(C::_ps256_shift));
    const V n = t + splat<V>(C::_ps256_neg_shift);
    V r = fnma(n, splat<V>(C::_pi32_256_exp_ln2hi), x);
    r = fnma(n, splat<V>(C::_pi32_256_exp_ln2lo), r);
    V p = fma(splat<V>(C::exps_p5), r, splat<V>(C::exps_p4));
    p = fma(p, r, splat<V>(C::exps_p3));
    p = fma(p, r, splat<V>(C::exps_p2));
    p = fma(p, r, splat<V>(C::exps_p1));
    p = fma(p, r, splat<V>(C::_ps256_1));
    // The low bits of t hold n in two's complement.
    return {p, shift_left<23>(to_bits(t))};
}

// Lanes with |x| > 126 ln 2, infinities and NaN.
template <int N>
inline Vec<int32_t, N> exp_special_mask(Vec<float, N> x) {
    using I = Vec<int32_t, N>;
    using C = ExpConstants<float>;
    return gt(to_bits(x) & isplat<I>(C::_ps256_fabs_mask), isplat<I>(C::_pi32_256_exp_range));
}

// p * 2^n by adding n to the exponent field: right for |x| <= 126 ln 2.
template <int N>
inline Vec<float, N> exp_core(Vec<float, N> x) {
    const ExpfParts<N> e = exp_parts(x);
    return from_bits(to_bits(e.p) + e.exponent);
}

// Overflow to +inf above 127.5 ln 2, +0 below -127.5 ln 2; between -127.5
// ln 2 and -126 ln 2 the result is subnormal and is scaled in two steps.
template <int N>
TVML_COLD Vec<float, N> exp_special_lanes(Vec<float, N> x, Vec<float, N> y) {
    using V = Vec<float, N>;
    using I = Vec<int32_t, N>;
    using C = ExpConstants<float>;
    const ExpfParts<N> e = exp_parts(x);
    const V scaled = from_bits(to_bits(e.p) + e.exponent + isplat<I>(C::underflow_bias));
    const V tiny = scaled * splat<V>(C::underflow_scale);
    y = select(lt(x, -splat<V>(C::_pi32_256_exp_range)), tiny, y);
    y = select(gt(x, splat<V>(C::_ps256_exp_hi)), splat<V>(C::_ps256_inf), y);
    y = andnot(lt(x, splat<V>(C::_ps256_exp_lo)), y);
    // NaN in, NaN out whatever its payload (the payload's low bits would
    // otherwise reach the exponent field).
    return select(unord(x, x), x + x, y);
}

template <int N>
inline Vec<float, N> exp_lanes(Vec<float, N> x) {
    const Vec<float, N> y = exp_core(x);
    const Vec<int32_t, N> special = exp_special_mask(x);
    if (TVML_UNLIKELY(any(special))) return exp_special_lanes(x, y);
    return y;
}

// ---------------------------------------------------------------------------
// e^x, double lanes.
template <>
struct ExpConstants<double> {
    static constexpr uint64_t expd_scale_inv_ln2 = 0x40971547652B82FE;  // 1024 / ln 2
    static constexpr uint64_t _pd256_shift = 0x4338000000000000;        // 1.5 * 2^52
    static constexpr uint64_t _pd256_neg_shift = 0xC338000000000000;
    static constexpr uint64_t expd_bit_mask = 0x00000000000003FF;
    static constexpr uint64_t expd_thresh = 0x4086232A00000000;         // 708.3955078125, as an integer
    static constexpr uint64_t expd_scale_ln2_hi = 0x3F462E42FEC00000;   // ln 2 / 1024, high part
    static constexpr uint64_t expd_scale_ln2_lo = 0x3D5D1CF79ABC9E3B;   // low part
    static constexpr uint64_t expd_p2 = 0x3FE00000021F5C11;             // 0.5000000039534617
    static constexpr uint64_t expd_p3 = 0x3FC5555555555553;             // 0.1666666666666666
    static constexpr uint64_t expd_upper_bound = 0x40862E42FEFA39EF;    // 709.782712893384
    static constexpr uint64_t expd_lower_bound = 0xC086232BDD7ABCD2;    // -708.3964185322641
    static constexpr uint64_t _pd256_inf = 0x7FF0000000000000;
    static constexpr uint64_t _pd256_nan = 0x7FFFFFFFFFFFFFFF;          // absolute-value mask
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t exponent_one = uint64_t(1) << 52;
    static constexpr uint64_t two = 0x4000000000000000;
};

// e^x = s * (1 + q) with s = 2^(k/1024) (k = x * 1024 / ln 2 rounded) and
// q = e^r - 1.
template <int N>
struct ExpdParts {
    Vec<double, N> s;
    Vec<double, N> q;
};

template <int N>
inline ExpdParts<N> exp_parts(Vec<double, N> x) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = ExpConstants<double>;
    const V t = fma(x, splat<V>(C::expd_scale_inv_ln2), splat<V>(C::_pd256_shift));
    const V k = t + splat<V>(C::_pd256_neg_shift);
    const I bits = to_bits(t);
    const I j = bits & isplat<I>(C::expd_bit_mask);
    // k >> 10 (arithmetic) into the exponent field.
    const I e = shift_left<42>(andnot(isplat<I>(C::expd_bit_mask), bits));
    V r = fnma(k, splat<V>(C::expd_scale_ln2_hi), x);
    r = fnma(k, splat<V>(C::expd_scale_ln2_lo), r);
    V q = fma(splat<V>(C::expd_p3), r, splat<V>(C::expd_p2));
    q = fma(q, r, splat<V>(C::one));
    q = q * r;
    const V s = from_bits(to_bits(gather(LUT_exp_1024, j)) + e);
    return {s, q};
}

// Lanes with |x| > 708.3955078125, infinities and NaN.
template <int N>
inline Vec<int64_t, N> exp_special_mask(Vec<double, N> x) {
    using I = Vec<int64_t, N>;
    using C = ExpConstants<double>;
    return gt(to_bits(x) & isplat<I>(C::_pd256_nan), isplat<I>(C::expd_thresh));
}

template <int N>
inline Vec<double, N> exp_core(Vec<double, N> x) {
    const ExpdParts<N> e = exp_parts(x);
    return fma(e.s, e.q, e.s);
}

// +inf above 709.782712893384, +0 below -708.3964185322641.  Near the top
// k / 1024 reaches 1024 and s overflows although e^x is finite: there the
// result is formed with s / 2 and doubled (exact).  Down to the lower
// bound (e^x = 2^-1022) k / 1024 stays at least -1022, s stays normal and
// the fast path's single rounding is already right.
template <int N>
TVML_COLD Vec<double, N> exp_special_lanes(Vec<double, N> x, Vec<double, N> y) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = ExpConstants<double>;
    const ExpdParts<N> e = exp_parts(x);
    const V half = from_bits(to_bits(e.s) - isplat<I>(C::exponent_one));
    const V big = fma(half, e.q, half) * splat<V>(C::two);
    y = select(gt(x, splat<V>(C::expd_thresh)), big, y);
    y = select(gt(x, splat<V>(C::expd_upper_bound)), splat<V>(C::_pd256_inf), y);
    return andnot(lt(x, splat<V>(C::expd_lower_bound)), y);
}

template <int N>
inline Vec<double, N> exp_lanes(Vec<double, N> x) {
    const Vec<double, N> y = exp_core(x);
    const Vec<int64_t, N> special = exp_special_mask(x);
    if (TVML_UNLIKELY(any(special))) return exp_special_lanes(x, y);
    return y;
}

// ---------------------------------------------------------------------------
// 2^x, float lanes.  Registers with a lane beyond +-126 go to libm whole.
template <>
struct Exp2Constants<float> {
    static constexpr uint32_t limit = 0x42FC0000;  // 126.0
    static constexpr uint32_t shift = 0x4B400000;  // 1.5 * 2^23
    static constexpr uint32_t neg_shift = 0xCB400000;
    static constexpr uint32_t c1 = 0x3F317218;  // 0.6931472
    static constexpr uint32_t c2 = 0x3E75FDEF;  // 0.24022649
    static constexpr uint32_t c3 = 0x3D6357CF;  // 0.055503663
    static constexpr uint32_t c4 = 0x3C1D962C;  // 0.009618323
    static constexpr uint32_t c5 = 0x3AAF7A51;  // 0.0013387894
    static constexpr uint32_t c6 = 0x39213C8C;  // 0.00015376712
    static constexpr uint32_t one = 0x3F800000;
};

template <int N>
inline Vec<float, N> exp2_core(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = Exp2Constants<float>;
    const V t = x + splat<V>(C::shift);
    const V n = t + splat<V>(C::neg_shift);
    const V r = x - n;
    V p = fma(splat<V>(C::c6), r, splat<V>(C::c5));
    p = fma(p, r, splat<V>(C::c4));
    p = fma(p, r, splat<V>(C::c3));
    p = fma(p, r, splat<V>(C::c2));
    p = fma(p, r, splat<V>(C::c1));
    p = fma(p, r, splat<V>(C::one));
    return from_bits(to_bits(p) + shift_left<23>(to_bits(t)));
}

// A lane beyond +-126 sends the register to libm; NaN lanes alone stay on
// the fast path and are made NaN whatever their payload.
template <int N>
TVML_COLD Vec<float, N> exp2_special_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    if (any(gt(abs(x), splat<V>(Exp2Constants<float>::limit)))) return libm_each_lane<::exp2>(x);
    return select(unord(x, x), x + x, exp2_core(x));
}

template <int N>
inline Vec<float, N> exp2_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    // Not (|x| <= 126): beyond the range or NaN.
    const V special = cmp<_CMP_NLE_UQ>(abs(x), splat<V>(Exp2Constants<float>::limit));
    if (TVML_UNLIKELY(any(special))) return exp2_special_lanes(x);
    return exp2_core(x);
}

// ---------------------------------------------------------------------------
// 2^x, double lanes.  Registers with a lane at |x| >= 1022, infinite or
// NaN go to libm whole.
template <>
struct Exp2Constants<double> {
    static constexpr uint32_t abs_high_mask = 0x7FFFFFFF;
    static constexpr uint32_t high_limit = 0x408FEFFF;  // high word below 1022.0
    static constexpr uint64_t shift = 0x42C8000000000000;  // 1.5 * 2^45: rounds to 1/128
    static constexpr uint64_t neg_shift = 0xC2C8000000000000;
    static constexpr uint64_t index_mask = 0x7F;
    static constexpr uint64_t c1 = 0x3FE62E42FEFA3685;  // 0.6931471805598483
    static constexpr uint64_t c2 = 0x3FCEBFBDFF82CA48;  // 0.24022650695913428
    static constexpr uint64_t c3 = 0x3FAC6B09B180F045;  // 0.05550413409989167
    static constexpr uint64_t c4 = 0x3F83B2AB5BB1268F;  // 0.009618128524510964
};

template <int N>
inline Vec<double, N> exp2_core(Vec<double, N> x) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = Exp2Constants<double>;
    const V t = x + splat<V>(C::shift);
    const V kd = t + splat<V>(C::neg_shift);
    const V r = x - kd;
    const I bits = to_bits(t);
    const I j = bits & isplat<I>(C::index_mask);
    // The whole k << 45, not only k / 128: exp2_data cancels the index bits.
    const V s = from_bits(gather(reinterpret_cast<const int64_t*>(exp2_data), j) + shift_left<45>(bits));
    V p = fma(splat<V>(C::c4), r, splat<V>(C::c3));
    p = fma(p, r, splat<V>(C::c2));
    p = fma(p, r, splat<V>(C::c1));
    return fma(p, r * s, s);
}

// The whole register through libm.
template <int N>
TVML_COLD Vec<double, N> exp2_special_lanes(Vec<double, N> x) {
    return libm_each_lane<::exp2>(x);
}

template <int N>
inline Vec<double, N> exp2_lanes(Vec<double, N> x) {
    using C = Exp2Constants<double>;
    const I32x4 high = high_words(to_bits(x)) & isplat<I32x4>(C::abs_high_mask);
    if (TVML_UNLIKELY(any(gt(high, isplat<I32x4>(C::high_limit))))) return exp2_special_lanes(x);
    return exp2_core(x);
}

// ---------------------------------------------------------------------------
// 10^x, float lanes.  The 4-lane and 8-lane kernels use coefficient sets
// that differ in the last bit of four coefficients.
template <>
struct Exp10Constants<float> {
    static constexpr uint32_t exp10s_log2_10 = 0x40549A78;          // 3.321928
    static constexpr uint32_t exp10s_shift = 0x4B400000;            // 1.5 * 2^23
    static constexpr uint32_t exp10s_neg_shift = 0xCB400000;
    static constexpr uint32_t exp10s_inv_log2_10_hi = 0x3E9A2000;   // 0.3010254
    static constexpr uint32_t exp10s_inv_log2_10_lo = 0x369A84FC;   // 4.605039e-06
    static constexpr uint32_t exp10s_thresh = 0x40733A70;           // 3.8004417, as an integer
    static constexpr uint32_t exp10s_upper_bound = 0x421A209B;      // 38.53184
    static constexpr uint32_t exp10s_lower_bound = 0xC217B818;      // -37.92978
    static constexpr uint32_t fabs_mask = 0x7FFFFFFF;
    static constexpr uint32_t inf = 0x7F800000;
    static constexpr uint32_t one_bits = 0x3F800000;   // added to n << 23: 2^n
    static constexpr uint32_t half_bits = 0x3F000000;  // 2^(n - 1)
    static constexpr uint32_t two = 0x40000000;
    // Polynomial of the 4-lane kernel...
    static constexpr uint32_t exp10s_p0 = 0x3F800000;  // 1
    static constexpr uint32_t exp10s_p1 = 0x40135D8E;  // 2.3025851
    static constexpr uint32_t exp10s_p2 = 0x4029A926;  // 2.650949
    static constexpr uint32_t exp10s_p3 = 0x4002382D;  // 2.0346787
    static constexpr uint32_t exp10s_p4 = 0x3F95EBB0;  // 1.1712551
    static constexpr uint32_t exp10s_p5 = 0x3F0A1500;  // 0.53938293
    static constexpr uint32_t exp10s_p6 = 0x3E53F6B8;  // 0.20699584
    // ...and of the 8-lane kernel.
    static constexpr uint32_t exp10s_p1_8 = 0x40135D8E;  // 2.3025851
    static constexpr uint32_t exp10s_p2_8 = 0x4029A927;  // 2.6509492
    static constexpr uint32_t exp10s_p3_8 = 0x4002382D;  // 2.0346787
    static constexpr uint32_t exp10s_p4_8 = 0x3F95EBB1;  // 1.1712552
    static constexpr uint32_t exp10s_p5_8 = 0x3F0A1501;  // 0.539383
    static constexpr uint32_t exp10s_p6_8 = 0x3E53F6B9;  // 0.20699586
};

template <int N>
struct Exp10fPolynomial;
template <>
struct Exp10fPolynomial<4> {
    using C = Exp10Constants<float>;
    static constexpr uint32_t c[7] = {C::exp10s_p0, C::exp10s_p1, C::exp10s_p2, C::exp10s_p3,
                                      C::exp10s_p4, C::exp10s_p5, C::exp10s_p6};
};
template <>
struct Exp10fPolynomial<8> {
    using C = Exp10Constants<float>;
    static constexpr uint32_t c[7] = {C::exp10s_p0,   C::exp10s_p1_8, C::exp10s_p2_8, C::exp10s_p3_8,
                                      C::exp10s_p4_8, C::exp10s_p5_8, C::exp10s_p6_8};
};

// 10^x = p * 2^n, n = x log2 10 rounded; exponent holds n << 23.
template <int N>
inline ExpfParts<N> exp10_parts(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = Exp10Constants<float>;
    using P = Exp10fPolynomial<N>;
    const V t = fma(x, splat<V>(C::exp10s_log2_10), splat<V>(C::exp10s_shift));
    const V n = t + splat<V>(C::exp10s_neg_shift);
    V r = fnma(n, splat<V>(C::exp10s_inv_log2_10_hi), x);
    r = fnma(n, splat<V>(C::exp10s_inv_log2_10_lo), r);
    V p = fma(splat<V>(P::c[6]), r, splat<V>(P::c[5]));
    for (int i = 4; i >= 0; --i) p = fma(p, r, splat<V>(P::c[i]));
    return {p, shift_left<23>(to_bits(t))};
}

template <int N>
inline Vec<float, N> exp10_core(Vec<float, N> x) {
    using I = Vec<int32_t, N>;
    const ExpfParts<N> e = exp10_parts(x);
    return e.p * from_bits(e.exponent + isplat<I>(Exp10Constants<float>::one_bits));
}

// +inf above 38.53184, +0 below -37.92978.  Where n = 128 (x above about
// 38.38) 2^n overflows although 10^x is finite: scale by 2^(n-1), then 2.
template <int N>
TVML_COLD Vec<float, N> exp10_special_lanes(Vec<float, N> x, Vec<float, N> y) {
    using V = Vec<float, N>;
    using I = Vec<int32_t, N>;
    using C = Exp10Constants<float>;
    const ExpfParts<N> e = exp10_parts(x);
    const V big = (e.p * from_bits(e.exponent + isplat<I>(C::half_bits))) * splat<V>(C::two);
    y = select(gt(x, splat<V>(C::exp10s_thresh)), big, y);
    y = select(gt(x, splat<V>(C::exp10s_upper_bound)), splat<V>(C::inf), y);
    return andnot(lt(x, splat<V>(C::exp10s_lower_bound)), y);
}

template <int N>
inline Vec<float, N> exp10_lanes(Vec<float, N> x) {
    using I = Vec<int32_t, N>;
    using C = Exp10Constants<float>;
    const Vec<float, N> y = exp10_core(x);
    const I gate = gt(to_bits(x) & isplat<I>(C::fabs_mask), isplat<I>(C::exp10s_thresh));
    if (TVML_UNLIKELY(any(gate))) return exp10_special_lanes(x, y);
    return y;
}

// ---------------------------------------------------------------------------
// 10^x, double lanes: a 128-entry table and a single-constant reduction.
template <>
struct Exp10Constants<double> {
    static constexpr uint64_t scale = 0x407A934F0979A371;      // 128 log2 10
    static constexpr uint64_t shift = 0x4338000000000000;      // 1.5 * 2^52
    static constexpr uint64_t neg_shift = 0xC338000000000000;
    static constexpr uint64_t index_mask = 0x7F;
    static constexpr uint64_t log10_2_128 = 0x3F634413509F79FF;  // log10 2 / 128
    static constexpr uint64_t a1 = 0x40026BB1BBB55516;  // 2.302585092994046
    static constexpr uint64_t a2 = 0x40053524C73CEA6A;  // 2.6509490552391997
    static constexpr uint64_t a3 = 0x4000470591DE2CA6;  // 2.034678592293477
    static constexpr uint64_t a4 = 0x3FF2BD7609FD98C7;  // 1.1712551489122676
    static constexpr uint64_t thresh = 0x40733A7000000000;       // 307.65234375, as an integer
    static constexpr uint64_t upper_bound = 0x40734413509F79FF;  // 308.25471555991675
    static constexpr uint64_t lower_bound = 0xC0733A7146F72A42;  // -307.6526555685888
    static constexpr uint64_t abs_mask = 0x7FFFFFFFFFFFFFFF;
    static constexpr uint64_t inf = 0x7FF0000000000000;
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t exponent_one = uint64_t(1) << 52;
    static constexpr uint64_t two = 0x4000000000000000;
};

// 10^x = p * s, s = 2^(k/128) with k = x * 128 log2 10 rounded.
template <int N>
struct Exp10dParts {
    Vec<double, N> p;
    Vec<double, N> s;
};

template <int N>
inline Exp10dParts<N> exp10_parts(Vec<double, N> x) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = Exp10Constants<double>;
    const V t = fma(x, splat<V>(C::scale), splat<V>(C::shift));
    const V kd = t + splat<V>(C::neg_shift);
    const I bits = to_bits(t);
    const I j = bits & isplat<I>(C::index_mask);
    const I e = shift_left<45>(andnot(isplat<I>(C::index_mask), bits));
    const V s = from_bits(to_bits(gather(LUT_exp_128, j)) + e);
    const V r = fnma(kd, splat<V>(C::log10_2_128), x);
    V p = fma(splat<V>(C::a4), r, splat<V>(C::a3));
    p = fma(p, r, splat<V>(C::a2));
    p = fma(p, r, splat<V>(C::a1));
    p = fma(p, r, splat<V>(C::one));
    return {p, s};
}

template <int N>
inline Vec<double, N> exp10_core(Vec<double, N> x) {
    const Exp10dParts<N> e = exp10_parts(x);
    return e.p * e.s;
}

// +inf above 308.2547, +0 below -307.6527; where k / 128 reaches 1024
// (x above about 308.2533) s overflows although 10^x is finite: s / 2,
// then double.
template <int N>
TVML_COLD Vec<double, N> exp10_special_lanes(Vec<double, N> x, Vec<double, N> y) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = Exp10Constants<double>;
    const Exp10dParts<N> e = exp10_parts(x);
    const V big = (e.p * from_bits(to_bits(e.s) - isplat<I>(C::exponent_one))) * splat<V>(C::two);
    y = select(gt(x, splat<V>(C::thresh)), big, y);
    y = select(gt(x, splat<V>(C::upper_bound)), splat<V>(C::inf), y);
    return andnot(lt(x, splat<V>(C::lower_bound)), y);
}

template <int N>
inline Vec<double, N> exp10_lanes(Vec<double, N> x) {
    using I = Vec<int64_t, N>;
    using C = Exp10Constants<double>;
    const Vec<double, N> y = exp10_core(x);
    const I gate = gt(to_bits(x) & isplat<I>(C::abs_mask), isplat<I>(C::thresh));
    if (TVML_UNLIKELY(any(gate))) return exp10_special_lanes(x, y);
    return y;
}

// ---------------------------------------------------------------------------
// e^x - 1, float lanes: 2^n (e^r - 1) + (2^n - 1).
template <>
struct Expm1Constants<float> {
    static constexpr uint32_t invln2 = ExpConstants<float>::_pi32_256_exp_invln2;
    static constexpr uint32_t shift = ExpConstants<float>::_ps256_shift;
    static constexpr uint32_t neg_shift = ExpConstants<float>::_ps256_neg_shift;
    static constexpr uint32_t range = ExpConstants<float>::_pi32_256_exp_range;  // 87.33654, as an integer
    static constexpr uint32_t ln2hi = ExpConstants<float>::_pi32_256_exp_ln2hi;
    static constexpr uint32_t ln2lo = ExpConstants<float>::_pi32_256_exp_ln2lo;
    static constexpr uint32_t hi = ExpConstants<float>::_ps256_exp_hi;  // 88.37626
    static constexpr uint32_t lo = ExpConstants<float>::_ps256_exp_lo;  // -88.37626
    static constexpr uint32_t fabs_mask = 0x7FFFFFFF;
    static constexpr uint32_t inf = 0x7F800000;
    static constexpr uint32_t one = 0x3F800000;
    static constexpr uint32_t minus_one = 0xBF800000;
    static constexpr uint32_t b1 = 0x3EFFFFFF;  // 0.49999997
    static constexpr uint32_t b2 = 0x3E2AAA7E;  // 0.166666
    static constexpr uint32_t b3 = 0x3D2AA8CE;  // 0.04166489
    static constexpr uint32_t b4 = 0x3C08FA8E;  // 0.008360518
    static constexpr uint32_t b5 = 0x3AB85D01;  // 0.0014065803
};

// e^x - 1 = m * s + (s - 1) with s = 2^n and m = e^r - 1.  Within the
// special bound n stays in [-127, 127]: at -127 s is +0 and the result -1.
template <int N>
inline Vec<float, N> expm1_core(Vec<float, N> x) {
    using V = Vec<float, N>;
    using I = Vec<int32_t, N>;
    using C = Expm1Constants<float>;
    const V t = fma(x, splat<V>(C::invln2), splat<V>(C::shift));
    const V n = t + splat<V>(C::neg_shift);
    V r = fnma(n, splat<V>(C::ln2hi), x);
    r = fnma(n, splat<V>(C::ln2lo), r);
    const V s = from_bits(shift_left<23>(to_bits(t)) + isplat<I>(C::one));
    V q = fma(splat<V>(C::b5), r, splat<V>(C::b4));
    q = fma(q, r, splat<V>(C::b3));
    q = fma(q, r, splat<V>(C::b2));
    q = fma(q, r, splat<V>(C::b1));
    q = fma(q, r, splat<V>(C::one));
    const V m = r * q;
    return fma(m, s, s - splat<V>(C::one));
}

// +inf above 88.37626, -1 below -88.37626.
template <int N>
TVML_COLD Vec<float, N> expm1_special_lanes(Vec<float, N> x, Vec<float, N> y) {
    using V = Vec<float, N>;
    using C = Expm1Constants<float>;
    y = select(gt(x, splat<V>(C::hi)), splat<V>(C::inf), y);
    return select(lt(x, splat<V>(C::lo)), splat<V>(C::minus_one), y);
}

template <int N>
inline Vec<float, N> expm1_lanes(Vec<float, N> x) {
    using I = Vec<int32_t, N>;
    using C = Expm1Constants<float>;
    const Vec<float, N> y = expm1_core(x);
    const I special = gt(to_bits(x) & isplat<I>(C::fabs_mask), isplat<I>(C::range));
    if (TVML_UNLIKELY(any(special))) return expm1_special_lanes(x, y);
    return y;
}

// ---------------------------------------------------------------------------
// e^x - 1, double lanes: a polynomial for |x| <= 0.125, e^x - 1 otherwise.
template <>
struct Expm1Constants<double> {
    static constexpr uint64_t small = 0x3FC0000000000000;  // 0.125
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t b1 = 0x3FEFFFFFFFFFFFF5;  // 0.9999999999999988
    static constexpr uint64_t b2 = 0x3FDFFFFFFFFFFFF2;  // 0.4999999999999992
    static constexpr uint64_t b3 = 0x3FC555555556B3DF;  // 0.1666666666691574
    static constexpr uint64_t b4 = 0x3FA5555555543AC2;  // 0.04166666666616471
    static constexpr uint64_t b5 = 0x3F811110F51179FD;  // 0.008333332518472675
    static constexpr uint64_t b6 = 0x3F56C16C2C634715;  // 0.001388888967586548
    static constexpr uint64_t b7 = 0x3F2A0479C439FAE2;  // 0.0001984976425894658
    static constexpr uint64_t b8 = 0x3EFA01EA535640CB;  // 2.48026674021802e-05
};

template <int N>
inline Vec<double, N> expm1_lanes(Vec<double, N> x) {
    using V = Vec<double, N>;
    using C = Expm1Constants<double>;
    const V small = le(abs(x), splat<V>(C::small));
    const V big = exp_lanes(x) - splat<V>(C::one);
    V q = fma(splat<V>(C::b8), x, splat<V>(C::b7));
    q = fma(q, x, splat<V>(C::b6));
    q = fma(q, x, splat<V>(C::b5));
    q = fma(q, x, splat<V>(C::b4));
    q = fma(q, x, splat<V>(C::b3));
    q = fma(q, x, splat<V>(C::b2));
    q = fma(q, x, splat<V>(C::b1));
    q = q * x;
    return select(small, q, big);
}

}  // namespace avx2
}  // namespace tvml
