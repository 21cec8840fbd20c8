// The four array-kernel tables and the three short-vector tables, expanded
// from the name tables.
#include "tables.hpp"

namespace {

// Rows must be listed in slot and function-index order.
constexpr int kSlotOrder[] = {
#define TVML_SLOT_NUMBER(slot, op, index1, index23) slot,
    TVML_ARRAY_SLOTS(TVML_SLOT_NUMBER)
#undef TVML_SLOT_NUMBER
};
constexpr int kSvOrder[] = {
#define TVML_SV_NUMBER(index, fn, abi, args, arity, variant, f4, f8, d2, d4) index,
    TVML_SV_FUNCS(TVML_SV_NUMBER)
#undef TVML_SV_NUMBER
};
template <int N>
constexpr bool in_order(const int (&rows)[N]) {
    for (int i = 0; i < N; ++i)
        if (rows[i] != i) return false;
    return true;
}
static_assert(sizeof kSlotOrder / sizeof(int) == TVML_ARRAY_SLOT_COUNT && in_order(kSlotOrder),
              "array slots out of order");
static_assert(sizeof kSvOrder / sizeof(int) == TVML_SV_FUNC_COUNT && in_order(kSvOrder),
              "short-vector functions out of order");

}  // namespace

// Short-vector kernels are referenced by address only, so they are
// declared here by symbol name as plain functions: their vector
// signatures (dazaro_tv.h declares the tuned ones) do not matter, and the
// 256-bit ones cannot be declared in this baseline unit.
namespace tvml::sv_symbol {
#define TVML_SV_SYMBOL(fn, v)                                                   \
    void tvml_vs4_##fn##_##v() __asm__(TVML_STR(tvml_vs4_##fn##_##v));          \
    void tvml_vs8_##fn##_##v() __asm__(TVML_STR(tvml_vs8_##fn##_##v));          \
    void tvml_vd2_##fn##_##v() __asm__(TVML_STR(tvml_vd2_##fn##_##v));          \
    void tvml_vd4_##fn##_##v() __asm__(TVML_STR(tvml_vd4_##fn##_##v));
#define TVML_SV_DECLARE(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_SV_SYMBOL(fn, generic)                                                 \
    TVML_ON_COLUMN(TVML_SV_DECLARE_TUNED, fn, variant)
#define TVML_SV_DECLARE_TUNED_READY(fn, v) TVML_SV_SYMBOL(fn, v)
TVML_SV_FUNCS(TVML_SV_DECLARE)
#undef TVML_SV_DECLARE
#undef TVML_SV_SYMBOL
}  // namespace tvml::sv_symbol

extern "C" {

#define TVML_INDEX0(slot, op, index1, index23) op##_generic,
#define TVML_INDEX1(slot, op, index1, index23) TVML_ARRAY_KERNEL(op, index1),
#define TVML_INDEX23(slot, op, index1, index23) TVML_ARRAY_KERNEL(op, index23),
const tvml_array_kernel tarvovml_func_generic[] = {TVML_ARRAY_SLOTS(TVML_INDEX0)};
const tvml_array_kernel tarvovml_func_tarvo_generic[] = {TVML_ARRAY_SLOTS(TVML_INDEX1)};
const tvml_array_kernel tarvovml_func_ondara[] = {TVML_ARRAY_SLOTS(TVML_INDEX23)};
const tvml_array_kernel tarvovml_func_belisk[] = {TVML_ARRAY_SLOTS(TVML_INDEX23)};

#define TVML_SV_ROW(fn, v)                                                     \
    tvml::sv_symbol::tvml_vs4_##fn##_##v, tvml::sv_symbol::tvml_vs8_##fn##_##v, \
        tvml::sv_symbol::tvml_vd2_##fn##_##v, tvml::sv_symbol::tvml_vd4_##fn##_##v,
#define TVML_SV_PORTABLE(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_SV_ROW(fn, generic)
#define TVML_SV_TUNED(index, fn, abi, args, arity, variant, f4, f8, d2, d4) \
    TVML_ON_COLUMN(TVML_SV_TUNED, fn, variant)
#define TVML_SV_TUNED_READY(fn, v) TVML_SV_ROW(fn, v)
// Index 0 runs on processors without AVX2 and FMA: it gets kernels that
// evaluate each lane with libm.  The tuned tables are separate objects
// even where their contents agree, so the stored pointer names the index.
const tvml_sv_kernel tarvovml_svml_func_generic[] = {TVML_SV_FUNCS(TVML_SV_PORTABLE)};
const tvml_sv_kernel tarvovml_svml_func_tarvo_generic[] = {TVML_SV_FUNCS(TVML_SV_TUNED)};
const tvml_sv_kernel tarvovml_svml_func_belisk[] = {TVML_SV_FUNCS(TVML_SV_TUNED)};

static_assert(sizeof tarvovml_func_generic / sizeof(void*) == TVML_ARRAY_SLOT_COUNT, "");
static_assert(sizeof tarvovml_svml_func_belisk / sizeof(void*) == TVML_SV_SLOT_COUNT, "");

}  // extern "C"
