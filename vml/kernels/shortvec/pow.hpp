// x^y lane algorithms: e^(y ln|x|) on the logarithm and exponential cores.
//
// - 8 floats: the float ln core, z = y ln|x|, the float exponential with its
//   overflow, underflow and subnormal handling.
// - 4 floats: the same logarithm, then 2^(z / ln 2) from a 32-entry table
//   (exp2f_data) and a cubic, on z clamped to +-127.5 ln 2.
// - doubles: the double ln core and the double exponential.
//
// The fast path serves positive finite normal x with finite y (for
// doubles, x not within 2^-8 of 1).  Every other lane (negative or zero x,
// subnormal, infinite or NaN x, infinite or NaN y, a double base next to
// 1, a double z = y ln|x| next to the overflow threshold) is recomputed
// with the C99 rules, ln's accurate logarithm near 1, or libm next to the
// overflow threshold, in a fix-up that runs only when some lane needs it:
// the sign of a negative base is kept for odd integral y, a negative
// finite base with non-integral y gives NaN, and x^0 = 1^y = (-1)^(+-inf)
// = 1.
//
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "exp.hpp"
#include "log.hpp"
#include "roots_tables.hpp"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// e^z for the 4-float power: z / ln 2 = k / 32 + r with k the integer
// nearest to 32 z / ln 2; 2^(k/32) from exp2f_data, 2^r a cubic in r.
struct Pow4fConstants {
    static constexpr uint32_t scale_32_over_ln2 = 0x4238AA3B;  // 46.16624, 32 / ln 2
    static constexpr uint32_t one_32nd = 0x3D000000;           // 0.03125
    static constexpr uint32_t inv_ln2 = 0x3FB8AA3B;            // 1.442695, 1 / ln 2
    static constexpr uint32_t z_hi = 0x42B0C0A5;               // 88.37626, 127.5 ln 2
    static constexpr uint32_t z_lo = 0xC2B0C0A5;               // -88.37626
    static constexpr uint32_t c1 = 0x3F317218;                 // 0.6931472
    static constexpr uint32_t c2 = 0x3E75FE73;                 // 0.24022846
    static constexpr uint32_t c3 = 0x3D6357C2;                 // 0.055503614
    // 2^(k/32) leaves the normal range below k = -126 * 32: such lanes
    // are scaled by 2^64 through k + 64 * 32, then by 2^-64 (one rounding).
    static constexpr uint32_t k_min_normal = 0xFFFFF040;      // -4032, -126 * 32 as an integer
    static constexpr uint32_t k_underflow_bias = 0x00000800;  // 2048, 64 * 32 as an integer
    static constexpr uint32_t underflow_scale = 0x1F800000;   // 2^-64
};

struct Pow4fParts {
    F32x4 p;  // 2^r by the cubic
    I32x4 k;  // 32 z / ln 2 rounded to nearest
};

inline Pow4fParts pow4f_parts(F32x4 z) {
    using C = Pow4fConstants;
    const I32x4 k = to_i32_round(z * splat<F32x4>(C::scale_32_over_ln2));
    const F32x4 kf = from_i32<F32x4>(k) * splat<F32x4>(C::one_32nd);
    const F32x4 r = fms(z, splat<F32x4>(C::inv_ln2), kf);
    const F32x4 low = fma(r, splat<F32x4>(C::c1), set1<F32x4>(1.0f));
    const F32x4 high = fma(r, splat<F32x4>(C::c3), splat<F32x4>(C::c2));
    return {fma(r * r, high, low), k};
}

// 2^(k/32) by adding k << 18 to exp2f_data[k mod 32].
inline F32x4 pow4f_scale(I32x4 k) {
    const I32x4 entry = gather(reinterpret_cast<const int32_t*>(exp2f_data), k & set1<I32x4>(31));
    return from_bits(shift_left<18>(k) + entry);
}

// Lanes whose z left the clamp range or is NaN, or whose 2^(k/32) is
// below the normal range.
TVML_COLD inline F32x4 pow4f_exp_special_lanes(F32x4 z, F32x4 y) {
    using C = Pow4fConstants;
    const F32x4 clamped = max(min(z, splat<F32x4>(C::z_hi)), splat<F32x4>(C::z_lo));
    const Pow4fParts e = pow4f_parts(clamped);
    const F32x4 tiny =
        e.p * pow4f_scale(e.k + isplat<I32x4>(C::k_underflow_bias)) * splat<F32x4>(C::underflow_scale);
    y = select(from_bits(lt(e.k, isplat<I32x4>(C::k_min_normal))), tiny, y);
    y = select(gt(z, splat<F32x4>(C::z_hi)), set1<F32x4>(std::numeric_limits<float>::infinity()), y);
    y = andnot(lt(z, splat<F32x4>(C::z_lo)), y);
    return select(unord(z, z), z, y);
}

