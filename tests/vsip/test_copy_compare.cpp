// Copies, conversions, fills, ramp, complex split and merge, comparisons,
// all-true tests, clipping, maxima and minima: every layout of the
// contiguous and the strided pass against an element-by-element reference,
// in place, on empty views, and the CBLAS paths of the complex copy.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "view_layouts.hpp"

using namespace vsiptest;

// ---- CBLAS call log: the complex copy's calls are recorded, then forwarded.

namespace {
struct BlasCall {
    std::string name;
    int n, incx, incy;
};
std::vector<BlasCall> blas_calls;

template <class Fn>
Fn next_symbol(const char *name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" void cblas_scopy(int n, const float *x, int incx, float *y, int incy) {
    blas_calls.push_back({"scopy", n, incx, incy});
    static auto real = next_symbol<void (*)(int, const float *, int, float *, int)>("cblas_scopy");
    real(n, x, incx, y, incy);
}
extern "C" void cblas_ccopy(int n, const void *x, int incx, void *y, int incy) {
    blas_calls.push_back({"ccopy", n, incx, incy});
    static auto real = next_symbol<void (*)(int, const void *, int, void *, int)>("cblas_ccopy");
    real(n, x, incx, y, incy);
}

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Values that catch sign, rounding and special-value faults.
std::vector<float> awkward_values(std::size_t n, std::uint64_t seed) {
    std::vector<float> v = Sampler(seed).floats(n, -4.0, 4.0);
    const float specials[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, kInf, -kInf, kNaN, 2.0f, -3.5f};
    for (std::size_t k = 0; k < n && k < 10; ++k)
        v[(k * 7) % n] = specials[k];
    return v;
}

// ---- Real element-wise rows: f(a, b) -> r, one row per function --------------

struct RealRow {
    const char *name;
    int arity;
    std::function<void(const vsip_vview_f *, const vsip_vview_f *, const vsip_vview_f *)> call;
    std::function<float(float, float)> want;
};

float nan_or(float a, float b, float v) { return std::isnan(a) || std::isnan(b) ? kNaN : v; }

const RealRow kRealRows[] = {
    {"vcopy_f_f", 1, [](auto a, auto, auto r) { vsip_vcopy_f_f(a, r); }, [](float a, float) { return a; }},
    {"vmax_f", 2, [](auto a, auto b, auto r) { vsip_vmax_f(a, b, r); },
     [](float a, float b) { return nan_or(a, b, a >= b ? a : b); }},
    {"vmin_f", 2, [](auto a, auto b, auto r) { vsip_vmin_f(a, b, r); },
     [](float a, float b) { return nan_or(a, b, a <= b ? a : b); }},
    {"vmaxmg_f", 2, [](auto a, auto b, auto r) { vsip_vmaxmg_f(a, b, r); },
     [](float a, float b) { return nan_or(a, b, std::fmax(std::fabs(a), std::fabs(b))); }},
    {"vminmg_f", 2, [](auto a, auto b, auto r) { vsip_vminmg_f(a, b, r); },
     [](float a, float b) { return nan_or(a, b, std::fmin(std::fabs(a), std::fabs(b))); }},
    {"vclip_f", 1, [](auto a, auto, auto r) { vsip_vclip_f(a, -1.0f, 2.0f, -7.0f, 7.0f, r); },
     [](float a, float) { return a <= -1.0f ? -7.0f : a < 2.0f ? a : 7.0f; }},
    {"vinvclip_f", 1, [](auto a, auto, auto r) { vsip_vinvclip_f(a, -1.0f, 0.5f, 2.0f, -7.0f, 7.0f, r); },
     [](float a, float) { return std::isnan(a) ? a : a < -1.0f ? a : a < 0.5f ? -7.0f : a <= 2.0f ? 7.0f : a; }},
    {"vfill_f", 0, [](auto, auto, auto r) { vsip_vfill_f(-2.25f, r); }, [](float, float) { return -2.25f; }},
};

class RealFamily : public ::testing::TestWithParam<std::tuple<int, Layout, Layout>> {};

} // namespace

