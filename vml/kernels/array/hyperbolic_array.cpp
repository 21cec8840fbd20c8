// Tuned sinh, cosh and tanh array kernels: whole registers through the
// short-vector lane algorithms (blocks of 8 floats or 4 doubles for
// *_tarvo, 4 floats or 2 doubles for *_ondara), the remaining elements
// through libm.  The lanes do not depend on the register width, so the
// *_ondara kernels compute two of their blocks in one 256-bit register
// (dtanh_ondara's blocks get the bits of simd_tanh2d that way).
// scosh_ondara takes 16 floats per iteration as two 8-lane groups, then one
// group of 8 when bit 3 of n is set (runs<2>), and saturates large lanes to
// the largest float.  The *_belisk kernels are the *_ondara ones.
#include <cmath>

#include "block_loops.hpp"
#include "hyperbolic.hpp"

namespace {

using tvml::avx2::F32x8;

TVML_ARRAY_FUNCTION(Sinh, sinh_lanes, std::sinh)
TVML_ARRAY_FUNCTION(Cosh, cosh_lanes, std::cosh)
TVML_ARRAY_FUNCTION(Tanh, tanh_lanes, std::tanh)

// Cosine saturated to the largest float.
struct CoshSaturated {
    static F32x8 lanes(F32x8 x) { return tvml::avx2::cosh_saturated_lanes(x); }
    static float libm(float x) { return std::cosh(x); }
};

}  // namespace

TVML_TUNED_KERNEL(ssinh_tarvo, map1, F32x8, Sinh)
TVML_TUNED_KERNEL(ssinh_ondara, paired::map1, F32x4, Sinh)
TVML_TUNED_KERNEL(dsinh_tarvo, map1, F64x4, Sinh)
TVML_TUNED_KERNEL(dsinh_ondara, paired::map1, F64x2, Sinh)

TVML_TUNED_KERNEL(scosh_tarvo, map1, F32x8, Cosh)
TVML_TUNED_KERNEL(scosh_ondara, runs<2>::map1, F32x8, CoshSaturated)
TVML_TUNED_KERNEL(dcosh_tarvo, map1, F64x4, Cosh)
TVML_TUNED_KERNEL(dcosh_ondara, paired::map1, F64x2, Cosh)

TVML_TUNED_KERNEL(stanh_tarvo, map1, F32x8, Tanh)
TVML_TUNED_KERNEL(stanh_ondara, paired::map1, F32x4, Tanh)
TVML_TUNED_KERNEL(dtanh_tarvo, map1, F64x4, Tanh)
TVML_TUNED_KERNEL(dtanh_ondara, paired::map1, F64x2, Tanh)

TVML_TUNED_KERNEL_ALIAS(ssinh_belisk, ssinh_ondara)
TVML_TUNED_KERNEL_ALIAS(dsinh_belisk, dsinh_ondara)
TVML_TUNED_KERNEL_ALIAS(scosh_belisk, scosh_ondara)
TVML_TUNED_KERNEL_ALIAS(dcosh_belisk, dcosh_ondara)
TVML_TUNED_KERNEL_ALIAS(stanh_belisk, stanh_ondara)
TVML_TUNED_KERNEL_ALIAS(dtanh_belisk, dtanh_ondara)
