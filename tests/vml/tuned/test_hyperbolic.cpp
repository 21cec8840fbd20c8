// Hyperbolic family (sinh, cosh, tanh, asinh, acosh, atanh): the documented
// cases and special values in every lane of every shape, lane independence
// at hand-picked fix-up inputs, the atanh whole-register fallback, and the
// block structure of the sinh/cosh/tanh array kernels (scosh_ondara's 16/8
// blocks and its saturation).  Accuracy over the declared intervals: the
// checker's CTest.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "family_harness.hpp"

namespace {

using family::bits_of;
using family::show;
using tvml_test::Shape;

constexpr Shape kShapes[] = {Shape::F4, Shape::F8, Shape::D2, Shape::D4};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using family::variant_of;

// ---- documented cases and special values, every lane of every shape --------

// Error of got against the exact f(x) in ulps (0 for matching NaN or infinity).
template <class T>
double error_of(const std::string& fn, T x, T got) {
    return family::ulp_error(family::libm_name<T>(fn), got, x);
}

enum class Want { Bits, Accurate };

struct Case {
    const char* fn;
    const char* precision;  // "f" float shapes, "d" double shapes, "fd" both
    double x;
    Want want;
    double value;  // Bits: the result (any NaN for NaN); Accurate: unused
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.fn << "[" << c.precision << "](" << c.x << ")"; }

const double kFloatMax = FLT_MAX, kDoubleMax = DBL_MAX;

const Case kCases[] = {
    // Signed zeros: sinh keeps the sign, cosh gives 1, tanh +0.
    {"sinh", "fd", 0.0, Want::Bits, 0.0},
    {"sinh", "fd", -0.0, Want::Bits, -0.0},
    {"cosh", "fd", 0.0, Want::Bits, 1.0},
    {"cosh", "fd", -0.0, Want::Bits, 1.0},
    {"tanh", "fd", 0.0, Want::Bits, 0.0},
    {"tanh", "fd", -0.0, Want::Bits, 0.0},
    {"asinh", "fd", -0.0, Want::Bits, -0.0},
    {"atanh", "fd", -0.0, Want::Bits, -0.0},
    // Overflow: float sinh and cosh beyond 88.37626 (2^n has no float).
    {"sinh", "f", 88.3, Want::Accurate, 0},
    {"sinh", "f", 89.0, Want::Bits, kInf},
    {"sinh", "f", -89.0, Want::Bits, -kInf},
    {"cosh", "f", 89.0, Want::Bits, kInf},
    {"sinh", "d", 709.78, Want::Accurate, 0},
    {"sinh", "d", -710.0, Want::Bits, -kInf},
    {"sinh", "fd", kInf, Want::Bits, kInf},
    {"sinh", "fd", -kInf, Want::Bits, -kInf},
    {"cosh", "f", -kInf, Want::Bits, kInf},
    // Double cosh saturates at the largest finite double, infinities too.
    {"cosh", "d", 709.78, Want::Accurate, 0},
    {"cosh", "d", 710.0, Want::Bits, kDoubleMax},
    {"cosh", "d", -800.0, Want::Bits, kDoubleMax},
    {"cosh", "d", kInf, Want::Bits, kDoubleMax},
    {"cosh", "d", -kInf, Want::Bits, kDoubleMax},
    // tanh: saturation, and the two sides of the branch at 0.625.
    {"tanh", "f", 50.0, Want::Bits, 1.0},
    {"tanh", "f", -50.0, Want::Bits, -1.0},
    {"tanh", "f", 44.1, Want::Bits, 1.0},
    {"tanh", "d", 400.0, Want::Bits, 1.0},
    {"tanh", "d", -400.0, Want::Bits, -1.0},
    {"tanh", "fd", kInf, Want::Bits, 1.0},
    {"tanh", "fd", -kInf, Want::Bits, -1.0},
    {"tanh", "fd", 0.6, Want::Accurate, 0},
    {"tanh", "fd", 0.625, Want::Accurate, 0},
    {"tanh", "fd", -0.625, Want::Accurate, 0},
    {"tanh", "fd", 1e-30, Want::Accurate, 0},
    // Double sinh: polynomial up to 0.5, exponential form above.
    {"sinh", "d", 0.5, Want::Accurate, 0},
    {"sinh", "d", 0.5000001, Want::Accurate, 0},
    {"sinh", "d", -3.0, Want::Accurate, 0},
    {"sinh", "fd", 1e-30, Want::Accurate, 0},
    // asinh and acosh: the large-argument branch is ln(2|x|), also from
    // 2^30 to 2^47 in double, and where 2|x| overflows.
    {"asinh", "fd", 1e30, Want::Accurate, 0},
    {"asinh", "fd", -1e30, Want::Accurate, 0},
    {"asinh", "d", 1073741825.0, Want::Accurate, 0},
    {"asinh", "d", 3e12, Want::Accurate, 0},
    {"asinh", "d", 140737488355328.0, Want::Accurate, 0},
    {"acosh", "d", 1073741825.0, Want::Accurate, 0},
    {"acosh", "d", 3e12, Want::Accurate, 0},
    {"acosh", "d", 140737488355328.0, Want::Accurate, 0},
    {"asinh", "f", -kFloatMax, Want::Accurate, 0},
    {"asinh", "d", kDoubleMax, Want::Accurate, 0},
    {"acosh", "f", kFloatMax, Want::Accurate, 0},
    {"acosh", "d", kDoubleMax, Want::Accurate, 0},
    {"asinh", "fd", 1e-30, Want::Accurate, 0},
    {"asinh", "fd", kInf, Want::Bits, kInf},
    {"asinh", "fd", -kInf, Want::Bits, -kInf},
    // acosh(1) = +0 (log1p of +0); below 1 NaN, however far below.
    {"acosh", "fd", 1.0, Want::Bits, 0.0},
    {"acosh", "fd", 1.0000001, Want::Accurate, 0},
    {"acosh", "fd", kInf, Want::Bits, kInf},
    {"acosh", "fd", 0.5, Want::Bits, kNaN},
    {"acosh", "fd", -1.0, Want::Bits, kNaN},
    {"acosh", "fd", -2.0, Want::Bits, kNaN},
    {"acosh", "fd", -1e10, Want::Bits, kNaN},
    {"acosh", "fd", -kInf, Want::Bits, kNaN},
    // atanh inside the domain; at and beyond 1 the register goes to libm.
    {"atanh", "fd", 0.5, Want::Accurate, 0},
    {"atanh", "fd", -0.75, Want::Accurate, 0},
    {"atanh", "fd", 1e-30, Want::Accurate, 0},
    {"atanh", "fd", 1.0, Want::Bits, kInf},
    {"atanh", "fd", -1.0, Want::Bits, -kInf},
    {"atanh", "fd", 2.0, Want::Bits, kNaN},
    {"atanh", "fd", kInf, Want::Bits, kNaN},
    // NaN in, NaN out.
    {"sinh", "fd", kNaN, Want::Bits, kNaN},
    {"sinh", "fd", -kNaN, Want::Bits, kNaN},
    {"cosh", "fd", kNaN, Want::Bits, kNaN},
    {"tanh", "fd", kNaN, Want::Bits, kNaN},
    {"tanh", "fd", -kNaN, Want::Bits, kNaN},
    {"asinh", "fd", kNaN, Want::Bits, kNaN},
    {"acosh", "fd", kNaN, Want::Bits, kNaN},
    {"atanh", "fd", kNaN, Want::Bits, kNaN},
};

// The value in lane i of register i (others 0.25), for every lane: the
// lane itself, and the 0.25 neighbours unchanged (except beside an atanh
// fallback, where they come from libm).
template <class T>
void check_case(const Case& c, Shape shape) {
    const std::string kernel = tvml_test::kernel_name(shape, c.fn, variant_of(c.fn));
    const int w = tvml_test::lanes_of(shape);
    std::vector<T> x(size_t(w) * w, T(0.25));
    for (int lane = 0; lane < w; ++lane) x[size_t(lane) * w + lane] = T(c.x);
    const std::vector<T> r = family::apply_sv<T>(kernel, shape, 1, x);
    const T quarter = family::apply_sv<T>(kernel, shape, 1, std::vector<T>(w, T(0.25)))[0];
    const bool fallback = std::string(c.fn) == "atanh" && std::fabs(c.x) >= 1;
    const T neighbour = fallback ? T(std::atanh(0.25)) : quarter;
    const double bound = family::row_of(kernel).max_ulp;
    for (int lane = 0; lane < w; ++lane) {
        const T got = r[size_t(lane) * w + lane];
        if (c.want == Want::Bits) {
            EXPECT_TRUE(tvml_test::same_bits(got, T(c.value))) << kernel << " lane " << lane << ": " << show(got);
        } else {
            EXPECT_LE(error_of<T>(c.fn, T(c.x), got), bound) << kernel << " lane " << lane << ": " << show(got);
        }
        for (int i = 0; i < w; ++i)
            if (i != lane) {
                EXPECT_TRUE(tvml_test::same_bits(r[size_t(lane) * w + i], neighbour)) << kernel << " beside lane " << lane;
            }
    }
}

class HyperbolicCases : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

TEST_P(HyperbolicCases, EveryShapeEveryLane) {
    const Case& c = GetParam();
    const std::string precision = c.precision;
    for (Shape s : kShapes) {
        if (tvml_test::is_float(s) && precision.find('f') != std::string::npos) check_case<float>(c, s);
        if (!tvml_test::is_float(s) && precision.find('d') != std::string::npos) check_case<double>(c, s);
    }
}

INSTANTIATE_TEST_SUITE_P(Documented, HyperbolicCases, ::testing::ValuesIn(kCases));

// ---- lanes ----------------------------------------------------------------

// Every lane gives what it gives alone, whatever its neighbours (which send
// the register through the fix-ups); atanh inputs stay inside (-1, 1).
template <class T>
void check_lane_independence(Shape shape, const char* fn, const std::vector<T>& inputs) {
    const std::string kernel = tvml_test::kernel_name(shape, fn, variant_of(fn));
    const int w = tvml_test::lanes_of(shape);
    std::vector<T> alone(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i)
        alone[i] = family::apply_sv<T>(kernel, shape, 1, std::vector<T>(w, inputs[i]))[0];
    std::mt19937 rng(9);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<T> x(w);
        std::vector<size_t> pick(w);
        for (int i = 0; i < w; ++i) x[i] = inputs[pick[i] = rng() % inputs.size()];
        const std::vector<T> r = family::apply_sv<T>(kernel, shape, 1, x);
        for (int i = 0; i < w; ++i)
            ASSERT_TRUE(tvml_test::same_bits(r[i], alone[pick[i]])) << kernel << " x=" << show(x[i]) << " lane " << i;
    }
}

