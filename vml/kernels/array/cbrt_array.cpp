// Tuned cube-root array kernels: the lane algorithm inside the block loop,
// 8 floats or 4 doubles per register, the remainders through libm.  The
// *_ondara kernels' 16-float (8-double) blocks and their last 8-float
// (4-double) block are the two halves that the shared routines
// (simd_cbrt16f, simd_cbrt8d) compute with the same lane algorithm, so
// their blocks run here inline, without a call per block, as runs of two
// registers: two independent chains through the division per iteration.
#include <cmath>

#include "block_loops.hpp"
#include "roots.hpp"

namespace {
TVML_ARRAY_FUNCTION(Cbrt, cbrt_lanes, std::cbrt)
}  // namespace

TVML_TUNED_KERNEL(scbrt_tarvo, map1, F32x8, Cbrt)
TVML_TUNED_KERNEL(dcbrt_tarvo, map1, F64x4, Cbrt)
TVML_TUNED_KERNEL(scbrt_ondara, runs<2>::map1, F32x8, Cbrt)
TVML_TUNED_KERNEL(dcbrt_ondara, runs<2>::map1, F64x4, Cbrt)
TVML_TUNED_KERNEL_ALIAS(scbrt_belisk, scbrt_ondara)
TVML_TUNED_KERNEL_ALIAS(dcbrt_belisk, dcbrt_ondara)
