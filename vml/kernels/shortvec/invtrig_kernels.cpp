// Short-vector kernels of the inverse trigonometric family in the four lane
// shapes.  asin, acos and atan have one kernel under both variant names;
// atan2 has the _belisk kernel only.
#include "define_kernels.hpp"
#include "invtrig.hpp"

TVML_SV_DEFINE_1(asin, tarvo, ::tvml::avx2::asin_lanes)
TVML_SV_BELISK_ALIASES_1(asin)
TVML_SV_DEFINE_1(acos, tarvo, ::tvml::avx2::acos_lanes)
TVML_SV_BELISK_ALIASES_1(acos)
TVML_SV_DEFINE_1(atan, tarvo, ::tvml::avx2::atan_lanes)
TVML_SV_BELISK_ALIASES_1(atan)
TVML_SV_DEFINE_2(atan2, belisk, ::tvml::avx2::atan2_lanes)
