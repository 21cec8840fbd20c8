// Tuned cube-root array kernels.  The *_tarvo kernels run the lane
// algorithm inside their block loop (8 floats, 4 doubles); the *_ondara
// kernels hand each 16-float (8-double) block to the shared memory
// routine, then one 8-float (4-double) block to the register routine when
// bit 3 (bit 2) of n is set.  Remainders go through libm.
#include <cmath>

#include "block_loops.hpp"
#include "roots.hpp"

namespace {

TVML_ARRAY_FUNCTION(Cbrt, cbrt_lanes, std::cbrt)

// The shared routines of roots_kernels.cpp.
struct CbrtShared {
    static void wide(const float* in, float* out) { simd_cbrt16f(in, out); }
    static void wide(const double* in, double* out) { simd_cbrt8d(in, out); }
    static tvml::avx2::F32x8 lanes(tvml::avx2::F32x8 x) { return {simd_cbrt8f(x.raw)}; }
    static tvml::avx2::F64x4 lanes(tvml::avx2::F64x4 x) { return {simd_cbrt4d(x.raw)}; }
    template <class T>
    static T libm(T x) { return std::cbrt(x); }
};

}  // namespace

TVML_TUNED_KERNEL(scbrt_tarvo, map1, F32x8, Cbrt)
TVML_TUNED_KERNEL(dcbrt_tarvo, map1, F64x4, Cbrt)
TVML_TUNED_KERNEL(scbrt_ondara, map1_wide, F32x8, CbrtShared)
TVML_TUNED_KERNEL(dcbrt_ondara, map1_wide, F64x4, CbrtShared)
TVML_TUNED_KERNEL_ALIAS(scbrt_belisk, scbrt_ondara)
TVML_TUNED_KERNEL_ALIAS(dcbrt_belisk, dcbrt_ondara)
