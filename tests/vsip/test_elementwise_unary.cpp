// Unary element-wise functions: the contiguous pass equals the array
// function of dazaro-tv on the same data, the strided pass equals the
// double-precision libm value rounded to float, both lie within a stated
// distance of an independent double-precision reference; sign-bit rules,
// the complex special cases, in-place use, empty views, chunked array calls
// for views longer than 2^31-1 elements and the fall-back when a temporary
// cannot be allocated.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <omp.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <dazaro_tv.h>
#include <vsip_tv.h>

#include "support.hpp"
#include "view_layouts.hpp"

using namespace vsiptest;

// ---- Array-function call log -----------------------------------------------------
//
// The executable's definitions of a few array functions take precedence over
// dazaro-tv's: they record each call and forward it, or only record it when
// `record_only` is set (for views longer than any test can allocate).

namespace {
struct ArrayCall {
    std::string name;
    long n;
    const void *a, *b, *r;
};
std::vector<ArrayCall> array_calls;
bool record_only = false;

template <class Fn>
Fn next_symbol(const char *name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
} // namespace

#define RECORD_UNARY(fn)                                                                  \
    extern "C" void fn(int n, const float *a, float *r) {                                 \
        array_calls.push_back({#fn, n, a, nullptr, r});                                   \
        static auto real = next_symbol<void (*)(int, const float *, float *)>(#fn);       \
        if (!record_only)                                                                 \
            real(n, a, r);                                                                \
    }
#define RECORD_BINARY(fn)                                                                         \
    extern "C" void fn(int n, const float *a, const float *b, float *r) {                         \
        array_calls.push_back({#fn, n, a, b, r});                                                 \
        static auto real = next_symbol<void (*)(int, const float *, const float *, float *)>(#fn); \
        if (!record_only)                                                                         \
            real(n, a, b, r);                                                                     \
    }
RECORD_UNARY(vsExp)
RECORD_UNARY(vsCos)
RECORD_UNARY(vsSin)
RECORD_BINARY(vsPow)
RECORD_BINARY(vsAtan2)

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::string call_names() {
    std::string s;
    for (const ArrayCall &c : array_calls)
        s += c.name + "(" + std::to_string(c.n) + ") ";
    return s;
}

// ---- Real unary rows ------------------------------------------------------------------

using unary_fn = void (*)(const vsip_vview_f *, const vsip_vview_f *);
using array_unary = void (*)(int, const float *, float *);

struct UnaryRow {
    const char *name;
    unary_fn call;
    // Contiguous pass: this array function on the same data (null: the
    // contiguous pass computes `strided` too).
    std::function<void(int, const float *, float *)> array;
    // Strided pass, bit for bit.
    std::function<float(float)> strided;
    // Independent reference and the distance both passes may have from it.
    double (*reference)(double);
    double ulps;
    double lo, hi;
    bool log_scale; // inputs spread over magnitudes, not linearly
};

float dbl(double (*f)(double), float x) { return static_cast<float>(f(static_cast<double>(x))); }

double ref_exp10(double x) { return std::pow(10.0, x); }
double ref_sq(double x) { return x * x; }
double ref_rsqrt(double x) { return 1.0 / std::sqrt(x); }
double ref_recip(double x) { return 1.0 / x; }
double ref_acos(double x) { return std::acos(x); }
double ref_asin(double x) { return std::asin(x); }
double ref_atan(double x) { return std::atan(x); }
double ref_cos(double x) { return std::cos(x); }
double ref_sin(double x) { return std::sin(x); }
double ref_tan(double x) { return std::tan(x); }
double ref_exp(double x) { return std::exp(x); }
double ref_log(double x) { return std::log(x); }
double ref_log10(double x) { return std::log10(x); }
double ref_sqrt(double x) { return std::sqrt(x); }

void pow10_array(int n, const float *a, float *r) {
    std::vector<float> tens(n, 10.0f);
    vsPow(n, tens.data(), a, r);
}

const UnaryRow kUnaryRows[] = {
    {"vacos", vsip_vacos_f, vsAcos, [](float x) { return dbl(ref_acos, x); }, ref_acos, 4, -1, 1, false},
    {"vasin", vsip_vasin_f, vsAsin, [](float x) { return dbl(ref_asin, x); }, ref_asin, 4, -1, 1, false},
    {"vatan", vsip_vatan_f, vsAtan, [](float x) { return dbl(ref_atan, x); }, ref_atan, 4, -20, 20, false},
    {"vcos", vsip_vcos_f, vsCos, [](float x) { return dbl(ref_cos, x); }, ref_cos, 4, -10, 10, false},
    {"vsin", vsip_vsin_f, vsSin, [](float x) { return dbl(ref_sin, x); }, ref_sin, 4, -10, 10, false},
    {"vtan", vsip_vtan_f, vsTan, [](float x) { return dbl(ref_tan, x); }, ref_tan, 4, -1.5, 1.5, false},
    {"vexp", vsip_vexp_f, vsExp, [](float x) { return dbl(ref_exp, x); }, ref_exp, 4, -87, 88, false},
    {"vlog", vsip_vlog_f, vsLn, [](float x) { return dbl(ref_log, x); }, ref_log, 6, -30, 30, true},
    {"vlog10", vsip_vlog10_f, vsLog10, [](float x) { return dbl(ref_log10, x); }, ref_log10, 7, -30, 30, true},
    // Through vsPow, whose tuned kernels lose accuracy in proportion to |x ln 10| (up to 400 ulp).
    {"vexp10", vsip_vexp10_f, pow10_array, [](float x) { return dbl(ref_exp10, x); }, ref_exp10, 400, -37, 38, false},
    {"vsq", vsip_vsq_f, vsSqr, [](float x) { return x * x; }, ref_sq, 0.5, -1e18, 1e18, false},
    {"vsqrt", vsip_vsqrt_f, nullptr, [](float x) { return dbl(ref_sqrt, x); }, ref_sqrt, 0.5, -30, 30, true},
    {"vrsqrt", vsip_vrsqrt_f, nullptr, [](float x) { return 1.0f / std::sqrt(x); }, ref_rsqrt, 1.5, -30, 30, true},
    {"vrecip", vsip_vrecip_f, nullptr, [](float x) { return dbl(ref_recip, x); }, ref_recip, 0.5, -1e6, 1e6, false},
};

std::vector<float> inputs(const UnaryRow &row, std::size_t n, std::uint64_t seed) {
    Sampler s(seed);
    std::vector<float> x(n);
    for (float &v : x)
        v = row.log_scale ? static_cast<float>(std::pow(10.0, s.uniform(row.lo, row.hi))) : s.uniform(row.lo, row.hi);
    return x;
}

class UnaryFamily : public ::testing::TestWithParam<std::tuple<int, Layout>> {};

} // namespace

TEST_P(UnaryFamily, PassResultsMatchTheirDefinitionAndTheReference) {
    const auto [row_index, layout] = GetParam();
    const UnaryRow &row = kUnaryRows[row_index];
    for (std::size_t n : {0u, 1u, 7u, 8u, 33u, 1000u}) {
        const std::vector<float> x = inputs(row, n, 17 + n);
        RealVec a(layout, x);
        RealVec r(layout == Layout::Unit ? Layout::UnitOffset : layout, std::vector<float>(n, 0.0f));
        row.call(a.view(), r.view());
        std::vector<float> want(n);
        if (contiguous(layout) && row.array)
            row.array(static_cast<int>(n), x.data(), want.data());
        else
            for (std::size_t j = 0; j < n; ++j)
                want[j] = row.strided(x[j]);
        for (std::size_t j = 0; j < n; ++j) {
            ASSERT_PRED2(same_float, r[j], want[j]) << row.name << "(" << x[j] << ") element " << j << " of " << n;
            EXPECT_LE(ulp_error(r[j], row.reference(x[j])), row.ulps) << row.name << "(" << x[j] << ") = " << r[j];
        }
        EXPECT_TRUE(r.guards_intact()) << row.name;
        EXPECT_TRUE(a.guards_intact()) << row.name;
        // In place on the operand view: the same values.
        row.call(a.view(), a.view());
        for (std::size_t j = 0; j < n; ++j)
            ASSERT_PRED2(same_float, a[j], want[j]) << row.name << " in place, element " << j;
        EXPECT_TRUE(a.guards_intact()) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, UnaryFamily,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kUnaryRows))),
                                            ::testing::ValuesIn(kAllLayouts)),
                         [](const auto &info) {
                             return std::string(kUnaryRows[std::get<0>(info.param)].name) + "_" +
                                    name(std::get<1>(info.param));
                         });

TEST(UnaryFamily, ArrayFunctionsAreCalledOnlyOnTheContiguousPass) {
    RealVec a(Layout::Unit, {0, 1, 2}), r(Layout::Unit, {0, 0, 0});
    array_calls.clear();
    vsip_vexp10_f(a.view(), r.view());
    EXPECT_EQ(call_names(), "vsPow(3) ");
    EXPECT_EQ(r.values(), (std::vector<float>{1, 10, 100}));
    RealVec s(Layout::Stride2, {0, 1, 2}), t(Layout::Stride2, {0, 0, 0});
    array_calls.clear();
    vsip_vexp10_f(s.view(), t.view());
    EXPECT_EQ(call_names(), "");
    EXPECT_EQ(t.values(), (std::vector<float>{1, 10, 100}));
    // The real view of an interleaved block is strided.
    RealVec u(Layout::RealOfInterleaved, {0.5f}), v(Layout::Unit, {0});
    array_calls.clear();
    vsip_vexp_f(u.view(), v.view());
    vsip_vatan2_f(u.view(), u.view(), v.view());
    EXPECT_EQ(call_names(), "");
    RealVec e(Layout::Unit, {}), f(Layout::Unit, {});
    vsip_vexp_f(e.view(), f.view());
    EXPECT_TRUE(f.guards_intact());
}

TEST(Atan2, BothPassesEveryQuadrantAndSignedZeros) {
    const std::vector<float> y = {1, 1, -1, -1, 0.0f, -0.0f, 0.0f, -0.0f, 3e-40f, kInf, 5, -2};
    const std::vector<float> x = {1, -1, 1, -1, 1, 1, -1, -1, -1, 2, 0.0f, -0.0f};
    for (Layout l : kAllLayouts) {
        RealVec a(l, y), b(l, x), r(l, std::vector<float>(y.size(), 0.0f));
        vsip_vatan2_f(a.view(), b.view(), r.view());
        std::vector<float> direct(y.size());
        vsAtan2(static_cast<int>(y.size()), y.data(), x.data(), direct.data());
        for (std::size_t j = 0; j < y.size(); ++j) {
            const double want = std::atan2(static_cast<double>(y[j]), static_cast<double>(x[j]));
            if (contiguous(l))
                EXPECT_PRED2(same_float, r[j], direct[j]) << j;
            else
                EXPECT_EQ(bits(r[j]), bits(static_cast<float>(want))) << y[j] << "," << x[j];
            EXPECT_LE(ulp_error(r[j], want), 4.0) << y[j] << "," << x[j];
        }
        EXPECT_TRUE(r.guards_intact());
    }
}

// ---- Sign-bit rules ---------------------------------------------------------------------

TEST(SignBits, MagnitudeAndNegationOnEachPass) {
    // Nine elements: the first eight form the 8-wide block of the
    // contiguous pass, the ninth is its tail.
    const float nnan = from_bits(0xFFC00001u);
    const std::vector<float> x = {0.0f, -0.0f, 2.0f, -3.0f, kNaN, nnan, -kInf, 1e-45f, 0.0f};
    for (Layout l : kAllLayouts) {
        RealVec a(l, x), m(l, std::vector<float>(9, 0.0f)), g(l, std::vector<float>(9, 0.0f));
        vsip_vmag_f(a.view(), m.view());
        vsip_vneg_f(a.view(), g.view());
        for (std::size_t j = 0; j < x.size(); ++j) {
            // |a|: cleared sign bit on the contiguous pass; -a for a < 0 otherwise.
            const float mag = contiguous(l) ? from_bits(bits(x[j]) & 0x7FFFFFFFu) : (x[j] < 0 ? -x[j] : x[j]);
            EXPECT_EQ(bits(m[j]), bits(mag)) << l << " vmag element " << j;
            // -a: the 8-wide contiguous block computes 0 - a.
            const bool block = contiguous(l) && j < 8;
            const float neg = block ? 0.0f - x[j] : from_bits(bits(x[j]) ^ 0x80000000u);
            if (std::isnan(neg))
                EXPECT_TRUE(std::isnan(g[j]));
            else
                EXPECT_EQ(bits(g[j]), bits(neg)) << l << " vneg element " << j;
        }
        EXPECT_TRUE(m.guards_intact() && g.guards_intact());
    }
}

TEST(SignBits, MatrixMagnitudeKeepsNegativeZero) {
    for (MLayout l : kAllMLayouts) {
        const auto init = [](std::size_t i, std::size_t j) { return (i + j) % 3 == 0 ? -0.0f : (i % 2 ? -1.0f : 1.0f) * (j + 0.5f); };
        Mat<float> a(l, 3, 4, init, kGuard), r(MLayout::ColMajor, 3, 4, [](auto, auto) { return 9.0f; }, kGuard);
        vsip_mmag_f(a.view(), r.view());
        vsip_mmag_f(a.view(), a.view()); // in place
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 4; ++j) {
                const float x = init(i, j), want = x < 0 ? -x : x;
                EXPECT_EQ(bits(r(i, j)), bits(want)) << i << "," << j;
                EXPECT_EQ(bits(a(i, j)), bits(want)) << i << "," << j;
            }
        EXPECT_TRUE(a.guards_intact() && r.guards_intact());
    }
}

// ---- Complex rows -----------------------------------------------------------------------

namespace {

using cd = std::complex<double>;

std::vector<cf> complex_inputs(std::size_t n, std::uint64_t seed, double lo, double hi) {
    Sampler s(seed);
    std::vector<cf> v(n);
    for (cf &x : v)
        x = {s.uniform(lo, hi), s.uniform(lo, hi)};
    return v;
}

struct ComplexRow {
    const char *name;
    void (*call)(const vsip_cvview_f *, const vsip_cvview_f *);
    std::function<cd(cd)> reference;
    double ulps; // per part, relative to the larger part's magnitude
};

const ComplexRow kComplexRows[] = {
    {"cvconj", vsip_cvconj_f, [](cd z) { return std::conj(z); }, 0},
    {"cvneg", vsip_cvneg_f, [](cd z) { return -z; }, 0},
    {"cvexp", vsip_cvexp_f, [](cd z) { return std::exp(z); }, 8},
    {"cvlog", vsip_cvlog_f, [](cd z) { return std::log(z); }, 4},
    {"cvsqrt", vsip_cvsqrt_f, [](cd z) { return std::sqrt(z); }, 4},
    {"cvrecip", vsip_cvrecip_f, [](cd z) { return 1.0 / z; }, 4},
};

// Distance of each part from the reference, in ulps of the larger part.
double complex_error(cf got, cd want) {
    const double scale = std::max(std::fabs(want.real()), std::fabs(want.imag()));
    int e;
    std::frexp(scale, &e);
    const double ulp = std::ldexp(1.0, e - 24);
    return std::max(std::fabs(got.re - want.real()), std::fabs(got.im - want.imag())) / ulp;
}

class ComplexFamily : public ::testing::TestWithParam<std::tuple<int, CLayout>> {};

} // namespace

TEST_P(ComplexFamily, EveryLayoutWithinTheReferenceAndInPlace) {
    const auto [row_index, layout] = GetParam();
    const ComplexRow &row = kComplexRows[row_index];
    // The reciprocal estimate of the contiguous split pass carries about
    // 12 bits; everything else is within the row's bound.
    const bool estimate = row.call == vsip_cvrecip_f && (layout == CLayout::Split || layout == CLayout::Interleaved);
    for (std::size_t n : {0u, 1u, 8u, 13u, 100u}) {
        const std::vector<cf> x = complex_inputs(n, 5 + n, -6, 6);
        CplxVec a(layout, x), r(layout == CLayout::Split ? CLayout::Split : CLayout::SplitNegative,
                                std::vector<cf>(n, cf{0, 0}));
        CplxVec in_place(layout, x);
        row.call(a.view(), r.view());
        row.call(in_place.view(), in_place.view());
        const bool r_estimates = estimate && layout == CLayout::Split;
        for (std::size_t j = 0; j < n; ++j) {
            const cd want = row.reference(cd(x[j].re, x[j].im));
            // Blocks of 8 elements (split) or of 8 floats (interleaved pairs).
            const bool block = j < (layout == CLayout::Split ? n / 8 * 8 : n / 4 * 4);
            const double bound = (r_estimates && block) ? 6200.0 : row.ulps + 0.5;
            EXPECT_LE(complex_error(r[j], want), bound) << row.name << " element " << j << " of " << n;
            const double bound_ip = (estimate && block) ? 6200.0 : row.ulps + 0.5;
            EXPECT_LE(complex_error(in_place[j], want), bound_ip) << row.name << " in place, element " << j;
        }
        EXPECT_TRUE(r.guards_intact() && in_place.guards_intact());
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ComplexFamily,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kComplexRows))),
                                            ::testing::ValuesIn(kAllCLayouts)),
                         [](const auto &info) {
                             return std::string(kComplexRows[std::get<0>(info.param)].name) + "_" +
                                    name(std::get<1>(info.param));
                         });

