// Tuned addition, subtraction and squaring: 32 scalars per block with
// 256-bit loads and stores, then a plain element loop.  Each result is one
// IEEE operation, bit-identical to the portable kernels.
#include "block_loops.hpp"

namespace {

struct Add {
    template <class U>
    static U lanes(U x, U y) { return x + y; }
    template <class U>
    static U libm(U x, U y) { return x + y; }
};
struct Sub {
    template <class U>
    static U lanes(U x, U y) { return x - y; }
    template <class U>
    static U libm(U x, U y) { return x - y; }
};
// The second operand is a itself (b is null).
struct Sqr {
    template <class U>
    static U lanes(U x, U) { return x * x; }
    template <class U>
    static U libm(U x, U) { return x * x; }
};

}  // namespace

TVML_TUNED_KERNEL(sadd_tarvo, arith, F32x8, Add)
TVML_TUNED_KERNEL(dadd_tarvo, arith, F64x4, Add)
TVML_TUNED_KERNEL(cadd_tarvo, arith_complex, F32x8, Add)
TVML_TUNED_KERNEL(zadd_tarvo, arith_complex, F64x4, Add)
TVML_TUNED_KERNEL(ssub_tarvo, arith, F32x8, Sub)
TVML_TUNED_KERNEL(dsub_tarvo, arith, F64x4, Sub)
TVML_TUNED_KERNEL(csub_tarvo, arith_complex, F32x8, Sub)
TVML_TUNED_KERNEL(zsub_tarvo, arith_complex, F64x4, Sub)
TVML_TUNED_KERNEL(ssqr_tarvo, arith, F32x8, Sqr)
TVML_TUNED_KERNEL(dsqr_tarvo, arith, F64x4, Sqr)
