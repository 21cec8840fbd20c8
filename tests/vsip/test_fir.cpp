// FIR filters, real and complex, against a double-precision direct sum
// over the whole signal: one long signal fed in blocks of every length
// (shorter and longer than the kernel) with every decimation up to 5 and
// the phase carried; blocks without state; the worked examples; symmetric
// kernels; strided and interleaved views; the complex default-kernel log
// line; allocation failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support.hpp"
#include "view_layouts.hpp"
#include "vsip.h"

namespace {

using namespace vsiptest;
using cd = std::complex<double>;

// Deterministic values in [-1, 1) that floats hold exactly.
std::vector<cd> signal(std::size_t n, bool complex, std::uint32_t seed) {
    std::vector<cd> v(n);
    std::uint32_t s = seed * 2654435761u + 1;
    auto next = [&] {
        s = s * 1664525u + 1013904223u;
        return static_cast<double>(static_cast<float>(static_cast<std::int32_t>(s >> 8) - (1 << 23)) /
                                   static_cast<float>(1 << 23));
    };
    for (cd &x : v) {
        const double re = next();
        x = cd(re, complex ? next() : 0.0);
    }
    return v;
}

// Full kernel of a caller kernel and symmetry code: h[k] = kernel[k] for
// k below L, h[M-1-k] = conj(kernel[k]), except the middle element of an
// odd-length kernel, which is kernel[L-1].
std::vector<cd> full_kernel(const std::vector<cd> &kernel, int symm) {
    if (symm == VSIP_NONSYM)
        return kernel;
    const std::size_t L = kernel.size(), M = symm == VSIP_SYM_EVEN_LEN_ODD ? 2 * L - 1 : 2 * L;
    std::vector<cd> h(M);
    for (std::size_t k = 0; k < L; ++k)
        h[M - 1 - k] = std::conj(kernel[k]);
    for (std::size_t k = 0; k < L; ++k)
        h[k] = kernel[k];
    return h;
}

// Output at input position q of x (zeros before x[0]), and the scale that
// the tolerance is relative to: sum |h[k]| |x[q-k]|.
struct ref_value {
    cd value;
    double scale;
};
ref_value direct(const std::vector<cd> &h, const std::vector<cd> &x, std::size_t q) {
    ref_value r{0.0, 0.0};
    for (std::size_t k = 0; k < h.size() && k <= q; ++k) {
        r.value += h[k] * x[q - k];
        r.scale += std::abs(h[k]) * std::abs(x[q - k]);
    }
    return r;
}

bool close(cd got, const ref_value &want, std::size_t M) {
    const double tol = 1.2e-7 * static_cast<double>(M + 8) * want.scale + 1e-30;
    return std::abs(got.real() - want.value.real()) <= tol &&
           std::abs(got.imag() - want.value.imag()) <= tol;
}

// One real or complex filter over library-created vectors (or the layouts
// of view_layouts.hpp).
class Filter {
public:
    Filter(bool complex, const std::vector<cd> &kernel, int symm, vsip_length N, vsip_length D,
           int state)
        : complex_(complex), N_(N) {
        if (complex) {
            vsip_cvview_f *k = vsip_cvcreate_f(kernel.size(), VSIP_MEM_NONE);
            for (std::size_t i = 0; i < kernel.size(); ++i)
                vsip_cvput_f(k, i, vsip_cmplx_f(static_cast<float>(kernel[i].real()),
                                                static_cast<float>(kernel[i].imag())));
            cfir_ = vsip_cfir_create_f(k, static_cast<vsip_symmetry>(symm), N, D,
                                       static_cast<vsip_obj_state>(state), 0, VSIP_ALG_TIME);
            vsip_cvalldestroy_f(k);
        } else {
            vsip_vview_f *k = vsip_vcreate_f(kernel.size(), VSIP_MEM_NONE);
            for (std::size_t i = 0; i < kernel.size(); ++i)
                vsip_vput_f(k, i, static_cast<float>(kernel[i].real()));
            fir_ = vsip_fir_create_f(k, static_cast<vsip_symmetry>(symm), N, D,
                                     static_cast<vsip_obj_state>(state), 0, VSIP_ALG_TIME);
            vsip_valldestroy_f(k);
        }
    }
    ~Filter() {
        vsip_fir_destroy_f(fir_);
        vsip_cfir_destroy_f(cfir_);
    }
    Filter(const Filter &) = delete;
    Filter &operator=(const Filter &) = delete;

