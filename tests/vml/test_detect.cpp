// Architecture selection from scripted CPUID / XGETBV answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "detect.hpp"

namespace {

using tvml::CpuidRegs;

constexpr uint32_t kAvxGroup = 0x1C000000u;  // XSAVE | OSXSAVE | AVX
constexpr uint32_t kFma = 1u << 12;
constexpr uint32_t kAvx2 = 1u << 5;

// leaf-1 EAX for a family/model, using the extended fields when the family
// is 0xF or above.
uint32_t signature(uint32_t family, uint32_t model) {
    if (family < 0xF) return (family << 8) | ((model & 0xF) << 4);
    return (0xFu << 8) | ((family - 0xF) << 20) | ((model >> 4) << 16) | ((model & 0xF) << 4);
}

struct ScriptedCpu final : tvml::CpuProbe {
    uint32_t max_leaf = 0xD;
    std::string vendor = "TarvoGenuine";
    uint32_t leaf1_eax = signature(0x18, 4);
    uint32_t leaf1_ecx = kAvxGroup | kFma;
    uint32_t leaf7_ebx = kAvx2;
    uint64_t xcr0 = 7;
    mutable bool xgetbv_ran = false;
    mutable int cpuid_calls = 0;

    CpuidRegs cpuid(uint32_t leaf, uint32_t) const override {
        ++cpuid_calls;
        CpuidRegs r{};
        if (leaf == 0) {
            r.eax = max_leaf;
            std::memcpy(&r.ebx, vendor.data() + 0, 4);
            std::memcpy(&r.edx, vendor.data() + 4, 4);
            std::memcpy(&r.ecx, vendor.data() + 8, 4);
        } else if (leaf == 1 && max_leaf >= 1) {
            r.eax = leaf1_eax;
            r.ecx = leaf1_ecx;
        } else if (leaf == 7 && max_leaf >= 7) {
            r.ebx = leaf7_ebx;
        }
        return r;
    }
    uint64_t xgetbv0() const override {
        xgetbv_ran = true;
        return xcr0;
    }
};

struct Case {
    const char* what;
    void (*setup)(ScriptedCpu&);
    int expected;
};

const Case kCases[] = {
    {"TarvoGenuine family 0x18 model 4", [](ScriptedCpu&) {}, 3},
    {"model 0", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 0); }, 2},
    {"model 1", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 1); }, 2},
    {"model 3", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 3); }, 2},
    {"model 5", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 5); }, 2},
    {"model 0x74 (extended model)", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 0x74); }, 2},
    {"model 0x14 (extended model 1, base 4)", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x18, 0x14); }, 2},
    {"TarvoGenuine family 0x17", [](ScriptedCpu& c) { c.leaf1_eax = signature(0x17, 4); }, 1},
    {"TarvoGenuine family 6", [](ScriptedCpu& c) { c.leaf1_eax = signature(6, 4); }, 1},
    {"other vendor, family 0x18", [](ScriptedCpu& c) { c.vendor = "OtherVendor!"; }, 1},
    {"vendor differs in case", [](ScriptedCpu& c) { c.vendor = "tarvoGenuine"; }, 1},
    {"max leaf 0", [](ScriptedCpu& c) { c.max_leaf = 0; }, 0},
    {"no XSAVE", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 26); }, 0},
    {"no OSXSAVE", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 27); }, 0},
    {"no AVX", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 28); }, 0},
    {"XCR0 without SSE state", [](ScriptedCpu& c) { c.xcr0 = 5; }, 0},
    {"XCR0 without AVX state", [](ScriptedCpu& c) { c.xcr0 = 3; }, 0},
    // Tuned kernels need AVX2 and FMA as well.
    {"no FMA", [](ScriptedCpu& c) { c.leaf1_ecx &= ~kFma; }, 0},
    {"no AVX2", [](ScriptedCpu& c) { c.leaf7_ebx = 0; }, 0},
    {"no leaf 7", [](ScriptedCpu& c) { c.max_leaf = 6; }, 0},
    {"other vendor without AVX2", [](ScriptedCpu& c) { c.vendor = "OtherVendor!"; c.leaf7_ebx = 0; }, 0},
};

