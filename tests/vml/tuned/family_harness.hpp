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

}  // namespace family
