// Every tuned array kernel of both tuned tables (and each exported copy)
// gives exactly the bits of its nominal blocks run one at a time (the
// harness's run_nominal_blocks), whatever it does to go faster: several
// blocks per iteration, two blocks in one wider register, a fix-up that
// recomputes a run block by block.  Lengths 0 to 70 and a few large ones,
// at every start offset, out of place and in place, on inputs from the
// kernel's declared intervals with special values mixed in (for asin and
// acos, out-of-domain values that send a block to libm).
#include <algorithm>
#include <random>

#include "family_harness.hpp"

namespace {

// The same bits, or NaN on both sides: which operand's NaN an instruction
// passes on (its sign and payload) depends on the operand order the
// compiler picks, which differs between optimisation levels.
template <class T>
bool same_result(T a, T b) {
    return family::bits_of(a) == family::bits_of(b) || (a != a && b != b);
}

using family::BlockGrouping;
using tvml_test::Shape;

// Kernels whose nominal blocks are 256-bit registers although they stand
// in the index-2 and index-3 table (the others there have 128-bit blocks).
const char* const kWideOndara[] = {"ssin_ondara", "scos_ondara", "ssincos_ondara", "scosh_ondara",
                                   "scbrt_ondara", "dsin_ondara", "dcos_ondara", "dcbrt_ondara"};

// The block of a kernel: tarvo 8 floats or 4 doubles, ondara (and its
// belisk copy) 4 floats or 2 doubles unless listed above.
Shape block_of(const std::string& kernel, bool is_float) {
    const std::string stem = kernel.substr(0, kernel.rfind('_'));
    const bool tarvo = kernel.size() > 6 && kernel.compare(kernel.size() - 6, 6, "_tarvo") == 0;
    bool wide = tarvo;
    for (const char* k : kWideOndara) wide |= stem + "_ondara" == k;
    if (is_float) return wide ? Shape::F8 : Shape::F4;
    return wide ? Shape::D4 : Shape::D2;
}

// Every declared tuned array kernel, from the accuracy rows (which the
// name tables expand).
std::vector<BlockGrouping> tuned_array_kernels() {
    std::vector<BlockGrouping> v;
    for (const tvml_accuracy::KernelRow& row : tvml_accuracy::kernel_rows()) {
        if (family::is_short_vector(row.kernel) || row.output != 1) continue;
        const tvml_accuracy::Declaration& d = *row.declaration;
        const bool saturated = row.kernel == "scosh_ondara" || row.kernel == "scosh_belisk";
        v.push_back({row.kernel, d.function, block_of(row.kernel, d.is_float), row.arity, saturated});
    }
    return v;
}

class BlockGroupingTest : public ::testing::TestWithParam<BlockGrouping> {
protected:
    void SetUp() override {
        if (!tvml_test::has_avx2_fma()) GTEST_SKIP() << "tuned kernels need AVX2 and FMA";
    }

    // Inputs from the first declared box, one in eight a special value.
    template <class T>
    static std::vector<T> inputs(const BlockGrouping& g, size_t count, int axis, unsigned seed) {
        const std::vector<tvml_accuracy::Box> boxes =
            tvml_accuracy::intervals_of(family::row_of(g.kernel).intervals, g.arity == 1 ? 1 : 2);
        double lo = -10, hi = 10;
        if (!boxes.empty()) {
            lo = axis == 0 ? boxes[0].xlo : boxes[0].ylo;
            hi = axis == 0 ? boxes[0].xhi : boxes[0].yhi;
        }
        const std::vector<T> specials = tvml_test::special_values<T>();
        std::mt19937_64 rng(seed);
        std::uniform_real_distribution<double> u(lo, hi);
        std::vector<T> v(count);
        for (T& x : v) x = rng() % 8 == 0 ? specials[rng() % specials.size()] : T(u(rng));
        return v;
    }

