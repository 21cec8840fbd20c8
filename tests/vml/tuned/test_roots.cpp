// Cube root, square root, masked square root and hypot: tables against
// their rules, the documented cases, IEEE results of the cube root at
// zeros, subnormals, infinities and NaN, accuracy against MPFR over the
// declared intervals, lane independence, and the block structure of the
// cube-root array kernels (16/8 floats, 8/4 doubles, libm remainders).
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "dazaro_tv.h"
#include "power_support.hpp"
#include "shortvec/roots_tables.hpp"

namespace {

using power_test::bits_of;
using power_test::Exact;
using power_test::from_bits;
using power_test::Shape;
using power_test::show;
using power_test::ulp_error;

// 2^(k/3) correctly rounded to T.
template <class T>
T third_power_of_two(int k) {
    Exact e;
    mpfr_set_si(e.get(), k, MPFR_RNDN);
    mpfr_div_ui(e.get(), e.get(), 3, MPFR_RNDN);
    mpfr_exp2(e.get(), e.get(), MPFR_RNDN);
    return sizeof(T) == 4 ? T(mpfr_get_flt(e.get(), MPFR_RNDN)) : T(mpfr_get_d(e.get(), MPFR_RNDN));
}

TEST(RootTables, CbrtFactorsArePowersOfTwoThirds) {
    for (int k = -2; k <= 2; ++k) {
        EXPECT_EQ(bits_of(tvml::avx2::cbrts_factor[k + 2]), bits_of(third_power_of_two<float>(k))) << k;
        // The two negative powers are stored one unit below the nearest double.
        const double nearest = third_power_of_two<double>(k);
        const double want = k < 0 ? std::nextafter(nearest, 0.0) : nearest;
        EXPECT_EQ(bits_of(tvml::avx2::cbrtd_factor[k + 2]), bits_of(want)) << k;
    }
}

}  // namespace

namespace {

// Every declared root kernel keeps its bound over its intervals.
class RootAccuracy : public power_test::DeclaredAccuracy {};

TEST_P(RootAccuracy, WithinDeclaredBound) { check(1 << 14, 1 << 13, 7); }

INSTANTIATE_TEST_SUITE_P(Declared, RootAccuracy, ::testing::ValuesIn(power_test::rows_of({"cbrt", "sqrt", "hypot"})),
                         [](const auto& info) { return info.param.kernel; });

}  // namespace

namespace {

const char* const kCbrtVariants[] = {"tarvo", "belisk"};

// The documented float roots, each one unit from the exact root (one
// Halley step), in both float shapes under both names.
TEST(CbrtShortVector, DocumentedFloatRoots) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<std::pair<float, float>> cases = {
        {27.0f, 3.0000002f}, {-8.0f, -1.9999999f}, {0.125f, 0.49999997f}, {0x1p30f, 1023.99994f}};
    for (Shape shape : power_test::float_shapes())
        for (const char* variant : kCbrtVariants) {
            const std::string name = tvml_test::kernel_name(shape, "cbrt", variant);
            std::vector<float> x(8);
            for (size_t i = 0; i < x.size(); ++i) x[i] = cases[i % cases.size()].first;
            const std::vector<float> r = power_test::apply_sv<float>(name, shape, 1, x);
            for (size_t i = 0; i < x.size(); ++i)
                EXPECT_EQ(r[i], cases[i % cases.size()].second) << name << " x=" << x[i];
        }
}

