/* Slot trampolines: load the selected array-kernel table and tail-jump
 * through the slot with every argument register untouched. */
#include "dazaro_tv_api.h"

    .text
#define TVML_TRAMPOLINE(slot, op, index1, index23)  \
    .globl op##_k;                                  \
    .type op##_k, @function;                        \
    .p2align 4;                                     \
op##_k:                                             \
    movq tarvovml_func(%rip), %rax;                 \
    jmp *(8 * (slot))(%rax);                        \
    .size op##_k, . - op##_k;

TVML_ARRAY_SLOTS(TVML_TRAMPOLINE)

    .section .note.GNU-stack, "", @progbits
