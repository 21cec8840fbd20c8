// Portable 4-float and 2-double short-vector kernels (baseline x86-64).
#include <emmintrin.h>


#define TVML_LANES_NAMESPACE tvml_lanes_sse2
#include "shortvec_lanes.hpp"

#define TVML_PORTABLE_128(index, fn, abi, args, arity, variant, f4, f8, d2, d4)             \
    __m128 tvml_vs4_##fn##_generic(TVML_LANES_PARAMS_##arity(__m128)) {                     \
        return TVML_LANES_##arity(__m128, float, abi##f);                                   \
    }                                                                                       \
    __m128d tvml_vd2_##fn##_generic(TVML_LANES_PARAMS_##arity(__m128d)) {                   \
        return TVML_LANES_##arity(__m128d, double, abi);                                    \
    }

extern "C" {
TVML_SV_FUNCS(TVML_PORTABLE_128)
}
