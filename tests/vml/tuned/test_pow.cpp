// x^y: the documented cases (with the sign of a negative base kept for
// odd integral y and NaN for non-integral y), C99 results at zeros,
// infinities and NaN in every lane, accuracy against MPFR over the
// declared intervals, the 4-float table exponential at its range ends,
// and the array kernels at block and remainder boundaries (including the
// exponent read of the powx kernels).
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
using power_test::Shape;
using power_test::show;
using power_test::ulp_error;

TEST(PowTables, Exp2fDataIsPowersOfTwoMinusTheShiftedIndex) {
    for (int j = 0; j < 32; ++j) {
        Exact e;
        mpfr_set_si(e.get(), j, MPFR_RNDN);
        mpfr_div_ui(e.get(), e.get(), 32, MPFR_RNDN);
        mpfr_exp2(e.get(), e.get(), MPFR_RNDN);
        const uint32_t want = bits_of(mpfr_get_flt(e.get(), MPFR_RNDN)) - (uint32_t(j) << 18);
        EXPECT_EQ(tvml::avx2::exp2f_data[j], want) << j;
    }
    EXPECT_EQ(tvml::avx2::exp2f_data[0], 0x3F800000u);
    EXPECT_EQ(tvml::avx2::exp2f_data[1], 0x3F7ECD87u);
    EXPECT_EQ(tvml::avx2::exp2f_data[16], 0x3F7504F3u);
    EXPECT_EQ(tvml::avx2::exp2f_data[31], 0x3F7E83B3u);
}

const char* const kVariants[] = {"tarvo", "belisk"};

double declared_bound(Shape shape) {
    return power_test::row_of(tvml_test::kernel_name(shape, "pow", "tarvo")).max_ulp;
}

// Result classes that must agree with libm exactly: NaN, the sign, zero,
// infinity.
template <class T>
bool same_class(T got, T want) {
    if (std::isnan(want) || std::isnan(got)) return std::isnan(want) && std::isnan(got);
    return std::signbit(got) == std::signbit(want) && (got == 0) == (want == 0) &&
           std::isinf(got) == std::isinf(want);
}

// The exponentials saturate by design: float results beyond 2^+-127.5
// (e^+-88.37626) become +inf or +0, double results below the normal range
// become +0.  Such a result has the class of the saturated value.
template <class T>
bool saturated(T got, T want) {
    const T low = sizeof(T) == 4 ? T(0x1.6a09e6p-128) : std::numeric_limits<T>::min();
    const T high = sizeof(T) == 4 ? T(0x1.6a09e6p+127) : std::numeric_limits<T>::max();
    if (std::isnan(want) || std::signbit(got) != std::signbit(want)) return false;
    return (std::fabs(want) < low && got == 0) || (std::fabs(want) >= high && std::isinf(got));
}

// x^y in every lane position of every shape against libm: the same class,
// and finite values within the declared bound (plus libm's own ulp).
template <class T>
void check_against_libm(Shape shape, const std::vector<std::pair<T, T>>& cases, T filler_x, T filler_y) {
    const int lanes = tvml_test::lanes_of(shape);
    const double bound = declared_bound(shape) + 1;
    for (const char* variant : kVariants) {
        const std::string name = tvml_test::kernel_name(shape, "pow", variant);
        for (const auto& c : cases) {
            const T want = sizeof(T) == 4 ? T(::powf(float(c.first), float(c.second)))
                                          : T(::pow(double(c.first), double(c.second)));
            for (int at = 0; at < lanes; ++at) {
                std::vector<T> x(lanes, filler_x), y(lanes, filler_y);
                x[at] = c.first;
                y[at] = c.second;
                const std::vector<T> r = power_test::apply_sv<T>(name, shape, 2, x, y);
                const T got = r[at];
                if (saturated(got, want)) continue;
                EXPECT_TRUE(same_class(got, want))
                    << name << " pow(" << show(c.first) << ", " << show(c.second) << ") = " << show(got) << ", libm "
                    << show(want) << " (lane " << at << ")";
                if (std::isfinite(want) && want != 0 && same_class(got, want)) {
                    Exact exact;
                    power_test::reference_value("pow", exact.get(), double(c.first), double(c.second));
                    EXPECT_LE(ulp_error(got, exact.get()), bound)
                        << name << " pow(" << show(c.first) << ", " << show(c.second) << ") = " << show(got);
                }
                const T plain = sizeof(T) == 4 ? T(::powf(float(filler_x), float(filler_y)))
                                               : T(::pow(double(filler_x), double(filler_y)));
                for (int k = 0; k < lanes; ++k)
                    if (k != at) {
                        EXPECT_TRUE(same_class(r[k], plain)) << name << " neighbour lane " << k;
                    }
            }
        }
    }
}

