/* Helpers shared by the examples: wall-clock time, the command line
 * (--quick for the short CTest run, --plot FILE for the data a plotting
 * script reads) and a pass/fail tally that becomes the exit status. */
#ifndef EXAMPLE_UTIL_H
#define EXAMPLE_UTIL_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef struct {
    int quick;             /* small sizes, for the CTest run */
    const char *plot_path; /* where to write the plot data, or NULL */
} example_args;

static inline example_args example_parse(int argc, char **argv) {
    example_args a = {0, NULL};
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0) {
            a.quick = 1;
        } else if (strcmp(argv[i], "--plot") == 0 && i + 1 < argc) {
            a.plot_path = argv[++i];
        } else {
            fprintf(stderr, "usage: %s [--quick] [--plot FILE]\n", argv[0]);
            exit(2);
        }
    }
    return a;
}

static inline double example_now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

static int example_failures = 0;

/* Records a check; prints the failing ones. */
static inline void example_check(int ok, const char *what) {
    if (!ok) {
        ++example_failures;
        printf("CHECK FAILED: %s\n", what);
    }
}

/* Prints the verdict and returns the exit status of main. */
static inline int example_finish(const char *name) {
    if (example_failures) {
        printf("%s: %d check(s) FAILED\n", name, example_failures);
        return 1;
    }
    printf("%s: all checks passed\n", name);
    return 0;
}

static inline FILE *example_plot_file(const example_args *a) {
    if (!a->plot_path) return NULL;
    FILE *f = fopen(a->plot_path, "w");
    if (!f) {
        perror(a->plot_path);
        exit(1);
    }
    return f;
}

#endif /* EXAMPLE_UTIL_H */
