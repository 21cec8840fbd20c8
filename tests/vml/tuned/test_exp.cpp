// Exponential family (exp, exp2, exp10, expm1): tables against their
// definitions, documented edge cases, special values in every lane with
// their neighbours, the exp2 register fallback, and the e^x array kernels
// at their block boundaries.  Accuracy over the declared intervals and
// lane independence of every declared kernel: the checker's CTest.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "exp_table_values.hpp"
#include "family_harness.hpp"
#include "sv_apply.hpp"
#include "test_support.hpp"

namespace {

using tvml_test::Shape;

constexpr Shape kShapes[] = {Shape::F4, Shape::F8, Shape::D2, Shape::D4};

using family::variant_of;

// Error of a result against the MPFR reference, as the checker measures it.
template <class T>
double ulp_error(const std::string& fn, T x, T got) {
    return family::ulp_error(family::libm_name<T>(fn), got, x);
}

// ---- kernel calls --------------------------------------------------------

template <class T>
std::vector<T> apply(const std::string& kernel, Shape shape, const std::vector<T>& x) {
    std::vector<T> r(x.size());
    EXPECT_TRUE(tvml_test::sv_apply(kernel, shape, 1, x.data(), nullptr, r.data(), x.size())) << kernel;
    return r;
}

// One value through every lane of a register of the shape (other lanes 0.5).
template <class T>
std::vector<T> in_every_lane(const std::string& kernel, Shape shape, T v, std::vector<T>* others = nullptr) {
    const int w = tvml_test::lanes_of(shape);
    std::vector<T> x(size_t(w) * w, T(0.5));
    for (int lane = 0; lane < w; ++lane) x[size_t(lane) * w + lane] = v;
    const std::vector<T> r = apply(kernel, shape, x);
    std::vector<T> diag(w);
    if (others) others->clear();
    for (int lane = 0; lane < w; ++lane)
        for (int i = 0; i < w; ++i) {
            if (i == lane) diag[lane] = r[size_t(lane) * w + i];
            else if (others) others->push_back(r[size_t(lane) * w + i]);
        }
    return diag;
}

// ---- tables --------------------------------------------------------------

uint64_t bits_of(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// 2^(j / 2^bits) rounded to nearest, by MPFR.
double mpfr_pow2_fraction(unsigned j, int bits) {
    mpfr_t v;
    mpfr_init2(v, 256);
    mpfr_set_ui(v, j, MPFR_RNDN);
    mpfr_div_2ui(v, v, bits, MPFR_RNDN);
    mpfr_exp2(v, v, MPFR_RNDN);
    const double d = mpfr_get_d(v, MPFR_RNDN);
    mpfr_clear(v);
    return d;
}

TEST(ExpTables, Exp1024EntriesAreTwoToTheJOver1024) {
    for (unsigned j = 0; j < 1024; ++j) {
        ASSERT_EQ(bits_of(LUT_exp_1024[j]), bits_of(mpfr_pow2_fraction(j, 10))) << "j=" << j;
        // The exported table is the compile-time one.
        ASSERT_EQ(bits_of(LUT_exp_1024[j]), bits_of(tvml::exp_tables::kValues.exp_1024[j])) << "j=" << j;
    }
}

TEST(ExpTables, Exp128AndExp2DataFollowTheirRules) {
    for (unsigned j = 0; j < 128; ++j) {
        const uint64_t want = bits_of(mpfr_pow2_fraction(j, 7));
        ASSERT_EQ(bits_of(tvml::exp_tables::kValues.exp_128[j]), want) << "j=" << j;
        ASSERT_EQ(tvml::exp_tables::kValues.exp2_data[j], want - (uint64_t(j) << 45)) << "j=" << j;
    }
}

// ---- edge cases ----------------------------------------------------------

enum class Expect { Exact, PlusInf, PlusZero, Finite, Subnormal, NaN };

struct EdgeCase {
    const char* fn;
    bool on_float;  // float shapes, else double shapes
    double x;
    Expect expect;
    double value;  // Exact: the result; Finite/Subnormal: the approximate result
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.fn << (c.on_float ? "f" : "") << "(" << c.x << ")"; }

const EdgeCase kEdgeCases[] = {
    {"exp", true, 0.0, Expect::Exact, 1.0},
    {"exp", false, 0.0, Expect::Exact, 1.0},
    {"exp", true, -0.0, Expect::Exact, 1.0},
    {"exp", true, 88.3, Expect::Finite, 2.2295e38},
    {"exp", true, 88.4, Expect::PlusInf, 0},
    {"exp", true, -88.4, Expect::PlusZero, 0},
    {"exp", true, -88.2, Expect::Subnormal, 4.96e-39},
    {"exp", true, -87.5, Expect::Subnormal, 1.0e-38},
    {"exp", false, 709.78, Expect::Finite, 1.7928227943945155e308},
    {"exp", false, 709.79, Expect::PlusInf, 0},
    {"exp", false, -708.4, Expect::PlusZero, 0},
    {"exp", false, 709.7825, Expect::Finite, 1.797e308},
    {"exp", false, 709.782712893384, Expect::Finite, 1.7976931348622732e308},
    {"exp", false, -708.396, Expect::Finite, 2.2260e-308},
    {"exp", false, -708.3964, Expect::Finite, 2.22512e-308},
    {"exp2", true, 0.0, Expect::Exact, 1.0},
    {"exp2", true, 126.0, Expect::Exact, 8.507059173023462e37},
    {"exp2", true, -126.0, Expect::Exact, 1.1754943508222875e-38},
    {"exp2", true, 200.0, Expect::PlusInf, 0},
    {"exp2", true, -140.0, Expect::Exact, 7.174648137343064e-43},
    {"exp2", false, 0.0, Expect::Exact, 1.0},
    {"exp2", false, 1022.0, Expect::Exact, 4.49423283715579e307},
    {"exp2", false, -1021.0, Expect::Exact, 4.450147717014403e-308},
    {"exp2", false, -1074.0, Expect::Exact, 4.9406564584124654e-324},
    {"exp10", true, 0.0, Expect::Exact, 1.0},
    {"exp10", false, 0.0, Expect::Exact, 1.0},
    {"exp10", true, 38.6, Expect::PlusInf, 0},
    {"exp10", true, -38.0, Expect::PlusZero, 0},
    {"exp10", true, 38.5, Expect::Finite, 3.1622776e38},   // n = 128: finite although 2^n overflows
    {"exp10", true, 38.4, Expect::Finite, 2.5118864e38},
    {"exp10", false, 308.254, Expect::Finite, 1.7947336268325e308},  // k / 128 = 1024, finite
    {"exp10", false, 308.26, Expect::PlusInf, 0},
    {"exp10", false, -307.66, Expect::PlusZero, 0},
    {"expm1", true, 0.0, Expect::Exact, 0.0},
    {"expm1", false, 0.0, Expect::Exact, 0.0},
    {"expm1", false, 1e-10, Expect::Finite, 1.00000000005e-10},
    {"expm1", true, -100.0, Expect::Exact, -1.0},
    {"expm1", true, -88.0, Expect::Exact, -1.0},  // below -126 ln 2: -1 rounded
    {"expm1", true, 88.3, Expect::Finite, 2.2295e38},
    {"expm1", true, 88.5, Expect::PlusInf, 0},
    {"expm1", false, -800.0, Expect::Exact, -1.0},
    {"expm1", false, 709.78, Expect::Finite, 1.7928227943945155e308},
};

class ExpEdgeCases : public ::testing::TestWithParam<EdgeCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

template <class T>
void check_edge(const EdgeCase& c, Shape shape) {
    const std::string kernel = tvml_test::kernel_name(shape, c.fn, variant_of(c.fn));
    for (T r : in_every_lane<T>(kernel, shape, T(c.x))) {
        SCOPED_TRACE(kernel);
        switch (c.expect) {
            case Expect::Exact: EXPECT_TRUE(tvml_test::same_bits(r, T(c.value))) << r << " want " << T(c.value); break;
            case Expect::PlusInf: EXPECT_EQ(r, std::numeric_limits<T>::infinity()); break;
            case Expect::PlusZero: EXPECT_TRUE(tvml_test::same_bits(r, T(0))) << r; break;
            case Expect::NaN: EXPECT_TRUE(std::isnan(r)); break;
            case Expect::Finite:
            case Expect::Subnormal:
                EXPECT_TRUE(std::isfinite(r)) << r;
                EXPECT_NEAR(r / T(c.value), 1.0, 2e-3) << r;
                if (c.expect == Expect::Subnormal) {
                    EXPECT_LT(std::fabs(r), std::numeric_limits<T>::min());
                }
                EXPECT_LE(ulp_error<T>(c.fn, T(c.x), r), family::row_of(kernel).max_ulp) << r;
                break;
        }
    }
}

TEST_P(ExpEdgeCases, AllShapesAllLanes) {
    const EdgeCase& c = GetParam();
    for (Shape s : kShapes) {
        if (tvml_test::is_float(s) != c.on_float) continue;
        if (c.on_float) check_edge<float>(c, s);
        else check_edge<double>(c, s);
    }
}

INSTANTIATE_TEST_SUITE_P(Documented, ExpEdgeCases, ::testing::ValuesIn(kEdgeCases));

// ---- special values in every lane, lane independence -----------------------

template <class T>
void check_specials(Shape shape) {
    const T inf = std::numeric_limits<T>::infinity(), nan = std::numeric_limits<T>::quiet_NaN();
    // NaN payloads whose low bits would reach the exponent field.
    T payload_nan, negative_nan;
    if (sizeof(T) == 4) {
        const uint32_t b = 0x7FC001FFu, n = 0xFFC1FFFFu;
        std::memcpy(&payload_nan, &b, 4);
        std::memcpy(&negative_nan, &n, 4);
    } else {
        const uint64_t b = 0x7FF80000003FFFFFull, n = 0xFFF800000003FFFFull;
        std::memcpy(&payload_nan, &b, 8);
        std::memcpy(&negative_nan, &n, 8);
    }
    const std::vector<std::vector<T>> rows = {
        // x, exp, exp2, exp10, expm1
        {nan, nan, nan, nan, nan},
        {payload_nan, nan, nan, nan, nan},
        {negative_nan, nan, nan, nan, nan},
        {inf, inf, inf, inf, inf},
        {-inf, T(0), T(0), T(0), T(-1)},
        {T(0), T(1), T(1), T(1), T(0)},
        // expm1(-0): the float kernel's m * s + (s - 1) gives +0.
    {-T(0), T(1), T(1), T(1), sizeof(T) == 4 ? T(0) : -T(0)},
        {std::numeric_limits<T>::max(), inf, inf, inf, inf},
        {std::numeric_limits<T>::lowest(), T(0), T(0), T(0), T(-1)},
    };
    const char* fns[] = {"exp", "exp2", "exp10", "expm1"};
    for (int f = 0; f < 4; ++f) {
        const std::string kernel = tvml_test::kernel_name(shape, fns[f], variant_of(fns[f]));
        const std::vector<T> baseline = apply(kernel, shape, std::vector<T>(tvml_test::lanes_of(shape), T(0.5)));
        for (const std::vector<T>& row : rows) {
            std::vector<T> others;
            for (T r : in_every_lane<T>(kernel, shape, row[0], &others)) {
                const T want = row[1 + f];
                EXPECT_TRUE(tvml_test::same_bits(r, want) || (std::isnan(r) && std::isnan(want)))
                    << kernel << "(" << row[0] << ") = " << r << ", want " << want;
            }
            // The 0.5 lanes: bit-identical to a register of 0.5 only, except
            // where exp2 hands the whole register to libm.
            const bool whole_register_libm = f == 1 && !(std::fabs(row[0]) < T(126)) && !std::isnan(row[0]);
            for (T r : others) {
                if (whole_register_libm) {
                    EXPECT_EQ(r, T(std::exp2(0.5))) << kernel;
                } else {
                    EXPECT_TRUE(tvml_test::same_bits(r, baseline[0])) << kernel << " next to " << row[0];
                }
            }
        }
    }
}

TEST(ExpSpecialValues, EveryLanePositionAndNeighbours) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    check_specials<float>(Shape::F4);
    check_specials<float>(Shape::F8);
    check_specials<double>(Shape::D2);
    check_specials<double>(Shape::D4);
}

// ---- exp2: whole-register libm fallback ----------------------------------

TEST(Exp2Fallback, OneLaneBeyondTheRangeSendsTheRegisterToLibm) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<float> xf = {1, 2, 3, 200, 1, 2, 3, 200};
    const std::vector<float> rf = apply("tvml_vs4_exp2_belisk", Shape::F4, std::vector<float>(xf.begin(), xf.begin() + 4));
    EXPECT_EQ(rf, (std::vector<float>{2, 4, 8, INFINITY}));
    EXPECT_EQ(apply("tvml_vs8_exp2_belisk", Shape::F8, xf), (std::vector<float>{2, 4, 8, INFINITY, 2, 4, 8, INFINITY}));
    EXPECT_EQ(apply("tvml_vd2_exp2_belisk", Shape::D2, std::vector<double>{1022, 1}),
              (std::vector<double>{std::ldexp(1.0, 1022), 2.0}));
    EXPECT_EQ(apply("tvml_vd4_exp2_belisk", Shape::D4, std::vector<double>{1, 1022, -1100, 3}),
              (std::vector<double>{2.0, std::ldexp(1.0, 1022), 0.0, 8.0}));
}

