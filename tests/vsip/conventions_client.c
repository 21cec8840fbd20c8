/* A VSIPL program written the way the standard's own examples are: the
 * boolean type and constants used as integers (also in #if), vsip_bool
 * and vsip_scalar_bl pointers mixed, the limits and pi from <vsip.h>, a
 * matrix-index block over an array of vector indices.  It must build
 * unchanged as C11 and as C++ with -Wall -Wextra -Werror (the C++ build
 * includes this file) and exit with status 0. */
#include <vsip.h>

#include <stdio.h>

#if !VSIP_TRUE || VSIP_FALSE
#error "VSIP_TRUE must be nonzero and VSIP_FALSE zero in #if"
#endif

#if VSIP_MAX_SCALAR_I != 2147483647 || VSIP_MIN_SCALAR_I != -2147483647 - 1
#error "32-bit vsip_scalar_i limits"
#endif

static int failures;

static void check(int ok, const char *what) {
    if (!ok) {
        printf("FAILED: %s\n", what);
        ++failures;
    }
}

/* Counts the true elements, the way callers write boolean loops. */
static vsip_length count_true(const vsip_vview_bl *v) {
    vsip_length j, n = 0;
    for (j = 0; j < vsip_vgetlength_bl(v); ++j) {
        vsip_bool b = vsip_vget_bl(v, j);
        if (b == VSIP_TRUE)
            ++n;
    }
    return n;
}

int main(void) {
    vsip_bool flags[4] = {VSIP_TRUE, VSIP_FALSE, VSIP_TRUE, VSIP_TRUE};
    vsip_scalar_vi pairs[4] = {1, 2, 3, 4};
    vsip_scalar_bl *released;
    vsip_bool *back, all;
    vsip_block_bl *flag_block;
    vsip_vview_bl *flag_view, *ge;
    vsip_vview_f *angles, *limit;
    vsip_vview_vi *indices;
    vsip_block_mi *index_block;
    vsip_vview_mi *index_view;
    vsip_scalar_mi second;
    vsip_scalar_f pi_f = (vsip_scalar_f)VSIP_PI;

    if (vsip_init((void *)0) != 0)
        return 1;

    /* vsip_bool storage is vsip_scalar_bl storage. */
    flag_block = vsip_blockbind_bl(flags, 4, VSIP_MEM_NONE);
    flag_view = vsip_vbind_bl(flag_block, 0, 1, 4);
    check(flag_block && flag_view && vsip_blockadmit_bl(flag_block, VSIP_TRUE) == 0, "bind booleans");
    all = vsip_valltrue_bl(flag_view);
    check(all == VSIP_FALSE && !all, "valltrue of a false element");
    vsip_vput_bl(flag_view, 1, VSIP_TRUE);
    all = vsip_valltrue_bl(flag_view);
    check(all == VSIP_TRUE && all, "valltrue after setting it");
    check(count_true(flag_view) == 4, "vsip_bool elements");
    back = vsip_blockrelease_bl(flag_block, VSIP_TRUE);
    released = back;
    check(back == flags && released[1] == VSIP_TRUE, "release returns the booleans");
    vsip_vdestroy_bl(flag_view);
    vsip_blockdestroy_bl(flag_block);

    /* pi and a comparison into a boolean view. */
    angles = vsip_vcreate_f(8, VSIP_MEM_NONE);
    limit = vsip_vcreate_f(8, VSIP_MEM_NONE);
    ge = vsip_vcreate_bl(8, VSIP_MEM_NONE);
    check(angles && limit && ge, "create");
    vsip_vramp_f(0.0f, pi_f / 4, angles);
    vsip_vfill_f(pi_f, limit);
    vsip_vlge_f(angles, limit, ge);
    check(count_true(ge) == 4, "angles of pi and beyond");
    check(vsip_arg_f(vsip_cmplx_f(-1.0f, 0.0f)) == pi_f, "pi is the argument of -1");
    vsip_valldestroy_bl(ge);
    vsip_valldestroy_f(limit);
    vsip_valldestroy_f(angles);

    /* Limits of the scalar types. */
    check(VSIP_MAX_SCALAR_F > 3.4e38f && VSIP_MIN_SCALAR_F > 0.0f && VSIP_MIN_SCALAR_F < 1.2e-38f,
          "float limits");
    check(VSIP_MAX_SCALAR_D > 1.79e308 && VSIP_MIN_SCALAR_D > 0.0 && VSIP_MIN_SCALAR_D < 2.3e-308,
          "double limits");
    indices = vsip_vcreate_vi(1, VSIP_MEM_NONE);
    check(indices != 0, "create indices");
    vsip_vput_vi(indices, 0, VSIP_MAX_SCALAR_VI);
    check(vsip_vget_vi(indices, 0) + 1 == VSIP_MIN_SCALAR_VI, "index limits");
    vsip_valldestroy_vi(indices);

    /* Matrix indices over an array of vector indices: row, column pairs. */
    index_block = vsip_blockbind_mi((vsip_scalar_mi *)pairs, 2, VSIP_MEM_NONE);
    index_view = vsip_vbind_mi(index_block, 0, 1, 2);
    check(index_block && index_view && vsip_blockadmit_mi(index_block, VSIP_TRUE) == 0, "bind indices");
    second = vsip_vget_mi(index_view, 1);
    check(vsip_mrowindex(second) == 3 && vsip_mcolindex(second) == 4, "matrix index layout");
    vsip_vput_mi(index_view, 0, vsip_matindex(7, 8));
    check(pairs[0] == 7 && pairs[1] == 8, "matrix index stored as two vector indices");
    vsip_vdestroy_mi(index_view);
    vsip_blockdestroy_mi(index_block);

    if (vsip_finalize((void *)0) != 0)
        return 1;
    printf("%d failure(s)\n", failures);
    return failures != 0;
}
