// Inverse trigonometric family (asin, acos, atan, atan2): the atan table
// against its rule, documented and C99 values in every lane position with
// their neighbours, the whole-register libm fallback of asin and acos,
// atan2 against libm over every pair of special operands, and the array
// kernels' blocks, block fallback and libm remainders.  Accuracy over the
// declared intervals: the checker's CTest.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "family_harness.hpp"
#include "shortvec/invtrig_tables.hpp"

namespace {

using family::bits_of;
using family::Exact;
using family::Shape;
using family::show;
using family::ulp_error;

using family::variant_of;

TEST(InvtrigTables, AtanDataHoldsAtanOfQuarters) {
    Exact e;
    for (int j = 0; j < 32; ++j) {
        mpfr_set_d(e.get(), j / 4.0, MPFR_RNDN);
        mpfr_atan(e.get(), e.get(), MPFR_RNDN);
        EXPECT_EQ(bits_of(tvml::avx2::atan_data[j]), bits_of(mpfr_get_d(e.get(), MPFR_RNDN))) << "j=" << j;
    }
}

// ---- values in every lane position -------------------------------------

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793;

struct LaneCase {
    const char* fn;
    double x;     // atan2: the ordinate y
    double y;     // atan2: the abscissa x
    double want;  // NaN: a NaN; otherwise its sign always, its value when exact
    bool exact;   // else within the declared bound of MPFR's value
    bool floats, doubles;
};

void PrintTo(const LaneCase& c, std::ostream* os) {
    *os << c.fn << "(" << c.x;
    if (std::string(c.fn) == "atan2") *os << ", " << c.y;
    *os << ")" << (c.floats ? " f" : "") << (c.doubles ? " d" : "");
}

const LaneCase kLaneCases[] = {
    // asin: the documented values; |x| > 1 and infinities through libm.
    {"asin", 1, 0, kPi / 2, true, true, true},
    {"asin", -1, 0, -kPi / 2, true, true, true},
    {"asin", -0.0, 0, -0.0, true, true, true},
    {"asin", 0, 0, 0, true, true, true},
    {"asin", 0.5, 0, 0.5235987755982989, false, true, true},
    {"asin", -0.75, 0, -0.848062078981481, false, true, true},
    {"asin", 4.9406564584124654e-324, 0, 4.9406564584124654e-324, true, false, true},
    {"asin", 1.401298464324817e-45, 0, 1.401298464324817e-45, true, true, false},
    {"asin", kNaN, 0, kNaN, true, true, true},
    {"asin", 2, 0, kNaN, true, true, true},
    {"asin", 1.0000001192092896, 0, kNaN, true, true, true},
    {"asin", kInf, 0, kNaN, true, true, true},
    {"asin", -kInf, 0, kNaN, true, true, true},
    // acos
    {"acos", 1, 0, 0, true, true, true},
    {"acos", -1, 0, kPi, true, true, true},
    {"acos", 0, 0, kPi / 2, true, true, true},
    {"acos", -0.0, 0, kPi / 2, true, true, true},
    {"acos", 0.5, 0, 1.0471975511965979, false, true, true},
    {"acos", -0.5, 0, 2.0943951023931957, false, true, true},
    {"acos", 0.75, 0, 0.7227342478134157, false, true, true},
    {"acos", -0.75, 0, 2.4188584057763776, false, true, true},
    {"acos", kNaN, 0, kNaN, true, true, true},
    {"acos", -2, 0, kNaN, true, true, true},
    {"acos", kInf, 0, kNaN, true, true, true},
    // atan: 1.0000001 takes the float fold, 7.875 the double one.
    {"atan", 1, 0, kPi / 4, false, true, true},
    {"atan", -1, 0, -kPi / 4, false, true, true},
    {"atan", 1.0000001192092896, 0, 0.7853982, false, true, false},
    {"atan", 7.875, 0, 1.4445468495626831, false, true, true},
    {"atan", 7.874999999999999, 0, 1.4445468495626831, false, false, true},
    {"atan", 0, 0, 0, true, true, true},
    {"atan", -0.0, 0, -0.0, true, true, true},
    {"atan", kInf, 0, kPi / 2, true, true, true},
    {"atan", -kInf, 0, -kPi / 2, true, true, true},
    {"atan", 1e300, 0, kPi / 2, true, false, true},
    {"atan", -3e38, 0, -kPi / 2, false, true, true},
    {"atan", 4.9406564584124654e-324, 0, 4.9406564584124654e-324, true, false, true},
    {"atan", kNaN, 0, kNaN, true, true, true},
    // atan2(y, x): the documented values...
    {"atan2", 1, 0, kPi / 2, true, true, true},
    {"atan2", 1, -0.0, kPi / 2, true, true, true},
    {"atan2", -1, -1, -3 * kPi / 4, false, true, true},
    {"atan2", 0, -1, kPi, true, true, true},
    {"atan2", -0.0, -1, -kPi, true, true, true},
    {"atan2", 1, -1, 3 * kPi / 4, false, true, true},
    {"atan2", -1, 1, -kPi / 4, false, true, true},
    // ... zero and infinite operands as C99 gives them...
    {"atan2", 0, 0, 0, true, true, true},
    {"atan2", -0.0, 0, -0.0, true, true, true},
    {"atan2", 0, -0.0, kPi, true, true, true},
    {"atan2", -0.0, -0.0, -kPi, true, true, true},
    {"atan2", kInf, kInf, kPi / 4, false, true, true},
    {"atan2", -kInf, kInf, -kPi / 4, false, true, true},
    {"atan2", kInf, -kInf, 3 * kPi / 4, false, true, true},
    {"atan2", -kInf, -kInf, -3 * kPi / 4, false, true, true},
    {"atan2", kInf, 1, kPi / 2, true, true, true},
    {"atan2", -kInf, -1, -kPi / 2, true, true, true},
    {"atan2", 1, kInf, 0, true, true, true},
    {"atan2", -1, kInf, -0.0, true, true, true},
    {"atan2", 1, -kInf, kPi, true, true, true},
    {"atan2", -1, -kInf, -kPi, true, true, true},
    {"atan2", 0, 5, 0, true, true, true},
    {"atan2", -3, 0, -kPi / 2, true, true, true},
    // ... and NaN operands.
    {"atan2", kNaN, 1, kNaN, true, true, true},
    {"atan2", 1, kNaN, kNaN, true, true, true},
    {"atan2", 0, kNaN, kNaN, true, true, true},
    {"atan2", kInf, kNaN, kNaN, true, true, true},
    {"atan2", kNaN, kNaN, kNaN, true, true, true},
};

// Neighbour lanes hold these (y, x for atan2).
constexpr double kOrdinary = 0.5, kOrdinary2 = 0.75;

template <class T>
T libm_of(const std::string& fn, double x, double y) {
    if (fn == "asin") return T(std::asin(x));
    if (fn == "acos") return T(std::acos(x));
    if (fn == "atan") return sizeof(T) == 4 ? T(std::atan(float(x))) : T(std::atan(x));
    return sizeof(T) == 4 ? T(std::atan2(float(x), float(y))) : T(std::atan2(x, y));
}

template <class T>
void check_lane_case(const LaneCase& c, Shape shape) {
    const std::string fn = c.fn, kernel = tvml_test::kernel_name(shape, c.fn, variant_of(fn));
    const bool two = fn == "atan2";
    const int w = tvml_test::lanes_of(shape);
    const std::vector<T> ordinary_x(w, T(kOrdinary)), ordinary_y(w, T(kOrdinary2));
    const T plain = family::apply_sv<T>(kernel, shape, two ? 2 : 1, ordinary_x, ordinary_y)[0];
    // An ordered |x| > 1 sends an asin or acos register to libm whole.
    const bool whole_register_libm = (fn == "asin" || fn == "acos") && std::fabs(T(c.x)) > T(1);
    const double bound = family::row_of(kernel).max_ulp;
    for (int at = 0; at < w; ++at) {
        std::vector<T> x = ordinary_x, y = ordinary_y;
        x[at] = T(c.x);
        y[at] = T(c.y);
        const std::vector<T> r = family::apply_sv<T>(kernel, shape, two ? 2 : 1, x, y);
        const T got = r[at];
        SCOPED_TRACE(kernel + " lane " + std::to_string(at) + " got " + show(got));
        if (std::isnan(c.want)) {
            EXPECT_TRUE(std::isnan(got));
        } else {
            EXPECT_EQ(std::signbit(got), std::signbit(c.want));
            if (c.exact) {
                EXPECT_EQ(bits_of(got), bits_of(T(c.want))) << "want " << show(T(c.want));
            } else {
                EXPECT_LE(ulp_error(family::libm_name<T>(fn), got, T(c.x), T(c.y)), bound);
            }
        }
        for (int k = 0; k < w; ++k) {
            if (k == at) continue;
            const T want = whole_register_libm ? libm_of<T>(fn, kOrdinary, kOrdinary2) : plain;
            EXPECT_EQ(bits_of(r[k]), bits_of(want)) << "neighbour " << k;
        }
    }
}

class InvtrigLanes : public ::testing::TestWithParam<LaneCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

TEST_P(InvtrigLanes, EveryShapeEveryLanePosition) {
    const LaneCase& c = GetParam();
    if (c.floats)
        for (Shape s : family::float_shapes()) check_lane_case<float>(c, s);
    if (c.doubles)
        for (Shape s : family::double_shapes()) check_lane_case<double>(c, s);
}

INSTANTIATE_TEST_SUITE_P(Documented, InvtrigLanes, ::testing::ValuesIn(kLaneCases));

// ---- whole-register fallback of asin and acos ----------------------------

// A register holding (0.5, 2, 0, ...) is libm's for every lane: lane 0 the
// double asin of 0.5 rounded; (0.5, NaN, 0, ...) stays on the fast path.
template <class T>
void check_fallback(Shape shape) {
    const int w = tvml_test::lanes_of(shape);
    for (const char* fn : {"asin", "acos"}) {
        const std::string kernel = tvml_test::kernel_name(shape, fn, "tarvo");
        std::vector<T> x(w, T(0));
        x[0] = T(0.5);
        x[1] = T(2);
        const std::vector<T> r = family::apply_sv<T>(kernel, shape, 1, x);
        for (int i = 0; i < w; ++i)
            EXPECT_EQ(bits_of(r[i]), bits_of(libm_of<T>(fn, double(x[i]), 0))) << kernel << " lane " << i;
        x[1] = std::numeric_limits<T>::quiet_NaN();
        const std::vector<T> fast = family::apply_sv<T>(kernel, shape, 1, x);
        const std::vector<T> plain = family::apply_sv<T>(kernel, shape, 1, std::vector<T>(w, T(0.5)));
        EXPECT_EQ(bits_of(fast[0]), bits_of(plain[0])) << kernel;
        EXPECT_TRUE(std::isnan(fast[1])) << kernel;
    }
}

TEST(InvtrigFallback, OneLaneOutsideTheDomainSendsTheRegisterToLibm) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (Shape s : family::float_shapes()) check_fallback<float>(s);
    for (Shape s : family::double_shapes()) check_fallback<double>(s);
}

