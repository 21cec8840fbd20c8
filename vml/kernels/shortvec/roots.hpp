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
    static constexpr uint32_t cbrts_p0 = 0xBE441925;  // -0.19150217
    static constexpr uint32_t cbrts_p1 = 0x3F3293FA;  // 0.69757044
    static constexpr uint32_t cbrts_p2 = 0x3EFC3DE2;  // 0.49265963
    // Signed division by 3: high word of e * 0x55555556, plus one for e < 0.
    static constexpr uint32_t cbrt_v0x55555556 = 0x55555556;  // (2^32 + 2) / 3
    // Split a = m 2^e: m from the mantissa bits with the exponent of 0.5,
    // e = biased exponent - 126.
    static constexpr uint32_t frexp_126 = 0x0000007E;   // 126
    static constexpr uint32_t frexp_3f00 = 0x3F000000;  // 0.5
    static constexpr uint32_t frexp_807f = 0x807FFFFF;  // sign and mantissa fields
    // Subnormal inputs are scaled by 2^24 (cube root 2^8) into the normal range.
    static constexpr uint32_t tiny_scale = 0x4B800000;         // 2^24
    static constexpr uint32_t tiny_root_unscale = 0x3B800000;  // 2^-8
};

template <>
struct CbrtConstants<double> {
    // Start value: degree-6 polynomial in m, Horner from p0.
    static constexpr uint64_t cbrtd_p0 = 0xBFC29801E893366D;  // -0.14526389938548637
    static constexpr uint64_t cbrtd_p1 = 0x3FE91E2A6FE7E984;  // 0.7849323449766392
    static constexpr uint64_t cbrtd_p2 = 0xBFFD5AE6CFA20F0C;  // -1.8346927748361308
    static constexpr uint64_t cbrtd_p3 = 0x40039350ADAD51EC;  // 2.4469312256353444
    static constexpr uint64_t cbrtd_p4 = 0xC000EB8277CD8D5D;  // -2.114994941673713
    static constexpr uint64_t cbrtd_p5 = 0x3FF8218DDE9028B4;  // 1.508191937815849
    static constexpr uint64_t cbrtd_p6 = 0x3FD6B69CBA168FF2;  // 0.35489576504391984
    static constexpr uint32_t cbrt_v0x55555556 = 0x55555556;    // (2^32 + 2) / 3
    static constexpr uint32_t frexp_1022 = 0x000003FE;          // 1022
    static constexpr uint64_t frexp_3fe0 = 0x3FE0000000000000;  // 0.5
    static constexpr uint64_t frexp_800f = 0x800FFFFFFFFFFFFF;  // sign and mantissa fields
    // Subnormal inputs are scaled by 2^54 (cube root 2^18).
    static constexpr uint64_t tiny_scale = 0x4350000000000000;         // 2^54
    static constexpr uint64_t tiny_root_unscale = 0x3ED0000000000000;  // 2^-18
};

// 2^(k/3) for k = -2..2, indexed by k + 2.
inline const float* cbrt_factor(float) { return cbrts_factor; }
inline const double* cbrt_factor(double) { return cbrtd_factor; }

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
        return from_bits((abs_bits & isplat<IV>(C::frexp_807f)) | isplat<IV>(C::frexp_3f00));
    else
        return from_bits((abs_bits & isplat<IV>(C::frexp_800f)) | isplat<IV>(C::frexp_3fe0));
}
template <class V>
inline typename Traits<V>::Int32 cbrt_exponent(typename Traits<V>::Int abs_bits) {
    using I32 = typename Traits<V>::Int32;
    using C = CbrtConstants<typename V::Scalar>;
    const I32 biased = exponent_lanes(shift_right_logical<Traits<V>::mantissa_bits>(abs_bits));
    if constexpr (std::is_same_v<typename V::Scalar, float>) return biased - isplat<I32>(C::frexp_126);
    else return biased - isplat<I32>(C::frexp_1022);
}

