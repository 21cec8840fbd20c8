// The accuracy checker's arithmetic: ULP distances at the awkward places
// (binade edges, subnormals, zeros, infinities, NaNs), the MPFR references
// at rounding edges of the formats, and the reading of accuracy rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "reference.hpp"
#include "rows.hpp"
#include "ulp_math.hpp"

namespace {

using tvml_ulp::ulp_steps;

template <class T>
class UlpSteps : public ::testing::Test {};
using Formats = ::testing::Types<float, double>;
TYPED_TEST_SUITE(UlpSteps, Formats);

TYPED_TEST(UlpSteps, CountsRepresentableNumbers) {
    using T = TypeParam;
    using L = std::numeric_limits<T>;
    const T inf = L::infinity(), nan = L::quiet_NaN();
    const T below2 = std::nextafter(T(2), T(0)), above2 = std::nextafter(T(2), inf);
    const struct {
        T got, want;
        double steps;
        const char* what;
    } cases[] = {
        {T(1), T(1), 0, "equal"},
        {std::nextafter(T(1), inf), T(1), 1, "one above"},
        {T(1), std::nextafter(T(1), inf), 1, "symmetric"},
        {below2, above2, 2, "across a power of two"},
        {std::nextafter(T(1), T(0)), std::nextafter(T(1), inf), 2, "across 1, half-size steps below"},
        {T(-1), -std::nextafter(T(1), inf), 1, "negative"},
        {L::denorm_min(), T(0), 1, "smallest subnormal against zero"},
        {3 * L::denorm_min(), L::denorm_min(), 2, "subnormals"},
        {L::min(), std::nextafter(L::min(), T(0)), 1, "normal against largest subnormal"},
        {T(0), -T(0), 1, "zeros of opposite signs are adjacent"},
        {-L::denorm_min(), L::denorm_min(), 3, "across zero"},
        {L::max(), std::nextafter(L::max(), T(0)), 1, "largest finite"},
        {L::max(), -L::max(), 2 * double(tvml_ulp::ordered(L::max())) + 1, "the whole finite range"},
        {inf, inf, 0, "same infinity"},
        {inf, L::max(), INFINITY, "overflow to infinity where the result is finite"},
        {L::max(), inf, INFINITY, "finite where the result is infinite"},
        {-inf, inf, INFINITY, "infinities of opposite signs"},
        {nan, nan, 0, "NaN against NaN"},
        {-nan, nan, 0, "NaNs of any sign"},
        {nan, T(1), INFINITY, "NaN against a number"},
        {T(1), nan, INFINITY, "number against NaN"},
        {nan, inf, INFINITY, "NaN against infinity"},
    };
    for (const auto& c : cases) EXPECT_EQ(ulp_steps(c.got, c.want), c.steps) << c.what;
}

TYPED_TEST(UlpSteps, OrderedIsMonotoneAndInvertible) {
    using T = TypeParam;
    using L = std::numeric_limits<T>;
    const std::vector<T> ascending = {-L::infinity(), -L::max(), T(-1), -L::min(), -L::denorm_min(), -T(0), T(0),
                                      L::denorm_min(), L::min(), T(1), L::max(), L::infinity()};
    for (size_t i = 0; i < ascending.size(); ++i) {
        const T back = tvml_ulp::from_ordered<T>(tvml_ulp::ordered(ascending[i]));
        EXPECT_EQ(std::signbit(back), std::signbit(ascending[i])) << i;
        EXPECT_EQ(back, ascending[i]) << i;
        if (i) {
            EXPECT_LT(tvml_ulp::ordered(ascending[i - 1]), tvml_ulp::ordered(ascending[i])) << i;
        }
    }
    EXPECT_EQ(tvml_ulp::ordered(T(0)), 0);
    EXPECT_EQ(tvml_ulp::ordered(-T(0)), -1);
}

TEST(UlpOf, SpacingOfTheFormat) {
    EXPECT_EQ(tvml_ulp::ulp_of<float>(1.0), 0x1p-23);
    EXPECT_EQ(tvml_ulp::ulp_of<float>(1.99999), 0x1p-23);
    EXPECT_EQ(tvml_ulp::ulp_of<float>(-2.0), 0x1p-22);
    EXPECT_EQ(tvml_ulp::ulp_of<float>(1e-40), 0x1p-149);  // subnormal range
    EXPECT_EQ(tvml_ulp::ulp_of<float>(0.0), 0x1p-149);
    EXPECT_EQ(tvml_ulp::ulp_of<float>(0x1p-126), 0x1p-149);
    EXPECT_EQ(tvml_ulp::ulp_of<double>(1.0), 0x1p-52);
    EXPECT_EQ(tvml_ulp::ulp_of<double>(0x1p-1030), 0x1p-1074);
    EXPECT_EQ(tvml_ulp::ulp_of<float>(0x1p200), 0x1p177);  // exact values beyond the format
}

TEST(UlpError, AgainstTheExactValue) {
    // Correctly rounded results score at most one half.
    EXPECT_DOUBLE_EQ(tvml_ulp::ulp_error<float>(1.0f, 1.0 + 0x1p-25, 0, 1.0f), 0.25);
    EXPECT_DOUBLE_EQ(tvml_ulp::ulp_error<float>(1.0f, 1.0 + 0x1p-24, 0, 1.0f), 0.5);
    // The low part counts: 1 + 2^-53 + 2^-54 is 0.75 double ulp above 1.
    EXPECT_DOUBLE_EQ(tvml_ulp::ulp_error<double>(1.0, 1.0 + 0x1p-52, -0x1p-54, 1.0), 0.75);
    // Measured in the exact value's binade: 2 - 2^-23 against exact 2 + 2^-22 (cr 2).
    EXPECT_DOUBLE_EQ(tvml_ulp::ulp_error<float>(2.0f - 0x1p-23f, 2.0 + 0x1p-22, 0, 2.0f), 1.5);
    // Subnormal results count in units of the smallest subnormal.
    EXPECT_DOUBLE_EQ(tvml_ulp::ulp_error<float>(0x1p-148f, 0x1p-149 * 1.25, 0, 0x1p-149f), 0.75);
    EXPECT_EQ(tvml_ulp::ulp_error<float>(-0.0f, 1e-50, 0, 0.0f), 1.0);  // wrong sign of zero
    EXPECT_EQ(tvml_ulp::ulp_error<float>(INFINITY, 3.5e38, 0, 3.4028235e38f), INFINITY);
    EXPECT_EQ(tvml_ulp::ulp_error<double>(NAN, NAN, 0, NAN), 0.0);
}

// Reference values at the rounding edges of the formats.
struct RefCase {
    const char* name;
    double x, y;
    double want;  // correctly rounded in the name's format
};

class References : public ::testing::TestWithParam<RefCase> {};

TEST_P(References, CorrectlyRounded) {
    const RefCase& c = GetParam();
    const tvml_ulp::Reference* ref = tvml_ulp::find_reference(c.name);
    ASSERT_NE(ref, nullptr);
    for (bool fast : {false, true}) {
        double got;
        if (tvml_ulp::reference_is_float(*ref)) {
            got = tvml_ulp::evaluate(*ref, float(c.x), float(c.y), fast).cr;
        } else {
            got = tvml_ulp::evaluate(*ref, c.x, c.y, fast).cr;
        }
        if (std::isnan(c.want)) {
            EXPECT_TRUE(std::isnan(got)) << c.name << " fast=" << fast;
        } else {
            EXPECT_EQ(got, c.want) << c.name << "(" << c.x << ", " << c.y << ") fast=" << fast;
            EXPECT_EQ(std::signbit(got), std::signbit(c.want)) << c.name << " fast=" << fast;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, References,
    ::testing::Values(
        RefCase{"exp", -745.1, 0, 0x1p-1074},     // rounds up to the smallest subnormal
        RefCase{"exp", -746.0, 0, 0.0},           // below half of it: zero
        RefCase{"exp", 709.7, 0, 0x1.d75ae7a50ee14p+1023},
        RefCase{"exp", 710.0, 0, INFINITY},       // overflow
        RefCase{"expf", -100.0, 0, 0x1.bp-145},  // 26.55 smallest subnormals: rounds to 27
        RefCase{"expf", -104.0, 0, 0.0},
        RefCase{"expf", 88.72, 0, 0x1.fe8c9p+127},
        RefCase{"expf", 88.73, 0, INFINITY},
        RefCase{"logf", 0.0, 0, -INFINITY},
        RefCase{"log", -1.0, 0, NAN},
        RefCase{"sqrtf", -0.0, 0, -0.0},
        RefCase{"atan2", 0.0, -0.0, 0x1.921fb54442d18p+1},
        RefCase{"atan2f", -0.0, 0.0, -0.0},
        RefCase{"pow", -8.0, 1.0 / 3, NAN},
        RefCase{"pow", -2.0, 3.0, -8.0},
        RefCase{"hypotf", INFINITY, NAN, INFINITY},
        RefCase{"cbrtf", -27.0, 0, -3.0},
        RefCase{"exp10", 2.0, 0, 100.0},
        RefCase{"expm1f", 1e-30, 0, 1e-30f},
        RefCase{"tanh", 0.5, 0, 0x1.d9353d7568af3p-2}),
    [](const auto& info) { return std::string(info.param.name) + "_" + std::to_string(info.index); });

TEST(References, FastFloatPathMatchesMpfr) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> wide(-90.0f, 90.0f), positive(0.0f, 50.0f);
    for (const char* name : {"expf", "sinf", "logf", "powf", "cbrtf", "exp10f", "atanhf"}) {
        const tvml_ulp::Reference* ref = tvml_ulp::find_reference(name);
        ASSERT_NE(ref, nullptr) << name;
        for (int i = 0; i < 3000; ++i) {
            const float x = std::string(name) == "atanhf" ? wide(rng) / 90.0f : i % 2 ? wide(rng) : positive(rng);
            const float y = positive(rng) / 5.0f;
            const float slow = tvml_ulp::evaluate(*ref, x, y, false).cr;
            const float fast = tvml_ulp::evaluate(*ref, x, y, true).cr;
            ASSERT_EQ(ulp_steps(fast, slow), 0.0) << name << "(" << x << ", " << y << ")";
        }
    }
}

TEST(References, NamesAndArities) {
    EXPECT_EQ(tvml_ulp::find_reference("erf"), nullptr);
    EXPECT_EQ(tvml_ulp::find_reference("expff"), nullptr);
    for (const char* name : {"exp", "exp2", "exp10", "expm1", "log", "log10", "log1p", "cbrt", "sqrt", "sin", "cos",
                             "tan", "asin", "acos", "atan", "sinh", "cosh", "tanh", "asinh", "acosh", "atanh"}) {
        for (const std::string& n : {std::string(name), std::string(name) + "f"}) {
            const tvml_ulp::Reference* ref = tvml_ulp::find_reference(n);
            ASSERT_NE(ref, nullptr) << n;
            EXPECT_EQ(tvml_ulp::reference_arity(*ref), 1) << n;
            EXPECT_EQ(tvml_ulp::reference_is_float(*ref), n.back() == 'f') << n;
        }
    }
    for (const char* name : {"pow", "powf", "hypot", "hypotf", "atan2", "atan2f"})
        EXPECT_EQ(tvml_ulp::reference_arity(*tvml_ulp::find_reference(name)), 2) << name;
}

struct IntervalCase {
    const char* text;
    int arity;
    bool ok;
    size_t boxes;
};

class Intervals : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(Intervals, Parse) {
    const IntervalCase& c = GetParam();
    std::vector<tvml_ulp::Box> boxes;
    std::string why;
    EXPECT_EQ(tvml_ulp::parse_intervals(c.text, c.arity, boxes, why), c.ok) << c.text << ": " << why;
    if (c.ok) EXPECT_EQ(boxes.size(), c.boxes) << c.text;
    else EXPECT_FALSE(why.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, Intervals,
                         ::testing::Values(IntervalCase{"-80 80", 1, true, 1}, IntervalCase{"0 1; 2 3", 1, true, 2},
                                           IntervalCase{"0 inf", 1, true, 1}, IntervalCase{"-0x1p-10 0x1p10", 1, true, 1},
                                           IntervalCase{" 0 1 ; ", 1, true, 1},
                                           IntervalCase{"0 10 x -5 5; 1 2 x 3 4", 2, true, 2},
                                           IntervalCase{"0 1e10 x -3 3", 3, true, 1}, IntervalCase{"1 0", 1, false, 0},
                                           IntervalCase{"0 1 2", 1, false, 0}, IntervalCase{"0 1 2 3 4", 2, false, 0},
                                           IntervalCase{"0 1", 2, false, 0}, IntervalCase{"", 1, false, 0},
                                           IntervalCase{"a b", 1, false, 0}, IntervalCase{"0 nan", 1, false, 0}));

TEST(Rows, ReadFromAFile) {
    const std::string path = ::testing::TempDir() + "tvml_ulp_rows.def";
    {
        std::ofstream out(path);
        out << "/* TVML_KERNEL_ACCURACY(commented_out, expf, 1, 1, \"0 1\") */\n"
               "TVML_KERNEL_ACCURACY(sexp_tarvo, expf, 1, 2.5, \"-87.3 88.7; -1 1\")\n"
               "// TVML_ACCURACY(also_commented, float, exp, none, 1, 1, \"0 1\", \"\")\n"
               "TVML_KERNEL_ACCURACY(tvml_vd4_pow_tarvo, pow, 2, 1,\n    \"0 10 x -5 5\")\n"
               "TVML_ACCURACY(cbrt, double, cbrt, none, 1, 4,\n    \"-8 8\", \"0.75\")\n";
    }
    std::vector<tvml_ulp::Row> rows;
    std::string why;
    ASSERT_TRUE(tvml_ulp::read_rows(path, rows, why)) << why;
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].kernel, "sexp_tarvo");
    EXPECT_EQ(rows[0].reference, "expf");
    EXPECT_EQ(rows[0].max_ulp, 2.5);
    EXPECT_EQ(rows[0].intervals, "-87.3 88.7; -1 1");
    EXPECT_EQ(rows[1].arity, 2);
    // A function row stands for every tuned kernel of the function.
    std::vector<std::string> cbrt_kernels;
    for (size_t i = 2; i < rows.size(); ++i) {
        cbrt_kernels.push_back(rows[i].kernel);
        EXPECT_EQ(rows[i].reference, "cbrt");
        EXPECT_EQ(rows[i].worst, "0.75");
        EXPECT_EQ(rows[i].max_ulp, 4.0);
    }
    for (const char* k : {"tvml_vd2_cbrt_tarvo", "tvml_vd4_cbrt_belisk", "dcbrt_tarvo", "dcbrt_ondara", "dcbrt_belisk"})
        EXPECT_NE(std::find(cbrt_kernels.begin(), cbrt_kernels.end(), k), cbrt_kernels.end()) << k;
    for (tvml_ulp::Row& r : rows) ASSERT_TRUE(tvml_ulp::finish_row(r, why)) << why;
    EXPECT_EQ(rows[1].boxes[0].yhi, 5.0);
    std::remove(path.c_str());
}

// The expansion of a function row follows the name tables: powx kernels
// take one exponent per call, and a second output is its own row.
TEST(Rows, ExpansionFromTheNameTables) {
    const tvml_accuracy::Declaration pow{"pow", false, "pow", "", 2, 10, "1 2 x 1 2", "", false};
    bool saw_powx = false, saw_short_vector = false;
    for (const tvml_accuracy::KernelRow& r : tvml_accuracy::expand(pow)) {
        EXPECT_EQ(r.output, 1);
        if (r.kernel == "dpowx_tarvo") saw_powx = r.arity == 3;
        if (r.kernel == "tvml_vd4_pow_tarvo") saw_short_vector = r.arity == 2;
        EXPECT_EQ(r.kernel.find("spow"), std::string::npos) << "double row, float kernel " << r.kernel;
    }
    EXPECT_TRUE(saw_powx);
    EXPECT_TRUE(saw_short_vector);
    const tvml_accuracy::Declaration two{"cbrt", true, "cbrtf", "sqrtf", 1, 10, "1 2", "", false};
    const std::vector<tvml_accuracy::KernelRow> rows = tvml_accuracy::expand(two);
    ASSERT_EQ(rows.size() % 2, 0u);
    for (size_t i = 0; i < rows.size(); i += 2) {
        EXPECT_EQ(rows[i].kernel, rows[i + 1].kernel);
        EXPECT_EQ(rows[i].output, 1);
        EXPECT_EQ(rows[i + 1].output, 2);
        EXPECT_EQ(rows[i + 1].reference, "sqrtf");
    }
}

// Every declared row can be run: known reference of the right arity and
// precision class, readable intervals.
TEST(Rows, AccuracyDeclarationsAreWellFormed) {
    for (tvml_ulp::Row& r : tvml_ulp::builtin_rows()) {
        std::string why;
        EXPECT_TRUE(tvml_ulp::finish_row(r, why)) << why;
        const tvml_ulp::Reference* ref = tvml_ulp::find_reference(r.reference);
        ASSERT_NE(ref, nullptr) << r.kernel << ": unknown reference " << r.reference;
        EXPECT_EQ(tvml_ulp::reference_arity(*ref), r.arity == 1 ? 1 : 2) << r.kernel;
        const bool float_kernel = r.kernel[0] == 's' || r.kernel.rfind("tvml_vs", 0) == 0;
        EXPECT_EQ(tvml_ulp::reference_is_float(*ref), float_kernel) << r.kernel;
        EXPECT_GE(r.max_ulp, 0.0) << r.kernel;
    }
}

}  // namespace
