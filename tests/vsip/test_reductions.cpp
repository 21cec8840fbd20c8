// Reductions: sums, means and extreme values on the contiguous pass (eight
// lanes, combined in lane order, then the remainder) and the strided pass
// (one sequential scan), bit for bit against independent models of both
// orders, plus the documented cases where the two orders differ.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "view_layouts.hpp"

using namespace vsiptest;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Sum in the order the pass fixes: 8 lanes then remainder, or sequential.
float model_sum(const std::vector<float> &x, bool lanes) {
    if (!lanes) {
        float s = 0.0f;
        for (float v : x)
            s += v;
        return s;
    }
    float lane[8] = {};
    const std::size_t body = x.size() / 8 * 8;
    for (std::size_t i = 0; i < body; ++i)
        lane[i % 8] += x[i];
    float s = 0.0f;
    for (float l : lane)
        s += l;
    for (std::size_t i = body; i < x.size(); ++i)
        s += x[i];
    return s;
}

std::vector<float> squares(const std::vector<float> &x) {
    std::vector<float> q;
    for (float v : x)
        q.push_back(v * v);
    return q;
}

class RealSums : public ::testing::TestWithParam<Layout> {};

} // namespace

TEST_P(RealSums, SumsAndMeansFollowThePassOrderBitForBit) {
    const Layout l = GetParam();
    for (std::size_t n : {1u, 7u, 8u, 9u, 16u, 1001u}) {
        const std::vector<float> x = Sampler(n).floats(n, -1000.0, 1000.0);
        RealVec a(l, x);
        const bool lanes = contiguous(l);
        const float sum = model_sum(x, lanes), sumsq = model_sum(squares(x), lanes);
        EXPECT_EQ(bits(vsip_vsumval_f(a.view())), bits(sum)) << "n=" << n;
        EXPECT_EQ(bits(vsip_vsumsqval_f(a.view())), bits(sumsq)) << "n=" << n;
        EXPECT_EQ(bits(vsip_vmeanval_f(a.view())), bits(sum / static_cast<float>(n))) << "n=" << n;
        EXPECT_EQ(bits(vsip_vmeansqval_f(a.view())), bits(sumsq / static_cast<float>(n))) << "n=" << n;
        // Both orders stay close to the exact sum.
        double exact = 0.0;
        for (float v : x)
            exact += v;
        EXPECT_NEAR(vsip_vsumval_f(a.view()), exact, 1e-4 * n * 1000.0);
    }
    RealVec empty(l, {});
    EXPECT_EQ(vsip_vsumval_f(empty.view()), 0.0f);
    EXPECT_EQ(vsip_vsumsqval_f(empty.view()), 0.0f);
    EXPECT_TRUE(std::isnan(vsip_vmeanval_f(empty.view())));
    EXPECT_TRUE(std::isnan(vsip_vmeansqval_f(empty.view())));
}

INSTANTIATE_TEST_SUITE_P(Layouts, RealSums, ::testing::ValuesIn(kAllLayouts),
                         [](const auto &info) { return std::string(name(info.param)); });

TEST(RealSums, LaneOrderIsObservable) {
    // 2^24 and -2^24 share lane 0 and cancel there; the lanes of ones keep
    // every one: 14.  In sequence the ones after 2^24 are rounded away: 7.
    std::vector<float> x(16, 1.0f);
    x[0] = 16777216.0f;
    x[8] = -16777216.0f;
    EXPECT_EQ(vsip_vsumval_f(RealVec(Layout::Unit, x).view()), 14.0f);
    EXPECT_EQ(vsip_vsumval_f(RealVec(Layout::Stride2, x).view()), 7.0f);
    // Nine elements: elements 0..7 by lanes, then element 8.
    std::vector<float> y = {16777216.0f, 1, 1, 1, 1, 1, 1, 1, -16777216.0f};
    EXPECT_EQ(vsip_vsumval_f(RealVec(Layout::Unit, y).view()), 0.0f);
    // The documented mean.
    EXPECT_EQ(vsip_vmeanval_f(RealVec(Layout::Unit, {1, 2, 3, 4}).view()), 2.5f);
    EXPECT_EQ(vsip_vmeanval_f(RealVec(Layout::Stride2, {1, 2, 3, 4}).view()), 2.5f);
}