TEST_P(RealFamily, EveryLayoutMatchesTheElementReference) {
    const auto [row_index, in_layout, out_layout] = GetParam();
    const RealRow &row = kRealRows[row_index];
    for (std::size_t n : {0u, 1u, 7u, 8u, 19u}) {
        const std::vector<float> av = awkward_values(std::max<std::size_t>(n, 1), 1 + n), bv = awkward_values(std::max<std::size_t>(n, 1), 99 + n);
        RealVec a(in_layout, std::vector<float>(av.begin(), av.begin() + n));
        RealVec b(in_layout == Layout::Unit ? Layout::Stride2 : Layout::Unit,
                  std::vector<float>(bv.begin(), bv.begin() + n));
        RealVec r(out_layout, std::vector<float>(n, 0.0f));
        row.call(a.view(), b.view(), r.view());
        for (std::size_t j = 0; j < n; ++j)
            EXPECT_PRED2(same_float, r[j], row.want(a[j], b[j]))
                << row.name << " element " << j << " of " << n << ": a=" << a[j] << " b=" << b[j];
        EXPECT_TRUE(r.guards_intact()) << row.name << " n=" << n;
        EXPECT_TRUE(a.guards_intact()) << row.name << " n=" << n;
    }
}

namespace {
class RealInPlace : public ::testing::TestWithParam<std::tuple<int, Layout>> {};
}

TEST_P(RealInPlace, ResultIsTheOperandView) {
    const auto [row_index, in_layout] = GetParam();
    const RealRow &row = kRealRows[row_index];
    const std::vector<float> av = awkward_values(21, 5), bv = awkward_values(21, 6);
    RealVec a(in_layout, av), b(Layout::Negative, bv);
    row.call(a.view(), b.view(), a.view());
    for (std::size_t j = 0; j < av.size(); ++j)
        EXPECT_PRED2(same_float, a[j], row.want(av[j], bv[j])) << row.name << " element " << j;
    EXPECT_TRUE(a.guards_intact());
}

INSTANTIATE_TEST_SUITE_P(Rows, RealInPlace,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kRealRows))),
                                            ::testing::ValuesIn(kAllLayouts)),
                         [](const auto &info) {
                             return std::string(kRealRows[std::get<0>(info.param)].name) + "_" +
                                    name(std::get<1>(info.param));
                         });

INSTANTIATE_TEST_SUITE_P(Rows, RealFamily,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kRealRows))),
                                            ::testing::ValuesIn(kAllLayouts), ::testing::ValuesIn(kAllLayouts)),
                         [](const auto &info) {
                             return std::string(kRealRows[std::get<0>(info.param)].name) + "_" +
                                    name(std::get<1>(info.param)) + "_to_" + name(std::get<2>(info.param));
                         });

// ---- Conversions -----------------------------------------------------------------

namespace {

struct F2I {
    float in;
    vsip_scalar_i out;
};

const F2I kFloatToInt[] = {
    {-2.7f, -2},         {2.7f, 2},           {-0.5f, 0},           {0.999f, 0},
    {3e9f, INT32_MIN},   {-3e9f, INT32_MIN},  {kNaN, INT32_MIN},    {kInf, INT32_MIN},
    {-kInf, INT32_MIN},  {2147483520.0f, 2147483520}, {2147483648.0f, INT32_MIN},
    {-2147483648.0f, INT32_MIN}, {-1.5f, -1},  {16777217.0f, 16777216},
};

} // namespace

