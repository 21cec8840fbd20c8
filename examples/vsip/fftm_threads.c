/* Multiple FFT on OpenMP threads: every row of a 1024 x 4096 complex
 * matrix transformed by vsip_ccfftmop_f with 1, 2, 4, ... threads.  Prints
 * the time and the scaling, and checks every run: row r holds a tone at
 * bin 7r mod N, so its spectrum is N at that bin and about 0 elsewhere, and
 * every thread count gives the same result. */
#include <math.h>
#include <omp.h>
#include <vsip.h>

#include "example_util.h"

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    const vsip_length rows = args.quick ? 64 : 1024, cols = args.quick ? 1024 : 4096;
    vsip_init(NULL);

    vsip_cmview_f *x = vsip_cmcreate_f(rows, cols, VSIP_ROW, VSIP_MEM_NONE);
    vsip_cmview_f *y = vsip_cmcreate_f(rows, cols, VSIP_ROW, VSIP_MEM_NONE);
    vsip_cmview_f *first = vsip_cmcreate_f(rows, cols, VSIP_ROW, VSIP_MEM_NONE);
    vsip_fftm_f *fftm = vsip_ccfftmop_create_f(rows, cols, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 1, VSIP_ALG_TIME);
    if (!x || !y || !first || !fftm) {
        printf("fftm_threads: out of memory\n");
        return 1;
    }
    const double pi = acos(-1.0);
    for (vsip_length r = 0; r < rows; ++r) {
        const vsip_length bin = 7 * r % cols;
        for (vsip_length n = 0; n < cols; ++n) {
            const double phase = 2 * pi * (double)((bin * n) % cols) / (double)cols;
            vsip_cmput_f(x, r, n, vsip_cmplx_f((float)cos(phase), (float)sin(phase)));
        }
    }

    const int procs = omp_get_num_procs(), most = omp_get_max_threads() > procs ? omp_get_max_threads() : procs;
    FILE *plot = example_plot_file(&args);
    if (plot) fprintf(plot, "threads,ms,speedup\n");
    printf("multiple FFT, %lu rows of %lu complex floats, %d processors\n", (unsigned long)rows,
           (unsigned long)cols, procs);
    printf("%8s %10s %9s %11s\n", "threads", "ms", "speed-up", "efficiency");
    double base = 0;
    for (int threads = 1; threads <= most; threads = threads * 2 > most && threads < most ? most : threads * 2) {
        omp_set_num_threads(threads);
        vsip_ccfftmop_f(fftm, x, y); /* warm-up: starts the threads */
        double best = INFINITY;
        for (int rep = 0; rep < 5; ++rep) {
            const double t0 = example_now();
            vsip_ccfftmop_f(fftm, x, y);
            const double t = example_now() - t0;
            if (t < best) best = t;
        }
        if (threads == 1) {
            base = best;
            vsip_cmcopy_f_f(y, first);
            /* Spectrum of each tone: N at its bin, small elsewhere. */
            double worst = 0;
            for (vsip_length r = 0; r < rows; ++r) {
                const vsip_length bin = 7 * r % cols;
                for (vsip_length k = 0; k < cols; ++k) {
                    const vsip_cscalar_f v = vsip_cmget_f(y, r, k);
                    const double err = hypot(v.r - (k == bin ? (double)cols : 0.0), v.i);
                    if (!(err <= worst)) worst = err;
                }
            }
            char what[80];
            snprintf(what, sizeof what, "tone spectra within 1e-3 N (largest error %.3g)", worst);
            example_check(worst <= 1e-3 * (double)cols, what);
        } else {
            /* Each row is transformed by its own plan: the split over
             * threads does not change a bit. */
            int same = 1;
            for (vsip_length r = 0; r < rows && same; ++r)
                for (vsip_length k = 0; k < cols && same; ++k) {
                    const vsip_cscalar_f a = vsip_cmget_f(y, r, k), b = vsip_cmget_f(first, r, k);
                    same = a.r == b.r && a.i == b.i;
                }
            char what[64];
            snprintf(what, sizeof what, "%d threads give the 1-thread result", threads);
            example_check(same, what);
        }
        printf("%8d %10.2f %8.2fx %10.0f%%\n", threads, 1e3 * best, base / best, 100 * base / best / threads);
        if (plot) fprintf(plot, "%d,%g,%g\n", threads, 1e3 * best, base / best);
        if (threads == most) break;
    }
    if (plot) fclose(plot);

    vsip_fftm_destroy_f(fftm);
    vsip_cmalldestroy_f(x);
    vsip_cmalldestroy_f(y);
    vsip_cmalldestroy_f(first);
    vsip_finalize(NULL);
    return example_finish("fftm_threads");
}
