// Tuned asin, acos and atan array kernels: blocks of one register through
// the short-vector lane algorithms, the remaining elements through libm.
// A block of asin or acos holding a value with |x| > 1 goes to libm whole,
// as the short-vector register does.  The _tarvo kernels use 256-bit
// registers; the _ondara ones have 128-bit blocks, computed two to a
// 256-bit register (a register holding a lane with |x| > 1 is computed
// again block by block, so the fallback keeps to its block).  The _belisk
// names are the _ondara kernels themselves.  (Float asin and acos have no _ondara kernel:
// their _tarvo one serves every tuned table.)
#include <cmath>

#include "block_loops.hpp"
#include "invtrig.hpp"

namespace {

TVML_ARRAY_FUNCTION(Asin, asin_lanes, std::asin)
TVML_ARRAY_FUNCTION(Acos, acos_lanes, std::acos)
TVML_ARRAY_FUNCTION(Atan, atan_lanes, std::atan)

// For two 2-double blocks in one 4-double register: a lane with |x| > 1
// marks the register, whose blocks are then computed one at a time, so
// the libm fallback takes only the block holding that lane.
template <class Base>
struct Paired : Base {
    template <class V>
    static V fast(V x, V& pending) {
        pending = pending | tvml::avx2::gt(tvml::avx2::abs(x), tvml::avx2::set1<V>(1.0));
        return Base::lanes(x);
    }
};
using AsinPaired = Paired<Asin>;
using AcosPaired = Paired<Acos>;

}  // namespace

TVML_TUNED_KERNEL(sasin_tarvo, map1, F32x8, Asin)
TVML_TUNED_KERNEL(dasin_tarvo, map1, F64x4, Asin)
TVML_TUNED_KERNEL(dasin_ondara, paired::map1, F64x2, AsinPaired)
TVML_TUNED_KERNEL(sacos_tarvo, map1, F32x8, Acos)
TVML_TUNED_KERNEL(dacos_tarvo, map1, F64x4, Acos)
TVML_TUNED_KERNEL(dacos_ondara, paired::map1, F64x2, AcosPaired)
TVML_TUNED_KERNEL(satan_tarvo, map1, F32x8, Atan)
TVML_TUNED_KERNEL(satan_ondara, paired::map1, F32x4, Atan)
TVML_TUNED_KERNEL(datan_tarvo, map1, F64x4, Atan)
TVML_TUNED_KERNEL(datan_ondara, paired::map1, F64x2, Atan)

TVML_TUNED_KERNEL_ALIAS(dasin_belisk, dasin_ondara)
TVML_TUNED_KERNEL_ALIAS(dacos_belisk, dacos_ondara)
TVML_TUNED_KERNEL_ALIAS(satan_belisk, satan_ondara)
TVML_TUNED_KERNEL_ALIAS(datan_belisk, datan_ondara)