TEST(ComplexToReal, MagnitudesAndEuler) {
    const std::vector<cf> x = {{3, 4}, {0, -0.0f}, {-2e19f, 2e19f}, {1e-30f, 0}, {kInf, 1}, {-2.5f, 0.5f}, {1, 1}, {0, 7}, {6, -8}};
    for (CLayout l : kAllCLayouts) {
        CplxVec a(l, x);
        RealVec sq(Layout::Unit, std::vector<float>(x.size(), 0.0f)), mag(Layout::Stride2, std::vector<float>(x.size(), 0.0f));
        vsip_vcmagsq_f(a.view(), sq.view());
        vsip_cvmag_f(a.view(), mag.view());
        for (std::size_t j = 0; j < x.size(); ++j) {
            const float s = std::fma(x[j].re, x[j].re, x[j].im * x[j].im);
            EXPECT_EQ(bits(sq[j]), bits(s)) << l << " " << j;
            EXPECT_EQ(bits(mag[j]), bits(std::sqrt(s))) << l << " " << j;
        }
        EXPECT_EQ(mag[0], 5.0f);
        EXPECT_EQ(mag[2], kInf); // unscaled: overflows above about 1.8e19
    }
    for (Layout l : kAllLayouts)
        for (CLayout cl : {CLayout::Split, CLayout::Interleaved, CLayout::SplitNegative}) {
            const std::vector<float> t = Sampler(3).floats(19, -20, 20);
            RealVec a(l, t);
            CplxVec r(cl, std::vector<cf>(t.size(), cf{0, 0}));
            array_calls.clear();
            vsip_veuler_f(a.view(), r.view());
            const bool arrays = contiguous(l) && cl == CLayout::Split;
            EXPECT_EQ(call_names(), arrays ? "vsCos(19) vsSin(19) " : "") << l << " " << cl;
            for (std::size_t j = 0; j < t.size(); ++j) {
                if (!arrays) {
                    EXPECT_EQ(bits(r[j].re), bits(static_cast<float>(std::cos(static_cast<double>(t[j])))));
                    EXPECT_EQ(bits(r[j].im), bits(static_cast<float>(std::sin(static_cast<double>(t[j])))));
                }
                EXPECT_NEAR(r[j].re, std::cos(t[j]), 4e-7);
                EXPECT_NEAR(r[j].im, std::sin(t[j]), 4e-7);
            }
            EXPECT_TRUE(r.guards_intact());
        }
}

