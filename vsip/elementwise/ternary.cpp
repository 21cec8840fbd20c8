// Ternary arithmetic: add-multiply and multiply-add forms of three
// operands (views or scalars), real and complex.
//
// Real multiply-add forms are one fused multiply-add, rounded once
// (a x b - c as a x b + (-c)); add-multiply forms round the sum first.  The
// complex forms use the complex product and sum of complex_ops.hpp.
#include <cmath>

#include "common/walk.hpp"
#include "complex_ops.hpp"
#include "internal.hpp"

using vi::length_of;

namespace {

using vi::C;
using vi::walk;

constexpr auto add_mul = [](float a, float b, float c) { return (a + b) * c; };
constexpr auto sub_mul = [](float a, float b, float c) { return (a - b) * c; };
constexpr auto mul_add = [](float a, float b, float c) { return std::fma(a, b, c); };
constexpr auto mul_sub = [](float a, float b, float c) { return std::fma(a, b, -c); };

constexpr auto c_add_mul = [](C a, C b, C c) { return vi::c_mul(vi::c_add(a, b), c); };
constexpr auto c_sub_mul = [](C a, C b, C c) { return vi::c_mul(vi::c_sub(a, b), c); };
constexpr auto c_mul_add = [](C a, C b, C c) { return vi::c_add(vi::c_mul(a, b), c); };
constexpr auto c_mul_sub = [](C a, C b, C c) { return vi::c_sub(vi::c_mul(a, b), c); };

template <class Op, class R, class... A>
inline void real3(Op op, const R *r, const A &... a) {
    vi::elementwise<vi::split_only>(length_of(r), op, walk(r), a...);
}

template <class Op, class R, class... A>
inline void cplx3(Op op, const R *r, const A &... a) {
    vi::elementwise<vi::split_or_interleaved>(length_of(r), op, walk(r), a...);
}

} // namespace

extern "C" {

// ---- Real ------------------------------------------------------------------

VSIP_API void vsip_vam_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                         const vsip_vview_f *r) {
    real3(add_mul, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_vsbm_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                          const vsip_vview_f *r) {
    real3(sub_mul, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_vsam_f(const vsip_vview_f *a, vsip_scalar_f beta, const vsip_vview_f *c,
                          const vsip_vview_f *r) {
    real3(add_mul, r, walk(a), beta, walk(c));
}

VSIP_API void vsip_vma_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                         const vsip_vview_f *r) {
    real3(mul_add, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_vmsb_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                          const vsip_vview_f *r) {
    real3(mul_sub, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_vmsa_f(const vsip_vview_f *a, const vsip_vview_f *b, vsip_scalar_f beta,
                          const vsip_vview_f *r) {
    real3(mul_add, r, walk(a), walk(b), beta);
}

VSIP_API void vsip_vsma_f(const vsip_vview_f *a, vsip_scalar_f beta, const vsip_vview_f *c,
                          const vsip_vview_f *r) {
    real3(mul_add, r, walk(a), beta, walk(c));
}

VSIP_API void vsip_vsmsa_f(const vsip_vview_f *a, vsip_scalar_f beta, vsip_scalar_f gamma,
                           const vsip_vview_f *r) {
    real3(mul_add, r, walk(a), beta, gamma);
}

// ---- Complex ---------------------------------------------------------------

VSIP_API void vsip_cvam_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                          const vsip_cvview_f *r) {
    cplx3(c_add_mul, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_cvsbm_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                           const vsip_cvview_f *r) {
    cplx3(c_sub_mul, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_cvsam_f(const vsip_cvview_f *a, vsip_cscalar_f beta, const vsip_cvview_f *c,
                           const vsip_cvview_f *r) {
    cplx3(c_add_mul, r, walk(a), beta, walk(c));
}

VSIP_API void vsip_cvma_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                          const vsip_cvview_f *r) {
    cplx3(c_mul_add, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_cvmsb_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                           const vsip_cvview_f *r) {
    cplx3(c_mul_sub, r, walk(a), walk(b), walk(c));
}

VSIP_API void vsip_cvmsa_f(const vsip_cvview_f *a, const vsip_cvview_f *b, vsip_cscalar_f beta,
                           const vsip_cvview_f *r) {
    cplx3(c_mul_add, r, walk(a), walk(b), beta);
}

VSIP_API void vsip_cvsma_f(const vsip_cvview_f *a, vsip_cscalar_f beta, const vsip_cvview_f *c,
                           const vsip_cvview_f *r) {
    cplx3(c_mul_add, r, walk(a), beta, walk(c));
}

VSIP_API void vsip_cvsmsa_f(const vsip_cvview_f *a, vsip_cscalar_f beta, vsip_cscalar_f gamma,
                            const vsip_cvview_f *r) {
    cplx3(c_mul_add, r, walk(a), beta, gamma);
}

} // extern "C"
