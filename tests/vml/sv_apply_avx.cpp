// The AVX half of sv_apply: register calls through a looked-up pointer.
#include <dlfcn.h>
#include <immintrin.h>

#include <cstring>

#include "sv_apply.hpp"

namespace tvml_test {
namespace {

template <class V, class T>
void apply(void* fn, int arity, const void* x, const void* y, void* r, size_t count) {
    constexpr size_t kLanes = sizeof(V) / sizeof(T);
    const T* px = static_cast<const T*>(x);
    const T* py = static_cast<const T*>(y);
    T* pr = static_cast<T*>(r);
    for (size_t i = 0; i + kLanes <= count; i += kLanes) {
        V vx, vy, vr;
        std::memcpy(&vx, px + i, sizeof vx);
        if (arity == 1) {
            vr = reinterpret_cast<V (*)(V)>(fn)(vx);
        } else {
            std::memcpy(&vy, py + i, sizeof vy);
            vr = reinterpret_cast<V (*)(V, V)>(fn)(vx, vy);
        }
        std::memcpy(pr + i, &vr, sizeof vr);
    }
}

}  // namespace

bool sv_apply(const std::string& name, Shape shape, int arity, const void* x, const void* y, void* r,
              size_t count) {
    void* fn = dlsym(RTLD_DEFAULT, name.c_str());
    if (!fn) return false;
    switch (shape) {
        case Shape::F4: apply<__m128, float>(fn, arity, x, y, r, count); break;
        case Shape::F8: apply<__m256, float>(fn, arity, x, y, r, count); break;
        case Shape::D2: apply<__m128d, double>(fn, arity, x, y, r, count); break;
        case Shape::D4: apply<__m256d, double>(fn, arity, x, y, r, count); break;
    }
    return true;
}

}  // namespace tvml_test