// cbrt(m) before the Halley step.
template <class V>
inline V cbrt_start(V m) {
    using C = CbrtConstants<typename V::Scalar>;
    using T = typename V::Scalar;
    if constexpr (std::is_same_v<T, float>) {
        return fma(fma(splat<V>(C::cbrts_p0), m, splat<V>(C::cbrts_p1)), m, splat<V>(C::cbrts_p2));
    } else {
        V u = fma(splat<V>(C::cbrtd_p0), m, splat<V>(C::cbrtd_p1));
        u = fma(u, m, splat<V>(C::cbrtd_p2));
        u = fma(u, m, splat<V>(C::cbrtd_p3));
        u = fma(u, m, splat<V>(C::cbrtd_p4));
        u = fma(u, m, splat<V>(C::cbrtd_p5));
        return fma(u, m, splat<V>(C::cbrtd_p6));
    }
}

// The cube root of every finite normal lane; other lanes give garbage.
template <class V>
inline V cbrt_core(V x) {
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
    const I32 q = mul_high(e, isplat<I32>(C::cbrt_v0x55555556)) - shift_right_arith<31>(e);
    const I32 i = e - (q + q + q) + set1<I32>(2);
    // One Halley step: u (2m + u^3) / (2u^3 + m).
    V u = cbrt_start(m);
    const V u3 = u * u * u;
    const V two = set1<V>(T(2));
    u = u * fma(m, two, u3) / fma(u3, two, m);
    const V v = gather_hw(cbrt_factor(T()), widen_lanes<IV>(i)) * u;
    const IV scaled = to_bits(v) + shift_left<Traits<V>::mantissa_bits>(widen_lanes<IV>(q));
    return from_bits(scaled ^ sign);
}

// Lanes that are not finite normal numbers: zeros give +0, subnormals the
// root of the input scaled into the normal range, scaled back exactly;
// infinities themselves, NaN a quiet NaN.
template <class V>
TVML_COLD V cbrt_special_lanes(V x, V r) {
    using T = typename V::Scalar;
    using C = CbrtConstants<T>;
    const V a = abs(x);
    const V zeros = zero<V>();
    const V is_zero = eq(a, zeros);
    const V tiny = lt(a, set1<V>(std::numeric_limits<T>::min())) & neq(a, zeros);
    const V inf_or_nan = ge(a, set1<V>(std::numeric_limits<T>::infinity())) | unord(a, a);
    const V scaled_root = cbrt_core(x * splat<V>(C::tiny_scale)) * splat<V>(C::tiny_root_unscale);
    r = select(tiny, scaled_root, r);
    r = select(is_zero, zeros, r);
    return select(inf_or_nan, x + x, r);
}

template <class V>
inline V cbrt_lanes(V x) {
    using T = typename V::Scalar;
    const V r = cbrt_core(x);
    const V a = abs(x);
    const V normal = ge(a, set1<V>(std::numeric_limits<T>::min())) & lt(a, set1<V>(std::numeric_limits<T>::infinity()));
    if (TVML_UNLIKELY(!all(normal))) return cbrt_special_lanes(x, r);
    return r;
}

// The correctly rounded square root (the instruction).
template <class V>
inline V sqrt_lanes(V x) {
    return sqrt(x);
}

// sqrt(x AND m): the mask clears bits of x (all zeros give sqrt(+0) = +0).
template <class V>
inline V sqrt_mask_lanes(V x, V m) {
    return sqrt(x & m);
}

// Lanes whose sum of squares is NaN: +inf where either operand is
// infinite, even when the other is NaN; the other lanes keep r.
template <class V>
TVML_COLD V hypot_special_lanes(V x, V y, V r) {
    const V inf = set1<V>(std::numeric_limits<typename V::Scalar>::infinity());
    return select(eq(abs(x), inf) | eq(abs(y), inf), inf, r);
}

// sqrt(x x + y y) without rescaling: overflows to +inf and loses precision
// in the subnormal range like its intermediate x x + y y.
template <class V>
inline V hypot_lanes(V x, V y) {
    const V r = sqrt(fma(y, y, x * x));
    if (TVML_UNLIKELY(any(unord(r, r)))) return hypot_special_lanes(x, y, r);
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
