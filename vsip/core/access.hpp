// Element reads and writes by block index, one overload per block type.
#ifndef VSIP_CORE_ACCESS_HPP
#define VSIP_CORE_ACCESS_HPP

#include "internal.hpp"

inline vsip_scalar_f VI_get(const vsip_block_f *b, vsip_stride k) { return *VI_elem(b, k); }
inline vsip_scalar_d VI_get(const vsip_block_d *b, vsip_stride k) { return *VI_elem(b, k); }
template <class IntBlock>
inline auto VI_get(const IntBlock *b, vsip_stride k) -> typename std::remove_pointer<decltype(b->data)>::type {
    return *VI_elem(b, k);
}
inline vsip_cscalar_f VI_get(const vsip_cblock_f *b, vsip_stride k) {
    return vsip_cscalar_f{*VI_real_elem(b, k), *VI_imag_elem(b, k)};
}
inline vsip_cscalar_d VI_get(const vsip_cblock_d *b, vsip_stride k) {
    return vsip_cscalar_d{*VI_real_elem(b, k), *VI_imag_elem(b, k)};
}

inline void VI_put(const vsip_block_f *b, vsip_stride k, vsip_scalar_f x) { *VI_elem(b, k) = x; }
template <class IntBlock, class T>
inline void VI_put(const IntBlock *b, vsip_stride k, T x) {
    *VI_elem(b, k) = x;
}
inline void VI_put(const vsip_cblock_f *b, vsip_stride k, vsip_cscalar_f x) {
    *VI_real_elem(b, k) = x.r;
    *VI_imag_elem(b, k) = x.i;
}
inline void VI_put(const vsip_cblock_d *b, vsip_stride k, vsip_cscalar_d x) {
    *VI_real_elem(b, k) = x.r;
    *VI_imag_elem(b, k) = x.i;
}

#endif
