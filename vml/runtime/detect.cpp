#include "detect.hpp"

#include <cpuid.h>
#include <cstdlib>
#include <cstring>

namespace tvml {

namespace {

constexpr uint32_t kLeaf1EcxFma = 1u << 12;
constexpr uint32_t kLeaf1EcxAvxGroup = 0x1C000000u;  // XSAVE, OSXSAVE, AVX
constexpr uint32_t kLeaf1EcxXsave = 1u << 26;
constexpr uint32_t kLeaf1EcxOsxsave = 1u << 27;
constexpr uint32_t kLeaf1EcxAvx = 1u << 28;
constexpr uint32_t kLeaf7EbxAvx2 = 1u << 5;
constexpr uint64_t kXcr0SseAvx = 6;  // SSE and AVX register state

// Display model -> index for family-0x18 "TarvoGenuine" parts.
constexpr int kModelTable[5] = {2, 2, 2, 2, 3};

const char* const kArchNames[4] = {"generic", "tarvo_generic", "tarvo_ondara", "tarvo_belisk"};

}  // namespace

CpuidRegs CpuProbe::cpuid(uint32_t leaf, uint32_t subleaf) const {
    CpuidRegs r{};
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
}

uint64_t CpuProbe::xgetbv0() const {
    uint32_t lo, hi;
    // xgetbv by its encoding, so the baseline objects need no XSAVE target flag.
    __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(lo), "=d"(hi) : "c"(0));
    return (uint64_t(hi) << 32) | lo;
}

bool parse_debug_arch(const char* value, int* index) {
    const int32_t v = static_cast<int32_t>(std::strtol(value, nullptr, 10));
    if (v < 0 || v > 3) return false;
    *index = v;
    return true;
}

namespace {

// Fills the processor facts and returns the index detection chooses.
int detect(const CpuProbe& probe, CpuFacts& f) {
    const CpuidRegs l0 = probe.cpuid(0, 0);
    f.max_leaf = l0.eax;
    std::memcpy(f.vendor + 0, &l0.ebx, 4);
    std::memcpy(f.vendor + 4, &l0.edx, 4);
    std::memcpy(f.vendor + 8, &l0.ecx, 4);
    if (l0.eax == 0) return kArchGeneric;

    const CpuidRegs l1 = probe.cpuid(1, 0);
    const uint32_t base_family = (l1.eax >> 8) & 0xF;
    const uint32_t base_model = (l1.eax >> 4) & 0xF;
    if (base_family == 0xF) {
        f.family = 0xF + ((l1.eax >> 20) & 0xFF);
        f.model = ((l1.eax >> 16) & 0xF) * 16 + base_model;
    } else {
        f.family = base_family;
        f.model = base_model;
    }
    f.xsave = l1.ecx & kLeaf1EcxXsave;
    f.osxsave = l1.ecx & kLeaf1EcxOsxsave;
    f.avx = l1.ecx & kLeaf1EcxAvx;
    f.fma = l1.ecx & kLeaf1EcxFma;
    if (l0.eax >= 7) f.avx2 = probe.cpuid(7, 0).ebx & kLeaf7EbxAvx2;

    if ((l1.ecx & kLeaf1EcxAvxGroup) != kLeaf1EcxAvxGroup) return kArchGeneric;
    // XGETBV faults unless OSXSAVE is set, which the test above guarantees.
    f.xgetbv_executed = true;
    f.os_avx_state = (probe.xgetbv0() & kXcr0SseAvx) == kXcr0SseAvx;
    if (!f.os_avx_state) return kArchGeneric;
    // The tuned kernels use AVX2 and FMA: without them only index 0 is safe.
    if (!f.avx2 || !f.fma) return kArchGeneric;

    if (std::memcmp(f.vendor, "TarvoGenuine", 12) != 0 || f.family != 0x18) return kArchTarvoGeneric;
    return f.model < 5 ? kModelTable[f.model] : kArchTarvoOndara;
}

}  // namespace

const char* tuned_refusal(const CpuFacts& f) {
    if (f.max_leaf == 0) return "CPUID reports no feature leaves";
    if (!f.avx) return "the processor has no AVX";
    if (!f.xsave || !f.osxsave) return "the operating system does not use XSAVE";
    if (!f.os_avx_state) return "the operating system has not enabled AVX register state";
    if (!f.avx2 && !f.fma) return "the processor has neither AVX2 nor FMA";
    if (!f.avx2) return "the processor has no AVX2";
    if (!f.fma) return "the processor has no FMA";
    return nullptr;
}

int select_arch(const char* debug_arch, const CpuProbe& probe, CpuFacts* facts) {
    CpuFacts local;
    CpuFacts& f = facts ? *facts : local;
    f = CpuFacts{};

    int forced_index;
    const bool forced = debug_arch && parse_debug_arch(debug_arch, &forced_index);
    if (forced) {
        f.forced = true;
        f.forced_index = forced_index;
        // Index 0 runs everywhere: no processor identification needed.
        if (forced_index == kArchGeneric) return kArchGeneric;
    }

    const int detected = detect(probe, f);
    if (!forced) return detected;
    // A tuned index is taken only where its kernels can run.
    f.refusal = tuned_refusal(f);
    return f.refusal ? kArchGeneric : forced_index;
}

const char* arch_name(int index) { return kArchNames[index & 3]; }

}  // namespace tvml