    template <class T>
    void check() {
        const BlockGrouping& g = GetParam();
        const tvml_array_kernel kernel = family::array_kernel(g.kernel);
        ASSERT_NE(kernel, nullptr);
        const bool two = g.fn == "sincos";
        std::vector<size_t> lengths;
        for (size_t n = 0; n <= 70; ++n) lengths.push_back(n);
        for (size_t n : {257, 1000, 4099}) lengths.push_back(n);
        constexpr size_t kOffsets = 8;
        for (size_t n : lengths)
            for (size_t offset = 0; offset < kOffsets; ++offset) {
                const unsigned seed = unsigned(n * kOffsets + offset);
                const std::vector<T> x0 = inputs<T>(g, n + offset + 1, 0, seed);
                std::vector<T> y0 = inputs<T>(g, n + offset + 1, 1, seed + 7);
                if (g.arity == 3) y0[offset] = T(1.7);
                const T* x = x0.data() + offset;
                const T* y = y0.data() + offset;
                const T guard = T(-3.5);
                std::vector<T> want(n + 1, guard), want2(n + 1, guard);
                family::run_nominal_blocks(g, n, x, y, want.data(), want2.data());
                std::vector<T> got(n + offset + 1, guard), got2(n + offset + 1, guard);
                kernel(int64_t(n), x, g.arity == 1 ? nullptr : y, got.data() + offset,
                       two ? got2.data() + offset : nullptr, 0);
                std::vector<T> in_place = x0, in_place2(n + offset + 1, guard);
                kernel(int64_t(n), in_place.data() + offset, g.arity == 1 ? nullptr : y, in_place.data() + offset,
                       two ? in_place2.data() + offset : nullptr, 0);
                for (size_t i = 0; i < n; ++i) {
                    const auto where = [&] {
                        return g.kernel + " n=" + std::to_string(n) + " offset=" + std::to_string(offset) +
                               " i=" + std::to_string(i) + " x=" + family::show(x[i]);
                    };
                    ASSERT_PRED2(same_result<T>, got[offset + i], want[i])
                        << where() << " got " << family::show(got[offset + i]) << " blocks give "
                        << family::show(want[i]);
                    ASSERT_PRED2(same_result<T>, in_place[offset + i], want[i]) << where() << " in place";
                    if (two) {
                        ASSERT_PRED2(same_result<T>, got2[offset + i], want2[i]) << where() << " r2";
                        ASSERT_PRED2(same_result<T>, in_place2[offset + i], want2[i])
                            << where() << " r2 in place";
                    }
                }
                ASSERT_EQ(family::bits_of(got[offset + n]), family::bits_of(guard)) << g.kernel << " wrote past n=" << n;
            }
    }
};

TEST_P(BlockGroupingTest, BitsOfTheNominalBlocks) {
    if (tvml_test::is_float(GetParam().block)) check<float>();
    else check<double>();
}

INSTANTIATE_TEST_SUITE_P(Kernels, BlockGroupingTest, ::testing::ValuesIn(tuned_array_kernels()),
                         [](const auto& info) { return info.param.kernel; });

TEST(BlockGroupingTable, CoversEveryTunedArrayKernelOfBothTables) {
    std::vector<std::string> listed;
    for (const BlockGrouping& g : tuned_array_kernels()) listed.push_back(g.kernel);
    for (const tvml_accuracy::detail::Slot& s : tvml_accuracy::detail::slots())
        for (const char* variant : {s.index1, s.index23}) {
            const std::string kernel = std::string(s.op) + "_" + variant;
            // Arithmetic and floor kernels are exact: compared bit for bit
            // with the portable kernels elsewhere.
            if (!*variant || !tvml_accuracy::find(kernel)) continue;
            EXPECT_NE(std::find(listed.begin(), listed.end(), kernel), listed.end()) << kernel;
        }
    EXPECT_GE(listed.size(), 70u);
}

}  // namespace
