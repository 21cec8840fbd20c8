// Applies a short-vector kernel over arrays from baseline test code: the
// register-passing calls live in an AVX unit (sv_apply_avx.cpp) with no
// static initialisers, so a test binary starts on any processor and only
// calls in after its own gate.
#pragma once

#include <cstddef>
#include <string>

namespace tvml_test {

enum class Shape { F4 = 0, F8 = 1, D2 = 2, D4 = 3 };

inline int lanes_of(Shape s) { return s == Shape::F4 ? 4 : s == Shape::F8 ? 8 : s == Shape::D2 ? 2 : 4; }
inline bool is_float(Shape s) { return s == Shape::F4 || s == Shape::F8; }
inline const char* shape_part(Shape s) {
    static const char* parts[] = {"vs4", "vs8", "vd2", "vd4"};
    return parts[int(s)];
}
// tvml_<shape>_<fn>_<variant>
inline std::string kernel_name(Shape s, const char* fn, const char* variant) {
    return std::string("tvml_") + shape_part(s) + "_" + fn + "_" + variant;
}

// r = kernel(x) or kernel(x, y) register by register; count is in scalars
// and a multiple of the lane count.  Returns false if the name is not
// exported.  The processor must have what the kernel uses.
bool sv_apply(const std::string& name, Shape shape, int arity, const void* x, const void* y, void* r,
              size_t count);

}  // namespace tvml_test
