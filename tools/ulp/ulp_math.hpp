// ULP arithmetic of the accuracy checker, header-only so that its tests
// include it directly.
//
// Distance between a result and the correctly rounded value counts the
// representable numbers stepped over: floats are mapped onto integers in
// value order, with the two zeros as adjacent points (-0 one step below
// +0, so a zero of the wrong sign is a one-step error).  Two NaNs agree
// whatever their payloads; a NaN against a number, and an infinity against
// anything but itself, are class errors of infinite distance (returning
// the largest finite value where infinity is due, or the reverse, is not a
// rounding error).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace tvml_ulp {

template <class T>
using Bits = typename std::conditional<sizeof(T) == 4, uint32_t, uint64_t>::type;

// Position of a non-NaN value on the integer line: +0 at 0, -0 at -1,
// successive representable numbers at successive integers.
template <class T>
int64_t ordered(T x) {
    Bits<T> b;
    std::memcpy(&b, &x, sizeof b);
    constexpr Bits<T> sign = Bits<T>(1) << (8 * sizeof(T) - 1);
    const int64_t magnitude = int64_t(b & ~sign);
    return (b & sign) ? -magnitude - 1 : magnitude;
}

// Inverse of ordered().
template <class T>
T from_ordered(int64_t k) {
    constexpr Bits<T> sign = Bits<T>(1) << (8 * sizeof(T) - 1);
    const Bits<T> b = k < 0 ? Bits<T>(-(k + 1)) | sign : Bits<T>(k);
    T x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// Steps from got to want (see the header comment); infinity for class errors.
template <class T>
double ulp_steps(T got, T want) {
    const bool nan_got = std::isnan(got), nan_want = std::isnan(want);
    if (nan_got || nan_want) return nan_got && nan_want ? 0.0 : INFINITY;
    if (std::isinf(got) || std::isinf(want)) return got == want ? 0.0 : INFINITY;
    // In unsigned arithmetic: from -max to max does not fit int64_t.
    const int64_t a = ordered(got), b = ordered(want);
    return double(a >= b ? uint64_t(a) - uint64_t(b) : uint64_t(b) - uint64_t(a));
}

// Unit in the last place of format T at a value of magnitude |v| (v given
// in double, which holds every float and double exactly): the spacing of
// T's numbers in v's binade, denorm_min below the normal range.
template <class T>
double ulp_of(double v) {
    using L = std::numeric_limits<T>;
    const double a = std::fabs(v);
    if (!(a >= double(L::min()))) return double(L::denorm_min());
    return std::ldexp(1.0, std::ilogb(a) - (L::digits - 1));
}

// Error of got against an exact value held as the unevaluated sum hi + lo
// (|lo| tiny against hi), in ulps of T at the exact value.  A correctly
// rounded result scores at most 0.5.  Non-finite operands fall back on
// ulp_steps against the correctly rounded value cr.
template <class T>
double ulp_error(T got, double hi, double lo, T cr) {
    if (!std::isfinite(got) || !std::isfinite(cr) || !std::isfinite(hi)) return ulp_steps(got, cr);
    if (got == cr && std::signbit(got) != std::signbit(cr)) return 1.0;
    const double diff = (double(got) - hi) - lo;
    return std::fabs(diff) / ulp_of<T>(hi);
}

}  // namespace tvml_ulp