// Zeros give +0 (either sign); infinities, NaN and subnormals give their
// IEEE roots, subnormals as accurately as normal inputs.
template <class T>
void check_cbrt_special_values(Shape shape, const std::string& name, double bound) {
    using L = std::numeric_limits<T>;
    const std::vector<T> specials = {T(0),           -T(0),          L::infinity(),   -L::infinity(),
                                     L::quiet_NaN(), -L::quiet_NaN(), L::denorm_min(), -L::denorm_min(),
                                     L::min() / 2,   -L::min() / 3,  L::min() * T(0.9999), L::min(),
                                     L::max(),       -L::max()};
    const int lanes = tvml_test::lanes_of(shape);
    for (T s : specials) {
        // s in every lane position, the other lanes holding ordinary values.
        for (int at = 0; at < lanes; ++at) {
            std::vector<T> x(lanes, T(5.5));
            x[at] = s;
            const std::vector<T> r = power_test::apply_sv<T>(name, shape, 1, x);
            const T got = r[at];
            if (s == 0) {
                EXPECT_EQ(got, T(0)) << name;
                EXPECT_FALSE(std::signbit(got)) << name << " cbrt(" << show(s) << ") is not +0";
            } else if (std::isnan(s)) {
                EXPECT_TRUE(std::isnan(got)) << name << " lane " << at;
            } else if (std::isinf(s)) {
                EXPECT_EQ(got, s) << name << " lane " << at;
            } else {
                Exact exact;
                power_test::reference_value(sizeof(T) == 4 ? "cbrtf" : "cbrt", exact.get(), double(s), 0);
                EXPECT_LE(ulp_error(got, exact.get()), bound) << name << " cbrt(" << show(s) << ") = " << show(got);
            }
            // The neighbours are unaffected by the special lane.
            const std::vector<T> plain = power_test::apply_sv<T>(name, shape, 1, std::vector<T>(lanes, T(5.5)));
            for (int k = 0; k < lanes; ++k)
                if (k != at) {
                    EXPECT_EQ(bits_of(r[k]), bits_of(plain[0])) << name << " lane " << k;
                }
        }
    }
}

TEST(CbrtShortVector, SpecialValuesInEveryLane) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (const char* variant : kCbrtVariants) {
        for (Shape shape : power_test::float_shapes()) {
            const std::string name = tvml_test::kernel_name(shape, "cbrt", variant);
            check_cbrt_special_values<float>(shape, name, power_test::row_of(tvml_test::kernel_name(shape, "cbrt", "tarvo")).max_ulp);
        }
        for (Shape shape : power_test::double_shapes()) {
            const std::string name = tvml_test::kernel_name(shape, "cbrt", variant);
            check_cbrt_special_values<double>(shape, name, power_test::row_of(tvml_test::kernel_name(shape, "cbrt", "tarvo")).max_ulp);
        }
    }
}

// 4- and 8-lane (2- and 4-lane) kernels compute the same algorithm.
TEST(CbrtShortVector, ShapesAgree) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<float> xf = tvml_test::test_inputs<float>(512, 3);
    const std::vector<float> f4 = power_test::apply_sv<float>("tvml_vs4_cbrt_tarvo", Shape::F4, 1, xf);
    const std::vector<float> f8 = power_test::apply_sv<float>("tvml_vs8_cbrt_tarvo", Shape::F8, 1, xf);
    for (size_t i = 0; i < xf.size(); ++i) EXPECT_TRUE(tvml_test::same_bits(f4[i], f8[i])) << xf[i];
    const std::vector<double> xd = tvml_test::test_inputs<double>(512, 4);
    const std::vector<double> d2 = power_test::apply_sv<double>("tvml_vd2_cbrt_tarvo", Shape::D2, 1, xd);
    const std::vector<double> d4 = power_test::apply_sv<double>("tvml_vd4_cbrt_tarvo", Shape::D4, 1, xd);
    for (size_t i = 0; i < xd.size(); ++i) EXPECT_TRUE(tvml_test::same_bits(d2[i], d4[i])) << xd[i];
}

// ---- Array kernels: which elements take the vector path. ----

struct CbrtArrayCase {
    const char* kernel;
    bool is_float;
    int vector_width;  // smallest block: elements below n rounded down to it are vector results
    const char* lanes;  // short-vector kernel computing the same lanes
};

void PrintTo(const CbrtArrayCase& c, std::ostream* os) { *os << c.kernel; }