TEST(Exp2Fallback, IntegersAreExact) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    std::vector<float> xf;
    for (int i = -128; i < 128; ++i) xf.push_back(float(i));
    for (Shape s : {Shape::F4, Shape::F8}) {
        const std::vector<float> r = apply(tvml_test::kernel_name(s, "exp2", "belisk"), s, xf);
        for (size_t i = 0; i < xf.size(); ++i) ASSERT_EQ(r[i], std::ldexp(1.0f, int(xf[i]))) << xf[i];
    }
    std::vector<double> xd;
    for (int i = -1024; i < 1024; ++i) xd.push_back(double(i));
    for (Shape s : {Shape::D2, Shape::D4}) {
        const std::vector<double> r = apply(tvml_test::kernel_name(s, "exp2", "belisk"), s, xd);
        for (size_t i = 0; i < xd.size(); ++i) ASSERT_EQ(r[i], std::ldexp(1.0, int(xd[i]))) << xd[i];
    }
}

// ---- exp10: the two float coefficient sets --------------------------------

TEST(Exp10, FourAndEightLaneKernelsAgreeWithinOneUlp) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-37.9f, 38.5f);
    std::vector<float> x(80000);
    for (float& v : x) v = u(rng);
    const std::vector<float> r4 = apply("tvml_vs4_exp10_belisk", Shape::F4, x);
    const std::vector<float> r8 = apply("tvml_vs8_exp10_belisk", Shape::F8, x);
    int differ = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        ASSERT_LE(std::fabs(r4[i] - r8[i]), std::fabs(std::nextafter(r4[i], INFINITY) - r4[i]) * 1.0001f) << x[i];
        differ += r4[i] != r8[i];
    }
    EXPECT_GT(differ, 0) << "the coefficient sets differ, so some results should";
}