TEST(Conversions, FloatToIntegerAndBooleanTruncateTowardZero) {
    std::vector<float> in;
    for (const F2I &c : kFloatToInt)
        in.push_back(c.in);
    for (Layout l : {Layout::Unit, Layout::Stride2, Layout::Negative, Layout::RealOfInterleaved}) {
        RealVec a(l, in);
        IntVec<vsip_scalar_i> r(l, std::vector<vsip_scalar_i>(in.size(), 0), 77);
        IntVec<BoolTag> rb(l == Layout::Unit ? Layout::Unit : Layout::Stride2,
                           std::vector<vsip_scalar_bl>(in.size(), 5), 77);
        vsip_vcopy_f_i(a.view(), r.view());
        vsip_vcopy_f_bl(a.view(), rb.view());
        for (std::size_t j = 0; j < in.size(); ++j) {
            EXPECT_EQ(r[j], kFloatToInt[j].out) << "f_i of " << in[j] << " on " << l;
            EXPECT_EQ(rb[j], kFloatToInt[j].out) << "f_bl of " << in[j] << " on " << l;
        }
        EXPECT_TRUE(r.guards_intact());
        EXPECT_TRUE(rb.guards_intact());
    }
}

TEST(Conversions, IntegerBooleanAndIndexConversions) {
    const std::vector<vsip_scalar_i> ints = {0, -1, 1, INT32_MIN, INT32_MAX, 16777217, -16777219};
    for (Layout l : {Layout::Unit, Layout::Stride2, Layout::Negative}) {
        IntVec<vsip_scalar_i> a(l, ints, 3);
        RealVec f(l == Layout::Unit ? Layout::Unit : Layout::ImagNegative, std::vector<float>(ints.size(), 0.0f));
        IntVec<vsip_scalar_vi> vi(l, std::vector<vsip_scalar_vi>(ints.size(), 9), 9);
        IntVec<vsip_scalar_i> back(l == Layout::Negative ? Layout::Unit : Layout::Negative,
                                   std::vector<vsip_scalar_i>(ints.size(), 0), 3);
        vsip_vcopy_i_f(a.view(), f.view());
        vsip_vcopy_i_vi(a.view(), vi.view());
        vsip_vcopy_vi_i(vi.view(), back.view());
        for (std::size_t j = 0; j < ints.size(); ++j) {
            EXPECT_EQ(bits(f[j]), bits(static_cast<float>(ints[j]))) << ints[j];
            EXPECT_EQ(vi[j], static_cast<vsip_scalar_vi>(static_cast<std::int64_t>(ints[j]))) << ints[j];
            EXPECT_EQ(back[j], ints[j]);
        }
        EXPECT_TRUE(f.guards_intact() && vi.guards_intact() && back.guards_intact());
    }
    // -1 sign-extends to the largest index; the low 32 bits come back.
    IntVec<vsip_scalar_i> m1(Layout::Unit, {-1}, 0);
    IntVec<vsip_scalar_vi> big(Layout::Unit, {0}, 0);
    vsip_vcopy_i_vi(m1.view(), big.view());
    EXPECT_EQ(big[0], 18446744073709551615ull);
    IntVec<vsip_scalar_vi> wide(Layout::Stride2, {0x123456789ull, 0xFFFFFFFF80000000ull}, 0);
    IntVec<vsip_scalar_i> low(Layout::Unit, {0, 0}, 0);
    vsip_vcopy_vi_i(wide.view(), low.view());
    EXPECT_EQ(low[0], 0x23456789);
    EXPECT_EQ(low[1], INT32_MIN);

    IntVec<BoolTag> bl(Layout::Stride2, {0, 1, -1, 7}, 0);
    RealVec bf(Layout::Unit, {9.0f, 9.0f, 9.0f, 9.0f});
    vsip_vcopy_bl_f(bl.view(), bf.view());
    EXPECT_EQ(bf.values(), (std::vector<float>{0.0f, 1.0f, -1.0f, 7.0f}));
}