TEST(ComplexToReal, EulerIntoItsOwnOperandTakesTheElementLoop) {
    // a is the real part of r itself: the array path would overwrite a
    // before the sine reads it.
    std::vector<float> re = {0.5f, 1.0f, 2.0f}, im = {9, 9, 9};
    vsip_cblock_f *b = vsip_cblockbind_f(re.data(), im.data(), 3, VSIP_MEM_NONE);
    vsip_cblockadmit_f(b, VSIP_TRUE);
    vsip_cvview_f *r = vsip_cvbind_f(b, 0, 1, 3);
    vsip_vview_f *a = vsip_vrealview_f(r);
    array_calls.clear();
    vsip_veuler_f(a, r);
    EXPECT_EQ(call_names(), "");
    const float t[] = {0.5f, 1.0f, 2.0f};
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(re[j], static_cast<float>(std::cos(static_cast<double>(t[j]))));
        EXPECT_EQ(im[j], static_cast<float>(std::sin(static_cast<double>(t[j]))));
    }
    vsip_vdestroy_f(a);
    vsip_cvdestroy_f(r);
    vsip_cblockdestroy_f(b);
}

TEST(ComplexSpecialCases, DocumentedValues) {
    for (CLayout l : kAllCLayouts) {
        // Square roots, 9 elements: block of 8 plus tail on the contiguous pass.
        const std::vector<cf> x = {{0, -8}, {-4, 0}, {3, 4}, {0, 0}, {0, 8}, {-3, -4}, {-3, 4}, {4, 0}, {0, 0}};
        const std::vector<cf> want = {{2, -2}, {0, 2}, {2, 1}, {0, 0}, {2, 2}, {1, -2}, {1, 2}, {2, 0}, {0, 0}};
        CplxVec a(l, x);
        vsip_cvsqrt_f(a.view(), a.view());
        for (std::size_t j = 0; j < x.size(); ++j) {
            EXPECT_NEAR(a[j].re, want[j].re, 2e-7) << l << " sqrt element " << j;
            EXPECT_NEAR(a[j].im, want[j].im, 2e-7) << l << " sqrt element " << j;
        }
        // NaN in, NaN out.
        CplxVec nan(l, std::vector<cf>(9, cf{kNaN, 1}));
        vsip_cvsqrt_f(nan.view(), nan.view());
        for (std::size_t j = 0; j < 9; ++j)
            EXPECT_TRUE(std::isnan(nan[j].re) || std::isnan(nan[j].im)) << l << " " << j;
        // Logarithm of zero: the most negative finite float, argument 0.
        CplxVec z(l, {{0, 0}, {-0.0f, 0}, {1e20f, 0}, {0, -1e-25f}});
        vsip_cvlog_f(z.view(), z.view());
        EXPECT_EQ(bits(z[0].re), 0xFF7FFFFFu);
        EXPECT_EQ(z[0].im, 0.0f);
        EXPECT_EQ(bits(z[1].re), 0xFF7FFFFFu);
        EXPECT_FLOAT_EQ(z[1].im, static_cast<float>(M_PI));
        // |a| beyond the single-precision square range keeps its logarithm.
        EXPECT_FLOAT_EQ(z[2].re, static_cast<float>(std::log(1e20)));
        EXPECT_FLOAT_EQ(z[3].re, static_cast<float>(std::log(1e-25)));
        EXPECT_FLOAT_EQ(z[3].im, static_cast<float>(-M_PI / 2));
    }
}