// Every _belisk alias of exp is the _tarvo kernel.
TEST(ExpAliases, BeliskNamesGiveTheTarvoResults) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<float> f = tvml_test::test_inputs<float>(64, 5);
    const std::vector<double> d = tvml_test::test_inputs<double>(64, 6);
    for (Shape s : {Shape::F4, Shape::F8})
        EXPECT_EQ(0, std::memcmp(apply(tvml_test::kernel_name(s, "exp", "tarvo"), s, f).data(),
                                 apply(tvml_test::kernel_name(s, "exp", "belisk"), s, f).data(), 64 * 4));
    for (Shape s : {Shape::D2, Shape::D4})
        EXPECT_EQ(0, std::memcmp(apply(tvml_test::kernel_name(s, "exp", "tarvo"), s, d).data(),
                                 apply(tvml_test::kernel_name(s, "exp", "belisk"), s, d).data(), 64 * 8));
}

// ---- array kernels --------------------------------------------------------

struct ArrayKernel {
    const char* name;
    tvml_array_kernel kernel;
    int width;
    bool is_float;
    const char* lane_kernel;  // short-vector kernel of the same width
    Shape lane_shape;
};

void PrintTo(const ArrayKernel& k, std::ostream* os) { *os << k.name; }

const ArrayKernel kArrayKernels[] = {
    {"sexp_tarvo", sexp_tarvo, 8, true, "tvml_vs8_exp_tarvo", Shape::F8},
    {"sexp_ondara", sexp_ondara, 4, true, "tvml_vs4_exp_tarvo", Shape::F4},
    {"sexp_belisk", sexp_belisk, 4, true, "tvml_vs4_exp_tarvo", Shape::F4},
    {"dexp_tarvo", dexp_tarvo, 4, false, "tvml_vd4_exp_tarvo", Shape::D4},
    {"dexp_ondara", dexp_ondara, 2, false, "tvml_vd2_exp_tarvo", Shape::D2},
    {"dexp_belisk", dexp_belisk, 2, false, "tvml_vd2_exp_tarvo", Shape::D2},
};

