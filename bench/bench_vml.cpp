// Throughput of the array kernels against their peers, in one run.
//
// For every array entry point of dazaro_tv_api.h and every size, the
// kernel that index 1 uses (and the index-2 kernel where it differs) is
// called by its exported name, next to the same work done by
//   libm       a scalar loop over the libm function of the element's precision
//   libmvec    glibc's 256-bit vector-ABI function looped over the array
//   sleef_u10, sleef_u35, sleef
//              SLEEF's AVX2 functions (1.0 and 3.5 ulp; no suffix where the
//              function is exact) looped over the array
//   plain      a plain element loop compiled at -O3 -mavx2 (add, sub, sqr,
//              floor)
// floor also runs its index-0 kernel (idx0), which is not a libm loop.
//   memcpy     a memcpy of the result's bytes (add, sub, sqr)
// asinh, acosh and atanh, which have short-vector kernels only, run as
// pseudo-entries vsAsinh ... vdAtanh whose idx1 is the 8-float (4-double)
// kernel looped over the array; so do the atan2 short-vector kernels, as
// vsAtan2_sv and vdAtan2_sv.
// Benchmark names are <entry>/<variant>/<n> (<entry>@1e4 for the runs of sin
// and cos over [-1e4, 1e4]); the label names the kernel.
// Each reports items_per_second and the user counters tsc_per_elem and
// cpu_tsc_per_elem (time-stamp-counter clocks per element: see measure())
// and bytes_per_elem (bytes read and written per element, for bandwidth
// comparisons).  bench/ratios.py turns the JSON output into ratio tables.
//
// Extra flag: --tvml_sizes=1000,100000,10000000 (the default).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <time.h>
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "loops.hpp"

