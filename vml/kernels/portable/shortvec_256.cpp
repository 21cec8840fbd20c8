// Portable 8-float and 4-double short-vector kernels (compiled with AVX:
// the registers they take exist only there).
#include <immintrin.h>


#define TVML_LANES_NAMESPACE tvml_lanes_avx
#include "shortvec_lanes.hpp"

#define TVML_PORTABLE_256(index, fn, abi, args, arity, variant, f4, f8, d2, d4)             \
    __m256 tvml_vs8_##fn##_generic(TVML_LANES_PARAMS_##arity(__m256)) {                     \
        return TVML_LANES_##arity(__m256, float, abi##f);                                   \
    }                                                                                       \
    __m256d tvml_vd4_##fn##_generic(TVML_LANES_PARAMS_##arity(__m256d)) {                   \
        return TVML_LANES_##arity(__m256d, double, abi);                                    \
    }

extern "C" {
TVML_SV_FUNCS(TVML_PORTABLE_256)
}
