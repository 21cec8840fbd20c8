// Tuned floor array kernels: the rounding instruction in round-down mode
// with the inexact exception suppressed, on 256-bit registers, then one
// 128-bit register if half a register's worth is left, then the same
// instruction on one lane for each remaining element.  The instruction
// returns what the portable kernels return for every input (integral
// values, zeros and infinities unchanged, a NaN quietened with its payload
// kept) and raises no inexact flag.
#include "block_loops.hpp"

namespace {

using tvml::avx2::Vec;

struct Floor {
    template <class V>
    static V lanes(V x) { return tvml::avx2::floor(x); }
    // One element in the low lane of a 128-bit register.
    template <class T>
    static T libm(T x) {
        using V = Vec<T, 16 / sizeof(T)>;
        return tvml::avx2::extract(tvml::avx2::floor(tvml::avx2::set1<V>(x)), 0);
    }
};

}  // namespace

TVML_TUNED_KERNEL(sfloor_tarvo, paired::map1, F32x4, Floor)
TVML_TUNED_KERNEL(dfloor_tarvo, paired::map1, F64x2, Floor)
