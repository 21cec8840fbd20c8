// Lane algorithms of the cube root, the square root, the masked square
// root and hypot, written once over the four lane shapes.
//
// Cube root: x = m 2^e with m in [0.5, 1); with e = 3q + k (k in -2..2)
// the root is 2^q (2^(k/3) cbrt(m)).  cbrt(m) starts from a polynomial and
// is refined by one Halley step; 2^(k/3) comes from a 5-entry table and
// 2^q is added to the exponent field.  That path serves every finite
// normal input; zeros (+0 for either sign), subnormals (scaled into the
// normal range first), infinities and NaN are repaired afterwards, only in
// calls where some lane holds one.
//
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <limits>

#include "roots_tables.hpp"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

template <class T>
struct CbrtConstants;

template <>
struct CbrtConstants<float> {
    // Start value cbrt(m) ~ (p0 m + p1) m + p2 on [0.5, 1).
    static constexpr float cbrts_p0 = -0x1.88324ap-3f;  // 0xBE441925 -0.19150217
    static constexpr float cbrts_p1 = 0x1.6527f4p-1f;   // 0x3F3293FA  0.69757044
    static constexpr float cbrts_p2 = 0x1.f87bc4p-2f;   // 0x3EFC3DE2  0.49265963
    // Signed division by 3: high word of e * 0x55555556, plus one for e < 0.
    static constexpr int32_t cbrt_v0x55555556 = 0x55555556;
    // Split a = m 2^e: m from the mantissa bits with the exponent of 0.5,
    // e = biased exponent - 126.
    static constexpr int32_t frexp_126 = 126;
    static constexpr int32_t frexp_3f00 = 0x3F000000;
    static constexpr int32_t frexp_807f = int32_t(0x807FFFFF);
    // Subnormal inputs are scaled by 2^24 (cube root 2^8) into the normal range.
    static constexpr float tiny_scale = 0x1p24f;
    static constexpr float tiny_root_unscale = 0x1p-8f;
    static constexpr const float* factor = cbrts_factor;
};

template <>
struct CbrtConstants<double> {
    // Start value: degree-6 polynomial in m, Horner from p0.
    static constexpr double cbrtd_p0 = -0x1.29801e893366dp-3;  // 0xBFC29801E893366D
    static constexpr double cbrtd_p1 = 0x1.91e2a6fe7e984p-1;   // 0x3FE91E2A6FE7E984
    static constexpr double cbrtd_p2 = -0x1.d5ae6cfa20f0cp+0;  // 0xBFFD5AE6CFA20F0C
    static constexpr double cbrtd_p3 = 0x1.39350adad51ecp+1;   // 0x40039350ADAD51EC
    static constexpr double cbrtd_p4 = -0x1.0eb8277cd8d5dp+1;  // 0xC000EB8277CD8D5D
    static constexpr double cbrtd_p5 = 0x1.8218dde9028b4p+0;   // 0x3FF8218DDE9028B4
    static constexpr double cbrtd_p6 = 0x1.6b69cba168ff2p-2;   // 0x3FD6B69CBA168FF2
    static constexpr int32_t cbrt_v0x55555556 = 0x55555556;
    static constexpr int32_t frexp_1022 = 1022;
    static constexpr int64_t frexp_3fe0 = 0x3FE0000000000000;
    static constexpr int64_t frexp_800f = int64_t(0x800FFFFFFFFFFFFFull);
    // Subnormal inputs are scaled by 2^54 (cube root 2^18).
    static constexpr double tiny_scale = 0x1p54;
    static constexpr double tiny_root_unscale = 0x1p-18;
    static constexpr const double* factor = cbrtd_factor;
};

// Exponent arithmetic in 32-bit lanes: float shapes use their own lanes,
// double shapes the low words of their 64-bit lanes.
template <int N>
inline Vec<int32_t, N> exponent_lanes(Vec<int32_t, N> biased) { return biased; }
template <int N>
inline I32x4 exponent_lanes(Vec<int64_t, N> biased) { return low_words(biased); }
template <class IV, int N>
inline IV widen_lanes(Vec<int32_t, N> a) {
    if constexpr (std::is_same_v<typename IV::Scalar, int32_t>) return a;
    else return widen_i64<IV::lanes>(a);
}

// Split of |x| = m 2^e: m in [0.5, 1) and e, for finite normal |x|.
template <class V>
inline V cbrt_mantissa(typename Traits<V>::Int abs_bits) {
    using IV = typename Traits<V>::Int;
    using C = CbrtConstants<typename V::Scalar>;
    if constexpr (std::is_same_v<typename V::Scalar, float>)
        return from_bits((abs_bits & set1<IV>(C::frexp_807f)) | set1<IV>(C::frexp_3f00));
    else
        return from_bits((abs_bits & set1<IV>(C::frexp_800f)) | set1<IV>(C::frexp_3fe0));
}
template <class V>
inline typename Traits<V>::Int32 cbrt_exponent(typename Traits<V>::Int abs_bits) {
    using I32 = typename Traits<V>::Int32;
    using C = CbrtConstants<typename V::Scalar>;
    const I32 biased = exponent_lanes(shift_right_logical<Traits<V>::mantissa_bits>(abs_bits));
    if constexpr (std::is_same_v<typename V::Scalar, float>) return biased - set1<I32>(C::frexp_126);
    else return biased - set1<I32>(C::frexp_1022);
}

