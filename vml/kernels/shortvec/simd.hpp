// SIMD layer of the tuned kernels: the four lane shapes as one thin template
// type with named intrinsics.
//
// Shapes: Vec<float, 4> (__m128), Vec<float, 8> (__m256), Vec<double, 2>
// (__m128d), Vec<double, 4> (__m256d). Each has an integer view of the same
// width, Traits<V>::Int: int32 lanes for float shapes, int64 lanes for double
// shapes. Every operation is a free function overloaded across the shapes; the
// per-shape definitions are stamped out by one macro per operation group from
// the intrinsic name parts, so each operation is written once.
//
// Conventions, all those of the instructions themselves:
// - A mask is a vector of the same type whose lanes are all ones (true) or all
//   zeros (false); compares produce them, select/any/all consume them.
// - min(a, b) / max(a, b) return b when either operand is NaN or both are
//   zeros of any sign (that is a < b ? a : b and a > b ? a : b).
// - andnot(a, b) is (NOT a) AND b, the operand order of the instruction.
// - Shifts by a count of at least the lane width give 0 (logical) or the sign
//   fill (arithmetic). AVX2 has no 64-bit arithmetic right shift, so it exists
//   only for int32 lanes; for int64 lanes shift the high words (high_words) or
//   sign-extend by hand.
// - float/double to int32 conversions give INT32_MIN (the "integer
//   indefinite") for NaN, infinities and out-of-range values; rounding
//   conversions use the current rounding mode (nearest-even by default).
// - AVX2 has no double <-> int64 conversion; to_i64_round / from_i64 use the
//   1.5 * 2^52 magic-number trick and are exact for |value| <= 2^51 only.
//
// Compile only with -mavx2 -mfma. Everything lives in namespace tvml::avx2 so
// that no inline function is shared, under the same symbol, with translation
// units compiled for baseline x86-64; never include this from such a unit.
#pragma once

#if !defined(__AVX2__) || !defined(__FMA__)
#error "simd.hpp must be compiled with -mavx2 -mfma"
#endif

#include <immintrin.h>

#include <cstdint>
#include <type_traits>

// Fix-ups of the lanes a fast path cannot serve: out of line and cold, so
// the common case carries none of their code; the any-lane test that calls
// one is TVML_UNLIKELY.
#define TVML_COLD [[gnu::noinline, gnu::cold]]
#define TVML_UNLIKELY(c) __builtin_expect(!!(c), 0)

