// Inverse trigonometric family: asin, acos, atan and atan2 on float and
// double lanes, each written once over the lane count.
//
// asin and acos share one odd polynomial per precision, asin(s) = s + s z
// P(z) with z = s^2, on |x| <= 0.5 directly and above 0.5 through
// asin(a) = pi/2 - 2 asin(sqrt((1 - a) / 2)).  A register holding any lane
// with |x| > 1 goes to libm whole (NaN lanes alone stay on the fast path).
// Float atan folds |x| > 1 to -1/|x| and adds pi/2; double atan subtracts
// the nearest multiple c of 1/4 through atan(a) = atan(c) + atan((a - c) /
// (1 + a c)), with atan(c) from atan_data, and folds |x| >= 7.875 like the
// float one.  atan2 is the atan of |y| / |x| carrying the sign of x, plus pi
// for negative x, with the sign of y; lanes where both operands are zero or
// both infinite get their C99 results in a fix-up.
//
// Compile only with -mavx2 -mfma (see simd.hpp).
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "exp.hpp"  // splat
#include "invtrig_tables.hpp"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// ---------------------------------------------------------------------------
// asin and acos: polynomial P(z) with asin(s) ~ s + s z P(z), z = s^2 <= 1/4.
template <class T>
struct AsinConstants;

template <>
struct AsinConstants<float> {
    static constexpr uint32_t c0 = 0x3E2AAAE4;  // 0.16666752
    static constexpr uint32_t c1 = 0x3D9980F2;  // 0.074952975
    static constexpr uint32_t c2 = 0x3D3A3F25;  // 0.045470376
    static constexpr uint32_t c3 = 0x3CC6141E;  // 0.024179514
    static constexpr uint32_t c4 = 0x3D2CB694;  // 0.042166308
    static constexpr uint32_t half = 0x3F000000;     // 0.5, the bound of the direct branch
    static constexpr uint32_t one = 0x3F800000;      // 1, the domain bound
    static constexpr uint32_t minus_two = 0xC0000000;
    static constexpr uint32_t two = 0x40000000;
    static constexpr uint32_t half_pi = 0x3FC90FDB;  // 1.5707964
    static constexpr uint32_t pi = 0x40490FDB;       // 3.1415927
    static constexpr uint32_t sign = 0x80000000;
};

template <>
struct AsinConstants<double> {
    static constexpr uint64_t d0 = 0x3FC555555555529C;   // 0.1666666666666473
    static constexpr uint64_t d1 = 0x3FB333333337E0DE;   // 0.07500000000425497
    static constexpr uint64_t d2 = 0x3FA6DB6DB3B445F8;   // 0.04464285677580543
    static constexpr uint64_t d3 = 0x3F9F1C72E13AD8BE;   // 0.030381960865917483
    static constexpr uint64_t d4 = 0x3F96E89CEBDEFADD;   // 0.022371723076271322
    static constexpr uint64_t d5 = 0x3F91C6DCF538AD2E;   // 0.01736016508782006
    static constexpr uint64_t d6 = 0x3F8C6DBBCB88BD57;   // 0.013881175183171264
    static constexpr uint64_t d7 = 0x3F88F8DC2AFCCAD6;   // 0.012193412839768863
    static constexpr uint64_t d8 = 0x3F7A583395D45ED5;   // 0.006431771759956202
    static constexpr uint64_t d9 = 0x3F943F44BFBC3BAE;   // 0.01977260036715805
    static constexpr uint64_t d10 = 0xBF90FB17F7DBB0ED;  // -0.016582846167623556
    static constexpr uint64_t d11 = 0x3FA07520C70EB909;  // 0.03214361600781685
    static constexpr uint64_t half = 0x3FE0000000000000;
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t minus_two = 0xC000000000000000;
    static constexpr uint64_t two = 0x4000000000000000;
    static constexpr uint64_t half_pi = 0x3FF921FB54442D18;  // 1.5707963267948966
    static constexpr uint64_t pi = 0x400921FB54442D18;       // 3.141592653589793
    static constexpr uint64_t sign = 0x8000000000000000;
};