namespace {

using namespace tvml_bench;

enum class Shape { Binary, Powx, Unary, Fixed, SinCos };
enum class Elem { S, D, C, Z };

constexpr Shape kShape_BINARY = Shape::Binary;
constexpr Shape kShape_POWX = Shape::Powx;
constexpr Shape kShape_UNARY = Shape::Unary;
constexpr Shape kShape_FIXED = Shape::Fixed;
constexpr Shape kShape_SINCOS = Shape::SinCos;
constexpr Elem kElem_TVML_S = Elem::S;
constexpr Elem kElem_TVML_D = Elem::D;
constexpr Elem kElem_TVML_C = Elem::C;
constexpr Elem kElem_TVML_Z = Elem::Z;

bool is_double(Elem e) { return e == Elem::D || e == Elem::Z; }
bool is_complex(Elem e) { return e == Elem::C || e == Elem::Z; }
size_t scalar_size(Elem e) { return is_double(e) ? sizeof(double) : sizeof(float); }

// ---------------------------------------------------------------------------
// The library side, expanded from the name tables.

struct Slot {
    const char* op;
    tvml_array_kernel index1;
    const char* index1_name;
    tvml_array_kernel index2;
    const char* index2_name;
};

#define BENCH_SLOT(slot, op, index1, index23)                                          \
    {#op, &TVML_ARRAY_KERNEL(op, index1), TVML_STR(TVML_ARRAY_KERNEL(op, index1)), \
     &TVML_ARRAY_KERNEL(op, index23), TVML_STR(TVML_ARRAY_KERNEL(op, index23))},
const Slot kSlots[] = {TVML_ARRAY_SLOTS(BENCH_SLOT)};
#undef BENCH_SLOT

struct Entry {
    const char* name;
    const char* op;
    Shape shape;
    Elem elem;
    uint64_t exponent_bits;  // FIXED entries: the exponent's bit pattern
};

#define BENCH_ENTRY(name, op, shape, type, exponent) \
    {#name, #op, kShape_##shape, kElem_##type, static_cast<uint64_t>(exponent)},
const Entry kEntries[] = {TVML_ARRAY_ENTRIES(BENCH_ENTRY)};
#undef BENCH_ENTRY

// Entry points measured a second time over a wider input range, under
// their name with the range's tag (the function list gives the range).
const Entry kWideEntries[] = {
    {"vsSin@1e4", "ssin", Shape::Unary, Elem::S, 0},
    {"vdSin@1e4", "dsin", Shape::Unary, Elem::D, 0},
    {"vsCos@1e4", "scos", Shape::Unary, Elem::S, 0},
    {"vdCos@1e4", "dcos", Shape::Unary, Elem::D, 0},
};

// Short-vector functions without an array entry point: the 8-float and
// 4-double kernel that every tuned table holds (named in op), looped over
// the array as the vector peers are, stands in for idx1.
#define BENCH_SV_ONLY(stem, fn)                                          \
    {"vs" #stem, "tvml_vs8_" #fn "_belisk", kShape_UNARY, kElem_TVML_S, 0}, \
        {"vd" #stem, "tvml_vd4_" #fn "_belisk", kShape_UNARY, kElem_TVML_D, 0},
// atan2's slots hold the portable kernel by design: its tuned short-vector
// kernels run as vsAtan2_sv and vdAtan2_sv.
#define BENCH_SV_ONLY2(stem, fn)                                          \
    {"vs" #stem "_sv", "tvml_vs8_" #fn "_belisk", kShape_BINARY, kElem_TVML_S, 0}, \
        {"vd" #stem "_sv", "tvml_vd4_" #fn "_belisk", kShape_BINARY, kElem_TVML_D, 0},
const Entry kShortVectorOnly[] = {BENCH_SV_ONLY(Asinh, asinh) BENCH_SV_ONLY(Acosh, acosh) BENCH_SV_ONLY(Atanh, atanh)
                                      BENCH_SV_ONLY2(Atan2, atan2)};
#undef BENCH_SV_ONLY
#undef BENCH_SV_ONLY2

const void* short_vector_kernel(const Entry& e) {
    for (const Entry& s : kShortVectorOnly)
        if (&s == &e) return dlsym(RTLD_DEFAULT, e.op);
    return nullptr;
}

const Slot* slot_of(const Entry& e) {
    for (const Slot& s : kSlots)
        if (std::strcmp(s.op, e.op) == 0) return &s;
    return nullptr;
}

// ---------------------------------------------------------------------------
// The peers' side: per function (the entry name without its vs/vd/vc/vz),
// the libm functions, the name stem of the vector-ABI and SLEEF functions
// and the input ranges.

using F1 = float (*)(float);
using D1 = double (*)(double);
using F2 = float (*)(float, float);
using D2 = double (*)(double, double);

struct Range {
    double lo, hi;
};

struct Function {
    const char* stem;
    F1 f1;
    D1 d1;
    F2 f2;
    D2 d2;
    const char* vec_name;  // libm name of the double function, or null
    Range a, b;            // input ranges of a and b (b.lo is powx's exponent)
};

#define LIBM1(name) static_cast<F1>(name##f), static_cast<D1>(name), nullptr, nullptr, #name
#define LIBM2(name) nullptr, nullptr, static_cast<F2>(name##f), static_cast<D2>(name), #name
#define NO_LIBM nullptr, nullptr, nullptr, nullptr, nullptr

const Function kFunctions[] = {
    {"Add", NO_LIBM, {-100, 100}, {-100, 100}},
    {"Sub", NO_LIBM, {-100, 100}, {-100, 100}},
    {"Sqr", NO_LIBM, {-100, 100}, {0, 0}},
    {"Pow", LIBM2(pow), {0.1, 10}, {-10, 10}},
    {"Powx", LIBM2(pow), {0.1, 10}, {1.7, 1.7}},
    {"Pow2o3", LIBM2(pow), {0, 1000}, {0, 0}},
    {"Pow3o2", LIBM2(pow), {0, 1000}, {0, 0}},
    {"Exp", LIBM1(exp), {-80, 80}, {0, 0}},
    {"Expm1", LIBM1(expm1), {-10, 10}, {0, 0}},
    {"Log10", LIBM1(log10), {1e-3, 1e3}, {0, 0}},
    {"Ln", LIBM1(log), {1e-3, 1e3}, {0, 0}},
    {"Log1p", LIBM1(log1p), {-0.9, 100}, {0, 0}},
    {"Floor", LIBM1(floor), {-1000, 1000}, {0, 0}},
    {"Sin", LIBM1(sin), {-100, 100}, {0, 0}},
    {"Cos", LIBM1(cos), {-100, 100}, {0, 0}},
    {"SinCos", NO_LIBM, {-100, 100}, {0, 0}},
    {"Tan", LIBM1(tan), {-100, 100}, {0, 0}},
    {"Sin@1e4", LIBM1(sin), {-1e4, 1e4}, {0, 0}},
    {"Cos@1e4", LIBM1(cos), {-1e4, 1e4}, {0, 0}},
    {"Asin", LIBM1(asin), {-1, 1}, {0, 0}},
    {"Acos", LIBM1(acos), {-1, 1}, {0, 0}},
    {"Atan", LIBM1(atan), {-100, 100}, {0, 0}},
    {"Atan2", LIBM2(atan2), {-100, 100}, {-100, 100}},
    {"Atan2_sv", LIBM2(atan2), {-100, 100}, {-100, 100}},
    {"Sinh", LIBM1(sinh), {-80, 80}, {0, 0}},
    {"Cosh", LIBM1(cosh), {-80, 80}, {0, 0}},
    {"Tanh", LIBM1(tanh), {-10, 10}, {0, 0}},
    {"Asinh", LIBM1(asinh), {-100, 100}, {0, 0}},
    {"Acosh", LIBM1(acosh), {1, 100}, {0, 0}},
    {"Atanh", LIBM1(atanh), {-0.99, 0.99}, {0, 0}},
    {"Cbrt", LIBM1(cbrt), {-1000, 1000}, {0, 0}},
};
#undef LIBM1
#undef LIBM2
#undef NO_LIBM

// Functions not in the list above still run, on inputs in [0.5, 2].
const Function kUnknown = {"", nullptr, nullptr, nullptr, nullptr, nullptr, {0.5, 2}, {0.5, 2}};

const Function& function_of(const Entry& e) {
    for (const Function& f : kFunctions)
        if (std::strcmp(f.stem, e.name + 2) == 0) return f;
    return kUnknown;
}

bool is_arith(const Function& f) {
    return !std::strcmp(f.stem, "Add") || !std::strcmp(f.stem, "Sub") || !std::strcmp(f.stem, "Sqr");
}

// The exponent that POWX and FIXED entries raise to.
double exponent_of(const Entry& e, const Function& f) {
    if (e.shape != Shape::Fixed) return f.b.lo;
    if (is_double(e.elem)) {
        double x;
        std::memcpy(&x, &e.exponent_bits, sizeof x);
        return x;
    }
    const uint32_t bits = static_cast<uint32_t>(e.exponent_bits);
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// ---------------------------------------------------------------------------
// Peer libraries, opened privately so that their vector-ABI names cannot
// be bound to dazaro-tv's functions of the same names.

struct Peer {
    void* handle = nullptr;
    std::string path;
};

Peer g_libmvec, g_sleef;
std::string g_our_path;

std::string object_of(const void* address) {
    Dl_info info;
    if (address && dladdr(address, &info) && info.dli_fname) return info.dli_fname;
    return "?";
}

Peer open_peer(const char* soname, const char* probe) {
    Peer p;
    p.handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!p.handle) {
        std::fprintf(stderr, "bench_vml: %s not available (%s): its baselines are left out\n", soname,
                     dlerror());
        return p;
    }
    p.path = object_of(dlsym(p.handle, probe));
    return p;
}

// The symbol `name` of a peer, checked to come from that peer's own file
// and not from dazaro-tv.
const void* peer_symbol(const Peer& p, const std::string& name) {
    if (!p.handle) return nullptr;
    const void* sym = dlsym(p.handle, name.c_str());
    if (!sym) return nullptr;
    const std::string where = object_of(sym);
    if (where != p.path || where == g_our_path) {
        std::fprintf(stderr, "bench_vml: %s resolved into %s, not %s\n", name.c_str(), where.c_str(),
                     p.path.c_str());
        std::abort();
    }
    return sym;
}

std::string libmvec_name(const Entry& e, const Function& f, bool two_args) {
    return std::string(is_double(e.elem) ? "_ZGVdN4" : "_ZGVdN8") + (two_args ? "vv_" : "v_") +
           f.vec_name + (is_double(e.elem) ? "" : "f");
}

std::string sleef_name(const Entry& e, const char* vec_name, const char* accuracy) {
    return std::string("Sleef_") + vec_name + (is_double(e.elem) ? "d4_" : "f8_") + accuracy + "avx2";
}

// ---------------------------------------------------------------------------
// Data: inputs drawn once per (entry, n) and kept while the benchmarks of
// that entry and size run (they are registered next to each other).

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char[], FreeDeleter>;

Buffer allocate(size_t bytes) {
    const size_t rounded = (bytes + 63) / 64 * 64;
    void* p = std::aligned_alloc(64, rounded ? rounded : 64);
    if (!p) {
        std::fprintf(stderr, "bench_vml: out of memory (%zu bytes)\n", bytes);
        std::abort();
    }
    std::memset(p, 0, rounded);  // also faults the pages in
    return Buffer(static_cast<unsigned char*>(p));
}

template <class T>
void fill(void* p, size_t count, Range range, uint64_t seed) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> dist(range.lo, range.hi);
    T* x = static_cast<T*>(p);
    for (size_t i = 0; i < count; ++i) x[i] = static_cast<T>(dist(gen));
}

struct Data {
    const Entry* entry = nullptr;
    int64_t n = 0;
    Buffer a, b, r, r2;
    double exponent = 0;  // POWX and FIXED
};

Data g_data;

Data& data_for(const Entry& e, int64_t n) {
    if (g_data.entry == &e && g_data.n == n) return g_data;
    g_data = Data{};
    const Function& f = function_of(e);
    const size_t count = static_cast<size_t>(n) * (is_complex(e.elem) ? 2 : 1);
    const size_t bytes = count * scalar_size(e.elem);
    g_data.a = allocate(bytes);
    g_data.b = allocate(bytes);
    g_data.r = allocate(bytes);
    g_data.r2 = allocate(bytes);
    if (is_double(e.elem)) {
        fill<double>(g_data.a.get(), count, f.a, 1);
        fill<double>(g_data.b.get(), count, f.b, 2);
    } else {
        fill<float>(g_data.a.get(), count, f.a, 1);
        fill<float>(g_data.b.get(), count, f.b, 2);
    }
    g_data.exponent = exponent_of(e, f);
    g_data.entry = &e;
    g_data.n = n;
    return g_data;
}

// ---------------------------------------------------------------------------
// One benchmark: `run` does the whole array once.

using Run = std::function<void(Data&)>;

struct Case {
    const Entry* entry;
    int64_t n;
    Run run;
    double bytes_per_elem;
};

// Time-stamp-counter clocks per second, measured once against the steady
// clock.
double tsc_hz() {
    static const double hz = [] {
        const auto w0 = std::chrono::steady_clock::now();
        const uint64_t t0 = __rdtsc();
        while (std::chrono::steady_clock::now() - w0 < std::chrono::milliseconds(50)) {
        }
        const uint64_t t1 = __rdtsc();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - w0;
        return static_cast<double>(t1 - t0) / wall.count();
    }();
    return hz;
}

double thread_cpu_seconds() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Two clock counts per element:
//   tsc_per_elem      the median over the iterations of each iteration's
//                     time-stamp-counter delta: an iteration the scheduler
//                     interrupts does not move it while most are not (short
//                     iterations, n in L1 or L2);
//   cpu_tsc_per_elem  the thread's CPU time over all iterations, in time-
//                     stamp-counter clocks: unaffected by preemption even
//                     when every iteration is interrupted (n in memory on a
//                     shared machine).
void measure(benchmark::State& state, const Case& c) {
    Data& d = data_for(*c.entry, c.n);
    std::vector<uint64_t> clocks;
    clocks.reserve(static_cast<size_t>(state.max_iterations));
    const double cpu0 = thread_cpu_seconds();
    for (auto _ : state) {
        const uint64_t t0 = __rdtsc();
        c.run(d);
        benchmark::ClobberMemory();
        clocks.push_back(__rdtsc() - t0);
    }
    const double cpu = thread_cpu_seconds() - cpu0;
    const double n = static_cast<double>(c.n);
    const double elements = static_cast<double>(state.iterations()) * n;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * c.n);
    if (!clocks.empty()) {
        auto mid = clocks.begin() + static_cast<std::ptrdiff_t>(clocks.size() / 2);
        std::nth_element(clocks.begin(), mid, clocks.end());
        state.counters["tsc_per_elem"] = static_cast<double>(*mid) / n;
        state.counters["cpu_tsc_per_elem"] = cpu * tsc_hz() / elements;
    }
    state.counters["bytes_per_elem"] = c.bytes_per_elem;
}

// Registers with a label: the kernel or library function measured.
void add(const Entry& e, const char* variant, const std::string& label, int64_t n,
         double bytes_per_elem, Run run) {
    const std::string name = std::string(e.name) + "/" + variant + "/" + std::to_string(n);
    Case c{&e, n, std::move(run), bytes_per_elem};
    benchmark::RegisterBenchmark(name.c_str(), [c, label](benchmark::State& s) {
        measure(s, c);
        s.SetLabel(label);
    })->Unit(benchmark::kMicrosecond);
}

size_t element_bytes(const Entry& e) { return scalar_size(e.elem) * (is_complex(e.elem) ? 2 : 1); }

// Arrays read and written per element, in bytes.
double traffic(const Entry& e) {
    const double elem = static_cast<double>(element_bytes(e));
    switch (e.shape) {
        case Shape::Binary:
        case Shape::SinCos:
            return 3 * elem;
        default:
            return 2 * elem;
    }
}

// The kernel of our library, called as the entry point calls it.
Run kernel_run(const Entry& e, tvml_array_kernel k) {
    switch (e.shape) {
        case Shape::Binary:
            return [k](Data& d) { k(d.n, d.a.get(), d.b.get(), d.r.get(), nullptr, 0); };
        case Shape::Unary:
            return [k](Data& d) { k(d.n, d.a.get(), nullptr, d.r.get(), nullptr, 0); };
        case Shape::SinCos:
            return [k](Data& d) { k(d.n, d.a.get(), nullptr, d.r.get(), d.r2.get(), 0); };
        case Shape::Powx:
        case Shape::Fixed:
            if (is_double(e.elem))
                return [k](Data& d) {
                    const double b = d.exponent;
                    k(d.n, d.a.get(), &b, d.r.get(), nullptr, 0);
                };
            return [k](Data& d) {
                const float b = static_cast<float>(d.exponent);
                k(d.n, d.a.get(), &b, d.r.get(), nullptr, 0);
            };
    }
    return nullptr;
}

template <class T>
T* as(Buffer& b) {
    return reinterpret_cast<T*>(b.get());
}

// Scalar libm loop; null when the function has no libm counterpart.
Run libm_run(const Entry& e, const Function& f) {
    const bool dbl = is_double(e.elem);
    if (!std::strcmp(f.stem, "SinCos")) {
        if (dbl)
            return [](Data& d) {
                const double* a = as<double>(d.a);
                double *s = as<double>(d.r), *c = as<double>(d.r2);
                for (int64_t i = 0; i < d.n; ++i) sincos(a[i], &s[i], &c[i]);
            };
        return [](Data& d) {
            const float* a = as<float>(d.a);
            float *s = as<float>(d.r), *c = as<float>(d.r2);
            for (int64_t i = 0; i < d.n; ++i) sincosf(a[i], &s[i], &c[i]);
        };
    }
    if (is_complex(e.elem)) return nullptr;
    if (f.f1 && !dbl)
        return [fn = f.f1](Data& d) {
            const float* a = as<float>(d.a);
            float* r = as<float>(d.r);
            for (int64_t i = 0; i < d.n; ++i) r[i] = fn(a[i]);
        };
    if (f.d1 && dbl)
        return [fn = f.d1](Data& d) {
            const double* a = as<double>(d.a);
            double* r = as<double>(d.r);
            for (int64_t i = 0; i < d.n; ++i) r[i] = fn(a[i]);
        };
    if (!f.f2) return nullptr;
    const bool fixed_b = e.shape == Shape::Powx || e.shape == Shape::Fixed;
    if (dbl)
        return [fn = f.d2, fixed_b](Data& d) {
            const double *a = as<double>(d.a), *b = as<double>(d.b);
            double* r = as<double>(d.r);
            for (int64_t i = 0; i < d.n; ++i) r[i] = fn(a[i], fixed_b ? d.exponent : b[i]);
        };
    return [fn = f.f2, fixed_b](Data& d) {
        const float *a = as<float>(d.a), *b = as<float>(d.b);
        float* r = as<float>(d.r);
        const float x = static_cast<float>(d.exponent);
        for (int64_t i = 0; i < d.n; ++i) r[i] = fn(a[i], fixed_b ? x : b[i]);
    };
}

// A 256-bit peer function looped over the array; `pair` for functions
// returning two registers (sincos).
Run vector_run(const Entry& e, const void* fn, bool pair) {
    const bool dbl = is_double(e.elem);
    if (pair)
        return dbl ? Run([fn](Data& d) { vec_pair_d4(fn, d.n, as<double>(d.a), as<double>(d.r), as<double>(d.r2)); })
                   : Run([fn](Data& d) { vec_pair_f8(fn, d.n, as<float>(d.a), as<float>(d.r), as<float>(d.r2)); });
    switch (e.shape) {
        case Shape::Binary:
            return dbl ? Run([fn](Data& d) {
                       vec_binary_d4(fn, d.n, as<double>(d.a), as<double>(d.b), as<double>(d.r));
                   })
                       : Run([fn](Data& d) {
                             vec_binary_f8(fn, d.n, as<float>(d.a), as<float>(d.b), as<float>(d.r));
                         });
        case Shape::Powx:
        case Shape::Fixed:
            return dbl ? Run([fn](Data& d) { vec_powx_d4(fn, d.n, as<double>(d.a), d.exponent, as<double>(d.r)); })
                       : Run([fn](Data& d) {
                             vec_powx_f8(fn, d.n, as<float>(d.a), static_cast<float>(d.exponent), as<float>(d.r));
                         });
        default:
            return dbl ? Run([fn](Data& d) { vec_unary_d4(fn, d.n, as<double>(d.a), as<double>(d.r)); })
                       : Run([fn](Data& d) { vec_unary_f8(fn, d.n, as<float>(d.a), as<float>(d.r)); });
    }
}

// Plain -O3 -mavx2 loop of add, sub or sqr over the element's scalars.
Run plain_run(const Entry& e, const Function& f) {
    const bool dbl = is_double(e.elem);
    const int64_t scale = is_complex(e.elem) ? 2 : 1;
    const char op = f.stem[1];  // Add, Sub, Sqr
    if (op == 'd')
        return dbl ? Run([scale](Data& d) { plain_add_d(scale * d.n, as<double>(d.a), as<double>(d.b), as<double>(d.r)); })
                   : Run([scale](Data& d) { plain_add_f(scale * d.n, as<float>(d.a), as<float>(d.b), as<float>(d.r)); });
    if (op == 'u')
        return dbl ? Run([scale](Data& d) { plain_sub_d(scale * d.n, as<double>(d.a), as<double>(d.b), as<double>(d.r)); })
                   : Run([scale](Data& d) { plain_sub_f(scale * d.n, as<float>(d.a), as<float>(d.b), as<float>(d.r)); });
    return dbl ? Run([scale](Data& d) { plain_sqr_d(scale * d.n, as<double>(d.a), as<double>(d.r)); })
               : Run([scale](Data& d) { plain_sqr_f(scale * d.n, as<float>(d.a), as<float>(d.r)); });
}

bool is_floor(const Function& f) { return !std::strcmp(f.stem, "Floor"); }

// Plain -O3 -mavx2 loop over floorf or floor.
Run plain_floor_run(const Entry& e) {
    if (is_double(e.elem)) return [](Data& d) { plain_floor_d(d.n, as<double>(d.a), as<double>(d.r)); };
    return [](Data& d) { plain_floor_f(d.n, as<float>(d.a), as<float>(d.r)); };
}

bool has_avx2_fma() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

bool is_portable(const char* kernel) {
    const size_t len = std::strlen(kernel);
    return len >= 8 && std::strcmp(kernel + len - 8, "_generic") == 0;
}

void register_entry(const Entry& e, int64_t n, bool vector_ok) {
    const Slot* slot = slot_of(e);
    const Function& f = function_of(e);
    const double bytes = traffic(e);
    if (slot) {
        if (vector_ok || is_portable(slot->index1_name))
            add(e, "idx1", slot->index1_name, n, bytes, kernel_run(e, slot->index1));
        if (slot->index2 != slot->index1 && (vector_ok || is_portable(slot->index2_name)))
            add(e, "idx2", slot->index2_name, n, bytes, kernel_run(e, slot->index2));
    } else if (const void* kernel = short_vector_kernel(e)) {
        if (vector_ok) add(e, "idx1", e.op, n, bytes, vector_run(e, kernel, false));
    }
    if (Run r = libm_run(e, f)) {
        const char* dbl = is_double(e.elem) ? "" : "f";
        const std::string label = std::string(std::strcmp(f.stem, "SinCos") ? f.vec_name : "sincos") + dbl;
        add(e, "libm", label, n, bytes, std::move(r));
    }
    if (is_floor(f)) {
        const tvml_array_kernel portable = is_double(e.elem) ? dfloor_generic : sfloor_generic;
        add(e, "idx0", is_double(e.elem) ? "dfloor_generic" : "sfloor_generic", n, bytes, kernel_run(e, portable));
        if (vector_ok) add(e, "plain", "-O3 -mavx2 loop", n, bytes, plain_floor_run(e));
    }
    if (is_arith(f)) {
        if (vector_ok) add(e, "plain", "-O3 -mavx2 loop", n, bytes, plain_run(e, f));
        const size_t elem = element_bytes(e);
        add(e, "memcpy", "memcpy", n, 2.0 * elem,
            [elem](Data& d) { std::memcpy(d.r.get(), d.a.get(), elem * d.n); });
        return;
    }
    if (!vector_ok || is_complex(e.elem)) return;
    const bool sincos = !std::strcmp(f.stem, "SinCos");
    const char* vec_name = sincos ? "sincos" : f.vec_name;
    if (!vec_name) return;
    const bool two_args = e.shape != Shape::Unary;
    // libmvec's sincos returns through vectors of pointers: not compared.
    if (!sincos) {
        const std::string name = libmvec_name(e, f, two_args);
        if (const void* fn = peer_symbol(g_libmvec, name)) add(e, "libmvec", name, n, bytes, vector_run(e, fn, false));
    }
    bool sleef_any = false;
    for (const char* accuracy : {"u10", "u35"}) {
        const std::string name = sleef_name(e, vec_name, accuracy);
        if (const void* fn = peer_symbol(g_sleef, name)) {
            add(e, accuracy[1] == '1' ? "sleef_u10" : "sleef_u35", name, n, bytes, vector_run(e, fn, sincos));
            sleef_any = true;
        }
    }
    if (!sleef_any) {
        const std::string name = sleef_name(e, vec_name, "");
        if (const void* fn = peer_symbol(g_sleef, name)) add(e, "sleef", name, n, bytes, vector_run(e, fn, sincos));
    }
}

// Removes --tvml_sizes=... from argv; returns the sizes.
std::vector<int64_t> take_sizes(int* argc, char** argv) {
    std::vector<int64_t> sizes = {1000, 100000, 10000000};
    const char* flag = "--tvml_sizes=";
    int out = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) != 0) {
            argv[out++] = argv[i];
            continue;
        }
        sizes.clear();
        const char* p = argv[i] + std::strlen(flag);
        while (*p) {
            char* end = nullptr;
            const long long v = std::strtoll(p, &end, 10);
            if (end == p || v <= 0 || v > INT32_MAX) {
                std::fprintf(stderr, "bench_vml: bad size list %s\n", argv[i]);
                std::exit(2);
            }
            sizes.push_back(v);
            p = *end == ',' ? end + 1 : end;
        }
    }
    *argc = out;
    argv[out] = nullptr;
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<int64_t> sizes = take_sizes(&argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const bool vector_ok = has_avx2_fma();
    g_our_path = object_of(reinterpret_cast<const void*>(&vml_get_cpu_arch));
    if (vector_ok) {
        g_libmvec = open_peer("libmvec.so.1", "_ZGVdN8v_expf");
        g_sleef = open_peer("libsleef.so.3", "Sleef_expf8_u10avx2");
    }
    benchmark::AddCustomContext("dazaro-tv", g_our_path + " (" + vml_get_cpu_arch() + ")");
    benchmark::AddCustomContext("libmvec", g_libmvec.handle ? g_libmvec.path : "not loaded");
    benchmark::AddCustomContext("sleef", g_sleef.handle ? g_sleef.path : "not loaded");
    benchmark::AddCustomContext("tsc_hz", std::to_string(tsc_hz()));

    for (const Entry& e : kEntries)
        for (const int64_t n : sizes) register_entry(e, n, vector_ok);
    for (const Entry& e : kWideEntries)
        for (const int64_t n : sizes) register_entry(e, n, vector_ok);
    for (const Entry& e : kShortVectorOnly)
        for (const int64_t n : sizes) register_entry(e, n, vector_ok);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
