// Inputs of the differential fuzzer: special values (signed zeros,
// infinities, quiet and signalling NaNs with payloads, subnormals, the
// normal range ends), the band edges of each function (overflow and
// underflow thresholds, reduction limits, neighbours of 1 and of the
// integers, the declared interval ends) with their nearest neighbours, and
// random values: raw bit patterns, values spread over the exponents of a
// declared interval, and values next to a band edge.  Deterministic for a
// seed.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "accuracy.hpp"
#include "test_support.hpp"
#include "ulp_math.hpp"

namespace tvml_fuzz {

using tvml_test::BitsOf;
using tvml_test::from_bits;

// The shared special values (test_support.hpp) and beyond them: more
// subnormals, the neighbours of 1 and of the largest value, and NaNs with
// payloads.
template <class T>
std::vector<T> special_values() {
    using L = std::numeric_limits<T>;
    std::vector<T> v = tvml_test::special_values<T>();
    for (T extra : {3 * L::denorm_min(), -L::min() / 2, T(1) - L::epsilon() / 2, T(1) + L::epsilon()})
        v.push_back(extra);
    v.push_back(std::nextafter(L::min(), T(0)));         // largest subnormal
    v.push_back(-std::nextafter(L::min(), T(0)));
    v.push_back(std::nextafter(L::max(), T(0)));
    // NaNs: quiet and signalling, payloads in the low and the high bits,
    // both signs (some kernels once read payload bits as exponent bits).
    using B = BitsOf<T>;
    constexpr int kMant = L::digits - 1;
    const B exp_all = ((B(1) << (8 * sizeof(T) - 1 - kMant)) - 1) << kMant;
    const B quiet = B(1) << (kMant - 1), sign = B(1) << (8 * sizeof(T) - 1);
    for (B payload : {B(1), B(0x155), quiet - 1, B(1) << (kMant - 2)}) {
        v.push_back(from_bits<T>(exp_all | payload));                 // signalling
        v.push_back(from_bits<T>(exp_all | quiet | payload));         // quiet
        v.push_back(from_bits<T>(sign | exp_all | quiet | payload));  // negative quiet
    }
    return v;
}

// Band edges of a function beyond its declared interval ends: one row per
// function and precision, numbers as strtod reads them.  Each edge is
// tried with both signs and with its nearest neighbours.
struct EdgeRow {
    const char* function;
    bool is_float;
    const char* x_edges;
    const char* y_edges;  // second argument, two-argument functions
};

inline const std::vector<EdgeRow>& edge_rows() {
    static const std::vector<EdgeRow> rows = {
        // overflow, underflow to the subnormals, to zero; the reduction's half-ulp of ln 2
        {"exp", true, "88.72284 88.3762626 89 87.33654 103.27893 103.972 104 0.34657359 0x1p-24 0x1p-14", ""},
        {"exp", false,
         "709.782712893384 709.7825 709.78 708.3964185322641 744.4400719213812 745.1332191019411 745.14 710 "
         "0.34657359027997264 0x1p-53 0x1p-28",
         ""},
        {"exp2", true, "128 127.99999 126 149 150 151 0.5 0x1p-24", ""},
        {"exp2", false, "1024 1023.9999999 1022 1074 1075 1076 0.5 0x1p-53", ""},
        {"exp10", true, "38.5318394 38.38 38.54 37.92978 44.85 45.4 3.8004 0.150515 0x1p-24", ""},
        {"exp10", false, "308.25471555991675 308.2533 308.26 307.6526555685888 323.3 323.607 324 300 0x1p-53", ""},
        {"expm1", true, "0.1 88.3762626 88.72284 17 0.34657359 0x1p-25 0x1p-12", ""},
        {"expm1", false, "0.125 709.782712893384 708.3955 750 38 0.34657359027997264 0x1p-54 0x1p-27", ""},
        // logarithms: 1 and its neighbourhood, the reduction's split point, octave ends
        {"ln", true, "1 0.999 1.001 0.70710677 1.4142135 0.5 2 1e-30 1e30", ""},
        {"ln", false, "1 0.99 1.01 0.9999999 1.0000001 0.70710678118654757 1.4142135623730951 0.5 2 1e-300", ""},
        {"log10", true, "1 0.999 1.001 0.70710677 1.4142135 10 100 0.1", ""},
        {"log10", false, "1 0.99 1.01 0.9999999 1.0000001 0.70710678118654757 1.4142135623730951 10 1e22 0.1", ""},
        {"log1p", true, "1 0.99999994 0.5 1e-3 1e-30 2.27e38 0.41421356 0.29289323", ""},
        {"log1p", false, "1 0.9999999999999999 0.5 1e-3 1e-300 1e308 0.41421356237309515 0.2928932188134524", ""},
        // powers: bases near 1 and 0, exponents at and next to the integers
        {"pow", true, "1 0.996 1.004 0.99999 1.00001 0.5 2 8 10 1e-30 1e30",
         "1 2 3 4 0.5 0.6666667 1.5 0.33333334 16777215 16777216 127 128 149 1e5 2.2e4 800 12.7"},
        {"pow", false, "1 0.996 1.004 0.9999999999 1.0000000001 0.5 2 8 10 1e-300 1e300",
         "1 2 3 4 0.5 0.66666666666666663 1.5 0.33333333333333331 9007199254740991 9007199254740992 1023 1024 "
         "1074 1075 7e7 1.7e5 1e14 102"},
        {"cbrt", true, "1 8 0.125 27 0x1p-126 0x1p-140 0x1p127", ""},
        {"cbrt", false, "1 8 0.125 27 0x1p-1022 0x1p-1060 0x1p1023", ""},
        {"sqrt", true, "1 4 2 0x1p-126 0x1p-140 0x1p127", ""},
        {"sqrt", false, "1 4 2 0x1p-1022 0x1p-1060 0x1p1023", ""},
        {"sqrt_mask", true, "1 4 2 0x1p-126 0x1p-140", ""},
        {"sqrt_mask", false, "1 4 2 0x1p-1022 0x1p-1060", ""},
        // hypot: where x x + y y leaves the normal range
        {"hypot", true, "1e18 1e-18 1.8446743e19 1.0842022e-19 1 3", "1e18 1e-18 1.8446743e19 1.0842022e-19 1 4"},
        {"hypot", false, "1e150 1e-150 1.3407807929942596e154 1.4916681462400413e-154 1 3",
         "1e150 1e-150 1.3407807929942596e154 1.4916681462400413e-154 1 4"},
        // trigonometric: multiples of pi/4, the reduction limits, huge arguments
        {"sin", true, "0.78539819 1.5707964 3.1415927 4.712389 6.2831855 2097152 1048576 105414350 1e10 0x1p-12", ""},
        {"sin", false,
         "0.78539816339744828 1.5707963267948966 3.1415926535897931 4.7123889803846897 6.2831853071795862 "
         "68719476736 105414350 1e10 1e22 5.319372648326541e255 0x1p-26",
         ""},
        {"cos", true, "0.78539819 1.5707964 3.1415927 4.712389 6.2831855 2097152 1048576 105414350 1e10 0x1p-12", ""},
        {"cos", false,
         "0.78539816339744828 1.5707963267948966 3.1415926535897931 4.7123889803846897 6.2831853071795862 "
         "68719476736 105414350 1e10 1e22 5.319372648326541e255 0x1p-26",
         ""},
        {"sincos", true, "0.78539819 1.5707964 3.1415927 4.712389 6.2831855 2097152 1048576 1e10 0x1p-12", ""},
        {"sincos", false,
         "0.78539816339744828 1.5707963267948966 3.1415926535897931 68719476736 1e10 1e22 5.319372648326541e255",
         ""},
        {"tan", true, "0.78539819 1.5707964 1.5707963 3.1415927 1048576 2097152 1e10 0x1p-12", ""},
        {"tan", false,
         "0.78539816339744828 1.5707963267948966 3.1415926535897931 68719476736 1e10 1e22 5.319372648326541e255 "
         "0x1p-26",
         ""},
        // inverse trigonometric: domain ends, reduction splits
        {"asin", true, "1 0.5 0.9999 0x1p-12 0x1p-30", ""},
        {"asin", false, "1 0.5 0.9999999 0x1p-26 0x1p-60", ""},
        {"acos", true, "1 0.5 0.9999 0x1p-12 0x1p-30", ""},
        {"acos", false, "1 0.5 0.9999999 0x1p-26 0x1p-60", ""},
        {"atan", true, "1 16 0.4375 0.6875 1.1875 2.4375 0x1p24 0x1p-12 0x1p-30", ""},
        {"atan", false, "1 7.875 64 0.4375 0.6875 1.1875 2.4375 0x1p53 0x1p-26 0x1p-60", ""},
        {"atan2", true, "1 100 1e-3 1e30 0x1p-149", "1 100 1e-3 1e30 0x1p-149"},
        {"atan2", false, "1 100 1e-3 1e300 0x1p-1074", "1 100 1e-3 1e300 0x1p-1074"},
        // hyperbolic: where the results overflow, the small-argument paths
        {"sinh", true, "88.3762626 88.72284 89.415985 89.42 1 1e-3 0.5 9", ""},
        {"sinh", false, "709.782712893384 710.475860073944 710.48 0.5 1e-5 22 1", ""},
        {"cosh", true, "88.3762626 88.72284 89.415985 89.42 1 1e-3 0.5 9", ""},
        {"cosh", false, "709.782625 709.782712893384 710.475860073944 710.48 0.5 1e-5 22 1", ""},
        {"tanh", true, "0.625 10 9.01 20 50 0x1p-13 0x1p-30", ""},
        {"tanh", false, "0.625 20 19.06 22 400 0x1p-27 0x1p-60", ""},
        {"asinh", true, "1 1e-3 1e9 1e10 0x1p12 0x1p28 1e19 1e38 0x1p-12", ""},
        {"asinh", false, "1 1e-3 1e9 2e14 0x1p28 0x1p30 0x1p47 0x1p50 1e154 1e300 0x1p-26", ""},
        {"acosh", true, "1 2 1.001 1e9 1e10 0x1p12 0x1p28 1e38", ""},
        {"acosh", false, "1 2 1.0001 1e9 2e14 0x1p28 0x1p30 0x1p47 1e154 1e300", ""},
        {"atanh", true, "1 0.5 1e-3 0.99999994 0x1p-12", ""},
        {"atanh", false, "1 0.5 1e-3 0.9999999999999999 0x1p-26", ""},
        // rounding to integers
        {"floor", true, "1 0.5 1.5 0x1p23 0x1p24 8388607.5", ""},
        {"floor", false, "1 0.5 1.5 0x1p52 0x1p53 4503599627370495.5", ""},
    };
    return rows;
}

inline std::vector<double> numbers_of(const std::string& text) {
    std::vector<double> v;
    std::istringstream words(text);
    for (std::string w; words >> w;) v.push_back(std::strtod(w.c_str(), nullptr));
    return v;
}

// Steps from an edge that its neighbours are taken at.
constexpr int64_t kNeighbourSteps[] = {-16, -2, -1, 0, 1, 2, 16};

template <class T>
void add_with_neighbours(std::vector<T>& v, double edge) {
    for (const double signed_edge : {edge, -edge}) {
        const T t = T(signed_edge);
        if (std::isnan(t)) continue;
        const int64_t k = tvml_ulp::ordered(t);
        for (int64_t step : kNeighbourSteps) {
            const T n = tvml_ulp::from_ordered<T>(k + step);
            if (!std::isnan(n)) v.push_back(n);
        }
    }
}

// The band edges of a function for its first (argument 0) or second
// argument: its edge row, the ends of its declared intervals, the declared
// worst input; each with both signs and its neighbours.
template <class T>
std::vector<T> band_edges(const std::string& function, int argument, const std::vector<tvml_accuracy::Box>& boxes,
                          const std::string& worst) {
    std::vector<T> v;
    for (const EdgeRow& row : edge_rows()) {
        if (row.function != function || row.is_float != (sizeof(T) == 4)) continue;
        for (double e : numbers_of(argument == 0 ? row.x_edges : row.y_edges)) add_with_neighbours(v, e);
    }
    for (const tvml_accuracy::Box& b : boxes) {
        add_with_neighbours(v, argument == 0 ? b.xlo : b.ylo);
        add_with_neighbours(v, argument == 0 ? b.xhi : b.yhi);
    }
    const std::vector<double> w = numbers_of(worst);
    if (size_t(argument) < w.size()) add_with_neighbours(v, w[size_t(argument)]);
    return v;
}

// Random values: a third raw bit patterns (every class), a third spread
// over the exponents of a declared interval, a third next to an edge.
template <class T>
class RandomSource {
public:
    RandomSource(uint64_t seed, std::vector<tvml_accuracy::Box> boxes, std::vector<T> edges_x, std::vector<T> edges_y)
        : rng_(seed), boxes_(std::move(boxes)), edges_{std::move(edges_x), std::move(edges_y)} {}

