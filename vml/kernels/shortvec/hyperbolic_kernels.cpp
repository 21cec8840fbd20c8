// Short-vector kernels of the hyperbolic family in the four lane shapes:
// sinh, cosh and tanh (_tarvo, with _belisk aliases), asinh, acosh and
// atanh (_belisk), and simd_tanh2d, shared by the 2-double tanh kernel and
// the tanh array kernels.
#include "define_kernels.hpp"
#include "hyperbolic.hpp"

using tvml::avx2::F32x4;
using tvml::avx2::F32x8;
using tvml::avx2::F64x2;
using tvml::avx2::F64x4;

extern "C" {

// A real function (not inlined into its callers).
__attribute__((noinline)) __m128d simd_tanh2d(__m128d x) { return tvml::avx2::tanh_lanes(F64x2{x}).raw; }

TVML_API __m128 tvml_vs4_tanh_tarvo(__m128 x) { return tvml::avx2::tanh_lanes(F32x4{x}).raw; }
TVML_API __m256 tvml_vs8_tanh_tarvo(__m256 x) { return tvml::avx2::tanh_lanes(F32x8{x}).raw; }
TVML_API __m128d tvml_vd2_tanh_tarvo(__m128d x) { return simd_tanh2d(x); }  // a tail jump
TVML_API __m256d tvml_vd4_tanh_tarvo(__m256d x) { return tvml::avx2::tanh_lanes(F64x4{x}).raw; }

}  // extern "C"

TVML_SV_BELISK_ALIASES_1(tanh)
TVML_SV_DEFINE_1(sinh, tarvo, ::tvml::avx2::sinh_lanes)
TVML_SV_BELISK_ALIASES_1(sinh)
TVML_SV_DEFINE_1(cosh, tarvo, ::tvml::avx2::cosh_lanes)
TVML_SV_BELISK_ALIASES_1(cosh)
TVML_SV_DEFINE_1(asinh, belisk, ::tvml::avx2::asinh_lanes)
TVML_SV_DEFINE_1(acosh, belisk, ::tvml::avx2::acosh_lanes)
TVML_SV_DEFINE_1(atanh, belisk, ::tvml::avx2::atanh_lanes)
