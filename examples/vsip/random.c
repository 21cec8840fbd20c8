/* Random numbers with libvsip-tv: uniform numbers and their moments, complex
 * normal numbers whose real parts (sums of six uniform numbers, centred)
 * are histogrammed with vsip_vhisto_f and compared with the exact
 * distribution of such sums, reproducibility from a seed, and the
 * independence of cooperating sequences. */
#include <math.h>
#include <vsip.h>

#include "example_util.h"

#define BINS 24

/* P(S <= s) for S the sum of six independent uniform numbers on (0, 1). */
static double sum6_cdf(double s) {
    if (s <= 0) return 0;
    if (s >= 6) return 1;
    static const double binom[7] = {1, 6, 15, 20, 15, 6, 1};
    double sum = 0;
    for (int k = 0; k <= 6 && k < s; ++k) sum += (k % 2 ? -1 : 1) * binom[k] * pow(s - k, 6);
    return sum / 720;
}

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    const vsip_length n = args.quick ? 100000 : 2000000;
    vsip_init(NULL);
    vsip_randstate *rng = vsip_randcreate(1234, 1, 1, VSIP_PRNG);
    vsip_randstate *again = vsip_randcreate(1234, 1, 1, VSIP_PRNG);
    vsip_vview_f *u = vsip_vcreate_f(n, VSIP_MEM_NONE), *v = vsip_vcreate_f(n, VSIP_MEM_NONE);
    vsip_cvview_f *z = vsip_cvcreate_f(n, VSIP_MEM_NONE);
    /* Bins 1 .. BINS split [-3, 3); bins 0 and BINS + 1 count what lies
     * below and at or above (nothing, for these numbers). */
    vsip_vview_f *bins = vsip_vcreate_f(BINS + 2, VSIP_MEM_NONE);
    if (!rng || !again || !u || !v || !z || !bins) {
        printf("random: out of memory\n");
        return 1;
    }

    /* Uniform numbers: mean 1/2, mean square 1/3, strictly inside (0, 1). */
    double t0 = example_now();
    vsip_vrandu_f(rng, u);
    const double t_uniform = example_now() - t0;
    vsip_index at;
    const double mean = vsip_vmeanval_f(u), meansq = vsip_vmeansqval_f(u);
    const double lo = vsip_vminval_f(u, &at), hi = vsip_vmaxval_f(u, &at);
    const double sigma = sqrt(1.0 / 12 / (double)n);
    printf("uniform: %lu values in %.2f ms, mean %.5f (1/2), mean square %.5f (1/3), range [%.8f, %.8f]\n",
           (unsigned long)n, 1e3 * t_uniform, mean, meansq, lo, hi);
    example_check(fabs(mean - 0.5) < 5 * sigma, "uniform mean");
    example_check(fabs(meansq - 1.0 / 3) < 10 * sigma, "uniform mean square");
    example_check(lo > 0 && hi < 1, "uniform numbers strictly inside (0, 1)");

    /* The same seed gives the same sequence. */
    vsip_vrandu_f(again, v);
    int same = 1;
    for (vsip_length i = 0; i < n && same; ++i) same = vsip_vget_f(u, i) == vsip_vget_f(v, i);
    example_check(same, "same seed, same sequence");

    /* Complex normal numbers: each part has variance 1/2; the real part is
     * 3 minus a sum of six uniform numbers. */
    t0 = example_now();
    vsip_cvrandn_f(rng, z);
    const double t_normal = example_now() - t0;
    vsip_vview_f *re = vsip_vrealview_f(z), *im = vsip_vimagview_f(z);
    const double var_re = vsip_vmeansqval_f(re), var_im = vsip_vmeansqval_f(im);
    printf("complex normal: %lu values in %.2f ms, variance of parts %.4f, %.4f (1/2)\n", (unsigned long)n,
           1e3 * t_normal, var_re, var_im);
    example_check(fabs(var_re - 0.5) < 0.01 && fabs(var_im - 0.5) < 0.01, "normal variances");

    vsip_vhisto_f(re, -3.0f, 3.0f, VSIP_HIST_RESET, bins);
    double chi2 = 0;
    FILE *plot = example_plot_file(&args);
    if (plot) fprintf(plot, "lo,hi,count,expected\n");
    printf("%8s %10s %10s\n", "bin", "count", "expected");
    for (int b = 0; b < BINS; ++b) {
        const double blo = -3.0 + 6.0 * b / BINS, bhi = -3.0 + 6.0 * (b + 1) / BINS;
        /* re = 3 - S lies in [blo, bhi) when S lies in (3 - bhi, 3 - blo]. */
        const double expected = (double)n * (sum6_cdf(3 - blo) - sum6_cdf(3 - bhi));
        const double count = vsip_vget_f(bins, b + 1);
        if (expected > 0) chi2 += (count - expected) * (count - expected) / expected;
        if (b % 3 == 0) printf("%8.2f %10.0f %10.1f\n", blo, count, expected);
        if (plot) fprintf(plot, "%g,%g,%g,%g\n", blo, bhi, count, expected);
    }
    if (plot) fclose(plot);
    example_check(vsip_vget_f(bins, 0) == 0 && vsip_vget_f(bins, BINS + 1) == 0, "nothing outside [-3, 3)");
    printf("chi-square against the exact distribution: %.1f over %d bins\n", chi2, BINS);
    example_check(chi2 < 60, "histogram follows the sum of six uniform numbers");

    /* Two cooperating sequences (ids 1 and 2 of 2) are uncorrelated. */
    vsip_randstate *s1 = vsip_randcreate(99, 2, 1, VSIP_PRNG), *s2 = vsip_randcreate(99, 2, 2, VSIP_PRNG);
    vsip_vrandu_f(s1, u);
    vsip_vrandu_f(s2, v);
    double cov = 0;
    for (vsip_length i = 0; i < n; ++i) cov += (vsip_vget_f(u, i) - 0.5) * (vsip_vget_f(v, i) - 0.5);
    const double correlation = cov / (double)n * 12;
    printf("correlation of ids 1 and 2: %.5f\n", correlation);
    example_check(fabs(correlation) < 5 / sqrt((double)n), "independent sequences");

    vsip_randdestroy(s1);
    vsip_randdestroy(s2);
    vsip_vdestroy_f(re);
    vsip_vdestroy_f(im);
    vsip_valldestroy_f(bins);
    vsip_cvalldestroy_f(z);
    vsip_valldestroy_f(u);
    vsip_valldestroy_f(v);
    vsip_randdestroy(rng);
    vsip_randdestroy(again);
    vsip_finalize(NULL);
    return example_finish("random");
}
