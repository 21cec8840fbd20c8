// Sine, cosine and tangent on float and double lanes, each written once
// over the lane count.
//
// All three reduce |x| by the nearest multiple of pi (sin, cos) or pi/2
// (tan) with a three-part Cody-Waite constant and evaluate one odd
// polynomial (sin, cos) or one rational function (tan) on the reduced
// argument; parities and the input sign are applied by exclusive-or of
// sign bits.  The same straight-line code serves every lane whose |x| lies
// below far_limit; lanes beyond it, where the three-part reduction no
// longer keeps the kernel's accuracy (and infinities), are computed by
// libm in a fix-up that runs only when such a lane is present (double
// lanes by libm's extended-precision function, see far_element).  NaN
// lanes give NaN through the arithmetic.
//
// Compile only with -mavx2 -mfma (see simd.hpp).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "exp.hpp"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// ---------------------------------------------------------------------------
// Constants.  The reduction members are also named by role (invpi, shift,
// pi1..pi3), so that the reduction is written once for both precisions.

template <class T>
struct SinConstants;

template <>
struct SinConstants<float> {
    static constexpr uint32_t sins_invpi = 0x3EA2F983;  // 0.31830987, 1 / pi
    static constexpr uint32_t sins_shift = 0x4B400000;  // 12582912 = 1.5 * 2^23, rounds to an integer
    static constexpr uint32_t sins_pi1 = 0x40490FDB;    // 3.1415927, pi = pi1 + pi2 + pi3
    static constexpr uint32_t sins_pi2 = 0xB3BBBD2E;    // -8.742278e-08
    static constexpr uint32_t sins_pi3 = 0xA7772CED;    // -3.430249e-15
    static constexpr uint32_t sins_p0 = 0x362D973B;     // 2.5867037e-06, highest degree
    static constexpr uint32_t sins_p1 = 0xB94FA175;     // -0.00019801206
    static constexpr uint32_t sins_p2 = 0x3C0886FA;     // 0.008332962
    static constexpr uint32_t sins_p3 = 0xBE2AAAA4;     // -0.16666657
    // Lanes with |x| above 2^21 take libm.  Below it sin and cos keep their
    // bound (every float measured); above it 1/pi rounded to float picks
    // the wrong n often enough that r leaves [-pi/2, pi/2].
    static constexpr uint32_t far_limit = 0x4A000000;

    static constexpr uint32_t invpi = sins_invpi, shift = sins_shift;
    static constexpr uint32_t pi1 = sins_pi1, pi2 = sins_pi2, pi3 = sins_pi3;
};

template <>
struct SinConstants<double> {
    static constexpr uint64_t sind_invpi = 0x3FD45F306DC9C883;  // 0.3183098861837907, 1 / pi
    static constexpr uint64_t sind_shift = 0x4338000000000000;  // 6755399441055744 = 1.5 * 2^52
    static constexpr uint64_t sind_pi1 = 0x400921FB54442D18;    // 3.141592653589793, pi = pi1 + pi2 + pi3
    static constexpr uint64_t sind_pi2 = 0x3CA1A62633145C06;    // 1.224646799147353e-16
    static constexpr uint64_t sind_pi3 = 0x395C1CD129024E09;    // 2.165713347843828e-32
    static constexpr uint64_t sind_p1 = 0xBFC55555555554C3;     // -0.1666666666666626, degree 1 in r^2
    static constexpr uint64_t sind_p2 = 0x3F8111111110B25E;     // 0.008333333333291278
    static constexpr uint64_t sind_p3 = 0xBF2A01A019AEB4FF;     // -0.00019841269826540578
    static constexpr uint64_t sind_p4 = 0x3EC71DE382E8D62B;     // 2.7557316777625683e-06
    static constexpr uint64_t sind_p5 = 0xBE5AE6361B7254E7;     // -2.5051890975380964e-08
    static constexpr uint64_t sind_p6 = 0x3DE60E88A10163F2;     // 1.6048414030217128e-10
    static constexpr uint64_t sind_p7 = 0xBD69F4A9C8B21DC9;     // -7.37705809619668e-13, degree 7
    // Lanes with |x| above 2^36 take libm: the reduction keeps the bound
    // to about 2^44 (measured next to multiples of pi/2), and breaks
    // down from 2^45.
    static constexpr uint64_t far_limit = 0x4230000000000000;

    static constexpr uint64_t invpi = sind_invpi, shift = sind_shift;
    static constexpr uint64_t pi1 = sind_pi1, pi2 = sind_pi2, pi3 = sind_pi3;
};

// cos uses the reduction and polynomial of sin on |x| + pi/2.
template <class T>
struct CosConstants;