TEST(Conversions, SameTypeCopiesAreBitExact) {
    for (Layout l : {Layout::Unit, Layout::Stride2, Layout::Negative}) {
        IntVec<vsip_scalar_i> ai(l, {1, -2, INT32_MIN}, 5), ri(Layout::Negative, {0, 0, 0}, 5);
        vsip_vcopy_i_i(ai.view(), ri.view());
        EXPECT_EQ(ri[2], INT32_MIN);
        EXPECT_EQ(ri[1], -2);
        IntVec<BoolTag> ab(l, {0, 2, -1}, 5), rb(Layout::Unit, {9, 9, 9}, 5);
        vsip_vcopy_bl_bl(ab.view(), rb.view());
        EXPECT_EQ(rb[1], 2);
        EXPECT_EQ(rb[2], -1);
        IntVec<vsip_scalar_vi> av(l, {~0ull, 5}, 1), rv(Layout::Stride2, {0, 0}, 1);
        vsip_vcopy_vi_vi(av.view(), rv.view());
        EXPECT_EQ(rv[0], ~0ull);
        const vsip_scalar_mi g{7, 7};
        IntVec<vsip_scalar_mi> am(l, {{1, 2}, {~0ull, 3}}, g), rm(Layout::Negative, {{0, 0}, {0, 0}}, g);
        vsip_vcopy_mi_mi(am.view(), rm.view());
        EXPECT_EQ(rm[1].r, ~0ull);
        EXPECT_EQ(rm[1].c, 3u);
        EXPECT_EQ(rm[0].c, 2u);
        EXPECT_TRUE(ri.guards_intact() && rb.guards_intact() && rv.guards_intact() && rm.guards_intact());
    }
    // A float copy keeps NaN payloads and the sign of zero.
    const std::vector<float> odd = {from_bits(0x7FC12345u), -0.0f, from_bits(0xFFA00001u)};
    RealVec a(Layout::RealOfInterleaved, odd), r(Layout::Unit, {0, 0, 0});
    vsip_vcopy_f_f(a.view(), r.view());
    for (std::size_t j = 0; j < odd.size(); ++j)
        EXPECT_EQ(bits(r[j]), bits(odd[j]));
}

// ---- Complex copy: CBLAS paths ------------------------------------------------------

namespace {

std::vector<cf> complex_values(std::size_t n, std::uint64_t seed) {
    Sampler s(seed);
    std::vector<cf> v(n);
    for (cf &x : v)
        x = {s.uniform(-9, 9), s.uniform(-9, 9)};
    return v;
}

std::string blas_log() {
    std::string s;
    for (const BlasCall &c : blas_calls)
        s += c.name + "(" + std::to_string(c.n) + "," + std::to_string(c.incx) + "," + std::to_string(c.incy) + ") ";
    return s;
}

class ComplexCopy : public ::testing::TestWithParam<std::tuple<CLayout, CLayout>> {};

} // namespace

TEST_P(ComplexCopy, CopiesTheViewedElementsThroughTheExpectedPath) {
    const auto [from, to] = GetParam();
    const std::size_t n = 13;
    const std::vector<cf> v = complex_values(n, 3);
    CplxVec a(from, v), r(to, std::vector<cf>(n, cf{0, 0}));
    blas_calls.clear();
    vsip_cvcopy_f_f(a.view(), r.view());
    for (std::size_t j = 0; j < n; ++j) {
        EXPECT_EQ(bits(r[j].re), bits(v[j].re)) << j;
        EXPECT_EQ(bits(r[j].im), bits(v[j].im)) << j;
    }
    EXPECT_TRUE(r.guards_intact());
    // Effective steps in floats: view stride x part_stride.
    const auto stride = [](CLayout l) {
        return l == CLayout::SplitOffsetStride2 || l == CLayout::InterleavedStride2 ? 2 : l == CLayout::SplitNegative || l == CLayout::InterleavedNegative ? -1 : 1;
    };
    const int s = stride(from) * (interleaved(from) ? 2 : 1), t = stride(to) * (interleaved(to) ? 2 : 1);
    std::string want;
    if (s > 0 && t > 0 && interleaved(from) == interleaved(to)) {
        if (interleaved(from))
            want = "ccopy(13," + std::to_string(s / 2) + "," + std::to_string(t / 2) + ") ";
        else
            want = "scopy(13," + std::to_string(s) + "," + std::to_string(t) + ") scopy(13," +
                   std::to_string(s) + "," + std::to_string(t) + ") ";
    }
    EXPECT_EQ(blas_log(), want);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComplexCopy,
                         ::testing::Combine(::testing::ValuesIn(kAllCLayouts), ::testing::ValuesIn(kAllCLayouts)),
                         [](const auto &info) {
                             return std::string(name(std::get<0>(info.param))) + "_to_" + name(std::get<1>(info.param));
                         });

