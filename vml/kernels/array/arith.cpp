// Tuned addition, subtraction and squaring: 32 scalars per block with
// 256-bit loads and stores, then a plain element loop.  Each result is one
// IEEE operation, bit-identical to the portable kernels.
#include "dazaro_tv.h"
#include "simd.hpp"

namespace tvml {
namespace avx2 {
namespace {

constexpr int64_t kBlockScalars = 32;

struct Add {
    template <class V>
    V operator()(V x, V y) const { return x + y; }
};
struct Sub {
    template <class V>
    V operator()(V x, V y) const { return x - y; }
};
struct Sqr {
    template <class V>
    V operator()(V x, V) const { return x * x; }
};

// n elements of PerElement scalars (2 for complex); b may be null for
// squaring (then a stands in for it).  A block loads all its inputs before
// storing, so r may equal a or b.  n <= 0 touches nothing.
template <class V, int PerElement, class Op>
inline void arith(int64_t n, const void* a, const void* b, void* r, Op op) {
    if (n <= 0) return;
    const int64_t m = n * PerElement;
    using T = typename V::Scalar;
    constexpr int W = V::lanes;
    constexpr int G = kBlockScalars / W;  // independent groups per block
    const T* x = static_cast<const T*>(a);
    const T* z = static_cast<const T*>(b ? b : a);
    T* y = static_cast<T*>(r);
    for (int64_t k = m >> 5; k > 0; --k, x += kBlockScalars, z += kBlockScalars, y += kBlockScalars) {
        // Fully unrolled so the groups live in registers, not in stack arrays.
        V vx[G], vz[G];
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) {
            vx[g] = load<V>(x + g * W);
            vz[g] = load<V>(z + g * W);
        }
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) store(y + g * W, op(vx[g], vz[g]));
    }
    for (int64_t i = 0, rest = m & (kBlockScalars - 1); i < rest; ++i) y[i] = op(x[i], z[i]);
}

}  // namespace
}  // namespace avx2
}  // namespace tvml

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *b, void *r, void *, int64_t
using tvml::avx2::arith;
using tvml::avx2::F32x8;
using tvml::avx2::F64x4;

extern "C" {

void sadd_tarvo(TVML_KERNEL_ARGS) { arith<F32x8, 1>(n, a, b, r, tvml::avx2::Add{}); }
void dadd_tarvo(TVML_KERNEL_ARGS) { arith<F64x4, 1>(n, a, b, r, tvml::avx2::Add{}); }
void cadd_tarvo(TVML_KERNEL_ARGS) { arith<F32x8, 2>(n, a, b, r, tvml::avx2::Add{}); }
void zadd_tarvo(TVML_KERNEL_ARGS) { arith<F64x4, 2>(n, a, b, r, tvml::avx2::Add{}); }
void ssub_tarvo(TVML_KERNEL_ARGS) { arith<F32x8, 1>(n, a, b, r, tvml::avx2::Sub{}); }
void dsub_tarvo(TVML_KERNEL_ARGS) { arith<F64x4, 1>(n, a, b, r, tvml::avx2::Sub{}); }
void csub_tarvo(TVML_KERNEL_ARGS) { arith<F32x8, 2>(n, a, b, r, tvml::avx2::Sub{}); }
void zsub_tarvo(TVML_KERNEL_ARGS) { arith<F64x4, 2>(n, a, b, r, tvml::avx2::Sub{}); }
void ssqr_tarvo(TVML_KERNEL_ARGS) { arith<F32x8, 1>(n, a, nullptr, r, tvml::avx2::Sqr{}); }
void dsqr_tarvo(TVML_KERNEL_ARGS) { arith<F64x4, 1>(n, a, nullptr, r, tvml::avx2::Sqr{}); }

}  // extern "C"
