// Tuned logarithm kernels (ln, log10, log1p): the reduction table against its
// rule, edge cases, special values in every lane, and the array block loops.
// Accuracy over the declared intervals: the checker's CTest.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "family_harness.hpp"
#include "shortvec/log_data.hpp"
#include "sv_apply.hpp"
#include "test_support.hpp"

namespace {

using tvml_test::Shape;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum class Fn { Ln, Log10, Log1p };

const char* fn_part(Fn f) { return f == Fn::Ln ? "ln" : f == Fn::Log10 ? "log10" : "log1p"; }

// The kernel a table holds: _tarvo for ln and log10, _belisk for log1p.
std::string sv_name(Shape s, Fn f) {
    return tvml_test::kernel_name(s, fn_part(f), f == Fn::Log1p ? "belisk" : "tarvo");
}

// The libm name of a function of the family in T's precision.
template <class T>
std::string reference_of(Fn f) {
    return family::libm_name<T>(f == Fn::Ln ? "log" : f == Fn::Log10 ? "log10" : "log1p");
}

template <class T>
std::vector<T> sv_run(Shape s, Fn f, const std::vector<T>& x) {
    std::vector<T> r(x.size());
    EXPECT_TRUE(tvml_test::sv_apply(sv_name(s, f), s, 1, x.data(), nullptr, r.data(), x.size()))
        << sv_name(s, f) << " not exported";
    return r;
}

const std::vector<Shape> kFloatShapes = {Shape::F4, Shape::F8};
const std::vector<Shape> kDoubleShapes = {Shape::D2, Shape::D4};

class TunedLog : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// ---- The reduction table. ----

TEST(TunedLogTable, EveryRecordKeepsItsRule) {
    for (int i = 0; i < 128; ++i) {
        const tvml::avx2::LogRecord& rec = tvml::avx2::__v_log_data[i];
        // Record i serves the z whose bits minus those of 0.6875 hold i in bits 45 to 51.
        const double lo = i < 80 ? 0.6875 + i / 256.0 : 1.0 + (i - 80) / 128.0;
        const double width = i < 80 ? 1 / 256.0 : 1 / 128.0;
        uint64_t lo_bits;
        std::memcpy(&lo_bits, &lo, sizeof lo);
        ASSERT_EQ(((lo_bits - 0x3FE6000000000000u) >> 45) & 0x7F, uint64_t(i));
        const double centre = lo + width / 2;
        EXPECT_LE(std::fabs(rec.inv_centre * centre - 1), std::ldexp(1.0, -23)) << "record " << i;
        // ln c = -ln(1/c), correctly rounded.
        EXPECT_EQ(rec.ln_centre, -family::correctly_rounded("log", rec.inv_centre)) << "record " << i;
    }
}

// ---- Edge cases, every shape. ----

struct Edge {
    Fn fn;
    double x;
    double want;  // exact expected value (NaN: any NaN)
};

template <class T>
void check_edges(const std::vector<Shape>& shapes, const std::vector<Edge>& edges) {
    for (Shape s : shapes) {
        for (const Edge& e : edges) {
            const std::vector<T> x(tvml_test::lanes_of(s), T(e.x));
            const T got = sv_run(s, e.fn, x)[0];
            EXPECT_TRUE(tvml_test::same_bits(got, T(e.want)))
                << sv_name(s, e.fn) << "(" << e.x << ") = " << got << ", want " << T(e.want);
        }
    }
}

TEST_F(TunedLog, FloatEdgeCases) {
    check_edges<float>(kFloatShapes, {
        {Fn::Ln, 1, 0},         {Fn::Log10, 1, 0},      {Fn::Ln, 2, 0x1.62e43p-1f},
        {Fn::Ln, 0, -kInf},     {Fn::Ln, -0.0, -kInf},  {Fn::Ln, -1, kNaN},
        {Fn::Ln, -kInf, kNaN},  {Fn::Ln, kNaN, kNaN},   {Fn::Ln, kInf, kInf},
        {Fn::Log10, 0, -kInf},  {Fn::Log10, -2, kNaN},  {Fn::Log10, kInf, kInf},
        {Fn::Log10, kNaN, kNaN},
        {Fn::Log1p, 0, 0},      {Fn::Log1p, -0.0, -0.0}, {Fn::Log1p, 1e-30, double(1e-30f)},
        {Fn::Log1p, -1, -kInf}, {Fn::Log1p, -2, kNaN},  {Fn::Log1p, -kInf, kNaN},
        {Fn::Log1p, kNaN, kNaN}, {Fn::Log1p, kInf, kInf},
        {Fn::Log1p, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::denorm_min()},
    });
}

TEST_F(TunedLog, DoubleEdgeCases) {
    check_edges<double>(kDoubleShapes, {
        {Fn::Ln, 1, 0},         {Fn::Log10, 1, 0},      {Fn::Ln, 2, 0.6931471805599453},
        {Fn::Ln, 0, -kInf},     {Fn::Ln, -0.0, -kInf},  {Fn::Ln, -1, kNaN},
        {Fn::Ln, -kInf, kNaN},  {Fn::Ln, kNaN, kNaN},   {Fn::Ln, kInf, kInf},
        {Fn::Log10, 0, -kInf},  {Fn::Log10, -2, kNaN},  {Fn::Log10, kInf, kInf},
        {Fn::Log10, kNaN, kNaN},
        // Accurate next to 1, where the table records carry about 1e-19 absolutely.
        {Fn::Ln, 1 + 0x1p-52, 0x1.fffffffffffffp-53},  // 2.220446049250313e-16
        {Fn::Log1p, 0, 0},      {Fn::Log1p, -0.0, -0.0}, {Fn::Log1p, 1e-300, 1e-300},
        {Fn::Log1p, -1e-300, -1e-300}, {Fn::Log1p, 0x1p-60, 0x1p-60},
        {Fn::Log1p, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::denorm_min()},
        {Fn::Log1p, -1, -kInf}, {Fn::Log1p, -2, kNaN},  {Fn::Log1p, -kInf, kNaN},
        {Fn::Log1p, kNaN, kNaN}, {Fn::Log1p, kInf, kInf},
    });
}

template <class T>
double ulps_of(Fn f, T x, T got) {
    return family::ulp_error(reference_of<T>(f), got, x);
}

TEST_F(TunedLog, ValuesWithinOneUlp) {
    for (Shape s : kFloatShapes) {
        EXPECT_LE(ulps_of<float>(Fn::Log10, 1000, sv_run<float>(s, Fn::Log10, std::vector<float>(8, 1000))[0]), 1);
        // Beyond 2.2685e38 the scale 2^-k of the float log1p has no bit
        // pattern; those lanes still get their finite logarithm.
        for (float x : {2.2685e38f, 3e38f, std::numeric_limits<float>::max()})
            EXPECT_LE(ulps_of<float>(Fn::Log1p, x, sv_run<float>(s, Fn::Log1p, std::vector<float>(8, x))[0]), 1) << x;
    }
    for (Shape s : kDoubleShapes)
        EXPECT_LE(ulps_of<double>(Fn::Log10, 1000, sv_run<double>(s, Fn::Log10, std::vector<double>(4, 1000))[0]), 1);
}

// Either side of 2/3 the float reduction takes k = -1 and k = 0: the
// polynomial runs at the opposite ends of its interval, each within the
// declared bound (their true logarithms are 3 ulp apart).
TEST_F(TunedLog, FloatLnEitherSideOfTwoThirds) {
    float below, above;
    const uint32_t below_bits = 0x3F2AAAAA, above_bits = 0x3F2AAAAB;
    std::memcpy(&below, &below_bits, 4);
    std::memcpy(&above, &above_bits, 4);
    for (Shape s : kFloatShapes) {
        const std::vector<float> r = sv_run<float>(s, Fn::Ln, {below, above, below, above, below, above, below, above});
        EXPECT_LE(ulps_of<float>(Fn::Ln, below, r[0]), 4.5);
        EXPECT_LE(ulps_of<float>(Fn::Ln, above, r[1]), 4.5);
        EXPECT_LT(r[0], r[1]);  // still increasing across the switch
    }
}

// ---- Special values in every lane position: each lane gets its own result
// whatever the others hold, and the others keep their fast-path result. ----

template <class T>
void check_lane_positions(const std::vector<Shape>& shapes) {
    using L = std::numeric_limits<T>;
    const std::vector<T> specials = {T(0), -T(0), T(-1), T(-2), L::infinity(), -L::infinity(), L::quiet_NaN(),
                                     L::denorm_min(), L::min() / 3, T(1), T(1) + L::epsilon(), T(1e-30), L::max()};
    const T filler = T(2.5);
    for (Shape s : shapes) {
        const int w = tvml_test::lanes_of(s);
        for (Fn f : {Fn::Ln, Fn::Log10, Fn::Log1p}) {
            const T plain = sv_run(s, f, std::vector<T>(w, filler))[0];
            for (T special : specials) {
                const T alone = sv_run(s, f, std::vector<T>(w, special))[0];
                for (int lane = 0; lane < w; ++lane) {
                    std::vector<T> x(w, filler);
                    x[lane] = special;
                    const std::vector<T> r = sv_run(s, f, x);
                    for (int i = 0; i < w; ++i)
                        ASSERT_TRUE(tvml_test::same_bits(r[i], i == lane ? alone : plain))
                            << sv_name(s, f) << " special " << special << " in lane " << lane << ", lane " << i;
                }
            }
        }
    }
}

TEST_F(TunedLog, SpecialValuesInEveryLaneFloat) { check_lane_positions<float>(kFloatShapes); }
TEST_F(TunedLog, SpecialValuesInEveryLaneDouble) { check_lane_positions<double>(kDoubleShapes); }

// ---- Array kernels. ----

struct ArrayKernel {
    const char* name;
    tvml_array_kernel kernel;
    int width;
    Fn fn;
};

template <class T>
T libm_of(Fn f, T x) {
    return f == Fn::Ln ? std::log(x) : std::log10(x);
}

template <class T>
void check_array(const ArrayKernel& k) {
    // Specials in a block give the sound results, the same class as libm's
    // in the remainder; n around one block.
    const std::vector<T> specials = {T(0), -T(0), T(-1), std::numeric_limits<T>::quiet_NaN(),
                                     std::numeric_limits<T>::infinity(), T(1), std::numeric_limits<T>::denorm_min(),
                                     T(1000)};
    for (int n : {k.width - 1, k.width, k.width + 1, 2 * k.width + 1}) {
        for (size_t start = 0; start < specials.size(); ++start) {
            std::vector<T> a(n), r(n + 1, T(-7));
            for (int i = 0; i < n; ++i) a[i] = specials[(start + i) % specials.size()];
            k.kernel(n, a.data(), nullptr, r.data(), nullptr, 0);
            std::vector<T> in_place = a;
            k.kernel(n, in_place.data(), nullptr, in_place.data(), nullptr, 0);
            for (int i = 0; i < n; ++i) {
                const T want = libm_of(k.fn, a[i]);
                if (std::isfinite(want) && want != 0)
                    EXPECT_LE(ulps_of<T>(k.fn, a[i], r[i]), 2) << k.name << " n=" << n << " x=" << a[i];
                else
                    EXPECT_TRUE(tvml_test::same_bits(r[i], want)) << k.name << " n=" << n << " x=" << a[i] << " got " << r[i];
                EXPECT_TRUE(tvml_test::same_bits(in_place[i], r[i])) << k.name << " in place, n=" << n << " i=" << i;
            }
            EXPECT_EQ(r[n], T(-7)) << k.name << " wrote past n=" << n;
        }
    }
    // A remainder element is exactly libm's.
    std::vector<T> a(k.width + 1, T(3)), r(k.width + 1);
    a.back() = T(0.3);
    k.kernel(k.width + 1, a.data(), nullptr, r.data(), nullptr, 0);
    EXPECT_TRUE(tvml_test::same_bits(r.back(), libm_of(k.fn, T(0.3)))) << k.name;
}

TEST_F(TunedLog, ArrayKernelsAtBlockBoundaries) {
    const std::vector<ArrayKernel> floats = {
        {"sln_tarvo", sln_tarvo, 8, Fn::Ln},        {"slog10_tarvo", slog10_tarvo, 8, Fn::Log10},
        {"sln_ondara", sln_ondara, 4, Fn::Ln},      {"slog10_ondara", slog10_ondara, 4, Fn::Log10},
        {"sln_belisk", sln_belisk, 4, Fn::Ln},      {"slog10_belisk", slog10_belisk, 4, Fn::Log10}};
    const std::vector<ArrayKernel> doubles = {
        {"dln_tarvo", dln_tarvo, 4, Fn::Ln},        {"dlog10_tarvo", dlog10_tarvo, 4, Fn::Log10},
        {"dln_ondara", dln_ondara, 2, Fn::Ln},      {"dlog10_ondara", dlog10_ondara, 2, Fn::Log10},
        {"dln_belisk", dln_belisk, 2, Fn::Ln},      {"dlog10_belisk", dlog10_belisk, 2, Fn::Log10}};
    for (const ArrayKernel& k : floats) check_array<float>(k);
    for (const ArrayKernel& k : doubles) check_array<double>(k);
}

// Every record of the double reduction table read into every lane: the
// lanes of one register take records far apart (and inputs from 2^-1000
// to 2^1000), so a record read for the wrong lane or the wrong half of a
// record shows as an error of many ulp.
TEST_F(TunedLog, EveryRecordInEveryLane) {
    struct Row {
        const char* name;
        std::function<std::vector<double>(const std::vector<double>&)> run;
        Fn fn;
    };
    const auto array = [](tvml_array_kernel k) {
        return [k](const std::vector<double>& x) {
            std::vector<double> r(x.size());
            k(int64_t(x.size()), x.data(), nullptr, r.data(), nullptr, 0);
            return r;
        };
    };
    const auto shortvec = [](Shape s, Fn f) { return [s, f](const std::vector<double>& x) { return sv_run(s, f, x); }; };
    const std::vector<Row> rows = {
        {"dln_ondara", array(dln_ondara), Fn::Ln},       {"dlog10_ondara", array(dlog10_ondara), Fn::Log10},
        {"dln_tarvo", array(dln_tarvo), Fn::Ln},         {"dlog10_tarvo", array(dlog10_tarvo), Fn::Log10},
        {"vd2 ln", shortvec(Shape::D2, Fn::Ln), Fn::Ln}, {"vd4 ln", shortvec(Shape::D4, Fn::Ln), Fn::Ln},
        {"vd4 log10", shortvec(Shape::D4, Fn::Log10), Fn::Log10},
    };
    // z inside record i (the table's rule above), away from 1 where the
    // near-1 path takes over.
    const auto in_record = [](int i) {
        return i < 80 ? 0.6875 + (i + 0.3) / 256.0 : 1.0 + (i - 80 + 0.7) / 128.0;
    };
    std::vector<double> x;
    for (int shift = 0; shift < 8; ++shift)
        for (int i = 0; i < 128; ++i)
            x.push_back(std::ldexp(in_record((i * 37 + shift * 11) % 128), (i % 8 - 4) * 250 + shift));
    for (const Row& row : rows) {
        const std::vector<double> r = row.run(x);
        for (size_t j = 0; j < x.size(); ++j)
            ASSERT_LE(ulps_of<double>(row.fn, x[j], r[j]), 2) << row.name << " x=" << x[j] << " at " << j;
    }
}

TEST_F(TunedLog, DoubleLnOfZeroInABlockIsMinusInfinity) {
    const double a[4] = {0.0, -1.0, kNaN, 1.0};
    double r[4];
    dln_tarvo(4, a, nullptr, r, nullptr, 0);
    EXPECT_EQ(r[0], -kInf);
    EXPECT_TRUE(std::isnan(r[1]));
    EXPECT_TRUE(std::isnan(r[2]));
    EXPECT_TRUE(tvml_test::same_bits(r[3], 0.0));
}

}  // namespace