template <class T>
std::vector<std::pair<T, T>> special_pairs() {
    using L = std::numeric_limits<T>;
    const T xs[] = {T(0),  -T(0),  T(1),   T(-1),        T(2),           T(-2),          T(0.5), T(-0.5),
                    T(-8), L::infinity(), -L::infinity(), L::quiet_NaN(), L::denorm_min(), -L::denorm_min(),
                    L::min(), T(3)};
    const T ys[] = {T(0),   -T(0),  T(1),  T(-1), T(2),  T(-2),  T(3),           T(-3),
                    T(0.5), T(-0.5), T(2) / T(3), T(1e10), T(-1e10), L::infinity(), -L::infinity(),
                    L::quiet_NaN(), T(5), T(-7), T(0.25)};
    std::vector<std::pair<T, T>> pairs;
    for (T x : xs)
        for (T y : ys) pairs.push_back({x, y});
    return pairs;
}

TEST(PowShortVector, C99ResultsForSpecialOperandsInEveryLane) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (Shape shape : power_test::float_shapes()) check_against_libm<float>(shape, special_pairs<float>(), 1.5f, 2.0f);
    for (Shape shape : power_test::double_shapes())
        check_against_libm<double>(shape, special_pairs<double>(), 1.5, 2.0);
}

// The documented values: 2^10 = 1024 within one unit, x^0 = 1 and 1^y = 1,
// float overflow and underflow at 2^200 and 0.5^200; for a negative base
// the sound values: (-2)^3 = -8, (-2)^0.5 = NaN, (-1)^y = +-1 or NaN.
template <class T>
void check_documented(Shape shape) {
    const std::vector<std::pair<T, T>> exactish = {{T(2), T(10)}, {T(-2), T(3)}, {T(-1), T(4)}, {T(-1), T(5)},
                                                  {T(-1), T(-7)}, {T(7.25), T(0)}, {T(-3.5), T(0)}, {T(1), T(123.5)},
                                                  {T(1), T(-1e30)}};
    const std::vector<T> expected = {T(1024), T(-8), T(1), T(-1), T(-1), T(1), T(1), T(1), T(1)};
    for (const char* variant : kVariants) {
        const std::string name = tvml_test::kernel_name(shape, "pow", variant);
        std::vector<T> x, y;
        const int lanes = tvml_test::lanes_of(shape);
        for (size_t i = 0; i < exactish.size() * lanes; ++i) {
            x.push_back(exactish[i % exactish.size()].first);
            y.push_back(exactish[i % exactish.size()].second);
        }
        x.resize((x.size() + lanes - 1) / lanes * lanes, T(1));
        y.resize(x.size(), T(1));
        const std::vector<T> r = power_test::apply_sv<T>(name, shape, 2, x, y);
        for (size_t i = 0; i < exactish.size() * lanes; ++i) {
            const T want = expected[i % exactish.size()];
            const T spacing = std::nextafter(std::fabs(want), T(0)) - std::fabs(want);
            EXPECT_LE(std::fabs(r[i] - want), std::fabs(spacing) * 2) << name << " pow(" << x[i] << ", " << y[i] << ")";
            EXPECT_EQ(std::signbit(r[i]), std::signbit(want)) << name;
        }
        for (T base : {T(-2), T(-1), T(-8)}) {
            const std::vector<T> rn = power_test::apply_sv<T>(name, shape, 2, std::vector<T>(lanes, base),
                                                             std::vector<T>(lanes, T(0.5)));
            for (T v : rn) EXPECT_TRUE(std::isnan(v)) << name << " pow(" << base << ", 0.5)";
        }
    }
}

