// The *_generic array kernels: libm of the element's precision (floats
// never widened), or the arithmetic operator.
#include <math.h>

#include "dazaro_tv.h"
#include "loops.hpp"

using namespace tvml::portable;

// One-argument libm kernels: X(op, float function, double function).
#define TVML_LIBM_UNARY(X)    \
    X(exp, expf, exp)         \
    X(expm1, expm1f, expm1)   \
    X(log10, log10f, log10)   \
    X(ln, logf, log)          \
    X(log1p, log1pf, log1p)   \
    X(sin, sinf, sin)         \
    X(cos, cosf, cos)         \
    X(tan, tanf, tan)         \
    X(asin, asinf, asin)      \
    X(acos, acosf, acos)      \
    X(atan, atanf, atan)      \
    X(sinh, sinhf, sinh)      \
    X(cosh, coshf, cosh)      \
    X(tanh, tanhf, tanh)      \
    X(cbrt, cbrtf, cbrt)

// Two-argument libm kernels; atan2 takes a[i] as y and b[i] as x.
#define TVML_LIBM_BINARY(X) \
    X(pow, powf, pow)       \
    X(atan2, atan2f, atan2)

#define TVML_DEFINE_UNARY(op, ff, fd)                                            \
    void s##op##_generic(TVML_KERNEL_PARAMS) {                                   \
        map1<float>(n, a, r, [](float x) { return ff(x); });                     \
    }                                                                            \
    void d##op##_generic(TVML_KERNEL_PARAMS) {                                   \
        map1<double>(n, a, r, [](double x) { return fd(x); });                   \
    }
#define TVML_DEFINE_BINARY(op, ff, fd)                                           \
    void s##op##_generic(TVML_KERNEL_PARAMS) {                                   \
        map2<float>(n, a, b, r, [](float x, float y) { return ff(x, y); });      \
    }                                                                            \
    void d##op##_generic(TVML_KERNEL_PARAMS) {                                   \
        map2<double>(n, a, b, r, [](double x, double y) { return fd(x, y); });   \
    }

namespace {

template <class T, class F>
void powx(int64_t n, const void* a, const void* b, void* r, F f) {
    if (n <= 0) return;
    const T power = *in<T>(b);  // read once, before any store
    map1<T>(n, a, r, [&](T x) { return f(x, power); });
}

// Sine stored first, then the input read again for the cosine, so the
// cosine output may be the input array.
template <class T, class S, class C>
void sincos_loop(int64_t n, const void* a, void* r, void* r2, S s, C c) {
    const volatile T* x = in<T>(a);  // the re-read must not be merged
    T* sine = out<T>(r);
    T* cosine = out<T>(r2);
    for (int64_t i = 0; i < n; ++i) {
        sine[i] = s(x[i]);
        cosine[i] = c(x[i]);
    }
}

struct Add {
    template <class V>
    V operator()(V x, V y) const { return x + y; }
};
struct Sub {
    template <class V>
    V operator()(V x, V y) const { return x - y; }
};
struct Sqr {
    template <class V>
    V operator()(V x) const { return x * x; }
};

}  // namespace

extern "C" {

TVML_LIBM_UNARY(TVML_DEFINE_UNARY)
TVML_LIBM_BINARY(TVML_DEFINE_BINARY)

void spowx_generic(TVML_KERNEL_PARAMS) { powx<float>(n, a, b, r, [](float x, float y) { return powf(x, y); }); }
void dpowx_generic(TVML_KERNEL_PARAMS) { powx<double>(n, a, b, r, [](double x, double y) { return pow(x, y); }); }

void ssincos_generic(TVML_KERNEL_PARAMS) {
    sincos_loop<float>(n, a, r, r2, [](float x) { return sinf(x); }, [](float x) { return cosf(x); });
}
void dsincos_generic(TVML_KERNEL_PARAMS) {
    sincos_loop<double>(n, a, r, r2, [](double x) { return sin(x); }, [](double x) { return cos(x); });
}

void sfloor_generic(TVML_KERNEL_PARAMS) { floor_loop<float>(n, a, r); }
void dfloor_generic(TVML_KERNEL_PARAMS) { floor_loop<double>(n, a, r); }

// Complex arrays add and subtract their 2n scalars pairwise.
void sadd_generic(TVML_KERNEL_PARAMS) { arith2<float>(n, a, b, r, Add{}); }
void dadd_generic(TVML_KERNEL_PARAMS) { arith2<double>(n, a, b, r, Add{}); }
void cadd_generic(TVML_KERNEL_PARAMS) { arith2<float>(2 * n, a, b, r, Add{}); }
void zadd_generic(TVML_KERNEL_PARAMS) { arith2<double>(2 * n, a, b, r, Add{}); }
void ssub_generic(TVML_KERNEL_PARAMS) { arith2<float>(n, a, b, r, Sub{}); }
void dsub_generic(TVML_KERNEL_PARAMS) { arith2<double>(n, a, b, r, Sub{}); }
void csub_generic(TVML_KERNEL_PARAMS) { arith2<float>(2 * n, a, b, r, Sub{}); }
void zsub_generic(TVML_KERNEL_PARAMS) { arith2<double>(2 * n, a, b, r, Sub{}); }
void ssqr_generic(TVML_KERNEL_PARAMS) { arith1<float>(n, a, r, Sqr{}); }
void dsqr_generic(TVML_KERNEL_PARAMS) { arith1<double>(n, a, r, Sqr{}); }

}  // extern "C"
