// Element loops of the portable array kernels.  Baseline x86-64 only.
#pragma once

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

}  // namespace portable
}  // namespace tvml
