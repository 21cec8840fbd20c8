// Vector views of every element type.
#include "access.hpp"
#include "common/checks.hpp"
#include "internal.hpp"

namespace {

template <class V, class B>
V *vbind(const B *block, vsip_offset offset, vsip_stride stride, vsip_length length) {
    if (!block || !VI_view_fits(block->length, offset, stride, length)) {
        VI_log(VI_LOG_ERROR, "vsip_vbind", "view outside its block: no view made");
        return nullptr;
    }
    if (!VI_CHECKED_OK_AS("vsip_vbind", vi::chk::live_fault(block, true)))
        return nullptr;
    V *v = static_cast<V *>(VI_malloc(sizeof(V)));
    if (!v)
        return nullptr;
    v->block = const_cast<B *>(block);
    v->offset = offset;
    v->stride = stride;
    v->length = length;
    v->marker = VI_MARKER_LIVE;
    return v;
}

// Block and view made together; neither survives a failure of the other.
template <class V, class B>
V *vcreate(B *(*create)(vsip_length, vsip_memory_hint), void (*destroy)(B *), vsip_length n,
           vsip_memory_hint hint) {
    B *block = create(n, hint);
    if (!block)
        return nullptr;
    V *v = vbind<V>(block, 0, 1, n);
    if (!v)
        destroy(block);
    return v;
}

template <class V>
auto vdestroy(V *v) -> decltype(v->block) {
    if (!v)
        return nullptr;
    auto *block = v->block;
    VI_free(v);
    return block;
}

} // namespace

#define VI_VVIEW_FUNCTIONS(P, S, T, B, V, A, BLOCKCREATE, BLOCKDESTROY)                      \
    VSIP_API V *vsip_##P##bind_##S(const B *block, vsip_offset offset, vsip_stride stride,   \
                                   vsip_length length) {                                     \
        return vbind<V>(block, offset, stride, length);                                      \
    }                                                                                        \
    VSIP_API V *vsip_##P##create_##S(vsip_length n, vsip_memory_hint hint) {                 \
        return vcreate<V, B>(BLOCKCREATE, BLOCKDESTROY, n, hint);                            \
    }                                                                                        \
    VSIP_API B *vsip_##P##destroy_##S(V *v) { return vdestroy(v); }                          \
    VSIP_API void vsip_##P##alldestroy_##S(V *v) {                                           \
        VI_CHECK(v ? vi::chk::live_fault(v->block, false) : nullptr);                        \
        BLOCKDESTROY(vsip_##P##destroy_##S(v));                                              \
    }                                                                                        \
    VSIP_API V *vsip_##P##cloneview_##S(const V *v) {                                        \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        return vsip_##P##bind_##S(v->block, v->offset, v->stride, v->length);                \
    }                                                                                        \
    VSIP_API V *vsip_##P##subview_##S(const V *v, vsip_index j, vsip_length n) {             \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        return vsip_##P##bind_##S(v->block, static_cast<vsip_offset>(VI_vindex(v, j)),       \
                                  v->stride, n);                                             \
    }                                                                                        \
    VSIP_API T vsip_##P##get_##S(const V *v, vsip_index j) {                                 \
        VI_CHECK(vi::chk::element_fault(v, j), T{});                                         \
        return VI_get(v->block, VI_vindex(v, j));                                            \
    }                                                                                        \
    VSIP_API void vsip_##P##put_##S(const V *v, vsip_index j, T value) {                     \
        VI_CHECK(vi::chk::element_fault(v, j));                                              \
        VI_put(v->block, VI_vindex(v, j), value);                                            \
    }                                                                                        \
    VSIP_API void vsip_##P##getattrib_##S(const V *v, A *attr) {                             \
        VI_CHECK(attr ? vi::chk::record_fault(v) : vi::chk::kNullArgument);                  \
        attr->offset = v->offset;                                                            \
        attr->stride = v->stride;                                                            \
        attr->length = v->length;                                                            \
        attr->block = v->block;                                                              \
    }                                                                                        \
    VSIP_API V *vsip_##P##putattrib_##S(V *v, const A *attr) {                               \
        VI_CHECK(attr ? vi::chk::geometry_fault(v, attr->offset, attr->stride, attr->length) \
                      : vi::chk::kNullArgument,                                              \
                 nullptr);                                                                   \
        v->offset = attr->offset;                                                            \
        v->stride = attr->stride;                                                            \
        v->length = attr->length;                                                            \
        return v;                                                                            \
    }                                                                                        \
    VSIP_API B *vsip_##P##getblock_##S(const V *v) {                                         \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        return v->block;                                                                     \
    }                                                                                        \
    VSIP_API vsip_offset vsip_##P##getoffset_##S(const V *v) {                               \
        VI_CHECK(vi::chk::record_fault(v), 0);                                               \
        return v->offset;                                                                    \
    }                                                                                        \
    VSIP_API vsip_stride vsip_##P##getstride_##S(const V *v) {                               \
        VI_CHECK(vi::chk::record_fault(v), 0);                                               \
        return v->stride;                                                                    \
    }                                                                                        \
    VSIP_API vsip_length vsip_##P##getlength_##S(const V *v) {                               \
        VI_CHECK(vi::chk::record_fault(v), 0);                                               \
        return v->length;                                                                    \
    }                                                                                        \
    VSIP_API V *vsip_##P##putoffset_##S(V *v, vsip_offset offset) {                          \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        v->offset = offset;                                                                  \
        return v;                                                                            \
    }                                                                                        \
    VSIP_API V *vsip_##P##putstride_##S(V *v, vsip_stride stride) {                          \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        v->stride = stride;                                                                  \
        return v;                                                                            \
    }                                                                                        \
    VSIP_API V *vsip_##P##putlength_##S(V *v, vsip_length length) {                          \
        VI_CHECK(vi::chk::record_fault(v), nullptr);                                         \
        v->length = length;                                                                  \
        return v;                                                                            \
    }