// ---- atan2 over every pair of special operands ---------------------------

// Same NaN-ness and sign as libm's atan2, and within the declared bound of
// the exact value (MPFR follows C99 for zeros and infinities).
template <class T>
void check_atan2_specials(Shape shape) {
    const std::string kernel = tvml_test::kernel_name(shape, "atan2", "belisk");
    const double bound = family::row_of(kernel).max_ulp;
    const std::vector<T> v = tvml_test::special_values<T>();
    const int w = tvml_test::lanes_of(shape);
    std::vector<T> y, x;
    for (T a : v)
        for (T b : v) {
            y.push_back(a);
            x.push_back(b);
        }
    while (y.size() % w) {
        y.push_back(T(1));
        x.push_back(T(1));
    }
    const std::vector<T> r = family::apply_sv<T>(kernel, shape, 2, y, x);
    for (size_t i = 0; i < r.size(); ++i) {
        const T want = std::atan2(y[i], x[i]);
        SCOPED_TRACE(kernel + "(" + show(y[i]) + ", " + show(x[i]) + ") = " + show(r[i]));
        ASSERT_EQ(std::isnan(r[i]), std::isnan(want));
        if (std::isnan(want)) continue;
        ASSERT_EQ(std::signbit(r[i]), std::signbit(want));
        ASSERT_LE(ulp_error(family::libm_name<T>("atan2"), r[i], y[i], x[i]), bound);
    }
}