TEST(ComplexMeans, SplitInterleavedAndStridedOrders) {
    for (std::size_t n : {0u, 3u, 4u, 5u, 8u, 13u, 100u}) {
        Sampler s(n + 11);
        std::vector<cf> x(n);
        std::vector<float> re, im, inter, mag;
        for (cf &v : x) {
            v = {s.uniform(-50, 50), s.uniform(-50, 50)};
            re.push_back(v.re);
            im.push_back(v.im);
            inter.push_back(v.re);
            inter.push_back(v.im);
            mag.push_back(std::fma(v.re, v.re, v.im * v.im));
        }
        const float fn = static_cast<float>(n);
        for (CLayout l : kAllCLayouts) {
            CplxVec a(l, x);
            const vsip_cscalar_f m = vsip_cvmeanval_f(a.view());
            const float msq = vsip_cvmeansqval_f(a.view());
            float want_re, want_im, want_sq;
            if (l == CLayout::Split) {
                want_re = model_sum(re, true), want_im = model_sum(im, true), want_sq = model_sum(mag, true);
            } else if (l == CLayout::Interleaved) {
                // Lanes over the 2n floats: even lanes real, odd lanes imaginary.
                float lane[8] = {};
                const std::size_t body = inter.size() / 8 * 8;
                for (std::size_t f = 0; f < body; ++f)
                    lane[f % 8] += inter[f];
                want_re = want_im = 0.0f;
                for (int k = 0; k < 8; k += 2)
                    want_re += lane[k], want_im += lane[k + 1];
                for (std::size_t f = body; f < inter.size(); f += 2)
                    want_re += inter[f], want_im += inter[f + 1];
                want_sq = model_sum(squares(inter), true);
            } else {
                want_re = model_sum(re, false), want_im = model_sum(im, false), want_sq = model_sum(mag, false);
            }
            if (n == 0) {
                EXPECT_TRUE(std::isnan(m.r) && std::isnan(m.i) && std::isnan(msq)) << l;
                continue;
            }
            EXPECT_EQ(bits(m.r), bits(want_re / fn)) << l << " n=" << n;
            EXPECT_EQ(bits(m.i), bits(want_im / fn)) << l << " n=" << n;
            EXPECT_EQ(bits(msq), bits(want_sq / fn)) << l << " n=" << n;
        }
    }
}

TEST(MatrixSum, SequentialAlongTheSmallerStride) {
    // Row-major: rows inner, so 2^24 absorbs the ones of its own row first.
    const auto init = [](std::size_t i, std::size_t j) {
        return i == 0 && j == 0 ? 16777216.0f : i == 1 && j == 0 ? -16777216.0f : 1.0f;
    };
    for (MLayout l : kAllMLayouts) {
        Mat<float> m(l, 2, 3, init, kGuard);
        // Row order: 2^24 +1 +1 (lost) -2^24 +1 +1 = 2.  Column order:
        // 2^24 -2^24 +1 +1 +1 +1 = 4.
        const bool rows_inner = l == MLayout::RowMajor || l == MLayout::Padded;
        EXPECT_EQ(vsip_msumval_f(m.view()), rows_inner ? 2.0f : 4.0f) << l;
    }
    EXPECT_EQ(vsip_msumval_f(Mat<float>(MLayout::RowMajor, 0, 3, init, kGuard).view()), 0.0f);
}

// ---- Extreme values ---------------------------------------------------------------