extern "C" {

VI_VVIEW_FUNCTIONS(v, f, vsip_scalar_f, vsip_block_f, vsip_vview_f, vsip_vattr_f,
                   vsip_blockcreate_f, vsip_blockdestroy_f)
VI_VVIEW_FUNCTIONS(v, i, vsip_scalar_i, vsip_block_i, vsip_vview_i, vsip_vattr_i,
                   vsip_blockcreate_i, vsip_blockdestroy_i)
VI_VVIEW_FUNCTIONS(v, bl, vsip_scalar_bl, vsip_block_bl, vsip_vview_bl, vsip_vattr_bl,
                   vsip_blockcreate_bl, vsip_blockdestroy_bl)
VI_VVIEW_FUNCTIONS(v, vi, vsip_scalar_vi, vsip_block_vi, vsip_vview_vi, vsip_vattr_vi,
                   vsip_blockcreate_vi, vsip_blockdestroy_vi)
VI_VVIEW_FUNCTIONS(v, mi, vsip_scalar_mi, vsip_block_mi, vsip_vview_mi, vsip_vattr_mi,
                   vsip_blockcreate_mi, vsip_blockdestroy_mi)
VI_VVIEW_FUNCTIONS(cv, f, vsip_cscalar_f, vsip_cblock_f, vsip_cvview_f, vsip_cvattr_f,
                   vsip_cblockcreate_f, vsip_cblockdestroy_f)

VSIP_API vsip_vview_f *vsip_vrealview_f(const vsip_cvview_f *v) {
    VI_CHECK(vi::chk::record_fault(v), nullptr);
    return vsip_vbind_f(v->block->real_part, v->offset, v->stride, v->length);
}

VSIP_API vsip_vview_f *vsip_vimagview_f(const vsip_cvview_f *v) {
    VI_CHECK(vi::chk::record_fault(v), nullptr);
    return vsip_vbind_f(v->block->imag_part, v->offset, v->stride, v->length);
}

} // extern "C"