TEST(PowShortVector, DocumentedValuesWithTheSignOfNegativeBases) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (Shape s : power_test::float_shapes()) check_documented<float>(s);
    for (Shape s : power_test::double_shapes()) check_documented<double>(s);
    for (Shape s : power_test::float_shapes()) {
        const int lanes = tvml_test::lanes_of(s);
        const std::vector<float> big = power_test::apply_sv<float>(tvml_test::kernel_name(s, "pow", "tarvo"), s, 2,
                                                                   std::vector<float>(lanes, 2.0f),
                                                                   std::vector<float>(lanes, 200.0f));
        const std::vector<float> tiny = power_test::apply_sv<float>(tvml_test::kernel_name(s, "pow", "tarvo"), s, 2,
                                                                    std::vector<float>(lanes, 0.5f),
                                                                    std::vector<float>(lanes, 200.0f));
        for (int i = 0; i < lanes; ++i) {
            EXPECT_EQ(big[i], INFINITY);
            EXPECT_EQ(tiny[i], 0.0f);
            EXPECT_FALSE(std::signbit(tiny[i]));
        }
    }
}

// Both float exponentials at the ends of their range: correctly scaled
// subnormal results down to z = -127.5 ln 2, +0 below it and +inf above
// 127.5 ln 2 (the specified saturations, although 2^127.6 and 2^-140 are
// representable).
TEST(PowShortVector, FloatRangeEnds) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<float> scaled = {-126.0f, -126.01f, -126.5f, -127.0f, -127.4f, -127.49f, 126.9f, 127.0f, 127.4f};
    const std::vector<float> zero = {-127.6f, -128.3f, -130.7f, -140.0f, -145.2f, -149.0f, -200.0f};
    const std::vector<float> inf = {127.6f, 128.0f, 200.0f};
    for (Shape s : power_test::float_shapes()) {
        const std::string name = tvml_test::kernel_name(s, "pow", "tarvo");
        const int lanes = tvml_test::lanes_of(s);
        for (const std::vector<float>* ys : {&scaled, &zero, &inf}) {
            std::vector<float> y = *ys;
            y.resize((y.size() + lanes - 1) / lanes * lanes, ys->front());
            const std::vector<float> r = power_test::apply_sv<float>(name, s, 2, std::vector<float>(y.size(), 2.0f), y);
            for (size_t i = 0; i < y.size(); ++i) {
                if (ys == &inf) {
                    EXPECT_EQ(r[i], INFINITY) << name << " 2^" << y[i];
                } else if (ys == &zero) {
                    EXPECT_EQ(r[i], 0.0f) << name << " 2^" << y[i];
                    EXPECT_FALSE(std::signbit(r[i]));
                } else {
                    Exact exact;
                    power_test::reference_value("powf", exact.get(), 2.0, double(y[i]));
                    EXPECT_LE(ulp_error(r[i], exact.get()), declared_bound(s)) << name << " 2^" << y[i] << " = " << r[i];
                }
            }
        }
    }
}

// Double bases next to 1 with large exponents, |y ln x| up to 1: the
// logarithm's error must not be multiplied by y.  Every double kernel, in
// every lane position of a block and in the remainder, beside lanes of
// the fast path.
TEST(PowNearOne, DoubleBasesNextToOneKeepAFewUlp) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::pair<double, double> cases[] = {
        {1 + 0x1p-52, 0x1p51}, {1 + 1e-10, 5e9}, {1 - 0x1p-53, -0x1p52}, {1 - 1e-6, 7e5},
        {1 + 0x1p-9, -200.0},  {0.9961, 250.0},  {1.0039, -250.0},      {1 + 3e-15, 1.5e14}};
    const char* const kernels[] = {"tvml_vd2_pow_tarvo", "tvml_vd4_pow_tarvo", "tvml_vd4_pow_belisk",
                                   "dpow_tarvo",         "dpow_ondara",        "dpow_belisk",
                                   "dpowx_tarvo"};
    constexpr int n = 11;  // blocks of 2 and 4 and a remainder
    for (const char* kernel : kernels) {
        const bool powx = std::strstr(kernel, "powx") != nullptr;
        for (const auto& c : cases) {
            for (int at = 0; at < n; ++at) {
                // Neighbours on the fast path: 2.5^y (or 2.5^1.5 with a per-element y).
                std::vector<double> x(n, 2.5), y(n, powx ? c.second : 1.5);
                x[at] = c.first;
                y[at] = c.second;
                std::vector<double> r;
                if (power_test::is_short_vector(kernel)) {
                    x.resize(12, 2.5);  // whole registers
                    y.resize(12, 1.5);
                    r = power_test::apply_sv<double>(kernel, power_test::shape_of(kernel), 2, x, y);
                } else {
                    r.assign(n, 0.0);
                    auto k = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, kernel));
                    ASSERT_NE(k, nullptr) << kernel;
                    k(n, x.data(), powx ? &c.second : y.data(), r.data(), nullptr, 0);
                }
                Exact exact;
                power_test::reference_value("pow", exact.get(), c.first, c.second);
                EXPECT_LE(ulp_error(r[at], exact.get()), 3.0)
                    << kernel << " pow(" << show(c.first) << ", " << show(c.second) << ") = " << show(r[at])
                    << " at " << at;
            }
        }
    }
}