TEST(ComplexCopy, EmptyViewMakesNoCallAndWritesNothing) {
    CplxVec a(CLayout::Split, {}), r(CLayout::Split, {});
    blas_calls.clear();
    vsip_cvcopy_f_f(a.view(), r.view());
    EXPECT_EQ(blas_log(), "");
    EXPECT_TRUE(r.guards_intact());
}

// ---- Matrix copies, fills, clip and equality -----------------------------------------

namespace {
class MatrixFamily : public ::testing::TestWithParam<std::tuple<MLayout, MLayout>> {};
float melem(std::size_t i, std::size_t j) { return 10.0f * i + j + 0.25f - (i == 1 && j == 2 ? 1e9f : 0.0f); }
} // namespace

TEST_P(MatrixFamily, CopiesConvertFillClipAndCompareElementByElement) {
    const auto [from, to] = GetParam();
    for (auto [rows, cols] : {std::pair<std::size_t, std::size_t>{3, 5}, {5, 3}, {1, 4}, {4, 1}}) {
        Mat<float> a(from, rows, cols, melem, kGuard);
        Mat<float> r(to, rows, cols, [](auto, auto) { return 0.0f; }, kGuard);
        vsip_mcopy_f_f(a.view(), r.view());
        Mat<vsip_scalar_i> ri(to, rows, cols, [](auto, auto) { return 0; }, -99);
        vsip_mcopy_f_i(a.view(), ri.view());
        Mat<vsip_scalar_i> ai(from, rows, cols, [](auto i, auto j) { return static_cast<vsip_scalar_i>(16777217 * (i + 1) - j); }, -99);
        Mat<vsip_scalar_i> ri2(to, rows, cols, [](auto, auto) { return 0; }, -99);
        Mat<float> rf(to, rows, cols, [](auto, auto) { return 0.0f; }, kGuard);
        vsip_mcopy_i_i(ai.view(), ri2.view());
        vsip_mcopy_i_f(ai.view(), rf.view());
        Mat<float> clipped(to, rows, cols, [](auto, auto) { return 0.0f; }, kGuard);
        vsip_mclip_f(a.view(), 1.0f, 20.0f, -1.0f, 99.0f, clipped.view());
        Mat<BoolTag> eq(to, rows, cols, [](auto, auto) { return 5; }, -5);
        vsip_mleq_f(a.view(), r.view(), eq.view());
        Mat<BoolTag> eqi(to, rows, cols, [](auto, auto) { return 5; }, -5);
        vsip_mleq_i(ai.view(), ri2.view(), eqi.view());
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < cols; ++j) {
                const float x = melem(i, j);
                EXPECT_EQ(r(i, j), x) << i << "," << j;
                EXPECT_EQ(ri(i, j), static_cast<vsip_scalar_i>(x));
                EXPECT_EQ(ri2(i, j), ai(i, j));
                EXPECT_EQ(rf(i, j), static_cast<float>(ai(i, j)));
                EXPECT_EQ(clipped(i, j), x <= 1.0f ? -1.0f : x < 20.0f ? x : 99.0f);
                EXPECT_EQ(eq(i, j), 1);
                EXPECT_EQ(eqi(i, j), 1);
            }
        EXPECT_TRUE(r.guards_intact() && ri.guards_intact() && ri2.guards_intact() && rf.guards_intact() &&
                    clipped.guards_intact() && eq.guards_intact());
        vsip_mfill_f(-3.5f, r.view());
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < cols; ++j)
                EXPECT_EQ(r(i, j), -3.5f);
        EXPECT_TRUE(r.guards_intact());

        for (bool in_inter : {false, true})
            for (bool out_inter : {false, true}) {
                CMat ca(from, in_inter, rows, cols, [](auto i, auto j) { return cf{melem(i, j), -melem(j, i)}; });
                CMat cr(to, out_inter, rows, cols, [](auto, auto) { return cf{0, 0}; });
                vsip_cmcopy_f_f(ca.view(), cr.view());
                for (std::size_t i = 0; i < rows; ++i)
                    for (std::size_t j = 0; j < cols; ++j) {
                        EXPECT_EQ(cr(i, j).re, melem(i, j));
                        EXPECT_EQ(cr(i, j).im, -melem(j, i));
                    }
                EXPECT_TRUE(cr.guards_intact());
                vsip_cmfill_f(vsip_cscalar_f{1.5f, -0.0f}, cr.view());
                for (std::size_t i = 0; i < rows; ++i)
                    for (std::size_t j = 0; j < cols; ++j) {
                        EXPECT_EQ(cr(i, j).re, 1.5f);
                        EXPECT_EQ(bits(cr(i, j).im), bits(-0.0f));
                    }
                EXPECT_TRUE(cr.guards_intact());
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, MatrixFamily,
                         ::testing::Combine(::testing::ValuesIn(kAllMLayouts), ::testing::ValuesIn(kAllMLayouts)),
                         [](const auto &info) {
                             return std::string(name(std::get<0>(info.param))) + "_to_" + name(std::get<1>(info.param));
                         });

