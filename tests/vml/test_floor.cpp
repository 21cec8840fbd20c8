// Every floor kernel (portable and tuned) bit for bit against the portable
// kernel's element function (libm's floor, except that a signalling NaN
// comes back quietened, as x + x gives it), NaN payloads included: special
// values, the edges where the fraction bits
// run out (2^23, 2^52 and their neighbours), half-integer steps and random
// bit patterns, at every lane position, every length up to past two blocks
// and every start offset, in place too, without the inexact flag.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dazaro_tv.h"
#include "loops.hpp"
#include "test_support.hpp"

namespace {

using tvml_test::bits_of;
using tvml_test::from_bits;

struct FloorKernel {
    const char* name;
    tvml_array_kernel kernel;
    bool is_float;
    bool tuned;
};

const FloorKernel kFloorKernels[] = {
    {"sfloor_generic", sfloor_generic, true, false},
    {"dfloor_generic", dfloor_generic, false, false},
    {"sfloor_tarvo", sfloor_tarvo, true, true},
    {"dfloor_tarvo", dfloor_tarvo, false, true},
};

void PrintTo(const FloorKernel& k, std::ostream* os) { *os << k.name; }

template <class T>
T reference_floor(T x) { return tvml::portable::floor_exact(x); }

// The inputs: specials, NaNs with payloads (quiet and signalling, both
// signs), both sides of every power of two from 2^-2 to past the last
// fractional one, half-integer steps around 0 and around that edge, and
// random bit patterns.
template <class T>
std::vector<T> floor_inputs() {
    using L = std::numeric_limits<T>;
    using U = tvml_test::BitsOf<T>;
    constexpr int kMantissa = L::digits - 1;
    constexpr U kQuiet = U(1) << (kMantissa - 1);
    const U exponent_all = (~U(0) >> 1) & ~((U(1) << kMantissa) - 1);
    std::vector<T> v = tvml_test::special_values<T>();
    for (U payload : {U(1), U(0x1234), kQuiet - 1})
        for (U sign : {U(0), U(1) << (sizeof(T) * 8 - 1)}) {
            v.push_back(from_bits<T>(sign | exponent_all | payload));           // signalling
            v.push_back(from_bits<T>(sign | exponent_all | kQuiet | payload));  // quiet
        }
    for (int e = -2; e <= kMantissa + 2; ++e) {
        const T p = std::ldexp(T(1), e);
        for (T s : {T(1), T(-1)}) {
            const T x = s * p;
            v.push_back(x);
            v.push_back(std::nextafter(x, T(0)));
            v.push_back(std::nextafter(x, s * L::infinity()));
        }
    }
    const T edge = std::ldexp(T(1), kMantissa - 1);
    for (int i = -8; i <= 8; ++i)
        for (T base : {T(0), edge, -edge}) v.push_back(base + T(i) * T(0.5));
    v.push_back(L::denorm_min() * 3);
    v.push_back(-L::denorm_min() * 3);
    v.push_back(-L::min() + L::denorm_min());
    std::mt19937_64 rng(0xf1002);
    for (int i = 0; i < 4096; ++i) v.push_back(from_bits<T>(U(rng())));
    return v;
}

class Floor : public ::testing::TestWithParam<FloorKernel> {
protected:
    void SetUp() override {
        if (GetParam().tuned && !tvml_test::has_avx2_fma()) GTEST_SKIP() << "tuned kernels need AVX2 and FMA";
    }

    // Runs the kernel on x (n elements from offset) out of place and in
    // place; checks every bit of the results, and that nothing past n is
    // written.
    template <class T>
    void check(const std::vector<T>& x, size_t offset, size_t n, const std::string& where) {
        const tvml_array_kernel k = GetParam().kernel;
        const T guard = T(-7.25);
        std::vector<T> out(offset + n + 1, guard), in_place(offset + n + 1, guard);
        for (size_t i = 0; i < n; ++i) in_place[offset + i] = x[i];
        std::vector<T> src(offset + n + 1, guard);
        for (size_t i = 0; i < n; ++i) src[offset + i] = x[i];
        std::feclearexcept(FE_ALL_EXCEPT);
        k(int64_t(n), src.data() + offset, nullptr, out.data() + offset, nullptr, 0);
        k(int64_t(n), in_place.data() + offset, nullptr, in_place.data() + offset, nullptr, 0);
        ASSERT_FALSE(std::fetestexcept(FE_INEXACT)) << GetParam().name << " raised the inexact flag, " << where;
        for (size_t i = 0; i < n; ++i) {
            const auto want = bits_of(reference_floor(x[i]));
            ASSERT_EQ(bits_of(out[offset + i]), want)
                << GetParam().name << " " << where << " n=" << n << " i=" << i << " x bits=" << std::hex
                << bits_of(x[i]);
            ASSERT_EQ(bits_of(in_place[offset + i]), want) << GetParam().name << " in place " << where << " i=" << i;
            if (!std::isnan(x[i])) {
                ASSERT_EQ(want, bits_of(std::floor(x[i]))) << "libm disagrees at " << x[i];
            }
        }
        ASSERT_EQ(bits_of(out[offset + n]), bits_of(guard)) << GetParam().name << " wrote past n=" << n;
        ASSERT_EQ(bits_of(in_place[offset + n]), bits_of(guard)) << GetParam().name << " wrote past n=" << n;
    }

    template <class T>
    void run() {
        const std::vector<T> inputs = floor_inputs<T>();
        // Every input at every lane position of a run long enough for a
        // whole block and a remainder, between plain half-integers.
        for (size_t at = 0; at < 40; ++at)
            for (size_t j = 0; j < inputs.size() && j < 300; ++j) {
                std::vector<T> x(40, T(-2.5));
                x[at] = inputs[j];
                check(x, 0, x.size(), "position " + std::to_string(at));
            }
        // Every length 0..70 at every offset 0..3, the inputs rotated by n.
        for (size_t n = 0; n <= 70; ++n)
            for (size_t offset = 0; offset < 4; ++offset) {
                std::vector<T> x(n);
                for (size_t i = 0; i < n; ++i) x[i] = inputs[(i + 7 * n + offset) % inputs.size()];
                check(x, offset, n, "offset " + std::to_string(offset));
            }
        // All inputs in one call.
        check(inputs, 1, inputs.size(), "all inputs");
    }
};

TEST_P(Floor, SameBitsAsThePortableElementLoop) {
    if (GetParam().is_float) run<float>();
    else run<double>();
}

INSTANTIATE_TEST_SUITE_P(Kernels, Floor, ::testing::ValuesIn(kFloorKernels),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