namespace {

struct Extreme {
    float value;
    vsip_index index;
};

// Model of the contiguous search: eight lanes from `start`, strict
// comparison, lanes combined in order, remainder in order.
template <class Better>
Extreme model_lanes(const std::vector<float> &v, float start, Better better) {
    Extreme lane[8];
    for (Extreme &l : lane)
        l = {start, 0};
    const std::size_t body = v.size() / 8 * 8;
    for (std::size_t i = 0; i < body; ++i)
        if (better(v[i], lane[i % 8].value))
            lane[i % 8] = {v[i], i};
    Extreme best = lane[0];
    for (int k = 1; k < 8; ++k)
        if (better(lane[k].value, best.value))
            best = lane[k];
    for (std::size_t i = body; i < v.size(); ++i)
        if (better(v[i], best.value))
            best = {v[i], i};
    return best;
}

// Model of the strided search: from element 0 (or from a fixed start).
template <class Better>
Extreme model_scan(const std::vector<float> &v, bool fixed, float start, Better better) {
    Extreme best = fixed ? Extreme{start, 0} : Extreme{v[0], 0};
    for (std::size_t i = fixed ? 0 : 1; i < v.size(); ++i)
        if (better(v[i], best.value))
            best = {v[i], i};
    return best;
}

bool gt(float a, float b) { return a > b; }
bool lt(float a, float b) { return a < b; }

struct ExtremeRow {
    const char *name;
    vsip_scalar_f (*call)(const vsip_vview_f *, vsip_index *);
    bool magnitude;
    bool maximum;
};

const ExtremeRow kExtremeRows[] = {
    {"vmaxval", vsip_vmaxval_f, false, true},
    {"vminval", vsip_vminval_f, false, false},
    {"vmaxmgval", vsip_vmaxmgval_f, true, true},
    {"vminmgval", vsip_vminmgval_f, true, false},
};

Extreme expected(const ExtremeRow &row, const std::vector<float> &x, bool lanes) {
    std::vector<float> v;
    for (float e : x)
        v.push_back(row.magnitude ? std::fabs(e) : e);
    const float start = row.maximum ? (row.magnitude ? 0.0f : -kInf) : kInf;
    const bool fixed = row.magnitude && row.maximum;
    if (lanes)
        return row.maximum ? model_lanes(v, start, gt) : model_lanes(v, start, lt);
    return row.maximum ? model_scan(v, fixed, start, gt) : model_scan(v, fixed, start, lt);
}

class Extremes : public ::testing::TestWithParam<std::tuple<int, Layout>> {};

} // namespace

