// Complex scalars and matrix indices, by value.
#include <cmath>

#include "internal.hpp"

namespace {

// Sign flip by bit: zeros change sign, NaN payloads are kept.
inline float flip(float x) { return std::copysign(x, std::signbit(x) ? 1.0f : -1.0f); }

} // namespace

extern "C" {

VSIP_API vsip_cscalar_f vsip_cmplx_f(vsip_scalar_f re, vsip_scalar_f im) { return {re, im}; }
VSIP_API vsip_cscalar_d vsip_cmplx_d(vsip_scalar_d re, vsip_scalar_d im) { return {re, im}; }
VSIP_API vsip_scalar_f vsip_real_f(vsip_cscalar_f a) { return a.r; }
VSIP_API vsip_scalar_f vsip_imag_f(vsip_cscalar_f a) { return a.i; }
VSIP_API void vsip_CMPLX_f(vsip_scalar_f re, vsip_scalar_f im, vsip_cscalar_f *r) {
    *r = vsip_cmplx_f(re, im);
}

VSIP_API vsip_scalar_mi vsip_matindex(vsip_index r, vsip_index c) { return {r, c}; }
VSIP_API vsip_index vsip_mrowindex(vsip_scalar_mi mi) { return mi.r; }
VSIP_API vsip_index vsip_mcolindex(vsip_scalar_mi mi) { return mi.c; }
VSIP_API void vsip_MATINDEX(vsip_index r, vsip_index c, vsip_scalar_mi *mi) {
    *mi = vsip_matindex(r, c);
}

VSIP_API vsip_cscalar_f vsip_cadd_f(vsip_cscalar_f a, vsip_cscalar_f b) {
    return vsip_cmplx_f(a.r + b.r, a.i + b.i);
}

VSIP_API vsip_cscalar_f vsip_cneg_f(vsip_cscalar_f a) { return vsip_cmplx_f(flip(a.r), flip(a.i)); }

VSIP_API vsip_cscalar_f vsip_conj_f(vsip_cscalar_f a) { return vsip_cmplx_f(a.r, flip(a.i)); }

VSIP_API vsip_cscalar_f vsip_csub_f(vsip_cscalar_f a, vsip_cscalar_f b) {
    return vsip_cadd_f(a, vsip_cneg_f(b));
}

// Each product pair is one fused operation: the parenthesised product is
// rounded first.
VSIP_API vsip_cscalar_f vsip_cmul_f(vsip_cscalar_f a, vsip_cscalar_f b) {
    return vsip_cmplx_f(std::fma(b.r, a.r, -(a.i * b.i)), std::fma(a.r, b.i, a.i * b.r));
}

VSIP_API vsip_cscalar_f vsip_cjmul_f(vsip_cscalar_f a, vsip_cscalar_f b) {
    return vsip_cmul_f(a, vsip_conj_f(b));
}

VSIP_API vsip_scalar_f vsip_cmagsq_f(vsip_cscalar_f a) { return std::fma(a.r, a.r, a.i * a.i); }

VSIP_API vsip_cscalar_f vsip_crdiv_f(vsip_cscalar_f a, vsip_scalar_f s) {
    return vsip_cmplx_f(a.r / s, a.i / s);
}

VSIP_API vsip_cscalar_f vsip_crecip_f(vsip_cscalar_f a) {
    return vsip_crdiv_f(vsip_conj_f(a), vsip_cmagsq_f(a));
}

VSIP_API vsip_cscalar_f vsip_cdiv_f(vsip_cscalar_f a, vsip_cscalar_f b) {
    return vsip_cmul_f(a, vsip_crecip_f(b));
}

VSIP_API vsip_cscalar_f vsip_crsub_f(vsip_cscalar_f a, vsip_scalar_f s) {
    return vsip_cmplx_f(a.r - s, a.i);
}

VSIP_API vsip_cscalar_f vsip_rcadd_f(vsip_scalar_f s, vsip_cscalar_f a) {
    return vsip_cmplx_f(s + a.r, a.i);
}

VSIP_API vsip_cscalar_f vsip_rcsub_f(vsip_scalar_f s, vsip_cscalar_f a) {
    return vsip_cmplx_f(s - a.r, flip(a.i));
}

VSIP_API vsip_cscalar_f vsip_rcmul_f(vsip_scalar_f s, vsip_cscalar_f a) {
    return vsip_cmplx_f(s * a.r, s * a.i);
}

// No hypot-style rescaling: parts above about 1.8e19 overflow.
VSIP_API vsip_scalar_f vsip_cmag_f(vsip_cscalar_f a) { return std::sqrt(vsip_cmagsq_f(a)); }

VSIP_API vsip_scalar_f vsip_arg_f(vsip_cscalar_f a) {
    return static_cast<float>(std::atan2(static_cast<double>(a.i), static_cast<double>(a.r)));
}

VSIP_API void vsip_polar_f(vsip_cscalar_f a, vsip_scalar_f *radius, vsip_scalar_f *angle) {
    *radius = vsip_cmag_f(a);
    *angle = vsip_arg_f(a);
}

VSIP_API vsip_cscalar_f vsip_rect_f(vsip_scalar_f radius, vsip_scalar_f angle) {
    double s, c;
    sincos(static_cast<double>(angle), &s, &c);
    return vsip_cmplx_f(radius * static_cast<float>(c), radius * static_cast<float>(s));
}

VSIP_API vsip_cscalar_f vsip_cexp_f(vsip_cscalar_f a) {
    return vsip_rect_f(static_cast<float>(std::exp(static_cast<double>(a.r))), a.i);
}

VSIP_API vsip_cscalar_f vsip_csqrt_f(vsip_cscalar_f a) {
    const float x = a.r, y = a.i;
    if (y == 0.0f) {
        // -0 counts as not negative: sqrt(-0) = -0.
        return x < 0.0f ? vsip_cmplx_f(0.0f, std::sqrt(-x)) : vsip_cmplx_f(std::sqrt(x), 0.0f);
    }
    if (x == 0.0f) {
        const float s = static_cast<float>(std::sqrt(std::fabs(static_cast<double>(y)) / 2.0));
        return vsip_cmplx_f(s, y > 0.0f ? s : -s);
    }
    // NaN parts arrive here (every comparison above failed) and propagate.
    const float m = vsip_cmag_f(a);
    const float s = static_cast<float>(
        std::sqrt((static_cast<double>(std::fabs(x) + m)) / 2.0));
    const float d = y / (2.0f * s);
    if (x >= 0.0f)
        return vsip_cmplx_f(s, d);
    return y >= 0.0f ? vsip_cmplx_f(d, s) : vsip_cmplx_f(-d, -s);
}

VSIP_API void vsip_CADD_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r) { *r = vsip_cadd_f(a, b); }
VSIP_API void vsip_CSUB_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r) { *r = vsip_csub_f(a, b); }
VSIP_API void vsip_CMUL_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r) { *r = vsip_cmul_f(a, b); }
VSIP_API void vsip_CJMUL_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r) { *r = vsip_cjmul_f(a, b); }
VSIP_API void vsip_CDIV_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r) { *r = vsip_cdiv_f(a, b); }
VSIP_API void vsip_CRECIP_f(vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_crecip_f(a); }
VSIP_API void vsip_CRDIV_f(vsip_cscalar_f a, vsip_scalar_f s, vsip_cscalar_f *r) { *r = vsip_crdiv_f(a, s); }
VSIP_API void vsip_CRSUB_f(vsip_cscalar_f a, vsip_scalar_f s, vsip_cscalar_f *r) { *r = vsip_crsub_f(a, s); }
VSIP_API void vsip_RCADD_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_rcadd_f(s, a); }
VSIP_API void vsip_RCSUB_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_rcsub_f(s, a); }
VSIP_API void vsip_RCMUL_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_rcmul_f(s, a); }
VSIP_API void vsip_CNEG_f(vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_cneg_f(a); }
VSIP_API void vsip_CONJ_f(vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_conj_f(a); }
VSIP_API void vsip_CEXP_f(vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_cexp_f(a); }
VSIP_API void vsip_CSQRT_f(vsip_cscalar_f a, vsip_cscalar_f *r) { *r = vsip_csqrt_f(a); }

} // extern "C"
