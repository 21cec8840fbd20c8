// The one reader of vml/kernels/accuracy.def, shared by the ULP checker
// (tools/ulp, and through it the README table) and the tests: the rows per
// function and precision, their expansion to every exported kernel of the
// function from the name tables, and the interval text ("lo hi" ranges for
// one argument, "xlo xhi x ylo yhi" boxes for two, separated by ';').
// Plain C++, usable from baseline and AVX units alike.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "dazaro_tv_api.h"

namespace tvml_accuracy {

// x in [xlo, xhi] and, for two-argument rows, y in [ylo, yhi].
struct Box {
    double xlo, xhi, ylo = 0, yhi = 0;
};

// Bounds are anything strtod reads (hex floats, inf).  Returns false with a
// reason for an unreadable or reversed interval or an empty list.
inline bool parse_intervals(const std::string& text, int arity, std::vector<Box>& boxes, std::string& why) {
    const auto number = [](const std::string& token, double& v) {
        char* end = nullptr;
        v = std::strtod(token.c_str(), &end);
        return !token.empty() && *end == '\0';
    };
    boxes.clear();
    std::stringstream chunks(text);
    std::string chunk;
    while (std::getline(chunks, chunk, ';')) {
        std::stringstream words(chunk);
        std::vector<std::string> tokens;
        for (std::string w; words >> w;) tokens.push_back(w);
        if (tokens.empty()) continue;
        const bool two = arity != 1;
        std::string joined;
        for (const std::string& t : tokens) joined += (joined.empty() ? "" : " ") + t;
        if (tokens.size() != (two ? 5u : 2u) || (two && tokens[2] != "x")) {
            why = "interval \"" + joined + (two ? "\" is not \"xlo xhi x ylo yhi\"" : "\" is not \"lo hi\"");
            return false;
        }
        Box box;
        bool ok = number(tokens[0], box.xlo) && number(tokens[1], box.xhi);
        if (two) ok = ok && number(tokens[3], box.ylo) && number(tokens[4], box.yhi);
        if (!ok || !(box.xlo <= box.xhi) || (two && !(box.ylo <= box.yhi))) {
            why = "interval \"" + joined + "\" has unreadable or reversed bounds";
            return false;
        }
        boxes.push_back(box);
    }
    if (boxes.empty()) {
        why = "no interval";
        return false;
    }
    return true;
}

// The boxes of a row known to be well formed (the checker's own test
// rejects malformed rows); empty if it is not.
inline std::vector<Box> intervals_of(const std::string& text, int arity) {
    std::vector<Box> boxes;
    std::string why;
    if (!parse_intervals(text, arity, boxes, why)) boxes.clear();
    return boxes;
}

// One row of accuracy.def: a function in one precision.
struct Declaration {
    std::string function;   // tvml_ name part: exp, pow, sincos, sqrt_mask
    bool is_float;
    std::string reference;  // libm function of the (first) output
    std::string second;     // libm function of the second output (r2), or ""
    int arity;              // arguments of the function: 1 or 2
    double max_ulp;
    std::string intervals;
    std::string worst;      // the worst input found: "x" or "x y"
    bool shared_path;       // lanes may take a fallback chosen by other lanes
};

// One exported kernel measured against one output of its declaration.
struct KernelRow {
    std::string kernel;
    std::string reference;
    int arity;   // 1, 2, or 3 for powx kernels (one y for the whole call)
    int output;  // 1 (r), or 2 for the second output of a two-output kernel (r2)
    double max_ulp;
    std::string intervals;
    std::string worst;
    bool shared_path;
    const Declaration* declaration;
};

namespace detail {

inline std::string unquote(const char* text) {
    std::string s(text);
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

// Stem of the short-vector kernels: tvml_vs4_<fn>_<variant>.
struct SvFunction {
    const char* fn;
    const char* variant;  // tuned variant of the function
};
#define TVML_ACCURACY_SV_READY(fn, v) {#fn, #v},
#define TVML_ACCURACY_SV(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_ON_COLUMN(TVML_ACCURACY_SV, fn, variant)
inline const std::vector<SvFunction>& sv_functions() {
    static const std::vector<SvFunction> v = {TVML_SV_FUNCS(TVML_ACCURACY_SV)};
    return v;
}
#undef TVML_ACCURACY_SV
#undef TVML_ACCURACY_SV_READY

// Array slots with their tuned variants and the shape of their entry point.
struct Slot {
    const char* op;
    const char* index1;  // tuned variant, or "" (portable kernel)
    const char* index23;
};
#define TVML_ACCURACY_COLUMN_READY(op, v) #v
#define TVML_ACCURACY_COLUMN_GENERIC(op, v) ""
#define TVML_ACCURACY_SLOT(slot, op, index1, index23)                                  \
    {#op, TVML_ON_COLUMN(TVML_ACCURACY_COLUMN, op, index1), TVML_ON_COLUMN(TVML_ACCURACY_COLUMN, op, index23)},
inline const std::vector<Slot>& slots() {
    static const std::vector<Slot> v = {TVML_ARRAY_SLOTS(TVML_ACCURACY_SLOT)};
    return v;
}
#undef TVML_ACCURACY_SLOT
#undef TVML_ACCURACY_COLUMN_READY
#undef TVML_ACCURACY_COLUMN_GENERIC

// True when the entry points of op take one exponent for all elements.
inline bool is_powx(const std::string& op) {
#define TVML_ACCURACY_ENTRY(name, op_, shape, type, exponent) \
    if (op == #op_ && std::string(#shape) == "POWX") return true;
    TVML_ARRAY_ENTRIES(TVML_ACCURACY_ENTRY)
#undef TVML_ACCURACY_ENTRY
    return false;
}

inline const std::vector<std::string>& extra_kernels() {
#define TVML_ACCURACY_EXTRA(kernel) #kernel,
    static const std::vector<std::string> v = {TVML_ARRAY_EXTRA_KERNELS(TVML_ACCURACY_EXTRA)};
#undef TVML_ACCURACY_EXTRA
    return v;
}

}  // namespace detail

// The rows of accuracy.def.
inline const std::vector<Declaration>& declarations() {
    static const std::vector<Declaration> rows = [] {
        std::vector<Declaration> v;
#define TVML_ACCURACY(fn, precision, reference, second, arity, max_ulp, intervals, worst)                 \
    v.push_back({#fn, std::string(#precision) == "float", #reference,                                    \
                 std::string(#second) == "none" ? "" : #second, arity, double(max_ulp), intervals, worst, false});
#define TVML_SHARED_PATH(fn, precision)                                                                 \
    for (Declaration & d : v)                                                                           \
        if (d.function == #fn && d.is_float == (std::string(#precision) == "float")) d.shared_path = true;
#include "accuracy.def"
#undef TVML_ACCURACY
#undef TVML_SHARED_PATH
        return v;
    }();
    return rows;
}

// Every exported tuned kernel of a declaration, from the name tables: the
// short-vector kernels of its precision (the _tarvo ones also under
// _belisk), the array kernels of both tuned tables (powx kernels with
// arity 3) and their exported copies; one row per output.
inline std::vector<KernelRow> expand(const Declaration& d) {
    std::vector<std::pair<std::string, int>> kernels;  // name, arity
    const auto add = [&](const std::string& name, int arity) {
        for (const auto& k : kernels)
            if (k.first == name) return;
        kernels.push_back({name, arity});
    };
    for (const detail::SvFunction& f : detail::sv_functions()) {
        if (d.function != f.fn || !*f.variant) continue;
        for (const char* variant : {f.variant, std::string(f.variant) == "tarvo" ? "belisk" : ""}) {
            if (!*variant) continue;
            for (const char* shape : d.is_float ? std::vector<const char*>{"vs4", "vs8"}
                                                : std::vector<const char*>{"vd2", "vd4"})
                add(std::string("tvml_") + shape + "_" + d.function + "_" + variant, d.arity);
        }
    }
    const std::string op = (d.is_float ? "s" : "d") + d.function;
    for (const detail::Slot& s : detail::slots()) {
        const std::string slot_op = s.op;
        const bool powx = slot_op == op + "x" && detail::is_powx(slot_op);
        if (slot_op != op && !powx) continue;
        for (const char* variant : {s.index1, s.index23})
            if (*variant) add(slot_op + "_" + variant, powx ? 3 : d.arity);
        for (const std::string& extra : detail::extra_kernels())
            if (extra.rfind(slot_op + "_", 0) == 0) add(extra, powx ? 3 : d.arity);
    }
    std::vector<KernelRow> rows;
    for (const auto& k : kernels) {
        rows.push_back({k.first, d.reference, k.second, 1, d.max_ulp, d.intervals, d.worst, d.shared_path, &d});
        if (!d.second.empty())
            rows.push_back({k.first, d.second, k.second, 2, d.max_ulp, d.intervals, d.worst, d.shared_path, &d});
    }
    return rows;
}

// Every declared kernel, row by row of accuracy.def.
inline const std::vector<KernelRow>& kernel_rows() {
    static const std::vector<KernelRow> rows = [] {
        std::vector<KernelRow> v;
        for (const Declaration& d : declarations())
            for (const KernelRow& r : expand(d)) v.push_back(r);
        return v;
    }();
    return rows;
}

// The row of a kernel's first output, or nullptr.
inline const KernelRow* find(const std::string& kernel) {
    for (const KernelRow& r : kernel_rows())
        if (r.kernel == kernel && r.output == 1) return &r;
    return nullptr;
}

}  // namespace tvml_accuracy