TEST(HyperbolicLanes, IndependentOfTheOtherLanes) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<double> wide = {0.25, -0.5,  0.6,   0.625, -3.0, 20.0, 44.5,  -88.3, 88.5,   100.0,
                                      1e-8, 400.0, -710.0, 800.0, 1.0,  2e9,  4e38,  1e300, -1e300, kInf,
                                      -kInf, kNaN, -0.0,  1.5,   3e12};
    const std::vector<double> inside = {0.25, -0.5, 0.75, -0.999, 1e-8, -1e-30, 0.0, -0.0, kNaN, 0.5};
    for (const char* fn : {"sinh", "cosh", "tanh", "asinh", "acosh", "atanh"}) {
        const std::vector<double>& in = std::string(fn) == "atanh" ? inside : wide;
        const std::vector<float> f(in.begin(), in.end());
        check_lane_independence<float>(Shape::F4, fn, f);
        check_lane_independence<float>(Shape::F8, fn, f);
        check_lane_independence<double>(Shape::D2, fn, in);
        check_lane_independence<double>(Shape::D4, fn, in);
    }
}

// One lane at |x| >= 1 sends the whole register to libm atanh.
TEST(AtanhFallback, OneLaneAtOrBeyondOneSendsTheRegisterToLibm) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<double> x = {0.25, 1.0, -0.6, 0.1, -0.3, 0.7, -3.0, 0.2};
    for (Shape s : kShapes) {
        const std::string kernel = tvml_test::kernel_name(s, "atanh", "belisk");
        const int w = tvml_test::lanes_of(s);
        if (tvml_test::is_float(s)) {
            const std::vector<float> r = family::apply_sv<float>(kernel, s, 1, std::vector<float>(x.begin(), x.begin() + w));
            for (int i = 0; i < w; ++i) EXPECT_TRUE(tvml_test::same_bits(r[i], float(std::atanh(double(float(x[i])))))) << kernel << " " << i;
        } else {
            const std::vector<double> r = family::apply_sv<double>(kernel, s, 1, std::vector<double>(x.begin(), x.begin() + w));
            for (int i = 0; i < w; ++i) EXPECT_TRUE(tvml_test::same_bits(r[i], std::atanh(x[i]))) << kernel << " " << i;
        }
    }
    // The documented pair: 0.25 next to 1.0.
    const std::vector<double> r = family::apply_sv<double>("tvml_vd2_atanh_belisk", Shape::D2, 1, {0.25, 1.0});
    EXPECT_EQ(r[0], std::atanh(0.25));
    EXPECT_EQ(r[1], kInf);
}