namespace tvml {
namespace avx2 {

template <class T, int N>
struct RawOf;
template <> struct RawOf<float, 4> { using type = __m128; };
template <> struct RawOf<float, 8> { using type = __m256; };
template <> struct RawOf<double, 2> { using type = __m128d; };
template <> struct RawOf<double, 4> { using type = __m256d; };
template <> struct RawOf<int32_t, 4> { using type = __m128i; };
template <> struct RawOf<int32_t, 8> { using type = __m256i; };
template <> struct RawOf<int64_t, 2> { using type = __m128i; };
template <> struct RawOf<int64_t, 4> { using type = __m256i; };

// N lanes of T in one register; an aggregate, so Vec<float, 8>{raw} wraps.
template <class T, int N>
struct Vec {
    using Scalar = T;
    using Raw = typename RawOf<T, N>::type;
    static constexpr int lanes = N;
    Raw raw;
};

using F32x4 = Vec<float, 4>;
using F32x8 = Vec<float, 8>;
using F64x2 = Vec<double, 2>;
using F64x4 = Vec<double, 4>;
using I32x4 = Vec<int32_t, 4>;
using I32x8 = Vec<int32_t, 8>;
using I64x2 = Vec<int64_t, 2>;
using I64x4 = Vec<int64_t, 4>;

template <class V>
constexpr int lanes = V::lanes;

// Per-shape facts. Int: integer view of the same width (reinterpret casts,
// exponent arithmetic, gather indices). Int32: result of the float -> int32
// conversions (for double shapes the N results sit in the low lanes of an
// I32x4, upper lanes zero when N = 2).
template <class V>
struct Traits;
template <int N>
struct Traits<Vec<float, N>> {
    using Scalar = float;
    using IntScalar = int32_t;
    using Int = Vec<int32_t, N>;
    using Int32 = Vec<int32_t, N>;
    static constexpr int lanes = N;
    static constexpr int mantissa_bits = 23;
    static constexpr int exponent_bits = 8;
    static constexpr int exponent_bias = 127;
};
template <int N>
struct Traits<Vec<double, N>> {
    using Scalar = double;
    using IntScalar = int64_t;
    using Int = Vec<int64_t, N>;
    using Int32 = I32x4;
    static constexpr int lanes = N;
    static constexpr int mantissa_bits = 52;
    static constexpr int exponent_bits = 11;
    static constexpr int exponent_bias = 1023;
};

// Operations whose only argument is a scalar or pointer take the shape as an
// explicit template argument: load<F32x8>(p), set1<F64x2>(1.0), zero<I32x4>().
template <class V> V load(const typename V::Scalar* p);
template <class V> V set1(typename V::Scalar x);
template <class V> V zero();
template <class V> V from_i32(typename Traits<V>::Int32 x);

// Floating shapes. P: intrinsic prefix (_mm, _mm256); S: ps or pd; SI: si128 or
// si256; B: index width of the hardware gather (32 or 64).
#define TVML_SIMD_FLOAT_SHAPE(V, IV, I32V, P, S, SI, B)                                        \
    template <> inline V load<V>(const V::Scalar* p) { return {P##_loadu_##S(p)}; }             \
    inline void store(V::Scalar* p, V a) { P##_storeu_##S(p, a.raw); }                          \
    template <> inline V set1<V>(V::Scalar x) { return {P##_set1_##S(x)}; }                     \
    template <> inline V zero<V>() { return {P##_setzero_##S()}; }                              \
    inline V operator+(V a, V b) { return {P##_add_##S(a.raw, b.raw)}; }                        \
    inline V operator-(V a, V b) { return {P##_sub_##S(a.raw, b.raw)}; }                        \
    inline V operator*(V a, V b) { return {P##_mul_##S(a.raw, b.raw)}; }                        \
    inline V operator/(V a, V b) { return {P##_div_##S(a.raw, b.raw)}; }                        \
    /* a * b + c, a * b - c, -(a * b) + c, -(a * b) - c; one rounding each. */                  \
    inline V fma(V a, V b, V c) { return {P##_fmadd_##S(a.raw, b.raw, c.raw)}; }                \
    inline V fms(V a, V b, V c) { return {P##_fmsub_##S(a.raw, b.raw, c.raw)}; }                \
    inline V fnma(V a, V b, V c) { return {P##_fnmadd_##S(a.raw, b.raw, c.raw)}; }              \
    inline V fnms(V a, V b, V c) { return {P##_fnmsub_##S(a.raw, b.raw, c.raw)}; }              \
    inline V min(V a, V b) { return {P##_min_##S(a.raw, b.raw)}; }                              \
    inline V max(V a, V b) { return {P##_max_##S(a.raw, b.raw)}; }                              \
    inline V sqrt(V a) { return {P##_sqrt_##S(a.raw)}; }                                        \
    inline V operator&(V a, V b) { return {P##_and_##S(a.raw, b.raw)}; }                        \
    inline V operator|(V a, V b) { return {P##_or_##S(a.raw, b.raw)}; }                         \
    inline V operator^(V a, V b) { return {P##_xor_##S(a.raw, b.raw)}; }                        \
    inline V andnot(V a, V b) { return {P##_andnot_##S(a.raw, b.raw)}; }                        \
    inline IV to_bits(V a) { return {P##_cast##S##_##SI(a.raw)}; }                              \
    inline V from_bits(IV a) { return {P##_cast##SI##_##S(a.raw)}; }                            \
    template <int Predicate>                                                                     \
    inline V cmp(V a, V b) { return {P##_cmp_##S(a.raw, b.raw, Predicate)}; }                   \
    inline V select(V mask, V if_true, V if_false) {                                             \
        return {P##_blendv_##S(if_false.raw, if_true.raw, mask.raw)};                            \
    }                                                                                            \
    inline int movemask(V mask) { return P##_movemask_##S(mask.raw); }                         \
    template <int Mode>                                                                          \
    inline V round_with(V a) { return {P##_round_##S(a.raw, Mode | _MM_FROUND_NO_EXC)}; }      \
    inline I32V to_i32_round(V a) { return {P##_cvt##S##_epi32(a.raw)}; }                      \
    inline I32V to_i32_trunc(V a) { return {P##_cvtt##S##_epi32(a.raw)}; }                     \
    template <> inline V from_i32<V>(I32V a) { return {P##_cvtepi32_##S(a.raw)}; }              \
    /* Hardware gather; every index must lie inside the table. */                               \
    inline V gather_hw(const V::Scalar* table, IV index) {                                       \
        return {P##_i##B##gather_##S(table, index.raw, sizeof(V::Scalar))};                     \
    }

TVML_SIMD_FLOAT_SHAPE(F32x4, I32x4, I32x4, _mm, ps, si128, 32)
TVML_SIMD_FLOAT_SHAPE(F32x8, I32x8, I32x8, _mm256, ps, si256, 32)
TVML_SIMD_FLOAT_SHAPE(F64x2, I64x2, I32x4, _mm, pd, si128, 64)
TVML_SIMD_FLOAT_SHAPE(F64x4, I64x4, I32x4, _mm256, pd, si256, 64)
#undef TVML_SIMD_FLOAT_SHAPE

// Integer views. I: epi32 or epi64; SET1: epi32 or epi64x.
#define TVML_SIMD_INT_SHAPE(IV, P, I, SI, SET1)                                                \
    template <> inline IV load<IV>(const IV::Scalar* p) {                                        \
        return {P##_loadu_##SI(reinterpret_cast<const IV::Raw*>(p))};                            \
    }                                                                                            \
    inline void store(IV::Scalar* p, IV a) { P##_storeu_##SI(reinterpret_cast<IV::Raw*>(p), a.raw); } \
    template <> inline IV set1<IV>(IV::Scalar x) { return {P##_set1_##SET1(x)}; }               \
    template <> inline IV zero<IV>() { return {P##_setzero_##SI()}; }                           \
    /* Wrapping two's-complement arithmetic. */                                                  \
    inline IV operator+(IV a, IV b) { return {P##_add_##I(a.raw, b.raw)}; }                     \
    inline IV operator-(IV a, IV b) { return {P##_sub_##I(a.raw, b.raw)}; }                     \
    inline IV operator&(IV a, IV b) { return {P##_and_##SI(a.raw, b.raw)}; }                    \
    inline IV operator|(IV a, IV b) { return {P##_or_##SI(a.raw, b.raw)}; }                     \
    inline IV operator^(IV a, IV b) { return {P##_xor_##SI(a.raw, b.raw)}; }                    \
    inline IV andnot(IV a, IV b) { return {P##_andnot_##SI(a.raw, b.raw)}; }                    \
    template <int Count>                                                                         \
    inline IV shift_left(IV a) { return {P##_slli_##I(a.raw, Count)}; }                        \
    template <int Count>                                                                         \
    inline IV shift_right_logical(IV a) { return {P##_srli_##I(a.raw, Count)}; }               \
    /* Per-lane counts (taken as unsigned: negative counts shift everything out). */            \
    inline IV shift_left(IV a, IV count) { return {P##_sllv_##I(a.raw, count.raw)}; }          \
    inline IV shift_right_logical(IV a, IV count) { return {P##_srlv_##I(a.raw, count.raw)}; } \
    inline IV eq(IV a, IV b) { return {P##_cmpeq_##I(a.raw, b.raw)}; }                         \
    inline IV gt(IV a, IV b) { return {P##_cmpgt_##I(a.raw, b.raw)}; }                          \
    inline IV select(IV mask, IV if_true, IV if_false) {                                         \
        return {P##_blendv_epi8(if_false.raw, if_true.raw, mask.raw)};                           \
    }

TVML_SIMD_INT_SHAPE(I32x4, _mm, epi32, si128, epi32)
TVML_SIMD_INT_SHAPE(I32x8, _mm256, epi32, si256, epi32)
TVML_SIMD_INT_SHAPE(I64x2, _mm, epi64, si128, epi64x)
TVML_SIMD_INT_SHAPE(I64x4, _mm256, epi64, si256, epi64x)
#undef TVML_SIMD_INT_SHAPE

// Arithmetic right shifts and the high half of products: int32 lanes only.
#define TVML_SIMD_INT32_SHAPE(IV, P)                                                           \
    template <int Count>                                                                         \
    inline IV shift_right_arith(IV a) { return {P##_srai_epi32(a.raw, Count)}; }               \
    inline IV shift_right_arith(IV a, IV count) { return {P##_srav_epi32(a.raw, count.raw)}; } \
    /* High 32 bits of the signed 64-bit product of each lane pair: even */                     \
    /* lanes from one widening multiply, odd lanes from a second one. */                         \
    inline IV mul_high(IV a, IV b) {                                                             \
        const auto even = P##_mul_epi32(a.raw, b.raw);                                           \
        const auto odd = P##_mul_epi32(P##_srli_epi64(a.raw, 32), P##_srli_epi64(b.raw, 32));    \
        return {P##_blend_epi32(P##_srli_epi64(even, 32), odd, 0xAA)};                           \
    }

TVML_SIMD_INT32_SHAPE(I32x4, _mm)
TVML_SIMD_INT32_SHAPE(I32x8, _mm256)
#undef TVML_SIMD_INT32_SHAPE

// Int32 <-> int64 lanes for double shapes. widen_i64 sign-extends the low N
// lanes of an I32x4; low_words / high_words pack the low or high 32-bit half
// of each int64 lane into the low lanes of an I32x4 (upper lanes zero for N = 2).
template <int N> Vec<int64_t, N> widen_i64(I32x4 a);
template <> inline I64x2 widen_i64<2>(I32x4 a) { return {_mm_cvtepi32_epi64(a.raw)}; }
template <> inline I64x4 widen_i64<4>(I32x4 a) { return {_mm256_cvtepi32_epi64(a.raw)}; }

template <int Hi>
inline I32x4 pack_words(I64x2 a) {
    return {_mm_move_epi64(_mm_shuffle_epi32(a.raw, _MM_SHUFFLE(3, 3, 2 + Hi, Hi)))};
}
template <int Hi>
inline I32x4 pack_words(I64x4 a) {
    const __m256i order = _mm256_setr_epi32(Hi, 2 + Hi, 4 + Hi, 6 + Hi, Hi, 2 + Hi, 4 + Hi, 6 + Hi);
    return {_mm256_castsi256_si128(_mm256_permutevar8x32_epi32(a.raw, order))};
}
template <int N> inline I32x4 low_words(Vec<int64_t, N> a) { return pack_words<0>(a); }
template <int N> inline I32x4 high_words(Vec<int64_t, N> a) { return pack_words<1>(a); }

// ---- Operations written once on top of the per-shape ones. ----

// Enables the generic operations below for floating shapes only.
template <class T>
using IfFloat = std::enable_if_t<std::is_floating_point_v<T>, int>;

// Sign flip and clear: bit operations, so they act on zeros and NaNs too.
template <class T, int N, IfFloat<T> = 0>
inline Vec<T, N> operator-(Vec<T, N> a) { return a ^ set1<Vec<T, N>>(T(-0.0)); }
template <class T, int N, IfFloat<T> = 0>
inline Vec<T, N> abs(Vec<T, N> a) { return andnot(set1<Vec<T, N>>(T(-0.0)), a); }

// Quiet compares (no exception on quiet NaN). Ordered ones are false when a
// lane is NaN; neq is true then, like the C operator !=.
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> lt(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_LT_OQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> le(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_LE_OQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> gt(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_GT_OQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> ge(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_GE_OQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> eq(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_EQ_OQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> neq(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_NEQ_UQ>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> ord(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_ORD_Q>(a, b); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> unord(Vec<T, N> a, Vec<T, N> b) { return cmp<_CMP_UNORD_Q>(a, b); }
// Signed integer less-than (the ISA only has greater-than).
template <int N> inline Vec<int32_t, N> lt(Vec<int32_t, N> a, Vec<int32_t, N> b) { return gt(b, a); }
template <int N> inline Vec<int64_t, N> lt(Vec<int64_t, N> a, Vec<int64_t, N> b) { return gt(b, a); }

// Rounding to integral values, in the floating type.
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> round_nearest(Vec<T, N> a) { return round_with<_MM_FROUND_TO_NEAREST_INT>(a); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> floor(Vec<T, N> a) { return round_with<_MM_FROUND_TO_NEG_INF>(a); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> ceil(Vec<T, N> a) { return round_with<_MM_FROUND_TO_POS_INF>(a); }
template <class T, int N, IfFloat<T> = 0> inline Vec<T, N> trunc(Vec<T, N> a) { return round_with<_MM_FROUND_TO_ZERO>(a); }

// Lane masks as bits (bit i = sign bit of lane i); integer masks go through
// their floating view.
template <int N> inline int movemask(Vec<int32_t, N> mask) { return movemask(from_bits(mask)); }
template <int N> inline int movemask(Vec<int64_t, N> mask) { return movemask(from_bits(mask)); }
template <class T, int N> inline bool any(Vec<T, N> mask) { return movemask(mask) != 0; }
template <class T, int N> inline bool all(Vec<T, N> mask) { return movemask(mask) == (1 << N) - 1; }
template <class T, int N> inline bool none(Vec<T, N> mask) { return movemask(mask) == 0; }

// Double <-> int64 by adding 1.5 * 2^52: the sum's low mantissa bits are the
// integer in two's complement. Exact for |x| <= 2^51; to_i64_round rounds in
// the current mode (nearest-even by default). Wrong results outside that range.
template <int N>
inline Vec<int64_t, N> to_i64_round(Vec<double, N> x) {
    const auto magic = set1<Vec<double, N>>(0x1.8p52);
    return to_bits(x + magic) - to_bits(magic);
}
template <int N>
inline Vec<double, N> from_i64(Vec<int64_t, N> i) {
    const auto magic = set1<Vec<double, N>>(0x1.8p52);
    return from_bits(i + to_bits(magic)) - magic;
}

// Kernel constants are kept as bit patterns (uint32_t for float lanes,
// uint64_t for double lanes); splat broadcasts one as a floating lane
// value, isplat as an integer lane value.
template <class V>
inline V splat(uint64_t bits) {
    using Int = typename Traits<V>::Int;
    return from_bits(set1<Int>(typename Traits<V>::IntScalar(bits)));
}
template <class I>
inline I isplat(uint64_t bits) {
    return set1<I>(typename I::Scalar(bits));
}

// Table lookup with one scalar load per lane (no gather instruction).
template <class T, class I, int N>
inline Vec<T, N> gather(const T* table, Vec<I, N> index) {
    static_assert(sizeof(I) == sizeof(T), "index lanes must match the value lanes");
    alignas(32) I at[N];
    alignas(32) T out[N];
    store(at, index);
    for (int k = 0; k < N; ++k) out[k] = table[at[k]];
    return load<Vec<T, N>>(out);
}

// Lookup in a table of two-double records: .first = table[2 index],
// .second = table[2 index + 1] per lane, each record read by one 16-byte
// load and the records transposed into two registers.
template <class V>
struct RecordPair {
    V first, second;
};
inline RecordPair<F64x2> gather_records(const double* table, I64x2 index) {
    const __m128d r0 = _mm_loadu_pd(table + 2 * _mm_cvtsi128_si64(index.raw));
    const __m128d r1 = _mm_loadu_pd(table + 2 * _mm_extract_epi64(index.raw, 1));
    return {{_mm_unpacklo_pd(r0, r1)}, {_mm_unpackhi_pd(r0, r1)}};
}
inline RecordPair<F64x4> gather_records(const double* table, I64x4 index) {
    const __m128i low = _mm256_castsi256_si128(index.raw);
    const __m128i high = _mm256_extracti128_si256(index.raw, 1);
    const __m128d r0 = _mm_loadu_pd(table + 2 * _mm_cvtsi128_si64(low));
    const __m128d r1 = _mm_loadu_pd(table + 2 * _mm_extract_epi64(low, 1));
    const __m128d r2 = _mm_loadu_pd(table + 2 * _mm_cvtsi128_si64(high));
    const __m128d r3 = _mm_loadu_pd(table + 2 * _mm_extract_epi64(high, 1));
    const __m256d even = _mm256_insertf128_pd(_mm256_castpd128_pd256(r0), r2, 1);  // records 0, 2
    const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(r1), r3, 1);   // records 1, 3
    return {{_mm256_unpacklo_pd(even, odd)}, {_mm256_unpackhi_pd(even, odd)}};
}

// Single-lane access for fix-up paths; lane must be in [0, N).
template <class T, int N>
inline T extract(Vec<T, N> v, int lane) {
    alignas(32) T at[N];
    store(at, v);
    return at[lane];
}
template <class T, int N>
inline Vec<T, N> insert(Vec<T, N> v, int lane, T x) {
    alignas(32) T at[N];
    store(at, v);
    at[lane] = x;
    return load<Vec<T, N>>(at);
}

// Every lane through the double libm function F (float lanes widened and
// rounded back): the whole-register fallback of the kernels that send a
// register to libm when one lane is beyond their algorithm.
template <double (*F)(double), class T, int N>
TVML_COLD Vec<T, N> libm_each_lane(Vec<T, N> x) {
    alignas(32) T v[N];
    store(v, x);
    for (int i = 0; i < N; ++i) v[i] = T(F(double(v[i])));
    return load<Vec<T, N>>(v);
}

}  // namespace avx2
}  // namespace tvml
