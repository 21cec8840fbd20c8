/* FIR low-pass filtering with libvsip-tv: a 50 Hz tone and a 1.2 kHz tone
 * in Gaussian noise, sampled at 8 kHz, through a linear-phase low-pass
 * designed as a Kaiser-windowed sinc (vsip_vcreate_kaiser_f) and filtered
 * block by block, the filter carrying its state from one block to the next.
 * Spectra before and after come from the real FFT of the Hanning-weighted
 * signals, in dB.  Checks the high tone's attenuation against the design's
 * stopband attenuation, the low tone's level, and that the blocks give the
 * output of one call over the whole signal. */
#include <math.h>
#include <vsip.h>

#include "example_util.h"

#define FS 8000.0          /* sample rate, Hz */
#define F_LOW 50.0         /* tone kept, Hz */
#define F_HIGH 1200.0      /* tone removed, Hz */
#define NOISE 0.01         /* standard deviation of the noise */
#define F_PASS 300.0       /* passband edge, Hz */
#define F_STOP 700.0       /* stopband edge, Hz */
#define ATTENUATION 60.0   /* designed stopband attenuation, dB */
#define BLOCK 800          /* samples per filter call */
#define MAX_TAPS 255

/* Level in dB of the half spectrum of a real signal: 20 log10 of each
 * bin's magnitude times scale (a floor of 1e-12 keeps exact zeros finite). */
static void spectrum_db(const vsip_fft_f *fft, const vsip_vview_f *x, const vsip_cvview_f *bins, float scale,
                        const vsip_vview_f *db) {
    vsip_rcfftop_f(fft, x, bins);
    vsip_cvmag_f(bins, db);
    vsip_svmul_f(scale, db, db);
    vsip_svadd_f(1e-12f, db, db);
    vsip_vlog10_f(db, db);
    vsip_svmul_f(20.0f, db, db);
}

