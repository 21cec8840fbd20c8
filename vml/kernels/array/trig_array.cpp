// Tuned sin, cos, sincos and tan array kernels: whole registers through
// the short-vector lane algorithms, the remaining elements through libm.
// The *_tarvo kernels take one 8-float or 4-double register at a time; the
// *_ondara sine, cosine and sincos kernels four side by side (32 floats,
// 16 doubles), then one run of two and one of one register from the low
// bits of n; dtan_ondara has 2-double blocks, computed two to a 4-double
// register.  The *_belisk kernels are the *_ondara ones.
#include <math.h>

#include "block_loops.hpp"
#include "trig.hpp"

namespace {

using tvml::avx2::CosFn;
using tvml::avx2::LanePair;
using tvml::avx2::SinFn;
using tvml::avx2::TanFn;

// Fn: SinFn, CosFn or TanFn.
template <template <class> class Fn>
struct Trig {
    template <class V>
    static V lanes(V x) { return tvml::avx2::trig_lanes<Fn<typename V::Scalar>>(x); }
    template <class V>
    static V fast(V x, V& far) { return tvml::avx2::trig_fast<Fn<typename V::Scalar>>(x, far); }
    template <class T>
    static T libm(T x) { return Fn<T>::libm(x); }
};
using Sin = Trig<SinFn>;
using Cos = Trig<CosFn>;
using Tan = Trig<TanFn>;

// Both lanes from the same loaded value, with their own reductions.
struct SinCos {
    template <class V>
    static LanePair<V> lanes(V x) { return {tvml::avx2::sin_lanes(x), tvml::avx2::cos_lanes(x)}; }
    template <class V>
    static LanePair<V> fast(V x, V& far) {
        using T = typename V::Scalar;
        return {tvml::avx2::trig_fast<SinFn<T>>(x, far), tvml::avx2::trig_fast<CosFn<T>>(x, far)};
    }
    static void libm(float x, float* s, float* c) { ::sincosf(x, s, c); }
    static void libm(double x, double* s, double* c) {
        if (tvml::avx2::far_element<tvml::avx2::SinConstants<double>>(x)) {
            *s = SinFn<double>::libm(x);
            *c = CosFn<double>::libm(x);
            return;
        }
        ::sincos(x, s, c);
    }
};

}  // namespace

TVML_TUNED_KERNEL(ssin_tarvo, runs<1>::map1, F32x8, Sin)
TVML_TUNED_KERNEL(dsin_tarvo, runs<1>::map1, F64x4, Sin)
TVML_TUNED_KERNEL(scos_tarvo, runs<1>::map1, F32x8, Cos)
TVML_TUNED_KERNEL(dcos_tarvo, runs<1>::map1, F64x4, Cos)
TVML_TUNED_KERNEL(ssincos_tarvo, runs<1>::map1_two_outputs, F32x8, SinCos)
TVML_TUNED_KERNEL(dsincos_tarvo, runs<1>::map1_two_outputs, F64x4, SinCos)
TVML_TUNED_KERNEL(stan_tarvo, runs<1>::map1, F32x8, Tan)
TVML_TUNED_KERNEL(dtan_tarvo, runs<1>::map1, F64x4, Tan)

TVML_TUNED_KERNEL(ssin_ondara, runs<4>::map1, F32x8, Sin)
TVML_TUNED_KERNEL(dsin_ondara, runs<4>::map1, F64x4, Sin)
TVML_TUNED_KERNEL(scos_ondara, runs<4>::map1, F32x8, Cos)
TVML_TUNED_KERNEL(dcos_ondara, runs<4>::map1, F64x4, Cos)
TVML_TUNED_KERNEL(ssincos_ondara, runs<4>::map1_two_outputs, F32x8, SinCos)
TVML_TUNED_KERNEL(dtan_ondara, paired::map1, F64x2, Tan)

TVML_TUNED_KERNEL_ALIAS(ssin_belisk, ssin_ondara)
TVML_TUNED_KERNEL_ALIAS(dsin_belisk, dsin_ondara)
TVML_TUNED_KERNEL_ALIAS(scos_belisk, scos_ondara)
TVML_TUNED_KERNEL_ALIAS(dcos_belisk, dcos_ondara)
TVML_TUNED_KERNEL_ALIAS(ssincos_belisk, ssincos_ondara)
TVML_TUNED_KERNEL_ALIAS(dtan_belisk, dtan_ondara)
