/* Vector-function ABI: the same loops built as scalar code and vectorised
 * by GCC into _ZGV* calls (loops.c).  Shows which shared object each of
 * those names binds to (dazaro-tv, linked before libm), the speed-up over
 * the scalar build, and checks that the vectorised results agree. */
#define _GNU_SOURCE
#include <dazaro_tv.h>
#include <dlfcn.h>
#include <link.h>
#include <math.h>

#include "example_util.h"

typedef void wave_f_fn(int, const float *restrict, float *restrict);
typedef void wave_d_fn(int, const double *restrict, double *restrict);
wave_f_fn wave_f_scalar, wave_f_sse, wave_f_avx2;
wave_d_fn wave_d_scalar, wave_d_sse, wave_d_avx2;

/* The names GCC emits for the loops. */
static const char *const kCalls[] = {
    "_ZGVbN4v_expf", "_ZGVbN4v_sinf", "_ZGVbN4v_logf", "_ZGVbN2v_exp", "_ZGVbN2v_cos",
    "_ZGVdN8v_expf", "_ZGVdN8v_sinf", "_ZGVdN8v_logf", "_ZGVdN4v_exp", "_ZGVdN4v_cos",
};

static const char *object_of(const void *address) {
    Dl_info info;
    if (!address || !dladdr(address, &info) || !info.dli_fname) return NULL;
    return info.dli_fname;
}

static int print_object(struct dl_phdr_info *info, size_t size, void *data) {
    (void)size;
    (void)data;
    if (info->dlpi_name && *info->dlpi_name) printf("  %s\n", info->dlpi_name);
    return 0;
}

typedef struct {
    const char *name;
    wave_f_fn *f;
    wave_d_fn *d;
    int runs;
} flavour;

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    const int n = args.quick ? 1 << 16 : 1 << 22;

    printf("loaded objects, in search order:\n");
    dl_iterate_phdr(print_object, NULL);

    const char *ours = object_of((const void *)&vml_get_cpu_arch);
    printf("vector-ABI names called by the loops:\n");
    for (size_t i = 0; i < sizeof kCalls / sizeof kCalls[0]; ++i) {
        const char *where = object_of(dlsym(RTLD_DEFAULT, kCalls[i]));
        printf("  %-15s -> %s\n", kCalls[i], where ? where : "(unresolved)");
        char what[96];
        snprintf(what, sizeof what, "%s binds to dazaro-tv", kCalls[i]);
        example_check(where && ours && strcmp(where, ours) == 0, what);
    }

    __builtin_cpu_init();
    const int avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    const flavour flavours[] = {
        {"scalar -O3", wave_f_scalar, wave_d_scalar, 1},
        {"-O3 -ffast-math (SSE)", wave_f_sse, wave_d_sse, 1},
        {"-O3 -ffast-math -mavx2", wave_f_avx2, wave_d_avx2, avx2},
    };

    float *x = malloc(sizeof(float) * n), *y = malloc(sizeof(float) * n), *y0 = malloc(sizeof(float) * n);
    double *xd = malloc(sizeof(double) * n), *yd = malloc(sizeof(double) * n), *yd0 = malloc(sizeof(double) * n);
    if (!x || !y || !y0 || !xd || !yd || !yd0) return 1;
    for (int i = 0; i < n; ++i) xd[i] = x[i] = -4.0f + 8.0f * (float)i / (float)n;

    double base_f = 0, base_d = 0;
    printf("\n%d elements, architecture %s\n", n, vml_get_cpu_arch());
    printf("%-24s %12s %9s %12s %9s\n", "build", "float ms", "speed-up", "double ms", "speed-up");
    for (size_t k = 0; k < sizeof flavours / sizeof flavours[0]; ++k) {
        const flavour *fl = &flavours[k];
        if (!fl->runs) {
            printf("%-24s   (skipped: the processor has no AVX2 and FMA)\n", fl->name);
            continue;
        }
        double tf = INFINITY, td = INFINITY;
        for (int rep = 0; rep < 5; ++rep) {
            double t0 = example_now();
            fl->f(n, x, k ? y : y0);
            double t1 = example_now();
            fl->d(n, xd, k ? yd : yd0);
            double t2 = example_now();
            if (t1 - t0 < tf) tf = t1 - t0;
            if (t2 - t1 < td) td = t2 - t1;
        }
        if (k == 0) {
            base_f = tf;
            base_d = td;
        } else {
            double worst_f = 0, worst_d = 0;
            for (int i = 0; i < n; ++i) {
                const double ef = fabs((double)y[i] - y0[i]) / (1.0 + fabs((double)y0[i]));
                const double ed = fabs(yd[i] - yd0[i]) / (1.0 + fabs(yd0[i]));
                if (!(ef <= worst_f)) worst_f = ef;
                if (!(ed <= worst_d)) worst_d = ed;
            }
            char what[96];
            snprintf(what, sizeof what, "%s float results within 1e-5 of scalar (%.2g)", fl->name, worst_f);
            example_check(worst_f <= 1e-5, what);
            snprintf(what, sizeof what, "%s double results within 1e-13 of scalar (%.2g)", fl->name, worst_d);
            example_check(worst_d <= 1e-13, what);
        }
        printf("%-24s %12.3f %8.2fx %12.3f %8.2fx\n", fl->name, 1e3 * tf, base_f / tf, 1e3 * td, base_d / td);
    }
    free(x);
    free(y);
    free(y0);
    free(xd);
    free(yd);
    free(yd0);
    return example_finish("vector_abi");
}
