// Short-vector kernels of the exponential family in the four lane shapes.
// exp has one kernel under both variant names.
#include "define_kernels.hpp"
#include "exp.hpp"

TVML_SV_DEFINE_1(exp, tarvo, ::tvml::avx2::exp_lanes)
TVML_SV_BELISK_ALIASES_1(exp)
TVML_SV_DEFINE_1(exp2, belisk, ::tvml::avx2::exp2_lanes)
TVML_SV_DEFINE_1(exp10, belisk, ::tvml::avx2::exp10_lanes)
TVML_SV_DEFINE_1(expm1, belisk, ::tvml::avx2::expm1_lanes)