    bool made() const { return fir_ || cfir_; }

    // Filters one block through unit-stride library vectors; the outputs
    // the call reports.
    std::vector<cd> run(const std::vector<cd> &block) {
        const std::size_t out = N_ + 2;
        std::vector<cd> y;
        int count;
        if (complex_) {
            vsip_cvview_f *xv = vsip_cvcreate_f(block.size(), VSIP_MEM_NONE);
            vsip_cvview_f *yv = vsip_cvcreate_f(out, VSIP_MEM_NONE);
            for (std::size_t i = 0; i < block.size(); ++i)
                vsip_cvput_f(xv, i, vsip_cmplx_f(static_cast<float>(block[i].real()),
                                                 static_cast<float>(block[i].imag())));
            count = vsip_cfirflt_f(cfir_, xv, yv);
            for (int i = 0; i < count; ++i) {
                const vsip_cscalar_f v = vsip_cvget_f(yv, i);
                y.emplace_back(v.r, v.i);
            }
            vsip_cvalldestroy_f(xv);
            vsip_cvalldestroy_f(yv);
        } else {
            vsip_vview_f *xv = vsip_vcreate_f(block.size(), VSIP_MEM_NONE);
            vsip_vview_f *yv = vsip_vcreate_f(out, VSIP_MEM_NONE);
            for (std::size_t i = 0; i < block.size(); ++i)
                vsip_vput_f(xv, i, static_cast<float>(block[i].real()));
            count = vsip_firflt_f(fir_, xv, yv);
            for (int i = 0; i < count; ++i)
                y.emplace_back(vsip_vget_f(yv, i), 0.0);
            vsip_valldestroy_f(xv);
            vsip_valldestroy_f(yv);
        }
        return y;
    }