TEST(Atan2Specials, AgreeWithLibmForEveryPair) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (Shape s : family::float_shapes()) check_atan2_specials<float>(s);
    for (Shape s : family::double_shapes()) check_atan2_specials<double>(s);
}

// ---- shapes -------------------------------------------------------------

// The two float shapes (and the two double shapes) compute one algorithm.
// asin and acos inputs are folded into [-1, 1] (NaN kept): a lane outside
// would send registers of different widths to libm.
template <class T>
std::vector<T> shape_inputs(const char* fn, unsigned seed) {
    std::vector<T> v = tvml_test::test_inputs<T>(512, seed);
    if (std::string(fn) == "asin" || std::string(fn) == "acos")
        for (T& x : v) x = std::fabs(x) > 1 ? T(1) / x : x;
    return v;
}

template <class T>
void check_shapes_agree(const char* fn, Shape narrow, Shape wide, unsigned seed) {
    const int arity = std::string(fn) == "atan2" ? 2 : 1;
    const std::vector<T> x = shape_inputs<T>(fn, seed), y = shape_inputs<T>(fn, seed + 1);
    const std::vector<T> n = family::apply_sv<T>(tvml_test::kernel_name(narrow, fn, variant_of(fn)), narrow, arity, x, y);
    const std::vector<T> w = family::apply_sv<T>(tvml_test::kernel_name(wide, fn, variant_of(fn)), wide, arity, x, y);
    for (size_t i = 0; i < x.size(); ++i) EXPECT_TRUE(tvml_test::same_bits(n[i], w[i])) << fn << " x=" << show(x[i]);
}

