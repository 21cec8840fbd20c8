// Short-vector kernels of sin, cos and tan in the four lane shapes; each
// has one kernel under both variant names.
#include "define_kernels.hpp"
#include "trig.hpp"

TVML_SV_DEFINE_1(sin, tarvo, ::tvml::avx2::sin_lanes)
TVML_SV_BELISK_ALIASES_1(sin)
TVML_SV_DEFINE_1(cos, tarvo, ::tvml::avx2::cos_lanes)
TVML_SV_BELISK_ALIASES_1(cos)
TVML_SV_DEFINE_1(tan, tarvo, ::tvml::avx2::tan_lanes)
TVML_SV_BELISK_ALIASES_1(tan)
