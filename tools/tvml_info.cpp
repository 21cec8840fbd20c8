// tvml-info: reports the architecture dazaro-tv selected, what the
// processor offers, and runs a short self-check of entry points against
// libm.  Exit status 1 when the self-check fails.
#include <math.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dazaro_tv.h"
#include "detect.hpp"

namespace {

const char* yes_no(bool v) { return v ? "yes" : "no"; }

template <class T, class Entry, class Ref>
bool check_unary(const char* name, Entry entry, Ref ref, T lo, T hi, double tolerance_ulps) {
    constexpr int kCount = 1000;
    T a[kCount], r[kCount];
    for (int i = 0; i < kCount; ++i) a[i] = lo + (hi - lo) * T(i) / T(kCount - 1);
    entry(kCount, a, r);
    double worst = 0;
    for (int i = 0; i < kCount; ++i) {
        const T want = ref(a[i]);
        const double ulp = std::fabs(double(nextafter(want, T(INFINITY)) - want));
        const double err = std::fabs(double(r[i]) - double(want)) / ulp;
        if (!(err <= worst)) worst = err;  // NaN counts as a failure
    }
    const bool ok = worst <= tolerance_ulps;
    std::printf("  %-10s max error %.2f ulp  %s\n", name, worst, ok ? "ok" : "FAILED");
    return ok;
}

}  // namespace

int main() {
    tvml::CpuFacts facts;
    const char* debug = std::getenv("VML_DEBUG_ARCH");
    const int index = tvml::select_arch(debug, tvml::HardwareProbe{}, &facts);

    std::printf("dazaro-tv architecture\n");
    std::printf("  selected:        %d (%s)\n", index, tvml::arch_name(index));
    std::printf("  vml_get_cpu_arch: %s\n", vml_get_cpu_arch());
    std::printf("  config:          \"%s\"\n", tarvovml_get_config());
    if (facts.refusal)
        std::printf("  VML_DEBUG_ARCH:  %s (forced index %d refused: %s; index 0 in use)\n", debug,
                    facts.forced_index, facts.refusal);
    else
        std::printf("  VML_DEBUG_ARCH:  %s%s\n", debug ? debug : "(unset)",
                    facts.forced ? " (forces the index)" : "");
    tvml::CpuFacts seen;
    tvml::select_arch(nullptr, tvml::HardwareProbe{}, &seen);
    std::printf("processor\n");
    std::printf("  vendor:          %s\n", seen.vendor);
    std::printf("  family, model:   0x%X, 0x%X\n", seen.family, seen.model);
    std::printf("  AVX:             %s (XSAVE %s, OSXSAVE %s)\n", yes_no(seen.avx), yes_no(seen.xsave),
                yes_no(seen.osxsave));
    std::printf("  OS AVX state:    %s\n", seen.xgetbv_executed ? yes_no(seen.os_avx_state) : "not queried");
    std::printf("  AVX2:            %s\n", yes_no(seen.avx2));
    std::printf("  FMA:             %s\n", yes_no(seen.fma));

    std::printf("self-check against libm\n");
    bool ok = true;
    ok &= check_unary<float>("vsExp", vsExp, [](float x) { return expf(x); }, -80.f, 80.f, 4);
    ok &= check_unary<double>("vdExp", vdExp, [](double x) { return exp(x); }, -700., 700., 4);
    ok &= check_unary<float>("vsLn", vsLn, [](float x) { return logf(x); }, 1e-30f, 1e30f, 4);
    ok &= check_unary<double>("vdSin", vdSin, [](double x) { return sin(x); }, -100., 100., 4);
    ok &= check_unary<float>("vsCbrt", vsCbrt, [](float x) { return cbrtf(x); }, -1e6f, 1e6f, 4);
    std::printf("self-check: %s\n", ok ? "passed" : "FAILED");
    return ok ? 0 : 1;
}
