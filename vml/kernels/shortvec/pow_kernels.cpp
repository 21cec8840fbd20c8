// Short-vector x^y kernels: 4 floats by the table exponential, 8 floats
// and doubles by the float and double exponentials; the _belisk names are
// aliases of the _tarvo kernels.
#include "define_kernels.hpp"
#include "pow.hpp"

TVML_SV_DEFINE_2(pow, tarvo, ::tvml::avx2::pow_lanes)
TVML_SV_BELISK_ALIASES_2(pow)
