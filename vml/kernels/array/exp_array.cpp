// Tuned e^x array kernels: whole registers through the short-vector lane
// algorithm (8 or 4 floats, 4 or 2 doubles per block), the remaining
// elements through libm.  The exponential's lanes do not depend on the
// register width, so the *_ondara kernels compute two of their blocks in
// one 256-bit register.  The *_belisk kernels are the *_ondara ones.
#include <cmath>

#include "block_loops.hpp"
#include "exp.hpp"

namespace {
TVML_ARRAY_FUNCTION(Exp, exp_lanes, std::exp)
}  // namespace

TVML_TUNED_KERNEL(sexp_tarvo, map1, F32x8, Exp)
TVML_TUNED_KERNEL(sexp_ondara, paired::map1, F32x4, Exp)
TVML_TUNED_KERNEL(dexp_tarvo, map1, F64x4, Exp)
TVML_TUNED_KERNEL(dexp_ondara, paired::map1, F64x2, Exp)
TVML_TUNED_KERNEL_ALIAS(sexp_belisk, sexp_ondara)
TVML_TUNED_KERNEL_ALIAS(dexp_belisk, dexp_ondara)
