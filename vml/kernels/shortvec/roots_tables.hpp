// Constant tables of the cube root and of the 4-float power: plain data,
// defined in roots_tables.cpp, which holds no SIMD code (the tests compile
// it too, to check each entry against its rule).
#pragma once

#include <cstdint>

namespace tvml {
namespace avx2 {

// 2^(k/3) for k = -2 .. 2, rounded to float: the factor for the part of
// the exponent that the integer scaling by 2^(e/3) leaves over.
extern const float cbrts_factor[5];
// The same in double; the entries for k = -2, -1 lie one unit below the
// nearest double.
extern const double cbrtd_factor[5];
// Entry j: bits of 2^(j/32) rounded to float, minus j << 18, so that
// adding k << 18 for k with k mod 32 = j gives 2^(k/32) with the exponent
// floor(k/32) already in place.
extern const uint32_t exp2f_data[32];

}  // namespace avx2
}  // namespace tvml
