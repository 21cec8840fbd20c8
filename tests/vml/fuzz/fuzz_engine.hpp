// The differential fuzzer: every exported kernel of a function (the tuned
// array kernels of every dispatch-table index and their exported copies,
// the entry points and short-vector names as this process dispatches them,
// the tuned short-vector kernels in every lane position) run on the same
// inputs and compared with the portable kernel (libm per element) for the
// class of the result, and with the MPFR reference for the declared ULP
// bound inside the declared intervals (accuracy.def through accuracy.hpp).
// Arithmetic and rounding kernels, which have no declaration, must equal
// the portable kernel bit for bit.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "family_harness.hpp"
#include "fuzz_inputs.hpp"

namespace tvml_fuzz {

using tvml_accuracy::Box;
using tvml_test::Shape;

// ---- what is run ----------------------------------------------------------

enum class Kind { ArrayKernel, Entry, Register };
enum class EntryShape { None, Unary, Binary, Powx, Fixed, SinCos };

struct Target {
    std::string name;
    Kind kind = Kind::ArrayKernel;
    EntryShape entry = EntryShape::None;
    Shape shape = Shape::F4;  // registers
    bool powx = false;        // one exponent per call (powx kernels, entries)
    bool has_fixed = false;   // exponent fixed by the entry point
    double fixed = 0;
    int output = 1;      // 2: the second output (cosines of sincos)
    bool exact = false;  // must equal the portable kernel bit for bit
    double max_ulp = 0;
    void* fn = nullptr;
    // statistics
    uint64_t tried = 0, mismatches = 0;
    uint64_t libm_limited = 0;  // beyond the bound, but equal to the portable kernel
    std::string libm_example;
    // Outside the declared intervals no bound applies: the largest distance
    // from the portable kernel's finite result, reported only.
    double outside_steps = 0;
    std::string outside_example;
    double seconds = 0, worst_ulp = 0;
    std::vector<std::string> examples;
};

// One function in one precision and everything that computes it.
struct Group {
    std::string function;  // exp, pow, sincos, add, floor
    bool is_float = true;
    int arity = 1;          // 1 or 2
    bool complex = false;   // interleaved pairs (cadd): kernel counts are halved
    bool mask = false;      // sqrt_mask: y is the lane mask
    std::string reference;  // libm name of the first output ("" for exact groups)
    std::string second;     // libm name of the second output, or ""
    std::string portable;   // op_generic, or "" (libm is the portable kernel)
    std::vector<Box> boxes;
    std::string worst;
    std::vector<Target> targets;
    double reference_seconds = 0;
    uint64_t reference_count = 0;

