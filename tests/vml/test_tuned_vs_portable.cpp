// Every tuned array kernel a table holds against the portable kernel of
// its slot: bit-identical for the arithmetic and floor kernels, within the declared
// ULP bound for the others, at block, sub-block and remainder boundaries,
// out of place and in place.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "accuracy.hpp"
#include "dazaro_tv.h"
#include "test_support.hpp"

namespace {

struct TunedKernel {
    std::string name;
    std::string portable;
    bool is_float;
    int scalars_per_element;
    bool arithmetic;
    bool two_outputs;  // sincos: sines to r, cosines to r2
};

// Kernels reached by an entry point with two outputs.
bool writes_two_outputs(const std::string& op) {
#define TWO_OUTPUTS_SINCOS(op_) if (op == #op_) return true;
#define TWO_OUTPUTS_UNARY(op_)
#define TWO_OUTPUTS_BINARY(op_)
#define TWO_OUTPUTS_POWX(op_)
#define TWO_OUTPUTS_FIXED(op_)
#define ENTRY(name, op_, shape, type, exponent) TWO_OUTPUTS_##shape(op_)
    TVML_ARRAY_ENTRIES(ENTRY)
#undef ENTRY
    return false;
}

// The arithmetic kernels (slots 0 to 9) and floor are exact: bit-identical
// to the portable ones.
bool exact_operation(const std::string& op, int slot) { return slot < 10 || op == "sfloor" || op == "dfloor"; }

#define TUNED_READY(op, v) kernels.push_back({#op "_" #v, #op "_generic", #op[0] == 's' || #op[0] == 'c', \
                                              #op[0] == 'c' || #op[0] == 'z' ? 2 : 1,                 \
                                              exact_operation(#op, slot), writes_two_outputs(#op)});
#define TUNED_GENERIC(op, v)
#define SLOT(slot_, op, index1, index23)      \
    {                                         \
        const int slot = slot_;               \
        (void)slot;                           \
        TVML_ON_COLUMN(TUNED, op, index1)     \
        TVML_ON_COLUMN(TUNED, op, index23)    \
    }

std::vector<TunedKernel> tuned_kernels() {
    std::vector<TunedKernel> kernels;
    TVML_ARRAY_SLOTS(SLOT)
    std::vector<TunedKernel> unique;
    for (const TunedKernel& k : kernels) {
        bool seen = false;
        for (const TunedKernel& u : unique) seen |= u.name == k.name;
        if (!seen) unique.push_back(k);
    }
    return unique;
}

void PrintTo(const TunedKernel& k, std::ostream* os) { *os << k.name; }

template <class T>
double ulp_distance(T got, T want) {
    if (tvml_test::same_bits(got, want)) return 0;
    if (std::isnan(got) || std::isnan(want)) return INFINITY;
    if (std::isinf(got) || std::isinf(want)) return got == want ? 0 : INFINITY;
    const T scale = std::max(std::fabs(want), std::numeric_limits<T>::min());
    const T ulp = std::nextafter(scale, std::numeric_limits<T>::infinity()) - scale;
    return std::fabs(double(got) - double(want)) / double(ulp);
}

class TunedVsPortable : public ::testing::TestWithParam<TunedKernel> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "tuned kernels need AVX2 and FMA";
    }

