// Baseline x86-64 unit (no AVX flags): registers the SIMD layer checks and
// skips them on a processor without AVX2 and FMA before any of their
// AVX2-compiled code can run.
#include <gtest/gtest.h>

#include "simd_gate.hpp"

namespace {

bool cpu_has_avx2_fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

class SimdCheck : public testing::Test {
public:
    explicit SimdCheck(void (*run)()) : run_(run) {}
    void TestBody() override {
        if (!cpu_has_avx2_fma()) GTEST_SKIP() << "processor lacks AVX2 or FMA";
        run_();
    }

private:
    void (*run_)();
};

// Suite "Simd/<shape>", test "<check>": ctest -R Simd selects them all.
const bool registered = [] {
    for (int i = 0; i < tvml_test::simd_case_count; ++i) {
        const tvml_test::SimdCase& c = tvml_test::simd_cases[i];
        const std::string suite = std::string("Simd/") + c.shape;
        testing::RegisterTest(suite.c_str(), c.check, nullptr, nullptr, __FILE__, __LINE__,
                              [run = c.run]() -> testing::Test* { return new SimdCheck(run); });
    }
    return true;
}();

}  // namespace
