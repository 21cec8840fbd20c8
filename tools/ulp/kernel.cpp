#include "kernel.hpp"

#include <dlfcn.h>

#include <cstdint>
#include <vector>

#include "dazaro_tv.h"

namespace tvml_ulp {

namespace {

using ArrayKernel = tvml_array_kernel;
using UnaryEntry = void (*)(int n, const void* a, void* r);
using BinaryEntry = void (*)(int n, const void* a, const void* b, void* r);

// Array entry points by the arity of their accuracy rows: 1 (n, a, r),
// 2 (n, a, b, r) or 3 (b points to one exponent), for real elements; 0
// for the shapes measured through their kernels.
#define TVML_ENTRY_UNARY 1
#define TVML_ENTRY_BINARY 2
#define TVML_ENTRY_POWX 3
#define TVML_ENTRY_FIXED 0
#define TVML_ENTRY_SINCOS 0
#define TVML_ENTRY_ROW(name, op, shape, type, exponent) {#name, TVML_ENTRY_##shape, #type},
const struct {
    const char* name;
    int arguments;
    const char* type;
} kEntryPoints[] = {TVML_ARRAY_ENTRIES(TVML_ENTRY_ROW)};
#undef TVML_ENTRY_ROW

// Arguments of the entry point called name, or 0.
int entry_arguments(const std::string& name, bool& is_float) {
    for (const auto& e : kEntryPoints) {
        const std::string type(e.type);
        if (name == e.name && (type == "TVML_S" || type == "TVML_D")) {
            is_float = type == "TVML_S";
            return e.arguments;
        }
    }
    return 0;
}

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool ends_with(const std::string& s, const char* suffix) {
    const std::string t(suffix);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool shape_of(const std::string& name, Shape& shape) {
    static const struct {
        const char* prefix;
        Shape shape;
    } prefixes[] = {{"tvml_vs4_", Shape::F4}, {"tvml_vs8_", Shape::F8}, {"tvml_vd2_", Shape::D2},
                    {"tvml_vd4_", Shape::D4}, {"_ZGVbN4", Shape::F4},   {"_ZGVdN8", Shape::F8},
                    {"_ZGVbN2", Shape::D2},   {"_ZGVdN4", Shape::D4}};
    for (const auto& p : prefixes) {
        if (starts_with(name, p.prefix)) {
            shape = p.shape;
            return true;
        }
    }
    return false;
}

}  // namespace

bool cpu_has_avx2_fma() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

bool resolve_kernel(const std::string& name, Kernel& k, std::string& why) {
    k = Kernel();
    k.name = name;
    if ((k.entry_arguments = entry_arguments(name, k.is_float))) {
        // Entry points dispatch to what the processor runs.
    } else if (shape_of(name, k.shape)) {
        k.is_float = k.shape == Shape::F4 || k.shape == Shape::F8;
        k.lanes = k.shape == Shape::F8 ? 8 : k.shape == Shape::D2 ? 2 : 4;
        k.masked = name.find("sqrt_mask") != std::string::npos;
        // The register calls are compiled for AVX; the tuned kernels need
        // AVX2 and FMA, and the portable ones are gated the same way.
        k.needs_avx2_fma = true;
    } else if (name[0] == 's' || name[0] == 'd') {
        k.is_float = name[0] == 's';
        // Portable kernels and the dispatching trampolines run anywhere.
        k.needs_avx2_fma = !(ends_with(name, "_generic") || ends_with(name, "_k"));
    } else {
        why = "not an array kernel (s..., d...), a real array entry point (vsExp, vdPowx, ...) nor a "
              "short-vector kernel (tvml_vs4_..., _ZGV...)";
        return false;
    }
    k.fn = dlsym(RTLD_DEFAULT, name.c_str());
    if (!k.fn) {
        why = "not exported by the library";
        return false;
    }
    return true;
}

void apply(const Kernel& k, int arity, const void* x, const void* y, void* r, size_t n) {
    if (k.shape != Shape::Array) {
        apply_registers(k.fn, k.shape, arity == 1 ? 1 : 2, k.masked, x, y, r, n);
        return;
    }
    const size_t size = k.is_float ? 4 : 8;
    if (k.entry_arguments) {
        // int counts: whole calls of at most INT32_MAX elements are all we make.
        const int count = int(n);
        if (arity == 1) reinterpret_cast<UnaryEntry>(k.fn)(count, x, r);
        else if (arity == 2) reinterpret_cast<BinaryEntry>(k.fn)(count, x, y, r);
        for (size_t start = 0; arity == 3 && start < n; start += powx_group) {
            const size_t part = n - start < powx_group ? n - start : powx_group;
            reinterpret_cast<BinaryEntry>(k.fn)(int(part), static_cast<const char*>(x) + start * size,
                                                static_cast<const char*>(y) + start * size,
                                                static_cast<char*>(r) + start * size);
        }
        return;
    }
    const auto fn = reinterpret_cast<ArrayKernel>(k.fn);
    // Two-output kernels (sincos) write the output not measured here.
    std::vector<double> other(n);
    const auto call = [&](int64_t count, const void* a, const void* b, void* out) {
        if (k.output == 2) fn(count, a, b, other.data(), out, 0);
        else fn(count, a, b, out, other.data(), 0);
    };
    if (arity != 3) {
        call(int64_t(n), x, arity == 2 ? y : nullptr, r);
        return;
    }
    for (size_t start = 0; start < n; start += powx_group) {
        const size_t count = n - start < powx_group ? n - start : powx_group;
        const auto offset = [&](const void* p) { return static_cast<const char*>(p) + start * size; };
        call(int64_t(count), offset(x), offset(y), static_cast<char*>(r) + start * size);
    }
}

}  // namespace tvml_ulp
