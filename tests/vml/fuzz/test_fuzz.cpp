// Differential fuzzing of every exported kernel (fuzz_engine.hpp), one
// test per function and precision, with a budget from the environment:
//   TVML_FUZZ_INPUTS   inputs per round and function (default 3000)
//   TVML_FUZZ_SECONDS  rounds (new seeds) until this many seconds are
//                      spent over all functions; one round if unset
//   TVML_FUZZ_SEED     seed of the first round (default 1)
//   TVML_FUZZ_TABLE    1: print the per-kernel table (inputs tried,
//                      inputs per second, worst error, mismatches)
//   TVML_FUZZ_EXAMPLES mismatches listed per kernel (default 8)
// Then the regression rows of faults the fuzzer found, and the fuzzer's
// own tables: that it catches a wrong kernel, and what it feeds.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz_engine.hpp"

namespace {

using tvml_fuzz::Group;
using tvml_fuzz::Target;

double env_number(const char* name, double fallback) {
    const char* v = std::getenv(name);
    if (!v || !*v) return fallback;
    char* end = nullptr;
    const double d = std::strtod(v, &end);
    return *end == '\0' && d >= 0 ? d : fallback;
}

std::vector<Group>& all_groups() {
    static std::vector<Group> groups = tvml_fuzz::make_groups();
    return groups;
}

std::vector<std::string> group_labels() {
    std::vector<std::string> v;
    for (const Group& g : all_groups()) v.push_back(g.label());
    return v;
}

Group* group_named(const std::string& label) {
    for (Group& g : all_groups())
        if (g.label() == label) return &g;
    return nullptr;
}

bool runs_tuned_code() { return tvml_test::has_avx2_fma(); }

// Targets that the processor can run: tuned kernels and register calls
// need AVX2 and FMA; the entry points run everywhere.
void drop_unrunnable(Group& g) {
    if (runs_tuned_code()) return;
    std::vector<Target> kept;
    for (const Target& t : g.targets)
        if (t.kind == tvml_fuzz::Kind::Entry) kept.push_back(t);
    g.targets = kept;
}

// Prints the per-kernel table of the groups run so far.
void print_table() {
    std::printf("\n%-30s %-8s %12s %12s %10s %8s %10s %10s %10s\n", "kernel", "output", "tried", "inputs/s",
                "worst ulp", "bound", "mismatches", "as libm", "outside");
    for (const Group& g : all_groups()) {
        if (!g.reference_count && g.targets.empty()) continue;
        bool any = false;
        for (const Target& t : g.targets) any = any || t.tried;
        if (!any) continue;
        std::printf("-- %s: %llu MPFR references in %.2f s\n", g.label().c_str(),
                    static_cast<unsigned long long>(g.reference_count), g.reference_seconds);
        for (const Target& t : g.targets) {
            if (!t.tried) continue;
            std::printf("%-30s %-8s %12llu %12.3g %10.3g %8s %10llu %10llu %10.3g\n", t.name.c_str(),
                        t.output == 2 ? "second" : "first", static_cast<unsigned long long>(t.tried),
                        t.seconds > 0 ? double(t.tried) / t.seconds : 0.0, t.worst_ulp,
                        t.exact ? "exact" : std::to_string(t.max_ulp).substr(0, 6).c_str(),
                        static_cast<unsigned long long>(t.mismatches), static_cast<unsigned long long>(t.libm_limited),
                        t.outside_steps);
        }
        for (const Target& t : g.targets) {
            for (const std::string& line : t.examples) std::printf("  mismatch %s\n", line.c_str());
            if (t.libm_limited)
                std::printf("  as libm   %s: %llu results beyond the bound equal to the portable kernel's, e.g. %s\n",
                            t.name.c_str(), static_cast<unsigned long long>(t.libm_limited), t.libm_example.c_str());
            if (t.outside_steps > t.max_ulp && !t.exact)
                std::printf("  outside   %s: %.3g steps from the portable kernel beyond the intervals, e.g. %s\n",
                            t.name.c_str(), t.outside_steps, t.outside_example.c_str());
        }
    }
}

class TablePrinter : public ::testing::Environment {
public:
    void TearDown() override {
        if (env_number("TVML_FUZZ_TABLE", 0) > 0) print_table();
    }
};
const auto* const kTablePrinter = ::testing::AddGlobalTestEnvironment(new TablePrinter);

// ---- the fuzz runs: one row per function and precision ---------------------

class FunctionFuzz : public ::testing::TestWithParam<std::string> {};

TEST_P(FunctionFuzz, AgreesWithPortableKernelAndDeclaredBound) {
    Group* g = group_named(GetParam());
    ASSERT_NE(g, nullptr);
    drop_unrunnable(*g);
    const size_t inputs = size_t(env_number("TVML_FUZZ_INPUTS", 3000));
    const double seconds = env_number("TVML_FUZZ_SECONDS", 0) / double(all_groups().size());
    tvml_fuzz::Budget budget;
    budget.examples = size_t(env_number("TVML_FUZZ_EXAMPLES", 8));
    uint64_t seed = uint64_t(env_number("TVML_FUZZ_SEED", 1));
    for (const char c : g->label()) seed = seed * 131 + uint64_t(c);
    const auto start = std::chrono::steady_clock::now();
    do {
        tvml_fuzz::fuzz_group(*g, inputs, seed++, budget, runs_tuned_code());
    } while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds);
    for (const Target& t : g->targets) {
        EXPECT_NE(t.fn, nullptr) << t.name << " is not exported";
        if (!t.fn) continue;
        EXPECT_GT(t.tried, 0u) << t.name << " was never run";
        std::string examples;
        for (const std::string& line : t.examples) examples += "\n  " + line;
        EXPECT_EQ(t.mismatches, 0u) << t.name << " disagrees on " << t.mismatches << " of " << t.tried
                                    << " inputs:" << examples;
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, FunctionFuzz, ::testing::ValuesIn(group_labels()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Every name of the tables is reached: each array slot, entry point and
// short-vector function has a fuzzed group.
TEST(FuzzCoverage, EveryTableNameIsFuzzed) {
    std::map<std::string, bool> seen;
    for (const Group& g : all_groups())
        for (const Target& t : g.targets) seen[t.name] = true;
    for (const tvml_fuzz::EntryRow& e : tvml_fuzz::entry_rows()) EXPECT_TRUE(seen[e.name]) << e.name;
    for (const tvml_fuzz::SvNames& s : tvml_fuzz::sv_names())
        for (const auto& shape : s.names)
            for (const char* name : shape) EXPECT_TRUE(seen[name]) << name;
    for (const tvml_accuracy::detail::Slot& s : tvml_accuracy::detail::slots())
        for (const char* variant : {s.index1, s.index23})
            if (*variant) {
                EXPECT_TRUE(seen[std::string(s.op) + "_" + variant]) << s.op << "_" << variant;
            }
    for (const std::string& extra : tvml_accuracy::detail::extra_kernels()) EXPECT_TRUE(seen[extra]) << extra;
}

// ---- faults the fuzzer found, fixed ----------------------------------------

// One input pair, in every lane and block position of every kernel,
// entry point and short-vector name of the function.
struct RegressionRow {
    const char* group;
    double x, y;
    const char* fault;  // what the kernels gave before the fix
};

void PrintTo(const RegressionRow& row, std::ostream* os) { *os << row.group << " (" << row.x << ", " << row.y << ")"; }

class FuzzRegression : public ::testing::TestWithParam<RegressionRow> {};

TEST_P(FuzzRegression, EveryKernelAgrees) {
    const RegressionRow& row = GetParam();
    Group* found = group_named(row.group);
    ASSERT_NE(found, nullptr);
    Group g = *found;
    drop_unrunnable(g);
    g.reference_count = 0;
    tvml_fuzz::Inputs<double> in;
    in.x.assign(tvml_fuzz::kRun, row.x);
    in.y.assign(tvml_fuzz::kRun, row.y);
    in.runs = 1;
    const tvml_fuzz::Expected<double> e = tvml_fuzz::expected(g, in);
    for (Target& t : g.targets) {
        t.tried = t.mismatches = 0;
        t.examples.clear();
        tvml_fuzz::run_target(g, t, in, e, tvml_fuzz::Budget());
        EXPECT_EQ(t.mismatches, 0u) << t.name << " at x=" << row.x << " y=" << row.y << " (was: " << row.fault << ")"
                                    << (t.examples.empty() ? "" : "\n  " + t.examples[0]);
    }
}

const RegressionRow kRegressions[] = {
    // z = y ln x rounded below the overflow threshold: finite results
    {"pow_double", 2.0, 1024.0, "0x1.fffffffffff2ap+1023 instead of +inf"},
    {"pow_double", 0.5, -1024.0, "0x1.fffffffffff2ap+1023 instead of +inf"},
    {"pow_double", 4.0, 512.0, "0x1.fffffffffff2ap+1023 instead of +inf"},
    {"pow_double", 16.0, 256.0, "0x1.fffffffffff2ap+1023 instead of +inf"},
    {"pow_double", 0x1p-512, -2.0, "0x1.fffffffffff2ap+1023 instead of +inf"},
};
INSTANTIATE_TEST_SUITE_P(Rows, FuzzRegression, ::testing::ValuesIn(kRegressions));

// ---- the fuzzer catches faults ---------------------------------------------

// A group whose kernel is replaced by another computes the wrong thing;
// the fuzzer must report it.
struct WrongKernelRow {
    const char* group;   // label of the function fuzzed
    const char* kernel;  // the kernel put in its place
    bool exact;          // judged bit for bit, or by the declared bound
    double max_ulp;
};

void PrintTo(const WrongKernelRow& row, std::ostream* os) { *os << row.kernel << " as " << row.group; }

class FuzzerCatches : public ::testing::TestWithParam<WrongKernelRow> {};

TEST_P(FuzzerCatches, AKernelOfAnotherFunction) {
    const WrongKernelRow& row = GetParam();
    Group* found = group_named(row.group);
    ASSERT_NE(found, nullptr);
    Group g = *found;
    g.targets.clear();
    g.reference_count = 0;
    Target t;
    t.name = row.kernel;
    t.exact = row.exact;
    t.max_ulp = row.max_ulp;
    t.fn = tvml_fuzz::symbol(row.kernel);
    ASSERT_NE(t.fn, nullptr) << row.kernel;
    g.targets.push_back(t);
    tvml_fuzz::fuzz_group(g, 600, 7, tvml_fuzz::Budget(), false);
    EXPECT_GT(g.targets[0].mismatches, 0u) << row.kernel << " passed as " << row.group;
}

const WrongKernelRow kWrongKernels[] = {
    {"exp_float", "sexpm1_generic", false, 3},  // off by one everywhere
    {"ln_double", "dlog10_generic", false, 2},  // finite, wrong values
    {"add_float", "ssub_generic", true, 0},     // exact group
    {"add_double", "dsub_generic", true, 0},
    {"sinh_float", "scosh_generic", false, 9.5},  // even against odd: sign and value
    {"atan_double", "dtanh_generic", false, 2.5},
};
INSTANTIATE_TEST_SUITE_P(Rows, FuzzerCatches, ::testing::ValuesIn(kWrongKernels));

// ---- what the fuzzer feeds -------------------------------------------------

struct FedRow {
    const char* group;
    int argument;  // 0: x, 1: y
    double value;  // must be among the inputs (band edges with neighbours)
};

void PrintTo(const FedRow& row, std::ostream* os) {
    *os << row.group << " argument " << row.argument << " " << row.value;
}

class FuzzerFeeds : public ::testing::TestWithParam<FedRow> {};

template <class T>
bool fed(const Group& g, int argument, double value) {
    const tvml_fuzz::Inputs<T> in = tvml_fuzz::make_inputs<T>(g, 500, 3);
    const std::vector<T>& v = argument == 0 ? in.x : in.y;
    for (T x : v)
        if (tvml_test::same_bits(x, T(value))) return true;
    return false;
}

TEST_P(FuzzerFeeds, BandEdgesAndSpecials) {
    const FedRow& row = GetParam();
    const Group* g = group_named(row.group);
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->is_float ? fed<float>(*g, row.argument, row.value) : fed<double>(*g, row.argument, row.value))
        << row.group << " argument " << row.argument << " value " << row.value;
}

const FedRow kFed[] = {
    {"exp_float", 0, 88.72283935546875},  // overflow threshold
    {"exp_float", 0, -std::nextafter(88.72283935546875f, 100.0f)},
    {"exp_double", 0, -745.13321910194111},       // below the smallest subnormal result
    {"ln_double", 0, 0x1.0000000000001p0},        // 1 + 2^-52
    {"ln_double", 0, 0x1.fffffffffffffp-1},       // 1 - 2^-53
    {"pow_float", 1, 16777215.0},                 // largest odd float integer
    {"pow_double", 1, std::nextafter(3.0, 4.0)},  // next to an integer exponent
    {"pow_double", 0, -0.0},
    {"sin_double", 0, 68719476736.0},               // reduction limit
    {"asin_float", 0, std::nextafter(1.0f, 2.0f)},  // just outside the domain
    {"acosh_double", 0, 0x1p47},
    {"hypot_double", 1, 1.3407807929942596e154},  // sqrt of the largest double
    {"sqrt_float", 0, std::numeric_limits<float>::denorm_min()},
    {"add_double", 0, -std::numeric_limits<double>::infinity()},
};
INSTANTIATE_TEST_SUITE_P(Rows, FuzzerFeeds, ::testing::ValuesIn(kFed));

// NaNs of every kind: signalling and quiet, payloads low and high, both signs.
TEST(FuzzerFeeds, NaNsWithPayloads) {
    int signalling = 0, negative = 0, low_payload = 0;
    for (float v : tvml_fuzz::special_values<float>()) {
        if (!std::isnan(v)) continue;
        const uint32_t b = tvml_test::bits_of(v);
        signalling += (b & 0x00400000u) == 0;
        negative += (b >> 31) != 0;
        low_payload += (b & 0xffu) != 0;
    }
    EXPECT_GE(signalling, 3);
    EXPECT_GE(negative, 3);
    EXPECT_GE(low_payload, 3);
}

}  // namespace
