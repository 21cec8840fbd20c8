// Long element-wise calls on several threads: every result equals the
// one-thread result bit for bit, for lengths on both sides of the point
// where the work is spread over threads, on the contiguous, interleaved and
// strided passes; an OpenMP region is opened exactly when the call is long
// enough and more than one thread is allowed, never inside an active
// region.
#include <gtest/gtest.h>

#include <omp.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <vsip_tv.h>

#include "common/parallel.hpp"
#include "common/walk.hpp"
#include "view_layouts.hpp"

using namespace vsiptest;

namespace {

// The library's thread count for one scope.
struct ThreadSetting {
    explicit ThreadSetting(int n) { tml_vsip_set_num_threads(n); }
    ~ThreadSetting() { tml_vsip_set_num_threads(0); }
};

constexpr std::size_t kRun = static_cast<std::size_t>(vi::kThreadedMinRun);

// One element short of two runs (one thread), two runs and a short tail,
// and three runs ending in a remainder that is no multiple of a block.
const std::size_t kLengths[] = {2 * kRun - 1, 2 * kRun + 37, 3 * kRun + 1029};

// contiguous: unit-stride real views, split complex views.  interleaved:
// real parts of interleaved storage (strided pass), interleaved complex
// views (the interleaved pass where a family has one).  strided: stride 2.
enum class Pass { contiguous, interleaved, strided };
const Pass kPasses[] = {Pass::contiguous, Pass::interleaved, Pass::strided};
const char *name(Pass p) {
    return p == Pass::contiguous ? "contiguous" : p == Pass::interleaved ? "interleaved" : "strided";
}
Layout real_layout(Pass p) {
    return p == Pass::contiguous ? Layout::Unit : p == Pass::interleaved ? Layout::RealOfInterleaved : Layout::Stride2;
}
CLayout cplx_layout(Pass p) {
    return p == Pass::contiguous ? CLayout::Split
                                 : p == Pass::interleaved ? CLayout::Interleaved : CLayout::SplitOffsetStride2;
}

std::vector<float> reals(std::size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<float> d(-3.0f, 3.0f);
    std::vector<float> v(n);
    for (float &x : v)
        x = d(g);
    return v;
}
std::vector<cf> cplxs(std::size_t n, unsigned seed) {
    const std::vector<float> re = reals(n, seed), im = reals(n, seed + 1);
    std::vector<cf> v(n);
    for (std::size_t j = 0; j < n; ++j)
        v[j] = {re[j], im[j]};
    return v;
}

std::vector<std::uint32_t> bits_of(const RealVec &r) {
    std::vector<std::uint32_t> b;
    for (std::size_t j = 0; j < r.size(); ++j)
        b.push_back(bits(r[j]));
    return b;
}
std::vector<std::uint32_t> bits_of(const CplxVec &r) {
    std::vector<std::uint32_t> b;
    for (std::size_t j = 0; j < r.size(); ++j) {
        b.push_back(bits(r[j].re));
        b.push_back(bits(r[j].im));
    }
    return b;
}

using rr_fn = void (*)(const vsip_vview_f *, const vsip_vview_f *);
using rrr_fn = void (*)(const vsip_vview_f *, const vsip_vview_f *, const vsip_vview_f *);
using cc_fn = void (*)(const vsip_cvview_f *, const vsip_cvview_f *);
using ccc_fn = void (*)(const vsip_cvview_f *, const vsip_cvview_f *, const vsip_cvview_f *);

// Result bits of one call on n elements laid out for `p`.
using Call = std::function<std::vector<std::uint32_t>(std::size_t n, Pass p)>;

Call unary(rr_fn f) {
    return [f](std::size_t n, Pass p) {
        RealVec a(real_layout(p), reals(n, 1)), r(real_layout(p), std::vector<float>(n, 0.0f));
        f(a.view(), r.view());
        return bits_of(r);
    };
}
Call binary(rrr_fn f) {
    return [f](std::size_t n, Pass p) {
        RealVec a(real_layout(p), reals(n, 1)), b(real_layout(p), reals(n, 2)),
            r(real_layout(p), std::vector<float>(n, 0.0f));
        f(a.view(), b.view(), r.view());
        return bits_of(r);
    };
}
Call cunary(cc_fn f) {
    return [f](std::size_t n, Pass p) {
        CplxVec a(cplx_layout(p), cplxs(n, 1)), r(cplx_layout(p), std::vector<cf>(n, cf{0.0f, 0.0f}));
        f(a.view(), r.view());
        return bits_of(r);
    };
}
Call cbinary(ccc_fn f) {
    return [f](std::size_t n, Pass p) {
        CplxVec a(cplx_layout(p), cplxs(n, 1)), b(cplx_layout(p), cplxs(n, 3)),
            r(cplx_layout(p), std::vector<cf>(n, cf{0.0f, 0.0f}));
        f(a.view(), b.view(), r.view());
        return bits_of(r);
    };
}
// In place: the operand is the result.
Call cunary_in_place(cc_fn f) {
    return [f](std::size_t n, Pass p) {
        CplxVec a(cplx_layout(p), cplxs(n, 1));
        f(a.view(), a.view());
        return bits_of(a);
    };
}
Call magnitude() {
    return [](std::size_t n, Pass p) {
        CplxVec a(cplx_layout(p), cplxs(n, 1));
        RealVec r(real_layout(p), std::vector<float>(n, 0.0f));
        vsip_cvmag_f(a.view(), r.view());
        return bits_of(r);
    };
}
Call euler() {
    return [](std::size_t n, Pass p) {
        RealVec a(real_layout(p), reals(n, 1));
        CplxVec r(cplx_layout(p), std::vector<cf>(n, cf{0.0f, 0.0f}));
        vsip_veuler_f(a.view(), r.view());
        return bits_of(r);
    };
}

struct Family {
    const char *name;
    Call call;
};

const Family kFamilies[] = {
    {"vexp", unary(vsip_vexp_f)},          {"vsin", unary(vsip_vsin_f)},
    {"vlog", unary(vsip_vlog_f)},          {"vexp10", unary(vsip_vexp10_f)},
    {"vsqrt", unary(vsip_vsqrt_f)},        {"vrecip", unary(vsip_vrecip_f)},
    {"vatan2", binary(vsip_vatan2_f)},     {"vdiv", binary(vsip_vdiv_f)},
    {"vhypot", binary(vsip_vhypot_f)},     {"cvmul", cbinary(vsip_cvmul_f)},
    {"cvjmul", cbinary(vsip_cvjmul_f)},    {"cvdiv", cbinary(vsip_cvdiv_f)},
    {"cvexp", cunary(vsip_cvexp_f)},       {"cvexp in place", cunary_in_place(vsip_cvexp_f)},
    {"cvlog", cunary(vsip_cvlog_f)},       {"cvsqrt", cunary(vsip_cvsqrt_f)},
    {"cvrecip", cunary(vsip_cvrecip_f)},   {"cvrecip in place", cunary_in_place(vsip_cvrecip_f)},
    {"cvmag", magnitude()},                {"veuler", euler()},
};

void PrintTo(const Family &f, std::ostream *os) { *os << f.name; }

class Threaded : public ::testing::TestWithParam<Family> {};

TEST_P(Threaded, EqualsOneThreadBitForBit) {
    const Family &f = GetParam();
    for (std::size_t n : kLengths)
        for (Pass p : kPasses) {
            const std::string what = std::string(f.name) + " " + name(p) + " n=" + std::to_string(n);
            std::vector<std::uint32_t> serial;
            {
                ThreadSetting one(1);
                const std::int64_t before = vi::regions_opened();
                serial = f.call(n, p);
                EXPECT_EQ(vi::regions_opened(), before) << what << ": one thread opened a region";
            }
            for (int threads : {2, 3}) {
                ThreadSetting many(threads);
                const std::int64_t before = vi::regions_opened();
                const std::vector<std::uint32_t> got = f.call(n, p);
                const std::int64_t regions = vi::regions_opened() - before;
                EXPECT_EQ(regions, n >= 2 * kRun ? 1 : 0) << what << " threads=" << threads;
                ASSERT_EQ(got.size(), serial.size());
                std::size_t differ = 0, first = 0;
                for (std::size_t k = 0; k < got.size(); ++k)
                    if (got[k] != serial[k] && differ++ == 0)
                        first = k;
                EXPECT_EQ(differ, 0u) << what << " threads=" << threads << ": first difference at float " << first;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Table, Threaded, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<Family> &i) {
                             std::string s = i.param.name;
                             for (char &c : s)
                                 if (c == ' ')
                                     c = '_';
                             return s;
                         });

// Memory-bound families stay on the calling thread at any length.
TEST(ThreadedCalls, CheapFamiliesOpenNoRegion) {
    const std::size_t n = 2 * kRun;
    const std::vector<Call> cheap = {unary(vsip_vneg_f), unary(vsip_vmag_f), binary(vsip_vadd_f),
                                     binary(vsip_vmul_f), cbinary(vsip_cvadd_f)};
    ThreadSetting two(2);
    for (const Call &call : cheap) {
        const std::int64_t before = vi::regions_opened();
        call(n, Pass::contiguous);
        EXPECT_EQ(vi::regions_opened(), before);
    }
}

// Called from the threads of an active region, a long call runs serially
// on each caller: no nested region, the one-thread result.
TEST(ThreadedCalls, InsideAnActiveRegionRunsOnTheCaller) {
    const std::size_t n = 2 * kRun + 5;
    std::vector<std::uint32_t> serial;
    {
        ThreadSetting one(1);
        serial = unary(vsip_vexp_f)(n, Pass::contiguous);
    }
    ThreadSetting two(2);
    const std::int64_t before = vi::regions_opened();
    std::vector<std::vector<std::uint32_t>> got(2);
#pragma omp parallel num_threads(2)
    got[static_cast<std::size_t>(omp_get_thread_num())] = unary(vsip_vexp_f)(n, Pass::contiguous);
    EXPECT_EQ(vi::regions_opened(), before);
    EXPECT_TRUE(got[0] == serial);
    EXPECT_TRUE(got[1].empty() || got[1] == serial);
}

} // namespace