TEST(ComplexSpecialCases, SquareRootBeyondTheSingleSquareRange) {
    // |a|^2 overflows or underflows in single precision: the roots stay
    // accurate in the 8-element block and in the tail, on every pass.
    const std::vector<cf> x = {{1e30f, 0}, {1e20f, 1e20f}, {-1e25f, 3e24f}, {1e-30f, 1e-30f}, {3e-40f, 0},
                               {-2e-39f, -1e-39f}, {0, 1e38f}, {3, 4}, {1e30f, -5}, {-1e-25f, 1e-30f}};
    for (CLayout l : kAllCLayouts) {
        CplxVec a(l, x);
        vsip_cvsqrt_f(a.view(), a.view());
        for (std::size_t j = 0; j < x.size(); ++j) {
            const cd want = std::sqrt(cd(x[j].re, x[j].im));
            EXPECT_LE(complex_error(a[j], want), 4.0) << l << " element " << j << ": (" << a[j].re << ", " << a[j].im << ")";
        }
    }
}

TEST(ComplexSpecialCases, ReciprocalEstimateOnlyInContiguousBlocks) {
    // 16 split contiguous elements: estimate error (about 12 bits, and not
    // correctly rounded); on a stride-2 view exact division.
    const std::vector<cf> x = complex_inputs(16, 77, 0.5, 3);
    CplxVec est(CLayout::Split, x), exact(CLayout::SplitOffsetStride2, x);
    vsip_cvrecip_f(est.view(), est.view());
    vsip_cvrecip_f(exact.view(), exact.view());
    int differ = 0;
    for (std::size_t j = 0; j < x.size(); ++j) {
        const float inv = 1.0f / std::fma(x[j].re, x[j].re, x[j].im * x[j].im);
        EXPECT_EQ(bits(exact[j].re), bits(x[j].re * inv));
        EXPECT_EQ(bits(exact[j].im), bits(-x[j].im * inv));
        const cd want = 1.0 / cd(x[j].re, x[j].im);
        EXPECT_NEAR(est[j].re, want.real(), std::fabs(want.real()) * 1.5 * std::ldexp(1.0, -12) + 1e-7);
        differ += bits(est[j].re) != bits(exact[j].re);
    }
    EXPECT_GT(differ, 0) << "the contiguous pass should carry the estimate's error";
}

