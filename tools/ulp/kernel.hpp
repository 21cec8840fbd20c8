// Exported kernels looked up by name and applied over arrays.
#pragma once

#include <cstddef>
#include <string>

namespace tvml_ulp {

// Register shapes of the short-vector kernels.
enum class Shape { Array, F4, F8, D2, D4 };

struct Kernel {
    std::string name;
    Shape shape = Shape::Array;
    bool is_float = false;
    int lanes = 1;                // 1 for array kernels
    bool masked = false;          // sqrt_mask: (x, m) with an all-ones m
    bool needs_avx2_fma = false;  // tuned variants and every register call
    int entry_arguments = 0;      // array entry point (vsExp): the arity it takes, 1 to 3
    int output = 1;               // array kernels: 2 measures the second output (r2)
    void* fn = nullptr;
};

// Resolves an array kernel (sexp_tarvo, dln_generic: first letter s or d),
// a real array entry point of one or two arguments (vsExp, vdPowx), or a
// short-vector kernel (tvml_vs4_exp_tarvo, tvml_vd4_pow, or a
// vector-ABI name such as _ZGVdN8v_expf).  Returns false with a reason if
// the name is unknown or not exported.
bool resolve_kernel(const std::string& name, Kernel& k, std::string& why);

bool cpu_has_avx2_fma();

// r[i] = kernel(x[i]) or kernel(x[i], y[i]) for i < n.  Short-vector
// kernels need n to be a multiple of their lanes.  For arity 3 (powx),
// y[i] must be the same within each run of powx_group elements starting
// at a multiple of powx_group: one kernel call per group with &y[start].
constexpr size_t powx_group = 64;
void apply(const Kernel& k, int arity, const void* x, const void* y, void* r, size_t n);

// The register calls, in an AVX-compiled unit; shape is not Array.
void apply_registers(void* fn, Shape shape, int arity, bool masked, const void* x, const void* y, void* r,
                     size_t n);

}  // namespace tvml_ulp
