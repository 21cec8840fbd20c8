// Helpers of the power and root tests: declared accuracy rows, the MPFR
// reference with its ULP distance, input sampling over declared
// intervals, and kernel application by name.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "accuracy_intervals.hpp"
#include "dazaro_tv.h"
#include "sv_apply.hpp"
#include "test_support.hpp"

namespace power_test {

using tvml_test::Shape;

struct Row {
    std::string kernel;
    std::string reference;
    int arity;
    double max_ulp;
    std::string intervals;
};

inline const std::vector<Row>& accuracy_rows() {
    static const std::vector<Row> rows = {
#define TVML_ACCURACY(kernel, reference, arity, max_ulp, intervals) {#kernel, #reference, arity, max_ulp, intervals},
#include "accuracy.def"
#undef TVML_ACCURACY
    };
    return rows;
}

// The declared row of a kernel; a failed expectation if there is none.
inline Row row_of(const std::string& kernel) {
    for (const Row& r : accuracy_rows())
        if (r.kernel == kernel) return r;
    ADD_FAILURE() << kernel << " has no accuracy row";
    return {kernel, "", 1, 0, ""};
}

// Bit patterns of floats and doubles.
template <class T>
using BitsOf = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
template <class T>
T from_bits(BitsOf<T> bits) {
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
template <class T>
BitsOf<T> bits_of(T v) {
    BitsOf<T> b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

inline void PrintTo(const Row& r, std::ostream* os) { *os << r.kernel; }

// Samples of [lo, hi]: half uniform, half spread over the binades (random
// bit patterns that fall inside), so both large and tiny magnitudes occur.
template <class T>
T sample(std::mt19937_64& rng, double lo, double hi) {
    using U = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    if (rng() & 1) {
        for (int attempt = 0; attempt < 64; ++attempt) {
            const U bits = U(rng());
            T v;
            std::memcpy(&v, &bits, sizeof v);
            if (v >= T(lo) && v <= T(hi)) return v;
        }
    }
    std::uniform_real_distribution<double> d(lo, hi);
    return T(d(rng));
}

// Exact-enough MPFR value of a reference at 256 bits.
class Exact {
public:
    Exact() { mpfr_init2(v_, 256); }
    ~Exact() { mpfr_clear(v_); }
    Exact(const Exact&) = delete;
    Exact& operator=(const Exact&) = delete;
    mpfr_ptr get() { return v_; }
    mpfr_srcptr get() const { return v_; }

private:
    mpfr_t v_;
};

// Distance of got from the exact value in units of the last place of T at
// the exact value (subnormal spacing below the normal range); 0 when both
// are the same NaN class or the same infinity.
template <class T>
double ulp_error(T got, mpfr_srcptr exact) {
    constexpr int digits = std::numeric_limits<T>::digits;
    constexpr int min_exp = std::numeric_limits<T>::min_exponent;  // 2^(min_exp - 1) = min normal
    if (mpfr_nan_p(exact)) return std::isnan(got) ? 0 : INFINITY;
    if (std::isnan(got)) return INFINITY;
    if (mpfr_inf_p(exact)) {
        if (!std::isinf(got) || std::signbit(got) != (mpfr_sgn(exact) < 0)) return INFINITY;
        return 0;
    }
    // A finite exact value beyond the range rounds to infinity: one more
    // unit than the largest finite value.
    Exact diff;
    if (std::isinf(got)) {
        mpfr_set_d(diff.get(), double(std::copysign(std::numeric_limits<T>::max(), got)), MPFR_RNDN);
        mpfr_sub(diff.get(), diff.get(), exact, MPFR_RNDN);
        mpfr_abs(diff.get(), diff.get(), MPFR_RNDN);
        mpfr_mul_2si(diff.get(), diff.get(), -(std::numeric_limits<T>::max_exponent - digits), MPFR_RNDN);
        return mpfr_get_d(diff.get(), MPFR_RNDN) + 1;
    }
    mpfr_set_d(diff.get(), double(got), MPFR_RNDN);
    mpfr_sub(diff.get(), diff.get(), exact, MPFR_RNDN);
    if (mpfr_zero_p(diff.get())) return 0;
    long e = mpfr_zero_p(exact) ? min_exp : mpfr_get_exp(exact);  // exact = f 2^e, f in [0.5, 1)
    if (e < min_exp) e = min_exp;
    mpfr_abs(diff.get(), diff.get(), MPFR_RNDN);
    mpfr_mul_2si(diff.get(), diff.get(), -(e - digits), MPFR_RNDN);
    return mpfr_get_d(diff.get(), MPFR_RNDN);
}

// Applies a short-vector kernel by name; fails the test if it is missing.
template <class T>
std::vector<T> apply_sv(const std::string& name, Shape shape, int arity, const std::vector<T>& x,
                        const std::vector<T>& y = {}) {
    std::vector<T> r(x.size());
    EXPECT_TRUE(tvml_test::sv_apply(name, shape, arity, x.data(), arity == 1 ? nullptr : y.data(), r.data(),
                                    x.size()))
        << name << " is not exported";
    return r;
}

template <class T>
std::string show(T v) {
    std::ostringstream s;
    s.precision(std::numeric_limits<T>::max_digits10);
    s << v;
    return s.str();
}

inline const std::vector<Shape>& float_shapes() {
    static const std::vector<Shape> s = {Shape::F4, Shape::F8};
    return s;
}
inline const std::vector<Shape>& double_shapes() {
    static const std::vector<Shape> s = {Shape::D2, Shape::D4};
    return s;
}

// The MPFR counterpart of a reference libm name, at the precision of out.
inline void reference_value(const std::string& reference, mpfr_ptr out, double x, double y) {
    Exact mx, my;
    mpfr_set_d(mx.get(), x, MPFR_RNDN);
    mpfr_set_d(my.get(), y, MPFR_RNDN);
    const std::string f = reference.back() == 'f' ? reference.substr(0, reference.size() - 1) : reference;
    if (f == "asin") mpfr_asin(out, mx.get(), MPFR_RNDN);
    else if (f == "acos") mpfr_acos(out, mx.get(), MPFR_RNDN);
    else if (f == "atan") mpfr_atan(out, mx.get(), MPFR_RNDN);
    else if (f == "atan2") mpfr_atan2(out, mx.get(), my.get(), MPFR_RNDN);  // x is the ordinate
    else if (f == "cbrt") mpfr_cbrt(out, mx.get(), MPFR_RNDN);
    else if (f == "sqrt") mpfr_sqrt(out, mx.get(), MPFR_RNDN);
    else if (f == "hypot") mpfr_hypot(out, mx.get(), my.get(), MPFR_RNDN);
    else if (f == "pow") mpfr_pow(out, mx.get(), my.get(), MPFR_RNDN);
    else if (f == "sin") mpfr_sin(out, mx.get(), MPFR_RNDN);
    else if (f == "cos") mpfr_cos(out, mx.get(), MPFR_RNDN);
    else if (f == "tan") mpfr_tan(out, mx.get(), MPFR_RNDN);
    else if (f == "sinh") mpfr_sinh(out, mx.get(), MPFR_RNDN);
    else if (f == "cosh") mpfr_cosh(out, mx.get(), MPFR_RNDN);
    else if (f == "tanh") mpfr_tanh(out, mx.get(), MPFR_RNDN);
    else if (f == "asinh") mpfr_asinh(out, mx.get(), MPFR_RNDN);
    else if (f == "acosh") mpfr_acosh(out, mx.get(), MPFR_RNDN);
    else if (f == "atanh") mpfr_atanh(out, mx.get(), MPFR_RNDN);
    else ADD_FAILURE() << "no MPFR reference for " << reference;
}

inline bool is_short_vector(const std::string& kernel) { return kernel.rfind("tvml_", 0) == 0; }
inline Shape shape_of(const std::string& kernel) {
    const std::string part = kernel.substr(5, 3);
    return part == "vs4" ? Shape::F4 : part == "vs8" ? Shape::F8 : part == "vd2" ? Shape::D2 : Shape::D4;
}

// Elements sharing one exponent in the accuracy runs of powx kernels: a
// multiple of every block width, so all of them take the vector path.
constexpr size_t kPowxChunk = 64;

// Runs a declared kernel on x (and y): short-vector kernels register by
// register (x.size() a multiple of the lanes), array kernels in one call
// (arity 3: one call per chunk, with the chunk's first y as exponent).
// Two-output array kernels (sincos) put their second result in *second.
template <class T>
std::vector<T> run_kernel(const Row& row, const std::vector<T>& x, const std::vector<T>& y,
                          std::vector<T>* second = nullptr) {
    if (is_short_vector(row.kernel)) {
        // sqrt_mask kernels take the mask as a second register.
        const bool masked = row.kernel.find("sqrt_mask") != std::string::npos;
        return apply_sv<T>(row.kernel, shape_of(row.kernel), masked ? 2 : row.arity, x, y);
    }
    std::vector<T> r(x.size()), r2(x.size());
    auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, row.kernel.c_str()));
    EXPECT_NE(kernel, nullptr) << row.kernel;
    if (!kernel) return r;
    if (row.arity == 3) {
        for (size_t i = 0; i < x.size(); i += kPowxChunk)
            kernel(int64_t(std::min(kPowxChunk, x.size() - i)), &x[i], &y[i], &r[i], nullptr, 0);
    } else {
        kernel(int64_t(x.size()), x.data(), row.arity == 2 ? y.data() : nullptr, r.data(), r2.data(), 0);
    }
    if (second) *second = std::move(r2);
    return r;
}

// Largest ULP error of a kernel over samples of its declared intervals;
// where names the worst input.
template <class T>
double measure_max_ulp(const Row& row, size_t samples_per_interval, unsigned seed, std::string& where) {
    // sqrt_mask rows declare x only; their mask lanes are all ones.
    const bool masked = row.kernel.find("sqrt_mask") != std::string::npos;
    const int arguments = row.arity == 1 || masked ? 1 : 2;
    T all_ones;
    std::memset(&all_ones, 0xFF, sizeof all_ones);
    std::mt19937_64 rng(seed);
    double worst = 0;
    for (const tvml_accuracy::Box& box : tvml_accuracy::intervals_of(row.intervals, arguments)) {
        std::vector<T> x(samples_per_interval), y(samples_per_interval, masked ? all_ones : T(0));
        for (size_t i = 0; i < x.size(); ++i) {
            x[i] = sample<T>(rng, box.xlo, box.xhi);
            if (arguments == 2) y[i] = sample<T>(rng, box.ylo, box.yhi);
            if (row.arity == 3 && i % kPowxChunk) y[i] = y[i - i % kPowxChunk];
        }
        const std::vector<T> r = run_kernel(row, x, y);
        Exact exact;
        for (size_t i = 0; i < x.size(); ++i) {
            reference_value(row.reference, exact.get(), double(x[i]), double(y[i]));
            const double e = ulp_error(r[i], exact.get());
            if (e > worst) {
                worst = e;
                where = "x=" + show(x[i]) + (arguments == 2 ? " y=" + show(y[i]) : "") + " got " + show(r[i]);
            }
        }
    }
    return worst;
}

// Rows whose reference function is one of names (with or without the f).
inline std::vector<Row> rows_of(std::initializer_list<const char*> names) {
    std::vector<Row> rows;
    for (const Row& r : accuracy_rows()) {
        const std::string f = r.reference.back() == 'f' ? r.reference.substr(0, r.reference.size() - 1) : r.reference;
        for (const char* name : names)
            if (f == name) rows.push_back(r);
    }
    return rows;
}

// A declared kernel keeps its bound over samples of its intervals.
class DeclaredAccuracy : public ::testing::TestWithParam<Row> {
protected:
    void check(size_t float_samples, size_t double_samples, unsigned seed) {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
        const Row& row = GetParam();
        std::string where;
        const double worst = row.reference.back() == 'f' ? measure_max_ulp<float>(row, float_samples, seed, where)
                                                         : measure_max_ulp<double>(row, double_samples, seed, where);
        RecordProperty("max_ulp", std::to_string(worst));
        std::printf("%s: max %.3f ulp (%s)\n", row.kernel.c_str(), worst, where.c_str());
        EXPECT_LE(worst, row.max_ulp) << row.kernel << " at " << where;
    }
};

}  // namespace power_test