// cbrt(m) before the Halley step.
template <class V>
inline V cbrt_start(V m) {
    using C = CbrtConstants<typename V::Scalar>;
    using T = typename V::Scalar;
    if constexpr (std::is_same_v<T, float>) {
        return fma(fma(set1<V>(C::cbrts_p0), m, set1<V>(C::cbrts_p1)), m, set1<V>(C::cbrts_p2));
    } else {
        V u = fma(set1<V>(C::cbrtd_p0), m, set1<V>(C::cbrtd_p1));
        u = fma(u, m, set1<V>(C::cbrtd_p2));
        u = fma(u, m, set1<V>(C::cbrtd_p3));
        u = fma(u, m, set1<V>(C::cbrtd_p4));
        u = fma(u, m, set1<V>(C::cbrtd_p5));
        return fma(u, m, set1<V>(C::cbrtd_p6));
    }
}

// The cube root of every finite normal lane; other lanes give garbage.
template <class V>
inline V cbrt_normal(V x) {
    using T = typename V::Scalar;
    using C = CbrtConstants<T>;
    using IV = typename Traits<V>::Int;
    using I32 = typename Traits<V>::Int32;
    const V a = abs(x);
    const IV sign = to_bits(x ^ a);
    const IV abs_bits = to_bits(a);
    const V m = cbrt_mantissa<V>(abs_bits);
    // q = e / 3 truncated, k = e - 3q in -2..2: i = k + 2 indexes the factor.
    const I32 e = cbrt_exponent<V>(abs_bits);
    const I32 q = mul_high(e, set1<I32>(C::cbrt_v0x55555556)) - shift_right_arith<31>(e);
    const I32 i = e - (q + q + q) + set1<I32>(2);
    // One Halley step: u (2m + u^3) / (2u^3 + m).
    V u = cbrt_start(m);
    const V u3 = u * u * u;
    const V two = set1<V>(T(2));
    u = u * fma(m, two, u3) / fma(u3, two, m);
    const V v = gather_hw(C::factor, widen_lanes<IV>(i)) * u;
    const IV scaled = to_bits(v) + shift_left<Traits<V>::mantissa_bits>(widen_lanes<IV>(q));
    return from_bits(scaled ^ sign);
}

// Lanes that are not finite normal numbers: zeros give +0, subnormals the
// root of the input scaled into the normal range, scaled back exactly;
// infinities themselves, NaN a quiet NaN.
template <class V>
__attribute__((noinline)) V cbrt_special(V x, V r) {
    using T = typename V::Scalar;
    using C = CbrtConstants<T>;
    const V a = abs(x);
    const V zeros = zero<V>();
    const V is_zero = eq(a, zeros);
    const V tiny = lt(a, set1<V>(std::numeric_limits<T>::min())) & neq(a, zeros);
    const V inf_or_nan = ge(a, set1<V>(std::numeric_limits<T>::infinity())) | unord(a, a);
    const V scaled_root = cbrt_normal(x * set1<V>(C::tiny_scale)) * set1<V>(C::tiny_root_unscale);
    r = select(tiny, scaled_root, r);
    r = select(is_zero, zeros, r);
    return select(inf_or_nan, x + x, r);
}

template <class V>
inline V cbrt(V x) {
    using T = typename V::Scalar;
    const V r = cbrt_normal(x);
    const V a = abs(x);
    const V normal = ge(a, set1<V>(std::numeric_limits<T>::min())) & lt(a, set1<V>(std::numeric_limits<T>::infinity()));
    if (!all(normal)) return cbrt_special(x, r);
    return r;
}

// sqrt(x AND m): the mask clears bits of x (all zeros give sqrt(+0) = +0).
template <class V>
inline V sqrt_masked(V x, V m) {
    return sqrt(x & m);
}

// Lanes whose sum of squares is NaN: +inf where either operand is
// infinite, even when the other is NaN; the other lanes keep r.
template <class V>
[[gnu::noinline, gnu::cold]] V hypot_special_lanes(V x, V y, V r) {
    const V inf = set1<V>(std::numeric_limits<typename V::Scalar>::infinity());
    return select(eq(abs(x), inf) | eq(abs(y), inf), inf, r);
}

// sqrt(x x + y y) without rescaling: overflows to +inf and loses precision
// in the subnormal range like its intermediate x x + y y.
template <class V>
inline V hypot(V x, V y) {
    const V r = sqrt(fma(y, y, x * x));
    if (__builtin_expect(any(unord(r, r)), 0)) return hypot_special_lanes(x, y, r);
    return r;
}

}  // namespace avx2
}  // namespace tvml

// Shared cube-root routines of the 8-float kernel and the array kernels:
// 8 floats or 4 doubles in a register, 16 floats or 8 doubles from memory
// (unaligned; out may equal in).
extern "C" {
__m256 simd_cbrt8f(__m256 x);
__m256d simd_cbrt4d(__m256d x);
void simd_cbrt16f(const float* in, float* out);
void simd_cbrt8d(const double* in, double* out);
}
