// Deliberately faulty kernels for the checker's own tests, loaded with
// --load: an error of exactly two ulps, and results that depend on the
// other lanes.
#include <emmintrin.h>
#include <math.h>

#include <cstdint>

extern "C" {

// sqrtf (correctly rounded) two representable numbers too high.
__attribute__((visibility("default"))) void ssqrt_twostep(int64_t n, const void* a, const void*, void* r, void*,
                                                         int64_t) {
    const float* x = static_cast<const float*>(a);
    float* y = static_cast<float*>(r);
    for (int64_t i = 0; i < n; ++i) y[i] = nextafterf(nextafterf(sqrtf(x[i]), INFINITY), INFINITY);
}

// exp per element, except that a NaN anywhere in a block of 8 spreads.
__attribute__((visibility("default"))) void dexp_blockmix(int64_t n, const void* a, const void*, void* r, void*,
                                                          int64_t) {
    const double* x = static_cast<const double*>(a);
    double* y = static_cast<double*>(r);
    for (int64_t start = 0; start < n; start += 8) {
        const int64_t end = n - start < 8 ? n : start + 8;
        bool nan = false;
        for (int64_t i = start; i < end; ++i) nan |= isnan(x[i]);
        for (int64_t i = start; i < end; ++i) y[i] = nan ? NAN : exp(x[i]);
    }
}

// 4-lane expf whose lanes all take lane 0's exponent when lane 0 is large.
__attribute__((visibility("default"))) __m128 tvml_vs4_exp_lanemix(__m128 v) {
    float x[4];
    _mm_storeu_ps(x, v);
    const bool shared = fabsf(x[0]) > 1000.0f;
    for (float& e : x) e = shared ? expf(x[0]) : expf(e);
    return _mm_loadu_ps(x);
}
}
