// Tuned cube-root array kernels.  The *_tarvo kernels run the lane
// algorithm inside their block loop (8 floats, 4 doubles); the *_ondara
// kernels hand each 16-float (8-double) block to the shared memory
// routine, then one 8-float (4-double) block to the register routine when
// bit 3 (bit 2) of n is set.  Remainders go through libm.
#include <cmath>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "roots.hpp"

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *, void *r, void *, int64_t

using tvml::avx2::F32x8;
using tvml::avx2::F64x4;

namespace {

float libm_cbrtf(float x) { return ::cbrtf(x); }
double libm_cbrt(double x) { return ::cbrt(x); }

}  // namespace

extern "C" {

void scbrt_tarvo(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1<F32x8>(n, a, r, [](F32x8 x) { return tvml::avx2::cbrt_lanes(x); }, libm_cbrtf);
}

void dcbrt_tarvo(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1<F64x4>(n, a, r, [](F64x4 x) { return tvml::avx2::cbrt_lanes(x); }, libm_cbrt);
}

void scbrt_ondara(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1_wide<F32x8>(
        n, a, r, simd_cbrt16f, [](F32x8 x) { return F32x8{simd_cbrt8f(x.raw)}; }, libm_cbrtf);
}

void dcbrt_ondara(TVML_KERNEL_ARGS) {
    tvml::avx2::block_loop1_wide<F64x4>(
        n, a, r, simd_cbrt8d, [](F64x4 x) { return F64x4{simd_cbrt4d(x.raw)}; }, libm_cbrt);
}

// Exported copies of the *_ondara kernels that stand in no table.
TVML_API void scbrt_belisk(TVML_KERNEL_ARGS) __attribute__((alias("scbrt_ondara")));
TVML_API void dcbrt_belisk(TVML_KERNEL_ARGS) __attribute__((alias("dcbrt_ondara")));

}  // extern "C"
