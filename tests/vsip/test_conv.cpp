// Convolution and correlation against double-precision references computed
// here: every support region and decimation with each method (forced by
// the lengths), symmetric kernels, strided views, the worked examples, the
// error messages, and creation under failing allocations and FFTW
// requests.
#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fft_support.hpp"
#include "signal/conv.hpp"
#include "support.hpp"
#include "vsip.h"

namespace {

using vsiptest::capture_stdout;
using vsiptest::error_line;
using cd = std::complex<double>;

const char *const kModeMessage =
    "Mode must be [VSIP_SUPPORT_MIN, VSIP_SUPPORT_SAME, VSIP_SUPPORT_FULL].\n";
const char *const kLengthMessage = "Input size N must greater or equal than kernel size M.";
const char *const kSymmMessage =
    "Symm must be [VSIP_NONSYM, VSIP_SYM_EVEN_LEN_ODD, VSIP_SYM_EVEN_LEN_EVEN].";

std::vector<float> random_floats(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> v(n);
    for (float &x : v)
        x = dist(gen);
    return v;
}

// A real vector view of n elements at `stride` over a fresh block whose
// other elements hold `fill`; destroyed with its block.
struct RealView {
    vsip_vview_f *v = nullptr;
    RealView(vsip_length n, vsip_stride stride = 1, float fill = 0.0f) {
        const vsip_length span = n == 0 ? 1 : (n - 1) * static_cast<vsip_length>(stride) + 1;
        vsip_block_f *b = vsip_blockcreate_f(span, VSIP_MEM_NONE);
        vsip_vview_f *all = vsip_vbind_f(b, 0, 1, span);
        for (vsip_length i = 0; i < span; ++i)
            vsip_vput_f(all, i, fill);
        vsip_vdestroy_f(all);
        v = vsip_vbind_f(b, 0, stride, n);
    }
    RealView(const std::vector<float> &x, vsip_stride stride = 1) : RealView(x.size(), stride) {
        for (std::size_t i = 0; i < x.size(); ++i)
            vsip_vput_f(v, i, x[i]);
    }
    ~RealView() { vsip_valldestroy_f(v); }
    RealView(const RealView &) = delete;
    RealView &operator=(const RealView &) = delete;
    std::vector<float> values() const {
        std::vector<float> out(vsip_vgetlength_f(v));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = vsip_vget_f(v, i);
        return out;
    }
};

struct ComplexView {
    vsip_cvview_f *v = nullptr;
    ComplexView(const std::vector<cd> &x, vsip_stride stride = 1) {
        const vsip_length n = x.size();
        const vsip_length span = n == 0 ? 1 : (n - 1) * static_cast<vsip_length>(stride) + 1;
        v = vsip_cvbind_f(vsip_cblockcreate_f(span, VSIP_MEM_NONE), 0, stride, n);
        for (std::size_t i = 0; i < x.size(); ++i)
            vsip_cvput_f(v, i,
                         vsip_cmplx_f(static_cast<float>(x[i].real()),
                                      static_cast<float>(x[i].imag())));
    }
    ~ComplexView() { vsip_cvalldestroy_f(v); }
    ComplexView(const ComplexView &) = delete;
    ComplexView &operator=(const ComplexView &) = delete;
    std::vector<cd> values() const {
        std::vector<cd> out(vsip_cvgetlength_f(v));
        for (std::size_t i = 0; i < out.size(); ++i) {
            const vsip_cscalar_f c = vsip_cvget_f(v, i);
            out[i] = cd(c.r, c.i);
        }
        return out;
    }
};

// ---- References --------------------------------------------------------------

std::vector<double> full_kernel(const std::vector<float> &h, vsip_symmetry symm) {
    std::vector<double> k(h.begin(), h.end());
    if (symm == VSIP_SYM_EVEN_LEN_ODD)
        for (std::size_t j = h.size() - 1; j-- > 0;)
            k.push_back(h[j]);
    if (symm == VSIP_SYM_EVEN_LEN_EVEN)
        for (std::size_t j = h.size(); j-- > 0;)
            k.push_back(h[j]);
    return k;
}

std::size_t support_start(vsip_support_region s, std::size_t M) {
    return s == VSIP_SUPPORT_FULL ? 0 : s == VSIP_SUPPORT_SAME ? M / 2 : M - 1;
}

std::size_t conv_out_len(vsip_support_region s, std::size_t N, std::size_t M, std::size_t D) {
    if (s == VSIP_SUPPORT_FULL)
        return (N + M - 2) / D + 1;
    if (s == VSIP_SUPPORT_SAME)
        return (N - 1) / D + 1;
    return (N - 1) / D + 1 - (M - 1) / D;
}

// y[n] = c[s + nD] of the full convolution c, and the bound each float
// result is held to: a few float epsilons per transform level times the
// norms of kernel and input.
std::vector<double> conv_reference(const std::vector<double> &h, const std::vector<float> &x,
                                   vsip_support_region s, std::size_t D) {
    const std::size_t M = h.size(), N = x.size();
    std::vector<double> y(conv_out_len(s, N, M, D));
    for (std::size_t n = 0; n < y.size(); ++n) {
        const std::size_t k = support_start(s, M) + n * D;
        double sum = 0;
        for (std::size_t j = 0; j < M; ++j)
            if (k >= j && k - j < N)
                sum += h[j] * x[k - j];
        y[n] = sum;
    }
    return y;
}

double norm2(const std::vector<double> &v) {
    double s = 0;
    for (double x : v)
        s += x * x;
    return std::sqrt(s);
}

double tolerance(std::size_t length, double norm_a, double norm_b) {
    return 1e-6 * (std::log2(static_cast<double>(length)) + 2.0) * norm_a * norm_b;
}

const vsip_support_region kSupports[] = {VSIP_SUPPORT_FULL, VSIP_SUPPORT_SAME, VSIP_SUPPORT_MIN};

const char *support_name(vsip_support_region s) {
    return s == VSIP_SUPPORT_FULL ? "full" : s == VSIP_SUPPORT_SAME ? "same" : "min";
}

// ---- Method choice -------------------------------------------------------------

struct MethodCase {
    vsip_length N, K;
    vsip_symmetry symm;
    vsip_length D;
    std::int32_t method;
    std::int32_t segmented;
    vsip_length L, S, Q;
    bool long_kernel_segments = false; // the single transform runs as overlap-added rows
};

// The lengths below also force each method in the value tests.
const MethodCase kMethods[] = {
    {1000, 20, VSIP_NONSYM, 1, VI_CONV_DIRECT, 0, 0, 0, 0},      // F 7058 above G 2450
    {1000, 100, VSIP_NONSYM, 1, VI_CONV_FFT, 1, 1024, 924, 2},   // G 11250
    {400, 200, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 512, 0, 0},       // N/M exactly 2
    {5000, 1500, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 4096, 0, 0},    // M above 999
    {200, 5, VSIP_SYM_EVEN_LEN_ODD, 1, VI_CONV_DIRECT, 0, 0, 0, 0},
    {2000, 50, VSIP_SYM_EVEN_LEN_EVEN, 1, VI_CONV_FFT, 1, 1024, 924, 3},
    {2000, 50, VSIP_SYM_EVEN_LEN_ODD, 1, VI_CONV_FFT, 1, 512, 413, 5},
    {399, 200, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 512, 0, 0},       // odd N: halves 200 + 199
    {400, 100, VSIP_SYM_EVEN_LEN_EVEN, 1, VI_CONV_FFT, 0, 512, 0, 0},
    {3000, 100, VSIP_NONSYM, 3, VI_CONV_DIRECT, 0, 0, 0, 0},     // G shrinks with D
    {1, 1, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 2, 0, 0},             // F = 0 is not above G = 0
    {16000, 1000, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 16384, 0, 0, true},
    {20000, 500, VSIP_SYM_EVEN_LEN_EVEN, 2, VI_CONV_FFT, 0, 16384, 0, 0, true},
    {2500, 1000, VSIP_NONSYM, 1, VI_CONV_FFT, 0, 4096, 0, 0},    // rows would be longer than L
};

TEST(ConvCreate, MethodAndTransformLength) {
    for (const MethodCase &c : kMethods) {
        RealView h(random_floats(c.K, 1));
        vsip_conv1d_f *conv =
            vsip_conv1d_create_f(h.v, c.symm, c.N, c.D, VSIP_SUPPORT_FULL, 0, VSIP_ALG_TIME);
        ASSERT_NE(conv, nullptr) << c.N << " x " << c.K;
        const std::string where = std::to_string(c.N) + " x " + std::to_string(c.K);
        EXPECT_EQ(conv->method, c.method) << where;
        EXPECT_EQ(conv->segmented, c.segmented) << where;
        EXPECT_EQ(conv->L, c.L) << where;
        EXPECT_EQ(conv->S, c.S) << where;
        EXPECT_EQ(conv->Q, c.Q) << where;
        EXPECT_EQ(conv->direct_kernel != nullptr, c.method == VI_CONV_DIRECT) << where;
        EXPECT_EQ(conv->fft != nullptr, c.method == VI_CONV_FFT && !c.segmented) << where;
        EXPECT_EQ(conv->fftm != nullptr, c.segmented == 1) << where;
        EXPECT_EQ(conv->seg_work != nullptr, c.long_kernel_segments) << where;
        vsip_conv1d_destroy_f(conv);
    }
}

// ---- Values: every method x support x decimation, symmetric kernels -------------

TEST(Convolve, EveryMethodSupportAndDecimationAgainstDouble) {
    for (const MethodCase &c : kMethods) {
        const std::vector<float> hk = random_floats(c.K, 2 + static_cast<unsigned>(c.K));
        const std::vector<double> h = full_kernel(hk, c.symm);
        const std::vector<float> x = random_floats(c.N, 7 + static_cast<unsigned>(c.N));
        RealView hv(hk), xv(x);
        for (vsip_support_region s : kSupports)
            for (vsip_length D : {1, 2, 3}) {
                vsip_conv1d_f *conv =
                    vsip_conv1d_create_f(hv.v, c.symm, c.N, D, s, 0, VSIP_ALG_TIME);
                ASSERT_NE(conv, nullptr);
                const std::vector<double> want = conv_reference(h, x, s, D);
                vsip_conv1d_attr attr;
                vsip_conv1d_getattr_f(conv, &attr);
                ASSERT_EQ(attr.out_len, want.size());
                RealView y(want.size());
                vsip_convolve1d_f(conv, xv.v, y.v);
                const std::vector<float> got = y.values();
                std::vector<double> xd(x.begin(), x.end());
                const double tol = tolerance(c.N + h.size(), norm2(h), norm2(xd));
                for (std::size_t n = 0; n < want.size(); ++n)
                    ASSERT_NEAR(got[n], want[n], tol)
                        << c.N << " x " << h.size() << " method " << conv->method << " "
                        << support_name(s) << " D " << D << " output " << n;
                vsip_conv1d_destroy_f(conv);
            }
    }
}

// Strided input and output: each output lands at its own position, and
// the elements between them keep their values, for every method.
TEST(Convolve, StridedViewsForEveryMethod) {
    const float guard = -777.0f;
    for (const MethodCase &c : kMethods) {
        const std::vector<float> hk = random_floats(c.K, 3);
        const std::vector<double> h = full_kernel(hk, c.symm);
        const std::vector<float> x = random_floats(c.N, 4);
        RealView hv(hk, 2), xv(x, 3);
        vsip_conv1d_f *conv =
            vsip_conv1d_create_f(hv.v, c.symm, c.N, 2, VSIP_SUPPORT_SAME, 0, VSIP_ALG_TIME);
        ASSERT_NE(conv, nullptr);
        const std::vector<double> want = conv_reference(h, x, VSIP_SUPPORT_SAME, 2);
        RealView y(want.size(), 2, guard);
        vsip_convolve1d_f(conv, xv.v, y.v);
        std::vector<double> xd(x.begin(), x.end());
        const double tol = tolerance(c.N + h.size(), norm2(h), norm2(xd));
        vsip_vview_f *all = vsip_vbind_f(vsip_vgetblock_f(y.v), 0, 1, 2 * want.size() - 1);
        for (std::size_t i = 0; i < 2 * want.size() - 1; ++i) {
            const float v = vsip_vget_f(all, i);
            if (i % 2 == 0)
                ASSERT_NEAR(v, want[i / 2], tol) << c.N << " x " << h.size() << " at " << i;
            else
                ASSERT_EQ(v, guard) << c.N << " x " << h.size() << " at " << i;
        }
        vsip_vdestroy_f(all);
        vsip_conv1d_destroy_f(conv);
    }
}

// Worked examples with exact results: kernel [1, 1] on [1, 2, 3].
TEST(Convolve, WorkedExamples) {
    struct Case {
        vsip_support_region support;
        vsip_length D;
        std::vector<float> want;
    } cases[] = {
        {VSIP_SUPPORT_FULL, 1, {1, 3, 5, 3}},
        {VSIP_SUPPORT_SAME, 1, {3, 5, 3}},
        {VSIP_SUPPORT_MIN, 1, {3, 5}},
        {VSIP_SUPPORT_FULL, 2, {1, 5}},
    };
    RealView h(std::vector<float>{1, 1}), x(std::vector<float>{1, 2, 3});
    for (const Case &c : cases) {
        vsip_conv1d_f *conv = vsip_conv1d_create_f(h.v, VSIP_NONSYM, 3, c.D, c.support, 0,
                                                   VSIP_ALG_TIME);
        ASSERT_NE(conv, nullptr);
        RealView y(c.want.size());
        vsip_convolve1d_f(conv, x.v, y.v);
        EXPECT_EQ(y.values(), c.want) << support_name(c.support) << " D " << c.D;
        vsip_conv1d_destroy_f(conv);
    }
}

TEST(ConvAttributes, RecordTheArguments) {
    struct Case {
        vsip_length K;
        vsip_symmetry symm;
        vsip_length N, D;
        vsip_support_region support;
        vsip_conv1d_attr want;
    } cases[] = {
        {4, VSIP_NONSYM, 10, 1, VSIP_SUPPORT_FULL, {4, VSIP_NONSYM, 10, VSIP_SUPPORT_FULL, 13, 1}},
        {4, VSIP_SYM_EVEN_LEN_ODD, 10, 2, VSIP_SUPPORT_SAME,
         {7, VSIP_SYM_EVEN_LEN_ODD, 10, VSIP_SUPPORT_SAME, 5, 2}},
        {4, VSIP_SYM_EVEN_LEN_EVEN, 10, 3, VSIP_SUPPORT_MIN,
         {8, VSIP_SYM_EVEN_LEN_EVEN, 10, VSIP_SUPPORT_MIN, 2, 3}},
        {100, VSIP_NONSYM, 1000, 1, VSIP_SUPPORT_MIN,
         {100, VSIP_NONSYM, 1000, VSIP_SUPPORT_MIN, 901, 1}},
    };
    for (const Case &c : cases) {
        RealView h(random_floats(c.K, 5));
        vsip_conv1d_f *conv =
            vsip_conv1d_create_f(h.v, c.symm, c.N, c.D, c.support, 0, VSIP_ALG_TIME);
        ASSERT_NE(conv, nullptr);
        vsip_conv1d_attr a;
        vsip_conv1d_getattr_f(conv, &a);
        EXPECT_EQ(a.kernel_len, c.want.kernel_len);
        EXPECT_EQ(a.symm, c.want.symm);
        EXPECT_EQ(a.data_len, c.want.data_len);
        EXPECT_EQ(a.support, c.want.support);
        EXPECT_EQ(a.out_len, c.want.out_len);
        EXPECT_EQ(a.decimation, c.want.decimation);
        vsip_conv1d_destroy_f(conv);
    }
}

// ---- Rejected arguments and messages -------------------------------------------

TEST(ConvCreate, RejectedArgumentsGiveNullWithTheirMessage) {
    struct Case {
        vsip_length K;
        int symm;
        vsip_length N, D;
        const char *message; // null: no message
    } cases[] = {
        {20, VSIP_NONSYM, 10, 1, kLengthMessage},           // the direct method's lengths
        {1500, VSIP_NONSYM, 1000, 1, kLengthMessage},       // FFT lengths
        {600, VSIP_SYM_EVEN_LEN_EVEN, 1000, 1, kLengthMessage},
        {5, VSIP_NONSYM, 0, 1, kLengthMessage},
        {4, 3, 100, 1, kSymmMessage},
        {4, 3, 100000, 1, kSymmMessage},
        {0, VSIP_NONSYM, 100, 1, nullptr},
        {4, VSIP_NONSYM, 100, 0, nullptr},
        {4, VSIP_NONSYM, 100, vsip_length(1) << 31, nullptr},
    };
    for (const Case &c : cases) {
        RealView h(random_floats(c.K, 6));
        vsip_conv1d_f *conv = reinterpret_cast<vsip_conv1d_f *>(1);
        const std::string text = capture_stdout([&] {
            conv = vsip_conv1d_create_f(h.v, static_cast<vsip_symmetry>(c.symm), c.N, c.D,
                                        VSIP_SUPPORT_FULL, 0, VSIP_ALG_TIME);
        });
        EXPECT_EQ(conv, nullptr) << c.K << " " << c.N;
        EXPECT_EQ(text, c.message ? error_line("vsip_conv1d_create_f", c.message) : "")
            << c.K << " " << c.N;
    }
}

// An unknown support region is reported by every method and nothing is
// written.
TEST(Convolve, UnknownSupportWritesNothingWithEveryMethod) {
    const float guard = 42.0f;
    for (const MethodCase &c : kMethods) {
        RealView h(random_floats(c.K, 8)), x(random_floats(c.N, 9));
        vsip_conv1d_f *conv = vsip_conv1d_create_f(
            h.v, c.symm, c.N, 1, static_cast<vsip_support_region>(3), 0, VSIP_ALG_TIME);
        ASSERT_NE(conv, nullptr);
        vsip_conv1d_attr a;
        vsip_conv1d_getattr_f(conv, &a);
        EXPECT_EQ(a.out_len, 0u);
        RealView y(c.N + 2 * c.K, 1, guard);
        const std::string text = capture_stdout([&] { vsip_convolve1d_f(conv, x.v, y.v); });
        EXPECT_EQ(text, error_line("vsip_convolve1d_f", kModeMessage));
        for (float v : y.values())
            ASSERT_EQ(v, guard);
        vsip_conv1d_destroy_f(conv);
    }
}

// ---- Correlation ---------------------------------------------------------------

// y[n] = sum over k of conj(r[k]) x[first + n + k - (M-1)], divided by the
// number of products for the unbiased form.
std::vector<cd> corr_reference(const std::vector<cd> &r, const std::vector<cd> &x,
                               vsip_support_region s, vsip_bias bias) {
    const long M = static_cast<long>(r.size()), N = static_cast<long>(x.size());
    const long first = s == VSIP_SUPPORT_FULL ? 0 : s == VSIP_SUPPORT_SAME ? (M - 1) / 2 : M - 1;
    const long count = s == VSIP_SUPPORT_FULL ? N + M - 1 : s == VSIP_SUPPORT_SAME ? N : N - M + 1;
    std::vector<cd> y(static_cast<std::size_t>(count));
    for (long n = 0; n < count; ++n) {
        const long lag = first + n - (M - 1);
        cd sum = 0;
        long products = 0;
        for (long k = 0; k < M; ++k)
            if (lag + k >= 0 && lag + k < N) {
                sum += std::conj(r[k]) * x[lag + k];
                ++products;
            }
        y[n] = bias == VSIP_UNBIASED ? sum / static_cast<double>(products) : sum;
    }
    return y;
}

std::vector<cd> random_complex(std::size_t n, unsigned seed, bool real) {
    const std::vector<float> a = random_floats(n, seed), b = random_floats(n, seed + 100);
    std::vector<cd> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = cd(a[i], real ? 0.0 : b[i]);
    return v;
}

std::vector<float> real_parts(const std::vector<cd> &v) {
    std::vector<float> out;
    for (const cd &c : v)
        out.push_back(static_cast<float>(c.real()));
    return out;
}

double cnorm(const std::vector<cd> &v) {
    double s = 0;
    for (const cd &c : v)
        s += std::norm(c);
    return std::sqrt(s);
}

struct CorrCase {
    vsip_length M, N;
    vsip_length L;
};

const CorrCase kCorrCases[] = {
    {1, 1, 2},   {3, 6, 16},       {4, 5, 16},     {20, 1000, 1024},
    {7, 7, 16},  {100, 300, 512},  {33, 64, 128},  {200, 400, 1024},
    {64, 64, 128}, {150, 2000, 4096}, {100, 3000, 4096}, {1000, 20000, 32768},
    {599, 2000, 4096},
};

// The real correlation takes direct sums, one packed transform or
// overlap-added segments depending on the lengths: the value test covers
// every path.
TEST(Correlate, TableCoversEveryRealPath) {
    int count[3] = {0, 0, 0};
    for (const CorrCase &c : kCorrCases)
        ++count[VI_corr_path(c.M, c.N)];
    EXPECT_GE(count[VI_CORR_DIRECT], 3);
    EXPECT_GE(count[VI_CORR_PACKED], 3);
    EXPECT_GE(count[VI_CORR_SEGMENTED], 3);
}

TEST(Correlate, RealAndComplexEveryBiasAndSupportAgainstDouble) {
    for (const CorrCase &c : kCorrCases)
        for (bool complex : {false, true})
            for (vsip_support_region s : kSupports)
                for (vsip_bias bias : {VSIP_BIASED, VSIP_UNBIASED}) {
                    const std::vector<cd> r = random_complex(c.M, 11 + c.M, !complex);
                    const std::vector<cd> x = random_complex(c.N, 13 + c.N, !complex);
                    const std::vector<cd> want = corr_reference(r, x, s, bias);
                    const double tol = tolerance(c.L, cnorm(r), cnorm(x));
                    const std::string where = std::string(complex ? "complex " : "real ") +
                                              std::to_string(c.M) + " x " + std::to_string(c.N) +
                                              " " + support_name(s) +
                                              (bias == VSIP_UNBIASED ? " unbiased" : " biased");
                    std::vector<cd> got;
                    vsip_corr1d_attr attr{};
                    if (complex) {
                        vsip_ccorr1d_f *corr = vsip_ccorr1d_create_f(c.M, c.N, s, 0, VSIP_ALG_TIME);
                        ASSERT_NE(corr, nullptr) << where;
                        EXPECT_EQ(corr->L, c.L) << where;
                        ComplexView rv(r, 2), xv(x, 3), y(std::vector<cd>(want.size()), 2);
                        vsip_ccorrelate1d_f(corr, bias, rv.v, xv.v, y.v);
                        got = y.values();
                        vsip_ccorr1d_getattr_f(corr, &attr);
                        vsip_ccorr1d_destroy_f(corr);
                    } else {
                        vsip_corr1d_f *corr = vsip_corr1d_create_f(c.M, c.N, s, 0, VSIP_ALG_TIME);
                        ASSERT_NE(corr, nullptr) << where;
                        EXPECT_EQ(corr->L, c.L) << where;
                        EXPECT_EQ(corr->seg_work != nullptr,
                                  VI_corr_path(c.M, c.N) == VI_CORR_SEGMENTED)
                            << where;
                        RealView rv(real_parts(r), 2), xv(real_parts(x)), y(want.size(), 3);
                        vsip_correlate1d_f(corr, bias, rv.v, xv.v, y.v);
                        for (float v : y.values())
                            got.push_back(v);
                        vsip_corr1d_getattr_f(corr, &attr);
                        vsip_corr1d_destroy_f(corr);
                    }
                    EXPECT_EQ(attr.ref_len, c.M);
                    EXPECT_EQ(attr.data_len, c.N);
                    EXPECT_EQ(attr.support, s);
                    ASSERT_EQ(attr.lag_len, want.size()) << where;
                    for (std::size_t n = 0; n < want.size(); ++n)
                        ASSERT_LE(std::abs(got[n] - want[n]), tol) << where << " lag " << n;
                }
}

// Unbiased full correlation of constants is constant: every value is
// divided by exactly the number of products that formed it.
TEST(Correlate, UnbiasedConstantsGiveAConstant) {
    for (const CorrCase &c : kCorrCases) {
        vsip_corr1d_f *corr = vsip_corr1d_create_f(c.M, c.N, VSIP_SUPPORT_FULL, 0, VSIP_ALG_TIME);
        ASSERT_NE(corr, nullptr);
        RealView r(std::vector<float>(c.M, 2.0f)), x(std::vector<float>(c.N, 0.5f));
        RealView y(c.N + c.M - 1);
        vsip_correlate1d_f(corr, VSIP_UNBIASED, r.v, x.v, y.v);
        // The transform error of the sum, shared among its products.
        const double sum_tol = tolerance(c.L, 2.0 * std::sqrt(c.M), 0.5 * std::sqrt(c.N));
        const std::vector<float> got = y.values();
        for (std::size_t j = 0; j < got.size(); ++j) {
            const std::size_t products = std::min({j + 1, std::size_t(c.M), c.N + c.M - 1 - j});
            ASSERT_NEAR(got[j], 1.0f, sum_tol / static_cast<double>(products))
                << c.M << " x " << c.N << " lag " << j;
        }
        vsip_corr1d_destroy_f(corr);
    }
}

TEST(CorrCreate, RejectedArgumentsGiveNullWithTheirMessage) {
    struct Case {
        vsip_length M, N;
        int support;
        const char *message;
    } cases[] = {
        {6, 5, VSIP_SUPPORT_MIN, kLengthMessage},
        {100, 1, VSIP_SUPPORT_FULL, kLengthMessage},
        {3, 5, 3, kModeMessage},
                {0, 5, VSIP_SUPPORT_FULL, nullptr},
    };
    for (const Case &c : cases)
        for (bool complex : {false, true}) {
            void *made = reinterpret_cast<void *>(1);
            const auto support = static_cast<vsip_support_region>(c.support);
            const std::string text = capture_stdout([&] {
                made = complex ? static_cast<void *>(
                                     vsip_ccorr1d_create_f(c.M, c.N, support, 0, VSIP_ALG_TIME))
                               : static_cast<void *>(
                                     vsip_corr1d_create_f(c.M, c.N, support, 0, VSIP_ALG_TIME));
            });
            const std::string func = complex ? "vsip_ccorr1d_create_f" : "vsip_corr1d_create_f";
            EXPECT_EQ(made, nullptr) << func << " " << c.M << " " << c.N;
            EXPECT_EQ(text, c.message ? error_line(func, c.message) : "") << func;
        }
}

// ---- Creation under failing resources ------------------------------------------

struct Creator {
    const char *name;
    std::function<void *()> create;
    std::function<void(void *)> destroy;
};

std::vector<Creator> creators(vsip_vview_f *kernel20, vsip_vview_f *kernel100,
                              vsip_vview_f *kernel200, vsip_vview_f *kernel1000) {
    auto conv = [](vsip_vview_f *h, vsip_length N) {
        return [h, N]() -> void * {
            return vsip_conv1d_create_f(h, VSIP_NONSYM, N, 1, VSIP_SUPPORT_SAME, 0,
                                        VSIP_ALG_TIME);
        };
    };
    auto conv_destroy = [](void *p) { vsip_conv1d_destroy_f(static_cast<vsip_conv1d_f *>(p)); };
    return {
        {"direct", conv(kernel20, 1000), conv_destroy},
        {"segmented", conv(kernel100, 3000), conv_destroy},
        {"single", conv(kernel200, 400), conv_destroy},
        {"long kernel", conv(kernel1000, 16000), conv_destroy},
        {"corr",
         [] { return static_cast<void *>(vsip_corr1d_create_f(5, 9, VSIP_SUPPORT_FULL, 0,
                                                              VSIP_ALG_TIME)); },
         [](void *p) { vsip_corr1d_destroy_f(static_cast<vsip_corr1d_f *>(p)); }},
        {"corr segmented",
         [] { return static_cast<void *>(vsip_corr1d_create_f(100, 3000, VSIP_SUPPORT_SAME, 0,
                                                              VSIP_ALG_TIME)); },
         [](void *p) { vsip_corr1d_destroy_f(static_cast<vsip_corr1d_f *>(p)); }},
        {"ccorr",
         [] { return static_cast<void *>(vsip_ccorr1d_create_f(5, 9, VSIP_SUPPORT_MIN, 0,
                                                               VSIP_ALG_SPACE)); },
         [](void *p) { vsip_ccorr1d_destroy_f(static_cast<vsip_ccorr1d_f *>(p)); }},
    };
}

TEST(Create, EveryFailingAllocationGivesNullAndReleasesAll) {
    RealView h20(random_floats(20, 1)), h100(random_floats(100, 1)), h200(random_floats(200, 1));
    RealView h1000(random_floats(1000, 1));
    for (const Creator &c : creators(h20.v, h100.v, h200.v, h1000.v)) {
        std::string problem;
        const long calls =
            vsiptest::for_every_failing_allocation<void>(c.create, c.destroy, &problem);
        EXPECT_GT(calls, 1) << c.name << ": " << problem;
    }
}

TEST(Create, EveryFailingFftwRequestGivesNullAndReleasesAll) {
    RealView h100(random_floats(100, 1)), h200(random_floats(200, 1));
    RealView h20(random_floats(20, 1)), h1000(random_floats(1000, 1));
    for (const Creator &c : creators(h20.v, h100.v, h200.v, h1000.v)) {
        if (std::string(c.name) == "direct")
            continue; // no transform
        std::string problem;
        const long requests =
            vsiptest::for_every_failing_fftw_request<void>(c.create, c.destroy, &problem);
        EXPECT_GT(requests, 2) << c.name << ": " << problem;
    }
}

TEST(Destroy, NullReturnsZero) {
    EXPECT_EQ(vsip_conv1d_destroy_f(nullptr), 0);
    EXPECT_EQ(vsip_corr1d_destroy_f(nullptr), 0);
    EXPECT_EQ(vsip_ccorr1d_destroy_f(nullptr), 0);
}

} // namespace
