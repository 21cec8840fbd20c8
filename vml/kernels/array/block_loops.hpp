// Tuned array kernels: the block patterns and the one macro that stamps an
// exported kernel from a pattern, a register shape and a function.
//
//   TVML_ARRAY_FUNCTION(Exp, exp_lanes, std::exp)
//   TVML_TUNED_KERNEL(sexp_tarvo, map1, F32x8, Exp)
//   TVML_TUNED_KERNEL(sexp_ondara, paired::map1, F32x4, Exp)
//   TVML_TUNED_KERNEL(ssin_ondara, runs<4>::map1, F32x8, Sin)
//   TVML_TUNED_KERNEL_ALIAS(sexp_belisk, sexp_ondara)
//
// A function F gives F::lanes (registers) and F::libm (single elements);
// a pattern<V, F>(KernelArgs) walks the arrays: whole blocks of V through
// F::lanes, the remaining elements through F::libm.  Patterns: map1,
// map2, map_powx and their paired:: forms, runs<G>::map1 and
// runs<G>::map1_two_outputs (sincos), arith, arith_complex.  Every block
// (every run of blocks) is loaded completely before its results are
// stored, and each remainder element is read before it is written, so r
// (and r2) may be a or b.  The stamped kernel returns at once for n <= 0,
// reading and writing nothing (the kernels are exported and may be called
// without the entry points' checks), so the patterns see n > 0 only.
//
// Speed without changing a bit: the paired:: forms put two blocks of V
// side by side in one register of twice the width, for functions whose
// lanes give the same bits at both widths; runs<G> computes G registers
// per iteration as independent dependency chains.  Where a function's fix-up takes a whole register
// to libm when one lane needs it (asin, acos), its F::fast marks such
// lanes and a run holding one is computed again block by block of V, so
// every lane keeps the neighbours of its nominal block.
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <cstdint>
#include <tuple>
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

// ---- Runs of several registers ----
//
// The element walk of every block pattern: runs of G registers of V (G a
// power of two), then one run of G/2, G/4, ..., 1 registers for each of
// the lower bits of n that is set, then one register of Narrow (half the
// width of V, or V itself: then never) if that bit of n is set, then the
// elements left over, all in increasing index order.  run(Groups<K>{}, i)
// covers the K registers from element i, narrow(i) the Narrow register
// from i, one(i) element i.

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

template <class V, class Narrow, int G, class Run, class NarrowRun, class One>
inline void walk_blocks(int64_t n, Run run, NarrowRun narrow, One one) {
    static_assert(G >= 1 && (G & (G - 1)) == 0, "runs of a power of two registers");
    static_assert(Narrow::lanes == V::lanes || 2 * Narrow::lanes == V::lanes, "Narrow is V or its half");
    // Run counts in 32 bits: the entry points pass n < 2^31.
    const int32_t runs = int32_t(n >> log2_of(G * V::lanes));
    int64_t i = 0;
    for (int32_t k = 0; k < runs; ++k, i += G * V::lanes) run(Groups<G>{}, i);
    shorter_runs<V, G / 2>(n, i, run);
    if constexpr (Narrow::lanes < V::lanes) {
        if (n & Narrow::lanes) {
            narrow(i);
            i += Narrow::lanes;
        }
    }
    for (; i < n; ++i) one(i);
}

