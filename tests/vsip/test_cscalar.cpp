// Complex scalars: exact results of the specified roundings, sign rules,
// the square-root algorithm and the pointer forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "support.hpp"

namespace {

std::uint32_t bits(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

// Equal bit patterns (so -0 differs from +0), or both NaN.
::testing::AssertionResult same(vsip_cscalar_f got, vsip_cscalar_f want) {
    auto eq = [](float a, float b) { return bits(a) == bits(b) || (std::isnan(a) && std::isnan(b)); };
    if (eq(got.r, want.r) && eq(got.i, want.i))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << ", " << got.i << "), want ("
                                         << want.r << ", " << want.i << ")";
}

struct SqrtCase {
    vsip_cscalar_f in, out;
};
void PrintTo(const SqrtCase &c, std::ostream *os) { *os << "(" << c.in.r << ", " << c.in.i << ")"; }
class ComplexSqrt : public ::testing::TestWithParam<SqrtCase> {};

} // namespace

TEST_P(ComplexSqrt, PrincipalRoot) {
    EXPECT_TRUE(same(vsip_csqrt_f(GetParam().in), GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComplexSqrt,
    ::testing::Values(SqrtCase{{-4, 0}, {0, 2}}, SqrtCase{{4, 0}, {2, 0}},
                      SqrtCase{{0, -8}, {2, -2}}, SqrtCase{{0, 8}, {2, 2}},
                      SqrtCase{{-3, -4}, {1, -2}}, SqrtCase{{-3, 4}, {1, 2}},
                      SqrtCase{{3, 4}, {2, 1}}, SqrtCase{{3, -4}, {2, -1}},
                      SqrtCase{{-0.0f, 0}, {-0.0f, 0}}, SqrtCase{{0, 0}, {0, 0}},
                      SqrtCase{{-4, -0.0f}, {0, 2}}, // a zero y of either sign: step 1
                      SqrtCase{{NAN, 1}, {NAN, NAN}}, SqrtCase{{1, NAN}, {NAN, NAN}}));

TEST(ComplexScalar, SignFlipsChangeZerosAndKeepNaNPayloads) {
    EXPECT_TRUE(same(vsip_conj_f({1, 0}), {1, -0.0f}));
    EXPECT_TRUE(same(vsip_cneg_f({0, -0.0f}), {-0.0f, 0}));
    EXPECT_TRUE(same(vsip_rcsub_f(1, {1, 0}), {0, -0.0f}));
    float payload;
    std::uint32_t nan_bits = 0x7fc01234u;
    std::memcpy(&payload, &nan_bits, sizeof payload);
    vsip_cscalar_f n = vsip_conj_f({0, payload});
    EXPECT_EQ(bits(n.i), nan_bits | 0x80000000u);
    EXPECT_EQ(bits(vsip_cneg_f(n).i), nan_bits);
}

TEST(ComplexScalar, ProductPairsAreFused) {
    const float e = std::ldexp(1.0f, -12), f = std::ldexp(1.0f, -11);
    // (1 + e)^2 rounds to 1 + 2e; only a fused evaluation keeps 2^-24.
    vsip_cscalar_f p = vsip_cmul_f({1 + e, 1}, {1 + e, 1 + f});
    EXPECT_EQ(p.r, std::ldexp(1.0f, -24));
    EXPECT_EQ(vsip_cmagsq_f({1 + e, 0}), 1 + f + std::ldexp(1.0f, -23) * 0); // rounded once
    EXPECT_TRUE(same(vsip_cmul_f({1, 2}, {3, 4}), {-5, 10}));
    EXPECT_TRUE(same(vsip_cjmul_f({1, 2}, {3, 4}), {11, 2}));
}

TEST(ComplexScalar, DivisionByReciprocalWithoutScaling) {
    EXPECT_TRUE(same(vsip_crecip_f({2, 0}), {0.5f, -0.0f}));
    EXPECT_TRUE(same(vsip_cdiv_f({1, 2}, {3, 4}), vsip_cmul_f({1, 2}, vsip_crecip_f({3, 4}))));
    vsip_cscalar_f z = vsip_cdiv_f({1, 1}, {0, 0});
    EXPECT_FALSE(std::isfinite(z.r));
    EXPECT_FALSE(std::isfinite(z.i));
    EXPECT_EQ(vsip_cmag_f({3e19f, 4e19f}), std::numeric_limits<float>::infinity());
    EXPECT_EQ(vsip_cmag_f({3, 4}), 5.0f);
    EXPECT_TRUE(same(vsip_crdiv_f({1, -3}, 2), {0.5f, -1.5f}));
}

TEST(ComplexScalar, ArgumentExponentialAndRectUseDoublePrecision) {
    EXPECT_EQ(vsip_arg_f({-1, 0}), static_cast<float>(M_PI));
    EXPECT_EQ(vsip_arg_f({-1, -0.0f}), -static_cast<float>(M_PI));
    const float angles[] = {0.1f, 1.0f, 2.5f, -3.0f, 100.0f, 1e6f};
    for (float t : angles) {
        vsip_cscalar_f r = vsip_rect_f(2.0f, t);
        EXPECT_EQ(r.r, 2.0f * static_cast<float>(std::cos(double(t)))) << t;
        EXPECT_EQ(r.i, 2.0f * static_cast<float>(std::sin(double(t)))) << t;
        vsip_cscalar_f e = vsip_cexp_f({0.75f, t});
        float m = static_cast<float>(std::exp(0.75));
        EXPECT_EQ(e.r, m * static_cast<float>(std::cos(double(t)))) << t;
        EXPECT_EQ(e.i, m * static_cast<float>(std::sin(double(t)))) << t;
    }
    float radius = 0, angle = 0;
    vsip_polar_f({0, -2}, &radius, &angle);
    EXPECT_EQ(radius, 2.0f);
    EXPECT_EQ(angle, -static_cast<float>(M_PI_2));
}

TEST(ComplexScalar, MixedRealComplexAndAccess) {
    EXPECT_TRUE(same(vsip_cadd_f({1, 2}, {3, -5}), {4, -3}));
    EXPECT_TRUE(same(vsip_csub_f({1, 2}, {3, -5}), {-2, 7}));
    EXPECT_TRUE(same(vsip_crsub_f({1, 2}, 3), {-2, 2}));
    EXPECT_TRUE(same(vsip_rcadd_f(3, {1, 2}), {4, 2}));
    EXPECT_TRUE(same(vsip_rcsub_f(3, {1, 2}), {2, -2}));
    EXPECT_TRUE(same(vsip_rcmul_f(3, {1, -2}), {3, -6}));
    EXPECT_EQ(vsip_real_f({7, 8}), 7.0f);
    EXPECT_EQ(vsip_imag_f({7, 8}), 8.0f);
    vsip_cscalar_d d = vsip_cmplx_d(1.25, -2.5);
    EXPECT_EQ(d.r, 1.25);
    EXPECT_EQ(d.i, -2.5);
    vsip_cscalar_f p;
    vsip_CMPLX_f(1, 2, &p);
    EXPECT_TRUE(same(p, {1, 2}));
    vsip_scalar_mi mi = vsip_matindex(3, 5);
    EXPECT_EQ(vsip_mrowindex(mi), 3u);
    EXPECT_EQ(vsip_mcolindex(mi), 5u);
    vsip_MATINDEX(7, 9, &mi);
    EXPECT_EQ(mi.r, 7u);
    EXPECT_EQ(mi.c, 9u);
}

TEST(ComplexScalar, PointerFormsStoreTheLowerCaseResult) {
    const vsip_cscalar_f a{1.5f, -2.25f}, b{-0.5f, 3.0f};
    const float s = 1.75f;
    vsip_cscalar_f r;
    vsip_CADD_f(a, b, &r);   EXPECT_TRUE(same(r, vsip_cadd_f(a, b)));
    vsip_CSUB_f(a, b, &r);   EXPECT_TRUE(same(r, vsip_csub_f(a, b)));
    vsip_CMUL_f(a, b, &r);   EXPECT_TRUE(same(r, vsip_cmul_f(a, b)));
    vsip_CJMUL_f(a, b, &r);  EXPECT_TRUE(same(r, vsip_cjmul_f(a, b)));
    vsip_CDIV_f(a, b, &r);   EXPECT_TRUE(same(r, vsip_cdiv_f(a, b)));
    vsip_CRECIP_f(a, &r);    EXPECT_TRUE(same(r, vsip_crecip_f(a)));
    vsip_CRDIV_f(a, s, &r);  EXPECT_TRUE(same(r, vsip_crdiv_f(a, s)));
    vsip_CRSUB_f(a, s, &r);  EXPECT_TRUE(same(r, vsip_crsub_f(a, s)));
    vsip_RCADD_f(s, a, &r);  EXPECT_TRUE(same(r, vsip_rcadd_f(s, a)));
    vsip_RCSUB_f(s, a, &r);  EXPECT_TRUE(same(r, vsip_rcsub_f(s, a)));
    vsip_RCMUL_f(s, a, &r);  EXPECT_TRUE(same(r, vsip_rcmul_f(s, a)));
    vsip_CNEG_f(a, &r);      EXPECT_TRUE(same(r, vsip_cneg_f(a)));
    vsip_CONJ_f(a, &r);      EXPECT_TRUE(same(r, vsip_conj_f(a)));
    vsip_CEXP_f(a, &r);      EXPECT_TRUE(same(r, vsip_cexp_f(a)));
    vsip_CSQRT_f(a, &r);     EXPECT_TRUE(same(r, vsip_csqrt_f(a)));
}
