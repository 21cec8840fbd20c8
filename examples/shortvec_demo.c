/* Short-vector API: one SSE register of four floats in, four results out. */
#include <dazaro_tv.h>
#include <stdio.h>

int main(void) {
    float in[4] = {0.0f, 1.0f, 2.0f, 3.0f}, out[4];
    __m128 x = _mm_loadu_ps(in);
    _mm_storeu_ps(out, _ZGVbN4v_expf(x));
    printf("_ZGVbN4v_expf(0, 1, 2, 3) = %g %g %g %g\n", out[0], out[1], out[2], out[3]);
    _mm_storeu_ps(out, tvml_vs4_sqrt(x));
    printf("tvml_vs4_sqrt(0, 1, 2, 3) = %g %g %g %g\n", out[0], out[1], out[2], out[3]);
    return 0;
}
