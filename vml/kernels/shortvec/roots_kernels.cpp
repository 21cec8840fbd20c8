// Short-vector kernels of the cube root, square root, masked square root
// and hypot, and the shared cube-root routines the array kernels call.
#include "define_kernels.hpp"
#include "roots.hpp"

using tvml::avx2::F32x4;
using tvml::avx2::F32x8;
using tvml::avx2::F64x2;
using tvml::avx2::F64x4;

extern "C" {

// Real functions (not inlined into their callers), shared by the 8-float
// short-vector kernel and the cube-root array kernels.
__attribute__((noinline)) __m256 simd_cbrt8f(__m256 x) { return tvml::avx2::cbrt_lanes(F32x8{x}).raw; }
__attribute__((noinline)) __m256d simd_cbrt4d(__m256d x) { return tvml::avx2::cbrt_lanes(F64x4{x}).raw; }

// Both halves are loaded before either is stored, so out may equal in.
__attribute__((noinline)) void simd_cbrt16f(const float* in, float* out) {
    using tvml::avx2::load;
    const F32x8 lo = load<F32x8>(in), hi = load<F32x8>(in + 8);
    store(out, tvml::avx2::cbrt_lanes(lo));
    store(out + 8, tvml::avx2::cbrt_lanes(hi));
}
__attribute__((noinline)) void simd_cbrt8d(const double* in, double* out) {
    using tvml::avx2::load;
    const F64x4 lo = load<F64x4>(in), hi = load<F64x4>(in + 4);
    store(out, tvml::avx2::cbrt_lanes(lo));
    store(out + 4, tvml::avx2::cbrt_lanes(hi));
}

TVML_API __m128 tvml_vs4_cbrt_tarvo(__m128 x) { return tvml::avx2::cbrt_lanes(F32x4{x}).raw; }
TVML_API __m256 tvml_vs8_cbrt_tarvo(__m256 x) { return simd_cbrt8f(x); }  // a tail jump
TVML_API __m128d tvml_vd2_cbrt_tarvo(__m128d x) { return tvml::avx2::cbrt_lanes(F64x2{x}).raw; }
TVML_API __m256d tvml_vd4_cbrt_tarvo(__m256d x) { return tvml::avx2::cbrt_lanes(F64x4{x}).raw; }

}  // extern "C"

TVML_SV_BELISK_ALIASES_1(cbrt)
TVML_SV_DEFINE_1(sqrt, belisk, ::tvml::avx2::sqrt_lanes)
TVML_SV_DEFINE_2(sqrt_mask, belisk, ::tvml::avx2::sqrt_mask_lanes)
TVML_SV_DEFINE_2(hypot, belisk, ::tvml::avx2::hypot_lanes)
