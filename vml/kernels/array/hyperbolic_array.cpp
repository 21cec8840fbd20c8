// Tuned sinh, cosh and tanh array kernels: whole registers through the
// short-vector lane algorithms (8 floats or 4 doubles for *_tarvo, 4 floats
// or 2 doubles for *_ondara), the remaining elements through libm.
// scosh_ondara takes 16 floats per iteration as two 8-lane groups, then one
// group of 8 when bit 3 of n is set, and saturates large lanes to the
// largest float.  dtanh_ondara calls simd_tanh2d for each block.  The
// *_belisk kernels are the *_ondara ones.
#include <cmath>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "hyperbolic.hpp"

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *, void *r, void *, int64_t

using tvml::avx2::F32x4;
using tvml::avx2::F32x8;
using tvml::avx2::F64x2;
using tvml::avx2::F64x4;

namespace tvml {
namespace avx2 {
namespace {

template <class V>
inline void sinh_array(int64_t n, const void* a, void* r) {
    using T = typename V::Scalar;
    block_loop1<V>(n, a, r, [](V x) { return sinh_lanes(x); }, [](T x) { return std::sinh(x); });
}

template <class V>
inline void cosh_array(int64_t n, const void* a, void* r) {
    using T = typename V::Scalar;
    block_loop1<V>(n, a, r, [](V x) { return cosh_lanes(x); }, [](T x) { return std::cosh(x); });
}

template <class V>
inline void tanh_array(int64_t n, const void* a, void* r) {
    using T = typename V::Scalar;
    block_loop1<V>(n, a, r, [](V x) { return tanh_lanes(x); }, [](T x) { return std::tanh(x); });
}

// Both groups are loaded before either is stored, so r may be a.
inline void cosh_saturated16(const float* in, float* out) {
    const F32x8 lo = load<F32x8>(in), hi = load<F32x8>(in + 8);
    store(out, cosh_saturated_lanes(lo));
    store(out + 8, cosh_saturated_lanes(hi));
}

}  // namespace
}  // namespace avx2
}  // namespace tvml

extern "C" {

void ssinh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::sinh_array<F32x8>(n, a, r); }
void ssinh_ondara(TVML_KERNEL_ARGS) { tvml::avx2::sinh_array<F32x4>(n, a, r); }
void dsinh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::sinh_array<F64x4>(n, a, r); }
void dsinh_ondara(TVML_KERNEL_ARGS) { tvml::avx2::sinh_array<F64x2>(n, a, r); }

void scosh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::cosh_array<F32x8>(n, a, r); }
void scosh_ondara(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1_wide<F32x8>(
        n, a, r, tvml::avx2::cosh_saturated16, [](F32x8 x) { return tvml::avx2::cosh_saturated_lanes(x); },
        [](float x) { return std::cosh(x); });
}
void dcosh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::cosh_array<F64x4>(n, a, r); }
void dcosh_ondara(TVML_KERNEL_ARGS) { tvml::avx2::cosh_array<F64x2>(n, a, r); }

void stanh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::tanh_array<F32x8>(n, a, r); }
void stanh_ondara(TVML_KERNEL_ARGS) { tvml::avx2::tanh_array<F32x4>(n, a, r); }
void dtanh_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::tanh_array<F64x4>(n, a, r); }
void dtanh_ondara(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1<F64x2>(
        n, a, r, [](F64x2 x) { return F64x2{simd_tanh2d(x.raw)}; }, [](double x) { return std::tanh(x); });
}

// Exported copies of the *_ondara kernels that stand in no table.
TVML_API void ssinh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("ssinh_ondara")));
TVML_API void dsinh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("dsinh_ondara")));
TVML_API void scosh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("scosh_ondara")));
TVML_API void dcosh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("dcosh_ondara")));
TVML_API void stanh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("stanh_ondara")));
TVML_API void dtanh_belisk(TVML_KERNEL_ARGS) __attribute__((alias("dtanh_ondara")));

}  // extern "C"
