// The tables in use over the life of a process, under VML_DEBUG_ARCH=1:
// calls made before the load-time constructor (here from the executable's
// pre-initialisers, which run before any shared library's constructor)
// reach the index-0 kernels, which give what libm gives; afterwards the
// index-1 kernels run, and a later change of VML_DEBUG_ARCH leaves them in
// place.
#include <emmintrin.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dazaro_tv.h"
#include "test_support.hpp"

namespace {

constexpr int kCount = 64;

// What runs before the constructors runs before the sanitizer runtimes
// may be ready: it is not instrumented, and the library calls touch only
// plain arrays.
#define BEFORE_CONSTRUCTORS __attribute__((no_sanitize("address", "undefined")))

struct Results {
    float array[kCount];
    float shortvec[kCount];
    double array_d[kCount];
};

// Inputs over a wide range, where the tuned exponential and logarithm
// round some elements differently from libm.
BEFORE_CONSTRUCTORS float input(int i) { return -20.0f + 0.6875f * float(i) + 1.0f / float(3 + i); }
BEFORE_CONSTRUCTORS double input_d(int i) { return 0.01 + 37.3 * double(i) + 1.0 / double(7 + i); }

BEFORE_CONSTRUCTORS void compute(Results& out) {
    float x[kCount];
    double xd[kCount];
    for (int i = 0; i < kCount; ++i) {
        x[i] = input(i);
        xd[i] = input_d(i);
    }
    vsExp(kCount, x, out.array);
    vdLn(kCount, xd, out.array_d);
    for (int i = 0; i < kCount; i += 4) _mm_storeu_ps(out.shortvec + i, _ZGVbN4v_expf(_mm_loadu_ps(x + i)));
}

Results before_constructor;

BEFORE_CONSTRUCTORS void run_before_constructors(int, char**, char**) {
    compute(before_constructor);
}

__attribute__((section(".preinit_array"), used)) void (*const kPreinit)(int, char**, char**) =
    run_before_constructors;

class LoadOrder : public ::testing::Test {
protected:
    void SetUp() override {
        if (tvml_test::forced_index() != 1) GTEST_SKIP() << "runs under VML_DEBUG_ARCH=1";
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "index 1 needs AVX2 and FMA";
    }
};

// What the index-1 kernels give, called by name.
Results tuned() {
    Results r;
    float x[kCount];
    double xd[kCount];
    for (int i = 0; i < kCount; ++i) {
        x[i] = input(i);
        xd[i] = input_d(i);
    }
    sexp_tarvo(kCount, x, nullptr, r.array, nullptr, 0);
    dln_tarvo(kCount, xd, nullptr, r.array_d, nullptr, 0);
    for (int i = 0; i < kCount; i += 4) _mm_storeu_ps(r.shortvec + i, tvml_vs4_exp_tarvo(_mm_loadu_ps(x + i)));
    return r;
}

int count_differing(const Results& a, const Results& b) {
    int n = 0;
    for (int i = 0; i < kCount; ++i)
        n += !tvml_test::same_bits(a.array[i], b.array[i]) + !tvml_test::same_bits(a.shortvec[i], b.shortvec[i]) +
             !tvml_test::same_bits(a.array_d[i], b.array_d[i]);
    return n;
}

TEST_F(LoadOrder, CallsBeforeTheConstructorUseTheIndex0Kernels) {
    for (int i = 0; i < kCount; ++i) {
        EXPECT_TRUE(tvml_test::same_bits(before_constructor.array[i], std::exp(input(i)))) << "vsExp " << i;
        EXPECT_TRUE(tvml_test::same_bits(before_constructor.shortvec[i], std::exp(input(i)))) << "_ZGVbN4v_expf " << i;
        EXPECT_TRUE(tvml_test::same_bits(before_constructor.array_d[i], std::log(input_d(i)))) << "vdLn " << i;
    }
    // The inputs tell the two tables apart.
    EXPECT_GT(count_differing(before_constructor, tuned()), 0);
}

TEST_F(LoadOrder, TablesStayAsSelectedWhenTheEnvironmentChanges) {
    Results now;
    compute(now);
    EXPECT_EQ(count_differing(now, tuned()), 0);
    setenv("VML_DEBUG_ARCH", "0", 1);
    compute(now);
    EXPECT_EQ(count_differing(now, tuned()), 0);
    EXPECT_STREQ(vml_get_cpu_arch(), "generic");  // the query follows the environment
    setenv("VML_DEBUG_ARCH", "1", 1);
}

}  // namespace
