// Block loops of the tuned array kernels: whole blocks of one register
// through a lane function, the remaining elements through libm.  Every
// block is loaded completely before its results are stored, and each
// remainder element is read before it is written, so r may be a or b.
// n <= 0 returns at once, reading and writing nothing: the kernels are
// exported and may be called without the entry points' checks.
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

#include "simd.hpp"

namespace tvml {
namespace avx2 {

template <class V>
struct Block {
    using T = typename V::Scalar;
    static constexpr int W = V::lanes;
    static constexpr int kShift = W == 2 ? 1 : W == 4 ? 2 : 3;
    static_assert((1 << kShift) == W, "block width is a power of two up to 8");
    // Block and remainder counts in 32 bits: the entry points pass n < 2^31.
    static int32_t blocks(int64_t n) { return int32_t(n >> kShift); }
    static int32_t remainder(int64_t n) { return int32_t(n & (W - 1)); }
};

// r[i] = lane(a[i]) by blocks of V, remainder r[i] = scalar(a[i]).
template <class V, class Lane, class Scalar>
inline void block_loop1(int64_t n, const void* a, void* r, Lane lane, Scalar scalar) {
    if (n <= 0) return;
    using B = Block<V>;
    const typename B::T* x = static_cast<const typename B::T*>(a);
    typename B::T* y = static_cast<typename B::T*>(r);
    const int32_t blocks = B::blocks(n), rest = B::remainder(n);
    for (int32_t k = 0; k < blocks; ++k, x += B::W, y += B::W) store(y, lane(load<V>(x)));
    for (int32_t i = 0; i < rest; ++i) y[i] = scalar(x[i]);
}

// r[i] = lane(a[i], b[i]), remainder scalar(a[i], b[i]).
template <class V, class Lane, class Scalar>
inline void block_loop2(int64_t n, const void* a, const void* b, void* r, Lane lane, Scalar scalar) {
    if (n <= 0) return;
    using B = Block<V>;
    const typename B::T* x = static_cast<const typename B::T*>(a);
    const typename B::T* z = static_cast<const typename B::T*>(b);
    typename B::T* y = static_cast<typename B::T*>(r);
    const int32_t blocks = B::blocks(n), rest = B::remainder(n);
    for (int32_t k = 0; k < blocks; ++k, x += B::W, z += B::W, y += B::W)
        store(y, lane(load<V>(x), load<V>(z)));
    for (int32_t i = 0; i < rest; ++i) y[i] = scalar(x[i], z[i]);
}

// r[i] = lane(a[i], *b): the exponent is broadcast once before the blocks
// and read again for each remainder element.
template <class V, class Lane, class Scalar>
inline void block_loop_powx(int64_t n, const void* a, const void* b, void* r, Lane lane, Scalar scalar) {
    if (n <= 0) return;
    using B = Block<V>;
    const typename B::T* x = static_cast<const typename B::T*>(a);
    const typename B::T* power = static_cast<const typename B::T*>(b);
    typename B::T* y = static_cast<typename B::T*>(r);
    const int32_t blocks = B::blocks(n), rest = B::remainder(n);
    const V p = set1<V>(*power);
    for (int32_t k = 0; k < blocks; ++k, x += B::W, y += B::W) store(y, lane(load<V>(x), p));
    for (int32_t i = 0; i < rest; ++i) y[i] = scalar(x[i], *power);
}

// Two block sizes: r[i] = f(a[i]) by wide blocks of 2W elements through
// wide(in, out) (pointers into a and r), then one block of W through lane
// if bit log2(W) of n is set, then the remainder through scalar.
template <class V, class Wide, class Lane, class Scalar>
inline void block_loop1_wide(int64_t n, const void* a, void* r, Wide wide, Lane lane, Scalar scalar) {
    if (n <= 0) return;
    using B = Block<V>;
    const typename B::T* x = static_cast<const typename B::T*>(a);
    typename B::T* y = static_cast<typename B::T*>(r);
    const int32_t wide_blocks = int32_t(n >> (B::kShift + 1)), rest = B::remainder(n);
    for (int32_t k = 0; k < wide_blocks; ++k, x += 2 * B::W, y += 2 * B::W) wide(x, y);
    if (n & B::W) {
        store(y, lane(load<V>(x)));
        x += B::W;
        y += B::W;
    }
    for (int32_t i = 0; i < rest; ++i) y[i] = scalar(x[i]);
}

// ---- Runs of several registers ---------------------------------------------
//
// The element walk of the interleaved kernels: runs of G registers of V
// (G a power of two), then one run of G/2, G/4, ..., 1 registers for each
// of the lower bits of n that is set, then the elements left over, all in
// increasing index order.  run(Groups<K>{}, i) covers the K registers
// from element i, one(i) element i.  n <= 0 visits nothing.

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
    if (n <= 0) return;
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

// r[i] = lane(a[i]) by runs of G registers computed side by side,
// remainder r[i] = scalar(a[i]).  fast(x, pending) is lane(x) for the
// lanes that need no fix-up and ORs the lanes that do into the mask
// pending; the whole run is cheap straight-line code, and only a run with
// such a lane is computed again through lane.  All of a run's inputs are
// read before any result is stored, so r may be a.
template <class V, int G, class Lane, class Fast, class Scalar>
inline void block_loop1_runs(int64_t n, const void* a, void* r, Lane lane, Fast fast, Scalar scalar) {
    using T = typename V::Scalar;
    constexpr int W = V::lanes;
    const T* x = static_cast<const T*>(a);
    T* y = static_cast<T*>(r);
    walk_runs<V, G>(
        n,
        [&](auto groups, int64_t i) {
            run_registers<V>(groups, [&](auto... g) {
                V pending = zero<V>();
                const V v[] = {fast(load<V>(x + i + decltype(g)::value * W), pending)...};
                if (TVML_UNLIKELY(any(pending))) {
                    const V w[] = {lane(load<V>(x + i + decltype(g)::value * W))...};
                    (store(y + i + decltype(g)::value * W, w[decltype(g)::value]), ...);
                    return;
                }
                (store(y + i + decltype(g)::value * W, v[decltype(g)::value]), ...);
            });
        },
        [&](int64_t i) { y[i] = scalar(x[i]); });
}

// Two results per element (sincos): lane(V) and fast(V, pending) return
// both registers (.first to r, .second to r2), scalar(x, &first, &second)
// the remainder; otherwise as block_loop1_runs, so r or r2 may be a.
template <class V>
struct LanePair {
    V first, second;
};

template <class V, int G, class Lane, class Fast, class Scalar>
inline void block_loop1_two_outputs(int64_t n, const void* a, void* r, void* r2, Lane lane, Fast fast,
                                    Scalar scalar) {
    using T = typename V::Scalar;
    constexpr int W = V::lanes;
    const T* x = static_cast<const T*>(a);
    T* y = static_cast<T*>(r);
    T* y2 = static_cast<T*>(r2);
    const auto store_run = [&](int64_t i, const LanePair<V>* v, auto... g) {
        (store(y + i + decltype(g)::value * W, v[decltype(g)::value].first), ...);
        (store(y2 + i + decltype(g)::value * W, v[decltype(g)::value].second), ...);
    };
    walk_runs<V, G>(
        n,
        [&](auto groups, int64_t i) {
            run_registers<V>(groups, [&](auto... g) {
                V pending = zero<V>();
                const LanePair<V> v[] = {fast(load<V>(x + i + decltype(g)::value * W), pending)...};
                if (TVML_UNLIKELY(any(pending))) {
                    const LanePair<V> w[] = {lane(load<V>(x + i + decltype(g)::value * W))...};
                    store_run(i, w, g...);
                    return;
                }
                store_run(i, v, g...);
            });
        },
        [&](int64_t i) {
            T first, second;
            scalar(x[i], &first, &second);
            y[i] = first;
            y2[i] = second;
        });
}

}  // namespace avx2
}  // namespace tvml