TEST(ComplexSpecialCases, MatrixMagnitudeAndConjugate) {
    const auto init = [](std::size_t i, std::size_t j) {
        const float big = (i + j) % 2 ? 3e19f : 1e-25f;
        return (i == 0 && j == 0) ? cf{0, 0} : cf{big * (j + 1.0f), -big * (i + 0.5f)};
    };
    for (MLayout l : kAllMLayouts)
        for (bool inter : {false, true}) {
            CMat a(l, inter, 3, 4, init);
            Mat<float> m(MLayout::Padded, 3, 4, [](auto, auto) { return 0.0f; }, kGuard);
            vsip_cmmag_f(a.view(), m.view());
            CMat c(l == MLayout::RowMajor ? MLayout::ColMajor : MLayout::RowMajor, !inter, 3, 4, [](auto, auto) { return cf{0, 0}; });
            vsip_cmconj_f(a.view(), c.view());
            for (std::size_t i = 0; i < 3; ++i)
                for (std::size_t j = 0; j < 4; ++j) {
                    const cf x = init(i, j);
                    const double want = std::hypot(static_cast<double>(x.re), static_cast<double>(x.im));
                    EXPECT_LE(ulp_error(m(i, j), want), 2.0) << i << "," << j << " of " << l;
                    EXPECT_EQ(bits(c(i, j).re), bits(x.re));
                    EXPECT_EQ(bits(c(i, j).im), bits(x.im) ^ 0x80000000u);
                }
            EXPECT_TRUE(m.guards_intact() && c.guards_intact());
            vsip_cmconj_f(a.view(), a.view()); // in place
            EXPECT_EQ(bits(a(2, 3).im), bits(init(2, 3).im) ^ 0x80000000u);
            EXPECT_TRUE(a.guards_intact());
        }
}

