// Tuned ln and log10 array kernels: blocks of one register through the
// logarithm lanes, the remaining elements through libm.  The _tarvo kernels
// use 256-bit registers; the _ondara ones have 128-bit blocks, computed two
// to a 256-bit register (the lanes do not depend on the width).  The
// _belisk names are the _ondara kernels themselves.
#include <cmath>

#include "block_loops.hpp"
#include "log.hpp"

namespace {
TVML_ARRAY_FUNCTION(Ln, ln_lanes, std::log)
TVML_ARRAY_FUNCTION(Log10, log10_lanes, std::log10)
}  // namespace

TVML_TUNED_KERNEL(sln_tarvo, map1, F32x8, Ln)
TVML_TUNED_KERNEL(slog10_tarvo, map1, F32x8, Log10)
TVML_TUNED_KERNEL(sln_ondara, paired::map1, F32x4, Ln)
TVML_TUNED_KERNEL(slog10_ondara, paired::map1, F32x4, Log10)
TVML_TUNED_KERNEL(dln_tarvo, map1, F64x4, Ln)
TVML_TUNED_KERNEL(dlog10_tarvo, map1, F64x4, Log10)
TVML_TUNED_KERNEL(dln_ondara, paired::map1, F64x2, Ln)
TVML_TUNED_KERNEL(dlog10_ondara, paired::map1, F64x2, Log10)
TVML_TUNED_KERNEL_ALIAS(sln_belisk, sln_ondara)
TVML_TUNED_KERNEL_ALIAS(slog10_belisk, slog10_ondara)
TVML_TUNED_KERNEL_ALIAS(dln_belisk, dln_ondara)
TVML_TUNED_KERNEL_ALIAS(dlog10_belisk, dlog10_ondara)
