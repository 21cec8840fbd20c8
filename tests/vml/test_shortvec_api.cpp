// Every short-vector entry name reaches the kernel of its slot, under the
// architecture index forced for this process.
#include <gtest/gtest.h>

#include "accuracy.hpp"
#include "test_support.hpp"

#define SHORTVEC_CHECK_NS shortvec_check_sse2
#include "shortvec_check.hpp"

// Declared bound of a tuned short-vector kernel plus one ulp (libm's own
// error); 0 (exact) for "" (the kernel is still the portable one).
double tuned_bound(const char* prefix, const char* kernel);

// 256-bit shapes live in an AVX unit; call it only after the gate.
int check_256_bit_names(int index, std::string& failures);

double tuned_bound(const char* prefix, const char* kernel) {
    if (!*kernel) return 0;
    const std::string name = std::string(prefix) + kernel;
    if (const tvml_accuracy::KernelRow* row = tvml_accuracy::find(name)) return row->max_ulp + 1;
    return -1;  // undeclared: every comparison fails
}

namespace {

using namespace shortvec_check_sse2;

int check_128_bit_names(int index, std::string& failures) {
    int checked = 0;
#define CHECK_128(row, fn, abi, args, arity, variant, f4, f8, d2, d4)                            \
    SVCHECK_SHAPE(__m128, float, tvml_vs4_##fn, _ZGVbN4##args##_##abi##f, f4, arity, abi##f,      \
                  SVCHECK_BOUND(vs4, fn, variant))                                               \
    SVCHECK_SHAPE(__m128d, double, tvml_vd2_##fn, _ZGVbN2##args##_##abi, d2, arity, abi,         \
                  SVCHECK_BOUND(vd2, fn, variant))
    TVML_SV_FUNCS(CHECK_128)
#undef CHECK_128
    return checked;
}

class ShortVectorNames : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tvml_test::index_runs_here(tvml_test::forced_index())) GTEST_SKIP() << "index needs AVX2 and FMA";
        index_ = tvml_test::forced_index() < 0 ? 1 : tvml_test::forced_index();
    }
    int index_ = 1;
};

TEST_F(ShortVectorNames, Sse128BitShapes) {
    std::string failures;
    EXPECT_EQ(check_128_bit_names(index_, failures), 150);
    EXPECT_EQ(failures, "");
}

TEST_F(ShortVectorNames, Avx256BitShapes) {
    if (!tvml_test::has_avx()) GTEST_SKIP() << "no AVX";
    std::string failures;
    EXPECT_EQ(check_256_bit_names(index_, failures), 150);
    EXPECT_EQ(failures, "");
}

// Irregular names bound by their table slot, not by how they read.
TEST_F(ShortVectorNames, IrregularSvmlNames) {
    const __m128d one_two = _mm_set_pd(2.0, 1.0);
    double r[2];
    _mm_storeu_pd(r, __svml_exp2(one_two));  // e^x on two doubles
    EXPECT_DOUBLE_EQ(r[0], M_E);
    EXPECT_DOUBLE_EQ(r[1], M_E * M_E);
    _mm_storeu_pd(r, __svml_exp22(one_two));  // 2^x
    EXPECT_DOUBLE_EQ(r[0], 2.0);
    EXPECT_DOUBLE_EQ(r[1], 4.0);
    _mm_storeu_pd(r, __svml_log2(_mm_set_pd(1.0, M_E)));  // ln
    EXPECT_DOUBLE_EQ(r[0], 1.0);
    EXPECT_EQ(r[1], 0.0);
    _mm_storeu_pd(r, __svml_atan2(_mm_set_pd(0.0, 1.0)));  // atan
    EXPECT_DOUBLE_EQ(r[0], M_PI / 4);
    EXPECT_EQ(r[1], 0.0);
}

TEST_F(ShortVectorNames, SqrtMaskZeroesMaskedLanes) {
    const __m128 x = _mm_setr_ps(4.0f, 9.0f, 16.0f, 25.0f);
    const __m128 m = _mm_castsi128_ps(_mm_setr_epi32(-1, 0, -1, 0));
    float r[4];
    _mm_storeu_ps(r, _ZGVbN4v_sqrt_maskf(x, m));
    EXPECT_EQ(r[0], 2.0f);
    EXPECT_EQ(r[1], 0.0f);
    EXPECT_EQ(r[2], 4.0f);
    EXPECT_EQ(r[3], 0.0f);
}

}  // namespace