// ---- Array kernels ----

struct PowArrayCase {
    const char* kernel;
    bool is_float;
    int width;          // block width in elements
    Shape lanes_shape;  // short-vector kernel of the same lanes
    bool powx;          // one exponent *b
};

void PrintTo(const PowArrayCase& c, std::ostream* os) { *os << c.kernel; }

class PowArray : public ::testing::TestWithParam<PowArrayCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }

    tvml_array_kernel kernel() const {
        return reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, GetParam().kernel));
    }

    template <class T>
    static T libm_pow(T x, T y) {
        return sizeof(T) == 4 ? T(::powf(float(x), float(y))) : T(::pow(double(x), double(y)));
    }

    // Blocks equal the short-vector lanes, the remainder equals libm, every
    // element has libm's class, in place equals out of place, nothing is
    // written past n.
    template <class T>
    void check_boundaries() {
        const PowArrayCase& c = GetParam();
        auto k = kernel();
        ASSERT_NE(k, nullptr) << c.kernel;
        const int W = c.width;
        const T xs[] = {T(-2), T(1.7), T(-8), T(0), -T(0), T(3.25), T(-0.5), std::numeric_limits<T>::infinity(),
                        T(0.9), T(-1), T(12.5), std::numeric_limits<T>::quiet_NaN(), T(2), T(-3)};
        const T ys[] = {T(3), T(0.5), T(2) / T(3), T(-1), T(-3), T(1.5), T(5), T(-2), T(40), T(0), T(-7), T(1), T(10),
                        T(2)};
        const T exponent = T(3);
        for (int n : {0, 1, W - 1, W, W + 1, 2 * W - 1, 2 * W, 2 * W + 1, 3 * W + W / 2, 5 * W + 1}) {
            std::vector<T> a(n + 1), b(n + 1);
            for (int i = 0; i < n; ++i) {
                a[i] = xs[i % 14];
                b[i] = c.powx ? exponent : ys[(i + i / 14) % 14];
            }
            std::vector<T> r(n + 1, T(-5));
            k(n, a.data(), c.powx ? &exponent : b.data(), r.data(), nullptr, 0);
            const int vector_end = n / W * W;
            std::vector<T> xl(a.begin(), a.begin() + vector_end), yl(b.begin(), b.begin() + vector_end);
            const std::vector<T> lanes = power_test::apply_sv<T>(
                tvml_test::kernel_name(c.lanes_shape, "pow", "tarvo"), c.lanes_shape, 2, xl, yl);
            for (int i = 0; i < n; ++i) {
                const T want = i < vector_end ? lanes[i] : libm_pow(a[i], b[i]);
                EXPECT_TRUE(tvml_test::same_bits(r[i], want))
                    << c.kernel << " n=" << n << " i=" << i << " pow(" << a[i] << ", " << b[i] << ") = " << r[i]
                    << ", want " << want << (i < vector_end ? " (block)" : " (remainder)");
                EXPECT_TRUE(same_class(r[i], libm_pow(a[i], b[i]))) << c.kernel << " pow(" << a[i] << ", " << b[i] << ")";
            }
            EXPECT_EQ(r[n], T(-5)) << c.kernel << " wrote past n=" << n;
            std::vector<T> in_a = a;
            k(n, in_a.data(), c.powx ? &exponent : b.data(), in_a.data(), nullptr, 0);
            for (int i = 0; i < n; ++i) EXPECT_TRUE(tvml_test::same_bits(in_a[i], r[i])) << c.kernel << " r = a, i=" << i;
            if (!c.powx) {
                std::vector<T> in_b = b;
                k(n, a.data(), in_b.data(), in_b.data(), nullptr, 0);
                for (int i = 0; i < n; ++i)
                    EXPECT_TRUE(tvml_test::same_bits(in_b[i], r[i])) << c.kernel << " r = b, i=" << i;
            }
        }
    }

    // The powx exponent: read once before the blocks (a later write through
    // r does not change them) and again for each remainder element.
    template <class T>
    void check_exponent_reads() {
        const PowArrayCase& c = GetParam();
        auto k = kernel();
        const int W = c.width;
        // b aliases r[0]: both blocks use the exponent as it was on entry.
        std::vector<T> a(2 * W, T(1.5)), r(2 * W, T(2));
        k(2 * W, a.data(), &r[0], r.data(), nullptr, 0);
        for (int i = 0; i < 2 * W; ++i) EXPECT_EQ(r[i], r[2 * W - 1]) << c.kernel << " block element " << i;
        EXPECT_NEAR(double(r[0]), 2.25, 1e-5);
        // b aliases r[W], the first remainder element: the second remainder
        // element sees the value just stored there.
        std::vector<T> a2(W + 2, T(2)), r2(W + 2, T(3));
        k(W + 2, a2.data(), &r2[W], r2.data(), nullptr, 0);
        EXPECT_EQ(r2[W], libm_pow(T(2), T(3)));
        EXPECT_EQ(r2[W + 1], libm_pow(T(2), libm_pow(T(2), T(3))));
        for (int i = 0; i < W; ++i) EXPECT_NEAR(double(r2[i]), 8.0, 1e-4) << c.kernel << " block element " << i;
    }
};

