// Matrix products against a double-precision reference over every operand
// layout (row- and column-major, padded, reversed, no unit stride, element
// stride 2, split and interleaved complex), every operand operation, and
// the log lines of the copies, conjugations and fallbacks byte for byte.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <limits>
#include <string>
#include <vector>

#include "product_support.hpp"
#include "support.hpp"

// ---- CBLAS call log: the gemm calls are recorded, then forwarded. ----------------

namespace {
struct GemmCall {
    int order, ta, tb, m, n, k, lda, ldb, ldc;
};
std::vector<GemmCall> gemm_calls;
template <class Fn>
Fn next_symbol(const char *name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" void cblas_sgemm(int o, int ta, int tb, int m, int n, int k, float alpha, const float *a, int lda,
                            const float *b, int ldb, float beta, float *c, int ldc) {
    gemm_calls.push_back({o, ta, tb, m, n, k, lda, ldb, ldc});
    static auto real = next_symbol<decltype(&cblas_sgemm)>("cblas_sgemm");
    real(o, ta, tb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
}
extern "C" void cblas_cgemm(int o, int ta, int tb, int m, int n, int k, const void *alpha, const void *a,
                            int lda, const void *b, int ldb, const void *beta, void *c, int ldc) {
    gemm_calls.push_back({o, ta, tb, m, n, k, lda, ldb, ldc});
    static auto real = next_symbol<decltype(&cblas_cgemm)>("cblas_cgemm");
    real(o, ta, tb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
}

namespace {

using namespace vsiptest;

struct Shape {
    std::size_t m, k, n;
};
std::ostream &operator<<(std::ostream &os, const Shape &s) {
    return os << s.m << "x" << s.k << "x" << s.n;
}
// Single rows and columns are the cases where one stride does not matter
// and a leading dimension of 1 would be refused by CBLAS.
const Shape kShapes[] = {{3, 4, 5}, {1, 4, 5}, {4, 1, 3}, {3, 5, 1}, {1, 1, 1}, {2, 0, 3}};

std::size_t rows_of(vsip_mat_op op, std::size_t r, std::size_t c) {
    return op == VSIP_MAT_TRANS || op == VSIP_MAT_HERM ? c : r;
}

// ---- Real products over every layout triple --------------------------------

enum class RealFn { Mprod, Mprodt, Gemp };

struct RealCase {
    RealFn fn;
    vsip_mat_op op_a, op_b;
    float alpha, beta;
};
std::ostream &operator<<(std::ostream &os, const RealCase &c) {
    static const char *names[] = {"mprod", "mprodt", "gemp"};
    return os << names[static_cast<int>(c.fn)] << " ops " << c.op_a << c.op_b << " alpha " << c.alpha
              << " beta " << c.beta;
}

class RealProducts : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealProducts, EveryLayoutTripleMatchesTheReference) {
    const RealCase &rc = GetParam();
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    const vsip_mat_op op_b = rc.fn == RealFn::Mprodt ? VSIP_MAT_TRANS : rc.op_b;
    for (const Shape &s : kShapes)
        for (const Storage &sa : real_storages())
            for (const Storage &sb : real_storages())
                for (const Storage &sc : real_storages()) {
                    Operand a(sa, rows_of(rc.op_a, s.m, s.k), rows_of(rc.op_a, s.k, s.m), 1);
                    Operand b(sb, rows_of(op_b, s.k, s.n), rows_of(op_b, s.n, s.k), 2);
                    Operand c(sc, s.m, s.n, 3);
                    const std::vector<cd> before = snapshot(c);
                    cd alpha = 1, beta = 0;
                    switch (rc.fn) {
                    case RealFn::Mprod: vsip_mprod_f(a.real(), b.real(), c.real()); break;
                    case RealFn::Mprodt: vsip_mprodt_f(a.real(), b.real(), c.real()); break;
                    case RealFn::Gemp:
                        vsip_gemp_f(rc.alpha, a.real(), rc.op_a, b.real(), rc.op_b, rc.beta, c.real());
                        alpha = rc.alpha, beta = rc.beta;
                        break;
                    }
                    const std::string problem = check_product(a, rc.op_a, b, op_b, alpha, beta, before, c);
                    ASSERT_EQ(problem, "") << s << " A " << sa << " B " << sb << " C " << sc;
                }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RealProducts,
    ::testing::Values(RealCase{RealFn::Mprod, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS, 1, 0},
                      RealCase{RealFn::Mprodt, VSIP_MAT_NTRANS, VSIP_MAT_TRANS, 1, 0},
                      RealCase{RealFn::Gemp, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS, 1.5f, -0.5f},
                      RealCase{RealFn::Gemp, VSIP_MAT_TRANS, VSIP_MAT_NTRANS, -2.0f, 1.0f},
                      RealCase{RealFn::Gemp, VSIP_MAT_NTRANS, VSIP_MAT_TRANS, 0.25f, 0.0f},
                      RealCase{RealFn::Gemp, VSIP_MAT_TRANS, VSIP_MAT_TRANS, 1.0f, 2.0f}));

// VSIP_MAT_HERM and VSIP_MAT_CONJ leave a real operand as it is.
TEST(RealProducts, GempTransposesOnlyForTrans) {
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    for (vsip_mat_op op : {VSIP_MAT_HERM, VSIP_MAT_CONJ}) {
        Operand a({MLayout::RowMajor, Storage::Plain}, 3, 4, 1), b({MLayout::ColMajor, Storage::Plain}, 4, 2, 2);
        Operand c({MLayout::RowMajor, Storage::Plain}, 3, 2, 3);
        const std::vector<cd> before = snapshot(c);
        vsip_gemp_f(2.0f, a.real(), op, b.real(), op, 1.0f, c.real());
        EXPECT_EQ(check_product(a, VSIP_MAT_NTRANS, b, VSIP_MAT_NTRANS, 2.0, 1.0, before, c), "") << op;
    }
}

// ---- Complex products over every layout pair, C in three layouts ------------

enum class CplxFn { Cmprod, Cgemp };

struct CplxCase {
    CplxFn fn;
    vsip_mat_op op_a, op_b;
};
std::ostream &operator<<(std::ostream &os, const CplxCase &c) {
    return os << (c.fn == CplxFn::Cmprod ? "cmprod" : "cgemp") << " ops " << c.op_a << c.op_b;
}

class ComplexProducts : public ::testing::TestWithParam<CplxCase> {};

TEST_P(ComplexProducts, EveryLayoutPairMatchesTheReference) {
    const CplxCase &cc = GetParam();
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    const Storage c_storages[] = {{MLayout::RowMajor, Storage::Interleaved},
                                  {MLayout::ColMajor, Storage::Interleaved},
                                  {MLayout::EveryOther, Storage::Split}};
    const vsip_cscalar_f alpha = cc.fn == CplxFn::Cgemp ? vsip_cscalar_f{0.5f, -1.25f} : vsip_cscalar_f{1, 0};
    const vsip_cscalar_f beta = cc.fn == CplxFn::Cgemp ? vsip_cscalar_f{-1.0f, 0.5f} : vsip_cscalar_f{0, 0};
    for (const Shape &s : {kShapes[0], kShapes[1], kShapes[3]})
        for (const Storage &sa : complex_storages())
            for (const Storage &sb : complex_storages())
                for (const Storage &sc : c_storages) {
                    Operand a(sa, rows_of(cc.op_a, s.m, s.k), rows_of(cc.op_a, s.k, s.m), 1);
                    Operand b(sb, rows_of(cc.op_b, s.k, s.n), rows_of(cc.op_b, s.n, s.k), 2);
                    Operand c(sc, s.m, s.n, 3);
                    const std::vector<cd> before = snapshot(c);
                    if (cc.fn == CplxFn::Cmprod)
                        vsip_cmprod_f(a.complex(), b.complex(), c.complex());
                    else
                        vsip_cgemp_f(alpha, a.complex(), cc.op_a, b.complex(), cc.op_b, beta, c.complex());
                    const std::string problem = check_product(a, cc.op_a, b, cc.op_b, cd(alpha.r, alpha.i),
                                                              cd(beta.r, beta.i), before, c);
                    ASSERT_EQ(problem, "") << s << " A " << sa << " B " << sb << " C " << sc;
                }
}

std::vector<CplxCase> complex_cases() {
    std::vector<CplxCase> v{{CplxFn::Cmprod, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS}};
    for (vsip_mat_op a : {VSIP_MAT_NTRANS, VSIP_MAT_TRANS, VSIP_MAT_HERM, VSIP_MAT_CONJ})
        for (vsip_mat_op b : {VSIP_MAT_NTRANS, VSIP_MAT_TRANS, VSIP_MAT_HERM, VSIP_MAT_CONJ})
            v.push_back({CplxFn::Cgemp, a, b});
    return v;
}
INSTANTIATE_TEST_SUITE_P(Table, ComplexProducts, ::testing::ValuesIn(complex_cases()));

// ---- Log lines ---------------------------------------------------------------

std::string info(const char *fn, const char *msg) { return log_line("INFO", fn, msg); }

TEST(ProductLog, CopiesConjugationsAndFallbacksByteForByte) {
    ScopedEnv level("VSIP_LOG_LEVEL", std::nullopt);
    const Storage row{MLayout::RowMajor, Storage::Plain}, col{MLayout::ColMajor, Storage::Plain};
    const Storage odd{MLayout::EveryOther, Storage::Plain};
    const Storage irow{MLayout::RowMajor, Storage::Interleaved}, icol{MLayout::ColMajor, Storage::Interleaved};
    const Storage split{MLayout::RowMajor, Storage::Split};
    struct Row {
        const char *what;
        Storage a, b, c;
        int fn; // 0 mprod, 1 mprodt, 2 gemp, 3 cmprod, 4 cgemp
        vsip_mat_op op_a, op_b;
        std::string expected;
    } rows[] = {
        {"unit strides copy nothing", col, row, row, 0, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS, ""},
        {"mprod A", odd, row, row, 0, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS, info("vsip_mprod_f", "copy a")},
        {"mprod B, C", row, odd, odd, 0, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS,
         info("vsip_mprod_f", "copy b") + info("vsip_mprod_f", "copy r")},
        {"mprodt all", odd, odd, odd, 1, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS,
         info("vsip_mprodt_f", "Copy a") + info("vsip_mprodt_f", "Copy b") + info("vsip_mprodt_f", "Copy c")},
        {"gemp newline texts", odd, odd, odd, 2, VSIP_MAT_TRANS, VSIP_MAT_NTRANS,
         info("vsip_gemp_f", "copy a.\n") + info("vsip_gemp_f", "copy b.\n") + info("vsip_gemp_f", "copy c.\n")},
        {"cmprod split", split, split, split, 3, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS,
         info("vsip_cmprod_f", "copy a.") + info("vsip_cmprod_f", "copy b.") + info("vsip_cmprod_f", "copy c.")},
        {"cmprod interleaved", irow, icol, irow, 3, VSIP_MAT_NTRANS, VSIP_MAT_NTRANS, ""},
        {"cgemp conj same layout", irow, irow, irow, 4, VSIP_MAT_CONJ, VSIP_MAT_CONJ,
         info("vsip_cgemp_f", "Do the conjugation in advance on A.") +
             info("vsip_cgemp_f", "Do the conjugation in advance on B.")},
        {"cgemp herm is ConjTrans", irow, irow, irow, 4, VSIP_MAT_HERM, VSIP_MAT_NTRANS, ""},
        {"cgemp conj other layout is ConjTrans", icol, irow, irow, 4, VSIP_MAT_CONJ, VSIP_MAT_NTRANS, ""},
        {"cgemp conj copied, C column-major", split, icol, icol, 4, VSIP_MAT_CONJ, VSIP_MAT_NTRANS,
         info("vsip_cgemp_f", "copy a.")},
        {"cgemp conj copied, C row-major", split, irow, irow, 4, VSIP_MAT_CONJ, VSIP_MAT_NTRANS,
         info("vsip_cgemp_f", "copy a.") + info("vsip_cgemp_f", "Do the conjugation in advance on A.")},
    };
    for (const Row &r : rows) {
        const std::size_t m = 3, k = 4, n = 2;
        const vsip_mat_op op_b = r.fn == 1 ? VSIP_MAT_TRANS : r.op_b; // mprodt takes B as N x K
        Operand a(r.a, rows_of(r.op_a, m, k), rows_of(r.op_a, k, m), 1);
        Operand b(r.b, rows_of(op_b, k, n), rows_of(op_b, n, k), 2);
        Operand c(r.c, m, n, 3);
        const std::vector<cd> before = snapshot(c);
        const std::string text = capture_stdout([&] {
            switch (r.fn) {
            case 0: vsip_mprod_f(a.real(), b.real(), c.real()); break;
            case 1: vsip_mprodt_f(a.real(), b.real(), c.real()); break;
            case 2: vsip_gemp_f(1.0f, a.real(), r.op_a, b.real(), r.op_b, 0.0f, c.real()); break;
            case 3: vsip_cmprod_f(a.complex(), b.complex(), c.complex()); break;
            case 4: vsip_cgemp_f({1, 0}, a.complex(), r.op_a, b.complex(), r.op_b, {0, 0}, c.complex()); break;
            }
        });
        EXPECT_EQ(text, r.expected) << r.what;
        EXPECT_EQ(check_product(a, r.op_a, b, op_b, 1.0, 0.0, before, c), "") << r.what;
    }
}

// The INFO lines follow VSIP_LOG_LEVEL.
TEST(ProductLog, InfoLinesFollowTheLevel) {
    const Storage odd{MLayout::EveryOther, Storage::Plain}, row{MLayout::RowMajor, Storage::Plain};
    for (const char *level : {"INFO", "DEBUG", "info", "WARNING", "ERROR"}) {
        ScopedEnv env("VSIP_LOG_LEVEL", std::string(level));
        Operand a(odd, 2, 2, 1), b(row, 2, 2, 2), c(row, 2, 2, 3);
        const std::string text = capture_stdout([&] { vsip_mprod_f(a.real(), b.real(), c.real()); });
        const bool shown = std::string(level) != "WARNING" && std::string(level) != "ERROR";
        EXPECT_EQ(text, shown ? info("vsip_mprod_f", "copy a") : "") << level;
    }
}

// ---- Temporaries that cannot be allocated ---------------------------------------

// Copies of a product's operands that fit 64 KiB take no allocation;
// larger ones take one temporary.  Failing it: the result is still right
// (the library's own loops), nothing stays allocated, and a complex
// product says it falls back.
TEST(ProductTemporaries, EveryFailingAllocationStillComputes) {
    ScopedEnv level("VSIP_LOG_LEVEL", std::nullopt);
    const Storage odd{MLayout::EveryOther, Storage::Plain};
    const Storage split{MLayout::ColPadded, Storage::Split};
    struct Size {
        std::size_t m, k, n;
        long requests; // 16384 floats of copies fit the stack buffer
    };
    // Real: A, B, C copied; complex: pairs of floats.
    const Size real_sizes[] = {{3, 4, 2, 0}, {130, 80, 30, 1}};
    const Size complex_sizes[] = {{3, 4, 2, 0}, {100, 40, 30, 1}};
    for (int fn = 0; fn < 3; ++fn)
        for (int big = 0; big < 2; ++big)
            for (long fail = 1; fail <= 2; ++fail) {
                const bool real = fn == 0;
                const Storage s = real ? odd : split;
                const Size z = real ? real_sizes[big] : complex_sizes[big];
                Operand a(s, z.m, z.k, 1), b(s, z.k, z.n, 2), c(s, z.m, z.n, 3);
                const std::vector<cd> before = snapshot(c);
                const vsip_mat_op op = fn == 2 ? VSIP_MAT_CONJ : VSIP_MAT_NTRANS;
                std::string text;
                long live = 0, calls = 0;
                {
                    FailingAllocator allocator(fail);
                    text = capture_stdout([&] {
                        if (fn == 0)
                            vsip_mprod_f(a.real(), b.real(), c.real());
                        else if (fn == 1)
                            vsip_cmprod_f(a.complex(), b.complex(), c.complex());
                        else
                            vsip_cgemp_f({1, 0}, a.complex(), op, b.complex(), op, {0, 0},
                                         c.complex());
                    });
                    live = static_cast<long>(allocator.live());
                    calls = allocator.calls();
                }
                const std::string where =
                    std::to_string(fn) + " size " + std::to_string(big) + " fail " + std::to_string(fail);
                EXPECT_EQ(calls, z.requests) << where;
                EXPECT_EQ(live, 0) << where;
                EXPECT_EQ(check_product(a, op, b, op, 1.0, 0.0, before, c), "") << where;
                const char *name = fn == 0 ? "vsip_mprod_f" : fn == 1 ? "vsip_cmprod_f" : "vsip_cgemp_f";
                const std::string fallback =
                    info(name, "Allocating a interleaved memory failed, use split memory.");
                const bool falls_back = !real && fail <= z.requests;
                EXPECT_EQ(text.find(fallback) != std::string::npos, falls_back) << where << text;
                if (real) {
                    EXPECT_EQ(text.find("Allocating"), std::string::npos) << text;
                }
            }
}

// With beta 0 the old contents of C are not read (NaN stays out).
TEST(RealProducts, BetaZeroIgnoresOldC) {
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (MLayout l : kProductMLayouts) {
        Mat<float> a(l, 2, 3, [](std::size_t i, std::size_t j) { return float(i + j); }, kGuard);
        Mat<float> b(l, 3, 2, [](std::size_t i, std::size_t j) { return float(i) - float(j); }, kGuard);
        Mat<float> c(l, 2, 2, [nan](std::size_t, std::size_t) { return nan; }, kGuard);
        vsip_mprod_f(a.view(), b.view(), c.view());
        for (std::size_t i = 0; i < 2; ++i)
            for (std::size_t j = 0; j < 2; ++j) {
                double want = 0;
                for (std::size_t q = 0; q < 3; ++q)
                    want += double(i + q) * (double(q) - double(j));
                EXPECT_EQ(c(i, j), want) << l;
            }
    }
}

// ---- Dot and matrix-vector products ----------------------------------------------

namespace dots {

std::vector<float> values(std::size_t n, int seed) {
    std::vector<float> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(value_at(seed, i, i / 3));
    return v;
}
std::vector<cf> cvalues(std::size_t n, int seed) {
    std::vector<cf> v;
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(cf{value_at(seed, i, 1), value_at(seed + 7, i, 2)});
    return v;
}
double bound(std::size_t n, double magnitude) { return 8.0 * (n + 2) * 0x1p-24 * magnitude + 1e-30; }

// Over every pair of layouts: the double reference within the bound, and
// off the unit-stride pass exactly the sequential single-precision sum.
TEST(DotProducts, RealEveryLayoutPair) {
    for (std::size_t n : {0, 1, 7, 33})
        for (Layout la : kAllLayouts)
            for (Layout lb : kAllLayouts) {
                const std::vector<float> x = values(n, 1), y = values(n, 2);
                RealVec a(la, x), b(lb, y);
                const float got = vsip_vdot_f(a.view(), b.view());
                double want = 0, mag = 0;
                float sequential = 0.0f;
                for (std::size_t i = 0; i < n; ++i) {
                    want += double(x[i]) * y[i];
                    mag += std::fabs(double(x[i]) * y[i]);
                    const float p = x[i] * y[i];
                    sequential = sequential + p;
                }
                EXPECT_LE(std::fabs(got - want), bound(n, mag)) << n << " " << la << " " << lb;
                if (!(la == Layout::Unit && lb == Layout::Unit)) {
                    EXPECT_EQ(bits(got), bits(sequential)) << n << " " << la << " " << lb;
                }
            }
}

TEST(DotProducts, ComplexEveryLayoutPair) {
    for (std::size_t n : {0, 1, 7, 8, 17, 33})
        for (CLayout la : kAllCLayouts)
            for (CLayout lb : kAllCLayouts) {
                const std::vector<cf> x = cvalues(n, 1), y = cvalues(n, 2);
                CplxVec a(la, x), b(lb, y);
                for (bool conj : {false, true}) {
                    const vsip_cscalar_f got = conj ? vsip_cvjdot_f(a.view(), b.view()) : vsip_cvdot_f(a.view(), b.view());
                    cd want = 0;
                    double mag = 0;
                    for (std::size_t i = 0; i < n; ++i) {
                        const cd yi(y[i].re, conj ? -y[i].im : y[i].im);
                        want += cd(x[i].re, x[i].im) * yi;
                        mag += std::abs(cd(x[i].re, x[i].im)) * std::abs(yi) * 2;
                    }
                    EXPECT_LE(std::abs(cd(got.r, got.i) - want), bound(n, mag))
                        << n << " " << la << " " << lb << " conj " << conj;
                }
            }
}

// y = A x and y = x^T A over every storage of A and every layout of x, y;
// nothing outside y is written.
TEST(MatrixVectorProducts, EveryLayout) {
    struct Dims {
        std::size_t m, n;
    };
    for (Dims d : {Dims{3, 4}, Dims{1, 5}, Dims{5, 1}, Dims{0, 3}, Dims{3, 0}})
        for (const Storage &sa : real_storages())
            for (Layout lx : kAllLayouts)
                for (Layout ly : kAllLayouts)
                    for (bool left : {false, true}) { // left: vmprod
                        Operand a(sa, d.m, d.n, 4);
                        const std::size_t in = left ? d.m : d.n, out = left ? d.n : d.m;
                        const std::vector<float> xv = values(in, 5);
                        RealVec x(lx, xv), y(ly, std::vector<float>(out, kGuard));
                        if (left)
                            vsip_vmprod_f(x.view(), a.real(), y.view());
                        else
                            vsip_mvprod_f(a.real(), x.view(), y.view());
                        for (std::size_t o = 0; o < out; ++o) {
                            double want = 0, mag = 0;
                            for (std::size_t q = 0; q < in; ++q) {
                                const double t = (left ? a.at(q, o) : a.at(o, q)).real() * xv[q];
                                want += t, mag += std::fabs(t);
                            }
                            ASSERT_LE(std::fabs(y[o] - want), bound(in, mag))
                                << d.m << "x" << d.n << " A " << sa << " x " << lx << " y " << ly
                                << (left ? " vmprod" : " mvprod") << " element " << o;
                        }
                        ASSERT_TRUE(y.guards_intact()) << sa << " " << lx << " " << ly;
                    }
}

} // namespace dots

// ---- General matrix sums -----------------------------------------------------------

namespace sums {

// The single-precision sum of two values held in doubles.
cd cf_sum(cd x, cd y) {
    return cd(float(x.real()) + float(y.real()), float(x.imag()) + float(y.imag()));
}

struct Coefficients {
    cd alpha, beta;
};
const Coefficients kCoefficients[] = {{1, 1}, {1, 0.5}, {2, 1}, {1.5, -0.25}, {cd(0.5, -1), cd(-0.75, 0.25)}};

// C = alpha op(A) + beta C over every storage pair, operand operation and
// coefficient pair: within two roundings of the double result.
TEST(MatrixSums, EveryStoragePairMatchesTheReference) {
    struct Dims {
        std::size_t m, n;
    };
    for (bool complex : {false, true})
        for (Dims d : {Dims{3, 5}, Dims{4, 4}, Dims{1, 4}, Dims{4, 1}})
            for (const Storage &sa : complex ? complex_storages() : real_storages())
                for (const Storage &sc : complex ? complex_storages() : real_storages())
                    for (vsip_mat_op op : {VSIP_MAT_NTRANS, VSIP_MAT_TRANS, VSIP_MAT_HERM, VSIP_MAT_CONJ})
                        for (const Coefficients &k : kCoefficients) {
                            if (!complex && (k.alpha.imag() != 0 || k.beta.imag() != 0))
                                continue;
                            const bool t = op == VSIP_MAT_TRANS || (complex && op == VSIP_MAT_HERM);
                            const vsip_mat_op eff = complex ? op : (op == VSIP_MAT_TRANS ? op : VSIP_MAT_NTRANS);
                            Operand a(sa, t ? d.n : d.m, t ? d.m : d.n, 1), c(sc, d.m, d.n, 2);
                            const std::vector<cd> before = snapshot(c);
                            if (complex)
                                vsip_cgems_f({float(k.alpha.real()), float(k.alpha.imag())}, a.complex(), op,
                                             {float(k.beta.real()), float(k.beta.imag())}, c.complex());
                            else
                                vsip_gems_f(float(k.alpha.real()), a.real(), op, float(k.beta.real()), c.real());
                            for (std::size_t i = 0; i < d.m; ++i)
                                for (std::size_t j = 0; j < d.n; ++j) {
                                    const cd x = op_at(a, eff, i, j), y = before[i * d.n + j];
                                    const cd want = k.alpha * x + k.beta * y;
                                    const double bound =
                                        4 * 0x1p-24 * (std::abs(k.alpha * x) + std::abs(k.beta * y)) + 1e-30;
                                    ASSERT_LE(std::abs(c.at(i, j) - want), bound)
                                        << d.m << "x" << d.n << " A " << sa << " C " << sc << " op " << op
                                        << " alpha " << k.alpha << " beta " << k.beta << " at " << i << "," << j;
                                }
                            ASSERT_TRUE(c.guards_intact()) << sa << " " << sc;
                        }
}

// alpha = 1, beta = 1 + 2^-12, A = -1, C = 1 + 2^-12: the flat pass's
// blocks of 8 fuse C beta + A (2^-11 + 2^-24), its tail and the strided
// loop round beta C first (2^-11).  alpha = beta = 1 adds exactly.
TEST(MatrixSums, FlatPassRoundingOrder) {
    const float b = 1.0f + 0x1p-12f;
    const float fused = 0x1p-11f + 0x1p-24f, rounded = 0x1p-11f;
    for (MLayout lc : {MLayout::RowMajor, MLayout::Padded, MLayout::ColMajor})
        for (MLayout la : {MLayout::RowMajor, MLayout::ColMajor}) {
            Mat<float> a(la, 3, 3, [](std::size_t, std::size_t) { return -1.0f; }, kGuard);
            Mat<float> c(lc, 3, 3, [b](std::size_t, std::size_t) { return b; }, kGuard);
            vsip_gems_f(1.0f, a.view(), VSIP_MAT_NTRANS, b, c.view());
            const bool flat = lc != MLayout::Padded;
            for (std::size_t e = 0; e < 9; ++e) {
                // flat element e in C's memory order
                const bool col = lc == MLayout::ColMajor;
                const std::size_t i = col ? e % 3 : e / 3, j = col ? e / 3 : e % 3;
                EXPECT_EQ(c(i, j), flat && e < 8 ? fused : rounded) << lc << " " << la << " element " << e;
            }
        }
    Mat<float> a(MLayout::RowMajor, 3, 3, [](std::size_t i, std::size_t j) { return 0.1f * float(i + 7 * j); }, kGuard);
    Mat<float> c(MLayout::RowMajor, 3, 3, [](std::size_t i, std::size_t j) { return 1.7f * float(i) - float(j); }, kGuard);
    std::vector<float> sum;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            sum.push_back(c(i, j) + a(i, j));
    vsip_gems_f(1.0f, a.view(), VSIP_MAT_NTRANS, 1.0f, c.view());
    for (std::size_t e = 0; e < 9; ++e)
        EXPECT_EQ(c(e / 3, e % 3), sum[e]);
}

// Shapes that disagree: one ERROR line (whatever VSIP_LOG_LEVEL says) and
// C unchanged; the transposed operand of the same shape pair conforms.
TEST(MatrixSums, ConformanceCheck) {
    for (bool complex : {false, true})
        for (const char *level : {"ERROR", "INFO"}) {
            ScopedEnv env("VSIP_LOG_LEVEL", std::string(level));
            const Storage s{MLayout::RowMajor, complex ? Storage::Split : Storage::Plain};
            Operand a(s, 2, 3, 1), c(s, 3, 2, 2);
            const std::vector<cd> before = snapshot(c);
            const char *fn = complex ? "vsip_cgems_f" : "vsip_gems_f";
            for (vsip_mat_op op : {VSIP_MAT_NTRANS, VSIP_MAT_TRANS}) {
                const std::string text = capture_stdout([&] {
                    if (complex)
                        vsip_cgems_f({1, 0}, a.complex(), op, {1, 0}, c.complex());
                    else
                        vsip_gems_f(1.0f, a.real(), op, 1.0f, c.real());
                });
                if (op == VSIP_MAT_NTRANS) {
                    EXPECT_EQ(text, error_line(fn,
                                             "The matrices A and C must be conformant! One is 2 x 3, "
                                             "but another one is 3 x 2."));
                    EXPECT_EQ(snapshot(c), before) << fn;
                } else {
                    EXPECT_EQ(text, "") << fn;
                    EXPECT_EQ(c.at(1, 0), before[2] + a.at(0, 1)) << fn;
                }
            }
        }
}

// Dense operands of different layouts need a temporary; when it cannot be
// allocated the strided loop gives the same sums.
TEST(MatrixSums, TemporaryFailureFallsBackToTheLoop) {
    for (bool complex : {false, true}) {
        const Storage row{MLayout::RowMajor, complex ? Storage::Split : Storage::Plain};
        const Storage col{MLayout::ColMajor, complex ? Storage::Split : Storage::Plain};
        for (long fail : {0L, 1L}) {
            Operand a(col, 3, 4, 1), c(row, 3, 4, 2);
            const std::vector<cd> before = snapshot(c);
            {
                FailingAllocator allocator(fail);
                if (complex)
                    vsip_cgems_f({1, 0}, a.complex(), VSIP_MAT_NTRANS, {1, 0}, c.complex());
                else
                    vsip_gems_f(1.0f, a.real(), VSIP_MAT_NTRANS, 1.0f, c.real());
                EXPECT_EQ(allocator.live(), 0u);
            }
            for (std::size_t i = 0; i < 3; ++i)
                for (std::size_t j = 0; j < 4; ++j)
                    EXPECT_EQ(c.at(i, j), cd(cf_sum(before[i * 4 + j], a.at(i, j)))) << complex << fail;
        }
    }
}

} // namespace sums

// ---- Double precision ------------------------------------------------------------

namespace doubles {

// A rows x cols double matrix over caller memory in one of the product
// layouts: real (kind 0), split (1) or interleaved (2) complex.
class DMat {
public:
    DMat(MLayout l, int kind, std::size_t rows, std::size_t cols, int seed) {
        auto re = [seed](std::size_t i, std::size_t j) { return value_at(seed, i, j) / 3.0; };
        if (kind == 0)
            real_ = std::make_unique<Mat<double>>(l, rows, cols, re, -777.0);
        else
            cplx_ = std::make_unique<BasicCMat<double>>(l, kind == 2, rows, cols, [&](std::size_t i, std::size_t j) {
                return cpair<double>{re(i, j), value_at(seed + 5, i, j) / 7.0};
            });
    }
    cd at(std::size_t i, std::size_t j) const {
        if (real_)
            return (*real_)(i, j);
        const cpair<double> z = (*cplx_)(i, j);
        return cd(z.re, z.im);
    }
    vsip_mview_d *real() const { return real_->view(); }
    vsip_cmview_d *complex() const { return cplx_->view(); }
    bool guards_intact() const { return real_ ? real_->guards_intact() : cplx_->guards_intact(); }

private:
    std::unique_ptr<Mat<double>> real_;
    std::unique_ptr<BasicCMat<double>> cplx_;
};

TEST(DoubleProducts, EveryLayoutTripleMatchesTheReference) {
    ScopedEnv level("VSIP_LOG_LEVEL", std::nullopt);
    for (const Shape &s : kShapes)
        for (int kind : {0, 1, 2}) {
            const std::vector<int> kinds = kind == 0 ? std::vector<int>{0} : std::vector<int>{1, 2};
            for (MLayout la : kProductMLayouts)
                for (MLayout lb : kProductMLayouts)
                    for (MLayout lc : kProductMLayouts)
                        for (int ka : kinds) {
                            const int kb = kind == 0 ? 0 : 3 - ka, kc = kind == 0 ? 0 : (la == lb ? 1 : 2);
                            DMat a(la, ka, s.m, s.k, 1), b(lb, kb, s.k, s.n, 2), c(lc, kc, s.m, s.n, 3);
                            const std::string text = capture_stdout([&] {
                                if (kind == 0)
                                    vsip_mprod_d(a.real(), b.real(), c.real());
                                else
                                    vsip_cmprod_d(a.complex(), b.complex(), c.complex());
                            });
                            ASSERT_EQ(text, "") << "the double products log nothing";
                            for (std::size_t i = 0; i < s.m; ++i)
                                for (std::size_t j = 0; j < s.n; ++j) {
                                    cd want = 0;
                                    double mag = 0;
                                    for (std::size_t q = 0; q < s.k; ++q) {
                                        want += a.at(i, q) * b.at(q, j);
                                        mag += std::abs(a.at(i, q) * b.at(q, j));
                                    }
                                    ASSERT_LE(std::abs(c.at(i, j) - want), 8.0 * (s.k + 2) * 0x1p-53 * mag + 1e-300)
                                        << s << " " << la << lb << lc << " kinds " << ka << kb << kc;
                                }
                            ASSERT_TRUE(c.guards_intact()) << s << " " << la << lb << lc;
                        }
        }
}

// Creators of the double-precision blocks and matrices: null on every
// failing allocation with nothing left behind; library complex storage
// is split.
TEST(DoubleProducts, CreatorsAndStorage) {
    std::string problem;
    EXPECT_GT((for_every_failing_allocation<vsip_mview_d>(
                  [] { return vsip_mcreate_d(3, 4, VSIP_COL, VSIP_MEM_NONE); },
                  [](vsip_mview_d *m) { vsip_malldestroy_d(m); }, &problem)),
              0)
        << problem;
    EXPECT_GT((for_every_failing_allocation<vsip_cmview_d>(
                  [] { return vsip_cmcreate_d(3, 4, VSIP_ROW, VSIP_MEM_NONE); },
                  [](vsip_cmview_d *m) { vsip_cmalldestroy_d(m); }, &problem)),
              0)
        << problem;
    vsip_mview_d *r = vsip_mcreate_d(2, 3, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mput_d(r, 1, 2, -0.125);
    EXPECT_EQ(vsip_mget_d(r, 1, 2), -0.125);
    vsip_malldestroy_d(r);
    vsip_cmview_d *m = vsip_cmcreate_d(2, 3, VSIP_COL, VSIP_MEM_NONE);
    vsip_cmput_d(m, 1, 2, vsip_cscalar_d{1.5, -2.5});
    const vsip_cscalar_d z = vsip_cmget_d(m, 1, 2);
    EXPECT_EQ(z.r, 1.5);
    EXPECT_EQ(z.i, -2.5);
    vsip_cblock_d *b = vsip_cmdestroy_d(m);
    double *d1 = nullptr, *d2 = nullptr;
    vsip_cblockfind_d(b, &d1, &d2);
    EXPECT_EQ(d1, nullptr) << "admitted library storage is not found";
    vsip_cblockdestroy_d(b);
    double data[8] = {};
    vsip_cblock_d *inter = vsip_cblockbind_d(data, nullptr, 4, VSIP_MEM_NONE);
    vsip_cblockfind_d(inter, &d1, &d2);
    EXPECT_EQ(d1, data);
    EXPECT_EQ(d2, nullptr);
    vsip_cblockdestroy_d(inter);
}

} // namespace doubles

// ---- What CBLAS is handed ------------------------------------------------------------

// The call made for each layout: C's layout is the order, an operand of the
// other layout is transposed, a conjugated one that is transposed becomes
// ConjTrans (its temporary otherwise takes the call's layout), and single
// rows or columns get the smallest valid leading dimension.
TEST(CblasCalls, OrderTransposesAndLeadingDimensions) {
    ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
    const Storage row{MLayout::RowMajor, Storage::Plain}, col{MLayout::ColMajor, Storage::Plain};
    const Storage pad{MLayout::Padded, Storage::Plain}, odd{MLayout::EveryOther, Storage::Plain};
    const Storage irow{MLayout::RowMajor, Storage::Interleaved}, icol{MLayout::ColMajor, Storage::Interleaved};
    const Storage split{MLayout::RowMajor, Storage::Split};
    struct Row {
        const char *what;
        Storage a, b, c;
        std::size_t m, k, n;
        bool complex;
        vsip_mat_op op_a;
        GemmCall want;
    } rows[] = {
        {"all row-major", row, row, row, 3, 4, 2, false, VSIP_MAT_NTRANS, {101, 111, 111, 3, 2, 4, 4, 2, 2}},
        {"column-major A", col, row, row, 3, 4, 2, false, VSIP_MAT_NTRANS, {101, 112, 111, 3, 2, 4, 3, 2, 2}},
        {"column-major C", row, pad, col, 3, 4, 2, false, VSIP_MAT_NTRANS, {102, 112, 112, 3, 2, 4, 4, 5, 3}},
        {"copied A is row-major", odd, col, col, 3, 4, 2, false, VSIP_MAT_NTRANS, {102, 112, 111, 3, 2, 4, 4, 4, 3}},
        {"one-row column-major A", col, row, row, 1, 4, 2, false, VSIP_MAT_NTRANS, {101, 111, 111, 1, 2, 4, 4, 2, 2}},
        {"one-row C", row, col, col, 1, 4, 3, false, VSIP_MAT_NTRANS, {101, 111, 112, 1, 3, 4, 4, 4, 3}},
        {"interleaved", irow, icol, irow, 3, 4, 2, true, VSIP_MAT_NTRANS, {101, 111, 112, 3, 2, 4, 4, 4, 2}},
        {"split copied", split, split, split, 3, 4, 2, true, VSIP_MAT_NTRANS, {101, 111, 111, 3, 2, 4, 4, 2, 2}},
        {"herm of row-major", irow, irow, irow, 3, 4, 2, true, VSIP_MAT_HERM, {101, 113, 111, 3, 2, 4, 3, 2, 2}},
        {"conj, C column-major", irow, icol, icol, 3, 4, 2, true, VSIP_MAT_CONJ, {102, 113, 111, 3, 2, 4, 4, 4, 3}},
        {"conj in advance, column-major", icol, icol, icol, 3, 4, 2, true, VSIP_MAT_CONJ,
         {102, 111, 111, 3, 2, 4, 3, 4, 3}},
    };
    for (const Row &r : rows) {
        Operand a(r.a, rows_of(r.op_a, r.m, r.k), rows_of(r.op_a, r.k, r.m), 1);
        Operand b(r.b, r.k, r.n, 2), c(r.c, r.m, r.n, 3);
        gemm_calls.clear();
        if (r.complex)
            vsip_cgemp_f({1, 0}, a.complex(), r.op_a, b.complex(), VSIP_MAT_NTRANS, {0, 0}, c.complex());
        else
            vsip_mprod_f(a.real(), b.real(), c.real());
        ASSERT_EQ(gemm_calls.size(), 1u) << r.what;
        const GemmCall &g = gemm_calls[0], &w = r.want;
        EXPECT_EQ((std::vector<int>{g.order, g.ta, g.tb, g.m, g.n, g.k, g.lda, g.ldb, g.ldc}),
                  (std::vector<int>{w.order, w.ta, w.tb, w.m, w.n, w.k, w.lda, w.ldb, w.ldc}))
            << r.what;
    }
}

} // namespace
