// 256-bit half of the short-vector name check; compiled with AVX and only
// called after the processor has been found to have it.
#include <string>

#define SHORTVEC_CHECK_NS shortvec_check_avx
#include "shortvec_check.hpp"

double tuned_bound(const char* prefix, const char* kernel);

int check_256_bit_names(int index, std::string& failures) {
    using namespace shortvec_check_avx;
    int checked = 0;
#define CHECK_256(row, fn, abi, args, arity, variant, f4, f8, d2, d4)                            \
    SVCHECK_SHAPE(__m256, float, tvml_vs8_##fn, _ZGVdN8##args##_##abi##f, f8, arity, abi##f,      \
                  SVCHECK_BOUND(vs8, fn, variant))                                               \
    SVCHECK_SHAPE(__m256d, double, tvml_vd4_##fn, _ZGVdN4##args##_##abi, d4, arity, abi,         \
                  SVCHECK_BOUND(vd4, fn, variant))
    TVML_SV_FUNCS(CHECK_256)
#undef CHECK_256
    return checked;
}
