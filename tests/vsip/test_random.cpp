// Random numbers against a reference computed here from the documented
// recurrences: the base generator stepped one step at a time, the leapfrog
// constants as a power and a geometric sum, the portable combination with
// its second generator, and the uniform and normal formulas in their
// summation order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "support.hpp"
#include "view_layouts.hpp"

namespace {

using u32 = std::uint32_t;
using vsiptest::bits;

constexpr u32 A = 1664525u, C = 1013904223u;
constexpr u32 kPrimes[] = {3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73,
                           79, 83, 89, 97, 101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151, 157,
                           163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239,
                           241, 251, 257, 263, 269, 271, 277, 281, 283, 293, 307, 311, 313, 317, 331,
                           337, 347, 349, 353, 359, 367, 373, 379, 383, 389, 397, 401, 409, 419, 421,
                           431, 433, 439, 443, 449, 457, 461, 463, 467, 479, 487, 491, 499, 503, 509,
                           521, 523, 541, 547};

u32 base_steps(u32 x, std::uint64_t k) {
    for (std::uint64_t i = 0; i < k; ++i)
        x = A * x + C;
    return x;
}

// The documented jump-ahead: running pair (a', c') from (A, C), for each of
// the 32 bits of k from the lowest.
u32 jump(u32 x, u32 k) {
    u32 a = A, c = C;
    for (int b = 0; b < 32; ++b) {
        if ((k >> b) & 1u)
            x = a * x + c;
        c = c * (a + 1u);
        a = a * a;
    }
    return x;
}

// Reference state: the documented creation, written independently.
struct Ref {
    u32 a, c, X, X1 = 1, X2 = 1, c1 = 0;
    bool portable;