TEST(MatrixFamily, EmptyMatricesAreLeftUntouched) {
    Mat<float> a(MLayout::RowMajor, 0, 4, melem, kGuard), r(MLayout::RowMajor, 0, 4, melem, kGuard);
    vsip_mcopy_f_f(a.view(), r.view());
    vsip_mfill_f(1.0f, r.view());
    EXPECT_TRUE(r.guards_intact());
    Mat<BoolTag> none(MLayout::RowMajor, 3, 0, [](auto, auto) { return 0; }, 0);
    EXPECT_EQ(vsip_malltrue_bl(none.view()), 1);
}

// ---- Fills, ramp, split and merge -------------------------------------------------------

TEST(Ramp, EveryElementFromItsIndexWithoutAccumulation) {
    RealVec small(Layout::Unit, std::vector<float>(4, 0.0f));
    vsip_vramp_f(1.0f, 0.5f, small.view());
    EXPECT_EQ(small.values(), (std::vector<float>{1.0f, 1.5f, 2.0f, 2.5f}));
    const std::size_t n = 100003;
    const float alpha = 0.1f, beta = 1.0f / 3.0f;
    for (Layout l : kAllLayouts) {
        RealVec r(l, std::vector<float>(n, 0.0f));
        vsip_vramp_f(alpha, beta, r.view());
        EXPECT_EQ(r[0], alpha);
        for (std::size_t j = 1; j < n; ++j)
            ASSERT_EQ(bits(r[j]), bits(std::fma(static_cast<float>(j), beta, alpha))) << "element " << j << " on " << l;
        EXPECT_TRUE(r.guards_intact());
    }
    // r[0] is alpha even when 0 x beta is NaN.
    RealVec inf(Layout::Stride2, std::vector<float>(3, 0.0f));
    vsip_vramp_f(2.0f, kInf, inf.view());
    EXPECT_EQ(inf[0], 2.0f);
    EXPECT_EQ(inf[2], kInf);
    RealVec empty(Layout::Unit, {});
    vsip_vramp_f(1.0f, 1.0f, empty.view());
    EXPECT_TRUE(empty.guards_intact());
}

