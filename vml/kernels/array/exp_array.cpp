// Tuned e^x array kernels: whole registers through the short-vector lane
// algorithm (8 or 4 floats, 4 or 2 doubles per block), the remaining
// elements through libm.  The *_belisk kernels are the *_ondara ones.
#include <cmath>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "exp.hpp"

namespace tvml {
namespace avx2 {
namespace {

template <class V>
inline void exp_array(int64_t n, const void* a, void* r) {
    using T = typename V::Scalar;
    block_loop1<V>(n, a, r, [](V x) { return exp_lanes(x); }, [](T x) { return std::exp(x); });
}

}  // namespace
}  // namespace avx2
}  // namespace tvml

#define TVML_EXP_KERNEL_ARGS int64_t n, const void *a, const void *b, void *r, void *r2, int64_t reserved

extern "C" {

void sexp_tarvo(TVML_EXP_KERNEL_ARGS) { tvml::avx2::exp_array<tvml::avx2::F32x8>(n, a, r); }
void sexp_ondara(TVML_EXP_KERNEL_ARGS) { tvml::avx2::exp_array<tvml::avx2::F32x4>(n, a, r); }
void dexp_tarvo(TVML_EXP_KERNEL_ARGS) { tvml::avx2::exp_array<tvml::avx2::F64x4>(n, a, r); }
void dexp_ondara(TVML_EXP_KERNEL_ARGS) { tvml::avx2::exp_array<tvml::avx2::F64x2>(n, a, r); }
void sexp_belisk(TVML_EXP_KERNEL_ARGS) __attribute__((alias("sexp_ondara")));
void dexp_belisk(TVML_EXP_KERNEL_ARGS) __attribute__((alias("dexp_ondara")));

}  // extern "C"