TEST(ComplexSpecialCases, MatrixConjugateInsideAnActiveParallelRegion) {
    int wrong = 0;
#pragma omp parallel num_threads(2) reduction(+ : wrong)
    {
        CMat a(MLayout::RowMajor, false, 5, 7, [](auto i, auto j) { return cf{float(i), float(j) + 1}; });
        CMat r(MLayout::ColMajor, true, 5, 7, [](auto, auto) { return cf{0, 0}; });
        vsip_cmconj_f(a.view(), r.view());
        for (std::size_t i = 0; i < 5; ++i)
            for (std::size_t j = 0; j < 7; ++j)
                wrong += r(i, j).re != float(i) || r(i, j).im != -(float(j) + 1);
    }
    EXPECT_EQ(wrong, 0);
    CMat one(MLayout::RowMajor, true, 1, 1, [](auto, auto) { return cf{2, 3}; });
    vsip_cmconj_f(one.view(), one.view());
    EXPECT_EQ(one(0, 0).im, -3.0f);
}

// ---- Views longer than 2^31-1 elements ------------------------------------------------

TEST(LongViews, ArrayFunctionsAreCalledInChunks) {
    // Views over a block much longer than its storage: the array functions
    // only record their calls.
    const vsip_length n = (vsip_length{1} << 31) + 5;
    float storage[4] = {};
    vsip_block_f *b = vsip_blockbind_f(storage, n, VSIP_MEM_NONE);
    vsip_blockadmit_f(b, VSIP_TRUE);
    vsip_vview_f *v = vsip_vbind_f(b, 0, 1, n);
    float cstorage[4] = {};
    vsip_cblock_f *cb = vsip_cblockbind_f(cstorage, cstorage + 2, n, VSIP_MEM_NONE);
    vsip_cblockadmit_f(cb, VSIP_TRUE);
    vsip_cvview_f *cv = vsip_cvbind_f(cb, 0, 1, n);
    vsip_vview_f *w = vsip_vbind_f(b, 0, 1, n);
    // One thread: the recorded calls are the serial pass's, in order.
    tml_vsip_set_num_threads(1);
    record_only = true;
    array_calls.clear();
    vsip_vexp_f(v, v);
    vsip_vatan2_f(v, w, v);
    array_calls.push_back({"|", 0, nullptr, nullptr, nullptr});
    vsip_veuler_f(v, cv);
    record_only = false;
    tml_vsip_set_num_threads(0);
    const long first = INT_MAX, rest = static_cast<long>(n - INT_MAX);
    ASSERT_EQ(array_calls.size(), 9u) << call_names();
    EXPECT_EQ(call_names(), "vsExp(" + std::to_string(first) + ") vsExp(" + std::to_string(rest) + ") vsAtan2(" +
                                std::to_string(first) + ") vsAtan2(" + std::to_string(rest) + ") |(0) vsCos(" +
                                std::to_string(first) + ") vsSin(" + std::to_string(first) + ") vsCos(" +
                                std::to_string(rest) + ") vsSin(" + std::to_string(rest) + ") ");
    const std::uintptr_t second_chunk = reinterpret_cast<std::uintptr_t>(storage) + first * sizeof(float);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array_calls[1].a), second_chunk);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array_calls[1].r), second_chunk);
    vsip_vdestroy_f(v);
    vsip_vdestroy_f(w);
    vsip_cvdestroy_f(cv);
    vsip_cblockdestroy_f(cb);
    vsip_blockdestroy_f(b);
}