    vsip_fir_f *fir_ = nullptr;
    vsip_cfir_f *cfir_ = nullptr;

private:
    bool complex_;
    vsip_length N_;
};

const char *kind(bool complex) { return complex ? "complex" : "real"; }

// ---- One signal in blocks --------------------------------------------------

struct StreamCase {
    std::size_t kernel_len; // caller kernel length L
    int symm;
};

class FirStream : public ::testing::TestWithParam<std::tuple<bool, StreamCase>> {};

// Every block length 1 .. 2M and decimation 1 .. 5 with state save: the
// outputs of all calls, in order, are the decimated outputs of the whole
// signal, and each call reports the outputs that fall in its block.
TEST_P(FirStream, BlocksContinueOneSignal) {
    const bool complex = std::get<0>(GetParam());
    const StreamCase c = std::get<1>(GetParam());
    const std::vector<cd> kernel = signal(c.kernel_len, complex, 7);
    const std::vector<cd> h = full_kernel(kernel, c.symm);
    const std::size_t M = h.size();
    for (std::size_t N = 1; N <= 2 * M; ++N)
        for (std::size_t D = 1; D <= 5; ++D) {
            SCOPED_TRACE(std::string(kind(complex)) + " M=" + std::to_string(M) + " N=" +
                         std::to_string(N) + " D=" + std::to_string(D));
            const std::size_t blocks = std::max<std::size_t>(3, (3 * M + 2 * D) / N + 1);
            const std::vector<cd> x = signal(blocks * N, complex, static_cast<std::uint32_t>(N * 31 + D));
            Filter f(complex, kernel, c.symm, N, D, VSIP_STATE_SAVE);
            ASSERT_TRUE(f.made());
            std::size_t q = 0; // next output position of the whole signal
            for (std::size_t b = 0; b < blocks; ++b) {
                const std::vector<cd> block(x.begin() + b * N, x.begin() + (b + 1) * N);
                const std::vector<cd> y = f.run(block);
                std::size_t expected = 0;
                for (std::size_t r = q; r < (b + 1) * N; r += D)
                    ++expected;
                ASSERT_EQ(y.size(), expected) << "block " << b;
                for (const cd &v : y) {
                    const ref_value want = direct(h, x, q);
                    ASSERT_TRUE(close(v, want, M))
                        << "block " << b << " position " << q << ": " << v << " want " << want.value;
                    q += D;
                }
            }
        }
}

INSTANTIATE_TEST_SUITE_P(
    Fir, FirStream,
    ::testing::Combine(::testing::Bool(),
                       ::testing::Values(StreamCase{1, VSIP_NONSYM}, StreamCase{3, VSIP_NONSYM},
                                         StreamCase{8, VSIP_NONSYM}, StreamCase{9, VSIP_NONSYM},
                                         StreamCase{17, VSIP_NONSYM},
                                         StreamCase{5, VSIP_SYM_EVEN_LEN_ODD},
                                         StreamCase{4, VSIP_SYM_EVEN_LEN_EVEN})),
    [](const auto &info) {
        const StreamCase c = std::get<1>(info.param);
        return std::string(kind(std::get<0>(info.param))) + "_L" + std::to_string(c.kernel_len) +
               "_symm" + std::to_string(c.symm);
    });

// Without state every block is filtered as if preceded by zeros, from
// phase 0.
TEST_P(FirStream, NoSaveBlocksAreIndependent) {
    const bool complex = std::get<0>(GetParam());
    const StreamCase c = std::get<1>(GetParam());
    const std::vector<cd> kernel = signal(c.kernel_len, complex, 9);
    const std::vector<cd> h = full_kernel(kernel, c.symm);
    const std::size_t M = h.size();
    for (std::size_t N : {std::size_t{1}, M / 2 + 1, M, 2 * M + 3})
        for (std::size_t D : {1, 2, 5}) {
            SCOPED_TRACE(std::string(kind(complex)) + " N=" + std::to_string(N) + " D=" + std::to_string(D));
            Filter f(complex, kernel, c.symm, N, D, VSIP_STATE_NO_SAVE);
            ASSERT_TRUE(f.made());
            for (std::uint32_t b = 0; b < 3; ++b) {
                const std::vector<cd> x = signal(N, complex, 100 + b);
                const std::vector<cd> y = f.run(x);
                ASSERT_EQ(y.size(), (N + D - 1) / D);
                for (std::size_t n = 0; n < y.size(); ++n)
                    ASSERT_TRUE(close(y[n], direct(h, x, n * D), M)) << "block " << b << " output " << n;
            }
        }
}

// ---- Worked examples ---------------------------------------------------------

struct ExampleCase {
    const char *name;
    int state;
    vsip_length N, D;
    std::vector<double> x;                   // fed in blocks of N
    std::vector<std::vector<double>> calls;  // outputs of each call
};

class FirExample : public ::testing::TestWithParam<ExampleCase> {};

// Kernel [1, 2, 3]: exact small integers, so the values compare exactly.
TEST_P(FirExample, KernelOneTwoThree) {
    const ExampleCase &c = GetParam();
    for (bool complex : {false, true}) {
        Filter f(complex, {1.0, 2.0, 3.0}, VSIP_NONSYM, c.N, c.D, c.state);
        ASSERT_TRUE(f.made());
        for (std::size_t b = 0; b < c.calls.size(); ++b) {
            std::vector<cd> block;
            for (std::size_t i = 0; i < c.N; ++i)
                block.emplace_back(c.x[b * c.N + i], complex ? -c.x[b * c.N + i] : 0.0);
            const std::vector<cd> y = f.run(block);
            std::vector<double> re, im;
            for (const cd &v : y) {
                re.push_back(v.real());
                im.push_back(v.imag());
            }
            EXPECT_EQ(re, c.calls[b]) << kind(complex) << " call " << b;
            if (complex) {
                std::vector<double> neg;
                for (double v : c.calls[b])
                    neg.push_back(-v);
                EXPECT_EQ(im, neg) << "call " << b;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fir, FirExample,
    ::testing::Values(
        // The same as the 8 samples at once: 1, 4, 10, 16, 22, 28, 34, 40.
        ExampleCase{"save_two_blocks", VSIP_STATE_SAVE, 4, 1, {1, 2, 3, 4, 5, 6, 7, 8},
                    {{1, 4, 10, 16}, {22, 28, 34, 40}}},
        ExampleCase{"no_save_two_blocks", VSIP_STATE_NO_SAVE, 4, 1, {1, 2, 3, 4, 5, 6, 7, 8},
                    {{1, 4, 10, 16}, {5, 16, 34, 40}}},
        // D = 2, N = 5: positions 0, 2, 4 (p' = 1), then 6, 8 (positions 1
        // and 3 of the second block, p' = 0), then 10, 12, 14.
        ExampleCase{"decimate_phase", VSIP_STATE_SAVE, 5, 2,
                    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
                    {{1, 10, 22}, {34, 46}, {58, 70, 82}}},
        // Decimation above the block length: one output every third block.
        ExampleCase{"decimation_above_block", VSIP_STATE_SAVE, 2, 5,
                    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                    {{1}, {}, {28}, {}, {}, {58}}},
        // Blocks shorter than the kernel.
        ExampleCase{"one_sample_blocks", VSIP_STATE_SAVE, 1, 1, {1, 2, 3, 4, 5},
                    {{1}, {4}, {10}, {16}, {22}}}),
    [](const auto &info) { return std::string(info.param.name); });

// out_len = ceil(N / D) whatever the phase; the other fields as created.
TEST(Fir, Attributes) {
    struct Row {
        std::size_t L;
        int symm;
        vsip_length N, D;
        int state;
        vsip_length M, out_len;
    };
    const Row rows[] = {{3, VSIP_NONSYM, 5, 2, VSIP_STATE_SAVE, 3, 3},
                        {2, VSIP_SYM_EVEN_LEN_ODD, 10, 3, VSIP_STATE_NO_SAVE, 3, 4},
                        {2, VSIP_SYM_EVEN_LEN_EVEN, 7, 7, VSIP_STATE_SAVE, 4, 1},
                        {9, VSIP_NONSYM, 3, 5, VSIP_STATE_SAVE, 9, 1}};
    for (const Row &r : rows)
        for (bool complex : {false, true}) {
            Filter f(complex, signal(r.L, complex, 1), r.symm, r.N, r.D, r.state);
            ASSERT_TRUE(f.made());
            f.run(signal(r.N, complex, 2)); // moves the phase
            vsip_fir_attr a{};
            if (complex) {
                vsip_cfir_attr ca{};
                vsip_cfir_getattr_f(f.cfir_, &ca);
                a = {ca.kernel_len, ca.symm, ca.in_len, ca.out_len, ca.decimation, ca.state};
            } else {
                vsip_fir_getattr_f(f.fir_, &a);
            }
            EXPECT_EQ(a.kernel_len, r.M);
            EXPECT_EQ(a.symm, r.symm);
            EXPECT_EQ(a.in_len, r.N);
            EXPECT_EQ(a.out_len, r.out_len);
            EXPECT_EQ(a.decimation, r.D);
            EXPECT_EQ(a.state, r.state);
        }
}

// The impulse response is the full kernel: [a, b, a] and [a, b, b, a] for
// real kernels; the complex mirror is conjugated except the middle element.
TEST(Fir, SymmetricKernels) {
    struct Row {
        int symm;
        bool complex;
        std::vector<cd> kernel, response;
    };
    const cd a(1.5, 0.25), b(-2, 3);
    const Row rows[] = {
        {VSIP_SYM_EVEN_LEN_ODD, false, {1.5, -2}, {1.5, -2, 1.5}},
        {VSIP_SYM_EVEN_LEN_EVEN, false, {1.5, -2}, {1.5, -2, -2, 1.5}},
        {VSIP_SYM_EVEN_LEN_ODD, true, {a, b}, {a, b, std::conj(a)}},
        {VSIP_SYM_EVEN_LEN_EVEN, true, {a, b}, {a, b, std::conj(b), std::conj(a)}},
        {VSIP_SYM_EVEN_LEN_ODD, true, {a}, {a}},
    };
    for (const Row &r : rows) {
        std::vector<cd> impulse(6, 0.0);
        impulse[0] = 1.0;
        Filter f(r.complex, r.kernel, r.symm, impulse.size(), 1, VSIP_STATE_NO_SAVE);
        ASSERT_TRUE(f.made());
        std::vector<cd> y = f.run(impulse);
        ASSERT_EQ(y.size(), impulse.size());
        y.resize(r.response.size());
        EXPECT_EQ(y, r.response) << kind(r.complex) << " symm " << r.symm;
    }
}

TEST(Fir, CreationRefusesWhatMakesNoFilter) {
    struct Row {
        std::size_t L;
        int symm;
        vsip_length D;
    };
    const Row rows[] = {{3, 3, 1}, {3, -1, 1}, {0, VSIP_NONSYM, 1}, {0, VSIP_SYM_EVEN_LEN_ODD, 1},
                        {3, VSIP_NONSYM, 0}};
    for (const Row &r : rows)
        for (bool complex : {false, true}) {
            Filter f(complex, signal(r.L, complex, 3), r.symm, 8, r.D, VSIP_STATE_SAVE);
            EXPECT_FALSE(f.made()) << kind(complex) << " L=" << r.L << " symm=" << r.symm << " D=" << r.D;
        }
}

// ---- Main-region arithmetic -------------------------------------------------

// Outputs whose window lies inside the block are eight float lane sums over
// the time-reversed kernel (zeros past M), added in lane order onto 0: the
// real filter rounds each product before adding it, the complex one uses
// fused multiply-adds.  Compared bit for bit.
TEST(Fir, MainRegionLaneSums) {
    struct Row {
        std::size_t M, N, D;
    };
    const Row rows[] = {{9, 40, 1}, {16, 64, 3}, {33, 100, 2}, {8, 8, 1}};
    for (const Row &r : rows)
        for (bool complex : {false, true}) {
            SCOPED_TRACE(std::string(kind(complex)) + " M=" + std::to_string(r.M));
            const std::vector<cd> h = signal(r.M, complex, 31), x = signal(r.N, complex, 32);
            Filter f(complex, h, VSIP_NONSYM, r.N, r.D, VSIP_STATE_SAVE);
            const std::vector<cd> y = f.run(x);
            const std::size_t groups = (r.M + 7) / 8;
            for (std::size_t n = (r.M - 1 + r.D - 1) / r.D; n < y.size(); ++n) {
                float re[8] = {}, im[8] = {};
                for (std::size_t j = 0; j < 8 * groups; ++j) {
                    const bool in = j < r.M;
                    const cd k = in ? h[r.M - 1 - j] : 0.0, w = in ? x[n * r.D - (r.M - 1) + j] : 0.0;
                    const float kr = static_cast<float>(k.real()), ki = static_cast<float>(k.imag());
                    const float wr = static_cast<float>(w.real()), wi = static_cast<float>(w.imag());
                    if (complex) {
                        re[j % 8] = std::fmaf(-wi, ki, std::fmaf(wr, kr, re[j % 8]));
                        im[j % 8] = std::fmaf(wi, kr, std::fmaf(wr, ki, im[j % 8]));
                    } else {
                        re[j % 8] = re[j % 8] + kr * wr;
                    }
                }
                float sr = 0.0f, si = 0.0f;
                for (int j = 0; j < 8; ++j) {
                    sr = sr + re[j];
                    si = si + im[j];
                }
                EXPECT_EQ(bits(static_cast<float>(y[n].real())), bits(sr)) << "output " << n;
                EXPECT_EQ(bits(static_cast<float>(y[n].imag())), bits(si)) << "output " << n;
            }
        }
}

// ---- View layouts ------------------------------------------------------------

struct LayoutCase {
    vsip_length M, N, D;
};

class FirLayouts : public ::testing::TestWithParam<LayoutCase> {};

// Every input and output layout: the outputs at the output view's own
// positions, nothing else written, the input unchanged; two saving calls
// so the history is taken from the laid-out input.  Nothing allocates (a
// strided input and a block shorter than the kernel go through the
// filter's own work area).
TEST_P(FirLayouts, Real) {
    const LayoutCase c = GetParam();
    const std::vector<cd> kernel = signal(c.M, false, 11);
    const std::vector<cd> x = signal(2 * c.N, false, 12);
    const vsip_length out = (c.N + c.D - 1) / c.D;
    for (Layout lx : kAllLayouts)
        for (Layout ly : kAllLayouts) {
            SCOPED_TRACE(std::string(name(lx)) + " -> " + name(ly));
            Filter f(false, kernel, VSIP_NONSYM, c.N, c.D, VSIP_STATE_SAVE);
            std::size_t q = 0;
            for (std::size_t b = 0; b < 2; ++b) {
                std::vector<float> in, guard(out, kGuard);
                for (std::size_t i = 0; i < c.N; ++i)
                    in.push_back(static_cast<float>(x[b * c.N + i].real()));
                RealVec xv(lx, in), yv(ly, guard);
                FailingAllocator counting(0);
                const int count = vsip_firflt_f(f.fir_, xv.view(), yv.view());
                EXPECT_EQ(counting.calls(), 0);
                EXPECT_EQ(counting.live(), 0u);
                for (int n = 0; n < count; ++n, q += c.D)
                    ASSERT_TRUE(close(yv[n], direct(kernel, x, q), c.M)) << "block " << b << " output " << n;
                for (std::size_t n = count; n < out; ++n)
                    EXPECT_EQ(yv[n], kGuard);
                EXPECT_TRUE(yv.guards_intact());
                EXPECT_TRUE(xv.guards_intact());
                EXPECT_EQ(xv.values(), in);
            }
        }
}

TEST_P(FirLayouts, Complex) {
    const LayoutCase c = GetParam();
    const std::vector<cd> kernel = signal(c.M, true, 13);
    const std::vector<cd> x = signal(2 * c.N, true, 14);
    const vsip_length out = (c.N + c.D - 1) / c.D;
    for (CLayout lx : kAllCLayouts)
        for (CLayout ly : kAllCLayouts) {
            SCOPED_TRACE(std::string(name(lx)) + " -> " + name(ly));
            Filter f(true, kernel, VSIP_NONSYM, c.N, c.D, VSIP_STATE_SAVE);
            std::size_t q = 0;
            for (std::size_t b = 0; b < 2; ++b) {
                std::vector<cf> in, guard(out, cf{kGuard, kGuard});
                for (std::size_t i = 0; i < c.N; ++i)
                    in.push_back(cf{static_cast<float>(x[b * c.N + i].real()),
                                    static_cast<float>(x[b * c.N + i].imag())});
                CplxVec xv(lx, in), yv(ly, guard);
                FailingAllocator counting(0);
                int count = 0;
                capture_stdout([&] { count = vsip_cfirflt_f(f.cfir_, xv.view(), yv.view()); });
                EXPECT_EQ(counting.calls(), 0);
                EXPECT_EQ(counting.live(), 0u);
                for (int n = 0; n < count; ++n, q += c.D)
                    ASSERT_TRUE(close(cd(yv[n].re, yv[n].im), direct(kernel, x, q), c.M))
                        << "block " << b << " output " << n;
                EXPECT_TRUE(yv.guards_intact());
                EXPECT_TRUE(xv.guards_intact());
                for (std::size_t i = 0; i < c.N; ++i)
                    EXPECT_TRUE(xv[i].re == in[i].re && xv[i].im == in[i].im);
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Fir, FirLayouts,
                         ::testing::Values(LayoutCase{9, 20, 1}, LayoutCase{9, 20, 3},
                                           LayoutCase{3, 8, 2}, LayoutCase{9, 4, 2},
                                           LayoutCase{16, 40, 7}),
                         [](const auto &info) {
                             return "M" + std::to_string(info.param.M) + "_N" +
                                    std::to_string(info.param.N) + "_D" +
                                    std::to_string(info.param.D);
                         });

// ---- The complex kernel choice and its log line ------------------------------

struct LogCase {
    CLayout x, y;
    vsip_length M;
    const char *line; // expected standard output
};

class FirLog : public ::testing::TestWithParam<LogCase> {};

// Split storage takes the fast kernel silently; an interleaved input or
// output takes the default kernel with one WARNING line per call, and the
// values agree.
TEST_P(FirLog, DefaultKernelOnInterleavedStorage) {
    const LogCase c = GetParam();
    ScopedEnv level("VSIP_LOG_LEVEL", std::nullopt);
    const vsip_length N = 30, D = 2;
    const std::vector<cd> kernel = signal(c.M, true, 21);
    const std::vector<cd> x = signal(N, true, 22);
    std::vector<cf> in, guard((N + D - 1) / D, cf{kGuard, kGuard});
    for (const cd &v : x)
        in.push_back(cf{static_cast<float>(v.real()), static_cast<float>(v.imag())});
    CplxVec xv(c.x, in), yv(c.y, guard);
    Filter f(true, kernel, VSIP_NONSYM, N, D, VSIP_STATE_SAVE);
    int count = 0;
    const std::string text = capture_stdout([&] { count = vsip_cfirflt_f(f.cfir_, xv.view(), yv.view()); });
    EXPECT_EQ(text, c.line);
    ASSERT_EQ(count, 15);
    for (int n = 0; n < count; ++n)
        EXPECT_TRUE(close(cd(yv[n].re, yv[n].im), direct(kernel, x, n * D), c.M)) << n;
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    EXPECT_EQ(capture_stdout([&] { vsip_cfirflt_f(f.cfir_, xv.view(), yv.view()); }), "");
}

INSTANTIATE_TEST_SUITE_P(
    Fir, FirLog,
    ::testing::Values(
        LogCase{CLayout::Split, CLayout::Split, 9, ""},
        LogCase{CLayout::SplitNegative, CLayout::InterleavedStride2, 9, ""},
        LogCase{CLayout::Interleaved, CLayout::Split, 9,
                "[\033[1;33mWARNING\033[0m] \033[1;37mfunc=vsip_cfirflt_f, use default kernel, "
                "kernel_ymm_num=2\033[0m\n"},
        LogCase{CLayout::Split, CLayout::Interleaved, 8,
                "[\033[1;33mWARNING\033[0m] \033[1;37mfunc=vsip_cfirflt_f, use default kernel, "
                "kernel_ymm_num=1\033[0m\n"},
        LogCase{CLayout::Interleaved, CLayout::Interleaved, 17,
                "[\033[1;33mWARNING\033[0m] \033[1;37mfunc=vsip_cfirflt_f, use default kernel, "
                "kernel_ymm_num=3\033[0m\n"},
        // A block shorter than the kernel takes the same choice.
        LogCase{CLayout::Interleaved, CLayout::Split, 40,
                "[\033[1;33mWARNING\033[0m] \033[1;37mfunc=vsip_cfirflt_f, use default kernel, "
                "kernel_ymm_num=5\033[0m\n"}),
    [](const auto &info) {
        return std::string(name(info.param.x)) + "_to_" + name(info.param.y) + "_M" +
               std::to_string(info.param.M);
    });

// ---- Allocation ----------------------------------------------------------------

// Every allocation of each creator fails in turn: null, nothing left.
TEST(Fir, CreationAllocationFailuresLeaveNothing) {
    for (bool complex : {false, true})
        for (int symm : {VSIP_NONSYM, VSIP_SYM_EVEN_LEN_ODD, VSIP_SYM_EVEN_LEN_EVEN}) {
            vsip_vview_f *rk = vsip_vcreate_f(5, VSIP_MEM_NONE);
            vsip_cvview_f *ck = vsip_cvcreate_f(5, VSIP_MEM_NONE);
            vsip_vfill_f(0.5f, rk);
            vsip_cvfill_f(vsip_cmplx_f(0.5f, -1.0f), ck);
            const auto sy = static_cast<vsip_symmetry>(symm);
            std::string problem;
            const long calls =
                complex ? for_every_failing_allocation<vsip_cfir_f>(
                              [&] { return vsip_cfir_create_f(ck, sy, 16, 2, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME); },
                              [](vsip_cfir_f *f) { vsip_cfir_destroy_f(f); }, &problem)
                        : for_every_failing_allocation<vsip_fir_f>(
                              [&] { return vsip_fir_create_f(rk, sy, 16, 2, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME); },
                              [](vsip_fir_f *f) { vsip_fir_destroy_f(f); }, &problem);
            EXPECT_GT(calls, 0) << kind(complex) << " symm " << symm << ": " << problem;
            vsip_valldestroy_f(rk);
            vsip_cvalldestroy_f(ck);
        }
}

// A strided input goes through the filter's own work area: with every
// allocation failing, the call takes no request and filters as usual.
TEST(Fir, StridedInputTakesNoAllocation) {
    const vsip_length M = 9, N = 20, D = 3, out = 7;
    for (bool complex : {false, true}) {
        SCOPED_TRACE(kind(complex));
        const std::vector<cd> kernel = signal(M, complex, 5), x = signal(N, complex, 6);
        std::vector<float> rin;
        std::vector<cf> cin;
        for (const cd &v : x) {
            rin.push_back(static_cast<float>(v.real()));
            cin.push_back(cf{static_cast<float>(v.real()), static_cast<float>(v.imag())});
        }
        RealVec rx(Layout::Stride2, rin), ry(Layout::Unit, std::vector<float>(out, kGuard));
        CplxVec cx(CLayout::SplitNegative, cin), cy(CLayout::Split, std::vector<cf>(out, cf{kGuard, kGuard}));
        Filter f(complex, kernel, VSIP_NONSYM, N, D, VSIP_STATE_SAVE);
        auto call = [&] {
            return complex ? vsip_cfirflt_f(f.cfir_, cx.view(), cy.view())
                           : vsip_firflt_f(f.fir_, rx.view(), ry.view());
        };
        {
            FailingAllocator failing(1);
            ASSERT_EQ(call(), static_cast<int>(out));
            EXPECT_EQ(failing.calls(), 0);
        }
        EXPECT_TRUE(complex ? cy.guards_intact() : ry.guards_intact());
        for (vsip_length n = 0; n < out; ++n) {
            const cd got = complex ? cd(cy[n].re, cy[n].im) : cd(ry[n], 0.0);
            EXPECT_TRUE(close(got, direct(kernel, x, n * D), M)) << n;
        }
    }
}

TEST(Fir, DestroyAcceptsNull) {
    EXPECT_EQ(vsip_fir_destroy_f(nullptr), 0);
    EXPECT_EQ(vsip_cfir_destroy_f(nullptr), 0);
}

} // namespace