// P(z): Horner for floats; Estrin for doubles (pairs with z, then z^2, z^4,
// z^8), which shortens the dependency chain of the twelve coefficients.
template <class V>
inline V asin_poly(V z) {
    using C = AsinConstants<typename V::Scalar>;
    if constexpr (std::is_same_v<typename V::Scalar, float>) {
        V p = fma(splat<V>(C::c4), z, splat<V>(C::c3));
        p = fma(p, z, splat<V>(C::c2));
        p = fma(p, z, splat<V>(C::c1));
        return fma(p, z, splat<V>(C::c0));
    } else {
        const V z2 = z * z;
        const V z4 = z2 * z2;
        const V z8 = z4 * z4;
        const V e0 = fma(splat<V>(C::d1), z, splat<V>(C::d0));
        const V e1 = fma(splat<V>(C::d3), z, splat<V>(C::d2));
        const V e2 = fma(splat<V>(C::d5), z, splat<V>(C::d4));
        const V e3 = fma(splat<V>(C::d7), z, splat<V>(C::d6));
        const V e4 = fma(splat<V>(C::d9), z, splat<V>(C::d8));
        const V e5 = fma(splat<V>(C::d11), z, splat<V>(C::d10));
        const V f0 = fma(e1, z2, e0);
        const V f1 = fma(e3, z2, e2);
        const V f2 = fma(e5, z2, e4);
        return fma(f2, z8, fma(f1, z4, f0));
    }
}

// asin(s) for |s| <= 0.5 with z = s^2.
template <class V>
inline V asin_core(V s, V z) {
    return fma(s, z * asin_poly(z), s);
}

template <class T, int N>
TVML_COLD Vec<T, N> asin_special_lanes(Vec<T, N> x) {
    return libm_each_lane<::asin>(x);
}

template <class T, int N>
TVML_COLD Vec<T, N> acos_special_lanes(Vec<T, N> x) {
    return libm_each_lane<::acos>(x);
}

// Some lane with |x| > 1 (ordered: NaN lanes do not count).
template <class V>
inline bool asin_out_of_domain(V a) {
    return any(gt(a, splat<V>(AsinConstants<typename V::Scalar>::one)));
}

template <class T, int N>
inline Vec<T, N> asin_lanes(Vec<T, N> x) {
    using V = Vec<T, N>;
    using C = AsinConstants<T>;
    const V a = abs(x);
    if (TVML_UNLIKELY(asin_out_of_domain(a))) return asin_special_lanes(x);
    const V sign = x ^ a;
    const V small = le(a, splat<V>(C::half));
    const V z = select(small, a * a, fma(-splat<V>(C::half), a, splat<V>(C::half)));
    const V s = select(small, a, sqrt(z));
    const V y = asin_core(s, z);
    // small: y; otherwise pi/2 - 2y.
    const V r = fma(y, select(small, splat<V>(C::one), splat<V>(C::minus_two)), andnot(small, splat<V>(C::half_pi)));
    return r ^ sign;
}

template <class T, int N>
inline Vec<T, N> acos_lanes(Vec<T, N> x) {
    using V = Vec<T, N>;
    using C = AsinConstants<T>;
    const V a = abs(x);
    if (TVML_UNLIKELY(asin_out_of_domain(a))) return acos_special_lanes(x);
    const V sign = x ^ a;
    const V minus_a = x | splat<V>(C::sign);
    const V small = le(a, splat<V>(C::half));
    const V z = select(small, x * x, fma(splat<V>(C::half), minus_a, splat<V>(C::half)));
    const V s = select(small, minus_a, sqrt(z));
    const V y = asin_core(s, z) ^ sign;
    // |x| <= 0.5: pi/2 - asin x; x > 0.5: 2 asin(sqrt((1 - x) / 2));
    // x < -0.5: pi - 2 asin(sqrt((1 + x) / 2)).
    const V m = select(small, splat<V>(C::one), splat<V>(C::two));
    const V b = andnot(gt(x, splat<V>(C::half)), select(small, splat<V>(C::half_pi), splat<V>(C::pi)));
    return fma(m, y, b);
}

