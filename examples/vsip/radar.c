/* Pulse-compression radar with libvsip-tv: a linear chirp, echoes of
 * planted targets in complex noise, a matched filter by FFT (spectrum of the
 * received window times the conjugate spectrum of the windowed chirp),
 * inverse FFT, magnitude and a peak search.  Prints the detected ranges and
 * checks them against the planted targets. */
#include <math.h>
#include <vsip.h>

#include "example_util.h"

#define N 4096           /* samples in the receive window (FFT length) */
#define L 200            /* chirp samples */
#define FS 20e6          /* sample rate, Hz */
#define BANDWIDTH 10e6   /* chirp sweep, Hz */
#define LIGHT 299792458.0
#define MAX_TARGETS 16

typedef struct {
    int delay; /* samples */
    float amplitude;
    float phase;
} target;

static const target kTargets[] = {
    {400, 1.0f, 0.3f}, {1000, 0.5f, 2.0f}, {1040, 0.7f, -1.0f}, {2667, 0.3f, 0.8f},
};
#define TARGET_COUNT ((int)(sizeof kTargets / sizeof kTargets[0]))

static double range_of(double delay_samples) { return LIGHT * delay_samples / FS / 2; }

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    vsip_init(NULL);
    const double pi = acos(-1.0), sweep_rate = BANDWIDTH / (L / FS);

    /* The transmitted chirp, zero-padded to N. */
    vsip_cvview_f *chirp = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_cvview_f *rx = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_cvview_f *noise = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_cvview_f *reference = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_cvview_f *spectrum = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_cvview_f *compressed = vsip_cvcreate_f(N, VSIP_MEM_NONE);
    vsip_vview_f *magnitude = vsip_vcreate_f(N, VSIP_MEM_NONE);
    vsip_vview_f *window = vsip_vcreate_hanning_f(L, VSIP_MEM_NONE);
    vsip_fft_f *forward = vsip_ccfftop_create_f(N, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    vsip_fft_f *inverse = vsip_ccfftop_create_f(N, 1.0f / N, VSIP_FFT_INV, 1, VSIP_ALG_TIME);
    vsip_randstate *rng = vsip_randcreate(7, 1, 1, VSIP_PRNG);
    if (!chirp || !rx || !noise || !reference || !spectrum || !compressed || !magnitude || !window ||
        !forward || !inverse || !rng) {
        printf("radar: out of memory\n");
        return 1;
    }
    vsip_cvfill_f(vsip_cmplx_f(0, 0), chirp);
    for (int n = 0; n < L; ++n) {
        const double t = n / FS - 0.5 * L / FS;
        vsip_cvput_f(chirp, n, vsip_cmplx_f((float)cos(pi * sweep_rate * t * t), (float)sin(pi * sweep_rate * t * t)));
    }

    /* Received window: delayed, scaled echoes plus complex noise (variance
     * 1/4). */
    vsip_cvrandn_f(rng, noise);
    vsip_cvfill_f(vsip_cmplx_f(0, 0), rx);
    for (int k = 0; k < TARGET_COUNT; ++k) {
        const vsip_cscalar_f echo = vsip_cmplx_f(kTargets[k].amplitude * cosf(kTargets[k].phase),
                                                 kTargets[k].amplitude * sinf(kTargets[k].phase));
        for (int n = 0; n < L; ++n) {
            const int at = kTargets[k].delay + n;
            vsip_cvput_f(rx, at, vsip_cadd_f(vsip_cvget_f(rx, at), vsip_cmul_f(echo, vsip_cvget_f(chirp, n))));
        }
    }
    vsip_vview_f *noise_re = vsip_vrealview_f(noise), *noise_im = vsip_vimagview_f(noise);
    vsip_svmul_f(0.5f, noise_re, noise_re);
    vsip_svmul_f(0.5f, noise_im, noise_im);
    vsip_vdestroy_f(noise_re);
    vsip_vdestroy_f(noise_im);
    vsip_cvadd_f(rx, noise, rx);

    /* Matched filter: the reference is the Hanning-windowed chirp (lower
     * range sidelobes); multiply spectra, one conjugated, and go back. */
    vsip_cvview_f *pulse = vsip_cvsubview_f(chirp, 0, L);
    vsip_cvview_f *weighted = vsip_cvsubview_f(reference, 0, L);
    vsip_cvfill_f(vsip_cmplx_f(0, 0), reference);
    vsip_rcvmul_f(window, pulse, weighted);
    const double t0 = example_now();
    vsip_ccfftop_f(forward, reference, compressed); /* reference spectrum */
    vsip_ccfftop_f(forward, rx, spectrum);
    vsip_cvjmul_f(spectrum, compressed, spectrum);
    vsip_ccfftop_f(inverse, spectrum, compressed);
    vsip_cvmag_f(compressed, magnitude);
    const double t_chain = example_now() - t0;

    /* Peak search: the largest remaining sample above the threshold, then
     * blank its main lobe, until nothing exceeds the threshold. */
    const float threshold = 18.0f; /* noise rms after the filter is about 4.3 */
    vsip_vview_f *work = vsip_vcreate_f(N, VSIP_MEM_NONE);
    vsip_vcopy_f_f(magnitude, work);
    int detected[MAX_TARGETS], found = 0;
    float peak[MAX_TARGETS];
    for (; found < MAX_TARGETS; ++found) {
        vsip_index at;
        peak[found] = vsip_vmaxval_f(work, &at);
        if (peak[found] < threshold) break;
        detected[found] = (int)at;
        const int lo = (int)at - 8 < 0 ? 0 : (int)at - 8, hi = (int)at + 8 >= N ? N - 1 : (int)at + 8;
        vsip_vview_f *lobe = vsip_vsubview_f(work, lo, hi - lo + 1);
        vsip_vfill_f(0, lobe);
        vsip_vdestroy_f(lobe);
    }

    printf("pulse compression: %d-sample chirp over %.0f MHz, %d-point FFTs, chain %.3f ms\n", L, BANDWIDTH / 1e6, N,
           1e3 * t_chain);
    printf("range resolution %.1f m, %.2f m per sample, threshold %.1f\n", LIGHT / (2 * BANDWIDTH),
           range_of(1), threshold);
    printf("%12s %12s %10s %10s\n", "planted m", "detected m", "amplitude", "peak");
    int matched[MAX_TARGETS] = {0};
    for (int k = 0; k < TARGET_COUNT; ++k) {
        int hit = -1;
        for (int d = 0; d < found; ++d)
            if (abs(detected[d] - kTargets[k].delay) <= 1 && !matched[d]) hit = d;
        if (hit >= 0) matched[hit] = 1;
        if (hit >= 0)
            printf("%12.1f %12.1f %10.2f %10.1f\n", range_of(kTargets[k].delay), range_of(detected[hit]),
                   kTargets[k].amplitude, peak[hit]);
        else
            printf("%12.1f %12s %10.2f %10s\n", range_of(kTargets[k].delay), "missed", kTargets[k].amplitude, "-");
        char what[64];
        snprintf(what, sizeof what, "target at %.1f m detected", range_of(kTargets[k].delay));
        example_check(hit >= 0, what);
    }
    for (int d = 0; d < found; ++d) {
        if (matched[d]) continue;
        char what[64];
        snprintf(what, sizeof what, "no false detection (%.1f m, peak %.1f)", range_of(detected[d]), peak[d]);
        example_check(0, what);
    }

    FILE *plot = example_plot_file(&args);
    if (plot) {
        fprintf(plot, "# threshold %g\n", threshold);
        for (int k = 0; k < TARGET_COUNT; ++k) fprintf(plot, "# planted %g\n", range_of(kTargets[k].delay));
        for (int d = 0; d < found; ++d) fprintf(plot, "# detected %g %g\n", range_of(detected[d]), peak[d]);
        fprintf(plot, "range_m,magnitude\n");
        for (int n = 0; n < N; ++n) fprintf(plot, "%g,%g\n", range_of(n), vsip_vget_f(magnitude, n));
        fclose(plot);
    }

    vsip_valldestroy_f(work);
    vsip_cvdestroy_f(pulse);
    vsip_cvdestroy_f(weighted);
    vsip_randdestroy(rng);
    vsip_fft_destroy_f(forward);
    vsip_fft_destroy_f(inverse);
    vsip_valldestroy_f(window);
    vsip_valldestroy_f(magnitude);
    vsip_cvalldestroy_f(compressed);
    vsip_cvalldestroy_f(spectrum);
    vsip_cvalldestroy_f(reference);
    vsip_cvalldestroy_f(noise);
    vsip_cvalldestroy_f(rx);
    vsip_cvalldestroy_f(chirp);
    vsip_finalize(NULL);
    return example_finish("radar");
}
