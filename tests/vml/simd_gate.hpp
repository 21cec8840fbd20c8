// Shared by the SIMD layer tests: the AVX2-compiled checks are listed in a
// constant table, and the baseline gate registers them with GoogleTest, so no
// AVX2-compiled code runs (not even test registration) before the CPU check.
#pragma once

namespace tvml_test {

struct SimdCase {
    const char* check;  // what is checked, e.g. "MinMaxNanRule"
    const char* shape;  // lane shape, e.g. "F32x8"
    void (*run)();      // compiled with -mavx2 -mfma; call only after the gate
};

extern const SimdCase simd_cases[];
extern const int simd_case_count;

}  // namespace tvml_test