TEST_P(PowArray, BlocksRemainderAndInPlace) {
    if (GetParam().is_float) check_boundaries<float>();
    else check_boundaries<double>();
}

TEST_P(PowArray, PowxReadsTheExponentOnceForBlocksAndPerRemainderElement) {
    if (!GetParam().powx) GTEST_SKIP() << "one exponent per element";
    if (GetParam().is_float) check_exponent_reads<float>();
    else check_exponent_reads<double>();
}

INSTANTIATE_TEST_SUITE_P(Kernels, PowArray,
                         ::testing::Values(PowArrayCase{"spow_tarvo", true, 8, Shape::F8, false},
                                           PowArrayCase{"spowx_tarvo", true, 8, Shape::F8, true},
                                           PowArrayCase{"spow_ondara", true, 4, Shape::F4, false},
                                           PowArrayCase{"spow_belisk", true, 4, Shape::F4, false},
                                           PowArrayCase{"dpow_tarvo", false, 4, Shape::D4, false},
                                           PowArrayCase{"dpowx_tarvo", false, 4, Shape::D4, true},
                                           PowArrayCase{"dpow_ondara", false, 2, Shape::D2, false},
                                           PowArrayCase{"dpow_belisk", false, 2, Shape::D2, false}),
                         [](const auto& info) { return std::string(info.param.kernel); });

// The two-thirds power of -8 through the powx kernels: NaN in a block and
// in the remainder alike, as libm gives; the cube (odd) keeps the sign.
TEST(PowxArray, NegativeBaseInBlockAndRemainder) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (int n : {8, 9}) {
        std::vector<float> a(n, -8.0f), r(n);
        const float two_thirds = 0x1.555556p-1f;  // 0x3F2AAAAB
        spowx_tarvo(n, a.data(), &two_thirds, r.data(), nullptr, 0);
        for (int i = 0; i < n; ++i) EXPECT_TRUE(std::isnan(r[i])) << "n=" << n << " i=" << i << " got " << r[i];
        const float three = 3.0f;
        spowx_tarvo(n, a.data(), &three, r.data(), nullptr, 0);
        for (int i = 0; i < n; ++i) EXPECT_NEAR(r[i], -512.0f, 512.0f * 1e-5f) << "n=" << n << " i=" << i;
    }
    for (int n : {4, 5}) {
        std::vector<double> a(n, -8.0), r(n);
        const double two_thirds = 0x1.5555555555555p-1;  // 0x3FE5555555555555
        dpowx_tarvo(n, a.data(), &two_thirds, r.data(), nullptr, 0);
        for (int i = 0; i < n; ++i) EXPECT_TRUE(std::isnan(r[i])) << "n=" << n << " i=" << i;
    }
}

// Every declared pow kernel keeps its bound over its intervals.
class PowAccuracy : public power_test::DeclaredAccuracy {};

TEST_P(PowAccuracy, WithinDeclaredBound) { check(1 << 13, 1 << 12, 9); }

INSTANTIATE_TEST_SUITE_P(Declared, PowAccuracy, ::testing::ValuesIn(power_test::rows_of({"pow"})),
                         [](const auto& info) { return info.param.kernel; });

}  // namespace
