// Constant table of the double arc tangent: plain data, defined in
// invtrig_tables.cpp, which holds no SIMD code (the tests compile it too, to
// check each entry against its rule).
#pragma once

namespace tvml {
namespace avx2 {

// Entry j: atan(j/4) rounded to nearest, j = 0 .. 31.
extern const double atan_data[32];

}  // namespace avx2
}  // namespace tvml
