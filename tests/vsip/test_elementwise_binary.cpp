// Binary element-wise arithmetic: every function on every operand layout
// against a double-precision reference, the array-function paths, the
// sign and IEEE edge cases, the matrix forms and chunked array calls.
#include <gtest/gtest.h>

#include <dazaro_tv.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "common/walk.hpp"
#include "elementwise_support.hpp"

using namespace vsiptest;

// ---- Array-function calls, observed by interposition ----------------------

namespace {
struct ArrayCall {
    std::string fn;
    int n;
    const float *a, *b;
    float *r;
};
std::vector<ArrayCall> g_calls;
// Records the call, then runs the slot the entry point itself would use.
void forward(const char *name, tvml_array_kernel slot, int n, const float *a, const float *b,
             float *r) {
    g_calls.push_back({name, n, a, b, r});
    if (n > 0)
        slot(n, a, b, r, nullptr, 0);
}
} // namespace

// These definitions take the place of the library's entry points for the
// archive linked into this test.
extern "C" void vsAdd(int n, const float *a, const float *b, float *r) {
    forward("vsAdd", sadd_k, n, a, b, r);
}
extern "C" void vsSub(int n, const float *a, const float *b, float *r) {
    forward("vsSub", ssub_k, n, a, b, r);
}

namespace {

const float kAlpha = 0.75f;
const cd kCAlpha(1.5, -0.5);
constexpr double kTol = 2e-6;

std::vector<Row> binary_rows() {
    const Kind r = Kind::R, c = Kind::C;
    using V = const std::vector<const void *> &;
    using X = const std::vector<cd> &;
    const cd al(kAlpha, 0.0);
    return {
        {"vsip_vadd_f", {r, r}, r, [](V v) { vsip_vadd_f(R(v[0]), R(v[1]), R(v[2])); },
         [](X x) { return x[0] + x[1]; }, kTol},
        {"vsip_vsub_f", {r, r}, r, [](V v) { vsip_vsub_f(R(v[0]), R(v[1]), R(v[2])); },
         [](X x) { return x[0] - x[1]; }, kTol},
        {"vsip_vmul_f", {r, r}, r, [](V v) { vsip_vmul_f(R(v[0]), R(v[1]), R(v[2])); },
         [](X x) { return x[0] * x[1]; }, kTol},
        {"vsip_vdiv_f", {r, r}, r, [](V v) { vsip_vdiv_f(R(v[0]), R(v[1]), R(v[2])); },
         [](X x) { return x[0] / x[1]; }, kTol},
        {"vsip_vhypot_f", {r, r}, r, [](V v) { vsip_vhypot_f(R(v[0]), R(v[1]), R(v[2])); },
         [](X x) { return cd(std::hypot(x[0].real(), x[1].real())); }, kTol},
        {"vsip_svadd_f", {r}, r, [](V v) { vsip_svadd_f(kAlpha, R(v[0]), R(v[1])); },
         [al](X x) { return al + x[0]; }, kTol},
        {"vsip_svsub_f", {r}, r, [](V v) { vsip_svsub_f(kAlpha, R(v[0]), R(v[1])); },
         [al](X x) { return al - x[0]; }, kTol},
        {"vsip_svmul_f", {r}, r, [](V v) { vsip_svmul_f(kAlpha, R(v[0]), R(v[1])); },
         [al](X x) { return al * x[0]; }, kTol},
        {"vsip_svdiv_f", {r}, r, [](V v) { vsip_svdiv_f(kAlpha, R(v[0]), R(v[1])); },
         [al](X x) { return al / x[0]; }, kTol},
        {"vsip_vexpoavg_f", {r, r}, r, [](V v) { vsip_vexpoavg_f(kAlpha, R(v[0]), R(v[1])); },
         [al](X x) { return al * x[0] + (1.0 - al) * x[1]; }, kTol, 1},
        {"vsip_cvadd_f", {c, c}, c, [](V v) { vsip_cvadd_f(C(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] + x[1]; }, kTol},
        {"vsip_cvsub_f", {c, c}, c, [](V v) { vsip_cvsub_f(C(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] - x[1]; }, kTol},
        {"vsip_cvmul_f", {c, c}, c, [](V v) { vsip_cvmul_f(C(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] * x[1]; }, kTol},
        {"vsip_cvjmul_f", {c, c}, c, [](V v) { vsip_cvjmul_f(C(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] * std::conj(x[1]); }, kTol},
        {"vsip_cvdiv_f", {c, c}, c, [](V v) { vsip_cvdiv_f(C(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] / x[1]; }, 8 * kTol},
        {"vsip_csvadd_f", {c}, c, [](V v) { vsip_csvadd_f(cs(kCAlpha), C(v[0]), C(v[1])); },
         [](X x) { return kCAlpha + x[0]; }, kTol},
        {"vsip_csvsub_f", {c}, c, [](V v) { vsip_csvsub_f(cs(kCAlpha), C(v[0]), C(v[1])); },
         [](X x) { return kCAlpha - x[0]; }, kTol},
        {"vsip_csvmul_f", {c}, c, [](V v) { vsip_csvmul_f(cs(kCAlpha), C(v[0]), C(v[1])); },
         [](X x) { return kCAlpha * x[0]; }, kTol},
        {"vsip_cvexpoavg_f", {c, c}, c,
         [](V v) { vsip_cvexpoavg_f(kAlpha, C(v[0]), C(v[1])); },
         [al](X x) { return al * x[0] + (1.0 - al) * x[1]; }, kTol, 1},
        {"vsip_rcvadd_f", {r, c}, c, [](V v) { vsip_rcvadd_f(R(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] + x[1]; }, kTol},
        {"vsip_rcvsub_f", {r, c}, c, [](V v) { vsip_rcvsub_f(R(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] - x[1]; }, kTol},
        {"vsip_rcvmul_f", {r, c}, c, [](V v) { vsip_rcvmul_f(R(v[0]), C(v[1]), C(v[2])); },
         [](X x) { return x[0] * x[1]; }, kTol},
        {"vsip_crvsub_f", {c, r}, c, [](V v) { vsip_crvsub_f(C(v[0]), R(v[1]), C(v[2])); },
         [](X x) { return x[0] - x[1]; }, kTol},
        {"vsip_rscvadd_f", {c}, c, [](V v) { vsip_rscvadd_f(kAlpha, C(v[0]), C(v[1])); },
         [al](X x) { return al + x[0]; }, kTol},
        {"vsip_rscvsub_f", {c}, c, [](V v) { vsip_rscvsub_f(kAlpha, C(v[0]), C(v[1])); },
         [al](X x) { return al - x[0]; }, kTol},
        {"vsip_rscvmul_f", {c}, c, [](V v) { vsip_rscvmul_f(kAlpha, C(v[0]), C(v[1])); },
         [al](X x) { return al * x[0]; }, kTol},
    };
}

class BinaryRow : public ::testing::TestWithParam<Row> {};

TEST_P(BinaryRow, MatchesReferenceOnEveryLayoutAndInPlace) { check_row_everywhere(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, BinaryRow, ::testing::ValuesIn(binary_rows()),
                         [](const ::testing::TestParamInfo<Row> &i) { return std::string(i.param.name); });

// ---- Which array calls the contiguous passes make ---------------------------

struct PathCase {
    const char *what;
    std::function<void(vsip_length)> run; // builds views of n elements and calls
    std::vector<std::string> calls;       // expected array functions, in order
    int count_factor;                     // each call's count = factor x n
};

std::vector<PathCase> path_cases() {
    auto real3 = [](Layout l, auto fn) {
        return [l, fn](vsip_length n) {
            RealVec a(l, n), b(l, n), r(l, n);
            fn(a.view(), b.view(), r.view());
        };
    };
    auto cplx3 = [](Layout l, Layout lr, auto fn) {
        return [l, lr, fn](vsip_length n) {
            CplxVec a(l, n), b(l, n), r(lr, n);
            fn(a.view(), b.view(), r.view());
        };
    };
    auto rc = [](Layout lr, Layout lc) {
        return [lr, lc](vsip_length n) {
            RealVec a(lr, n);
            CplxVec b(lc, n), r(lc, n);
            vsip_rcvadd_f(a.view(), b.view(), r.view());
        };
    };
    return {
        {"vadd unit", real3(Layout::unit, vsip_vadd_f), {"vsAdd"}, 1},
        {"vsub unit", real3(Layout::unit, vsip_vsub_f), {"vsSub"}, 1},
        {"vadd stride 2", real3(Layout::stride2, vsip_vadd_f), {}, 1},
        {"vadd real views of interleaved blocks", real3(Layout::interleaved, vsip_vadd_f), {}, 1},
        {"cvadd split", cplx3(Layout::unit, Layout::unit, vsip_cvadd_f), {"vsAdd", "vsAdd"}, 1},
        {"cvsub split", cplx3(Layout::unit, Layout::unit, vsip_cvsub_f), {"vsSub", "vsSub"}, 1},
        {"cvadd interleaved", cplx3(Layout::interleaved, Layout::interleaved, vsip_cvadd_f),
         {"vsAdd"}, 2},
        {"cvadd mixed storage", cplx3(Layout::unit, Layout::interleaved, vsip_cvadd_f), {}, 1},
        {"cvadd stride 2", cplx3(Layout::stride2, Layout::stride2, vsip_cvadd_f), {}, 1},
        {"rcvadd split", rc(Layout::unit, Layout::unit), {"vsAdd"}, 1},
        {"rcvadd interleaved", rc(Layout::unit, Layout::interleaved), {}, 1},
    };
}

TEST(BinaryPaths, ContiguousPassesCallTheArrayFunctionsWithTheCount) {
    for (const PathCase &pc : path_cases()) {
        for (vsip_length n : {vsip_length(5), vsip_length(40)}) {
            g_calls.clear();
            pc.run(n);
            ASSERT_EQ(g_calls.size(), pc.calls.size()) << pc.what;
            for (std::size_t k = 0; k < pc.calls.size(); ++k) {
                EXPECT_EQ(g_calls[k].fn, pc.calls[k]) << pc.what;
                EXPECT_EQ(g_calls[k].n, pc.count_factor * static_cast<int>(n)) << pc.what;
            }
        }
    }
}

TEST(BinaryPaths, ArrayCallsAreCutIntoChunksOfAtMostTheLimit) {
    std::vector<std::pair<int, vi::idx>> pieces;
    vi::in_chunks<7>(20, [&](int c, vi::idx k) { pieces.emplace_back(c, k); });
    EXPECT_EQ(pieces, (std::vector<std::pair<int, vi::idx>>{{7, 0}, {7, 7}, {6, 14}}));
    pieces.clear();
    vi::in_chunks<7>(14, [&](int c, vi::idx k) { pieces.emplace_back(c, k); });
    EXPECT_EQ(pieces, (std::vector<std::pair<int, vi::idx>>{{7, 0}, {7, 7}}));
    pieces.clear();
    vi::in_chunks(0, [&](int c, vi::idx k) { pieces.emplace_back(c, k); });
    EXPECT_TRUE(pieces.empty());
    // The default limit keeps every count a positive 32-bit value.
    vi::idx total = 0;
    int largest = 0;
    vi::in_chunks(vi::idx(INT32_MAX) * 2 + 5, [&](int c, vi::idx k) {
        EXPECT_EQ(k, total);
        total += c;
        largest = std::max(largest, c);
    });
    EXPECT_EQ(total, vi::idx(INT32_MAX) * 2 + 5);
    EXPECT_EQ(largest, INT32_MAX);
}

// The strided loop over lines of any steps: one shared offset when the
// steps agree, one per operand otherwise; the same elements in the same
// order either way (a result step of 0 keeps the last element's value).
struct StepCase {
    vi::idx r, a, b; // steps; b = 0 stands for a scalar operand
    vi::idx n;
};

class StridedLoop : public ::testing::TestWithParam<StepCase> {};

TEST_P(StridedLoop, VisitsEveryElementOnce) {
    const StepCase c = GetParam();
    const vi::idx span = 8 * (c.n + 2);
    std::vector<float> a(static_cast<std::size_t>(2 * span)), b(a.size()), r(a.size(), -1.0f);
    for (std::size_t k = 0; k < a.size(); ++k) {
        a[k] = static_cast<float>(k);
        b[k] = static_cast<float>(1000 + k);
    }
    // Bases in the middle, so negative steps stay inside.
    float *ra = a.data() + span, *rb = b.data() + span, *rr = r.data() + span;
    const auto sub3 = [](float x, float y) { return x - 3.0f * y; };
    std::vector<float> want = r;
    for (vi::idx i = 0; i < c.n; ++i) {
        const float y = c.b == 0 ? 0.5f : rb[i * c.b];
        want[static_cast<std::size_t>(span + i * c.r)] = sub3(ra[i * c.a], y);
    }
    if (c.b == 0)
        vi::each(c.n, sub3, vi::step_ref<float>{rr, c.r}, vi::step_ref<float>{ra, c.a}, vi::const_ref<float>{0.5f});
    else
        vi::each(c.n, sub3, vi::step_ref<float>{rr, c.r}, vi::step_ref<float>{ra, c.a},
                 vi::step_ref<float>{rb, c.b});
    EXPECT_EQ(r, want);
}

INSTANTIATE_TEST_SUITE_P(Table, StridedLoop,
                         ::testing::Values(StepCase{2, 2, 2, 37}, StepCase{-1, -1, -1, 37},
                                           StepCase{3, 3, 0, 20}, StepCase{2, 1, 2, 37},
                                           StepCase{1, 2, -3, 37}, StepCase{-2, 3, -2, 19},
                                           StepCase{0, 1, 1, 9}, StepCase{2, 2, 2, 0},
                                           StepCase{5, 5, 5, 1}));

// ---- IEEE and sign edge cases, on the contiguous and the strided pass -------

std::uint32_t bits(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

TEST(BinaryEdges, DivisionByZeroFollowsIeee) {
    for (Layout l : {Layout::unit, Layout::stride2}) {
        RealVec a(l, 3), b(l, 3), r(l, 3);
        const float num[] = {1.0f, -1.0f, 0.0f};
        for (int j = 0; j < 3; ++j) {
            a.set(j, num[j]);
            b.set(j, 0.0f);
        }
        vsip_vdiv_f(a.view(), b.view(), r.view());
        EXPECT_EQ(r.get(0), std::numeric_limits<float>::infinity()) << name(l);
        EXPECT_EQ(r.get(1), -std::numeric_limits<float>::infinity()) << name(l);
        EXPECT_TRUE(std::isnan(r.get(2))) << name(l);

        CplxVec ca(l, 1), cb(l, 1), cr(l, 1);
        ca.set(0, {1.0f, 2.0f});
        cb.set(0, {0.0f, 0.0f});
        vsip_cvdiv_f(ca.view(), cb.view(), cr.view());
        EXPECT_FALSE(std::isfinite(cr.get(0).r)) << name(l);
        EXPECT_FALSE(std::isfinite(cr.get(0).i)) << name(l);
    }
}

TEST(BinaryEdges, HypotenuseIsUnscaled) {
    for (Layout l : {Layout::unit, Layout::negative}) {
        RealVec a(l, 2), b(l, 2), r(l, 2);
        a.set(0, 3.0f);
        b.set(0, 4.0f);
        a.set(1, 2e19f);
        b.set(1, 0.0f);
        vsip_vhypot_f(a.view(), b.view(), r.view());
        EXPECT_EQ(r.get(0), 5.0f) << name(l);
        EXPECT_EQ(r.get(1), std::numeric_limits<float>::infinity()) << name(l);
    }
}

// The imaginary negations flip the sign bit: +0 becomes -0 and NaN payloads
// survive, on the split, interleaved and strided passes alike.
TEST(BinaryEdges, ImaginaryNegationFlipsTheSignBit) {
    const float payload_nan = [] {
        std::uint32_t u = 0x7fc01234u;
        float f;
        std::memcpy(&f, &u, sizeof f);
        return f;
    }();
    for (Layout l : kLayouts) {
        CplxVec b(l, 2), r(l, 2);
        RealVec a(l == Layout::interleaved ? Layout::unit : l, 2);
        b.set(0, {0.0f, 0.0f});
        b.set(1, {1.0f, payload_nan});
        a.set(0, 0.0f);
        a.set(1, 0.0f);
        vsip_rscvsub_f(0.0f, b.view(), r.view());
        EXPECT_EQ(bits(r.get(0).r), bits(0.0f)) << name(l);
        EXPECT_EQ(bits(r.get(0).i), bits(-0.0f)) << name(l);
        EXPECT_EQ(bits(r.get(1).i), 0xffc01234u) << name(l);
        vsip_rcvsub_f(a.view(), b.view(), r.view());
        EXPECT_EQ(bits(r.get(0).i), bits(-0.0f)) << name(l);
        EXPECT_EQ(bits(r.get(1).i), 0xffc01234u) << name(l);
    }
}

TEST(BinaryEdges, EmptyResultLeavesEverythingUntouched) {
    for (Layout l : kLayouts) {
        RealVec a(l, 4), b(l, 4), r(l, 4);
        vsip_vputlength_f(r.view(), 0);
        for (int j = 0; j < 4; ++j)
            r.set(j, 9.0f);
        vsip_vadd_f(a.view(), b.view(), r.view());
        vsip_vmul_f(a.view(), b.view(), r.view());
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(r.get(j), 9.0f) << name(l);
        EXPECT_TRUE(r.guards_intact());
    }
}

// ---- Matrices ---------------------------------------------------------------

// A matrix over caller storage: row-major, column-major, or a strided
// submatrix (row stride 2, offset 1, padded columns); real, integer, or
// complex split or interleaved.
enum class MLayout { rows, cols, strided };

struct Geometry {
    vsip_offset off;
    vsip_stride rs, cs;
    std::size_t size;
};
Geometry mgeometry(MLayout l, vsip_length m, vsip_length n) {
    switch (l) {
    case MLayout::rows: return {0, 1, static_cast<vsip_stride>(n), m * n};
    case MLayout::cols: return {0, static_cast<vsip_stride>(m), 1, m * n};
    default: return {1, 2, static_cast<vsip_stride>(2 * n + 3), 1 + m * (2 * n + 3)};
    }
}

template <class T>
struct MatReal {
    Geometry g;
    std::vector<T> store;
    T &at(vsip_length i, vsip_length j) {
        return store[g.off + i * g.cs + j * g.rs];
    }
};

TEST(BinaryMatrices, SubtractAndScaleOnEveryTraversal) {
    const vsip_length m = 3, n = 5;
    for (MLayout lr : {MLayout::rows, MLayout::cols, MLayout::strided})
        for (MLayout lo : {MLayout::rows, MLayout::cols, MLayout::strided}) {
            MatReal<float> A{mgeometry(lo, m, n), {}}, B{mgeometry(MLayout::strided, m, n), {}},
                Rm{mgeometry(lr, m, n), {}};
            for (auto *x : {&A, &B, &Rm})
                x->store.assign(x->g.size, kGuard);
            for (vsip_length i = 0; i < m; ++i)
                for (vsip_length j = 0; j < n; ++j) {
                    A.at(i, j) = static_cast<float>(i * 10 + j);
                    B.at(i, j) = static_cast<float>(j) * 0.5f - 1.0f;
                }
            auto bind = [&](MatReal<float> &x) {
                vsip_block_f *b = vsip_blockbind_f(x.store.data(), x.store.size(), VSIP_MEM_NONE);
                vsip_blockadmit_f(b, 1);
                return vsip_mbind_f(b, x.g.off, x.g.cs, m, x.g.rs, n);
            };
            vsip_mview_f *va = bind(A), *vb = bind(B), *vr = bind(Rm);
            vsip_msub_f(va, vb, vr);
            for (vsip_length i = 0; i < m; ++i)
                for (vsip_length j = 0; j < n; ++j)
                    EXPECT_EQ(Rm.at(i, j), A.at(i, j) - B.at(i, j)) << i << "," << j;
            vsip_smmul_f(-2.0f, va, vr);
            for (vsip_length i = 0; i < m; ++i)
                for (vsip_length j = 0; j < n; ++j)
                    EXPECT_EQ(Rm.at(i, j), -2.0f * A.at(i, j));
            // In place.
            vsip_msub_f(va, vb, va);
            for (vsip_length i = 0; i < m; ++i)
                for (vsip_length j = 0; j < n; ++j)
                    EXPECT_EQ(A.at(i, j), static_cast<float>(i * 10 + j) - B.at(i, j));
            std::size_t guards = 0;
            for (float x : Rm.store)
                guards += x == kGuard;
            EXPECT_EQ(guards, Rm.store.size() - m * n);
            for (vsip_mview_f *v : {va, vb, vr})
                vsip_malldestroy_f(v);
        }
}

TEST(BinaryMatrices, IntegerSubtractionWrapsAround) {
    const vsip_length m = 2, n = 3;
    for (MLayout l : {MLayout::rows, MLayout::cols, MLayout::strided}) {
        MatReal<vsip_scalar_i> A{mgeometry(l, m, n), {}}, B{mgeometry(MLayout::rows, m, n), {}},
            Rm{mgeometry(l, m, n), {}};
        for (auto *x : {&A, &B, &Rm})
            x->store.assign(x->g.size, 0);
        const vsip_scalar_i a[] = {INT32_MIN, 5, INT32_MAX, 0, -7, 100};
        const vsip_scalar_i b[] = {1, 9, -1, INT32_MIN, -7, -100};
        const vsip_scalar_i want[] = {INT32_MAX, -4, INT32_MIN, INT32_MIN, 0, 200};
        for (vsip_length k = 0; k < m * n; ++k) {
            A.at(k / n, k % n) = a[k];
            B.at(k / n, k % n) = b[k];
        }
        auto bind = [&](MatReal<vsip_scalar_i> &x) {
            vsip_block_i *blk = vsip_blockbind_i(x.store.data(), x.store.size(), VSIP_MEM_NONE);
            vsip_blockadmit_i(blk, 1);
            return vsip_mbind_i(blk, x.g.off, x.g.cs, m, x.g.rs, n);
        };
        vsip_mview_i *va = bind(A), *vb = bind(B), *vr = bind(Rm);
        vsip_msub_i(va, vb, vr);
        for (vsip_length k = 0; k < m * n; ++k)
            EXPECT_EQ(Rm.at(k / n, k % n), want[k]) << k;
        for (vsip_mview_i *v : {va, vb, vr})
            vsip_malldestroy_i(v);
    }
}

// Complex matrix over split or interleaved storage.
struct MatCplx {
    Geometry g;
    bool interleaved;
    std::vector<float> re, im;
    vsip_cmview_f *view = nullptr;
    MatCplx(MLayout l, bool inter, vsip_length m, vsip_length n)
        : g(mgeometry(l, m, n)), interleaved(inter) {
        vsip_cblock_f *b;
        if (inter) {
            re.assign(2 * g.size, kGuard);
            b = vsip_cblockbind_f(re.data(), nullptr, g.size, VSIP_MEM_NONE);
        } else {
            re.assign(g.size, kGuard);
            im.assign(g.size, kGuard);
            b = vsip_cblockbind_f(re.data(), im.data(), g.size, VSIP_MEM_NONE);
        }
        vsip_cblockadmit_f(b, 1);
        view = vsip_cmbind_f(b, g.off, g.cs, m, g.rs, n);
    }
    ~MatCplx() { vsip_cmalldestroy_f(view); }
    cd get(vsip_length i, vsip_length j) const {
        const std::size_t k = g.off + i * g.cs + j * g.rs;
        return interleaved ? cd(re[2 * k], re[2 * k + 1]) : cd(re[k], im[k]);
    }
    void set(vsip_length i, vsip_length j, cd x) {
        const std::size_t k = g.off + i * g.cs + j * g.rs;
        float *pr = interleaved ? &re[2 * k] : &re[k];
        float *pi = interleaved ? &re[2 * k + 1] : &im[k];
        *pr = static_cast<float>(x.real());
        *pi = static_cast<float>(x.imag());
    }
};

TEST(BinaryMatrices, ComplexFormsOnEveryTraversalAndStorage) {
    const vsip_length m = 3, n = 4;
    std::mt19937 g(5);
    for (MLayout lr : {MLayout::rows, MLayout::cols, MLayout::strided})
        for (bool inter : {false, true}) {
            MatCplx A(MLayout::cols, !inter, m, n), B(MLayout::strided, inter, m, n),
                Rm(lr, inter, m, n);
            CplxVec arow(inter ? Layout::negative : Layout::stride2, n);
            CplxVec acol(Layout::unit, m);
            for (vsip_length i = 0; i < m; ++i)
                for (vsip_length j = 0; j < n; ++j) {
                    A.set(i, j, random_value(g, Kind::C));
                    B.set(i, j, random_value(g, Kind::C));
                }
            for (vsip_length j = 0; j < n; ++j)
                arow.set(j, cs(random_value(g, Kind::C)));
            for (vsip_length i = 0; i < m; ++i)
                acol.set(i, cs(random_value(g, Kind::C)));
            auto expect_all = [&](const char *what, auto ref) {
                for (vsip_length i = 0; i < m; ++i)
                    for (vsip_length j = 0; j < n; ++j) {
                        const cd want = ref(i, j);
                        EXPECT_LE(std::abs(Rm.get(i, j) - want), kTol * std::max(1.0, std::abs(want)))
                            << what << " " << i << "," << j;
                    }
            };
            vsip_cmsub_f(A.view, B.view, Rm.view);
            expect_all("cmsub", [&](vsip_length i, vsip_length j) { return A.get(i, j) - B.get(i, j); });
            vsip_csmmul_f(cs(kCAlpha), B.view, Rm.view);
            expect_all("csmmul", [&](vsip_length i, vsip_length j) { return kCAlpha * B.get(i, j); });
            vsip_cvmmul_f(arow.view(), B.view, VSIP_ROW, Rm.view);
            expect_all("cvmmul row", [&](vsip_length i, vsip_length j) {
                return cd(arow.get(j).r, arow.get(j).i) * B.get(i, j);
            });
            vsip_cvmmul_f(acol.view(), B.view, VSIP_COL, Rm.view);
            expect_all("cvmmul col", [&](vsip_length i, vsip_length j) {
                return cd(acol.get(i).r, acol.get(i).i) * B.get(i, j);
            });
        }
}

} // namespace