class ExpArray : public ::testing::TestWithParam<ArrayKernel> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// Blocks give the lane kernel's results, the remainder libm's, nothing is
// written past n, and in-place use gives the same.
template <class T>
void check_boundaries(const ArrayKernel& k) {
    const int w = k.width;
    for (int n : {w - 1, w, w + 1, 3 * w - 1, 3 * w + 1}) {
        const std::vector<T> a = tvml_test::test_inputs<T>(size_t(n), 40 + n);
        std::vector<T> r(size_t(n) + 1, T(-7)), in_place = a;
        k.kernel(n, a.data(), nullptr, r.data(), nullptr, 0);
        k.kernel(n, in_place.data(), nullptr, in_place.data(), nullptr, 0);
        const int blocks = n / w;
        const std::vector<T> lanes =
            apply(k.lane_kernel, k.lane_shape, std::vector<T>(a.begin(), a.begin() + size_t(blocks) * w));
        for (int i = 0; i < n; ++i) {
            const T want = i < blocks * w ? lanes[i] : std::exp(a[i]);
            ASSERT_TRUE(tvml_test::same_bits(r[i], want)) << k.name << " n=" << n << " i=" << i << " x=" << a[i];
            ASSERT_TRUE(tvml_test::same_bits(in_place[i], r[i])) << k.name << " in place, n=" << n << " i=" << i;
        }
        EXPECT_EQ(r[n], T(-7)) << k.name << " wrote past n=" << n;
    }
}

