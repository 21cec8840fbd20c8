// Sine, cosine and tangent: accuracy next to multiples of pi/2 (where the
// reduction cancels most), documented edge cases, symmetry, special values
// in every lane, the libm lanes beyond the reduction's range, and the
// array kernels at every block and sub-block boundary, in place and with
// two outputs.  Accuracy over the declared intervals (both outputs of
// sincos) and lane independence: the checker's CTest.
#include <gtest/gtest.h>

#include "family_harness.hpp"

namespace {

using tvml_test::Shape;

constexpr Shape kShapes[] = {Shape::F4, Shape::F8, Shape::D2, Shape::D4};
const char* const kFns[] = {"sin", "cos", "tan"};

template <class T>
T libm(const std::string& fn, T x) {
    return fn == "sin" ? std::sin(x) : fn == "cos" ? std::cos(x) : std::tan(x);
}

template <class T>
std::vector<T> run_sv(Shape shape, const std::string& fn, std::vector<T> x) {
    const size_t w = size_t(tvml_test::lanes_of(shape)), n = x.size();
    x.resize((n + w - 1) / w * w, T(0));
    std::vector<T> r = family::apply_sv<T>(tvml_test::kernel_name(shape, fn.c_str(), "tarvo"), shape, 1, x);
    r.resize(n);
    return r;
}

// Error of got against fn(x) by MPFR, in ulp.
template <class T>
double error_of(const std::string& fn, T x, T got) {
    return family::ulp_error(family::libm_name<T>(fn), got, x);
}

class Trig : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// Arguments next to multiples of pi/2 (the nearest representable number
// and its neighbours), in every binade up to the libm limit, where the
// reduced argument is smallest and the reduction's rounding matters most.
template <class T>
std::vector<T> near_multiples_of_half_pi(int max_binade, int per_binade, unsigned seed) {
    std::mt19937_64 rng(seed);
    family::Exact half_pi, v;
    mpfr_const_pi(half_pi.get(), MPFR_RNDN);
    mpfr_div_2ui(half_pi.get(), half_pi.get(), 1, MPFR_RNDN);
    std::vector<T> x;
    for (int e = 0; e < max_binade; ++e) {
        std::uniform_real_distribution<double> u(std::ldexp(1.0, e), std::ldexp(1.0, e + 1));
        for (int i = 0; i < per_binade; ++i) {
            mpfr_mul_d(v.get(), half_pi.get(), std::floor(u(rng) / M_PI_2), MPFR_RNDN);
            T c = T(mpfr_get_d(v.get(), MPFR_RNDN));
            const int step = int(rng() % 5) - 2;
            for (int s = 0; s < std::abs(step); ++s) c = std::nextafter(c, step > 0 ? T(INFINITY) : T(0));
            x.push_back(rng() & 1 ? c : -c);
        }
    }
    return x;
}

TEST_F(Trig, WithinBoundNextToMultiplesOfHalfPi) {
    for (Shape s : kShapes) {
        const bool f = tvml_test::is_float(s);
        const std::vector<float> xf = near_multiples_of_half_pi<float>(21, 400, 3);
        const std::vector<double> xd = near_multiples_of_half_pi<double>(36, 200, 4);
        for (const char* fn : kFns) {
            const tvml_accuracy::KernelRow& row = family::row_of(tvml_test::kernel_name(s, fn, "tarvo"));
            double worst = 0;
            std::string where;
            const auto track = [&](auto x, auto got) {
                const double e = error_of(fn, x, got);
                if (e > worst) worst = e, where = family::show(x) + " got " + family::show(got);
            };
            if (f) {
                const std::vector<float> r = run_sv(s, fn, xf);
                for (size_t i = 0; i < xf.size(); ++i) track(xf[i], r[i]);
            } else {
                const std::vector<double> r = run_sv(s, fn, xd);
                for (size_t i = 0; i < xd.size(); ++i) track(xd[i], r[i]);
            }
            EXPECT_LE(worst, row.max_ulp + 0.5) << row.kernel << " at x=" << where;
        }
    }
}

// ---- edge cases -------------------------------------------------------------

struct Edge {
    const char* fn;
    bool on_float;
    double x;
    double want;   // exact result, or the approximate one when tolerance > 0
    double tolerance;  // relative; 0: bit for bit (NaN: any NaN)
};

void PrintTo(const Edge& e, std::ostream* os) { *os << e.fn << (e.on_float ? "f" : "") << "(" << e.x << ")"; }

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const Edge kEdges[] = {
    {"sin", true, 0.0, 0.0, 0},
    {"sin", true, -0.0, -0.0, 0},
    {"sin", false, 0.0, 0.0, 0},
    {"sin", false, -0.0, -0.0, 0},
    {"tan", true, -0.0, -0.0, 0},
    {"tan", false, -0.0, -0.0, 0},
    {"cos", true, 0.0, 1.0, 1.2e-7},
    {"cos", false, -0.0, 1.0, 2.3e-16},
    // sin of the rounded pi is pi minus the rounded pi, with its sign.
    {"sin", true, double(float(M_PI)), -8.742278e-08, 1e-6},
    {"sin", false, M_PI, 1.2246467991473532e-16, 1e-12},
    {"sin", true, -double(float(M_PI)), 8.742278e-08, 1e-6},
    {"cos", true, double(float(M_PI_2)), -4.371139e-08, 1e-6},
    {"cos", false, M_PI_2, 6.123233995736766e-17, 1e-12},
    {"sin", false, M_PI_2, 1.0, 2.3e-16},
    {"tan", true, double(float(M_PI_2)), -2.2877332e7, 1e-5},
    {"tan", false, M_PI_2, 1.633123935319537e16, 1e-6},
    {"sin", true, kInf, kNaN, 0},
    {"sin", false, -kInf, kNaN, 0},
    {"cos", true, kNaN, kNaN, 0},
    {"cos", false, kInf, kNaN, 0},
    {"tan", true, -kInf, kNaN, 0},
    {"tan", false, kNaN, kNaN, 0},
    // Beyond the reduction's range: libm's results (sin(1e10) is
    // -0.48750602508751067, not what a rounding shift would give); double
    // lanes take libm's extended-precision functions rounded to double.
    {"sin", false, 1e10, -0.48750602508751067, 0},
    {"sin", true, 1e10, double(std::sin(1e10f)), 0},
    {"cos", false, 1e22, double(std::cos(1e22)), 0},
    {"cos", true, 3e38, double(std::cos(3e38f)), 0},
    {"tan", false, -1e300, double(std::tan(-1e300)), 0},
    {"tan", true, 2e6, double(std::tan(2e6f)), 0},
    {"sin", false, 1.7976931348623157e308, double(std::sin(1.7976931348623157e308)), 0},
    // 6381956970095103 x 2^797 lies within 2^-61 of a multiple of pi/2:
    // the correctly rounded values (libm's double cos is 7.95 ulp off there,
    // its tan 14 ulp).
    {"cos", false, 0x1.6ac5b262ca1ffp+849, -0x1.14ae72e6ba22fp-61, 0},
    {"cos", false, -0x1.6ac5b262ca1ffp+849, -0x1.14ae72e6ba22fp-61, 0},
    {"tan", false, 0x1.6ac5b262ca1ffp+849, -0x1.d9ba9a7975636p+60, 0},
    {"sin", false, 0x1.6ac5b262ca1ffp+849, 1.0, 0},
};

class TrigEdges : public ::testing::TestWithParam<Edge> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// The value in every lane of every shape of its precision.
template <class T>
void check_edge(const Edge& e) {
    for (Shape s : kShapes) {
        if (tvml_test::is_float(s) != std::is_same<T, float>::value) continue;
        const int w = tvml_test::lanes_of(s);
        std::vector<T> x(size_t(w) * w, T(0.5));
        for (int lane = 0; lane < w; ++lane) x[size_t(lane) * w + lane] = T(e.x);
        const std::vector<T> r = run_sv<T>(s, e.fn, x);
        for (int lane = 0; lane < w; ++lane) {
            const T got = r[size_t(lane) * w + lane], want = T(e.want);
            if (e.tolerance > 0) {
                EXPECT_NEAR(double(got), e.want, std::fabs(e.want) * e.tolerance) << e.fn << " lane " << lane;
            } else {
                EXPECT_TRUE(tvml_test::same_bits(got, want))
                    << tvml_test::kernel_name(s, e.fn, "tarvo") << " lane " << lane << " got " << family::show(got)
                    << " want " << family::show(want);
            }
            for (int i = 0; i < w; ++i)  // the 0.5 lanes are untouched by the edge lane
                if (i != lane) {
                    EXPECT_TRUE(tvml_test::same_bits(r[size_t(lane) * w + i], run_sv<T>(s, e.fn, {T(0.5)})[0]));
                }
        }
    }
}

TEST_P(TrigEdges, EveryShapeEveryLane) {
    if (GetParam().on_float) check_edge<float>(GetParam());
    else check_edge<double>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Documented, TrigEdges, ::testing::ValuesIn(kEdges));

// cos(-x) = cos(x), sin(-x) = -sin(x), tan(-x) = -tan(x), bit for bit.
template <class T>
void check_symmetry(Shape s, const std::vector<T>& x) {
    std::vector<T> minus(x.size());
    for (size_t i = 0; i < x.size(); ++i) minus[i] = -x[i];
    for (const char* fn : kFns) {
        const std::vector<T> r = run_sv(s, fn, x), rm = run_sv(s, fn, minus);
        for (size_t i = 0; i < x.size(); ++i) {
            const T want = std::string(fn) == "cos" ? r[i] : -r[i];
            ASSERT_TRUE(tvml_test::same_bits(rm[i], want)) << fn << "(" << family::show(x[i]) << ")";
        }
    }
}

TEST_F(Trig, OddAndEvenBitForBit) {
    for (Shape s : kShapes) {
        if (tvml_test::is_float(s)) check_symmetry<float>(s, tvml_test::test_inputs<float>(4000, 21));
        else check_symmetry<double>(s, tvml_test::test_inputs<double>(4000, 22));
    }
}

// Lanes beyond the libm limit (2^21 for float sin and cos, 2^20 for float
// tan, 2^36 for double) are libm's, bit for bit, and leave their
// neighbours as they are alone; lanes up to the limit stay on the
// reduction, within the bound.
template <class T>
T libm_limit(const std::string& fn) {
    if (sizeof(T) == 8) return T(68719476736.0);
    return fn == "tan" ? T(1048576) : T(2097152);
}

template <class T>
void check_far_lanes(Shape s) {
    const int w = tvml_test::lanes_of(s);
    std::mt19937 rng(5);
    for (const char* fn : kFns) {
        const T limit = libm_limit<T>(fn);
        const std::vector<T> far = {std::nextafter(limit, T(INFINITY)), T(-2) * limit, T(1e4) * limit,
                                    std::numeric_limits<T>::max(), -std::numeric_limits<T>::max()};
        const std::vector<T> near = {limit, -limit, std::nextafter(limit, T(0)), T(0.75) * limit};
        const tvml_accuracy::KernelRow& row = family::row_of(tvml_test::kernel_name(s, fn, "tarvo"));
        for (int trial = 0; trial < 100; ++trial) {
            std::vector<T> x(static_cast<size_t>(w));
            for (T& v : x) v = rng() % 2 ? far[rng() % far.size()] : near[rng() % near.size()];
            const std::vector<T> r = run_sv(s, fn, x);
            for (int i = 0; i < w; ++i) {
                if (std::fabs(x[i]) > limit) {
                    ASSERT_TRUE(tvml_test::same_bits(r[i], libm(fn, x[i]))) << fn << "(" << family::show(x[i]) << ")";
                } else {
                    ASSERT_TRUE(tvml_test::same_bits(r[i], run_sv<T>(s, fn, {x[i]})[0])) << fn << " lane " << i;
                    ASSERT_LE(error_of(fn, x[i], r[i]), row.max_ulp + 0.5) << fn << "(" << family::show(x[i]) << ")";
                }
            }
        }
    }
}

TEST_F(Trig, FarLanesTakeLibmAlone) {
    check_far_lanes<float>(Shape::F4);
    check_far_lanes<float>(Shape::F8);
    check_far_lanes<double>(Shape::D2);
    check_far_lanes<double>(Shape::D4);
}

// ---- array kernels ------------------------------------------------------------

struct ArrayCase {
    const char* name;
    const char* fn;  // sin, cos, tan, sincos
    bool is_float;
    int width;  // elements per register; the rest go to libm
    std::vector<int> lengths;
};

void PrintTo(const ArrayCase& c, std::ostream* os) { *os << c.name; }

// n = 57 is 32 + 16 + 8 + 1 floats, 13 is 8 + 4 + 1 doubles, 7 and 3 are
// all remainder; the others cross every run size.
const std::vector<int> kFloatRuns = {0, -5, 1, 7, 8, 9, 15, 16, 17, 24, 31, 32, 33, 48, 57, 63, 64, 65, 120, 1001};
const std::vector<int> kDoubleRuns = {0, -3, 1, 3, 4, 5, 7, 8, 12, 13, 15, 16, 17, 28, 31, 33, 501};

const ArrayCase kArrayCases[] = {
    {"ssin_tarvo", "sin", true, 8, kFloatRuns},        {"ssin_ondara", "sin", true, 8, kFloatRuns},
    {"ssin_belisk", "sin", true, 8, kFloatRuns},       {"dsin_tarvo", "sin", false, 4, kDoubleRuns},
    {"dsin_ondara", "sin", false, 4, kDoubleRuns},     {"dsin_belisk", "sin", false, 4, kDoubleRuns},
    {"scos_tarvo", "cos", true, 8, kFloatRuns},        {"scos_ondara", "cos", true, 8, kFloatRuns},
    {"scos_belisk", "cos", true, 8, kFloatRuns},       {"dcos_tarvo", "cos", false, 4, kDoubleRuns},
    {"dcos_ondara", "cos", false, 4, kDoubleRuns},     {"dcos_belisk", "cos", false, 4, kDoubleRuns},
    {"ssincos_tarvo", "sincos", true, 8, kFloatRuns},  {"ssincos_ondara", "sincos", true, 8, kFloatRuns},
    {"ssincos_belisk", "sincos", true, 8, kFloatRuns}, {"dsincos_tarvo", "sincos", false, 4, kDoubleRuns},
    {"stan_tarvo", "tan", true, 8, kFloatRuns},        {"dtan_tarvo", "tan", false, 4, kDoubleRuns},
    {"dtan_ondara", "tan", false, 2, kDoubleRuns},     {"dtan_belisk", "tan", false, 2, kDoubleRuns},
};

class TrigArray : public ::testing::TestWithParam<ArrayCase> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// Whole registers give the short-vector kernel's lanes, the remainder
// libm's; every element is written once, nothing past n; in place (r = a,
// and for sincos r2 = a) gives the same.
template <class T>
void check_array(const ArrayCase& c) {
    auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, c.name));
    ASSERT_NE(kernel, nullptr) << c.name;
    const bool two = std::string(c.fn) == "sincos";
    const T canary = T(-7);
    for (int n : c.lengths) {
        const size_t m = size_t(std::max(n, 0));
        std::vector<T> a = tvml_test::test_inputs<T>(m + 1, 60 + unsigned(m));
        a[m] = T(0.25);
        std::vector<T> r(m + 1, canary), r2(m + 1, canary);
        kernel(n, a.data(), nullptr, r.data(), r2.data(), 0);
        const size_t blocked = m / size_t(c.width) * size_t(c.width);
        const Shape s = sizeof(T) == 4 ? Shape::F8 : Shape::D4;
        const std::vector<T> in(a.begin(), a.begin() + m);
        const std::vector<T> lanes1 = run_sv(s, two ? "sin" : c.fn, in);
        const std::vector<T> lanes2 = run_sv(s, "cos", in);
        for (size_t i = 0; i < m; ++i) {
            const T want1 = i < blocked ? lanes1[i] : libm(two ? "sin" : c.fn, a[i]);
            ASSERT_TRUE(tvml_test::same_bits(r[i], want1)) << c.name << " n=" << n << " i=" << i << " x=" << a[i];
            if (two) {
                const T want2 = i < blocked ? lanes2[i] : libm("cos", a[i]);
                ASSERT_TRUE(tvml_test::same_bits(r2[i], want2)) << c.name << " cos, n=" << n << " i=" << i;
            }
        }
        EXPECT_TRUE(tvml_test::same_bits(r[m], canary)) << c.name << " wrote past n=" << n;
        if (two) {
            EXPECT_TRUE(tvml_test::same_bits(r2[m], canary)) << c.name << " wrote past n=" << n;
        } else {
            EXPECT_TRUE(tvml_test::same_bits(r2[0], canary)) << c.name << " wrote r2";
        }
        // In place: the (first) output is the input; for sincos also the
        // cosines into the input.
        std::vector<T> same = a, other(m + 1, canary);
        kernel(n, same.data(), nullptr, same.data(), two ? other.data() : nullptr, 0);
        for (size_t i = 0; i < m; ++i) {
            ASSERT_TRUE(tvml_test::same_bits(same[i], r[i])) << c.name << " in place, n=" << n << " i=" << i;
            if (two) {
                ASSERT_TRUE(tvml_test::same_bits(other[i], r2[i])) << c.name << " in place, n=" << n;
            }
        }
        if (two) {
            std::vector<T> cosines_in_place = a, sines(m + 1, canary);
            kernel(n, cosines_in_place.data(), nullptr, sines.data(), cosines_in_place.data(), 0);
            for (size_t i = 0; i < m; ++i) {
                ASSERT_TRUE(tvml_test::same_bits(sines[i], r[i])) << c.name << " r2 = a, n=" << n << " i=" << i;
                ASSERT_TRUE(tvml_test::same_bits(cosines_in_place[i], r2[i])) << c.name << " r2 = a, n=" << n;
            }
        }
    }
}