TEST(SplitAndMerge, ComplexFromPartsAndPartsFromComplex) {
    for (CLayout cl : kAllCLayouts)
        for (Layout l : {Layout::Unit, Layout::Stride2, Layout::RealOfInterleaved}) {
            const std::vector<float> re = awkward_values(11, 1), im = awkward_values(11, 2);
            RealVec a(l, re), b(Layout::Negative, im);
            CplxVec c(cl, std::vector<cf>(11, cf{0, 0}));
            vsip_vcmplx_f(a.view(), b.view(), c.view());
            RealVec gr(l, std::vector<float>(11, 0.0f)), gi(Layout::Unit, std::vector<float>(11, 0.0f));
            vsip_vreal_f(c.view(), gr.view());
            vsip_vimag_f(c.view(), gi.view());
            for (std::size_t j = 0; j < 11; ++j) {
                EXPECT_EQ(bits(c[j].re), bits(re[j])) << cl << " " << l;
                EXPECT_EQ(bits(c[j].im), bits(im[j]));
                EXPECT_EQ(bits(gr[j]), bits(re[j]));
                EXPECT_EQ(bits(gi[j]), bits(im[j]));
            }
            EXPECT_TRUE(c.guards_intact() && gr.guards_intact() && gi.guards_intact());
            vsip_cvfill_f(vsip_cscalar_f{-1.0f, 2.0f}, c.view());
            for (std::size_t j = 0; j < 11; ++j)
                EXPECT_TRUE(c[j].re == -1.0f && c[j].im == 2.0f);
            EXPECT_TRUE(c.guards_intact());
        }
}

// ---- Comparisons and all-true --------------------------------------------------------------

namespace {
struct CompareRow {
    const char *name;
    void (*call)(const vsip_vview_f *, const vsip_vview_f *, const vsip_vview_bl *);
    bool (*want)(float, float);
};
const CompareRow kCompareRows[] = {
    {"vleq", vsip_vleq_f, [](float a, float b) { return a == b; }},
    {"vlne", vsip_vlne_f, [](float a, float b) { return a != b; }},
    {"vlge", vsip_vlge_f, [](float a, float b) { return a >= b; }},
    {"vlgt", vsip_vlgt_f, [](float a, float b) { return a > b; }},
    {"vlle", vsip_vlle_f, [](float a, float b) { return a <= b; }},
    {"vllt", vsip_vllt_f, [](float a, float b) { return a < b; }},
};
} // namespace

TEST(Comparisons, IeeeResultsOnEveryLayout) {
    // Pairs: equal, less, greater, zeros of both signs, NaN on either side.
    const std::vector<float> a = {1.0f, 1.0f, 2.0f, 0.0f, -0.0f, kNaN, 1.0f, kNaN, -kInf, kInf};
    const std::vector<float> b = {1.0f, 2.0f, 1.0f, -0.0f, 0.0f, 1.0f, kNaN, kNaN, -kInf, 3.0f};
    for (const CompareRow &row : kCompareRows)
        for (Layout l : kAllLayouts) {
            RealVec va(l, a), vb(contiguous(l) ? Layout::Unit : Layout::Negative, b);
            IntVec<BoolTag> r(contiguous(l) ? Layout::Unit : Layout::Stride2, std::vector<vsip_scalar_bl>(a.size(), 7), -3);
            row.call(va.view(), vb.view(), r.view());
            for (std::size_t j = 0; j < a.size(); ++j)
                EXPECT_EQ(r[j], row.want(a[j], b[j]) ? 1 : 0) << row.name << "(" << a[j] << ", " << b[j] << ") on " << l;
            EXPECT_TRUE(r.guards_intact());
        }
    IntVec<vsip_scalar_i> ia(Layout::Unit, {1, -5, 7}, 0), ib(Layout::Stride2, {1, 5, 7}, 0);
    IntVec<BoolTag> ir(Layout::Negative, {9, 9, 9}, 0);
    vsip_vleq_i(ia.view(), ib.view(), ir.view());
    EXPECT_TRUE(ir[0] == 1 && ir[1] == 0 && ir[2] == 1);
    IntVec<vsip_scalar_vi> xa(Layout::Stride2, {1ull << 40, 3}, 0), xb(Layout::Unit, {1ull << 40, 1ull << 32 | 3}, 0);
    IntVec<BoolTag> xr(Layout::Unit, {9, 9}, 0);
    vsip_vleq_vi(xa.view(), xb.view(), xr.view());
    EXPECT_TRUE(xr[0] == 1 && xr[1] == 0);
}