class Detection : public ::testing::TestWithParam<Case> {};

TEST_P(Detection, SelectsIndex) {
    ScriptedCpu cpu;
    GetParam().setup(cpu);
    tvml::CpuFacts facts;
    EXPECT_EQ(tvml::select_arch(nullptr, cpu, &facts), GetParam().expected) << GetParam().what;
    EXPECT_FALSE(facts.forced);
}

INSTANTIATE_TEST_SUITE_P(Cpus, Detection, ::testing::ValuesIn(kCases));

TEST(Detection, XgetbvRunsOnlyWithOsxsave) {
    ScriptedCpu cpu;
    cpu.leaf1_ecx &= ~(1u << 27);
    EXPECT_EQ(tvml::select_arch(nullptr, cpu), 0);
    EXPECT_FALSE(cpu.xgetbv_ran);

    ScriptedCpu with_avx;
    tvml::select_arch(nullptr, with_avx);
    EXPECT_TRUE(with_avx.xgetbv_ran);
}

TEST(Detection, MaxLeafZeroStopsAfterLeafZero) {
    ScriptedCpu cpu;
    cpu.max_leaf = 0;
    EXPECT_EQ(tvml::select_arch(nullptr, cpu), 0);
    EXPECT_EQ(cpu.cpuid_calls, 1);
    EXPECT_FALSE(cpu.xgetbv_ran);
}

TEST(Detection, ReportsDisplayFamilyAndModel) {
    ScriptedCpu cpu;
    cpu.leaf1_eax = signature(0x19, 0x21);
    tvml::CpuFacts facts;
    tvml::select_arch(nullptr, cpu, &facts);
    EXPECT_EQ(facts.family, 0x19u);
    EXPECT_EQ(facts.model, 0x21u);
    EXPECT_STREQ(facts.vendor, "TarvoGenuine");
}

struct EnvCase {
    const char* value;
    int expected;  // -1: ignored, detection decides
};

const EnvCase kEnvCases[] = {
    {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"abc", 0}, {"", 0}, {"1x", 1}, {" 2", 2},
    {"+3", 3}, {"-1", -1}, {"4", -1}, {"12", -1}, {"-0", 0},
    // strtol's value is narrowed to 32 bits: 2^32 + 2 becomes 2.
    {"4294967298", 2},
};

class DebugArch : public ::testing::TestWithParam<EnvCase> {};

