// Prints every name libdazaro-tv.so must export, one per line, expanded
// from the name tables.
#include <cstdio>
#include <set>
#include <string>

#include "dazaro_tv_api.h"

namespace {

std::set<std::string> names;

void add(const char* name) { names.insert(name); }

#define ENTRY(name, op, shape, type, exponent) add(#name);
#define TUNED_READY(op, v) add(#op "_" #v);
#define TUNED_GENERIC(op, v)
#define SLOT(slot, op, index1, index23) \
    add(#op "_k");                      \
    add(#op "_generic");                \
    TVML_ON_COLUMN(TUNED, op, index1)   \
    TVML_ON_COLUMN(TUNED, op, index23)
#define EXTRA(name) add(#name);

// Tuned short-vector kernels, once written, under the names the public
// header declares for them.
#define SV_KERNELS(fn, arity, v)                                                        \
    for (const char* shape : {"vs4", "vs8", "vd2", "vd4"})                              \
        add(("tvml_" + std::string(shape) + "_" #fn "_" #v).c_str());
#define SV(index, fn, abi, args, arity, variant, f4, f8, d2, d4)                      \
    add("tvml_vs4_" #fn);                                                             \
    add("tvml_vs8_" #fn);                                                             \
    add("tvml_vd2_" #fn);                                                             \
    add("tvml_vd4_" #fn);                                                             \
    add("_ZGVbN4" #args "_" #abi "f");                                                \
    add("_ZGVdN8" #args "_" #abi "f");                                                \
    add("_ZGVbN2" #args "_" #abi);                                                    \
    add("_ZGVdN4" #args "_" #abi);                                                    \
    add(#f4);                                                                         \
    add(#f8);                                                                         \
    add(#d2);                                                                         \
    add(#d4);                                                                         \
    TVML_SV_TUNED_KERNELS(SV_KERNELS, fn, arity, variant)

}  // namespace

int main() {
    TVML_ARRAY_ENTRIES(ENTRY)
    TVML_ARRAY_SLOTS(SLOT)
    TVML_ARRAY_EXTRA_KERNELS(EXTRA)
    TVML_EXPORTED_DATA(EXTRA)
    TVML_SV_FUNCS(SV)
    add("vml_get_cpu_arch");
    add("tarvovml_get_config");
    for (const std::string& n : names) std::printf("%s\n", n.c_str());
    return 0;
}
