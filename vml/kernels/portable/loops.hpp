// Element loops of the portable array kernels.  Baseline x86-64 only.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace tvml {
namespace portable {

template <class T>
inline const T* in(const void* p) {
    return static_cast<const T*>(p);
}
template <class T>
inline T* out(void* p) {
    return static_cast<T*>(p);
}

// r[i] = f(a[i]) in increasing order, each result stored before the next
// element is read.
template <class T, class F>
inline void map1(int64_t n, const void* a, void* r, F f) {
    const T* x = in<T>(a);
    T* y = out<T>(r);
    for (int64_t i = 0; i < n; ++i) y[i] = f(x[i]);
}

template <class T, class F>
inline void map2(int64_t n, const void* a, const void* b, void* r, F f) {
    const T* x = in<T>(a);
    const T* z = in<T>(b);
    T* y = out<T>(r);
    for (int64_t i = 0; i < n; ++i) y[i] = f(x[i], z[i]);
}

// 16-byte SSE2 steps of an arithmetic loop give plain-loop results unless
// the output starts less than one step above an input: then a step would
// read an element that the plain loop reads only after overwriting it.
template <class T>
inline bool step_safe(const void* input, const void* output) {
    const uintptr_t distance = uintptr_t(output) - uintptr_t(input);
    return distance == 0 || distance >= 16;
}

template <class T>
struct Vec16Of;
template <>
struct Vec16Of<float> {
    typedef float type __attribute__((vector_size(16)));
};
template <>
struct Vec16Of<double> {
    typedef double type __attribute__((vector_size(16)));
};
template <class T>
using Vec16 = typename Vec16Of<T>::type;

template <class T>
inline Vec16<T> load16(const T* p) {
    Vec16<T> v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
inline void store16(T* p, Vec16<T> v) {
    std::memcpy(p, &v, sizeof v);
}

// r[i] = op(a[i], b[i]) over m scalars, with SSE2 steps where they cannot
// change the result.
template <class T, class Op>
inline void arith2(int64_t m, const void* a, const void* b, void* r, Op op) {
    constexpr int64_t kLanes = 16 / sizeof(T);
    const T* x = in<T>(a);
    const T* z = in<T>(b);
    T* y = out<T>(r);
    int64_t i = 0;
    if (step_safe<T>(a, r) && step_safe<T>(b, r))
        for (; i + kLanes <= m; i += kLanes) store16(y + i, op(load16(x + i), load16(z + i)));
    for (; i < m; ++i) y[i] = op(x[i], z[i]);
}

template <class T, class Op>
inline void arith1(int64_t m, const void* a, void* r, Op op) {
    constexpr int64_t kLanes = 16 / sizeof(T);
    const T* x = in<T>(a);
    T* y = out<T>(r);
    int64_t i = 0;
    if (step_safe<T>(a, r))
        for (; i + kLanes <= m; i += kLanes) store16(y + i, op(load16(x + i)));
    for (; i < m; ++i) y[i] = op(x[i]);
}

// floor by exponent and mantissa arithmetic: exact, so no inexact flag,
// and no SSE4.1 rounding instruction needed.
template <class T, class U, int kMantissa>
inline T floor_exact(T x) {
    constexpr int kBias = (1 << (sizeof(T) * 8 - kMantissa - 2)) - 1;
    constexpr U kExpMask = (U(1) << (sizeof(T) * 8 - kMantissa - 1)) - 1;
    constexpr U kSign = U(1) << (sizeof(T) * 8 - 1);
    U u;
    std::memcpy(&u, &x, sizeof u);
    const U biased = (u >> kMantissa) & kExpMask;
    if (biased == kExpMask) return x + x;  // NaN (quietened) or infinity
    const int e = int(biased) - kBias;
    if (e >= kMantissa) return x;  // already integral
    if (e < 0) {                   // |x| < 1
        if ((u & ~kSign) == 0) return x;
        return (u & kSign) ? T(-1) : T(0);
    }
    const U fraction = (U(1) << (kMantissa - e)) - 1;
    if ((u & fraction) == 0) return x;
    if (u & kSign) u += fraction + 1;  // one unit more magnitude; may carry into the exponent
    u &= ~fraction;
    T result;
    std::memcpy(&result, &u, sizeof result);
    return result;
}

inline float floor_exact(float x) { return floor_exact<float, uint32_t, 23>(x); }
inline double floor_exact(double x) { return floor_exact<double, uint64_t, 52>(x); }

// floor_exact on one 16-byte step (4 floats, 2 doubles) with SSE2
// operations, all exact: the same bits, and nothing inexact.  The fraction
// bits are cleared (truncation toward zero), then a negative value that had
// some gets 1 subtracted, exactly as |x| < 2^23 (2^52) there; a value
// below 1 in magnitude truncates to a zero of its sign (-0 - 1 = -1).  The
// count k of fraction bits (0 when the value is integral already) gives the
// unit 2^k: through an exact conversion of the float 2^k for floats, and
// as the bits of 2^52 + 2^k minus those of 2^52 (an exact sum) for
// doubles, as SSE2 has no per-lane shift counts.  Infinities and NaNs
// have no fraction bits and come out as x - 0, which is x, quietened for a
// NaN exactly as the element loop's x + x quietens it: no branch.
inline __m128 floor_step(__m128i u) {
    const __m128i biased = _mm_and_si128(_mm_srli_epi32(u, 23), _mm_set1_epi32(0xFF));
    // Exponent clamped to [0, 23] (biased 127 to 150; 16-bit min and max
    // suffice below 2^15); 2^k has the biased exponent 277 - clamped.
    const __m128i clamped = _mm_min_epi16(_mm_max_epi16(biased, _mm_set1_epi32(127)), _mm_set1_epi32(150));
    const __m128i unit =
        _mm_cvtps_epi32(_mm_castsi128_ps(_mm_slli_epi32(_mm_sub_epi32(_mm_set1_epi32(277), clamped), 23)));
    // Below 1 in magnitude every bit but the sign is fraction.
    const __m128i below_one = _mm_srli_epi32(_mm_cmplt_epi32(biased, _mm_set1_epi32(127)), 1);
    const __m128i fraction = _mm_or_si128(_mm_sub_epi32(unit, _mm_set1_epi32(1)), below_one);
    const __m128i truncated = _mm_andnot_si128(fraction, u);
    const __m128i exact = _mm_cmpeq_epi32(truncated, u);
    const __m128i one = _mm_andnot_si128(exact, _mm_and_si128(_mm_srai_epi32(u, 31), _mm_set1_epi32(0x3F800000)));
    return _mm_sub_ps(_mm_castsi128_ps(truncated), _mm_castsi128_ps(one));
}

// 64-bit lane masks from 32-bit compares: both halves, or the low half.
inline __m128i both_halves(__m128i m) { return _mm_and_si128(m, _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 3, 0, 1))); }
inline __m128i low_half(__m128i m) { return _mm_shuffle_epi32(m, _MM_SHUFFLE(2, 2, 0, 0)); }