    // One-argument kernels keep their bound over their declared intervals;
    // outside them (documented saturations such as exp's +inf above 127.5
    // ln 2 and +0 below its negative) a result must only be NaN exactly
    // when the portable one is.
    template <class T>
    void compare(const TunedKernel& k, double bound, int arity,
                 const std::vector<tvml_accuracy::Box>& intervals = {}) {
        auto tuned = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, k.name.c_str()));
        auto portable = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, k.portable.c_str()));
        ASSERT_NE(tuned, nullptr) << k.name;
        ASSERT_NE(portable, nullptr) << k.portable;
        // Around every block width (2..32 scalars) and its sub-blocks.
        for (int n : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1000, 1027}) {
            const size_t m = size_t(n) * k.scalars_per_element;
            const std::vector<T> a = tvml_test::test_inputs<T>(m, 100 + n);
            std::vector<T> b = tvml_test::test_inputs<T>(m + 3, 200 + n);
            b.erase(b.begin(), b.begin() + 3);
            const T power = T(0.75);
            const void* second = arity == 3 ? static_cast<const void*>(&power) : b.data();
            std::vector<T> want(m + 1, T(-3)), got(m + 1, T(-3)), in_place = a;
            // Two-output kernels write their second result here (null otherwise, as
            // the entry points pass); in place, the first output is the input.
            std::vector<T> want2(m + 1, T(-3)), got2(m + 1, T(-3)), in_place2(m + 1, T(-3));
            const auto out2 = [&](std::vector<T>& v) { return k.two_outputs ? v.data() : nullptr; };
            portable(n, a.data(), second, want.data(), out2(want2), 0);
            tuned(n, a.data(), second, got.data(), out2(got2), 0);
            tuned(n, in_place.data(), second, in_place.data(), out2(in_place2), 0);
            for (size_t i = 0; i < m && k.two_outputs; ++i) {
                ASSERT_LE(ulp_distance(got2[i], want2[i]), bound)
                    << k.name << " second output, n=" << n << " i=" << i << " a=" << a[i] << " got " << got2[i]
                    << " portable " << want2[i];
                ASSERT_TRUE(tvml_test::same_bits(in_place2[i], got2[i])) << k.name << " in place, i=" << i;
            }
            if (k.two_outputs) {
                EXPECT_EQ(got2[m], T(-3)) << k.name << " wrote past n=" << n;
            }
            for (size_t i = 0; i < m; ++i) {
                bool inside = intervals.empty();
                for (const tvml_accuracy::Box& box : intervals)
                    inside |= double(a[i]) >= box.xlo && double(a[i]) <= box.xhi;
                if (!inside) {
                    ASSERT_EQ(std::isnan(got[i]), std::isnan(want[i])) << k.name << " a=" << a[i] << " got " << got[i];
                    ASSERT_TRUE(tvml_test::same_bits(in_place[i], got[i])) << k.name << " in place, i=" << i;
                    continue;
                }
                ASSERT_LE(ulp_distance(got[i], want[i]), bound)
                    << k.name << " n=" << n << " i=" << i << " a=" << a[i] << " b=" << b[i] << " got " << got[i]
                    << " portable " << want[i];
                ASSERT_TRUE(tvml_test::same_bits(in_place[i], got[i])) << k.name << " in place, i=" << i;
            }
            EXPECT_EQ(got[m], T(-3)) << k.name << " wrote past n=" << n;
        }
    }
};

TEST_P(TunedVsPortable, WithinDeclaredBound) {
    const TunedKernel& k = GetParam();
    double bound = 0;
    int arity = 2;
    std::vector<tvml_accuracy::Box> intervals;
    if (!k.arithmetic) {
        const tvml_accuracy::KernelRow* row = tvml_accuracy::find(k.name);
        ASSERT_NE(row, nullptr) << k.name << " has no accuracy declaration";
        // Against libm, which is itself within about one ulp.
        bound = row->max_ulp + 1;
        arity = row->arity;
        if (arity == 1) intervals = tvml_accuracy::intervals_of(row->intervals, 1);
    }
    if (k.is_float) compare<float>(k, bound, arity, intervals);
    else compare<double>(k, bound, arity, intervals);
}

INSTANTIATE_TEST_SUITE_P(Kernels, TunedVsPortable, ::testing::ValuesIn(tuned_kernels()),
                         [](const auto& info) { return info.param.name; });

TEST(TunedArithmetic, SpecialValues) {
    if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "tuned kernels need AVX2 and FMA";
    const float inf = INFINITY;
    float a[32], b[32], r[32];
    for (int i = 0; i < 32; ++i) a[i] = b[i] = inf;
    a[1] = b[1] = 0.0f;
    ssub_tarvo(32, a, b, r, nullptr, 0);
    EXPECT_TRUE(std::isnan(r[0]));
    EXPECT_EQ(r[1], 0.0f);
    EXPECT_FALSE(std::signbit(r[1]));
    double d[32], dr[32];
    for (double& v : d) v = -0.0;
    dsqr_tarvo(32, d, nullptr, dr, nullptr, 0);
    for (double v : dr) EXPECT_FALSE(std::signbit(v));
}

}  // namespace
