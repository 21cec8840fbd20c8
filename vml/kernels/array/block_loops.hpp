// Tuned array kernels: the block patterns and the one macro that stamps an
// exported kernel from a pattern, a register shape and a function.
//
//   TVML_ARRAY_FUNCTION(Exp, exp_lanes, std::exp)
//   TVML_TUNED_KERNEL(sexp_tarvo, map1, F32x8, Exp)
//   TVML_TUNED_KERNEL(ssin_ondara, runs<4>::map1, F32x8, Sin)
//   TVML_TUNED_KERNEL_ALIAS(sexp_belisk, sexp_ondara)
//
// A function F gives F::lanes (registers) and F::libm (single elements);
// a pattern<V, F>(KernelArgs) walks the arrays: whole blocks of V through
// F::lanes, the remaining elements through F::libm.  Patterns: map1,
// map2, map_powx, map1_wide, runs<G>::map1 and runs<G>::map1_two_outputs
// (sincos), arith, arith_complex.  Every block is loaded
// completely before its results are stored, and each remainder element is
// read before it is written, so r (and r2) may be a or b.  The stamped
// kernel returns at once for n <= 0, reading and writing nothing (the
// kernels are exported and may be called without the entry points'
// checks), so the patterns see n > 0 only.
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "dazaro_tv.h"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// The arguments of an array kernel (the trailing reserved word aside).
struct KernelArgs {
    int64_t n;
    const void* a;
    const void* b;
    void* r;
    void* r2;
};

template <class V>
struct Block {
    using T = typename V::Scalar;
    static constexpr int W = V::lanes;
    static constexpr int kShift = W == 2 ? 1 : W == 4 ? 2 : 3;
    static_assert((1 << kShift) == W, "block width is a power of two up to 8");
    // Block and remainder counts in 32 bits: the entry points pass n < 2^31.
    static int32_t blocks(int64_t n) { return int32_t(n >> kShift); }
    static int32_t remainder(int64_t n) { return int32_t(n & (W - 1)); }
    static const T* in(const void* p) { return static_cast<const T*>(p); }
    static T* out(void* p) { return static_cast<T*>(p); }
};

// r[i] = f(a[i]).
template <class V, class F>
inline void map1(const KernelArgs& k) {
    using B = Block<V>;
    const typename B::T* x = B::in(k.a);
    typename B::T* y = B::out(k.r);
    const int32_t blocks = B::blocks(k.n), rest = B::remainder(k.n);
    for (int32_t i = 0; i < blocks; ++i, x += B::W, y += B::W) store(y, F::lanes(load<V>(x)));
    for (int32_t i = 0; i < rest; ++i) y[i] = F::libm(x[i]);
}

// r[i] = f(a[i], b[i]).
template <class V, class F>
inline void map2(const KernelArgs& k) {
    using B = Block<V>;
    const typename B::T* x = B::in(k.a);
    const typename B::T* z = B::in(k.b);
    typename B::T* y = B::out(k.r);
    const int32_t blocks = B::blocks(k.n), rest = B::remainder(k.n);
    for (int32_t i = 0; i < blocks; ++i, x += B::W, z += B::W, y += B::W)
        store(y, F::lanes(load<V>(x), load<V>(z)));
    for (int32_t i = 0; i < rest; ++i) y[i] = F::libm(x[i], z[i]);
}

// r[i] = f(a[i], *b): the exponent is broadcast once before the blocks
// and read again for each remainder element.
template <class V, class F>
inline void map_powx(const KernelArgs& k) {
    using B = Block<V>;
    const typename B::T* x = B::in(k.a);
    const typename B::T* power = B::in(k.b);
    typename B::T* y = B::out(k.r);
    const int32_t blocks = B::blocks(k.n), rest = B::remainder(k.n);
    const V p = set1<V>(*power);
    for (int32_t i = 0; i < blocks; ++i, x += B::W, y += B::W) store(y, F::lanes(load<V>(x), p));
    for (int32_t i = 0; i < rest; ++i) y[i] = F::libm(x[i], *power);
}

