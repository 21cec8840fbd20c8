// Tuned x^y array kernels: blocks through the x^y lanes, the remaining
// elements through libm.  The powx kernels broadcast *b once for the
// blocks and read it again for each remaining element.  dpow_ondara
// computes two of its 2-double blocks in one 4-double register (the double
// lanes do not depend on the width); spow_ondara keeps 4-float registers,
// whose exponential step differs from the 8-float one.
#include <cmath>

#include "block_loops.hpp"
#include "pow.hpp"

namespace {
TVML_ARRAY_FUNCTION(Pow, pow_lanes, std::pow)
}  // namespace

TVML_TUNED_KERNEL(spow_tarvo, map2, F32x8, Pow)
TVML_TUNED_KERNEL(spowx_tarvo, map_powx, F32x8, Pow)
TVML_TUNED_KERNEL(spow_ondara, map2, F32x4, Pow)
TVML_TUNED_KERNEL(dpow_tarvo, map2, F64x4, Pow)
TVML_TUNED_KERNEL(dpowx_tarvo, map_powx, F64x4, Pow)
TVML_TUNED_KERNEL(dpow_ondara, paired::map2, F64x2, Pow)
TVML_TUNED_KERNEL_ALIAS(spow_belisk, spow_ondara)
TVML_TUNED_KERNEL_ALIAS(dpow_belisk, dpow_ondara)
