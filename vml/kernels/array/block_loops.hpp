// Block loops of the tuned array kernels: whole blocks of one register
// through a lane function, the remaining elements through libm.  Every
// block is loaded completely before its results are stored, and each
// remainder element is read before it is written, so r may be a or b.
// n <= 0 returns at once, reading and writing nothing: the kernels are
// exported and may be called without the entry points' checks.
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <cstdint>

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

}  // namespace avx2
}  // namespace tvml