TEST_P(TrigArray, RunsSubRunsAndRemainder) {
    if (GetParam().is_float) check_array<float>(GetParam());
    else check_array<double>(GetParam());
}

// Special and far values at every position of the runs: libm's result
// (cos of zero within one ulp of 1), the other elements unchanged.
template <class T>
void check_array_specials(const ArrayCase& c) {
    auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, c.name));
    ASSERT_NE(kernel, nullptr) << c.name;
    const bool two = std::string(c.fn) == "sincos";
    const int n = c.is_float ? 57 : 13;
    const T values[] = {std::numeric_limits<T>::infinity(), -std::numeric_limits<T>::infinity(),
                        std::numeric_limits<T>::quiet_NaN(), -T(0), T(1e30)};
    const size_t count = static_cast<size_t>(n);
    std::vector<T> a(count, T(0.5)), base(count), base2(count);
    kernel(n, a.data(), nullptr, base.data(), base2.data(), 0);
    const auto expect = [&](const std::string& fn, T v, T got, int at) {
        if (fn == "cos" && v == 0) {
            ASSERT_NEAR(double(got), 1.0, std::numeric_limits<T>::epsilon()) << c.name << " at " << at;
        } else {
            ASSERT_TRUE(tvml_test::same_bits(got, libm(fn, v)))
                << c.name << " " << fn << "(" << v << ") at " << at << " got " << got;
        }
    };
    for (T v : values) {
        for (int at = 0; at < n; ++at) {
            std::vector<T> x = a, r(count), r2(count);
            x[size_t(at)] = v;
            kernel(n, x.data(), nullptr, r.data(), r2.data(), 0);
            expect(two ? "sin" : c.fn, v, r[size_t(at)], at);
            if (two) expect("cos", v, r2[size_t(at)], at);
            for (int i = 0; i < n; ++i)
                if (i != at) {
                    ASSERT_TRUE(tvml_test::same_bits(r[size_t(i)], base[size_t(i)])) << c.name << " next to " << v;
                    if (two) {
                        ASSERT_TRUE(tvml_test::same_bits(r2[size_t(i)], base2[size_t(i)])) << c.name << " next to " << v;
                    }
                }
        }
    }
}