// The _belisk names of sinh, cosh and tanh are the _tarvo kernels.
TEST(HyperbolicAliases, BeliskNamesGiveTheTarvoResults) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const std::vector<float> f = tvml_test::test_inputs<float>(64, 3);
    const std::vector<double> d = tvml_test::test_inputs<double>(64, 4);
    for (const char* fn : {"sinh", "cosh", "tanh"})
        for (Shape s : kShapes) {
            const std::string tarvo = tvml_test::kernel_name(s, fn, "tarvo"), belisk = tvml_test::kernel_name(s, fn, "belisk");
            if (tvml_test::is_float(s)) {
                EXPECT_EQ(0, std::memcmp(family::apply_sv<float>(tarvo, s, 1, f).data(),
                                         family::apply_sv<float>(belisk, s, 1, f).data(), f.size() * 4)) << belisk;
            } else {
                EXPECT_EQ(0, std::memcmp(family::apply_sv<double>(tarvo, s, 1, d).data(),
                                         family::apply_sv<double>(belisk, s, 1, d).data(), d.size() * 8)) << belisk;
            }
        }
}

// ---- array kernels ----------------------------------------------------------

struct ArrayCase {
    const char* kernel;
    const char* fn;
    bool is_float;
    int vector_width;  // smallest block: elements below n rounded down to it take the vector path
    const char* lanes;  // short-vector kernel computing the same lanes
    bool saturates;     // scosh_ondara: |x| > 88.72284 gives the largest float
};