TEST(AllTrue, VectorStopsAtTheFirstFalseMatrixCountsAll) {
    for (Layout l : {Layout::Unit, Layout::Stride2, Layout::Negative}) {
        EXPECT_EQ(vsip_valltrue_bl(IntVec<BoolTag>(l, {}, 0).view()), 1);
        EXPECT_EQ(vsip_valltrue_bl(IntVec<BoolTag>(l, {1, -1, 5}, 0).view()), 1);
        EXPECT_EQ(vsip_valltrue_bl(IntVec<BoolTag>(l, {1, 0, 5}, 0).view()), 0);
        EXPECT_EQ(vsip_valltrue_bl(IntVec<BoolTag>(l, {1, 1, 0}, 0).view()), 0);
    }
    for (MLayout l : kAllMLayouts) {
        EXPECT_EQ(vsip_malltrue_bl(Mat<BoolTag>(l, 3, 4, [](auto, auto) { return 2; }, 0).view()), 1);
        EXPECT_EQ(vsip_malltrue_bl(Mat<BoolTag>(l, 3, 4, [](auto i, auto j) { return i == 2 && j == 3 ? 0 : 1; }, 1).view()), 0);
    }
}

// ---- Clipping edge cases ------------------------------------------------------------------------

TEST(Clip, DocumentedThresholdCases) {
    RealVec a(Layout::Unit, {0.0f, 0.5f, 1.0f, kNaN}), r(Layout::Stride2, {0, 0, 0, 0});
    vsip_vclip_f(a.view(), 0.0f, 1.0f, -5.0f, 5.0f, r.view());
    EXPECT_EQ(r.values()[0], -5.0f);
    EXPECT_EQ(r.values()[1], 0.5f);
    EXPECT_EQ(r.values()[2], 5.0f);
    EXPECT_EQ(r.values()[3], 5.0f); // NaN gives c2
    RealVec b(Layout::Stride2, {-1.0f, 0.5f, 2.0f, 3.0f, kNaN}), s(Layout::Unit, {0, 0, 0, 0, 0});
    vsip_vinvclip_f(b.view(), 0.0f, 1.0f, 2.0f, -5.0f, 5.0f, s.view());
    EXPECT_EQ(s[0], -1.0f);
    EXPECT_EQ(s[1], -5.0f);
    EXPECT_EQ(s[2], 5.0f);
    EXPECT_EQ(s[3], 3.0f);
    EXPECT_TRUE(std::isnan(s[4])); // NaN gives a
}

TEST(MaxMin, ComplexMagnitudeSquares) {
    const std::vector<cf> av = {{3, 4}, {0, -1}, {1e20f, 0}, {kNaN, 0}}, bv = {{0, 5.5f}, {-0.5f, 0}, {1, 1}, {1, 1}};
    for (CLayout l : kAllCLayouts) {
        CplxVec a(l, av), b(CLayout::Split, bv);
        RealVec mx(Layout::Unit, std::vector<float>(4, 0.0f)), mn(Layout::Stride2, std::vector<float>(4, 0.0f));
        vsip_vcmaxmgsq_f(a.view(), b.view(), mx.view());
        vsip_vcminmgsq_f(a.view(), b.view(), mn.view());
        EXPECT_EQ(mx.values()[0], 30.25f);
        EXPECT_EQ(mn.values()[0], 25.0f);
        EXPECT_EQ(mx.values()[1], 1.0f);
        EXPECT_EQ(mn.values()[1], 0.25f);
        EXPECT_EQ(mx.values()[2], kInf);
        EXPECT_EQ(mn.values()[2], 2.0f);
        EXPECT_TRUE(std::isnan(mx.values()[3]) && std::isnan(mn.values()[3]));
        EXPECT_TRUE(mx.guards_intact() && mn.guards_intact());
    }
}