// ---------------------------------------------------------------------------
// atan.
template <class T>
struct AtanConstants;

template <>
struct AtanConstants<float> {
    // atan(t) ~ t (1 + p1 s + ... + p8 s^8), s = t^2, |t| <= 1.
    static constexpr uint32_t _pi32_256_atan_p1 = 0xBEAAAA49;  // -0.33333042
    static constexpr uint32_t _pi32_256_atan_p2 = 0x3E4CB79F;  // 0.19991921
    static constexpr uint32_t _pi32_256_atan_p3 = 0xBE1161F8;  // -0.14197528
    static constexpr uint32_t _pi32_256_atan_p4 = 0x3DD96474;  // 0.10614863
    static constexpr uint32_t _pi32_256_atan_p5 = 0xBD987629;  // -0.07444412
    static constexpr uint32_t _pi32_256_atan_p6 = 0x3D2BC384;  // 0.041934505
    static constexpr uint32_t _pi32_256_atan_p7 = 0xBC7F2631;  // -0.01557307
    static constexpr uint32_t _pi32_256_atan_p8 = 0x3B322CC0;  // 0.0027187318
    static constexpr uint32_t _ps256_atan_neg1 = 0xBF800000;   // -1, numerator of the fold
    static constexpr uint32_t one = 0x3F800000;                // the fold bound
    static constexpr uint32_t half_pi = 0x3FC90FDB;            // 1.5707964
};

template <>
struct AtanConstants<double> {
    // atan(u) ~ u + u s (a1 + a2 s + ... + a6 s^5), s = u^2, |u| <= 1/8.
    static constexpr uint64_t a1 = 0xBFD555555555554D;  // -0.33333333333333287
    static constexpr uint64_t a2 = 0x3FC999999998741E;  // 0.19999999999791468
    static constexpr uint64_t a3 = 0xBFC249248EEF04DA;  // -0.14285714129622457
    static constexpr uint64_t a4 = 0x3FBC71BFEFF916A0;  // 0.111110683524283
    static constexpr uint64_t a5 = 0xBFB74257C46790CC;  // -0.09085606141121899
    static constexpr uint64_t a6 = 0x3FB2E9B9F5C4FE97;  // 0.07387888193351909
    static constexpr uint64_t big = 0x401F800000000000;        // 7.875: fold to -1/a from here
    static constexpr uint64_t quarter_shift = 0x4318000000000000;  // 1.5 * 2^50: rounds to 1/4
    static constexpr uint64_t divisor_cap = 0x47F0000000000000;    // 2^128
    static constexpr uint64_t index_mask = 31;
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t minus_one = 0xBFF0000000000000;
    static constexpr uint64_t half_pi = 0x3FF921FB54442D18;  // 1.5707963267948966
};

template <int N>
inline Vec<float, N> atan_lanes(Vec<float, N> x) {
    using V = Vec<float, N>;
    using C = AtanConstants<float>;
    const V a = abs(x);
    const V sign = x ^ a;
    const V big = gt(a, splat<V>(C::one));
    const V t = select(big, splat<V>(C::_ps256_atan_neg1) / a, a);
    const V base = big & splat<V>(C::half_pi);
    const V s = t * t;
    const V s2 = s * s;
    V e = fma(splat<V>(C::_pi32_256_atan_p8), s2, splat<V>(C::_pi32_256_atan_p6));
    e = fma(e, s2, splat<V>(C::_pi32_256_atan_p4));
    e = fma(e, s2, splat<V>(C::_pi32_256_atan_p2));
    V o = fma(splat<V>(C::_pi32_256_atan_p7), s2, splat<V>(C::_pi32_256_atan_p5));
    o = fma(o, s2, splat<V>(C::_pi32_256_atan_p3));
    o = fma(o, s2, splat<V>(C::_pi32_256_atan_p1));
    const V p = fma(s, e, o);
    return fma(t, fma(s, p, splat<V>(C::one)), base) ^ sign;
}

