// Portable array kernels: bit-identical to the libm call of the element's
// precision, plain-loop results for every overlap, exact floor.
#include <fenv.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dazaro_tv.h"
#include "test_support.hpp"

namespace {

using tvml_test::same_bits;
using tvml_test::test_inputs;

struct LibmCase {
    const char* name;
    tvml_array_kernel kernel;
    bool is_float;
    int args;  // 1, 2 (b[i]) or 3 (powx: *b)
    std::function<float(float, float)> ff;
    std::function<double(double, double)> fd;
};

#define UNARY(op, ff_, fd_)                                                                       \
    LibmCase{"s" #op, s##op##_generic, true, 1, [](float x, float) { return ff_(x); }, nullptr}, \
        LibmCase{"d" #op, d##op##_generic, false, 1, nullptr, [](double x, double) { return fd_(x); }},
#define BINARY(op, args, ff_, fd_)                                                                    \
    LibmCase{"s" #op, s##op##_generic, true, args, [](float x, float y) { return ff_(x, y); }, nullptr}, \
        LibmCase{"d" #op, d##op##_generic, false, args, nullptr, [](double x, double y) { return fd_(x, y); }},

float floorf_ref(float x) { return floorf(x); }
double floor_ref(double x) { return floor(x); }

const LibmCase kLibmCases[] = {
    UNARY(exp, expf, exp) UNARY(expm1, expm1f, expm1) UNARY(log10, log10f, log10) UNARY(ln, logf, log)
    UNARY(log1p, log1pf, log1p) UNARY(floor, floorf_ref, floor_ref) UNARY(sin, sinf, sin)
    UNARY(cos, cosf, cos) UNARY(tan, tanf, tan) UNARY(asin, asinf, asin) UNARY(acos, acosf, acos)
    UNARY(atan, atanf, atan) UNARY(sinh, sinhf, sinh) UNARY(cosh, coshf, cosh) UNARY(tanh, tanhf, tanh)
    UNARY(cbrt, cbrtf, cbrt)
    BINARY(pow, 2, powf, pow) BINARY(atan2, 2, atan2f, atan2) BINARY(powx, 3, powf, pow)
    BINARY(add, 2, [](float x, float y) { return x + y; }, [](double x, double y) { return x + y; })
    BINARY(sub, 2, [](float x, float y) { return x - y; }, [](double x, double y) { return x - y; })
    UNARY(sqr, [](float x) { return x * x; }, [](double x) { return x * x; })
};

void PrintTo(const LibmCase& c, std::ostream* os) { *os << c.name; }

class PortableKernel : public ::testing::TestWithParam<LibmCase> {};

template <class T, class F>
void check_against_libm(const LibmCase& c, F f) {
    for (int n : {1, 2, 3, 5, 16, 17, 1001}) {
        const std::vector<T> a = test_inputs<T>(n, 11), b0 = test_inputs<T>(n + 5, 12);
        const std::vector<T> b(b0.begin() + 5, b0.end());  // other specials against the a specials
        const T power = T(-1.25);
        std::vector<T> r(n + 1, T(-7));
        c.kernel(n, a.data(), c.args == 3 ? &power : b.data(), r.data(), nullptr, 0);
        for (int i = 0; i < n; ++i) {
            const T want = f(a[i], c.args == 3 ? power : b[i]);
            ASSERT_TRUE(same_bits(r[i], want)) << c.name << " n=" << n << " a=" << a[i] << " b=" << b[i]
                                               << " got " << r[i] << " want " << want;
        }
        EXPECT_EQ(r[n], T(-7)) << "wrote past n";
    }
}

TEST_P(PortableKernel, EqualsLibm) {
    const LibmCase& c = GetParam();
    if (c.is_float) check_against_libm<float>(c, c.ff);
    else check_against_libm<double>(c, c.fd);
}

TEST_P(PortableKernel, NothingForNonPositiveN) {
    const LibmCase& c = GetParam();
    double a[4] = {1, 2, 3, 4}, b[4] = {1, 1, 1, 1}, r[4] = {9, 9, 9, 9};
    for (int64_t n : {int64_t(0), int64_t(-1), INT64_MIN}) c.kernel(n, a, b, r, nullptr, 0);
    for (double v : r) EXPECT_EQ(v, 9);
}

INSTANTIATE_TEST_SUITE_P(Kernels, PortableKernel, ::testing::ValuesIn(kLibmCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortableKernel, ComplexArithmeticIsPairwise) {
    const std::vector<float> a = test_inputs<float>(38, 3), b = test_inputs<float>(38, 4);
    std::vector<float> r(38);
    cadd_generic(19, a.data(), b.data(), r.data(), nullptr, 0);
    for (int i = 0; i < 38; ++i) ASSERT_TRUE(same_bits(r[i], a[i] + b[i])) << i;
    csub_generic(19, a.data(), b.data(), r.data(), nullptr, 0);
    for (int i = 0; i < 38; ++i) ASSERT_TRUE(same_bits(r[i], a[i] - b[i])) << i;
    const std::vector<double> za = test_inputs<double>(14, 5), zb = test_inputs<double>(14, 6);
    std::vector<double> zr(14);
    zadd_generic(7, za.data(), zb.data(), zr.data(), nullptr, 0);
    for (int i = 0; i < 14; ++i) ASSERT_TRUE(same_bits(zr[i], za[i] + zb[i])) << i;
    zsub_generic(7, za.data(), zb.data(), zr.data(), nullptr, 0);
    for (int i = 0; i < 14; ++i) ASSERT_TRUE(same_bits(zr[i], za[i] - zb[i])) << i;
}

// Overlapping placements: results of a plain element-by-element loop.
struct OverlapCase {
    const char* name;
    tvml_array_kernel kernel;
    int scalar_bytes;
    int scalars_per_element;
    bool binary;
    char op;
};

const OverlapCase kOverlapCases[] = {
    {"sadd", sadd_generic, 4, 1, true, '+'}, {"dadd", dadd_generic, 8, 1, true, '+'},
    {"cadd", cadd_generic, 4, 2, true, '+'}, {"zadd", zadd_generic, 8, 2, true, '+'},
    {"ssub", ssub_generic, 4, 1, true, '-'}, {"dsub", dsub_generic, 8, 1, true, '-'},
    {"csub", csub_generic, 4, 2, true, '-'}, {"zsub", zsub_generic, 8, 2, true, '-'},
    {"ssqr", ssqr_generic, 4, 1, false, '*'}, {"dsqr", dsqr_generic, 8, 1, false, '*'},
};

template <class T>
void plain_loop(char op, bool binary, int64_t m, const T* a, const T* b, T* r) {
    for (int64_t i = 0; i < m; ++i) {
        const T x = a[i];
        const T y = binary ? b[i] : x;
        r[i] = op == '+' ? x + y : op == '-' ? x - y : x * y;
    }
}

template <class T>
void check_overlaps(const OverlapCase& c) {
    const int n = 37;
    const int64_t m = int64_t(n) * c.scalars_per_element;
    // Shifts in scalars of the output against the first (and second) input.
    for (int shift = -9; shift <= 9; ++shift) {
        for (int on_b = 0; on_b <= int(c.binary); ++on_b) {
            std::vector<T> mem = test_inputs<T>(3 * m, 21), want_mem = mem;
            std::vector<T> other = test_inputs<T>(m, 22);
            T* base = mem.data() + m;
            T* want_base = want_mem.data() + m;
            const T* a = on_b ? other.data() : base;
            const T* b = on_b ? base : other.data();
            const T* wa = on_b ? other.data() : want_base;
            const T* wb = on_b ? want_base : other.data();
            plain_loop<T>(c.op, c.binary, m, wa, wb, want_base + shift);
            c.kernel(n, a, b, base + shift, nullptr, 0);
            for (size_t i = 0; i < mem.size(); ++i)
                ASSERT_TRUE(same_bits(mem[i], want_mem[i])) << c.name << " shift " << shift << " on "
                                                            << (on_b ? "b" : "a") << " at " << i;
        }
    }
}

void PrintTo(const OverlapCase& c, std::ostream* os) { *os << c.name; }

class Overlap : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(Overlap, PlainLoopResults) {
    if (GetParam().scalar_bytes == 4) check_overlaps<float>(GetParam());
    else check_overlaps<double>(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, Overlap, ::testing::ValuesIn(kOverlapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortableKernel, FloorRaisesNoInexact) {
    const float xs[] = {-0.5f, -1.5f, 2.75f, -1e-30f, 0.3f, 8388607.5f, -8388607.5f, 1e30f};
    const double xd[] = {-0.5, -1.5, 2.75, -1e-300, 0.3, 4503599627370495.5, -4503599627370495.5};
    float rs[8];
    double rd[7];
    feclearexcept(FE_ALL_EXCEPT);
    sfloor_generic(8, xs, nullptr, rs, nullptr, 0);
    dfloor_generic(7, xd, nullptr, rd, nullptr, 0);
    EXPECT_FALSE(fetestexcept(FE_INEXACT));
    // floor(-0.5) is -1 (the largest integer not above -0.5), as floorf says.
    EXPECT_EQ(rs[0], -1.0f);
    EXPECT_EQ(rs[1], -2.0f);
    EXPECT_EQ(rs[3], -1.0f);
    EXPECT_TRUE(std::signbit(rd[4]) == false && rd[4] == 0.0);
    EXPECT_EQ(rs[6], -8388608.0f);
    EXPECT_EQ(rd[6], -4503599627370496.0);
}

TEST(PortableKernel, SinCosCosineOverTheInput) {
    std::vector<double> a = test_inputs<double>(50, 31);
    const std::vector<double> original = a;
    std::vector<double> s(50);
    dsincos_generic(50, a.data(), nullptr, s.data(), a.data(), 0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(same_bits(s[i], sin(original[i]))) << i;
        ASSERT_TRUE(same_bits(a[i], cos(original[i]))) << i;
    }
    std::vector<float> fa = test_inputs<float>(50, 32), fs(50), fc(50);
    ssincos_generic(50, fa.data(), nullptr, fs.data(), fc.data(), 0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(same_bits(fs[i], sinf(fa[i]))) << i;
        ASSERT_TRUE(same_bits(fc[i], cosf(fa[i]))) << i;
    }
}

TEST(PortableKernel, PowxReadsTheExponentOnce) {
    // The exponent lives in the output array's first element: read before
    // any store, so every element uses the original value.
    float buf[5] = {2.0f, 3.0f, 4.0f, 5.0f, 6.0f};
    const float a[4] = {3.0f, 3.0f, 3.0f, 3.0f};
    spowx_generic(4, a, &buf[0], buf, nullptr, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(buf[i], 9.0f) << i;
}

TEST(PortableKernel, Atan2OfZeroAndMinusOneIsPi) {
    const float y = 0.0f, x = -1.0f;
    float r;
    satan2_generic(1, &y, &x, &r, nullptr, 0);
    EXPECT_EQ(r, float(M_PI));
}

}  // namespace