TEST_P(DebugArch, ForcesOrIsIgnored) {
    // A processor that detection would put at index 1; a forced tuned
    // index is checked against its capabilities, a forced 0 never looks.
    ScriptedCpu cpu;
    cpu.vendor = "OtherVendor!";
    tvml::CpuFacts facts;
    const int index = tvml::select_arch(GetParam().value, cpu, &facts);
    if (GetParam().expected < 0) {
        EXPECT_EQ(index, 1);
        EXPECT_FALSE(facts.forced);
        EXPECT_GT(cpu.cpuid_calls, 0);
    } else {
        EXPECT_EQ(index, GetParam().expected);
        EXPECT_TRUE(facts.forced);
        EXPECT_EQ(facts.forced_index, GetParam().expected);
        EXPECT_EQ(facts.refusal, nullptr);
        EXPECT_EQ(cpu.cpuid_calls > 0, GetParam().expected > 0);
        EXPECT_EQ(cpu.xgetbv_ran, GetParam().expected > 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, DebugArch, ::testing::ValuesIn(kEnvCases));

// A forced tuned index on a processor its kernels cannot run on falls back
// to index 0, with the reason; XGETBV still runs only after XSAVE, OSXSAVE
// and AVX are seen.
struct RefusalCase {
    const char* what;
    void (*setup)(ScriptedCpu&);
    const char* reason;  // null: the forced index is taken
};

const RefusalCase kRefusalCases[] = {
    {"capable processor", [](ScriptedCpu&) {}, nullptr},
    {"capable processor of another vendor", [](ScriptedCpu& c) { c.vendor = "OtherVendor!"; }, nullptr},
    {"max leaf 0", [](ScriptedCpu& c) { c.max_leaf = 0; }, "no feature leaves"},
    {"no leaf-1 features", [](ScriptedCpu& c) { c.leaf1_ecx = 0; }, "no AVX"},
    {"no AVX", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 28); }, "no AVX"},
    {"no XSAVE", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 26); }, "XSAVE"},
    {"no OSXSAVE", [](ScriptedCpu& c) { c.leaf1_ecx &= ~(1u << 27); }, "XSAVE"},
    {"XCR0 without AVX state", [](ScriptedCpu& c) { c.xcr0 = 3; }, "AVX register state"},
    {"XCR0 without SSE state", [](ScriptedCpu& c) { c.xcr0 = 5; }, "AVX register state"},
    {"no AVX2", [](ScriptedCpu& c) { c.leaf7_ebx = 0; }, "no AVX2"},
    {"no leaf 7", [](ScriptedCpu& c) { c.max_leaf = 6; }, "no AVX2"},
    {"no FMA", [](ScriptedCpu& c) { c.leaf1_ecx &= ~kFma; }, "no FMA"},
    {"neither AVX2 nor FMA", [](ScriptedCpu& c) { c.leaf7_ebx = 0; c.leaf1_ecx &= ~kFma; }, "neither AVX2 nor FMA"},
};

class ForcedTuned : public ::testing::TestWithParam<std::tuple<RefusalCase, const char*>> {};

TEST_P(ForcedTuned, TakenOnlyWhereTheKernelsRun) {
    const RefusalCase& c = std::get<0>(GetParam());
    const char* value = std::get<1>(GetParam());
    ScriptedCpu cpu;
    c.setup(cpu);
    tvml::CpuFacts facts;
    const int index = tvml::select_arch(value, cpu, &facts);
    EXPECT_TRUE(facts.forced) << c.what;
    EXPECT_EQ(facts.forced_index, value[0] - '0') << c.what;
    if (c.reason) {
        EXPECT_EQ(index, 0) << c.what;
        ASSERT_NE(facts.refusal, nullptr) << c.what;
        EXPECT_NE(std::string(facts.refusal).find(c.reason), std::string::npos) << c.what << ": " << facts.refusal;
    } else {
        EXPECT_EQ(index, value[0] - '0') << c.what;
        EXPECT_EQ(facts.refusal, nullptr) << c.what;
    }
    EXPECT_EQ(cpu.xgetbv_ran, (cpu.leaf1_ecx & kAvxGroup) == kAvxGroup && cpu.max_leaf > 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cpus, ForcedTuned,
                         ::testing::Combine(::testing::ValuesIn(kRefusalCases), ::testing::Values("1", "2", "3")));

TEST(Detection, ForcingChecksCapabilities) {
    ScriptedCpu cpu;
    cpu.leaf1_ecx = 0;
    EXPECT_EQ(tvml::select_arch("3", cpu), 0);
}

TEST(Detection, ForcingZeroSkipsIdentification) {
    ScriptedCpu cpu;
    tvml::CpuFacts facts;
    EXPECT_EQ(tvml::select_arch("0", cpu, &facts), 0);
    EXPECT_EQ(cpu.cpuid_calls, 0);
    EXPECT_EQ(facts.refusal, nullptr);
}

TEST(Detection, ArchNames) {
    EXPECT_STREQ(tvml::arch_name(0), "generic");
    EXPECT_STREQ(tvml::arch_name(1), "tarvo_generic");
    EXPECT_STREQ(tvml::arch_name(2), "tarvo_ondara");
    EXPECT_STREQ(tvml::arch_name(3), "tarvo_belisk");
}

}  // namespace