    T next(int argument) {
        std::uniform_int_distribution<int> pick(0, 2);
        switch (pick(rng_)) {
            case 0: return raw();
            case 1:
                if (!boxes_.empty()) return in_box(argument);
                return raw();
            default: return near_edge(argument);
        }
    }

    uint64_t bits() { return rng_(); }

private:
    T raw() { return from_bits<T>(BitsOf<T>(rng_())); }

    T in_box(int argument) {
        std::uniform_int_distribution<size_t> which(0, boxes_.size() - 1);
        const tvml_accuracy::Box& b = boxes_[which(rng_)];
        double lo = argument == 0 ? b.xlo : b.ylo, hi = argument == 0 ? b.xhi : b.yhi;
        using L = std::numeric_limits<T>;
        lo = std::fmax(lo, -double(L::max()));
        hi = std::fmin(hi, double(L::max()));
        T tlo = T(lo), thi = T(hi);
        if (double(tlo) < lo) tlo = std::nextafter(tlo, L::infinity());
        if (double(thi) > hi) thi = std::nextafter(thi, -L::infinity());
        if (!(tlo <= thi)) return tlo;
        std::uniform_int_distribution<int64_t> k(tvml_ulp::ordered(tlo), tvml_ulp::ordered(thi));
        return tvml_ulp::from_ordered<T>(k(rng_));
    }

    T near_edge(int argument) {
        const std::vector<T>& e = edges_[argument];
        if (e.empty()) return raw();
        std::uniform_int_distribution<size_t> which(0, e.size() - 1);
        std::uniform_int_distribution<int64_t> step(-4096, 4096);
        const T base = e[which(rng_)];
        if (!std::isfinite(base)) return base;
        const T v = tvml_ulp::from_ordered<T>(tvml_ulp::ordered(base) + step(rng_));
        return std::isnan(v) ? base : v;
    }

    std::mt19937_64 rng_;
    std::vector<tvml_accuracy::Box> boxes_;
    std::vector<T> edges_[2];
};

}  // namespace tvml_fuzz