    Ref(u32 seed, u32 numseqs, u32 id, bool portable_kind) : portable(portable_kind) {
        if (portable) {
            a = A, c = C, c1 = kPrimes[id - 1];
            const u32 k = (0xFFFFFFFFu / numseqs) * (id - 1u);
            X = k < 20000000u ? base_steps(seed, k) : jump(seed, k);
        } else {
            X = base_steps(seed, id);
            a = 1u, c = 0u;
            for (u32 i = 0; i < numseqs; ++i) { // a = A^n, c = C (1 + A + ... + A^(n-1))
                c += a;
                a *= A;
            }
            c *= C;
        }
    }
    // The integer of the next uniform number and its scale.
    std::pair<float, float> next() {
        X = a * X + c;
        if (!portable)
            return {static_cast<float>(X), 0x1p-32f};
        X1 = 69069u * X1 + c1;
        if (X1 == X2)
            X2 = ++X1;
        return {static_cast<float>(((X - X1) >> 8) | 1u), 0x1p-24f};
    }
    float uniform() {
        const auto [u, s] = next();
        return u * s;
    }
    float normal() {
        float sum = 0.0f;
        for (int k = 0; k < 12; ++k) {
            const auto [u, s] = next();
            sum = std::fma(u, s, sum);
        }
        return portable ? 6.0f - sum : sum - 6.0f;
    }
    vsip_cscalar_f cnormal() {
        float t[2];
        for (float &ti : t) {
            const auto [u1, s1] = next();
            const auto [u2, s2] = next();
            const auto [u3, s3] = next();
            ti = std::fma(u3, s3, std::fma(u1, s1, u2 * s2));
        }
        return {(3.0f - t[1]) - t[0], t[0] - t[1]};
    }
};

struct Args {
    u32 seed;
    u32 numseqs;
    u32 id;
    vsip_rng kind;
};

std::ostream &operator<<(std::ostream &os, const Args &a) {
    return os << (a.kind == VSIP_PRNG ? "prng" : "nprng") << " seed " << a.seed << " numseqs "
              << a.numseqs << " id " << a.id;
}

struct State {
    vsip_randstate *s;
    explicit State(const Args &a) : s(vsip_randcreate(a.seed, a.numseqs, a.id, a.kind)) {}
    ~State() { vsip_randdestroy(s); }
};

class Sequences : public ::testing::TestWithParam<Args> {
protected:
    Ref ref() const {
        const Args &a = GetParam();
        return Ref(a.seed, a.numseqs, a.id, a.kind == VSIP_PRNG);
    }
};

// Bit-exact known answers: the first values, then one far into the
// sequence, for every generator function.
TEST_P(Sequences, UniformFirstValuesAndFarValue) {
    State st(GetParam());
    ASSERT_NE(st.s, nullptr);
    Ref r = ref();
    for (int k = 0; k < 16; ++k)
        ASSERT_EQ(bits(vsip_randu_f(st.s)), bits(r.uniform())) << "value " << k;
    for (int k = 16; k < 100000; ++k) {
        vsip_randu_f(st.s);
        r.uniform();
    }
    EXPECT_EQ(bits(vsip_randu_f(st.s)), bits(r.uniform())) << "value 100000";
}

TEST_P(Sequences, NormalAndComplexValues) {
    State st(GetParam());
    Ref r = ref();
    for (int k = 0; k < 64; ++k) {
        ASSERT_EQ(bits(vsip_randn_f(st.s)), bits(r.normal())) << "randn " << k;
        const vsip_cscalar_f u = vsip_crandu_f(st.s);
        const float ure = r.uniform(), uim = r.uniform();
        ASSERT_EQ(bits(u.r), bits(ure)) << "crandu " << k;
        ASSERT_EQ(bits(u.i), bits(uim)) << "crandu " << k;
        const vsip_cscalar_f z = vsip_crandn_f(st.s), w = r.cnormal();
        ASSERT_EQ(bits(z.r), bits(w.r)) << "crandn " << k;
        ASSERT_EQ(bits(z.i), bits(w.i)) << "crandn " << k;
    }
}

// Vector generators write successive values in view order over every
// layout and touch nothing else.
TEST_P(Sequences, VectorsFollowTheScalarSequence) {
    for (vsiptest::Layout l : vsiptest::kAllLayouts) {
        State st(GetParam());
        Ref r = ref();
        vsiptest::RealVec v(l, std::vector<float>(37, 0.0f));
        vsip_vrandu_f(st.s, v.view());
        for (std::size_t j = 0; j < v.size(); ++j)
            ASSERT_EQ(bits(v[j]), bits(r.uniform())) << l << " element " << j;
        EXPECT_TRUE(v.guards_intact()) << l;
        EXPECT_EQ(bits(vsip_randu_f(st.s)), bits(r.uniform())) << l << " state after the vector";
    }
    for (vsiptest::CLayout l : vsiptest::kAllCLayouts) {
        State st(GetParam());
        Ref r = ref();
        vsiptest::CplxVec v(l, std::vector<vsiptest::cf>(23, vsiptest::cf{0, 0}));
        vsip_cvrandn_f(st.s, v.view());
        for (std::size_t j = 0; j < v.size(); ++j) {
            const vsip_cscalar_f w = r.cnormal();
            ASSERT_EQ(bits(v[j].re), bits(w.r)) << l << " element " << j;
            ASSERT_EQ(bits(v[j].im), bits(w.i)) << l << " element " << j;
        }
        EXPECT_TRUE(v.guards_intact()) << l;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Sequences,
                         ::testing::Values(Args{0, 1, 1, VSIP_PRNG}, Args{12345, 1, 1, VSIP_PRNG},
                                           Args{17, 7, 3, VSIP_PRNG}, Args{99, 1000, 100, VSIP_PRNG},
                                           Args{99, 1000, 3, VSIP_PRNG},
                                           Args{7, 100000, 50, VSIP_PRNG},
                                           Args{0xFFFFFFFFu, 2, 2, VSIP_PRNG},
                                           Args{4242, 1, 100, VSIP_PRNG},
                                           Args{0, 1, 1, VSIP_NPRNG}, Args{12345, 1, 1, VSIP_NPRNG},
                                           Args{17, 2, 2, VSIP_NPRNG}, Args{5, 12, 7, VSIP_NPRNG},
                                           Args{1, 1000, 999, VSIP_NPRNG}));

TEST(Random, NonPortableFirstValueIsTwoBaseSteps) {
    for (u32 seed : {0u, 1u, 77u, 0xDEADBEEFu}) {
        vsip_randstate *s = vsip_randcreate(seed, 1, 1, VSIP_NPRNG);
        const u32 x = A * (A * seed + C) + C;
        EXPECT_EQ(bits(vsip_randu_f(s)), bits(static_cast<float>(x) * 0x1p-32f)) << seed;
        vsip_randdestroy(s);
    }
}

TEST(Random, PortableIdOneHasNoJumpAndIncrementThree) {
    vsip_randstate *s = vsip_randcreate(31, 5, 1, VSIP_PRNG);
    const u32 x = A * 31u + C, x1 = 69069u + 3u;
    EXPECT_EQ(bits(vsip_randu_f(s)), bits(static_cast<float>(((x - x1) >> 8) | 1u) * 0x1p-24f));
    vsip_randdestroy(s);
}

// numseqs non-portable states together walk the base sequence from step
// numseqs + 1 on, in id order.
TEST(Random, NonPortableStatesLeapfrogOneSequence) {
    for (u32 n : {2u, 3u, 8u}) {
        std::vector<vsip_randstate *> st;
        for (u32 id = 1; id <= n; ++id)
            st.push_back(vsip_randcreate(2024, n, id, VSIP_NPRNG));
        u32 x = base_steps(2024, n);
        for (int round = 0; round < 50; ++round)
            for (u32 id = 0; id < n; ++id) {
                x = A * x + C;
                ASSERT_EQ(bits(vsip_randu_f(st[id])), bits(static_cast<float>(x) * 0x1p-32f))
                    << "numseqs " << n << " round " << round << " id " << id + 1;
            }
        for (vsip_randstate *s : st)
            vsip_randdestroy(s);
    }
}

TEST(Random, RangesAndMoments) {
    constexpr int n = 200000;
    for (vsip_rng kind : {VSIP_PRNG, VSIP_NPRNG}) {
        vsip_randstate *s = vsip_randcreate(8, 1, 1, kind);
        double sum = 0, sq = 0;
        for (int k = 0; k < n; ++k) {
            const float u = vsip_randu_f(s);
            if (kind == VSIP_PRNG) {
                ASSERT_TRUE(u > 0.0f && u < 1.0f) << u;
            } else {
                ASSERT_TRUE(u >= 0.0f && u <= 1.0f) << u;
            }
            sum += u, sq += double(u) * u;
        }
        EXPECT_NEAR(sum / n, 0.5, 0.005) << kind;
        EXPECT_NEAR(sq / n - (sum / n) * (sum / n), 1.0 / 12, 0.002) << kind;
        sum = sq = 0;
        for (int k = 0; k < n; ++k) {
            const float g = vsip_randn_f(s);
            ASSERT_TRUE(g >= -6.0f && g <= 6.0f) << g;
            sum += g, sq += double(g) * g;
        }
        EXPECT_NEAR(sum / n, 0.0, 0.015) << kind;
        EXPECT_NEAR(sq / n, 1.0, 0.02) << kind;
        double re = 0, im = 0, cross = 0;
        for (int k = 0; k < n; ++k) {
            const vsip_cscalar_f z = vsip_crandn_f(s);
            re += double(z.r) * z.r, im += double(z.i) * z.i, cross += double(z.r) * z.i;
        }
        EXPECT_NEAR(re / n, 0.5, 0.01) << kind;
        EXPECT_NEAR(im / n, 0.5, 0.01) << kind;
        EXPECT_NEAR(cross / n, 0.0, 0.01) << kind;
        vsip_randdestroy(s);
    }
}

// Refused arguments, judged on the stored 32-bit values; accepted ones
// with the same stored values give the same sequence.
TEST(Random, CreationRules) {
    struct Case {
        std::uint64_t numseqs, id;
        int kind;
        bool accepted;
    } cases[] = {
        {0, 1, VSIP_PRNG, false},           {0, 1, VSIP_NPRNG, false},
        {1ull << 32, 1, VSIP_PRNG, false},  {1ull << 32, 1, VSIP_NPRNG, false},
        {1, 0, VSIP_PRNG, false},           {1, 101, VSIP_PRNG, false},
        {1, (1ull << 32) + 101, VSIP_PRNG, false}, {1, 1ull << 32, VSIP_PRNG, false},
        {1, (1ull << 32) + 1, VSIP_PRNG, true},    {(1ull << 32) + 1, 1, VSIP_PRNG, true},
        {1, 100, VSIP_PRNG, true},          {1, 0, VSIP_NPRNG, true},
        {3, 500, VSIP_NPRNG, true},
        {1, 7, 2, true}, // any kind but VSIP_NPRNG is portable
        {1, 0, 2, false},
    };
    for (const Case &c : cases) {
        vsip_randstate *s = vsip_randcreate(5, c.numseqs, c.id, static_cast<vsip_rng>(c.kind));
        EXPECT_EQ(s != nullptr, c.accepted) << c.numseqs << " " << c.id << " " << c.kind;
        if (s) {
            const bool portable = c.kind != VSIP_NPRNG;
            Ref r(5, static_cast<u32>(c.numseqs), static_cast<u32>(c.id), portable);
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(bits(vsip_randn_f(s)), bits(r.normal())) << c.numseqs << " " << c.id;
        }
        vsip_randdestroy(s);
    }
    EXPECT_EQ(vsip_randdestroy(nullptr), 0);
}

TEST(Random, AllocationFailureGivesNull) {
    std::string problem;
    const long calls = vsiptest::for_every_failing_allocation<vsip_randstate>(
        [] { return vsip_randcreate(1, 1, 1, VSIP_PRNG); },
        [](vsip_randstate *s) { vsip_randdestroy(s); }, &problem);
    EXPECT_EQ(calls, 1) << problem;
}

} // namespace
