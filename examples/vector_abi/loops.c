/* Plain C loops over libm functions.  Built once per flavour: without
 * -ffast-math GCC calls expf, sinf, ... per element; with -O3 -ffast-math
 * glibc's <math.h> declares SIMD versions and GCC vectorises the loops
 * into calls of _ZGVbN4v_expf (SSE) or _ZGVdN8v_expf (AVX2) and friends. */
#include <math.h>

#define LOOP_NAME_(stem, flavour) stem##_##flavour
#define LOOP_NAME(stem, flavour) LOOP_NAME_(stem, flavour)

void LOOP_NAME(wave_f, LOOP_FLAVOUR)(int n, const float *restrict x, float *restrict y) {
    for (int i = 0; i < n; ++i) y[i] = expf(-0.5f * x[i] * x[i]) * sinf(3.0f * x[i]) + logf(2.0f + x[i] * x[i]);
}

void LOOP_NAME(wave_d, LOOP_FLAVOUR)(int n, const double *restrict x, double *restrict y) {
    for (int i = 0; i < n; ++i) y[i] = exp(-0.5 * x[i] * x[i]) * cos(3.0 * x[i]);
}
