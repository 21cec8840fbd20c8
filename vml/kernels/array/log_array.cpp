// Tuned ln and log10 array kernels: blocks of one register through the
// logarithm lanes, the remaining elements through libm.  The _tarvo kernels
// use 256-bit registers, the _ondara ones 128-bit registers; the _belisk
// names are the _ondara kernels themselves.
#include <math.h>

#include "block_loops.hpp"
#include "dazaro_tv.h"
#include "log.hpp"

#define TVML_KERNEL_ARGS int64_t n, const void *a, const void *, void *r, void *, int64_t
#define TVML_LOG_KERNEL(name, V, lane, libm)                                                  \
    void name(TVML_KERNEL_ARGS) {                                                             \
        using tvml::avx2::V;                                                                  \
        tvml::avx2::block_loop1<V>(                                                           \
            n, a, r, [](V x) { return tvml::avx2::lane(x); }, [](V::Scalar x) { return libm(x); }); \
    }
#define TVML_LOG_BELISK(stem) \
    TVML_API void stem##_belisk(TVML_KERNEL_ARGS) __attribute__((alias(#stem "_ondara")));

extern "C" {

TVML_LOG_KERNEL(sln_tarvo, F32x8, ln_lanes, logf)
TVML_LOG_KERNEL(slog10_tarvo, F32x8, log10_lanes, log10f)
TVML_LOG_KERNEL(sln_ondara, F32x4, ln_lanes, logf)
TVML_LOG_KERNEL(slog10_ondara, F32x4, log10_lanes, log10f)
TVML_LOG_KERNEL(dln_tarvo, F64x4, ln_lanes, log)
TVML_LOG_KERNEL(dlog10_tarvo, F64x4, log10_lanes, log10)
TVML_LOG_KERNEL(dln_ondara, F64x2, ln_lanes, log)
TVML_LOG_KERNEL(dlog10_ondara, F64x2, log10_lanes, log10)

TVML_LOG_BELISK(sln)
TVML_LOG_BELISK(slog10)
TVML_LOG_BELISK(dln)
TVML_LOG_BELISK(dlog10)

}  // extern "C"
