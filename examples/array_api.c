/* Array API: a million floats through vsExp, vsLn, vsSin and vsPow against
 * the plain libm loop.  Prints time and largest error in ULP (against the
 * double-precision result) for both, and checks dazaro-tv against the
 * bounds the library declares for its kernels. */
#include <dazaro_tv.h>
#include <math.h>

#include "example_util.h"

/* The library's declared bounds (largest error in ULP) per function. */
typedef struct {
    const char *function;
    const char *precision;
    double max_ulp;
} declared_bound;

static const declared_bound kBounds[] = {
#define TVML_ACCURACY(fn, precision, reference, second, arity, max_ulp, intervals, worst) \
    {#fn, #precision, max_ulp},
#define TVML_SHARED_PATH(fn, precision)
#include "accuracy.def"
#undef TVML_ACCURACY
#undef TVML_SHARED_PATH
};

static double bound_of(const char *fn) {
    for (size_t i = 0; i < sizeof kBounds / sizeof kBounds[0]; ++i)
        if (strcmp(kBounds[i].function, fn) == 0 && strcmp(kBounds[i].precision, "float") == 0)
            return kBounds[i].max_ulp;
    return 0; /* arithmetic kernels are exact */
}

/* Error of r in units of the float spacing at the exact value want. */
static double ulp_error(float r, double want) {
    if (isnan(want)) return isnan(r) ? 0 : INFINITY;
    if (isinf(want)) return r == want ? 0 : INFINITY;
    int e;
    frexp(want, &e);
    const double ulp = ldexp(1.0, (e - 24 < -149 ? -149 : e - 24));
    return fabs((double)r - want) / ulp;
}

typedef struct {
    const char *name;   /* array function */
    const char *kernel; /* function name in the library's accuracy table */
    void (*vml)(int, const float *, const float *, float *);
    void (*libm)(int, const float *, const float *, float *);
    double (*exact)(double, double);
    float xlo, xhi, ylo, yhi; /* x uniform (log-spaced when xlo > 0 and xhi / xlo > 1e3) */
} function_case;

/* One-argument functions in the shape of two, and the plain libm loops. */
static void vml_exp(int n, const float *a, const float *b, float *r) { (void)b; vsExp(n, a, r); }
static void vml_ln(int n, const float *a, const float *b, float *r) { (void)b; vsLn(n, a, r); }
static void vml_sin(int n, const float *a, const float *b, float *r) { (void)b; vsSin(n, a, r); }
static void vml_pow(int n, const float *a, const float *b, float *r) { vsPow(n, a, b, r); }
static void libm_exp(int n, const float *a, const float *b, float *r) {
    (void)b;
    for (int i = 0; i < n; ++i) r[i] = expf(a[i]);
}
static void libm_ln(int n, const float *a, const float *b, float *r) {
    (void)b;
    for (int i = 0; i < n; ++i) r[i] = logf(a[i]);
}
static void libm_sin(int n, const float *a, const float *b, float *r) {
    (void)b;
    for (int i = 0; i < n; ++i) r[i] = sinf(a[i]);
}
static void libm_pow(int n, const float *a, const float *b, float *r) {
    for (int i = 0; i < n; ++i) r[i] = powf(a[i], b[i]);
}
static double exact_exp(double x, double y) { (void)y; return exp(x); }
static double exact_ln(double x, double y) { (void)y; return log(x); }
static double exact_sin(double x, double y) { (void)y; return sin(x); }
static double exact_pow(double x, double y) { return pow(x, y); }

static const function_case kCases[] = {
    {"vsExp", "exp", vml_exp, libm_exp, exact_exp, -87.0f, 88.0f, 0, 0},
    {"vsLn", "ln", vml_ln, libm_ln, exact_ln, 1e-30f, 1e30f, 0, 0},
    {"vsSin", "sin", vml_sin, libm_sin, exact_sin, -100.0f, 100.0f, 0, 0},
    {"vsPow", "pow", vml_pow, libm_pow, exact_pow, 0.01f, 100.0f, -12.0f, 12.0f},
};

static double best_time(const function_case *c, int libm, int n, const float *x, const float *y, float *r) {
    double best = INFINITY;
    for (int rep = 0; rep < 5; ++rep) {
        const double t0 = example_now();
        (libm ? c->libm : c->vml)(n, x, y, r);
        const double t = example_now() - t0;
        if (t < best) best = t;
    }
    return best;
}

int main(int argc, char **argv) {
    const example_args args = example_parse(argc, argv);
    const int n = args.quick ? 100000 : 1000000;
    float *x = malloc(sizeof(float) * n), *y = malloc(sizeof(float) * n);
    float *r = malloc(sizeof(float) * n), *s = malloc(sizeof(float) * n);
    if (!x || !y || !r || !s) return 1;

    printf("dazaro-tv array API, %d floats, architecture %s\n", n, vml_get_cpu_arch());
    printf("%-6s %10s %10s %8s %12s %12s %10s\n", "", "dazaro ms", "libm ms", "speed-up", "dazaro ulp",
           "libm ulp", "declared");
    for (size_t k = 0; k < sizeof kCases / sizeof kCases[0]; ++k) {
        const function_case *c = &kCases[k];
        const int log_spaced = c->xlo > 0 && c->xhi / c->xlo > 1e3f;
        srand(12345);
        for (int i = 0; i < n; ++i) {
            const double u = (double)rand() / RAND_MAX, v = (double)rand() / RAND_MAX;
            x[i] = log_spaced ? (float)(c->xlo * pow((double)c->xhi / c->xlo, u))
                              : (float)(c->xlo + (c->xhi - c->xlo) * u);
            y[i] = (float)(c->ylo + (c->yhi - c->ylo) * v);
        }
        const double t_vml = best_time(c, 0, n, x, y, r);
        const double t_libm = best_time(c, 1, n, x, y, s);
        double err_vml = 0, err_libm = 0;
        for (int i = 0; i < n; ++i) {
            const double want = c->exact(x[i], y[i]);
            const double ev = ulp_error(r[i], want), el = ulp_error(s[i], want);
            if (!(ev <= err_vml)) err_vml = ev;
            if (!(el <= err_libm)) err_libm = el;
        }
        /* Index 0 runs libm itself; the tuned kernels keep the declared bound. */
        const double bound = bound_of(c->kernel);
        printf("%-6s %10.3f %10.3f %7.2fx %12.2f %12.2f %10.1f\n", c->name, 1e3 * t_vml, 1e3 * t_libm,
               t_libm / t_vml, err_vml, err_libm, bound);
        char what[96];
        snprintf(what, sizeof what, "%s within %.1f ulp", c->name, bound > 1 ? bound : 1.0);
        example_check(err_vml <= (bound > 1 ? bound : 1.0), what);
    }
    free(x);
    free(y);
    free(r);
    free(s);
    return example_finish("array_api");
}
