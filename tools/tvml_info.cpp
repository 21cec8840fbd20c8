// tvml-info: reports the architecture dazaro-tv selected, what the
// processor offers, the kernel each function runs, which shared object
// each vector-ABI name binds to in this process, and runs a short
// self-check of entry points against libm.  --json prints the same as one
// JSON object.  Exit status 1 when the self-check fails, 2 on bad usage.
#include <dlfcn.h>
#include <math.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "detect.hpp"

#ifndef TVML_VERSION
#define TVML_VERSION "unknown"
#endif

namespace {

const char* yes_no(bool v) { return v ? "yes" : "no"; }

// JSON string literal of s.
std::string quoted(const char* s) {
    if (!s) return "null";
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += char(*p);
        } else if (*p < 0x20 || *p > 0x7E) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", *p);
            out += esc;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

const char* json_bool(bool v) { return v ? "true" : "false"; }

// ---- kernels in force, from the name tables -------------------------------

struct ArrayFunction {
    const char* name;
    std::string kernel[4];  // per architecture index
};

struct ShortVectorFunction {
    const char* name;
    std::string kernel[4];  // tvml_<shape>_<fn>_ stem per index, without the shape
};

#define KERNEL_NAME_READY(op, v) #op "_" #v
#define KERNEL_NAME_GENERIC(op, v) #op "_generic"
#define SV_VARIANT_READY(fn, v) #v
#define SV_VARIANT_GENERIC(fn, v) "generic"

std::vector<ArrayFunction> array_functions() {
    struct Slot {
        const char* op;
        const char* index1;
        const char* index23;
    };
#define SLOT(slot, op, index1, index23) \
    {#op, TVML_ON_COLUMN(KERNEL_NAME, op, index1), TVML_ON_COLUMN(KERNEL_NAME, op, index23)},
    static const Slot slots[] = {TVML_ARRAY_SLOTS(SLOT)};
#undef SLOT
    std::vector<ArrayFunction> out;
#define ENTRY(name, op, shape, type, exponent) add(#name, #op);
    auto add = [&](const char* name, const char* op) {
        for (const Slot& s : slots) {
            if (std::strcmp(s.op, op) != 0) continue;
            out.push_back({name, {std::string(op) + "_generic", s.index1, s.index23, s.index23}});
        }
    };
    TVML_ARRAY_ENTRIES(ENTRY)
#undef ENTRY
    return out;
}

std::vector<ShortVectorFunction> short_vector_functions() {
    std::vector<ShortVectorFunction> out;
#define SV(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    out.push_back({#fn, {"generic", TVML_ON_COLUMN(SV_VARIANT, fn, variant), TVML_ON_COLUMN(SV_VARIANT, fn, variant), TVML_ON_COLUMN(SV_VARIANT, fn, variant)}});
    TVML_SV_FUNCS(SV)
#undef SV
    return out;
}

// ---- vector-ABI bindings -------------------------------------------------

struct Binding {
    std::string name;
    std::string object;  // empty: not found
};

std::string object_of(const void* address) {
    Dl_info info;
    if (!address || !dladdr(address, &info) || !info.dli_fname) return "";
    return info.dli_fname;
}

// Each vector-ABI name as the dynamic linker resolves it for this process:
// the first object in the global search order that defines it.
std::vector<Binding> vector_abi_bindings() {
    std::vector<Binding> out;
    auto bind = [&](std::string name) {
        out.push_back({name, object_of(dlsym(RTLD_DEFAULT, name.c_str()))});
    };
#define SV(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    bind("_ZGVbN4" #args "_" #abi "f");                           \
    bind("_ZGVdN8" #args "_" #abi "f");                           \
    bind("_ZGVbN2" #args "_" #abi);                               \
    bind("_ZGVdN4" #args "_" #abi);
    TVML_SV_FUNCS(SV)
#undef SV
    return out;
}

// ---- self-check ------------------------------------------------------------

struct Check {
    const char* name;
    double max_ulp;
    bool ok;
};

template <class T, class Entry, class Ref>
Check check_unary(const char* name, Entry entry, Ref ref, T lo, T hi, double tolerance_ulps) {
    constexpr int kCount = 1000;
    T a[kCount], r[kCount];
    for (int i = 0; i < kCount; ++i) a[i] = lo + (hi - lo) * T(i) / T(kCount - 1);
    entry(kCount, a, r);
    double worst = 0;
    for (int i = 0; i < kCount; ++i) {
        const T want = ref(a[i]);
        const double ulp = std::fabs(double(nextafter(want, T(INFINITY)) - want));
        const double err = std::fabs(double(r[i]) - double(want)) / ulp;
        if (!(err <= worst)) worst = err;  // NaN counts as a failure
    }
    return {name, worst, worst <= tolerance_ulps};
}

std::vector<Check> self_check() {
    return {
        check_unary<float>("vsExp", vsExp, [](float x) { return expf(x); }, -80.f, 80.f, 4),
        check_unary<double>("vdExp", vdExp, [](double x) { return exp(x); }, -700., 700., 4),
        check_unary<float>("vsLn", vsLn, [](float x) { return logf(x); }, 1e-30f, 1e30f, 4),
        check_unary<double>("vdSin", vdSin, [](double x) { return sin(x); }, -100., 100., 4),
        check_unary<float>("vsCbrt", vsCbrt, [](float x) { return cbrtf(x); }, -1e6f, 1e6f, 4),
    };
}

// ---- report ----------------------------------------------------------------

struct Report {
    const char* debug;
    tvml::CpuFacts forced;  // facts of the selection as the library made it
    tvml::CpuFacts seen;    // facts of detection alone
    int index;
    std::string library;
    bool libmvec_loaded;
    std::vector<ArrayFunction> arrays;
    std::vector<ShortVectorFunction> shortvecs;
    std::vector<Binding> bindings;
    std::vector<Check> checks;
    bool passed;
};

void print_text(const Report& r) {
    std::printf("dazaro-tv %s (%s)\n", TVML_VERSION, r.library.empty() ? "?" : r.library.c_str());
    std::printf("architecture\n");
    std::printf("  selected:        %d (%s)\n", r.index, tvml::arch_name(r.index));
    std::printf("  vml_get_cpu_arch: %s\n", vml_get_cpu_arch());
    std::printf("  config:          \"%s\"\n", tarvovml_get_config());
    if (r.forced.refusal)
        std::printf("  VML_DEBUG_ARCH:  %s (forced index %d refused: %s; index 0 in use)\n", r.debug,
                    r.forced.forced_index, r.forced.refusal);
    else
        std::printf("  VML_DEBUG_ARCH:  %s%s\n", r.debug ? r.debug : "(unset)",
                    r.forced.forced ? " (forces the index)" : "");
    const tvml::CpuFacts& s = r.seen;
    std::printf("processor\n");
    std::printf("  vendor:          %s\n", s.vendor);
    std::printf("  family, model:   0x%X, 0x%X\n", s.family, s.model);
    std::printf("  AVX:             %s (XSAVE %s, OSXSAVE %s)\n", yes_no(s.avx), yes_no(s.xsave),
                yes_no(s.osxsave));
    std::printf("  OS AVX state:    %s\n", s.xgetbv_executed ? yes_no(s.os_avx_state) : "not queried");
    std::printf("  AVX2:            %s\n", yes_no(s.avx2));
    std::printf("  FMA:             %s\n", yes_no(s.fma));

    int tuned = 0;
    for (const ArrayFunction& f : r.arrays) tuned += f.kernel[r.index] != f.kernel[0];
    std::printf("kernels (--json lists each)\n");
    std::printf("  array functions: %d of %zu tuned\n", tuned, r.arrays.size());
    tuned = 0;
    for (const ShortVectorFunction& f : r.shortvecs) tuned += f.kernel[r.index] != f.kernel[0];
    std::printf("  short-vector functions: %d of %zu tuned\n", tuned, r.shortvecs.size());

    std::printf("vector-ABI names (_ZGV*) in this process\n");
    size_t ours = 0;
    for (const Binding& b : r.bindings) ours += b.object == r.library;
    std::printf("  %zu of %zu bind to dazaro-tv; libmvec %s\n", ours, r.bindings.size(),
                r.libmvec_loaded ? "loaded" : "not loaded");
    for (const Binding& b : r.bindings)
        if (b.object != r.library)
            std::printf("  %-22s -> %s\n", b.name.c_str(), b.object.empty() ? "(unresolved)" : b.object.c_str());
    if (ours != r.bindings.size())
        std::printf("  link dazaro-tv before -lm (and -lmvec) so that these names bind to dazaro-tv\n");

    std::printf("self-check against libm\n");
    for (const Check& c : r.checks)
        std::printf("  %-10s max error %.2f ulp  %s\n", c.name, c.max_ulp, c.ok ? "ok" : "FAILED");
    std::printf("self-check: %s\n", r.passed ? "passed" : "FAILED");
}

void print_json(const Report& r) {
    const tvml::CpuFacts& s = r.seen;
    std::printf("{\n  \"version\": %s,\n  \"library\": %s,\n", quoted(TVML_VERSION).c_str(),
                quoted(r.library.c_str()).c_str());
    std::printf("  \"processor\": {\"vendor\": %s, \"family\": %u, \"model\": %u, \"avx\": %s, \"xsave\": %s, "
                "\"osxsave\": %s, \"os_avx_state\": %s, \"avx2\": %s, \"fma\": %s},\n",
                quoted(s.vendor).c_str(), s.family, s.model, json_bool(s.avx), json_bool(s.xsave),
                json_bool(s.osxsave), json_bool(s.xgetbv_executed && s.os_avx_state), json_bool(s.avx2),
                json_bool(s.fma));
    std::printf("  \"selected\": {\"index\": %d, \"name\": %s},\n", r.index, quoted(tvml::arch_name(r.index)).c_str());
    std::printf("  \"vml_get_cpu_arch\": %s,\n  \"config\": %s,\n", quoted(vml_get_cpu_arch()).c_str(),
                quoted(tarvovml_get_config()).c_str());
    std::printf("  \"debug_arch\": {\"value\": %s, \"forced\": %s, \"forced_index\": ", quoted(r.debug).c_str(),
                json_bool(r.forced.forced));
    if (r.forced.forced) std::printf("%d", r.forced.forced_index);
    else std::printf("null");
    std::printf(", \"refused\": %s, \"reason\": %s},\n", json_bool(r.forced.refusal != nullptr),
                quoted(r.forced.refusal).c_str());

    std::printf("  \"array_functions\": [");
    for (size_t i = 0; i < r.arrays.size(); ++i)
        std::printf("%s\n    {\"name\": %s, \"kernel\": %s}", i ? "," : "", quoted(r.arrays[i].name).c_str(),
                    quoted(r.arrays[i].kernel[r.index].c_str()).c_str());
    std::printf("\n  ],\n  \"short_vector_functions\": [");
    static const char* const kShapes[4] = {"vs4", "vs8", "vd2", "vd4"};
    for (size_t i = 0; i < r.shortvecs.size(); ++i) {
        const ShortVectorFunction& f = r.shortvecs[i];
        std::printf("%s\n    {\"name\": %s, \"kernels\": [", i ? "," : "", quoted(f.name).c_str());
        for (int k = 0; k < 4; ++k) {
            const std::string kernel = std::string("tvml_") + kShapes[k] + "_" + f.name + "_" + f.kernel[r.index];
            std::printf("%s%s", k ? ", " : "", quoted(kernel.c_str()).c_str());
        }
        std::printf("]}");
    }
    std::printf("\n  ],\n  \"libmvec_loaded\": %s,\n  \"vector_abi\": [", json_bool(r.libmvec_loaded));
    for (size_t i = 0; i < r.bindings.size(); ++i) {
        const Binding& b = r.bindings[i];
        std::printf("%s\n    {\"name\": %s, \"object\": %s, \"dazaro_tv\": %s}", i ? "," : "",
                    quoted(b.name.c_str()).c_str(), b.object.empty() ? "null" : quoted(b.object.c_str()).c_str(),
                    json_bool(b.object == r.library));
    }
    std::printf("\n  ],\n  \"self_check\": {\"passed\": %s, \"functions\": [", json_bool(r.passed));
    for (size_t i = 0; i < r.checks.size(); ++i) {
        // JSON has no infinity or NaN: an error that is not finite is null.
        char ulp[32] = "null";
        if (std::isfinite(r.checks[i].max_ulp)) std::snprintf(ulp, sizeof ulp, "%.3f", r.checks[i].max_ulp);
        std::printf("%s\n    {\"name\": %s, \"max_ulp\": %s, \"ok\": %s}", i ? "," : "",
                    quoted(r.checks[i].name).c_str(), ulp, json_bool(r.checks[i].ok));
    }
    std::printf("\n  ]}\n}\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else {
            std::fprintf(stderr, "usage: %s [--json]\n", argv[0]);
            return 2;
        }
    }

    Report r;
    r.debug = std::getenv("VML_DEBUG_ARCH");
    r.index = tvml::select_arch(r.debug, tvml::HardwareProbe{}, &r.forced);
    tvml::select_arch(nullptr, tvml::HardwareProbe{}, &r.seen);
    r.library = object_of(reinterpret_cast<const void*>(&vml_get_cpu_arch));
    if (void* libmvec = dlopen("libmvec.so.1", RTLD_LAZY | RTLD_NOLOAD)) {
        r.libmvec_loaded = true;
        dlclose(libmvec);
    } else {
        r.libmvec_loaded = false;
    }
    r.arrays = array_functions();
    r.shortvecs = short_vector_functions();
    r.bindings = vector_abi_bindings();
    r.checks = self_check();
    r.passed = true;
    for (const Check& c : r.checks) r.passed &= c.ok;

    if (json) print_json(r);
    else print_text(r);
    return r.passed ? 0 : 1;
}
