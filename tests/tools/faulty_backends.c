/* Preloaded into vsip-tv-info by its tests: makes one FFTW or CBLAS routine
 * misbehave, chosen by DIAG_FAULT ("fft": transforms leave their output
 * untouched; "sgemm": matrix products write nothing; "sdot": dot products
 * return 0).  Other routines forward to the real libraries. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

static int fault(const char *name) {
    const char *f = getenv("DIAG_FAULT");
    return f && strcmp(f, name) == 0;
}

void fftwf_execute(const void *plan) {
    if (fault("fft")) return;
    void (*real)(const void *) = (void (*)(const void *))dlsym(RTLD_NEXT, "fftwf_execute");
    real(plan);
}

/* The library runs its plans on the caller's arrays through the new-array
 * execute functions; each is broken the same way. */
#define FAULTY_EXECUTE(name)                                                   \
    void name(const void *plan, void *in, void *out) {                         \
        if (fault("fft")) return;                                              \
        void (*real)(const void *, void *, void *) =                           \
            (void (*)(const void *, void *, void *))dlsym(RTLD_NEXT, #name);   \
        real(plan, in, out);                                                   \
    }
FAULTY_EXECUTE(fftwf_execute_dft)
FAULTY_EXECUTE(fftwf_execute_dft_r2c)
FAULTY_EXECUTE(fftwf_execute_dft_c2r)

void fftwf_execute_split_dft(const void *plan, float *ri, float *ii, float *ro, float *io) {
    if (fault("fft")) return;
    void (*real)(const void *, float *, float *, float *, float *) =
        (void (*)(const void *, float *, float *, float *, float *))dlsym(RTLD_NEXT,
                                                                          "fftwf_execute_split_dft");
    real(plan, ri, ii, ro, io);
}

typedef void sgemm_fn(int, int, int, int, int, int, float, const float *, int, const float *, int, float,
                      float *, int);
void cblas_sgemm(int order, int ta, int tb, int m, int n, int k, float alpha, const float *a, int lda,
                 const float *b, int ldb, float beta, float *c, int ldc) {
    if (fault("sgemm")) return;
    sgemm_fn *real = (sgemm_fn *)dlsym(RTLD_NEXT, "cblas_sgemm");
    real(order, ta, tb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
}

typedef float sdot_fn(int, const float *, int, const float *, int);
float cblas_sdot(int n, const float *x, int incx, const float *y, int incy) {
    if (fault("sdot")) return 0;
    sdot_fn *real = (sdot_fn *)dlsym(RTLD_NEXT, "cblas_sdot");
    return real(n, x, incx, y, incy);
}