template <>
struct CosConstants<float> {
    static constexpr uint32_t coss_halfpi = 0x3FC90FDB;  // 1.5707964, pi / 2
    static constexpr uint32_t _ps256_0p5 = 0x3F000000;   // 0.5, offset of the multiple of pi
    static constexpr uint32_t far_limit = SinConstants<float>::far_limit;
    static constexpr uint32_t halfpi = coss_halfpi, half = _ps256_0p5;
};

template <>
struct CosConstants<double> {
    static constexpr uint64_t cosd_hp = 0x3FF921FB54442D18;     // 1.5707963267948966, pi / 2
    static constexpr uint64_t _pd256_0p5 = 0x3FE0000000000000;  // 0.5
    static constexpr uint64_t far_limit = SinConstants<double>::far_limit;
    static constexpr uint64_t halfpi = cosd_hp, half = _pd256_0p5;
};

template <class T>
struct TanConstants;

template <>
struct TanConstants<float> {
    static constexpr uint32_t _pi32_256_tan_2divpi = 0x3F22F983;  // 0.63661975, 2 / pi
    static constexpr uint32_t _pi32_256_tan_pi1 = 0x3FC90FDB;     // 1.5707964, pi/2 = pi1 + pi2 + pi3
    static constexpr uint32_t _pi32_256_tan_pi2 = 0xB33BBD2E;     // -4.371139e-08
    static constexpr uint32_t _pi32_256_tan_pi3 = 0xA6F72CED;     // -1.7151245e-15
    static constexpr uint32_t _pi32_256_tan_p0 = 0x3F7FFFFC;      // 0.99999976, numerator
    static constexpr uint32_t _pi32_256_tan_p1 = 0xBDC433B4;      // -0.09580174
    static constexpr uint32_t _pi32_256_tan_q0 = 0x3F7FFFFC;      // 0.99999976, denominator
    static constexpr uint32_t _pi32_256_tan_q1 = 0xBEDBB7AB;      // -0.42913565
    static constexpr uint32_t _pi32_256_tan_q2 = 0x3C1F336B;      // 0.009716849
    // 2^20: the rational function is less tolerant of a reduced argument
    // beyond pi/4 than the sine polynomial is beyond pi/2.
    static constexpr uint32_t far_limit = 0x49800000;

    static constexpr uint32_t invpi = _pi32_256_tan_2divpi, shift = SinConstants<float>::sins_shift;
    static constexpr uint32_t pi1 = _pi32_256_tan_pi1, pi2 = _pi32_256_tan_pi2, pi3 = _pi32_256_tan_pi3;
};

template <>
struct TanConstants<double> {
    static constexpr uint64_t _tan_2divpi = 0x3FE45F306DC9C883;  // 0.6366197723675814, 2 / pi
    static constexpr uint64_t _tan_shift = 0x4338000000000000;   // 1.5 * 2^52
    static constexpr uint64_t _tan_pi1 = 0x3FF921FB54442D18;     // 1.5707963267948966, pi/2 = pi1 + pi2 + pi3
    static constexpr uint64_t _tan_pi2 = 0x3C91A62633145C06;     // 6.123233995736765e-17
    static constexpr uint64_t _tan_pi3 = 0x394C1CD129024E09;     // 1.082856673921914e-32
    static constexpr uint64_t _tan_p1 = 0xBFC06B97BE36D389;      // -0.12828347003747023, numerator
    static constexpr uint64_t _tan_p2 = 0x3F66FC6FDCE5D301;      // 0.002805918199721425
    static constexpr uint64_t _tan_p3 = 0xBEDF637DCE2A3800;      // -7.483634564165939e-06
    static constexpr uint64_t _tan_q0 = 0x3FF0000000000000;      // 1.0, denominator
    static constexpr uint64_t _tan_q1 = 0xBFDD8B213470BEEE;      // -0.46161680337080113
    static constexpr uint64_t _tan_q2 = 0x3F97E7B68AC28A56;      // 0.02334485265658722
    static constexpr uint64_t _tan_q3 = 0xBF2B525B03BC92A6;      // -0.00020844803827304198
    static constexpr uint64_t far_limit = SinConstants<double>::far_limit;

    static constexpr uint64_t invpi = _tan_2divpi, shift = _tan_shift;
    static constexpr uint64_t pi1 = _tan_pi1, pi2 = _tan_pi2, pi3 = _tan_pi3;
};

// ---------------------------------------------------------------------------
// Shared pieces.

// The sign bit of each lane (x AND -0).
template <class V>
inline V sign_bits(V x) {
    return x & splat<V>(Traits<V>::mantissa_bits == 23 ? 0x80000000u : 0x8000000000000000ull);
}

