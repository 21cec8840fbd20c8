// Shared helpers of the dazaro-tv tests: processor gates, bit comparison,
// input sets with special values.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

namespace tvml_test {

inline bool has_avx2_fma() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }
inline bool has_avx() { return __builtin_cpu_supports("avx"); }

// Architecture index forced for this test process (ctest runs the suites
// once per index), or -1.
inline int forced_index() {
    const char* v = std::getenv("VML_DEBUG_ARCH");
    if (!v) return -1;
    const long i = std::strtol(v, nullptr, 10);
    return i >= 0 && i <= 3 ? int(i) : -1;
}

// A forced tuned index falls back to index 0 on processors without AVX2 and
// FMA, so tuned kernels are only tested where they run.
inline bool index_runs_here(int index) { return index <= 0 || has_avx2_fma(); }

// Bit patterns of floats and doubles.
template <class T>
using BitsOf = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
template <class T>
BitsOf<T> bits_of(T v) {
    BitsOf<T> b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}
template <class T>
T from_bits(BitsOf<T> bits) {
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

template <class T>
bool same_bits(T x, T y) {
    if (std::isnan(x) && std::isnan(y)) return true;
    return std::memcmp(&x, &y, sizeof x) == 0;
}

template <class T>
std::vector<T> special_values() {
    using L = std::numeric_limits<T>;
    return {T(0),        -T(0),          T(1),           T(-1),         T(0.5),
            T(-0.5),     T(1.5),         T(-1.5),        T(2),          T(-2),
            T(10),       T(-10),         L::infinity(),  -L::infinity(), L::quiet_NaN(),
            -L::quiet_NaN(), L::denorm_min(), -L::denorm_min(), L::min(),   -L::min(),
            L::min() / 4, L::max(),      -L::max(),      L::epsilon(),  T(3.14159265358979),
            T(88.7),     T(-103.9),      T(709.7),       T(-745.1),     T(1e-7)};
}

// Special values followed by random values of mixed magnitude and sign.
template <class T>
std::vector<T> test_inputs(size_t count, unsigned seed) {
    std::vector<T> v = special_values<T>();
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    while (v.size() < count) v.push_back(T(std::ldexp(unit(rng), exponent(rng))));
    v.resize(count);
    return v;
}

}  // namespace tvml_test
