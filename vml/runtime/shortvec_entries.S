/* The vector-ABI, __svml_ and tvml_ entry points: each loads the selected
 * short-vector table and tail-jumps through its slot (4 * function index
 * + lane shape), with no frame and the vector registers untouched. */
#include "dazaro_tv_api.h"

    .text
#define TVML_SV_STUB(name, slot)                    \
    .globl name;                                    \
    .type name, @function;                          \
    .p2align 4;                                     \
name:                                               \
    movq tarvovml_svml_func(%rip), %rax;            \
    jmp *(8 * (slot))(%rax);                        \
    .size name, . - name;

#define TVML_SV_SHAPE(slot, tvml, abi, svml) \
    TVML_SV_STUB(tvml, slot) TVML_SV_STUB(abi, slot) TVML_SV_STUB(svml, slot)

#define TVML_SV_ENTRIES(index, fn, abi, args, arity, variant, f4, f8, d2, d4)             \
    TVML_SV_SHAPE(4 * (index) + 0, tvml_vs4_##fn, _ZGVbN4##args##_##abi##f, f4)           \
    TVML_SV_SHAPE(4 * (index) + 1, tvml_vs8_##fn, _ZGVdN8##args##_##abi##f, f8)           \
    TVML_SV_SHAPE(4 * (index) + 2, tvml_vd2_##fn, _ZGVbN2##args##_##abi, d2)              \
    TVML_SV_SHAPE(4 * (index) + 3, tvml_vd4_##fn, _ZGVdN4##args##_##abi, d4)

TVML_SV_FUNCS(TVML_SV_ENTRIES)

    .section .note.GNU-stack, "", @progbits
