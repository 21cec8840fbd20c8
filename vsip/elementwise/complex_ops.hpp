// Element operations on complex values shared by the element-wise families.
//
// Textbook formulas in single precision.  Products are rounded before the
// sums they feed, so the same operation vectorises on baseline processors
// and gives the same values on every pass.
#ifndef VSIP_ELEMENTWISE_COMPLEX_OPS_HPP
#define VSIP_ELEMENTWISE_COMPLEX_OPS_HPP

#include "internal.hpp"

namespace vi {

// Function objects rather than functions: the loops inline them through
// their type.
using C = vsip_cscalar_f;

inline constexpr auto c_add = [](C a, C b) { return C{a.r + b.r, a.i + b.i}; };
inline constexpr auto c_sub = [](C a, C b) { return C{a.r - b.r, a.i - b.i}; };
inline constexpr auto c_mul = [](C a, C b) {
    return C{a.r * b.r - a.i * b.i, a.r * b.i + a.i * b.r};
};
// a x conjugate(b)
inline constexpr auto c_jmul = [](C a, C b) {
    return C{a.r * b.r + a.i * b.i, a.i * b.r - a.r * b.i};
};
// No scaling against overflow of d; division by 0 + 0i gives non-finite parts.
inline constexpr auto c_div = [](C a, C b) {
    const float d = b.r * b.r + b.i * b.i;
    return C{(a.r * b.r + a.i * b.i) / d, (a.i * b.r - a.r * b.i) / d};
};

} // namespace vi

#endif