// Bit 0 of the integer held in the low bits of t, moved to the sign bit.
template <class V>
inline V parity_bits(V t) {
    return from_bits(shift_left<8 * int(sizeof(typename V::Scalar)) - 1>(to_bits(t)));
}

// a - n (pi1 + pi2 + pi3), one fma per part (C: SinConstants or TanConstants).
template <class C, class V>
inline V reduce3(V a, V n) {
    V r = fnma(n, splat<V>(C::pi1), a);
    r = fnma(n, splat<V>(C::pi2), r);
    return fnma(n, splat<V>(C::pi3), r);
}

// r + r^3 P(r^2): sin r for |r| <= pi/2.
template <int N>
inline Vec<float, N> sin_poly(Vec<float, N> r) {
    using V = Vec<float, N>;
    using C = SinConstants<float>;
    const V s = r * r;
    V p = fma(splat<V>(C::sins_p0), s, splat<V>(C::sins_p1));
    p = fma(p, s, splat<V>(C::sins_p2));
    p = fma(p, s, splat<V>(C::sins_p3));
    return fma(r, s * p, r);
}

template <int N>
inline Vec<double, N> sin_poly(Vec<double, N> r) {
    using V = Vec<double, N>;
    using C = SinConstants<double>;
    const V s = r * r;
    V p = fma(splat<V>(C::sind_p7), s, splat<V>(C::sind_p6));
    p = fma(p, s, splat<V>(C::sind_p5));
    p = fma(p, s, splat<V>(C::sind_p4));
    p = fma(p, s, splat<V>(C::sind_p3));
    p = fma(p, s, splat<V>(C::sind_p2));
    p = fma(p, s, splat<V>(C::sind_p1));
    return fma(r, s * p, r);
}

// Lanes beyond the reduction's range (ordered: NaN lanes are not far).
template <class C, class V>
inline V far_lanes(V x) {
    return gt(abs(x), splat<V>(C::far_limit));
}

// y with the lanes of mask replaced by f of x, computed by libm.
template <class T, int N>
TVML_COLD Vec<T, N> trig_special_lanes(Vec<T, N> x, Vec<T, N> y, Vec<T, N> mask, T (*f)(T)) {
    alignas(32) T in[N], out[N];
    store(in, x);
    store(out, y);
    const int bits = movemask(mask);
    for (int i = 0; i < N; ++i)
        if (bits & (1 << i)) out[i] = f(in[i]);
    return load<Vec<T, N>>(out);
}

// ---------------------------------------------------------------------------
// sin x: |x| = n pi + r with n the nearest integer, sin x = sign(x) (-1)^n sin r.
template <class T, int N>
inline Vec<T, N> sin_core(Vec<T, N> x) {
    using V = Vec<T, N>;
    using C = SinConstants<T>;
    const V a = abs(x);
    const V t = fma(a, splat<V>(C::invpi), splat<V>(C::shift));
    const V n = t - splat<V>(C::shift);
    const V y = sin_poly(reduce3<C>(a, n));
    return y ^ sign_bits(x) ^ parity_bits(t);
}


// cos x = sin(|x| + pi/2): |x| + pi/2 = n pi + r, so |x| = (n - 1/2) pi + r
// and cos x = (-1)^n sin r.
template <class T, int N>
inline Vec<T, N> cos_core(Vec<T, N> x) {
    using V = Vec<T, N>;
    using S = SinConstants<T>;
    using C = CosConstants<T>;
    const V a = abs(x);
    const V t = fma(a + splat<V>(C::halfpi), splat<V>(S::invpi), splat<V>(S::shift));
    const V n = (t - splat<V>(S::shift)) - splat<V>(C::half);
    const V y = sin_poly(reduce3<S>(a, n));
    return y ^ parity_bits(t);
}


// tan: |x| = n pi/2 + r; tan x = sign(x) tan r for even n and
// sign(x) (-cot r) for odd n.  The rational function gives tan r = N / D;
// cot r = D / N takes the same single division with the operands swapped.
template <int N>
inline Vec<float, N> tan_num_den(Vec<float, N> r, Vec<float, N>& den) {
    using V = Vec<float, N>;
    using C = TanConstants<float>;
    const V s = r * r;
    den = fma(s, fma(s, splat<V>(C::_pi32_256_tan_q2), splat<V>(C::_pi32_256_tan_q1)), splat<V>(C::_pi32_256_tan_q0));
    return r * fma(s, splat<V>(C::_pi32_256_tan_p1), splat<V>(C::_pi32_256_tan_p0));
}