template <int N>
inline Vec<double, N> atan_lanes(Vec<double, N> x) {
    using V = Vec<double, N>;
    using I = Vec<int64_t, N>;
    using C = AtanConstants<double>;
    const V a = abs(x);
    const V sign = x ^ a;
    const V big = ge(a, splat<V>(C::big));
    // c: a rounded to a multiple of 1/4; its low bits are j = 4c (< 32 below
    // 7.875, any value in 0..31 for the folded and NaN lanes).
    const V shifted = a + splat<V>(C::quarter_shift);
    const V c = shifted - splat<V>(C::quarter_shift);
    const I j = to_bits(shifted) & isplat<I>(C::index_mask);
    // u = (a - c) / (1 + a c), or -1 / a for the folded lanes: one division.
    const V num = select(big, splat<V>(C::minus_one), a - c);
    const V den = select(big, min(a, splat<V>(C::divisor_cap)), fma(a, c, splat<V>(C::one)));
    const V u = num / den;
    const V base = select(big, splat<V>(C::half_pi), gather(atan_data, j));
    const V s = u * u;
    const V s2 = s * s;
    const V p = fma(s2, fma(s2, fma(splat<V>(C::a6), s, splat<V>(C::a5)), fma(splat<V>(C::a4), s, splat<V>(C::a3))),
                    fma(splat<V>(C::a2), s, splat<V>(C::a1)));
    const V core = fma(u * s, p, u);
    return (base + core) ^ sign;
}

// ---------------------------------------------------------------------------
// atan2(y, x).
template <class T>
struct Atan2Constants;

template <>
struct Atan2Constants<float> {
    static constexpr uint32_t pi = 0x40490FDB;  // 3.1415927, added for negative x
    static constexpr uint32_t one = 0x3F800000;
    static constexpr uint32_t inf = 0x7F800000;
};

template <>
struct Atan2Constants<double> {
    static constexpr uint64_t pi = 0x400921FB54442D18;  // 3.141592653589793
    static constexpr uint64_t one = 0x3FF0000000000000;
    static constexpr uint64_t inf = 0x7FF0000000000000;
};

// The quotient |y| / |x| carrying the sign of x.
template <class V>
inline V atan2_quotient(V y, V x) {
    const V ax = abs(x);
    return (abs(y) / ax) | (x ^ ax);
}

template <class V>
inline V atan2_core(V y, V x, V q) {
    using C = Atan2Constants<typename V::Scalar>;
    // pi where the sign bit of x is set (blendv reads only the sign bit of
    // the mask), so -0 counts as negative.
    const V offset = select(x, splat<V>(C::pi), zero<V>());
    return (atan_lanes(q) + offset) ^ (y ^ abs(y));
}

// Lanes whose quotient is 0/0 or inf/inf: both zero become atan2(+-0, +-1),
// both infinite atan2(+-1, +-1), which are the C99 results.  NaN operands
// keep their NaN.
template <class T, int N>
TVML_COLD Vec<T, N> atan2_special_lanes(Vec<T, N> y, Vec<T, N> x, Vec<T, N> q) {
    using V = Vec<T, N>;
    using C = Atan2Constants<T>;
    const V fix = unord(q, q) & ord(y, x);
    const V unit_x = (x ^ abs(x)) | splat<V>(C::one);
    const V unit_y = (y ^ abs(y)) | splat<V>(C::one);
    const V both_inf = fix & eq(abs(x), splat<V>(C::inf));
    x = select(fix, unit_x, x);
    y = select(both_inf, unit_y, y);
    return atan2_core(y, x, atan2_quotient(y, x));
}

template <class T, int N>
inline Vec<T, N> atan2_lanes(Vec<T, N> y, Vec<T, N> x) {
    const Vec<T, N> q = atan2_quotient(y, x);
    if (TVML_UNLIKELY(any(unord(q, q)))) return atan2_special_lanes(y, x, q);
    return atan2_core(y, x, q);
}

}  // namespace avx2
}  // namespace tvml
