/* libvsip-tv demo: blocks bound to caller memory, views with strides,
 * complex data in interleaved storage, and the VU_ printers. */
#include <stdio.h>

#include <vsip.h>
#include <vsip_tv.h>

int main(void) {
    float samples[16];
    vsip_block_f *block;
    vsip_vview_f *all, *odd;
    vsip_cvview_f *signal;
    vsip_mview_f *image, *corner;
    vsip_length k;

    vsip_init(NULL);

    /* Caller memory becomes a block; admit hands it to the library. */
    for (k = 0; k < 16; ++k)
        samples[k] = (float)k;
    block = vsip_blockbind_f(samples, 16, VSIP_MEM_NONE);
    vsip_blockadmit_f(block, VSIP_TRUE);
    all = vsip_vbind_f(block, 0, 1, 16);
    odd = vsip_vbind_f(block, 15, -2, 8); /* 15, 13, ..., 1 */
    printf("all samples:\n");
    VU_vprintm_f("5.1", all);
    printf("odd samples, backwards:\n");
    VU_vprintm_f("5.1", odd);

    /* A complex vector with library (split) storage: e^(i k pi/4). */
    signal = vsip_cvcreate_f(8, VSIP_MEM_NONE);
    for (k = 0; k < 8; ++k)
        vsip_cvput_f(signal, k, vsip_rect_f(1.0f, 0.78539816f * (float)k));
    printf("unit circle:\n");
    VU_cvprintm_f("6.3", signal);

    /* The same samples as a 4 x 4 image, and its lower-right 2 x 2 corner. */
    image = vsip_mbind_f(block, 0, 4, 4, 1, 4);
    corner = vsip_msubview_f(image, 2, 2, 2, 2);
    printf("image:\n");
    VU_mprintm_f("5.1", image);
    printf("corner:\n");
    VU_mprintm_f("5.1", corner);

    vsip_mdestroy_f(corner);
    vsip_mdestroy_f(image);
    vsip_cvalldestroy_f(signal);
    vsip_vdestroy_f(odd);
    vsip_vdestroy_f(all);
    /* Release gives the memory back to the caller before the block goes. */
    vsip_blockrelease_f(block, VSIP_TRUE);
    vsip_blockdestroy_f(block);
    vsip_finalize(NULL);
    return 0;
}
