// The one harness of the tuned-family tests: kernels applied by name
// (short-vector kernels through sv_apply, array kernels directly), their
// declared rows (accuracy.hpp), and the error of a result against the MPFR
// reference of a libm name, in ulps of the result's format: the ULP
// checker's own references and arithmetic (tools/ulp), written once.  The
// sweeps over the declared intervals and the lane-independence checks of
// every declared kernel are the checker's CTest (vml.accuracy_quick); the
// family test files hold only their own edge-case tables.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "accuracy.hpp"
#include "dazaro_tv.h"
#include "reference.hpp"
#include "sv_apply.hpp"
#include "test_support.hpp"
#include "ulp_math.hpp"

namespace family {

using tvml_test::Shape;

// The declared row of a kernel's first output; a failed expectation (and
// a row with bound 0) if there is none.
inline const tvml_accuracy::KernelRow& row_of(const std::string& kernel) {
    if (const tvml_accuracy::KernelRow* row = tvml_accuracy::find(kernel)) return *row;
    ADD_FAILURE() << kernel << " has no accuracy row";
    static const tvml_accuracy::KernelRow none{"", "", 1, 1, 0, "", "", false, nullptr};
    return none;
}

using tvml_test::bits_of;
using tvml_test::from_bits;

// The libm name of a function in the precision of T: "exp" -> "expf".
template <class T>
std::string libm_name(const std::string& fn) {
    return sizeof(T) == 4 ? fn + "f" : fn;
}

// Error of got against reference(x) or reference(x, y), reference a libm
// name of T's precision ("powf", "log"): in ulps of T at the exact value,
// as the checker measures it (a correctly rounded result scores at most
// 0.5, a wrong class infinity).
template <class T>
double ulp_error(const std::string& reference, T got, T x, T y = T(0)) {
    const tvml_ulp::Reference* ref = tvml_ulp::find_reference(reference);
    if (!ref) {
        ADD_FAILURE() << "no MPFR reference for " << reference;
        return INFINITY;
    }
    const tvml_ulp::RefValue<T> v = tvml_ulp::evaluate(*ref, x, y, false);
    return tvml_ulp::ulp_error(got, v.hi, v.lo, v.cr);
}

// The correctly rounded value of reference(x[, y]).
template <class T>
T correctly_rounded(const std::string& reference, T x, T y = T(0)) {
    const tvml_ulp::Reference* ref = tvml_ulp::find_reference(reference);
    if (!ref) {
        ADD_FAILURE() << "no MPFR reference for " << reference;
        return T(0);
    }
    return tvml_ulp::evaluate(*ref, x, y, false).cr;
}

// An MPFR value at 256 bits, for checks of constant tables.
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

// An exported array kernel by name; fails the test if it is missing.
inline tvml_array_kernel array_kernel(const std::string& name) {
    auto k = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, name.c_str()));
    EXPECT_NE(k, nullptr) << name << " is not exported";
    return k;
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

inline bool is_short_vector(const std::string& kernel) { return kernel.rfind("tvml_", 0) == 0; }
inline Shape shape_of(const std::string& kernel) {
    const std::string part = kernel.substr(5, 3);
    return part == "vs4" ? Shape::F4 : part == "vs8" ? Shape::F8 : part == "vd2" ? Shape::D2 : Shape::D4;
}

// Tuned variant of a short-vector function, from the name table.
inline const char* variant_of(const std::string& fn) {
    for (const tvml_accuracy::detail::SvFunction& f : tvml_accuracy::detail::sv_functions()) {
        if (fn == f.fn) return f.variant;
    }
    ADD_FAILURE() << "no short-vector function " << fn;
    return "";
}

// ---- Block grouping of the tuned array kernels ----
//
// A tuned array kernel computed as its nominal blocks, one at a time:
// whole registers of `block` through the short-vector kernel of the
// function (tvml_<shape>_<fn>_<variant>, the same lane algorithm), then the
// elements after the last whole register through libm, in order.  Every
// way a kernel groups, pairs or interleaves its blocks must give exactly
// these bits.
struct BlockGrouping {
    std::string kernel;  // exported array kernel
    std::string fn;      // short-vector function of one block; "sincos": sin to r, cos to r2
    Shape block;
    int arity;           // 1, 2, or 3 (powx: one exponent for the call)
    bool saturated;      // lanes with |x| > 88.72284 give the largest float (NaN stays NaN)
};

inline void PrintTo(const BlockGrouping& g, std::ostream* os) { *os << g.kernel; }

// The libm function of a precision by name ("expf", "sincos").
template <class Fn>
Fn libm_function(const std::string& name) {
    auto f = reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name.c_str()));
    EXPECT_NE(f, nullptr) << "no libm function " << name;
    return f;
}

// r (and r2) for n elements of x (and y; y[0] is the exponent of arity 3)
// as the nominal blocks give them.
template <class T>
void run_nominal_blocks(const BlockGrouping& g, size_t n, const T* x, const T* y, T* r, T* r2) {
    const size_t lanes = size_t(tvml_test::lanes_of(g.block));
    const size_t whole = n / lanes * lanes;
    const int arity = g.arity == 1 ? 1 : 2;
    std::vector<T> exponent;
    if (g.arity == 3) exponent.assign(whole, y[0]);
    const T* second = g.arity == 3 ? exponent.data() : y;
    const auto sv = [&](const char* fn, T* out) {
        if (whole == 0) return;
        EXPECT_TRUE(tvml_test::sv_apply(tvml_test::kernel_name(g.block, fn, variant_of(fn)), g.block, arity, x,
                                        second, out, whole))
            << g.kernel << ": no short-vector kernel for " << fn;
    };
    if (g.fn == "sincos") {
        sv("sin", r);
        sv("cos", r2);
        auto f = libm_function<void (*)(T, T*, T*)>(libm_name<T>("sincos"));
        for (size_t i = whole; i < n; ++i) f(x[i], &r[i], &r2[i]);
        return;
    }
    sv(g.fn.c_str(), r);
    if (g.saturated)
        for (size_t i = 0; i < whole; ++i)
            if (std::fabs(x[i]) > T(88.72283935546875)) r[i] = std::numeric_limits<T>::max();
    const std::string libm = row_of(g.kernel).reference;
    if (arity == 1) {
        auto f = libm_function<T (*)(T)>(libm);
        for (size_t i = whole; i < n; ++i) r[i] = f(x[i]);
    } else {
        auto f = libm_function<T (*)(T, T)>(libm);
        for (size_t i = whole; i < n; ++i) r[i] = f(x[i], g.arity == 3 ? y[0] : y[i]);
    }
}

}  // namespace family
