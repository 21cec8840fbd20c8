// Register calls of short-vector kernels through a looked-up pointer.
// Compiled with AVX; reached only after the processor check.
#include <immintrin.h>

#include <cstring>

#include "kernel.hpp"

namespace tvml_ulp {
namespace {

template <class V, class T>
void apply_shape(void* fn, int arity, bool masked, const void* x, const void* y, void* r, size_t n) {
    constexpr size_t kLanes = sizeof(V) / sizeof(T);
    const T* px = static_cast<const T*>(x);
    const T* py = static_cast<const T*>(y);
    T* pr = static_cast<T*>(r);
    V all_ones;
    std::memset(&all_ones, 0xff, sizeof all_ones);
    for (size_t i = 0; i + kLanes <= n; i += kLanes) {
        V vx, vy, vr;
        std::memcpy(&vx, px + i, sizeof vx);
        if (masked) {
            vr = reinterpret_cast<V (*)(V, V)>(fn)(vx, all_ones);
        } else if (arity == 1) {
            vr = reinterpret_cast<V (*)(V)>(fn)(vx);
        } else {
            std::memcpy(&vy, py + i, sizeof vy);
            vr = reinterpret_cast<V (*)(V, V)>(fn)(vx, vy);
        }
        std::memcpy(pr + i, &vr, sizeof vr);
    }
}

}  // namespace

void apply_registers(void* fn, Shape shape, int arity, bool masked, const void* x, const void* y, void* r,
                     size_t n) {
    switch (shape) {
        case Shape::F4: apply_shape<__m128, float>(fn, arity, masked, x, y, r, n); break;
        case Shape::F8: apply_shape<__m256, float>(fn, arity, masked, x, y, r, n); break;
        case Shape::D2: apply_shape<__m128d, double>(fn, arity, masked, x, y, r, n); break;
        case Shape::D4: apply_shape<__m256d, double>(fn, arity, masked, x, y, r, n); break;
        case Shape::Array: break;
    }
}

}  // namespace tvml_ulp