void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.kernel; }

template <class T>
T libm(const std::string& fn, T x) {
    if (fn == "sinh") return std::sinh(x);
    if (fn == "cosh") return std::cosh(x);
    return std::tanh(x);
}

class HyperbolicArray : public ::testing::TestWithParam<ArrayCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }

    // Special and ordinary inputs at an odd element offset, out of place and
    // in place: vector elements equal the lane kernel's, the remainder
    // libm's, nothing outside r is written.  The counts cover every block
    // pattern (57 = 32 + 16 + 8 + 1, 13 = 8 + 4 + 1, 31 = 16 + 8 + 7).
    template <class T>
    void check(const ArrayCase& c) {
        auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, c.kernel));
        ASSERT_NE(kernel, nullptr) << c.kernel;
        const int w = tvml_test::lanes_of(family::shape_of(c.lanes));
        for (int n : {0, 1, 3, 4, 5, 7, 8, 9, 13, 15, 16, 17, 23, 24, 25, 31, 32, 33, 47, 57, 63}) {
            const std::vector<T> in = tvml_test::test_inputs<T>(size_t(n), 100 + n);
            std::vector<T> storage(n + 2, T(-7));
            T* a = storage.data() + 1;  // unaligned for 16- and 32-byte loads
            std::copy(in.begin(), in.end(), a);
            std::vector<T> out_storage(n + 2, T(-3));
            T* r = out_storage.data() + 1;
            kernel(n, a, nullptr, r, nullptr, 0);
            const int vector_end = n / c.vector_width * c.vector_width;
            std::vector<T> padded(a, a + vector_end);
            padded.resize((vector_end + w - 1) / w * w, T(1));
            const std::vector<T> lanes = family::apply_sv<T>(c.lanes, family::shape_of(c.lanes), 1, padded);
            for (int i = 0; i < vector_end; ++i) {
                T want = lanes[i];
                if (c.saturates && std::fabs(a[i]) > T(88.72283935546875)) want = T(FLT_MAX);
                EXPECT_TRUE(tvml_test::same_bits(r[i], want)) << c.kernel << " n=" << n << " i=" << i << " x=" << show(a[i]);
            }
            for (int i = vector_end; i < n; ++i)
                EXPECT_TRUE(tvml_test::same_bits(r[i], libm<T>(c.fn, a[i]))) << c.kernel << " remainder n=" << n << " i=" << i;
            EXPECT_EQ(r[-1], T(-3)) << c.kernel << " wrote before r";
            EXPECT_EQ(r[n], T(-3)) << c.kernel << " wrote past n=" << n;
            kernel(n, a, nullptr, a, nullptr, 0);
            for (int i = 0; i < n; ++i)
                EXPECT_TRUE(tvml_test::same_bits(a[i], r[i])) << c.kernel << " in place, n=" << n << " i=" << i;
        }
    }

    // A block after one of large values gives what it gives alone: the
    // overflow correction is decided per block.
    template <class T>
    void check_correction_per_block(const ArrayCase& c) {
        auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, c.kernel));
        ASSERT_NE(kernel, nullptr) << c.kernel;
        const int block = c.saturates ? 16 : tvml_test::lanes_of(family::shape_of(c.lanes));
        std::vector<T> a(size_t(2) * block, T(0.75));
        for (int i = 0; i < block; i += 2) a[i] = T(c.is_float ? 100.0 : 1000.0) * (i % 4 ? -1 : 1);
        std::vector<T> r(a.size()), second(block);
        kernel(int64_t(a.size()), a.data(), nullptr, r.data(), nullptr, 0);
        kernel(block, a.data() + block, nullptr, second.data(), nullptr, 0);
        for (int i = 0; i < block; ++i) EXPECT_TRUE(tvml_test::same_bits(r[block + i], second[i])) << c.kernel << " " << i;
    }
};