    std::string label() const { return function + (complex ? "_complex" : "") + (is_float ? "_float" : "_double"); }
};

// Results that may differ from the portable kernel's outside the declared
// intervals: the behaviours the kernels document.
enum class Allowance {
    OverflowToInf,  // +-inf where 2^n has no float or double but the result is finite
    InfToLargest,   // the largest finite value where the result overflows
    PositiveZero,   // +0 for a -0 result
    SquareSum,      // unscaled x x + y y: +inf when it overflows, precision lost when it underflows
};
struct AllowanceRow {
    const char* function;
    int precision;  // 1 float, 2 double, 3 both
    Allowance allowance;
};
inline const std::vector<AllowanceRow>& allowances() {
    static const std::vector<AllowanceRow> rows = {
        {"exp", 3, Allowance::OverflowToInf},
        {"exp10", 3, Allowance::OverflowToInf},
        {"expm1", 3, Allowance::OverflowToInf},
        {"sinh", 3, Allowance::OverflowToInf},
        {"cosh", 3, Allowance::OverflowToInf},
        {"pow", 1, Allowance::OverflowToInf},
        // double cosh, and the float cosh of one table
        {"cosh", 3, Allowance::InfToLargest},
        // tanh(-0), cbrt(-0) and float expm1(-0) are +0 by their algorithms
        {"tanh", 3, Allowance::PositiveZero},
        {"cbrt", 3, Allowance::PositiveZero},
        {"expm1", 1, Allowance::PositiveZero},
        {"hypot", 3, Allowance::SquareSum},
    };
    return rows;
}
inline bool allowed(const std::string& function, bool is_float, Allowance a) {
    for (const AllowanceRow& r : allowances())
        if (function == r.function && r.allowance == a && (r.precision & (is_float ? 1 : 2))) return true;
    return false;
}

// ---- the groups, from the name tables and accuracy.def -------------------

inline bool is_tuned_process() { return std::string(vml_get_cpu_arch()) != "generic"; }

// Entry points of an array op: X(name, op, shape, type, exponent).
struct EntryRow {
    const char* name;
    const char* op;
    EntryShape shape;
    bool complex;
    uint64_t exponent_bits;
};
#define TVML_FUZZ_ENTRY_SHAPE_UNARY EntryShape::Unary
#define TVML_FUZZ_ENTRY_SHAPE_BINARY EntryShape::Binary
#define TVML_FUZZ_ENTRY_SHAPE_POWX EntryShape::Powx
#define TVML_FUZZ_ENTRY_SHAPE_FIXED EntryShape::Fixed
#define TVML_FUZZ_ENTRY_SHAPE_SINCOS EntryShape::SinCos
#define TVML_FUZZ_ENTRY(name, op, shape, type, exponent)                                                          \
    {#name, #op, TVML_FUZZ_ENTRY_SHAPE_##shape, std::string(#type) == "TVML_C" || std::string(#type) == "TVML_Z", \
     uint64_t(exponent)},
inline const std::vector<EntryRow>& entry_rows() {
    static const std::vector<EntryRow> v = {TVML_ARRAY_ENTRIES(TVML_FUZZ_ENTRY)};
    return v;
}
#undef TVML_FUZZ_ENTRY

// The dispatched short-vector names of a function: tvml_, vector-ABI, __svml_.
struct SvNames {
    const char* fn;
    const char* names[4][3];  // vs4, vs8, vd2, vd4
};
#define TVML_FUZZ_SV(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    {#fn,                                                                  \
     {{"tvml_vs4_" #fn, "_ZGVbN4" #args "_" #abi "f", #f4},                \
      {"tvml_vs8_" #fn, "_ZGVdN8" #args "_" #abi "f", #f8},                \
      {"tvml_vd2_" #fn, "_ZGVbN2" #args "_" #abi, #d2},                    \
      {"tvml_vd4_" #fn, "_ZGVdN4" #args "_" #abi, #d4}}},
inline const std::vector<SvNames>& sv_names() {
    static const std::vector<SvNames> v = {TVML_SV_FUNCS(TVML_FUZZ_SV)};
    return v;
}
#undef TVML_FUZZ_SV

inline void* symbol(const std::string& name) { return dlsym(RTLD_DEFAULT, name.c_str()); }

inline void add_target(Group& g, Target t) {
    for (const Target& o : g.targets)
        if (o.name == t.name && o.output == t.output && o.kind == t.kind) return;
    t.fn = symbol(t.name);
    g.targets.push_back(t);
}

// Entry points of op (and of op + "x" for the exponent forms), both outputs
// of sincos; exact when this process runs the portable tables.
inline void add_entries(Group& g, const std::string& op, bool exact, double max_ulp) {
    for (const EntryRow& e : entry_rows()) {
        const std::string eop = e.op;
        if (eop != op && eop != op + "x") continue;
        for (int output = 1; output <= (e.shape == EntryShape::SinCos ? 2 : 1); ++output) {
            Target t;
            t.name = e.name;
            t.kind = Kind::Entry;
            t.entry = e.shape;
            t.powx = e.shape == EntryShape::Powx || e.shape == EntryShape::Fixed;
            if (e.shape == EntryShape::Fixed) {
                t.has_fixed = true;
                t.fixed = g.is_float ? double(from_bits<float>(uint32_t(e.exponent_bits)))
                                     : from_bits<double>(e.exponent_bits);
            }
            t.output = output;
            t.exact = exact;
            t.max_ulp = max_ulp;
            add_target(g, t);
        }
    }
}

inline std::vector<Group> make_groups() {
    std::vector<Group> groups;
    const bool tuned = is_tuned_process();
    for (const tvml_accuracy::Declaration& d : tvml_accuracy::declarations()) {
        Group g;
        g.function = d.function;
        g.is_float = d.is_float;
        g.mask = d.function == "sqrt_mask";
        g.arity = d.arity == 1 && !g.mask ? 1 : 2;
        g.reference = d.reference;
        g.second = d.second;
        g.boxes = tvml_accuracy::intervals_of(d.intervals, d.arity);
        g.worst = d.worst;
        const std::string op = (d.is_float ? "s" : "d") + d.function;
        if (symbol(op + "_generic")) g.portable = op + "_generic";
        for (const tvml_accuracy::KernelRow& r : tvml_accuracy::expand(d)) {
            Target t;
            t.name = r.kernel;
            t.output = r.output;
            t.max_ulp = r.max_ulp;
            if (family::is_short_vector(r.kernel)) {
                t.kind = Kind::Register;
                t.shape = family::shape_of(r.kernel);
            } else {
                t.powx = r.arity == 3;
            }
            add_target(g, t);
        }
        for (const SvNames& s : sv_names()) {
            if (d.function != s.fn) continue;
            for (const Shape shape : d.is_float ? family::float_shapes() : family::double_shapes())
                for (const char* name : s.names[int(shape)]) {
                    Target t;
                    t.name = name;
                    t.kind = Kind::Register;
                    t.shape = shape;
                    t.exact = !tuned;
                    t.max_ulp = d.max_ulp;
                    add_target(g, t);
                }
        }
        add_entries(g, op, !tuned, d.max_ulp);
        groups.push_back(g);
    }
    // Slots without a declaration (arithmetic, floor): tuned kernels and
    // entry points bit for bit as the portable kernel.
    for (const tvml_accuracy::detail::Slot& s : tvml_accuracy::detail::slots()) {
        const std::string op = s.op;
        bool declared = false;
        for (const tvml_accuracy::Declaration& d : tvml_accuracy::declarations())
            declared = declared || op.substr(1) == d.function || op.substr(1) == d.function + "x";
        if (declared) continue;
        Group g;
        g.function = op.substr(1);
        g.is_float = op[0] == 's' || op[0] == 'c';
        g.complex = op[0] == 'c' || op[0] == 'z';
        g.arity = g.function == "add" || g.function == "sub" ? 2 : 1;
        g.portable = op + "_generic";
        for (const char* variant : {s.index1, s.index23}) {
            if (!*variant) continue;
            Target t;
            t.name = op + "_" + variant;
            t.exact = true;
            add_target(g, t);
        }
        add_entries(g, op, true, 0);
        groups.push_back(g);
    }
    return groups;
}

// ---- inputs ----------------------------------------------------------------

constexpr size_t kRun = 64;  // inputs sharing one exponent (powx calls)

// Inputs of one round: for two arguments, whole runs of kRun sharing y
// first (the powx kernels read those), then independent pairs.
template <class T>
struct Inputs {
    std::vector<T> x, y;
    size_t runs = 0;  // x[0, runs * kRun) is in runs of one y
};

template <class T>
Inputs<T> make_inputs(const Group& g, size_t count, uint64_t seed) {
    Inputs<T> in;
    const std::vector<T> specials = special_values<T>();
    std::vector<T> ex = band_edges<T>(g.function, 0, g.boxes, g.worst);
    std::vector<T> ey = g.arity == 2 && !g.mask ? band_edges<T>(g.function, 1, g.boxes, g.worst) : std::vector<T>{};
    RandomSource<T> random(seed, g.boxes, ex, ey.empty() ? ex : ey);
    std::vector<T> xs = specials;
    xs.insert(xs.end(), ex.begin(), ex.end());
    if (g.arity == 1) {
        in.x = xs;
        while (in.x.size() < count || (g.complex && in.x.size() % 2)) in.x.push_back(random.next(0));
        in.y.assign(in.x.size(), T(1));
        return in;
    }
    if (g.mask) {
        using B = BitsOf<T>;
        in.x = xs;
        while (in.x.size() < count) in.x.push_back(random.next(0));
        for (size_t i = 0; i < in.x.size(); ++i) {
            const uint64_t r = random.bits();
            const B m = r % 3 == 0 ? B(0) : r % 3 == 1 ? ~B(0) : B(random.bits());
            in.y.push_back(from_bits<T>(m));
        }
        return in;
    }
    // Runs: every special and edge exponent against the x specials and edges
    // (padded with random x), then random exponents.
    std::vector<T> ys = specials;
    ys.insert(ys.end(), ey.begin(), ey.end());
    const auto add_run = [&](T y) {
        for (size_t i = 0; i < kRun; ++i) {
            in.x.push_back(i < xs.size() && random.bits() % 2 ? xs[(i + in.runs * 7) % xs.size()] : random.next(0));
            in.y.push_back(y);
        }
        ++in.runs;
    };
    for (T y : ys) add_run(y);
    // x cross y for the specials and edges as independent pairs
    for (T y : ys)
        for (size_t i = 0; i < xs.size(); i += 1 + xs.size() / 24) {
            in.x.push_back(xs[i]);
            in.y.push_back(y);
        }
    while (in.x.size() < count / 2) add_run(random.next(1));
    while (in.x.size() < count || (g.complex && in.x.size() % 2)) {
        in.x.push_back(random.next(0));
        in.y.push_back(random.next(1));
    }
    return in;
}

// ---- reference -------------------------------------------------------------

template <class T>
struct Expected {
    std::vector<T> portable, portable2;  // the portable kernel's outputs
    // libm with signalling NaN inputs made quiet: the kernels do not tell
    // the two NaN kinds apart (pow(sNaN, 0) = 1 as for any other NaN).
    std::vector<char> has_quiet;
    std::vector<T> quiet;
    std::vector<char> inside;  // within the declared intervals
    std::vector<tvml_ulp::RefValue<T>> ref, ref2;
};

template <class T>
T masked(T x, T m) {
    return from_bits<T>(tvml_test::bits_of(x) & tvml_test::bits_of(m));
}

template <class T>
bool is_signalling(T v) {
    constexpr BitsOf<T> quiet_bit = BitsOf<T>(1) << (std::numeric_limits<T>::digits - 2);
    return std::isnan(v) && !(tvml_test::bits_of(v) & quiet_bit);
}
template <class T>
T quieted(T v) {
    constexpr BitsOf<T> quiet_bit = BitsOf<T>(1) << (std::numeric_limits<T>::digits - 2);
    return is_signalling(v) ? from_bits<T>(tvml_test::bits_of(v) | quiet_bit) : v;
}

template <class T>
bool in_boxes(const Group& g, T x, T y) {
    for (const Box& b : g.boxes)
        if (double(x) >= b.xlo && double(x) <= b.xhi &&
            (g.arity == 1 || g.mask || (double(y) >= b.ylo && double(y) <= b.yhi)))
            return true;
    return false;
}

template <class T>
Expected<T> expected(Group& g, const Inputs<T>& in) {
    const auto start = std::chrono::steady_clock::now();
    Expected<T> e;
    const size_t n = in.x.size();
    e.portable.resize(n);
    e.portable2.resize(n);
    if (!g.portable.empty()) {
        const auto k = reinterpret_cast<tvml_array_kernel>(symbol(g.portable));
        const int64_t count = g.complex ? int64_t(n / 2) : int64_t(n);
        k(count, in.x.data(), g.arity == 2 ? in.y.data() : nullptr, e.portable.data(), e.portable2.data(), 0);
    } else {
        // The portable short-vector kernels: libm of the precision per lane.
        void* f = symbol(g.reference);
        for (size_t i = 0; i < n; ++i) {
            if (g.mask)
                e.portable[i] = reinterpret_cast<T (*)(T)>(f)(masked(in.x[i], in.y[i]));
            else if (g.arity == 1)
                e.portable[i] = reinterpret_cast<T (*)(T)>(f)(in.x[i]);
            else
                e.portable[i] = reinterpret_cast<T (*)(T, T)>(f)(in.x[i], in.y[i]);
        }
    }
    e.has_quiet.resize(n);
    e.quiet.resize(n);
    if (void* f = g.reference.empty() || g.mask ? nullptr : symbol(g.reference)) {
        for (size_t i = 0; i < n; ++i) {
            if (!is_signalling(in.x[i]) && !(g.arity == 2 && is_signalling(in.y[i]))) continue;
            e.has_quiet[i] = 1;
            const T qx = quieted(in.x[i]), qy = quieted(in.y[i]);
            e.quiet[i] = g.arity == 1 ? reinterpret_cast<T (*)(T)>(f)(qx) : reinterpret_cast<T (*)(T, T)>(f)(qx, qy);
        }
    }
    e.inside.resize(n);
    e.ref.resize(n);
    if (!g.second.empty()) e.ref2.resize(n);
    const tvml_ulp::Reference* ref = g.reference.empty() ? nullptr : tvml_ulp::find_reference(g.reference);
    const tvml_ulp::Reference* ref2 = g.second.empty() ? nullptr : tvml_ulp::find_reference(g.second);
    for (size_t i = 0; i < n && ref; ++i) {
        const T x = g.mask ? masked(in.x[i], in.y[i]) : in.x[i];
        e.inside[i] = in_boxes(g, x, in.y[i]);
        if (!e.inside[i]) continue;
        e.ref[i] = tvml_ulp::evaluate(*ref, x, in.y[i], true);
        if (ref2) e.ref2[i] = tvml_ulp::evaluate(*ref2, x, in.y[i], true);
        ++g.reference_count;
    }
    g.reference_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return e;
}

// ---- calls -----------------------------------------------------------------

// r[0, n) = target(x, y) for elements (not complex pairs); y is one exponent
// (*y) for powx targets.
template <class T>
void call(const Group& g, const Target& t, size_t n, const T* x, const T* y, T* r) {
    const int64_t count = g.complex ? int64_t(n / 2) : int64_t(n);
    std::vector<T> other(n);
    switch (t.kind) {
        case Kind::ArrayKernel: {
            const auto k = reinterpret_cast<tvml_array_kernel>(t.fn);
            if (t.output == 2)
                k(count, x, y, other.data(), r, 0);
            else
                k(count, x, g.arity == 2 ? y : nullptr, r, other.data(), 0);
            break;
        }
        case Kind::Entry:
            switch (t.entry) {
                case EntryShape::Unary:
                case EntryShape::Fixed:
                    reinterpret_cast<void (*)(int, const T*, T*)>(t.fn)(int(count), x, r);
                    break;
                case EntryShape::Binary:
                case EntryShape::Powx:
                    reinterpret_cast<void (*)(int, const T*, const T*, T*)>(t.fn)(int(count), x, y, r);
                    break;
                case EntryShape::SinCos:
                    if (t.output == 2)
                        reinterpret_cast<void (*)(int, const T*, T*, T*)>(t.fn)(int(count), x, other.data(), r);
                    else
                        reinterpret_cast<void (*)(int, const T*, T*, T*)>(t.fn)(int(count), x, r, other.data());
                    break;
                case EntryShape::None:
                    break;
            }
            break;
        case Kind::Register:
            tvml_test::sv_apply(t.name, t.shape, g.arity, x, y, r, n);
            break;
    }
}

// ---- checks ----------------------------------------------------------------

template <class T>
std::string describe(T v) {
    char text[96];
    std::snprintf(text, sizeof text, sizeof(T) == 4 ? "0x%08llx (%.9g)" : "0x%016llx (%.17g)",
                  static_cast<unsigned long long>(tvml_test::bits_of(v)), double(v));
    return text;
}

// Why got's class differs from want's, or "" when it agrees (allowing
// the documented behaviours outside the declared intervals).
template <class T>
std::string class_difference(const Group& g, bool inside, T got, T want) {
    using L = std::numeric_limits<T>;
    const auto allows = [&](Allowance a) { return !inside && allowed(g.function, g.is_float, a); };
    if (std::isnan(got) != std::isnan(want))
        return std::isnan(got) ? "NaN where the portable kernel has a number"
                               : "a number where the portable kernel has NaN";
    if (std::isnan(got)) return "";
    const bool same_sign = std::signbit(got) == std::signbit(want);
    if (std::isinf(got) || std::isinf(want)) {
        if (got == want) return "";
        if (std::isinf(got) && same_sign && std::fabs(want) >= L::max() / 16 && allows(Allowance::OverflowToInf))
            return "";
        if (std::isinf(got) && same_sign && std::fabs(want) >= std::sqrt(L::max()) / 2 && allows(Allowance::SquareSum))
            return "";
        if (std::isinf(want) && std::fabs(got) == L::max() && same_sign && allows(Allowance::InfToLargest)) return "";
        return "infinity class differs from the portable kernel";
    }
    if (got == 0 && want == 0 && !same_sign) {
        if (std::signbit(want) && allowed(g.function, g.is_float, Allowance::PositiveZero)) return "";
        return "zero of the wrong sign";
    }
    if ((got == 0) != (want == 0) && std::fabs(got == 0 ? want : got) >= L::min() && !inside) {
        if (std::fabs(want) <= 2 * std::sqrt(L::min()) && allows(Allowance::SquareSum)) return "";
        return "zero against a normal number";
    }
    return "";
}

// Why got is wrong for input i, or "" when it agrees.  A result equal to
// the portable kernel's bit for bit but beyond the bound is libm's own
// error: noted (libm_limited), not a mismatch.
template <class T>
std::string disagreement(const Group& g, const Target& t, const Expected<T>& e, size_t i, T got, double& err,
                         bool& libm_limited) {
    const T want = t.output == 2 ? e.portable2[i] : e.portable[i];
    err = 0;
    libm_limited = false;
    if (t.exact) return tvml_test::same_bits(got, want) ? "" : "differs from the portable kernel";
    const bool inside = e.inside[i];
    std::string why = class_difference(g, inside, got, want);
    if (!why.empty() && e.has_quiet[i] && t.output == 1 && class_difference(g, inside, got, e.quiet[i]).empty())
        why.clear();
    if (!why.empty() || !inside || !std::isfinite(got) || !std::isfinite(want)) return why;
    const tvml_ulp::RefValue<T>& ref = t.output == 2 ? e.ref2[i] : e.ref[i];
    err = tvml_ulp::ulp_error(got, ref.hi, ref.lo, ref.cr);
    if (err <= t.max_ulp) return "";
    if (tvml_test::same_bits(got, want)) {
        libm_limited = true;
        return "";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3g ulp over the bound %.3g", err, t.max_ulp);
    return text;
}

struct Budget {
    size_t examples = 8;  // mismatches listed per kernel
};

template <class T>
void note(const Group& g, Target& t, const Inputs<T>& in, const Expected<T>& e, size_t i, T got, const Budget& budget) {
    double err = 0;
    bool libm_limited = false;
    const std::string why = disagreement(g, t, e, i, got, err, libm_limited);
    ++t.tried;
    if (err > t.worst_ulp && std::isfinite(err)) t.worst_ulp = err;
    if (libm_limited && t.libm_limited++ == 0)
        t.libm_example = "x=" + describe(in.x[i]) + (g.arity == 2 ? " y=" + describe(in.y[i]) : "") + " gives " +
                         describe(got) + ", correctly rounded " + describe(t.output == 2 ? e.ref2[i].cr : e.ref[i].cr);
    const T want = t.output == 2 ? e.portable2[i] : e.portable[i];
    if (!t.exact && !e.inside[i] && std::isfinite(got) && std::isfinite(want)) {
        const double steps = tvml_ulp::ulp_steps(got, want);
        if (steps > t.outside_steps) {
            t.outside_steps = steps;
            t.outside_example = "x=" + describe(in.x[i]) + (g.arity == 2 ? " y=" + describe(in.y[i]) : "") + " gives " +
                                describe(got) + ", portable " + describe(want);
        }
    }
    if (why.empty()) return;
    ++t.mismatches;
    if (t.examples.size() >= budget.examples) return;
    std::string text = t.name + (t.output == 2 ? " (second output)" : "") + ": x=" + describe(in.x[i]);
    if (g.arity == 2) text += std::string(g.mask ? " mask=" : " y=") + describe(in.y[i]);
    text += " got " + describe(got) + " portable " + describe(want);
    if (e.inside[i]) text += " correctly rounded " + describe(t.output == 2 ? e.ref2[i].cr : e.ref[i].cr);
    t.examples.push_back(text + ": " + why);
}

// Runs one target over the inputs: array targets at every start offset
// within a block (so each input passes every block position and the
// remainder), registers with the inputs rotated through every lane.
template <class T>
void run_target(const Group& g, Target& t, const Inputs<T>& in, const Expected<T>& e, const Budget& budget) {
    if (!t.fn) return;
    const auto start = std::chrono::steady_clock::now();
    const size_t n = in.x.size();
    std::vector<T> r(n);
    if (t.kind == Kind::Register) {
        const size_t lanes = size_t(tvml_test::lanes_of(t.shape));
        const size_t padded = (n + lanes - 1) / lanes * lanes;
        std::vector<T> x(padded), y(padded), out(padded);
        for (size_t rot = 0; rot < lanes; ++rot) {
            for (size_t j = 0; j < padded; ++j) {
                x[j] = in.x[(j + rot) % n];
                y[j] = in.y[(j + rot) % n];
            }
            call(g, t, padded, x.data(), y.data(), out.data());
            for (size_t j = 0; j < n; ++j) note(g, t, in, e, (j + rot) % n, out[j], budget);
        }
    } else if (t.powx) {
        for (size_t run = 0; run < in.runs; ++run) {
            const size_t base = run * kRun;
            const T y = in.y[base];
            if (t.has_fixed && !(T(t.fixed) == y)) continue;
            for (size_t shift = 0; shift < 8; ++shift) {
                call(g, t, kRun - shift, &in.x[base + shift], &y, &r[base + shift]);
                for (size_t j = base + shift; j < base + kRun; ++j) note(g, t, in, e, j, r[j], budget);
            }
        }
    } else {
        const size_t step = g.complex ? 2 : 1;
        for (size_t shift = 0; shift < 8 * step && shift < n; shift += step) {
            call(g, t, n - shift, &in.x[shift], &in.y[shift], &r[shift]);
            for (size_t j = shift; j < n; ++j) note(g, t, in, e, j, r[j], budget);
        }
        // In place: the output is the input (not allowed for the sines of sincos).
        if (!(t.entry == EntryShape::SinCos || g.function == "sincos") || t.output == 2) {
            r = in.x;
            call(g, t, n, r.data(), in.y.data(), r.data());
            for (size_t j = 0; j < n; ++j) note(g, t, in, e, j, r[j], budget);
        }
    }
    t.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One round over a group: inputs, the portable and MPFR references, every target.
template <class T>
void fuzz_round(Group& g, size_t count, uint64_t seed, const Budget& budget, bool run_registers) {
    const Inputs<T> in = make_inputs<T>(g, count, seed);
    const Expected<T> e = expected(g, in);
    for (Target& t : g.targets) {
        if (t.kind == Kind::Register && !run_registers) continue;
        run_target(g, t, in, e, budget);
    }
}

inline void fuzz_group(Group& g, size_t count, uint64_t seed, const Budget& budget, bool run_registers) {
    if (g.is_float)
        fuzz_round<float>(g, count, seed, budget, run_registers);
    else
        fuzz_round<double>(g, count, seed, budget, run_registers);
}

}  // namespace tvml_fuzz
