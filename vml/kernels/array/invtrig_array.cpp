// Tuned asin, acos and atan array kernels: blocks of one register through
// the short-vector lane algorithms, the remaining elements through libm.
// A block of asin or acos holding a value with |x| > 1 goes to libm whole,
// as the short-vector register does.  The _tarvo kernels use 256-bit
// registers, the _ondara ones 128-bit registers; the _belisk names are the
// _ondara kernels themselves.  (Float asin and acos have no _ondara kernel:
// their _tarvo one serves every tuned table.)
#include <math.h>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "invtrig.hpp"

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *, void *r, void *, int64_t
#define TVML_INVTRIG_KERNEL(name, V, lane, libm)                                              \
    void name(TVML_KERNEL_ARGS) {                                                             \
        using tvml::avx2::V;                                                                  \
        tvml::avx2::block_loop1<V>(                                                           \
            n, a, r, [](V x) { return tvml::avx2::lane(x); }, [](V::Scalar x) { return libm(x); }); \
    }
#define TVML_INVTRIG_BELISK(stem) \
    TVML_API void stem##_belisk(TVML_KERNEL_ARGS) __attribute__((alias(#stem "_ondara")));

extern "C" {

TVML_INVTRIG_KERNEL(sasin_tarvo, F32x8, asin_lanes, asinf)
TVML_INVTRIG_KERNEL(dasin_tarvo, F64x4, asin_lanes, asin)
TVML_INVTRIG_KERNEL(dasin_ondara, F64x2, asin_lanes, asin)
TVML_INVTRIG_KERNEL(sacos_tarvo, F32x8, acos_lanes, acosf)
TVML_INVTRIG_KERNEL(dacos_tarvo, F64x4, acos_lanes, acos)
TVML_INVTRIG_KERNEL(dacos_ondara, F64x2, acos_lanes, acos)
TVML_INVTRIG_KERNEL(satan_tarvo, F32x8, atan_lanes, atanf)
TVML_INVTRIG_KERNEL(satan_ondara, F32x4, atan_lanes, atanf)
TVML_INVTRIG_KERNEL(datan_tarvo, F64x4, atan_lanes, atan)
TVML_INVTRIG_KERNEL(datan_ondara, F64x2, atan_lanes, atan)

TVML_INVTRIG_BELISK(dasin)
TVML_INVTRIG_BELISK(dacos)
TVML_INVTRIG_BELISK(satan)
TVML_INVTRIG_BELISK(datan)

}  // extern "C"