// Two block sizes: wide blocks of 2W elements through F::wide(in, out)
// (pointers into a and r), then one block of W through F::lanes if bit
// log2(W) of n is set, then the remainder.
template <class V, class F>
inline void map1_wide(const KernelArgs& k) {
    using B = Block<V>;
    const typename B::T* x = B::in(k.a);
    typename B::T* y = B::out(k.r);
    const int32_t wide_blocks = int32_t(k.n >> (B::kShift + 1)), rest = B::remainder(k.n);
    for (int32_t i = 0; i < wide_blocks; ++i, x += 2 * B::W, y += 2 * B::W) F::wide(x, y);
    if (k.n & B::W) {
        store(y, F::lanes(load<V>(x)));
        x += B::W;
        y += B::W;
    }
    for (int32_t i = 0; i < rest; ++i) y[i] = F::libm(x[i]);
}

// ---- Runs of several registers ----
//
// The element walk of the interleaved kernels: runs of G registers of V
// (G a power of two), then one run of G/2, G/4, ..., 1 registers for each
// of the lower bits of n that is set, then the elements left over, all in
// increasing index order.  run(Groups<K>{}, i) covers the K registers
// from element i, one(i) element i.

template <int K>
using Groups = std::integral_constant<int, K>;

constexpr int log2_of(int v) { return v <= 1 ? 0 : 1 + log2_of(v / 2); }

template <class V, int K, class Run>
inline void shorter_runs(int64_t n, int64_t& i, Run& run) {
    if constexpr (K >= 1) {
        if (n & (K * V::lanes)) {
            run(Groups<K>{}, i);
            i += K * V::lanes;
        }
        shorter_runs<V, K / 2>(n, i, run);
    }
}

template <class V, int G, class Run, class One>
inline void walk_runs(int64_t n, Run run, One one) {
    static_assert(G >= 1 && (G & (G - 1)) == 0, "runs of a power of two registers");
    const int32_t runs = int32_t(n >> log2_of(G * V::lanes));
    int64_t i = 0;
    for (int32_t k = 0; k < runs; ++k, i += G * V::lanes) run(Groups<G>{}, i);
    shorter_runs<V, G / 2>(n, i, run);
    for (; i < n; ++i) one(i);
}

// body(Groups<0>{}, ..., Groups<K - 1>{}) for a run of K registers: the
// register index is a constant in each expansion, so the run's registers
// stay in registers.
template <class V, int K, class Body, int... Index>
inline void run_registers_(Body&& body, std::integer_sequence<int, Index...>) {
    body(Groups<Index>{}...);
}
template <class V, int K, class Body>
inline void run_registers(Groups<K>, Body&& body) {
    run_registers_<V, K>(body, std::make_integer_sequence<int, K>{});
}

// Two results per element (sincos): .first to r, .second to r2.
template <class V>
struct LanePair {
    V first, second;
};

// The patterns over runs of G registers: runs<G>::map1 and
// runs<G>::map1_two_outputs.  F::fast(x, pending) is F::lanes(x) for the
// lanes that need no fix-up and ORs the lanes that do into the mask
// pending; the whole run is cheap straight-line code, and only a run with
// such a lane is computed again through F::lanes.  All of a run's inputs
// are read before any result is stored, so r (and r2) may be a.  The two-
// output pattern takes F::lanes and F::fast returning a LanePair and
// F::libm(x, &first, &second).
template <int G>
struct runs {
    template <class V, class F>
    static void map1(const KernelArgs& k) {
        using T = typename V::Scalar;
        constexpr int W = V::lanes;
        const T* x = static_cast<const T*>(k.a);
        T* y = static_cast<T*>(k.r);
        walk_runs<V, G>(
            k.n,
            [&](auto groups, int64_t i) {
                run_registers<V>(groups, [&](auto... g) {
                    V pending = zero<V>();
                    const V v[] = {F::fast(load<V>(x + i + decltype(g)::value * W), pending)...};
                    if (TVML_UNLIKELY(any(pending))) {
                        const V w[] = {F::lanes(load<V>(x + i + decltype(g)::value * W))...};
                        (store(y + i + decltype(g)::value * W, w[decltype(g)::value]), ...);
                        return;
                    }
                    (store(y + i + decltype(g)::value * W, v[decltype(g)::value]), ...);
                });
            },
            [&](int64_t i) { y[i] = F::libm(x[i]); });
    }

