// Checks that each short-vector entry name reaches the kernel of its slot:
// the name is looked up, called with a register of inputs, and every lane
// compared with libm of the lane's precision.  Included by one baseline
// unit (128-bit shapes) and one AVX unit (256-bit shapes) inside distinct
// namespaces (SHORTVEC_CHECK_NS), so no inline code is shared.
#pragma once

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "dazaro_tv.h"

namespace SHORTVEC_CHECK_NS {

template <class T>
const T* lane_inputs_x() {
    static const T v[16] = {T(0.5),  T(-0.75), T(1.25), T(3.0),  T(-2.5), T(0.1), T(10.0),
                            T(0.0),  -T(0.0),  std::numeric_limits<T>::infinity(),
                            std::numeric_limits<T>::quiet_NaN(), T(1e-3), T(100.0), T(-7.0), T(0.9),
                            T(2.0)};
    return v;
}
template <class T>
const T* lane_inputs_y() {
    static const T v[16] = {T(2.0), T(0.5), T(-1.5), T(3.0), T(-0.25), T(7.0),  T(1.0), T(-1.0),
                            T(0.0), T(2.5), T(4.0),  T(-3.0), T(0.75), T(-0.5), T(1e3), T(-2.0)};
    return v;
}

// Distance in units of the last place of want; 0 for identical bits, NaN
// against NaN or equal infinities.
template <class T>
double ulps_apart(T got, T want) {
    if (std::isnan(got) && std::isnan(want)) return 0;
    if (std::memcmp(&got, &want, sizeof got) == 0) return 0;
    if (std::isnan(got) || std::isnan(want) || std::isinf(got) || std::isinf(want)) return INFINITY;
    const T scale = std::fabs(want) > std::numeric_limits<T>::min() ? std::fabs(want) : std::numeric_limits<T>::min();
    const T ulp = std::nextafter(scale, std::numeric_limits<T>::infinity()) - scale;
    return std::fabs(double(got) - double(want)) / double(ulp);
}

// Tuned double cosh saturates at the largest finite double for |x| >
// 709.782625, infinities included, where libm gives +inf.
inline bool saturates_at_max(const char* name) {
    for (const char* n : {"tvml_vd2_cosh", "_ZGVbN2v_cosh", "__svml_cosh2", "tvml_vd4_cosh", "_ZGVdN4v_cosh",
                          "__svml_cosh4_l9"})
        if (std::strcmp(name, n) == 0) return true;
    return false;
}

// arity 1: f(x); 2: f(x, y); 'M': sqrt(x AND m) with alternating masks.
// max_ulps 0 asks for the libm result bit for bit.
template <class V, class T>
bool check_name(const char* name, char arity, T (*ref1)(T), T (*ref2)(T, T), double max_ulps,
                std::string& failures) {
    constexpr int kLanes = sizeof(V) / sizeof(T);
    using U = typename std::conditional<sizeof(T) == 4, uint32_t, uint64_t>::type;
    void* symbol = dlsym(RTLD_DEFAULT, name);
    if (!symbol) {
        failures += std::string(name) + ": not exported\n";
        return false;
    }
    bool ok = true;
    for (int start = 0; start < 16; start += kLanes) {
        T x[kLanes], y[kLanes], got[kLanes], want[kLanes];
        for (int i = 0; i < kLanes; ++i) {
            x[i] = lane_inputs_x<T>()[start + i];
            y[i] = lane_inputs_y<T>()[start + i];
        }
        V vx, vy, vr;
        std::memcpy(&vx, x, sizeof vx);
        if (arity == 'M') {
            U m[kLanes];
            for (int i = 0; i < kLanes; ++i) m[i] = (i % 2 == 0) ? ~U(0) : U(0);
            std::memcpy(&vy, m, sizeof vy);
            for (int i = 0; i < kLanes; ++i) {
                U bits;
                std::memcpy(&bits, &x[i], sizeof bits);
                bits &= m[i];
                T masked;
                std::memcpy(&masked, &bits, sizeof masked);
                want[i] = ref1(masked);
            }
        } else {
            std::memcpy(&vy, y, sizeof vy);
            for (int i = 0; i < kLanes; ++i) want[i] = arity == '2' ? ref2(x[i], y[i]) : ref1(x[i]);
        }
        if (arity == '1') vr = reinterpret_cast<V (*)(V)>(symbol)(vx);
        else vr = reinterpret_cast<V (*)(V, V)>(symbol)(vx, vy);
        std::memcpy(got, &vr, sizeof got);
        for (int i = 0; i < kLanes; ++i) {
            if (max_ulps > 0 && saturates_at_max(name) && std::isinf(want[i]) && want[i] > 0)
                want[i] = std::numeric_limits<T>::max();
            if (!(ulps_apart(got[i], want[i]) <= max_ulps)) {
                failures += std::string(name) + ": lane " + std::to_string(i) + " x=" + std::to_string(x[i]) +
                            " got " + std::to_string(got[i]) + " want " + std::to_string(want[i]) + "\n";
                ok = false;
            }
        }
    }
    return ok;
}

#define SVCHECK_ARITY_1 '1'
#define SVCHECK_ARITY_2 '2'
#define SVCHECK_ARITY_M 'M'
#define SVCHECK_REF1_1(T, f) [](T x) { return f(x); }
#define SVCHECK_REF1_2(T, f) nullptr
#define SVCHECK_REF1_M(T, f) [](T x) { return T(std::sqrt(x)); }
#define SVCHECK_REF2_1(T, f) nullptr
#define SVCHECK_REF2_2(T, f) [](T x, T y) { return f(x, y); }
#define SVCHECK_REF2_M(T, f) nullptr

// Bound of a function's kernel in force: exact for the portable kernels
// (index 0), else the declared bound plus one ulp
// for libm's own error.
#define SVCHECK_KERNEL_READY(fn, v) #fn "_" #v
#define SVCHECK_BOUND(shape, fn, variant) \
    (index == 0 ? 0.0 : tuned_bound("tvml_" #shape "_", TVML_ON_COLUMN(SVCHECK_KERNEL, fn, variant)))

// Checks the three names of one shape of one function.
#define SVCHECK_SHAPE(V, T, tvml, abi_name, svml, arity, f, bound)                                            \
    for (const char* name : {TVML_STR(tvml), TVML_STR(abi_name), TVML_STR(svml)}) {                         \
        ++checked;                                                                                          \
        check_name<V, T>(name, SVCHECK_ARITY_##arity, SVCHECK_REF1_##arity(T, f), SVCHECK_REF2_##arity(T, f), \
                         bound, failures);                                                                  \
    }

}  // namespace SHORTVEC_CHECK_NS