template <int N>
inline Vec<double, N> tan_num_den(Vec<double, N> r, Vec<double, N>& den) {
    using V = Vec<double, N>;
    using C = TanConstants<double>;
    const V s = r * r;
    V q = fma(s, splat<V>(C::_tan_q3), splat<V>(C::_tan_q2));
    q = fma(s, q, splat<V>(C::_tan_q1));
    den = fma(s, q, splat<V>(C::_tan_q0));
    V p = fma(s, splat<V>(C::_tan_p3), splat<V>(C::_tan_p2));
    p = fma(s, p, splat<V>(C::_tan_p1));
    return fma(r, s * p, r);
}

// Lanes whose n is odd, as a full mask.
template <int N>
inline Vec<float, N> odd_lanes(Vec<float, N> t) {
    return from_bits(shift_right_arith<31>(shift_left<31>(to_bits(t))));
}
template <int N>
inline Vec<double, N> odd_lanes(Vec<double, N> t) {
    // Bit 0 of n at bit 62: a nonzero double exactly when it is set.
    using V = Vec<double, N>;
    return neq(from_bits(shift_left<62>(to_bits(t))), zero<V>());
}

template <class T, int N>
inline Vec<T, N> tan_core(Vec<T, N> x) {
    using V = Vec<T, N>;
    using C = TanConstants<T>;
    const V a = abs(x);
    const V t = fma(a, splat<V>(C::invpi), splat<V>(C::shift));
    const V n = t - splat<V>(C::shift);
    V den;
    const V num = tan_num_den(reduce3<C>(a, n), den);
    const V odd = odd_lanes(t);
    const V q = select(odd, den, num) / select(odd, num, den);
    return q ^ parity_bits(t) ^ sign_bits(x);
}


// ---------------------------------------------------------------------------
// Single elements through libm.  A double can lie within 2^-61 of a
// multiple of pi/2 (6381956970095103 x 2^797, about 5.3e255, is that
// close), where libm's double cos and tan lose up to 8 and 14 ulp.  So
// double elements beyond far_limit take libm's extended-precision function
// (its reduction keeps enough bits past the 64-bit argument) rounded once
// to double: within half an ulp and a rounding there.  Float elements and
// double ones below the limit take the function of their own precision.
template <class C>
inline bool far_element(double x) {
    const uint64_t bits = C::far_limit;
    double limit;
    std::memcpy(&limit, &bits, sizeof limit);
    return std::fabs(x) > limit;
}

template <class C, class T, class F>
inline T scalar_trig(T x, F f) {
    if constexpr (std::is_same<T, double>::value) {
        if (far_element<C>(x)) return static_cast<double>(f(static_cast<long double>(x)));
    }
    return f(x);
}

// The three functions by name: constants, core and libm counterpart.
template <class T>
struct SinFn {
    using C = SinConstants<T>;
    template <int N>
    static Vec<T, N> core(Vec<T, N> x) { return sin_core(x); }
    static T libm(T x) { return scalar_trig<C>(x, [](auto v) { return std::sin(v); }); }
};
template <class T>
struct CosFn {
    using C = CosConstants<T>;
    template <int N>
    static Vec<T, N> core(Vec<T, N> x) { return cos_core(x); }
    static T libm(T x) { return scalar_trig<C>(x, [](auto v) { return std::cos(v); }); }
};
template <class T>
struct TanFn {
    using C = TanConstants<T>;
    template <int N>
    static Vec<T, N> core(Vec<T, N> x) { return tan_core(x); }
    static T libm(T x) { return scalar_trig<C>(x, [](auto v) { return std::tan(v); }); }
};

// The reduction's result, with the lanes beyond its range added to far
// (the array kernels test far once per run of registers).
template <class F, class T, int N>
inline Vec<T, N> trig_fast(Vec<T, N> x, Vec<T, N>& far) {
    far = far | far_lanes<typename F::C>(x);
    return F::core(x);
}

// The whole lane function: lanes beyond the range computed by libm.
template <class F, class T, int N>
inline Vec<T, N> trig_lanes(Vec<T, N> x) {
    Vec<T, N> far = zero<Vec<T, N>>();
    const Vec<T, N> y = trig_fast<F>(x, far);
    if (TVML_UNLIKELY(any(far))) return trig_special_lanes(x, y, far, &F::libm);
    return y;
}

template <class T, int N>
inline Vec<T, N> sin_lanes(Vec<T, N> x) { return trig_lanes<SinFn<T>>(x); }
template <class T, int N>
inline Vec<T, N> cos_lanes(Vec<T, N> x) { return trig_lanes<CosFn<T>>(x); }
template <class T, int N>
inline Vec<T, N> tan_lanes(Vec<T, N> x) { return trig_lanes<TanFn<T>>(x); }

}  // namespace avx2
}  // namespace tvml
