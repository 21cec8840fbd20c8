// Processor identification and architecture selection.
//
// The decision is a pure function of the VML_DEBUG_ARCH value and of what
// a CpuProbe answers (CPUID leaves, XCR0), so every branch can be tested
// with a scripted probe.  Compiled for baseline x86-64.
#pragma once

#include <cstdint>

namespace tvml {

enum ArchIndex : int {
    kArchGeneric = 0,
    kArchTarvoGeneric = 1,
    kArchTarvoOndara = 2,
    kArchTarvoBelisk = 3,
};

struct CpuidRegs {
    uint32_t eax, ebx, ecx, edx;
};

// Source of CPUID and XGETBV answers: the running processor, or a
// scripted one in tests (which override both).  Not abstract, so the
// library needs no C++ runtime support for pure virtual calls.
class CpuProbe {
public:
    virtual CpuidRegs cpuid(uint32_t leaf, uint32_t subleaf) const;
    virtual uint64_t xgetbv0() const;  // XCR0

protected:
    ~CpuProbe() = default;
};

class HardwareProbe final : public CpuProbe {};

// What the selection saw, for reporting (tvml-info) and tests.
struct CpuFacts {
    bool forced = false;          // VML_DEBUG_ARCH named an index
    int forced_index = -1;        // that index
    const char* refusal = nullptr;  // why a forced tuned index was not taken
    uint32_t max_leaf = 0;
    char vendor[13] = {};
    uint32_t family = 0;
    uint32_t model = 0;           // display model
    bool xsave = false, osxsave = false, avx = false;
    bool xgetbv_executed = false;
    bool os_avx_state = false;    // XCR0 bits 1 and 2
    bool avx2 = false, fma = false;
};

// Parses a VML_DEBUG_ARCH value as strtol(value, nullptr, 10) narrowed to
// 32 bits.  Returns true and stores the index when it is 0..3.
bool parse_debug_arch(const char* value, int* index);

// Why the tuned kernels (indices 1 to 3) cannot run on the processor the
// facts describe, or null when they can: they need AVX, AVX2, FMA and AVX
// register state enabled by the operating system.
const char* tuned_refusal(const CpuFacts& facts);

// The full selection.  debug_arch is the VML_DEBUG_ARCH value or null.
// A forced index 0 skips processor identification; a forced index 1 to 3
// is taken only when tuned_refusal() finds nothing, otherwise index 0.
int select_arch(const char* debug_arch, const CpuProbe& probe, CpuFacts* facts = nullptr);

// Name of an architecture index ("generic" ... "tarvo_belisk").
const char* arch_name(int index);

}  // namespace tvml