TEST_P(HyperbolicArray, VectorBlocksSubBlocksAndLibmRemainder) {
    if (GetParam().is_float) check<float>(GetParam());
    else check<double>(GetParam());
}

TEST_P(HyperbolicArray, CorrectionDecidedPerBlock) {
    if (GetParam().is_float) check_correction_per_block<float>(GetParam());
    else check_correction_per_block<double>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, HyperbolicArray,
    ::testing::Values(ArrayCase{"ssinh_tarvo", "sinh", true, 8, "tvml_vs8_sinh_tarvo", false},
                      ArrayCase{"ssinh_ondara", "sinh", true, 4, "tvml_vs4_sinh_tarvo", false},
                      ArrayCase{"ssinh_belisk", "sinh", true, 4, "tvml_vs4_sinh_tarvo", false},
                      ArrayCase{"dsinh_tarvo", "sinh", false, 4, "tvml_vd4_sinh_tarvo", false},
                      ArrayCase{"dsinh_ondara", "sinh", false, 2, "tvml_vd2_sinh_tarvo", false},
                      ArrayCase{"dsinh_belisk", "sinh", false, 2, "tvml_vd2_sinh_tarvo", false},
                      ArrayCase{"scosh_tarvo", "cosh", true, 8, "tvml_vs8_cosh_tarvo", false},
                      ArrayCase{"scosh_ondara", "cosh", true, 8, "tvml_vs8_cosh_tarvo", true},
                      ArrayCase{"scosh_belisk", "cosh", true, 8, "tvml_vs8_cosh_tarvo", true},
                      ArrayCase{"dcosh_tarvo", "cosh", false, 4, "tvml_vd4_cosh_tarvo", false},
                      ArrayCase{"dcosh_ondara", "cosh", false, 2, "tvml_vd2_cosh_tarvo", false},
                      ArrayCase{"dcosh_belisk", "cosh", false, 2, "tvml_vd2_cosh_tarvo", false},
                      ArrayCase{"stanh_tarvo", "tanh", true, 8, "tvml_vs8_tanh_tarvo", false},
                      ArrayCase{"stanh_ondara", "tanh", true, 4, "tvml_vs4_tanh_tarvo", false},
                      ArrayCase{"stanh_belisk", "tanh", true, 4, "tvml_vs4_tanh_tarvo", false},
                      ArrayCase{"dtanh_tarvo", "tanh", false, 4, "tvml_vd4_tanh_tarvo", false},
                      ArrayCase{"dtanh_ondara", "tanh", false, 2, "tvml_vd2_tanh_tarvo", false},
                      ArrayCase{"dtanh_belisk", "tanh", false, 2, "tvml_vd2_tanh_tarvo", false}),
    [](const auto& info) { return std::string(info.param.kernel); });

// scosh_ondara: 89 and infinities saturate to the largest float in every
// position of the 16-block and of the 8-block, NaN stays NaN; scosh_tarvo
// gives +inf for 89.
TEST(ScoshOndara, LargeLanesSaturateNaNStaysNaN) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const float inf = INFINITY;
    for (float v : {89.0f, -89.0f, 1e30f, inf, -inf, NAN}) {
        for (int at = 0; at < 24; ++at) {
            std::vector<float> a(24, 0.5f), r(24);
            a[at] = v;
            scosh_ondara(24, a.data(), nullptr, r.data(), nullptr, 0);
            const float want = std::isnan(v) ? NAN : FLT_MAX;
            EXPECT_TRUE(tvml_test::same_bits(r[at], want)) << v << " at " << at << ": " << r[at];
            for (int i = 0; i < 24; ++i)
                if (i != at) {
                    EXPECT_EQ(r[i], r[at == 0 ? 1 : 0]) << v << " at " << at << ", element " << i;
                }
        }
    }
    std::vector<float> a(8, 89.0f), r(8);
    scosh_tarvo(8, a.data(), nullptr, r.data(), nullptr, 0);
    for (float v : r) EXPECT_EQ(v, inf);
}

}  // namespace
