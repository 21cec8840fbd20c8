// Tuned sin, cos, sincos and tan array kernels: whole registers through
// the short-vector lane algorithms, the remaining elements through libm.
// The *_tarvo kernels take one 8-float or 4-double register at a time; the
// *_ondara sine, cosine and sincos kernels four side by side (32 floats,
// 16 doubles), then one run of two and one of one register from the low
// bits of n; dtan_ondara takes 2-double registers.  The *_belisk kernels
// are the *_ondara ones.
#include <math.h>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "trig.hpp"

namespace tvml {
namespace avx2 {
namespace {

inline void libm_sincos(float x, float* s, float* c) { ::sincosf(x, s, c); }
inline void libm_sincos(double x, double* s, double* c) { ::sincos(x, s, c); }

// Fn: SinFn, CosFn or TanFn.
template <template <class> class Fn, class V, int G>
inline void trig_array(int64_t n, const void* a, void* r) {
    using T = typename V::Scalar;
    using F = Fn<T>;
    block_loop1_runs<V, G>(
        n, a, r, [](V x) { return trig_lanes<F>(x); }, [](V x, V& far) { return trig_fast<F>(x, far); },
        [](T x) { return F::libm(x); });
}

// Both lanes from the same loaded value, with their own reductions.
template <class V, int G>
inline void sincos_array(int64_t n, const void* a, void* r, void* r2) {
    using T = typename V::Scalar;
    block_loop1_two_outputs<V, G>(
        n, a, r, r2, [](V x) { return LanePair<V>{sin_lanes(x), cos_lanes(x)}; },
        [](V x, V& far) { return LanePair<V>{trig_fast<SinFn<T>>(x, far), trig_fast<CosFn<T>>(x, far)}; },
        [](T x, T* s, T* c) { libm_sincos(x, s, c); });
}

}  // namespace
}  // namespace avx2
}  // namespace tvml

#define TVML_TRIG_KERNEL_ARGS int64_t n, const void *a, const void *b, void *r, void *r2, int64_t reserved

extern "C" {

using tvml::avx2::CosFn;
using tvml::avx2::F32x8;
using tvml::avx2::F64x2;
using tvml::avx2::F64x4;
using tvml::avx2::sincos_array;
using tvml::avx2::SinFn;
using tvml::avx2::TanFn;
using tvml::avx2::trig_array;

void ssin_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<SinFn, F32x8, 1>(n, a, r); }
void dsin_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<SinFn, F64x4, 1>(n, a, r); }
void scos_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<CosFn, F32x8, 1>(n, a, r); }
void dcos_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<CosFn, F64x4, 1>(n, a, r); }
void ssincos_tarvo(TVML_TRIG_KERNEL_ARGS) { sincos_array<F32x8, 1>(n, a, r, r2); }
void dsincos_tarvo(TVML_TRIG_KERNEL_ARGS) { sincos_array<F64x4, 1>(n, a, r, r2); }
void stan_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<TanFn, F32x8, 1>(n, a, r); }
void dtan_tarvo(TVML_TRIG_KERNEL_ARGS) { trig_array<TanFn, F64x4, 1>(n, a, r); }

void ssin_ondara(TVML_TRIG_KERNEL_ARGS) { trig_array<SinFn, F32x8, 4>(n, a, r); }
void dsin_ondara(TVML_TRIG_KERNEL_ARGS) { trig_array<SinFn, F64x4, 4>(n, a, r); }
void scos_ondara(TVML_TRIG_KERNEL_ARGS) { trig_array<CosFn, F32x8, 4>(n, a, r); }
void dcos_ondara(TVML_TRIG_KERNEL_ARGS) { trig_array<CosFn, F64x4, 4>(n, a, r); }
void ssincos_ondara(TVML_TRIG_KERNEL_ARGS) { sincos_array<F32x8, 4>(n, a, r, r2); }
void dtan_ondara(TVML_TRIG_KERNEL_ARGS) { trig_array<TanFn, F64x2, 1>(n, a, r); }

void ssin_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("ssin_ondara")));
void dsin_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("dsin_ondara")));
void scos_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("scos_ondara")));
void dcos_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("dcos_ondara")));
void ssincos_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("ssincos_ondara")));
void dtan_belisk(TVML_TRIG_KERNEL_ARGS) __attribute__((alias("dtan_ondara")));

}  // extern "C"