// ---- Temporaries ---------------------------------------------------------------------------

// exp10's tens and cvexp's exponentials live in fixed pieces (a constant
// table, a stack buffer): no allocation, even with a failing allocator, and
// long views go to the array functions in pieces of 1024 elements.
TEST(Temporaries, NoneTakenArrayFunctionsRunInPieces) {
    struct Row {
        vsip_length n;
        const char *exp10_calls;
        const char *cvexp_calls;
    };
    const Row rows[] = {
        {20, "vsPow(20) ", "vsExp(20) vsCos(20) vsSin(20) "},
        {2500, "vsPow(1024) vsPow(1024) vsPow(452) ",
         "vsExp(1024) vsCos(1024) vsSin(1024) vsExp(1024) vsCos(1024) vsSin(1024) "
         "vsExp(452) vsCos(452) vsSin(452) "},
    };
    tml_vsip_set_num_threads(1);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.n);
        const std::vector<float> x = Sampler(4).floats(row.n, -5, 5);
        RealVec a(Layout::Unit, x), r(Layout::Unit, std::vector<float>(x.size(), 0.0f));
        std::vector<cf> z = complex_inputs(row.n, 8, -3, 3);
        CplxVec c(CLayout::Split, z);
        FailingAllocator fail(1);
        array_calls.clear();
        vsip_vexp10_f(a.view(), r.view());
        EXPECT_EQ(call_names(), row.exp10_calls);
        array_calls.clear();
        vsip_cvexp_f(c.view(), c.view());
        EXPECT_EQ(call_names(), row.cvexp_calls);
        EXPECT_EQ(fail.calls(), 0);
        EXPECT_EQ(fail.live(), 0u);
    }
    tml_vsip_set_num_threads(0);
}