TEST_P(TrigArray, SpecialValuesAtEveryPosition) {
    if (GetParam().is_float) check_array_specials<float>(GetParam());
    else check_array_specials<double>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Kernels, TrigArray, ::testing::ValuesIn(kArrayCases),
                         [](const auto& info) { return std::string(info.param.name); });

// 6381956970095103 x 2^797, within 2^-61 of a multiple of pi/2, in every
// element of a register and of the remainder: the correctly rounded
// values from every double array kernel.
TEST(TrigArrayFar, NextToAMultipleOfHalfPi) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "needs AVX2 and FMA";
    const double x = 0x1.6ac5b262ca1ffp+849, cos_x = -0x1.14ae72e6ba22fp-61, tan_x = -0x1.d9ba9a7975636p+60;
    struct Row {
        const char* name;
        double want, want2;  // want2: the cosines of sincos
    };
    const Row rows[] = {
        {"dcos_tarvo", cos_x, 0}, {"dcos_ondara", cos_x, 0},  {"dcos_belisk", cos_x, 0},
        {"dtan_tarvo", tan_x, 0}, {"dtan_ondara", tan_x, 0},  {"dtan_belisk", tan_x, 0},
        {"dsin_tarvo", 1.0, 0},   {"dsincos_tarvo", 1.0, cos_x},
    };
    for (const Row& row : rows) {
        auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, row.name));
        ASSERT_NE(kernel, nullptr) << row.name;
        for (int n : {1, 3, 7, 21}) {
            const std::vector<double> a(static_cast<size_t>(n), x);
            std::vector<double> r(static_cast<size_t>(n)), r2(static_cast<size_t>(n));
            kernel(n, a.data(), nullptr, r.data(), r2.data(), 0);
            for (int i = 0; i < n; ++i) {
                EXPECT_TRUE(tvml_test::same_bits(r[size_t(i)], row.want)) << row.name << " n=" << n << " i=" << i;
                if (row.want2 != 0) {
                    EXPECT_TRUE(tvml_test::same_bits(r2[size_t(i)], row.want2)) << row.name << " n=" << n << " i=" << i;
                }
            }
        }
    }
}

}  // namespace