    template <class V, class F>
    static void map1_two_outputs(const KernelArgs& k) {
        using T = typename V::Scalar;
        constexpr int W = V::lanes;
        const T* x = static_cast<const T*>(k.a);
        T* y = static_cast<T*>(k.r);
        T* y2 = static_cast<T*>(k.r2);
        const auto store_run = [&](int64_t i, const LanePair<V>* v, auto... g) {
            (store(y + i + decltype(g)::value * W, v[decltype(g)::value].first), ...);
            (store(y2 + i + decltype(g)::value * W, v[decltype(g)::value].second), ...);
        };
        walk_runs<V, G>(
            k.n,
            [&](auto groups, int64_t i) {
                run_registers<V>(groups, [&](auto... g) {
                    V pending = zero<V>();
                    const LanePair<V> v[] = {F::fast(load<V>(x + i + decltype(g)::value * W), pending)...};
                    if (TVML_UNLIKELY(any(pending))) {
                        const LanePair<V> w[] = {F::lanes(load<V>(x + i + decltype(g)::value * W))...};
                        store_run(i, w, g...);
                        return;
                    }
                    store_run(i, v, g...);
                });
            },
            [&](int64_t i) {
                T first, second;
                F::libm(x[i], &first, &second);
                y[i] = first;
                y2[i] = second;
            });
    }
};

// One IEEE operation per scalar, 32 scalars per block with every load of
// a block before its stores, then a plain element loop: F::lanes and
// F::libm are the same operation.  b may be null for squaring (then a
// stands in for it).  Complex arrays are PerElement = 2 scalars.
template <class V, class F, int PerElement>
inline void arith_scalars(const KernelArgs& k) {
    using B = Block<V>;
    constexpr int64_t kBlockScalars = 32;
    constexpr int G = kBlockScalars / B::W;  // independent groups per block
    const int64_t m = k.n * PerElement;
    const typename B::T* x = B::in(k.a);
    const typename B::T* z = B::in(k.b ? k.b : k.a);
    typename B::T* y = B::out(k.r);
    for (int64_t i = m >> 5; i > 0; --i, x += kBlockScalars, z += kBlockScalars, y += kBlockScalars) {
        // Fully unrolled so the groups live in registers, not in stack arrays.
        V vx[G], vz[G];
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) {
            vx[g] = load<V>(x + g * B::W);
            vz[g] = load<V>(z + g * B::W);
        }
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) store(y + g * B::W, F::lanes(vx[g], vz[g]));
    }
    for (int64_t i = 0, rest = m & (kBlockScalars - 1); i < rest; ++i) y[i] = F::libm(x[i], z[i]);
}

template <class V, class F>
inline void arith(const KernelArgs& k) { arith_scalars<V, F, 1>(k); }
template <class V, class F>
inline void arith_complex(const KernelArgs& k) { arith_scalars<V, F, 2>(k); }

}  // namespace avx2
}  // namespace tvml

// A function for the patterns: Name::lanes calls the lane template
// tvml::avx2::lanes_fn, Name::libm the scalar function libm_fn (std::exp,
// ...: the overload of the element's precision).
#define TVML_ARRAY_FUNCTION(Name, lanes_fn, libm_fn)                                          \
    struct Name {                                                                             \
        template <class... V>                                                                 \
        static auto lanes(V... v) { return ::tvml::avx2::lanes_fn(v...); }                    \
        template <class... T>                                                                 \
        static auto libm(T... v) { return libm_fn(v...); }                                    \
    };

// The exported tuned array kernel `name`: pattern<V, F> over its arguments,
// nothing at all for n <= 0.
#define TVML_TUNED_KERNEL(name, pattern, V, F)                                                \
    extern "C" TVML_API void name(TVML_KERNEL_PARAMS) {                                       \
        (void)reserved;                                                                       \
        if (n > 0) ::tvml::avx2::pattern<::tvml::avx2::V, F>(::tvml::avx2::KernelArgs{n, a, b, r, r2}); \
    }

// An exported copy of a tuned kernel (the *_belisk copies of *_ondara ones).
#define TVML_TUNED_KERNEL_ALIAS(name, target) \
    extern "C" TVML_API void name(TVML_KERNEL_PARAMS) __attribute__((alias(#target)));
