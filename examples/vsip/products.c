/* Products with libvsip-tv: a matrix product on CBLAS (dense, and with the
 * first operand a transposed view), the general product C = alpha A B +
 * beta C and a matrix-vector product, each checked against a
 * double-precision reference; prints the time and GFLOP/s. */
#include <math.h>
#include <vsip.h>

#include "example_util.h"

/* |got - exact| relative to sum_k |a_ik b_kj|: the rounding a single-precision
 * dot product of that length may show. */
static double product_error(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *C, double alpha,
                            double beta, const double *before) {
    const vsip_length m = vsip_mgetcollength_f(A), k = vsip_mgetrowlength_f(A), n = vsip_mgetrowlength_f(B);
    double worst = 0;
    for (vsip_length i = 0; i < m; ++i)
        for (vsip_length j = 0; j < n; ++j) {
            double sum = 0, scale = 0;
            for (vsip_length p = 0; p < k; ++p) {
                const double t = (double)vsip_mget_f(A, i, p) * vsip_mget_f(B, p, j);
                sum += t;
                scale += fabs(t);
            }
            const double c0 = before ? before[i * n + j] : 0;
            const double want = alpha * sum + beta * c0;
            const double err = fabs(vsip_mget_f(C, i, j) - want) / (fabs(alpha) * scale + fabs(beta * c0) + 1e-30);
            if (!(err <= worst)) worst = err;
        }
    return worst;
}

static void fill(vsip_randstate *rng, const vsip_mview_f *m) {
    for (vsip_length i = 0; i < vsip_mgetcollength_f(m); ++i)
        for (vsip_length j = 0; j < vsip_mgetrowlength_f(m); ++j) vsip_mput_f(m, i, j, 2 * vsip_randu_f(rng) - 1);
}

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    const vsip_length n = args.quick ? 96 : 512;
    const double tolerance = 1e-5; /* well above n * 2^-24 for these sizes */
    vsip_init(NULL);
    vsip_randstate *rng = vsip_randcreate(2024, 1, 1, VSIP_PRNG);
    vsip_mview_f *A = vsip_mcreate_f(n, n, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *At = vsip_mcreate_f(n, n, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *B = vsip_mcreate_f(n, n, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *C = vsip_mcreate_f(n, n, VSIP_ROW, VSIP_MEM_NONE);
    vsip_vview_f *x = vsip_vcreate_f(n, VSIP_MEM_NONE), *y = vsip_vcreate_f(n, VSIP_MEM_NONE);
    double *before = malloc(sizeof(double) * n * n);
    if (!rng || !A || !At || !B || !C || !x || !y || !before) {
        printf("products: out of memory\n");
        return 1;
    }
    fill(rng, A);
    fill(rng, B);
    for (vsip_length i = 0; i < n; ++i) vsip_vput_f(x, i, 2 * vsip_randu_f(rng) - 1);
    /* At holds A transposed; its transposed view reads as A again. */
    vsip_mview_f *At_t = vsip_mtransview_f(At);
    vsip_mcopy_f_f(A, At_t);

    const double flops = 2.0 * n * n * n;
    printf("products, %lu x %lu single precision\n", (unsigned long)n, (unsigned long)n);
    printf("%-34s %10s %9s %12s\n", "", "ms", "GFLOP/s", "rel. error");

    /* Each timing is the best of three calls, after one that warms up
     * CBLAS (its threads, its buffers). */
    vsip_mprod_f(A, B, C);
    vsip_mvprod_f(A, x, y);
    double t0, t = INFINITY;
    for (int rep = 0; rep < 3; ++rep) {
        t0 = example_now();
        vsip_mprod_f(A, B, C);
        t = fmin(t, example_now() - t0);
    }
    double err = product_error(A, B, C, 1, 0, NULL);
    printf("%-34s %10.3f %9.2f %12.2g\n", "mprod  C = A B", 1e3 * t, flops / t / 1e9, err);
    example_check(err <= tolerance, "mprod");

    t = INFINITY;
    for (int rep = 0; rep < 3; ++rep) {
        t0 = example_now();
        vsip_mprod_f(At_t, B, C);
        t = fmin(t, example_now() - t0);
    }
    err = product_error(A, B, C, 1, 0, NULL);
    printf("%-34s %10.3f %9.2f %12.2g\n", "mprod  C = (A^T)^T B, a view", 1e3 * t, flops / t / 1e9, err);
    example_check(err <= tolerance, "mprod of a transposed view");

    for (vsip_length i = 0; i < n; ++i)
        for (vsip_length j = 0; j < n; ++j) before[i * n + j] = vsip_mget_f(C, i, j);
    t0 = example_now();
    vsip_gemp_f(0.5f, At, VSIP_MAT_TRANS, B, VSIP_MAT_NTRANS, 2.0f, C); /* once: it updates C */
    t = example_now() - t0;
    err = product_error(A, B, C, 0.5, 2.0, before);
    printf("%-34s %10.3f %9.2f %12.2g\n", "gemp   C = 0.5 At^T B + 2 C", 1e3 * t, flops / t / 1e9, err);
    example_check(err <= tolerance, "gemp");

    t = INFINITY;
    for (int rep = 0; rep < 3; ++rep) {
        t0 = example_now();
        vsip_mvprod_f(A, x, y);
        t = fmin(t, example_now() - t0);
    }
    double worst = 0;
    for (vsip_length i = 0; i < n; ++i) {
        double sum = 0, scale = 0;
        for (vsip_length p = 0; p < n; ++p) {
            const double term = (double)vsip_mget_f(A, i, p) * vsip_vget_f(x, p);
            sum += term;
            scale += fabs(term);
        }
        const double e = fabs(vsip_vget_f(y, i) - sum) / scale;
        if (!(e <= worst)) worst = e;
    }
    printf("%-34s %10.3f %9.2f %12.2g\n", "mvprod y = A x", 1e3 * t, 2.0 * n * n / t / 1e9, worst);
    example_check(worst <= tolerance, "mvprod");

    vsip_mdestroy_f(At_t);
    free(before);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    vsip_malldestroy_f(A);
    vsip_malldestroy_f(At);
    vsip_malldestroy_f(B);
    vsip_malldestroy_f(C);
    vsip_randdestroy(rng);
    vsip_finalize(NULL);
    return example_finish("products");
}