// e^z for the 4-float power; z is clamped to +-127.5 ln 2 first.
inline F32x4 pow4f_exp(F32x4 z) {
    using C = Pow4fConstants;
    const F32x4 clamped = max(min(z, splat<F32x4>(C::z_hi)), splat<F32x4>(C::z_lo));
    const Pow4fParts e = pow4f_parts(clamped);
    const F32x4 r = e.p * pow4f_scale(e.k);
    const F32x4 special = cmp<_CMP_NGE_UQ>(z, splat<F32x4>(C::z_lo)) | cmp<_CMP_NLE_UQ>(z, splat<F32x4>(C::z_hi)) |
                          from_bits(lt(e.k, isplat<I32x4>(C::k_min_normal)));
    if (TVML_UNLIKELY(any(special))) return pow4f_exp_special_lanes(z, r);
    return r;
}

// The exponential each shape uses for x^y.
template <class V>
inline V pow_exp(V z) {
    if constexpr (std::is_same_v<V, F32x4>) return pow4f_exp(z);
    else return exp_lanes(z);
}

// Double z = y ln|x| above which libm decides the lane: z is rounded (and
// ln's error multiplied by y), so next to the overflow threshold
// 709.782712893384 it cannot tell the largest doubles from +inf
// (pow(2, 1024) would give 0x1.fffffffffff2ap+1023).
constexpr uint64_t pow_double_libm_from = 0x40862E147AE147AE;  // 709.78

// x^y of every lane by libm.
template <class V>
TVML_COLD V pow_libm_each_lane(V x, V y) {
    using T = typename V::Scalar;
    alignas(32) T a[V::lanes], b[V::lanes];
    store(a, x);
    store(b, y);
    for (int i = 0; i < V::lanes; ++i) a[i] = std::pow(a[i], b[i]);
    return load<V>(a);
}

// Lanes outside the fast path, with the C99 rules.
template <class V>
TVML_COLD V pow_special_lanes(V x, V y, V r, V special) {
    using T = typename V::Scalar;
    using L = std::numeric_limits<T>;
    const V ax = abs(x);
    const V one = set1<V>(T(1));
    // |x|^y with the logarithm's own results at 0, subnormals, inf and NaN.
    V m = pow_exp(y * ln_lanes(ax));
    // Sign and domain of a negative base (the sign bit alone marks a lane
    // for select and flips it by xor).
    const V negative = x ^ ax;
    const V half = y * set1<V>(T(0.5));
    const V y_odd = eq(round_nearest(y), y) & neq(round_nearest(half), half);
    m = m ^ (negative & y_odd);
    const V finite_nonzero_x = lt(ax, set1<V>(L::infinity())) & neq(ax, zero<V>());
    const V finite_non_integral_y = lt(abs(y), set1<V>(L::infinity())) & neq(round_nearest(y), y);
    m = select(negative & finite_nonzero_x & finite_non_integral_y, set1<V>(L::quiet_NaN()), m);
    // x^0 = 1 (x NaN too), 1^y = 1 (y NaN too), (-1)^(+-inf) = 1.
    const V unit = eq(y, zero<V>()) | eq(x, one) | (eq(ax, one) & eq(abs(y), set1<V>(L::infinity())));
    m = select(unit, one, m);
    if constexpr (std::is_same_v<T, double>) {
        // z of finite x and y only: libm's own C99 results cover the rest.
        const V near_overflow = gt(y * ln_core(ax), splat<V>(pow_double_libm_from)) & special;
        if (any(near_overflow)) m = select(near_overflow, pow_libm_each_lane(x, y), m);
    }
    return select(special, m, r);
}

template <class V>
inline V pow_lanes(V x, V y) {
    using T = typename V::Scalar;
    using L = std::numeric_limits<T>;
    const V ax = abs(x);
    const V z = y * ln_core(ax);
    const V r = pow_exp(z);
    // Fast path: x positive finite normal, y finite (NaN fails every test).
    V slow = cmp<_CMP_NGE_UQ>(x, set1<V>(L::min())) | cmp<_CMP_NLT_UQ>(x, set1<V>(L::infinity())) |
             cmp<_CMP_NLT_UQ>(abs(y), set1<V>(L::infinity()));
    // Double bases within 2^-8 of 1 take the near-1 logarithm of ln_lanes:
    // the table's absolute error, multiplied by a large y, would show.
    if constexpr (std::is_same_v<T, double>)
        slow = slow | lt(abs(x - set1<V>(1.0)), splat<V>(LnConstants<double>::near_one)) |
               gt(z, splat<V>(pow_double_libm_from));
    if (TVML_UNLIKELY(any(slow))) return pow_special_lanes(x, y, r, slow);
    return r;
}

}  // namespace avx2
}  // namespace tvml
