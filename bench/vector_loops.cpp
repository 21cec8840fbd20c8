// 256-bit library functions looped over arrays (compiled with AVX2, FMA).
#include <immintrin.h>

#include <cstring>

#include "loops.hpp"

namespace tvml_bench {
namespace {

// Register type, scalar type and lane count of one shape, with its
// unaligned load, store and broadcast.
struct F8 {
    using V = __m256;
    using T = float;
    static constexpr int W = 8;
    static V load(const T* p) { return _mm256_loadu_ps(p); }
    static void store(T* p, V v) { _mm256_storeu_ps(p, v); }
    static V broadcast(T x) { return _mm256_set1_ps(x); }
};
struct D4 {
    using V = __m256d;
    using T = double;
    static constexpr int W = 4;
    static V load(const T* p) { return _mm256_loadu_pd(p); }
    static void store(T* p, V v) { _mm256_storeu_pd(p, v); }
    static V broadcast(T x) { return _mm256_set1_pd(x); }
};

template <class F>
F as_function(const void* fn) {
    F f;
    static_assert(sizeof f == sizeof fn, "function pointer width");
    std::memcpy(&f, &fn, sizeof f);
    return f;
}

// Applies step(in registers) -> out registers over whole registers, then
// once more over a zero-padded copy of the tail.
template <class S, int In, int Out, class Step>
void over_array(int64_t n, const typename S::T* const (&in)[In], typename S::T* const (&out)[Out],
                Step step) {
    using T = typename S::T;
    using V = typename S::V;
    int64_t i = 0;
    for (; i + S::W <= n; i += S::W) {
        V x[In], y[Out];
        for (int k = 0; k < In; ++k) x[k] = S::load(in[k] + i);
        step(x, y);
        for (int k = 0; k < Out; ++k) S::store(out[k] + i, y[k]);
    }
    if (i == n) return;
    const int64_t rest = n - i;
    T pad[S::W] = {};
    V x[In], y[Out];
    for (int k = 0; k < In; ++k) {
        std::memcpy(pad, in[k] + i, rest * sizeof(T));
        x[k] = S::load(pad);
    }
    step(x, y);
    for (int k = 0; k < Out; ++k) {
        S::store(pad, y[k]);
        std::memcpy(out[k] + i, pad, rest * sizeof(T));
    }
}

template <class S>
void unary(const void* fn, int64_t n, const typename S::T* a, typename S::T* r) {
    using V = typename S::V;
    const auto f = as_function<V (*)(V)>(fn);
    over_array<S, 1, 1>(n, {a}, {r}, [f](const V* x, V* y) { y[0] = f(x[0]); });
}

template <class S>
void binary(const void* fn, int64_t n, const typename S::T* a, const typename S::T* b,
            typename S::T* r) {
    using V = typename S::V;
    const auto f = as_function<V (*)(V, V)>(fn);
    over_array<S, 2, 1>(n, {a, b}, {r}, [f](const V* x, V* y) { y[0] = f(x[0], x[1]); });
}

template <class S>
void powx(const void* fn, int64_t n, const typename S::T* a, typename S::T b, typename S::T* r) {
    using V = typename S::V;
    const auto f = as_function<V (*)(V, V)>(fn);
    const V vb = S::broadcast(b);
    over_array<S, 1, 1>(n, {a}, {r}, [f, vb](const V* x, V* y) { y[0] = f(x[0], vb); });
}

template <class S>
void pair(const void* fn, int64_t n, const typename S::T* a, typename S::T* s, typename S::T* c) {
    using V = typename S::V;
    struct Two {
        V first, second;
    };
    const auto f = as_function<Two (*)(V)>(fn);
    over_array<S, 1, 2>(n, {a}, {s, c}, [f](const V* x, V* y) {
        const Two t = f(x[0]);
        y[0] = t.first;
        y[1] = t.second;
    });
}

}  // namespace

void vec_unary_f8(const void* fn, int64_t n, const float* a, float* r) { unary<F8>(fn, n, a, r); }
void vec_binary_f8(const void* fn, int64_t n, const float* a, const float* b, float* r) {
    binary<F8>(fn, n, a, b, r);
}
void vec_powx_f8(const void* fn, int64_t n, const float* a, float b, float* r) {
    powx<F8>(fn, n, a, b, r);
}
void vec_pair_f8(const void* fn, int64_t n, const float* a, float* s, float* c) {
    pair<F8>(fn, n, a, s, c);
}
void vec_unary_d4(const void* fn, int64_t n, const double* a, double* r) { unary<D4>(fn, n, a, r); }
void vec_binary_d4(const void* fn, int64_t n, const double* a, const double* b, double* r) {
    binary<D4>(fn, n, a, b, r);
}
void vec_powx_d4(const void* fn, int64_t n, const double* a, double b, double* r) {
    powx<D4>(fn, n, a, b, r);
}
void vec_pair_d4(const void* fn, int64_t n, const double* a, double* s, double* c) {
    pair<D4>(fn, n, a, s, c);
}

}  // namespace tvml_bench