static vsip_index bin_of(double hz, vsip_length n) { return (vsip_index)floor(hz * (double)n / FS + 0.5); }

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    /* One second (quick) or four: 1 Hz or 0.25 Hz bins, both tones on a bin. */
    const vsip_length n = args.quick ? 8000 : 32000, half = n / 2 + 1;
    vsip_init(NULL);
    const double pi = acos(-1.0);

    /* Kaiser's design rules: shape beta and length M for the attenuation
     * and the transition width; M odd, so the kernel is symmetric about a
     * whole sample and only its first half is handed to the filter. */
    const double beta = 0.1102 * (ATTENUATION - 8.7);
    const double transition = 2 * pi * (F_STOP - F_PASS) / FS;
    int taps = (int)ceil((ATTENUATION - 8) / (2.285 * transition)) + 1;
    taps |= 1;
    if (taps > MAX_TAPS) taps = MAX_TAPS;
    const int taps_half = (taps + 1) / 2;
    const double cutoff = (F_PASS + F_STOP) / 2 / FS; /* cycles per sample */

    vsip_vview_f *window = vsip_vcreate_kaiser_f(taps, (vsip_scalar_f)beta, VSIP_MEM_NONE);
    vsip_vview_f *kernel = vsip_vcreate_f(taps_half, VSIP_MEM_NONE);
    vsip_vview_f *x = vsip_vcreate_f(n, VSIP_MEM_NONE), *y = vsip_vcreate_f(n, VSIP_MEM_NONE);
    vsip_vview_f *whole = vsip_vcreate_f(n, VSIP_MEM_NONE), *response = vsip_vcreate_f(n, VSIP_MEM_NONE);
    vsip_vview_f *hann = vsip_vcreate_hanning_f(n, VSIP_MEM_NONE), *weighted = vsip_vcreate_f(n, VSIP_MEM_NONE);
    vsip_vview_f *before = vsip_vcreate_f(half, VSIP_MEM_NONE), *after = vsip_vcreate_f(half, VSIP_MEM_NONE);
    vsip_vview_f *gain = vsip_vcreate_f(half, VSIP_MEM_NONE);
    vsip_cvview_f *bins = vsip_cvcreate_f(half, VSIP_MEM_NONE);
    vsip_fft_f *fft = vsip_rcfftop_create_f(n, 1.0f, 1, VSIP_ALG_TIME);
    vsip_randstate *rng = vsip_randcreate(2024, 1, 1, VSIP_PRNG);
    if (!window || !kernel || !x || !y || !whole || !response || !hann || !weighted || !before || !after || !gain ||
        !bins || !fft || !rng) {
        printf("fir_lowpass: out of memory\n");
        return 1;
    }

    /* Windowed sinc, scaled to a gain of exactly 1 at 0 Hz.  The full
     * kernel (both halves) also goes, zero-padded, into `response`. */
    double h[MAX_TAPS], dc = 0;
    for (int k = 0; k < taps; ++k) {
        const double t = k - (taps - 1) / 2.0;
        const double sinc = t == 0 ? 2 * cutoff : sin(2 * pi * cutoff * t) / (pi * t);
        h[k] = sinc * vsip_vget_f(window, k);
        dc += h[k];
    }
    vsip_vfill_f(0, response);
    for (int k = 0; k < taps; ++k) {
        h[k] /= dc;
        if (k < taps_half) vsip_vput_f(kernel, k, (vsip_scalar_f)h[k]);
        vsip_vput_f(response, k, (vsip_scalar_f)h[k < taps_half ? k : taps - 1 - k]);
    }

    /* The signal: both tones at amplitude 1 plus the noise. */
    for (vsip_length i = 0; i < n; ++i) {
        const double t = (double)i / FS;
        const double s = cos(2 * pi * F_LOW * t) + cos(2 * pi * F_HIGH * t + 0.7);
        vsip_vput_f(x, i, (vsip_scalar_f)(s + NOISE * vsip_randn_f(rng)));
    }

    /* Block by block, the state saved between calls; then the whole
     * signal through a second filter in one call, for comparison. */
    vsip_fir_f *fir = vsip_fir_create_f(kernel, VSIP_SYM_EVEN_LEN_ODD, BLOCK, 1, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    vsip_fir_f *once = vsip_fir_create_f(kernel, VSIP_SYM_EVEN_LEN_ODD, n, 1, VSIP_STATE_NO_SAVE, 0, VSIP_ALG_TIME);
    if (!fir || !once) {
        printf("fir_lowpass: could not create the filters\n");
        return 1;
    }
    vsip_fir_attr attr;
    vsip_fir_getattr_f(fir, &attr);
    int written = 0, blocks = 0;
    const double t0 = example_now();
    for (vsip_length at = 0; at + BLOCK <= n; at += BLOCK, ++blocks) {
        vsip_vview_f *in = vsip_vsubview_f(x, at, BLOCK), *out = vsip_vsubview_f(y, at, BLOCK);
        written += vsip_firflt_f(fir, in, out);
        vsip_vdestroy_f(in);
        vsip_vdestroy_f(out);
    }
    const double t_blocks = example_now() - t0;
    const int written_once = vsip_firflt_f(once, x, whole);
    vsip_index worst_at;
    vsip_vsub_f(y, whole, whole);
    const double block_difference = vsip_vmaxmgval_f(whole, &worst_at);

    /* Spectra: Hanning-weighted, scaled so that a tone of amplitude 1 on a
     * bin reads 0 dB; the kernel's response unweighted (0 dB = gain 1). */
    const float tone_scale = 2.0f / vsip_vsumval_f(hann);
    vsip_vmul_f(x, hann, weighted);
    spectrum_db(fft, weighted, bins, tone_scale, before);
    vsip_vmul_f(y, hann, weighted);
    spectrum_db(fft, weighted, bins, tone_scale, after);
    spectrum_db(fft, response, bins, 1.0f, gain);

    /* Passband ripple (peak to peak) and the highest stopband level of the
     * kernel's response. */
    double pass_lo = 1e30, pass_hi = -1e30, stop_hi = -1e30;
    for (vsip_index k = 0; k < half; ++k) {
        const double f = (double)k * FS / (double)n, g = vsip_vget_f(gain, k);
        if (f <= F_PASS) {
            pass_lo = g < pass_lo ? g : pass_lo;
            pass_hi = g > pass_hi ? g : pass_hi;
        } else if (f >= F_STOP && g > stop_hi) {
            stop_hi = g;
        }
    }

    const vsip_index lo = bin_of(F_LOW, n), hi = bin_of(F_HIGH, n);
    const double low_before = vsip_vget_f(before, lo), low_after = vsip_vget_f(after, lo);
    const double high_before = vsip_vget_f(before, hi), high_after = vsip_vget_f(after, hi);
    const double attenuation = high_before - high_after;

    printf("low-pass: %d taps (Kaiser, beta %.2f), passband 0 - %.0f Hz, stopband from %.0f Hz, designed for %.0f dB\n",
           (int)attr.kernel_len, beta, F_PASS, F_STOP, ATTENUATION);
    printf("%lu samples at %.0f Hz in %d blocks of %d: %.3f ms; largest difference to one call %.2g\n",
           (unsigned long)n, FS, blocks, BLOCK, 1e3 * t_blocks, block_difference);
    printf("%10s %12s %12s %12s %12s\n", "tone Hz", "before dB", "after dB", "change dB", "response dB");
    printf("%10.0f %12.2f %12.2f %12.2f %12.2f\n", F_LOW, low_before, low_after, low_after - low_before,
           vsip_vget_f(gain, lo));
    printf("%10.0f %12.2f %12.2f %12.2f %12.2f\n", F_HIGH, high_before, high_after, high_after - high_before,
           vsip_vget_f(gain, hi));
    printf("attenuation of the %.0f Hz tone: %.1f dB (at least %.0f dB)\n", F_HIGH, attenuation, ATTENUATION);
    printf("passband ripple %.4f dB peak to peak; highest stopband level %.1f dB\n", pass_hi - pass_lo, stop_hi);

    example_check(written == blocks * BLOCK && written_once == (int)n, "one output per input sample");
    example_check(block_difference < 1e-5, "blocks give the output of one call");
    example_check(attenuation >= ATTENUATION, "high tone attenuated by the designed stopband attenuation");
    example_check(fabs(low_after - low_before) <= 0.5, "low tone within 0.5 dB");
    example_check(stop_hi <= -ATTENUATION, "stopband response at or below the designed attenuation");
    example_check(pass_hi - pass_lo < 0.1, "passband ripple below 0.1 dB");

    FILE *plot = example_plot_file(&args);
    if (plot) {
        fprintf(plot, "# tone %g %.2f %.2f\n", F_LOW, low_before, low_after);
        fprintf(plot, "# tone %g %.2f %.2f\n", F_HIGH, high_before, high_after);
        fprintf(plot, "# passband %g\n# stopband %g\n# attenuation %g\n", F_PASS, F_STOP, ATTENUATION);
        fprintf(plot, "freq_hz,before_db,after_db,response_db\n");
        for (vsip_index k = 0; k < half; ++k)
            fprintf(plot, "%g,%.2f,%.2f,%.2f\n", (double)k * FS / (double)n, vsip_vget_f(before, k),
                    vsip_vget_f(after, k), vsip_vget_f(gain, k));
        fclose(plot);
    }

    vsip_fir_destroy_f(fir);
    vsip_fir_destroy_f(once);
    vsip_fft_destroy_f(fft);
    vsip_randdestroy(rng);
    vsip_cvalldestroy_f(bins);
    vsip_valldestroy_f(window);
    vsip_valldestroy_f(kernel);
    vsip_valldestroy_f(x);
    vsip_valldestroy_f(y);
    vsip_valldestroy_f(whole);
    vsip_valldestroy_f(response);
    vsip_valldestroy_f(hann);
    vsip_valldestroy_f(weighted);
    vsip_valldestroy_f(before);
    vsip_valldestroy_f(after);
    vsip_valldestroy_f(gain);
    vsip_finalize(NULL);
    return example_finish("fir_lowpass");
}
