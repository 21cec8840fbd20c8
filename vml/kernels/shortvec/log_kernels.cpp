// Short-vector logarithm kernels: ln and log10 (_tarvo, with _belisk
// aliases) and log1p (_belisk) in the four lane shapes.
#include "define_kernels.hpp"
#include "log.hpp"

TVML_SV_DEFINE_1(ln, tarvo, ::tvml::avx2::ln_lanes)
TVML_SV_BELISK_ALIASES_1(ln)
TVML_SV_DEFINE_1(log10, tarvo, ::tvml::avx2::log10_lanes)
TVML_SV_BELISK_ALIASES_1(log10)
TVML_SV_DEFINE_1(log1p, belisk, ::tvml::avx2::log1p_lanes)