class CbrtArray : public ::testing::TestWithParam<CbrtArrayCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }

    // Inputs whose vector and libm results differ (27, -0), mixed with
    // ordinary values, at an odd element offset (unaligned), out of place
    // and in place.
    template <class T>
    void check(const CbrtArrayCase& c) {
        auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, c.kernel));
        ASSERT_NE(kernel, nullptr) << c.kernel;
        const Shape shape = sizeof(T) == 4 ? Shape::F8 : Shape::D4;
        for (int n : {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 23, 24, 25, 31, 32, 33, 40, 47, 48, 49, 63}) {
            std::vector<T> storage(n + 2 + 8, T(-7));
            T* a = storage.data() + 1;  // unaligned for 16- and 32-byte loads
            for (int i = 0; i < n; ++i) a[i] = i % 3 == 0 ? T(27) : i % 3 == 1 ? -T(0) : T(i) * T(0.37);
            std::vector<T> out_storage(n + 2, T(-3));
            T* r = out_storage.data() + 1;
            kernel(n, a, nullptr, r, nullptr, 0);
            const int vector_end = n / c.vector_width * c.vector_width;
            // Vector-path elements match the short-vector kernel lane for lane.
            std::vector<T> padded(a, a + vector_end);
            padded.resize((vector_end + 7) / 8 * 8, T(1));
            const std::vector<T> lanes = power_test::apply_sv<T>(c.lanes, shape, 1, padded);
            for (int i = 0; i < vector_end; ++i)
                EXPECT_EQ(bits_of(r[i]), bits_of(lanes[i])) << c.kernel << " n=" << n << " i=" << i;
            for (int i = vector_end; i < n; ++i) {
                const T want = sizeof(T) == 4 ? T(::cbrtf(float(a[i]))) : T(::cbrt(double(a[i])));
                EXPECT_EQ(bits_of(r[i]), bits_of(want)) << c.kernel << " remainder n=" << n << " i=" << i;
            }
            EXPECT_EQ(r[-1], T(-3)) << c.kernel << " wrote before r";
            EXPECT_EQ(r[n], T(-3)) << c.kernel << " wrote past n=" << n;
            // In place.
            kernel(n, a, nullptr, a, nullptr, 0);
            for (int i = 0; i < n; ++i) EXPECT_EQ(bits_of(a[i]), bits_of(r[i])) << c.kernel << " in place, i=" << i;
        }
    }
};

TEST_P(CbrtArray, VectorBlocksSubBlocksAndLibmRemainder) {
    if (GetParam().is_float) check<float>(GetParam());
    else check<double>(GetParam());
}

// Block 8 floats / 4 doubles; the *_ondara forms in 16 (8) with one 8 (4)
// sub-block, which leaves the same elements to libm.
INSTANTIATE_TEST_SUITE_P(Kernels, CbrtArray,
                         ::testing::Values(CbrtArrayCase{"scbrt_tarvo", true, 8, "tvml_vs8_cbrt_tarvo"},
                                           CbrtArrayCase{"scbrt_ondara", true, 8, "tvml_vs8_cbrt_tarvo"},
                                           CbrtArrayCase{"scbrt_belisk", true, 8, "tvml_vs8_cbrt_tarvo"},
                                           CbrtArrayCase{"dcbrt_tarvo", false, 4, "tvml_vd4_cbrt_tarvo"},
                                           CbrtArrayCase{"dcbrt_ondara", false, 4, "tvml_vd4_cbrt_tarvo"},
                                           CbrtArrayCase{"dcbrt_belisk", false, 4, "tvml_vd4_cbrt_tarvo"}),
                         [](const auto& info) { return std::string(info.param.kernel); });

// ---- sqrt, sqrt_mask, hypot ----