template <class V, int G, class Run, class One>
inline void walk_runs(int64_t n, Run run, One one) {
    walk_blocks<V, V, G>(n, run, [](int64_t) {}, one);
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

// F::fast(x, pending), where a function has it: F::lanes(x) for the lanes
// that need no fix-up, the others ORed into the mask pending.
template <class F, class V, class = void>
struct HasFast : std::false_type {};
template <class F, class V>
struct HasFast<F, V, std::void_t<decltype(F::fast(std::declval<V>(), std::declval<V&>()))>> : std::true_type {};

// The block patterns over registers of V that each hold V::lanes /
// Narrow::lanes nominal blocks of Narrow, in runs of G registers.  A
// run computes every register before it stores any.  With F::fast, a run
// with a marked lane is computed again block by block of Narrow through
// F::lanes (each block loaded before it is stored).
template <class Narrow, class V, int G>
struct blocks {
    using T = typename V::Scalar;
    static constexpr int W = V::lanes;
    static constexpr int NW = Narrow::lanes;

    // F::lanes on a tuple of operands.
    template <class F, class Operands>
    static auto lanes(const Operands& x) {
        return std::apply([](auto... v) { return F::lanes(v...); }, x);
    }

    // The K registers of a run from element i: load(at) gives the operands
    // of the register at element at as a tuple of V, load_narrow(at) those
    // of the block of Narrow there.
    template <class F, class Load, class LoadNarrow, class... Index>
    static void run(T* y, int64_t i, Load load, LoadNarrow load_narrow, Index...) {
        const decltype(load(i)) operands[] = {load(i + Index::value * W)...};
        if constexpr (HasFast<F, V>::value) {
            constexpr int K = sizeof...(Index);
            V pending = zero<V>();
            const V v[] = {F::fast(std::get<0>(operands[Index::value]), pending)...};
            if (TVML_UNLIKELY(any(pending))) {
                for (int j = 0; j < K * W / NW; ++j) store(y + i + j * NW, lanes<F>(load_narrow(i + j * NW)));
                return;
            }
            (store(y + i + Index::value * W, v[Index::value]), ...);
        } else {
            const V v[] = {lanes<F>(operands[Index::value])...};
            (store(y + i + Index::value * W, v[Index::value]), ...);
        }
    }

    // The walk of one pattern: operands of element i from load<U>(i) as a
    // tuple, remainder elements from one(i).
    template <class F, class Operands, class One>
    static void walk(const KernelArgs& k, Operands operands, One one) {
        T* y = static_cast<T*>(k.r);
        walk_blocks<V, Narrow, G>(
            k.n,
            [&](auto groups, int64_t i) {
                run_registers<V>(groups, [&](auto... g) {
                    run<F>(y, i, [&](int64_t at) { return operands(V{}, at); },
                           [&](int64_t at) { return operands(Narrow{}, at); }, g...);
                });
            },
            [&](int64_t i) { store(y + i, lanes<F>(operands(Narrow{}, i))); },
            one);
    }

    // r[i] = f(a[i]).
    template <class F>
    static void map1(const KernelArgs& k) {
        const T* x = static_cast<const T*>(k.a);
        T* y = static_cast<T*>(k.r);
        walk<F>(k, [&](auto shape, int64_t i) { return std::make_tuple(load<decltype(shape)>(x + i)); },
                [&](int64_t i) { y[i] = F::libm(x[i]); });
    }

    // r[i] = f(a[i], b[i]).
    template <class F>
    static void map2(const KernelArgs& k) {
        const T* x = static_cast<const T*>(k.a);
        const T* z = static_cast<const T*>(k.b);
        T* y = static_cast<T*>(k.r);
        walk<F>(k,
                [&](auto shape, int64_t i) {
                    using U = decltype(shape);
                    return std::make_tuple(load<U>(x + i), load<U>(z + i));
                },
                [&](int64_t i) { y[i] = F::libm(x[i], z[i]); });
    }

    // r[i] = f(a[i], *b): the exponent is broadcast once before the blocks
    // and read again for each remainder element.
    template <class F>
    static void map_powx(const KernelArgs& k) {
        const T* x = static_cast<const T*>(k.a);
        const T* power = static_cast<const T*>(k.b);
        T* y = static_cast<T*>(k.r);
        const V p = set1<V>(*power);
        const Narrow p_narrow = set1<Narrow>(*power);
        walk<F>(k,
                [&](auto shape, int64_t i) {
                    using U = decltype(shape);
                    if constexpr (std::is_same_v<U, V>) return std::make_tuple(load<U>(x + i), p);
                    else return std::make_tuple(load<U>(x + i), p_narrow);
                },
                [&](int64_t i) { y[i] = F::libm(x[i], *power); });
    }
};

// Registers per iteration of map1, map2, map_powx and the paired forms.
// One: the out-of-order core already overlaps consecutive iterations, and
// two registers of a long lane algorithm no longer keep its constants in
// registers (double log10 ran 15 to 25% slower with two; nothing ran
// measurably faster).
constexpr int kRegistersPerIteration = 1;

template <class V, class F>
inline void map1(const KernelArgs& k) { blocks<V, V, kRegistersPerIteration>::template map1<F>(k); }
template <class V, class F>
inline void map2(const KernelArgs& k) { blocks<V, V, kRegistersPerIteration>::template map2<F>(k); }
template <class V, class F>
inline void map_powx(const KernelArgs& k) { blocks<V, V, kRegistersPerIteration>::template map_powx<F>(k); }

// Two nominal blocks of V in one register of twice the width (4 floats
// in 8, 2 doubles in 4), for functions whose lanes compute the same bits
// at both widths: two blocks per iteration, then a last single block of V
// from bit log2(W) of n.
template <class V>
using Twice = Vec<typename V::Scalar, 2 * V::lanes>;

struct paired {
    template <class V, class F>
    static void map1(const KernelArgs& k) { blocks<V, Twice<V>, kRegistersPerIteration>::template map1<F>(k); }
    template <class V, class F>
    static void map2(const KernelArgs& k) { blocks<V, Twice<V>, kRegistersPerIteration>::template map2<F>(k); }
};

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
    static void map1(const KernelArgs& k) { blocks<V, V, G>::template map1<F>(k); }

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
