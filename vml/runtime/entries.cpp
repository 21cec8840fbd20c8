// Array entry points: argument checks, then the slot's trampoline.
#include <cstring>

#include "dazaro_tv.h"

namespace {

template <class T, class Bits>
T from_bits(Bits bits) {
    static_assert(sizeof(T) == sizeof(Bits), "exponent width");
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

using ExpBits_TVML_S = uint32_t;
using ExpBits_TVML_D = uint64_t;

}  // namespace

#define TVML_ENTRY_BINARY(name, op, T, type, exponent)          \
    void name(int n, const T* a, const T* b, T* r) {            \
        if (n <= 0 || !a || !b || !r) return;                   \
        op##_k(n, a, b, r, nullptr, 0);                         \
    }
#define TVML_ENTRY_POWX TVML_ENTRY_BINARY
#define TVML_ENTRY_UNARY(name, op, T, type, exponent)           \
    void name(int n, const T* a, T* r) {                        \
        if (n <= 0 || !a || !r) return;                         \
        op##_k(n, a, nullptr, r, nullptr, 0);                   \
    }
#define TVML_ENTRY_SINCOS(name, op, T, type, exponent)          \
    void name(int n, const T* a, T* s, T* c) {                  \
        if (n <= 0 || !a || !s || !c) return;                   \
        op##_k(n, a, nullptr, s, c, 0);                         \
    }
#define TVML_ENTRY_FIXED(name, op, T, type, exponent)                            \
    void name(int n, const T* a, T* r) {                                         \
        if (n <= 0 || !a || !r) return;                                          \
        const T power = from_bits<T>(static_cast<ExpBits_##type>(exponent));     \
        op##_k(n, a, &power, r, nullptr, 0);                                     \
    }
#define TVML_ENTRY(name, op, shape, type, exponent) \
    TVML_ENTRY_##shape(name, op, TVML_ELEM(type), type, exponent)

extern "C" {
TVML_ARRAY_ENTRIES(TVML_ENTRY)
}