TEST_P(Extremes, ValueAndIndexFollowTheTieRulesOfThePass) {
    const auto [row_index, l] = GetParam();
    const ExtremeRow &row = kExtremeRows[row_index];
    for (std::size_t n : {1u, 5u, 8u, 9u, 17u, 64u, 203u}) {
        for (int variant = 0; variant < 3; ++variant) {
            // Few distinct values, so ties are everywhere; signs differ so
            // magnitudes tie across signs too.
            Sampler s(n * 3 + variant);
            std::vector<float> x(n);
            for (float &e : x)
                e = static_cast<float>(static_cast<int>(s.uniform(-4, 4)));
            if (variant == 2)
                for (float &e : x)
                    e = 0.0f;
            RealVec a(l, x);
            const Extreme want = expected(row, x, contiguous(l));
            vsip_index got_index = 12345;
            const float got = row.call(a.view(), &got_index);
            EXPECT_EQ(bits(got), bits(want.value)) << row.name << " n=" << n << " variant " << variant;
            EXPECT_EQ(got_index, want.index) << row.name << " n=" << n << " variant " << variant;
            EXPECT_EQ(bits(row.call(a.view(), nullptr)), bits(want.value));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Extremes,
                         ::testing::Combine(::testing::Range(0, 4), ::testing::ValuesIn(kAllLayouts)),
                         [](const auto &info) {
                             return std::string(kExtremeRows[std::get<0>(info.param)].name) + "_" +
                                    name(std::get<1>(info.param));
                         });

TEST(Extremes, DocumentedCases) {
    // (3, 1, 1) on a stride-2 view: value 1 at the first index of a 1.
    RealVec a(Layout::Stride2, {3, 1, 1});
    vsip_index i = 99;
    EXPECT_EQ(vsip_vminval_f(a.view(), &i), 1.0f);
    EXPECT_EQ(i, 1u);
    EXPECT_EQ(vsip_vminval_f(a.view(), nullptr), 1.0f);
    // Contiguous ties: the lane that wins the lane-order combination gives
    // the index.  Minimum -5 at index 9 (lane 1) and index 2 (lane 2): lane
    // 1 wins, although index 2 comes first; the strided scan reports 2.
    std::vector<float> x(16, 0.0f);
    x[9] = -5.0f;
    x[2] = -5.0f;
    EXPECT_EQ(vsip_vminval_f(RealVec(Layout::Unit, x).view(), &i), -5.0f);
    EXPECT_EQ(i, 9u);
    EXPECT_EQ(vsip_vminval_f(RealVec(Layout::Negative, x).view(), &i), -5.0f);
    EXPECT_EQ(i, 2u);
    // All-zero magnitude maximum: value 0 at index 0 on both passes.
    for (Layout l : {Layout::Unit, Layout::Stride2}) {
        EXPECT_EQ(vsip_vmaxmgval_f(RealVec(l, std::vector<float>(11, -0.0f)).view(), &i), 0.0f);
        EXPECT_EQ(i, 0u);
    }
}

TEST(Extremes, EmptyViewReadsNothing) {
    // A view of no elements over a block of no storage: the start value and
    // index 0, without touching element 0.
    // (Under AddressSanitizer a read of the zero-sized array is reported.)
    std::unique_ptr<float[]> none(new float[0]);
    vsip_block_f *b = vsip_blockbind_f(none.get(), 0, VSIP_MEM_NONE);
    vsip_blockadmit_f(b, VSIP_TRUE);
    for (vsip_stride stride : {1, 3}) {
        vsip_vview_f *v = vsip_vbind_f(b, 0, stride, 0);
        vsip_index i = 7;
        EXPECT_EQ(vsip_vmaxval_f(v, &i), -kInf);
        EXPECT_EQ(i, 0u);
        EXPECT_EQ(vsip_vminmgval_f(v, &i), kInf);
        EXPECT_EQ(vsip_vmaxmgval_f(v, &i), 0.0f);
        vsip_vdestroy_f(v);
    }
    vsip_blockdestroy_f(b);
}

TEST(Extremes, ComplexMagnitudeSquares) {
    const std::vector<cf> x = {{0, 0}, {3, 4}, {-4, 3}, {0, -5}, {1, 1}, {5, 0}, {0, 0}, {1, 0},
                               {-3, -4}, {0.5f, 0}, {2, 2}};
    std::vector<float> mag;
    for (const cf &v : x)
        mag.push_back(std::fma(v.re, v.re, v.im * v.im));
    for (CLayout l : kAllCLayouts) {
        CplxVec a(l, x);
        const bool lanes = l == CLayout::Split;
        const Extreme mx = lanes ? model_lanes(mag, 0.0f, gt) : model_scan(mag, true, 0.0f, gt);
        const Extreme mn = lanes ? model_lanes(mag, kInf, lt) : model_scan(mag, false, kInf, lt);
        vsip_index i = 99;
        EXPECT_EQ(vsip_vcmaxmgsqval_f(a.view(), &i), mx.value) << l;
        EXPECT_EQ(i, mx.index) << l;
        EXPECT_EQ(vsip_vcminmgsqval_f(a.view(), &i), mn.value) << l;
        EXPECT_EQ(i, mn.index) << l;
    }
    // Maximum 25 first reached at index 1 in sequence; in lanes at index 1
    // too (lane 1 beats lanes 2, 3, 5 whose values only tie).
    vsip_index i = 0;
    EXPECT_EQ(vsip_vcmaxmgsqval_f(CplxVec(CLayout::Split, x).view(), &i), 25.0f);
    EXPECT_EQ(i, 1u);
    CplxVec zeros(CLayout::Interleaved, std::vector<cf>(3, cf{0, -0.0f}));
    EXPECT_EQ(vsip_vcmaxmgsqval_f(zeros.view(), &i), 0.0f);
    EXPECT_EQ(i, 0u);
}
