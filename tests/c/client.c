/* Plain C11 client of <dazaro_tv.h>: builds with -std=c11 -Wall -Wextra
 * -Werror and checks a few results through the public API.  Exit status 0
 * on success. */
#include <dazaro_tv.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

/* Every tuned short-vector kernel that the header declares, by address:
 * the link fails if one of them is not exported. */
typedef void (*any_function)(void);
#define TUNED_128(fn, arity, v) (any_function)tvml_vs4_##fn##_##v, (any_function)tvml_vd2_##fn##_##v,
#define TUNED_256(fn, arity, v) (any_function)tvml_vs8_##fn##_##v, (any_function)tvml_vd4_##fn##_##v,
#define TUNED_OF_128(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_SV_TUNED_KERNELS(TUNED_128, fn, arity, variant)
#define TUNED_OF_256(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_SV_TUNED_KERNELS(TUNED_256, fn, arity, variant)
static const any_function tuned_kernels[] = {TVML_SV_FUNCS(TUNED_OF_128)
#if defined(__AVX__)
                                                 TVML_SV_FUNCS(TUNED_OF_256)
#endif
};

static void expect(int ok, const char *what) {
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    float x[5] = {0.0f, 1.0f, -1.0f, 2.0f, 0.5f}, r[5];
    double xd[3] = {1.0, 8.0, -27.0}, rd[3];

    vsExp(5, x, r);
    expect(r[0] == 1.0f && fabsf(r[1] - 2.7182817f) < 1e-6f, "vsExp");
    vdCbrt(3, xd, rd);
    expect(fabs(rd[0] - 1.0) < 1e-15 && fabs(rd[1] - 2.0) < 1e-15 && fabs(rd[2] + 3.0) < 1e-15, "vdCbrt");

    float s[5], c[5];
    vsSinCos(5, x, s, c);
    expect(s[0] == 0.0f && c[0] == 1.0f, "vsSinCos");

    /* n <= 0 and null pointers write nothing. */
    r[0] = 42.0f;
    vsExp(0, x, r);
    vsExp(5, NULL, r);
    expect(r[0] == 42.0f, "argument checks");

    tvml_cdouble a[2] = {{1, 2}, {3, 4}}, b[2] = {{5, 6}, {7, 8}}, z[2];
    vzAdd(2, a, b, z);
    expect(z[1].re == 10.0 && z[1].im == 12.0, "vzAdd");

    /* Kernels and trampolines share one contract. */
    float k[5];
    sexp_generic(5, x, NULL, k, NULL, 0);
    expect(k[0] == 1.0f && k[1] == r[1], "sexp_generic");
    sexp_k(5, x, NULL, k, NULL, 0);
    expect(k[0] == 1.0f, "sexp_k");

    __m128 v = _mm_setr_ps(1.0f, 4.0f, 9.0f, 16.0f);
    float sq[4];
    _mm_storeu_ps(sq, __svml_sqrtf4(v));
    expect(sq[0] == 1.0f && sq[1] == 2.0f && sq[2] == 3.0f && sq[3] == 4.0f, "__svml_sqrtf4");

    /* Tuned short-vector kernels bound by name, through their declarations. */
    size_t i, declared = sizeof tuned_kernels / sizeof tuned_kernels[0];
    for (i = 0; i < declared; ++i)
        expect(tuned_kernels[i] != NULL, "tuned kernel address");
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        double d[2];
        _mm_storeu_ps(sq, tvml_vs4_sqrt_belisk(v));
        expect(sq[0] == 1.0f && sq[3] == 4.0f, "tvml_vs4_sqrt_belisk");
        _mm_storeu_ps(sq, tvml_vs4_pow_tarvo(v, _mm_set1_ps(0.5f)));
        expect(fabsf(sq[1] - 2.0f) < 1e-6f && fabsf(sq[2] - 3.0f) < 1e-6f, "tvml_vs4_pow_tarvo");
        _mm_storeu_pd(d, tvml_vd2_exp_belisk(_mm_setr_pd(0.0, 1.0)));
        expect(d[0] == 1.0 && fabs(d[1] - 2.718281828459045) < 1e-15, "tvml_vd2_exp_belisk");
        _mm_storeu_pd(d, tvml_vd2_sqrt_mask_belisk(_mm_setr_pd(9.0, 25.0),
                                                   _mm_castsi128_pd(_mm_set1_epi64x(-1))));
        expect(d[0] == 3.0 && d[1] == 5.0, "tvml_vd2_sqrt_mask_belisk");
    }

    const char *arch = vml_get_cpu_arch();
    expect(arch != NULL && strlen(arch) > 0, "vml_get_cpu_arch");
    expect(strcmp(tarvovml_get_config(), "x86_64 haswell ") == 0, "tarvovml_get_config");

    printf("%s: %d failure(s)\n", arch, failures);
    return failures != 0;
}
