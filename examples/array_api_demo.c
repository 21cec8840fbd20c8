/* Array API: element-wise functions over whole arrays. */
#include <dazaro_tv.h>
#include <stdio.h>

int main(void) {
    enum { N = 8 };
    float x[N], e[N], s[N], c[N];
    for (int i = 0; i < N; ++i) x[i] = 0.25f * (float)i;

    vsExp(N, x, e);
    vsSinCos(N, x, s, c);
    printf("architecture: %s\n", vml_get_cpu_arch());
    printf("%6s %12s %12s %12s\n", "x", "exp(x)", "sin(x)", "cos(x)");
    for (int i = 0; i < N; ++i) printf("%6.2f %12.6f %12.6f %12.6f\n", x[i], e[i], s[i], c[i]);

    /* Complex arrays are interleaved (re, im) pairs. */
    tvml_cfloat a[2] = {{1, 2}, {3, 4}}, b[2] = {{10, 20}, {30, 40}}, sum[2];
    vcAdd(2, a, b, sum);
    printf("(1+2i)+(10+20i) = %g%+gi, (3+4i)+(30+40i) = %g%+gi\n", sum[0].re, sum[0].im, sum[1].re,
           sum[1].im);
    return 0;
}
