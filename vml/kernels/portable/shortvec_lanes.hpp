// Portable short-vector kernels: every lane evaluated with the libm
// function of the lane's precision.  Included by one baseline unit (the
// 128-bit shapes) and one AVX unit (the 256-bit shapes), each in its own
// namespace so that no inline function is shared between the two.
#pragma once

#include <math.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "dazaro_tv_api.h"

namespace TVML_LANES_NAMESPACE {

template <class V, class T, class F>
inline V lanes1(V x, F f) {
    T v[sizeof(V) / sizeof(T)];
    std::memcpy(v, &x, sizeof x);
    for (T& e : v) e = f(e);
    std::memcpy(&x, v, sizeof x);
    return x;
}

template <class V, class T, class F>
inline V lanes2(V x, V y, F f) {
    T v[sizeof(V) / sizeof(T)], w[sizeof(V) / sizeof(T)];
    std::memcpy(v, &x, sizeof x);
    std::memcpy(w, &y, sizeof y);
    for (unsigned i = 0; i < sizeof(V) / sizeof(T); ++i) v[i] = f(v[i], w[i]);
    std::memcpy(&x, v, sizeof x);
    return x;
}

// sqrt of (x AND m): all-ones mask lanes give sqrt(x), zero lanes +0.
template <class V, class T>
inline V masked_sqrt(V x, V m) {
    constexpr unsigned kLanes = sizeof(V) / sizeof(T);
    using U = typename std::conditional<sizeof(T) == 4, uint32_t, uint64_t>::type;
    U bx[kLanes], bm[kLanes];
    std::memcpy(bx, &x, sizeof x);
    std::memcpy(bm, &m, sizeof m);
    T v[kLanes];
    for (unsigned i = 0; i < kLanes; ++i) {
        const U bits = bx[i] & bm[i];
        std::memcpy(&v[i], &bits, sizeof bits);
        v[i] = sizeof(T) == 4 ? T(sqrtf(float(v[i]))) : T(sqrt(double(v[i])));
    }
    std::memcpy(&x, v, sizeof x);
    return x;
}

}  // namespace TVML_LANES_NAMESPACE

#define TVML_LANES_1(V, T, f) TVML_LANES_NAMESPACE::lanes1<V, T>(x, [](T e) { return f(e); })
#define TVML_LANES_2(V, T, f) \
    TVML_LANES_NAMESPACE::lanes2<V, T>(x, y, [](T e, T g) { return f(e, g); })
#define TVML_LANES_M(V, T, f) TVML_LANES_NAMESPACE::masked_sqrt<V, T>(x, m)

#define TVML_LANES_PARAMS_1(V) V x
#define TVML_LANES_PARAMS_2(V) V x, V y
#define TVML_LANES_PARAMS_M(V) V x, V m

