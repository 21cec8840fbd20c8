// Correctly rounded reference values from MPFR, by libm name.
#pragma once

#include <string>

namespace tvml_ulp {

struct Reference;

// The reference of a libm name ("exp", "powf", ...), or nullptr.  The
// suffix f selects float results; the function itself is the same.
const Reference* find_reference(const std::string& libm_name);
int reference_arity(const Reference& ref);
bool reference_is_float(const Reference& ref);

// Value of the reference at (x, y) (y ignored by one-argument functions):
// cr is the result correctly rounded to T, subnormals included; hi + lo
// approximates the exact value to far below one ulp of T.
template <class T>
struct RefValue {
    T cr;
    double hi, lo;
};

// fast: for float results, take the double libm value when it lies far
// from every rounding boundary of float (libm double functions are within
// a few double ulps, 2^-29 of a float ulp), and MPFR otherwise.
RefValue<float> evaluate(const Reference& ref, float x, float y, bool fast);
RefValue<double> evaluate(const Reference& ref, double x, double y, bool fast);

}  // namespace tvml_ulp