TEST(InvtrigShapes, NarrowAndWideShapesAgree) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    for (const char* fn : {"asin", "acos", "atan", "atan2"}) {
        check_shapes_agree<float>(fn, Shape::F4, Shape::F8, 3);
        check_shapes_agree<double>(fn, Shape::D2, Shape::D4, 5);
    }
}

// ---- array kernels ------------------------------------------------------

struct ArrayCase {
    const char* kernel;
    const char* fn;
    bool is_float;
    int width;          // block width
    const char* lanes;  // short-vector kernel of that width
};

void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.kernel; }

const ArrayCase kArrayCases[] = {
    {"sasin_tarvo", "asin", true, 8, "tvml_vs8_asin_tarvo"},
    {"dasin_tarvo", "asin", false, 4, "tvml_vd4_asin_tarvo"},
    {"dasin_ondara", "asin", false, 2, "tvml_vd2_asin_tarvo"},
    {"dasin_belisk", "asin", false, 2, "tvml_vd2_asin_tarvo"},
    {"sacos_tarvo", "acos", true, 8, "tvml_vs8_acos_tarvo"},
    {"dacos_tarvo", "acos", false, 4, "tvml_vd4_acos_tarvo"},
    {"dacos_ondara", "acos", false, 2, "tvml_vd2_acos_tarvo"},
    {"dacos_belisk", "acos", false, 2, "tvml_vd2_acos_tarvo"},
    {"satan_tarvo", "atan", true, 8, "tvml_vs8_atan_tarvo"},
    {"satan_ondara", "atan", true, 4, "tvml_vs4_atan_tarvo"},
    {"satan_belisk", "atan", true, 4, "tvml_vs4_atan_tarvo"},
    {"datan_tarvo", "atan", false, 4, "tvml_vd4_atan_tarvo"},
    {"datan_ondara", "atan", false, 2, "tvml_vd2_atan_tarvo"},
    {"datan_belisk", "atan", false, 2, "tvml_vd2_atan_tarvo"},
};

tvml_array_kernel array_kernel(const char* name) {
    return reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, name));
}

