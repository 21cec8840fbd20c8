// Tuned arithmetic kernels at their block boundaries: 32 scalars per block.
#include <gtest/gtest.h>

#include "dazaro_tv.h"
#include "test_support.hpp"

namespace {

TEST(TunedArith, BlockBoundaries) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (int n : {31, 32, 33, 16, 17}) {
        std::vector<float> a = tvml_test::test_inputs<float>(2 * n, 1), b = tvml_test::test_inputs<float>(2 * n, 2);
        std::vector<float> r(2 * n + 1, -1.0f), want(2 * n + 1, -1.0f);
        cadd_tarvo(n, a.data(), b.data(), r.data(), nullptr, 0);
        cadd_generic(n, a.data(), b.data(), want.data(), nullptr, 0);
        for (int i = 0; i <= 2 * n; ++i) ASSERT_TRUE(tvml_test::same_bits(r[i], want[i])) << n << " " << i;
    }
}

}  // namespace