TEST_P(ExpArray, BlocksAndRemainder) {
    if (GetParam().is_float) check_boundaries<float>(GetParam());
    else check_boundaries<double>(GetParam());
}

// The overflow and underflow correction of a block does not depend on what
// the preceding block held.
template <class T>
void check_correction_per_block(const ArrayKernel& k) {
    const int w = k.width;
    const T big = T(k.is_float ? 100.0 : 1000.0);
    // First block plain, second overflow and underflow (and 1 where it
    // fits), third plain again; then a corrected block first.
    std::vector<T> a(size_t(3) * w, T(0.25));
    a[w] = big;
    a[2 * w - 1] = -big;
    if (w > 2) a[w + 1] = T(1);
    a[2 * w] = T(1);
    std::vector<T> r(a.size());
    k.kernel(int(a.size()), a.data(), nullptr, r.data(), nullptr, 0);
    EXPECT_EQ(r[w], std::numeric_limits<T>::infinity()) << k.name;
    EXPECT_TRUE(tvml_test::same_bits(r[2 * w - 1], T(0))) << k.name;
    if (w > 2) {
        EXPECT_EQ(r[w + 1], r[2 * w]) << k.name;
    }
    EXPECT_NEAR(double(r[2 * w]), M_E, k.is_float ? 1e-6 : 1e-15) << k.name;
    for (int i = 2 * w + 1; i < 3 * w; ++i) EXPECT_TRUE(tvml_test::same_bits(r[i], r[0])) << k.name;
    std::vector<T> b(a.begin() + w, a.end()), rb(b.size());
    k.kernel(int(b.size()), b.data(), nullptr, rb.data(), nullptr, 0);
    EXPECT_TRUE(std::equal(rb.begin(), rb.end(), r.begin() + w, [](T u, T v) { return tvml_test::same_bits(u, v); }))
        << k.name;
}

TEST_P(ExpArray, CorrectionWhateverThePrecedingBlockHeld) {
    if (GetParam().is_float) check_correction_per_block<float>(GetParam());
    else check_correction_per_block<double>(GetParam());
}

TEST_P(ExpArray, HasAnAccuracyDeclaration) { EXPECT_NE(tvml_accuracy::find(GetParam().name), nullptr); }

INSTANTIATE_TEST_SUITE_P(Kernels, ExpArray, ::testing::ValuesIn(kArrayKernels),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
