// Window generators against their defining formulas evaluated in double or
// long double, the Dolph-Chebyshev window against its defining property
// (equal sidelobes at the requested level), and the histogram bins.
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support.hpp"
#include "vsip.h"

namespace {

const double kPi = 3.14159265358979323846;

std::vector<float> values(const vsip_vview_f *v) {
    std::vector<float> out(vsip_vgetlength_f(v));
    for (vsip_length i = 0; i < out.size(); ++i)
        out[i] = vsip_vget_f(v, i);
    return out;
}

// Takes ownership of a created window and returns its elements.
std::vector<float> take(vsip_vview_f *v) {
    EXPECT_NE(v, nullptr);
    if (!v)
        return {};
    std::vector<float> out = values(v);
    vsip_valldestroy_f(v);
    return out;
}

// I0 by its power series in long double.
long double bessel_i0(long double z) {
    const long double q = z * z / 4;
    long double term = 1, sum = 1;
    for (int k = 1; k < 2000 && term > sum * 1e-21L; ++k) {
        term *= q / (static_cast<long double>(k) * k);
        sum += term;
    }
    return sum;
}

// ---- Blackman, Hanning, Kaiser against their formulas ----------------------

struct WindowCase {
    const char *name;
    vsip_length N;
    float parameter;  // Kaiser beta
    double tolerance; // relative to the largest element (1)
};

double reference(const std::string &name, vsip_length N, float p, vsip_length i) {
    const double n = static_cast<double>(N);
    const double x = static_cast<double>(i);
    if (name == "blackman")
        return 0.42 - 0.5 * std::cos(2 * kPi * x / (n - 1)) +
               0.08 * std::cos(4 * kPi * x / (n - 1));
    if (name == "hanning")
        return 0.5 * (1 - std::cos(2 * kPi * (x + 1) / (n + 1)));
    const double g = 2 * x / (n - 1) - 1;
    const long double beta = p;
    return static_cast<double>(bessel_i0(beta * std::sqrt(std::fmax(0.0, 1 - g * g))) /
                               bessel_i0(beta));
}

vsip_vview_f *create(const std::string &name, vsip_length N, float p) {
    if (name == "blackman")
        return vsip_vcreate_blackman_f(N, VSIP_MEM_NONE);
    if (name == "hanning")
        return vsip_vcreate_hanning_f(N, VSIP_MEM_NONE);
    if (name == "kaiser")
        return vsip_vcreate_kaiser_f(N, p, VSIP_MEM_NONE);
    return vsip_vcreate_cheby_f(N, p, VSIP_MEM_NONE);
}

class WindowFormula : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowFormula, MatchesDefinitionAndIsSymmetric) {
    const WindowCase c = GetParam();
    const std::vector<float> w = take(create(c.name, c.N, c.parameter));
    ASSERT_EQ(w.size(), c.N);
    for (vsip_length i = 0; i < c.N; ++i) {
        const double want = reference(c.name, c.N, c.parameter, i);
        ASSERT_TRUE(std::isfinite(w[i])) << i;
        EXPECT_NEAR(w[i], want, c.tolerance * std::fmax(1.0, std::fabs(want)))
            << c.name << " " << i;
        EXPECT_NEAR(w[i], w[c.N - 1 - i], 4 * c.tolerance) << c.name << " " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowFormula,
    ::testing::Values(WindowCase{"blackman", 5, 0, 1e-6}, WindowCase{"blackman", 2, 0, 1e-6},
                      WindowCase{"blackman", 64, 0, 1e-6}, WindowCase{"blackman", 1001, 0, 2e-6},
                      WindowCase{"hanning", 3, 0, 1e-7}, WindowCase{"hanning", 2, 0, 1e-7},
                      WindowCase{"hanning", 100, 0, 1e-6}, WindowCase{"hanning", 1001, 0, 2e-6},
                      // beta 0: all ones; 2: the polynomial regime; 3 and 5: the
                      // boundary and the series; 8.6 the common choice.  The
                      // polynomial for I0 up to 3 is within 4e-5 relative of I0.
                      WindowCase{"kaiser", 9, 0.0f, 1e-6}, WindowCase{"kaiser", 9, 2.0f, 2e-6},
                      WindowCase{"kaiser", 16, 3.0f, 6e-5}, WindowCase{"kaiser", 33, 5.0f, 6e-5},
                      WindowCase{"kaiser", 256, 8.6f, 2e-6},
                      // Large beta, where the single-precision series overflows.
                      WindowCase{"kaiser", 65, 20.0f, 1e-5}, WindowCase{"kaiser", 65, 40.0f, 1e-5},
                      WindowCase{"kaiser", 65, 300.0f, 1e-5}),
    [](const ::testing::TestParamInfo<WindowCase> &info) {
        return std::string(info.param.name) + "_N" + std::to_string(info.param.N) + "_p" +
               std::to_string(static_cast<int>(info.param.parameter));
    });

TEST(Windows, WorkedExamples) {
    const std::vector<float> b = take(vsip_vcreate_blackman_f(5, VSIP_MEM_NONE));
    const float want_b[] = {0.0f, 0.34f, 1.0f, 0.34f, 0.0f};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(b[i], want_b[i], 1e-6) << i;
    const std::vector<float> h = take(vsip_vcreate_hanning_f(3, VSIP_MEM_NONE));
    EXPECT_FLOAT_EQ(h[0], 0.5f);
    EXPECT_FLOAT_EQ(h[1], 1.0f);
    EXPECT_FLOAT_EQ(h[2], 0.5f);
    for (float x : take(vsip_vcreate_kaiser_f(7, 0.0f, VSIP_MEM_NONE)))
        EXPECT_EQ(x, 1.0f);
}

// Length 1 is [1] for every window (no division by N-1 = 0).
TEST(Windows, LengthOneIsOne) {
    for (const char *name : {"blackman", "hanning", "kaiser", "cheby"}) {
        const std::vector<float> w = take(create(name, 1, 10.0f));
        ASSERT_EQ(w.size(), 1u) << name;
        EXPECT_EQ(w[0], 1.0f) << name;
    }
}

// Every beta a float holds gives a finite window: 1 at the centre, values
// in [0, 1], falling from the centre outwards.
TEST(Windows, KaiserFiniteForHugeBeta) {
    for (float beta : {17.0f, 90.0f, 700.0f, 1e4f, 1e30f, std::numeric_limits<float>::max()}) {
        const std::vector<float> w = take(vsip_vcreate_kaiser_f(33, beta, VSIP_MEM_NONE));
        ASSERT_EQ(w.size(), 33u);
        EXPECT_FLOAT_EQ(w[16], 1.0f) << beta;
        for (int i = 0; i < 33; ++i) {
            ASSERT_TRUE(std::isfinite(w[i])) << beta << " " << i;
            EXPECT_GE(w[i], 0.0f);
            EXPECT_LE(w[i], 1.0f);
            if (i > 0 && i <= 16) {
                EXPECT_LE(w[i - 1], w[i]) << beta << " " << i;
            }
        }
    }
}

// ---- Dolph-Chebyshev: equal sidelobes at -ripple dB ------------------------

struct ChebyCase {
    vsip_length N;
    float ripple;
    double db_tolerance;
};

class ChebyWindow : public ::testing::TestWithParam<ChebyCase> {};

// |DTFT| of w at frequency f (cycles per sample), in long double.
long double magnitude(const std::vector<float> &w, long double f) {
    std::complex<long double> s = 0;
    for (std::size_t n = 0; n < w.size(); ++n)
        s += static_cast<long double>(w[n]) *
             std::polar(1.0L, -2 * static_cast<long double>(kPi) * f * static_cast<long double>(n));
    return std::abs(s);
}

TEST_P(ChebyWindow, PeakOneSymmetricEqualSidelobes) {
    const ChebyCase c = GetParam();
    const std::vector<float> w = take(vsip_vcreate_cheby_f(c.N, c.ripple, VSIP_MEM_NONE));
    ASSERT_EQ(w.size(), c.N);
    float peak = 0;
    for (vsip_length i = 0; i < c.N; ++i) {
        ASSERT_TRUE(std::isfinite(w[i])) << i;
        EXPECT_NEAR(w[i], w[c.N - 1 - i], 1e-5) << i;
        peak = std::fmax(peak, w[i]);
    }
    EXPECT_NEAR(w[c.N / 2], 1.0f, 1e-5);
    EXPECT_NEAR(peak, 1.0f, 1e-5);
    if (c.N < 5)
        return;
    // Walk the main lobe down to its first null, then take the largest
    // sidelobe: it sits at -ripple dB below the value at zero frequency.
    const int samples = (c.N > 200 ? 8 : 32) * static_cast<int>(c.N);
    const long double dc = magnitude(w, 0);
    long double previous = dc;
    int k = 1;
    for (; k <= samples / 2; ++k) {
        const long double m = magnitude(w, static_cast<long double>(k) / samples);
        if (m > previous)
            break;
        previous = m;
    }
    long double sidelobe = 0;
    for (; k <= samples / 2; ++k)
        sidelobe = std::fmax(sidelobe, magnitude(w, static_cast<long double>(k) / samples));
    const double db = static_cast<double>(20 * std::log10(sidelobe / dc));
    EXPECT_NEAR(db, -c.ripple, c.db_tolerance) << "N " << c.N;
}

INSTANTIATE_TEST_SUITE_P(Windows, ChebyWindow,
                         ::testing::Values(ChebyCase{2, 100.0f, 0}, ChebyCase{3, 40.0f, 0},
                                           ChebyCase{5, 60.0f, 0.2}, ChebyCase{8, 40.0f, 0.2},
                                           ChebyCase{31, 50.0f, 0.2}, ChebyCase{64, 80.0f, 0.3},
                                           ChebyCase{101, 120.0f, 1.0},
                                           ChebyCase{1000, 100.0f, 1.0}),
                         [](const ::testing::TestParamInfo<ChebyCase> &info) {
                             return "N" + std::to_string(info.param.N) + "_r" +
                                    std::to_string(static_cast<int>(info.param.ripple));
                         });

// Ripple so large that 10^(-ripple/20) underflows still gives a finite
// window with its peak 1 at the centre.
TEST(Windows, ChebyFiniteForExtremeRipple) {
    for (vsip_length N : {2u, 3u, 4u, 16u, 257u})
        for (float ripple : {200.0f, 400.0f, 1e4f, std::numeric_limits<float>::max()}) {
            const std::vector<float> w = take(vsip_vcreate_cheby_f(N, ripple, VSIP_MEM_NONE));
            ASSERT_EQ(w.size(), N);
            for (vsip_length i = 0; i < N; ++i)
                ASSERT_TRUE(std::isfinite(w[i])) << N << " " << ripple << " " << i;
            EXPECT_NEAR(w[N / 2], 1.0f, 1e-5) << N << " " << ripple;
        }
}

// ---- Allocation failures ---------------------------------------------------

TEST(Windows, AllocationFailureLeavesNothing) {
    for (const char *name : {"blackman", "hanning", "kaiser", "cheby"}) {
        std::string problem;
        const long needed = vsiptest::for_every_failing_allocation<vsip_vview_f>(
            [name] { return create(name, 16, 30.0f); },
            [](vsip_vview_f *v) { vsip_valldestroy_f(v); }, &problem);
        EXPECT_GT(needed, 0) << name << ": " << problem;
    }
}

// ---- Histogram -------------------------------------------------------------

struct HistoCase {
    const char *what;
    std::vector<float> data;
    float min_bin, max_bin;
    vsip_length P;
    std::vector<float> before; // r before the call (empty: zeros)
    vsip_hist_opt opt;
    std::vector<float> want;
};

class Histogram : public ::testing::TestWithParam<HistoCase> {};

// Data and bins on strided views (strides 2 and 3) so that the elements in
// between reveal stray writes.
TEST_P(Histogram, Bins) {
    const HistoCase c = GetParam();
    vsip_block_f *ab = vsip_blockcreate_f(2 * c.data.size() + 1, VSIP_MEM_NONE);
    vsip_block_f *rb = vsip_blockcreate_f(3 * c.P + 2, VSIP_MEM_NONE);
    vsip_vview_f *a = vsip_vbind_f(ab, 1, 2, c.data.size());
    vsip_vview_f *all = vsip_vbind_f(rb, 0, 1, 3 * c.P + 2);
    vsip_vview_f *r = vsip_vbind_f(rb, 1, 3, c.P);
    for (vsip_length i = 0; i < 3 * c.P + 2; ++i)
        vsip_vput_f(all, i, -7.0f);
    for (vsip_length i = 0; i < c.data.size(); ++i)
        vsip_vput_f(a, i, c.data[i]);
    for (vsip_length j = 0; j < c.P; ++j)
        vsip_vput_f(r, j, c.before.empty() ? 0.0f : c.before[j]);
    vsip_vhisto_f(a, c.min_bin, c.max_bin, c.opt, r);
    for (vsip_length j = 0; j < c.P; ++j)
        EXPECT_EQ(vsip_vget_f(r, j), c.want[j]) << c.what << " bin " << j;
    for (vsip_length i = 0; i < 3 * c.P + 2; ++i)
        if (i % 3 != 1 || i / 3 >= c.P) {
            EXPECT_EQ(vsip_vget_f(all, i), -7.0f) << c.what << " outside r at " << i;
        }
    vsip_vdestroy_f(a);
    vsip_vdestroy_f(r);
    vsip_vdestroy_f(all);
    vsip_blockdestroy_f(ab);
    vsip_blockdestroy_f(rb);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Windows, Histogram,
    ::testing::Values(
        HistoCase{"edges", {-1, 0, 9.99f, 10, 5}, 0, 10, 12, {}, VSIP_HIST_RESET,
                  {1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1}},
        HistoCase{"reset clears", {2.5f}, 0, 10, 6, {3, 3, 3, 3, 3, 3}, VSIP_HIST_RESET,
                  {0, 0, 1, 0, 0, 0}},
        HistoCase{"accumulate keeps", {2.5f, 2.5f, 100}, 0, 10, 6, {1, 2, 3, 4, 5, 6},
                  VSIP_HIST_ACCUM, {1, 2, 5, 4, 5, 7}},
        HistoCase{"nan not counted", {kNaN, 1, -kNaN}, 0, 4, 6, {}, VSIP_HIST_RESET,
                  {0, 0, 1, 0, 0, 0}},
        HistoCase{"infinities", {-kInf, kInf}, 0, 4, 6, {}, VSIP_HIST_RESET, {1, 0, 0, 0, 0, 1}},
        HistoCase{"two bins", {-1, 0.5f, 2}, 0, 1, 2, {}, VSIP_HIST_RESET, {1, 2}},
        HistoCase{"one bin", {-1, 0.5f, 2}, 0, 1, 1, {}, VSIP_HIST_RESET, {3}},
        HistoCase{"nan bound", {0.5f, -1, 2}, 0, kNaN, 4, {}, VSIP_HIST_RESET, {1, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<HistoCase> &info) {
        std::string s = info.param.what;
        for (char &ch : s)
            if (ch == ' ')
                ch = '_';
        return s;
    });

} // namespace