template <class T>
void check_sqrt_family(Shape shape) {
    using L = std::numeric_limits<T>;
    using U = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    const std::vector<T> x = tvml_test::test_inputs<T>(64, 11);
    // sqrt: the correctly rounded root, NaN for negatives, -0 for -0.
    const std::vector<T> r = power_test::apply_sv<T>(tvml_test::kernel_name(shape, "sqrt", "belisk"), shape, 1, x);
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_TRUE(tvml_test::same_bits(r[i], T(std::sqrt(x[i])))) << "sqrt " << show(x[i]) << " got " << show(r[i]);
    // sqrt_mask: all-ones lanes pass x, zero lanes give +0, partial masks
    // clear the low bits of x.
    const U masks[] = {~U(0), U(0), ~U(0) << (sizeof(T) == 4 ? 12 : 40), U(1) << (8 * sizeof(T) - 1)};
    std::vector<T> m(x.size());
    for (size_t i = 0; i < m.size(); ++i) m[i] = from_bits<T>(masks[(i + i / 4) % 4]);
    const std::vector<T> rm =
        power_test::apply_sv<T>(tvml_test::kernel_name(shape, "sqrt_mask", "belisk"), shape, 2, x, m);
    for (size_t i = 0; i < x.size(); ++i) {
        const T masked = from_bits<T>(bits_of(x[i]) & bits_of(m[i]));
        EXPECT_TRUE(tvml_test::same_bits(rm[i], T(std::sqrt(masked)))) << "sqrt_mask " << show(x[i]) << " lane " << i;
        if (bits_of(m[i]) == 0) {
            EXPECT_EQ(bits_of(rm[i]), bits_of(T(0))) << "zero mask gives +0";
        }
    }
    // The documented mask case: (4, 9) with (all ones, 0) gives (2, 0).
    std::vector<T> four_nine(tvml_test::lanes_of(shape)), mask(four_nine.size());
    for (size_t i = 0; i < four_nine.size(); ++i) {
        four_nine[i] = i % 2 ? T(9) : T(4);
        mask[i] = from_bits<T>(i % 2 ? U(0) : ~U(0));
    }
    const std::vector<T> two_zero =
        power_test::apply_sv<T>(tvml_test::kernel_name(shape, "sqrt_mask", "belisk"), shape, 2, four_nine, mask);
    for (size_t i = 0; i < two_zero.size(); ++i) EXPECT_EQ(two_zero[i], i % 2 ? T(0) : T(2));
    // hypot: exact for Pythagorean triples, unscaled at the range ends, C99
    // results for infinite operands.
    const T big = sizeof(T) == 4 ? T(3e20) : T(3e160);
    const std::vector<std::pair<std::pair<T, T>, T>> cases = {
        {{T(3), T(4)}, T(5)},          {{T(-5), T(12)}, T(13)},       {{T(0), -T(0)}, T(0)},
        {{big, big * T(4) / T(3)}, L::infinity()}, {{L::infinity(), T(1)}, L::infinity()},
        {{L::quiet_NaN(), T(1)}, L::quiet_NaN()},  {{T(8), T(-15)}, T(17)}, {{L::min(), T(0)}, T(0)},
        // An infinite operand gives +inf even beside NaN.
        {{L::infinity(), L::quiet_NaN()}, L::infinity()}, {{-L::quiet_NaN(), -L::infinity()}, L::infinity()},
        {{-L::infinity(), -L::infinity()}, L::infinity()}};
    std::vector<T> hx, hy;
    // An odd count of cases: every case meets every lane position.
    for (size_t i = 0; i < size_t(tvml_test::lanes_of(shape)) * cases.size(); ++i) {
        hx.push_back(cases[i % cases.size()].first.first);
        hy.push_back(cases[i % cases.size()].first.second);
    }
    const std::vector<T> rh = power_test::apply_sv<T>(tvml_test::kernel_name(shape, "hypot", "belisk"), shape, 2, hx, hy);
    for (size_t i = 0; i < hx.size(); ++i)
        EXPECT_TRUE(tvml_test::same_bits(rh[i], cases[i % cases.size()].second))
            << "hypot(" << show(hx[i]) << ", " << show(hy[i]) << ") got " << show(rh[i]);
}

TEST(SqrtFamily, SqrtMaskedSqrtAndHypotInEveryShape) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (Shape s : power_test::float_shapes()) check_sqrt_family<float>(s);
    for (Shape s : power_test::double_shapes()) check_sqrt_family<double>(s);
}

}  // namespace
