// Tuned x^y array kernels: blocks through the x^y lanes, the remaining
// elements through libm.  The powx kernels broadcast *b once for the
// blocks and read it again for each remaining element.
#include <cmath>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "pow.hpp"

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *b, void *r, void *, int64_t

using tvml::avx2::F32x4;
using tvml::avx2::F32x8;
using tvml::avx2::F64x2;
using tvml::avx2::F64x4;

namespace {

struct PowLanes {
    template <class V>
    V operator()(V x, V y) const { return tvml::avx2::pow_lanes(x, y); }
};
float libm_powf(float x, float y) { return ::powf(x, y); }
double libm_pow(double x, double y) { return ::pow(x, y); }

}  // namespace

extern "C" {

void spow_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::block_loop2<F32x8>(n, a, b, r, PowLanes{}, libm_powf); }
void spowx_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::block_loop_powx<F32x8>(n, a, b, r, PowLanes{}, libm_powf); }
void spow_ondara(TVML_KERNEL_ARGS) { tvml::avx2::block_loop2<F32x4>(n, a, b, r, PowLanes{}, libm_powf); }
void dpow_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::block_loop2<F64x4>(n, a, b, r, PowLanes{}, libm_pow); }
void dpowx_tarvo(TVML_KERNEL_ARGS) { tvml::avx2::block_loop_powx<F64x4>(n, a, b, r, PowLanes{}, libm_pow); }
void dpow_ondara(TVML_KERNEL_ARGS) { tvml::avx2::block_loop2<F64x2>(n, a, b, r, PowLanes{}, libm_pow); }

// Exported copies of the *_ondara kernels that stand in no table.
TVML_API void spow_belisk(TVML_KERNEL_ARGS) __attribute__((alias("spow_ondara")));
TVML_API void dpow_belisk(TVML_KERNEL_ARGS) __attribute__((alias("dpow_ondara")));

}  // extern "C"
