/* Plain-C client of the public headers: builds vectors and matrices,
 * checks values read back through the API, and prints them. */
#include <vsip.h>
#include <vsip_tv.h>

static int failures;

/* Failures are counted and end the program with a non-zero status; the
 * printed views show which values were involved. */
static void check(int ok) {
    if (!ok)
        ++failures;
}

int main(void) {
    vsip_length j;
    vsip_vview_f *v;
    vsip_cvview_f *cv;
    vsip_vview_f *im;
    vsip_mview_f *m;
    vsip_vview_f *row;
    vsip_mview_i *mi;
    vsip_cscalar_f z;
    vsip_scalar_f pairs[8] = {1, -1, 2, -2, 3, -3, 4, -4};
    vsip_cblock_f *cb;

    if (vsip_init((void *)0) != 0)
        return 1;

    v = vsip_vcreate_f(5, VSIP_MEM_NONE);
    if (!v)
        return 1;
    for (j = 0; j < 5; ++j)
        vsip_vput_f(v, j, 0.5f * (vsip_scalar_f)j);
    check(vsip_vget_f(v, 4) == 2.0f);
    VU_vprintm_f("4.1", v);

    cb = vsip_cblockbind_f(pairs, (vsip_scalar_f *)0, 4, VSIP_MEM_NONE);
    check(vsip_cblockadmit_f(cb, VSIP_TRUE) == 0);
    cv = vsip_cvbind_f(cb, 3, -1, 4);
    z = vsip_cvget_f(cv, 0);
    check(z.r == 4.0f && z.i == -4.0f);
    z = vsip_cmul_f(z, vsip_cmplx_f(0.0f, 1.0f));
    check(z.r == 4.0f && z.i == 4.0f);
    im = vsip_vimagview_f(cv);
    check(vsip_vget_f(im, 3) == -1.0f);
    VU_cvprintm_f("3.1", cv);
    vsip_valldestroy_f(im);
    vsip_cvdestroy_f(cv);
    vsip_cblockdestroy_f(cb);

    m = vsip_mcreate_f(2, 3, VSIP_ROW, VSIP_MEM_NONE);
    for (j = 0; j < 6; ++j)
        vsip_mput_f(m, j / 3, j % 3, (vsip_scalar_f)j);
    row = vsip_mrowview_f(m, 1);
    check(vsip_vget_f(row, 2) == 5.0f);
    VU_mprintm_f("4.1", m);
    vsip_vdestroy_f(row);
    vsip_malldestroy_f(m);

    mi = vsip_mcreate_i(2, 2, VSIP_COL, VSIP_MEM_NONE);
    check(vsip_mgetcollength_i(mi) == 2);
    vsip_malldestroy_i(mi);

    vsip_valldestroy_f(v);
    check(tml_vsip_get_product_version((tml_vsip_product_version *)0) == 1);
    check(vsip_cstorage() == VSIP_CMPLX_SPLIT);
    return vsip_finalize((void *)0) != 0 || failures != 0;
}