class InvtrigArray : public ::testing::TestWithParam<ArrayCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }

    // Blocks give the short-vector kernel's lanes (including its libm
    // fallback for blocks with |x| > 1), the remainder the libm function of
    // the element's precision; nothing is written outside r; in place gives
    // the same.  Inputs start at an odd element (unaligned).
    template <class T>
    void check(const ArrayCase& c) {
        const tvml_array_kernel kernel = array_kernel(c.kernel);
        ASSERT_NE(kernel, nullptr) << c.kernel;
        const Shape shape = c.is_float ? (c.width == 4 ? Shape::F4 : Shape::F8) : (c.width == 2 ? Shape::D2 : Shape::D4);
        const int w = c.width;
        for (int n : {0, 1, w - 1, w, w + 1, 2 * w + 1, 3 * w - 1, 13, 57}) {
            std::vector<T> storage(size_t(n) + 2, T(-7));
            T* a = storage.data() + 1;
            for (int i = 0; i < n; ++i) a[i] = T(std::sin(0.7 * i) * (i % 11 == 5 ? 1.5 : i % 13 == 3 ? 9.0 : 1.0));
            if (n > 6) a[6] = std::numeric_limits<T>::quiet_NaN();
            std::vector<T> out(size_t(n) + 2, T(-3));
            T* r = out.data() + 1;
            kernel(n, a, nullptr, r, nullptr, 0);
            const int vector_end = n / w * w;
            const std::vector<T> lanes = family::apply_sv<T>(c.lanes, shape, 1, std::vector<T>(a, a + vector_end));
            for (int i = 0; i < n; ++i) {
                const T want = i < vector_end ? lanes[i] : libm_of<T>(c.fn, double(a[i]), 0);
                EXPECT_TRUE(tvml_test::same_bits(r[i], want)) << c.kernel << " n=" << n << " i=" << i << " x=" << a[i];
            }
            EXPECT_EQ(r[-1], T(-3)) << c.kernel << " wrote before r";
            EXPECT_EQ(r[n], T(-3)) << c.kernel << " wrote past n=" << n;
            kernel(n, a, nullptr, a, nullptr, 0);
            for (int i = 0; i < n; ++i)
                EXPECT_TRUE(tvml_test::same_bits(a[i], r[i])) << c.kernel << " in place, n=" << n << " i=" << i;
        }
    }
};

TEST_P(InvtrigArray, BlocksAndLibmRemainder) {
    if (GetParam().is_float) check<float>(GetParam());
    else check<double>(GetParam());
}

TEST_P(InvtrigArray, HasAnAccuracyRow) { EXPECT_EQ(family::row_of(GetParam().kernel).kernel, GetParam().kernel); }

INSTANTIATE_TEST_SUITE_P(Kernels, InvtrigArray, ::testing::ValuesIn(kArrayCases),
                         [](const auto& info) { return std::string(info.param.kernel); });

// The documented block fallback cases.
TEST(InvtrigArrayFallback, DocumentedBlocks) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const float nanf = std::numeric_limits<float>::quiet_NaN();
    float a[8] = {0.5f, 2, 0, 0, 0, 0, 0, 0}, r[8];
    array_kernel("sasin_tarvo")(8, a, nullptr, r, nullptr, 0);
    EXPECT_TRUE(std::isnan(r[1]));
    EXPECT_EQ(r[0], float(std::asin(0.5)));
    a[1] = nanf;
    array_kernel("sasin_tarvo")(8, a, nullptr, r, nullptr, 0);
    EXPECT_TRUE(std::isnan(r[1]));
    const std::vector<float> fast =
        family::apply_sv<float>("tvml_vs8_asin_tarvo", Shape::F8, 1, std::vector<float>(8, 0.5f));
    EXPECT_EQ(bits_of(r[0]), bits_of(fast[0])) << "no fallback for a NaN lane";

    double d[2] = {1, -1}, rd[2];
    array_kernel("dacos_ondara")(2, d, nullptr, rd, nullptr, 0);
    EXPECT_EQ(bits_of(rd[0]), bits_of(0.0));
    EXPECT_EQ(rd[1], kPi);
    d[0] = 1.0000001;
    d[1] = 0;
    array_kernel("dacos_ondara")(2, d, nullptr, rd, nullptr, 0);
    EXPECT_TRUE(std::isnan(rd[0]));
    EXPECT_EQ(bits_of(rd[1]), bits_of(std::acos(0.0)));
}

}  // namespace