inline __m128d floor_step(__m128i u, double) {
    // The biased exponent in the low word of each lane, the high word 0.
    const __m128i biased = _mm_and_si128(_mm_srli_epi64(u, 52), _mm_set1_epi64x(0x7FF));
    // Exponent clamped to [0, 52]; 2^k, k = 1075 - clamped, has the biased
    // exponent 2098 - clamped.
    const __m128i clamped = _mm_min_epi16(_mm_max_epi16(biased, _mm_set1_epi64x(1023)), _mm_set1_epi64x(1075));
    const __m128d power = _mm_castsi128_pd(_mm_slli_epi64(_mm_sub_epi64(_mm_set1_epi64x(2098), clamped), 52));
    const __m128d magic = _mm_set1_pd(0x1p52);
    const __m128i unit = _mm_sub_epi64(_mm_castpd_si128(_mm_add_pd(power, magic)), _mm_castpd_si128(magic));
    const __m128i below_one = _mm_srli_epi64(low_half(_mm_cmplt_epi32(biased, _mm_set1_epi64x(1023))), 1);
    const __m128i fraction = _mm_or_si128(_mm_sub_epi64(unit, _mm_set1_epi64x(1)), below_one);
    const __m128i truncated = _mm_andnot_si128(fraction, u);
    const __m128i exact = both_halves(_mm_cmpeq_epi32(truncated, u));
    const __m128i negative = _mm_shuffle_epi32(_mm_srai_epi32(u, 31), _MM_SHUFFLE(3, 3, 1, 1));
    const __m128i one = _mm_andnot_si128(exact, _mm_and_si128(negative, _mm_set1_epi64x(0x3FF0000000000000)));
    return _mm_sub_pd(_mm_castsi128_pd(truncated), _mm_castsi128_pd(one));
}

inline void floor_step(const float* in, float* out) {
    _mm_storeu_ps(out, floor_step(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in))));
}
inline void floor_step(const double* in, double* out) {
    _mm_storeu_pd(out, floor_step(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), 0.0));
}

// r[i] = floor(a[i]) in 16-byte steps where they cannot change the result
// (as the arithmetic loops: any placement, overlapping ones included), four
// steps per iteration, each loaded before it is stored.
template <class T>
inline void floor_loop(int64_t n, const void* a, void* r) {
    constexpr int64_t kLanes = 16 / sizeof(T);
    const T* x = in<T>(a);
    T* y = out<T>(r);
    int64_t i = 0;
    if (step_safe<T>(a, r)) {
        for (; i + 4 * kLanes <= n; i += 4 * kLanes) {
            floor_step(x + i, y + i);
            floor_step(x + i + kLanes, y + i + kLanes);
            floor_step(x + i + 2 * kLanes, y + i + 2 * kLanes);
            floor_step(x + i + 3 * kLanes, y + i + 3 * kLanes);
        }
        for (; i + kLanes <= n; i += kLanes) floor_step(x + i, y + i);
    }
    for (; i < n; ++i) y[i] = floor_exact(x[i]);
}

}  // namespace portable
}  // namespace tvml
