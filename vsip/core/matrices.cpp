// Matrix views: real and complex (full set), integer, boolean, double.
#include "access.hpp"
#include "common/checks.hpp"
#include "internal.hpp"

namespace {

template <class M, class B>
M *mbind(const B *block, vsip_offset offset, vsip_stride col_stride, vsip_length col_length,
         vsip_stride row_stride, vsip_length row_length) {
    if (!block || !VI_view_fits(block->length, offset, col_stride, col_length, row_stride,
                                row_length)) {
        VI_log(VI_LOG_ERROR, "vsip_mbind", "view outside its block: no view made");
        return nullptr;
    }
    if (!VI_CHECKED_OK_AS("vsip_mbind", vi::chk::live_fault(block, true)))
        return nullptr;
    M *m = static_cast<M *>(VI_malloc(sizeof(M)));
    if (!m)
        return nullptr;
    m->block = const_cast<B *>(block);
    m->offset = offset;
    m->row_stride = row_stride;
    m->row_length = row_length;
    m->col_stride = col_stride;
    m->col_length = col_length;
    m->marker = VI_MARKER_LIVE;
    return m;
}

template <class M, class B>
M *mcreate(B *(*create)(vsip_length, vsip_memory_hint), void (*destroy)(B *), vsip_length rows,
           vsip_length cols, vsip_major major, vsip_memory_hint hint) {
    // rows x cols must not wrap: a short block would be indexed past its end.
    if (cols != 0 && rows > UINT64_MAX / cols)
        return nullptr;
    B *block = create(rows * cols, hint);
    if (!block)
        return nullptr;
    const bool row_major = major == VSIP_ROW;
    M *m = mbind<M>(block, 0, row_major ? static_cast<vsip_stride>(cols) : 1, rows,
                    row_major ? 1 : static_cast<vsip_stride>(rows), cols);
    if (!m)
        destroy(block);
    return m;
}

template <class M>
auto mdestroy(M *m) -> decltype(m->block) {
    if (!m)
        return nullptr;
    auto *block = m->block;
    VI_free(m);
    return block;
}

} // namespace

#define VI_MVIEW_FUNCTIONS(P, VP, S, T, B, M, V, A, BLOCKCREATE, BLOCKDESTROY)                  \
    VSIP_API M *vsip_##P##bind_##S(const B *block, vsip_offset offset, vsip_stride col_stride,  \
                                   vsip_length col_length, vsip_stride row_stride,              \
                                   vsip_length row_length) {                                    \
        return mbind<M>(block, offset, col_stride, col_length, row_stride, row_length);         \
    }                                                                                           \
    VSIP_API M *vsip_##P##create_##S(vsip_length rows, vsip_length cols, vsip_major major,      \
                                     vsip_memory_hint hint) {                                   \
        return mcreate<M, B>(BLOCKCREATE, BLOCKDESTROY, rows, cols, major, hint);               \
    }                                                                                           \
    VSIP_API B *vsip_##P##destroy_##S(M *m) { return mdestroy(m); }                             \
    VSIP_API void vsip_##P##alldestroy_##S(M *m) {                                              \
        VI_CHECK(m ? vi::chk::live_fault(m->block, false) : nullptr);                           \
        BLOCKDESTROY(vsip_##P##destroy_##S(m));                                                 \
    }                                                                                           \
    VSIP_API M *vsip_##P##cloneview_##S(const M *m) {                                           \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        return vsip_##P##bind_##S(m->block, m->offset, m->col_stride, m->col_length,            \
                                  m->row_stride, m->row_length);                                \
    }                                                                                           \
    VSIP_API M *vsip_##P##subview_##S(const M *m, vsip_index i, vsip_index j, vsip_length rows, \
                                      vsip_length cols) {                                       \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        return vsip_##P##bind_##S(m->block, static_cast<vsip_offset>(VI_mindex(m, i, j)),       \
                                  m->col_stride, rows, m->row_stride, cols);                    \
    }                                                                                           \
    VSIP_API V *vsip_##P##rowview_##S(const M *m, vsip_index i) {                               \
        VI_CHECK(vi::chk::row_fault(m, i), nullptr);                                            \
        return vsip_##VP##bind_##S(m->block, static_cast<vsip_offset>(VI_mindex(m, i, 0)),      \
                                   m->row_stride, m->row_length);                               \
    }                                                                                           \
    VSIP_API V *vsip_##P##colview_##S(const M *m, vsip_index j) {                               \
        VI_CHECK(vi::chk::col_fault(m, j), nullptr);                                            \
        return vsip_##VP##bind_##S(m->block, static_cast<vsip_offset>(VI_mindex(m, 0, j)),      \
                                   m->col_stride, m->col_length);                               \
    }                                                                                           \
    VSIP_API V *vsip_##P##diagview_##S(const M *m, int d) {                                     \
        /* Diagonal d starts at row r = max(-d, 0), column c = max(d, 0). */                    \
        vsip_index c = d > 0 ? static_cast<vsip_index>(d) : 0;                                  \
        vsip_index r = d < 0 ? static_cast<vsip_index>(-static_cast<vsip_stride>(d)) : 0;       \
        VI_CHECK(vi::chk::diag_fault(m, r, c), nullptr);                                        \
        vsip_length rows = m->col_length - r, cols = m->row_length - c;                         \
        return vsip_##VP##bind_##S(m->block, static_cast<vsip_offset>(VI_mindex(m, r, c)),      \
                                   m->row_stride + m->col_stride, rows < cols ? rows : cols);   \
    }                                                                                           \
    VSIP_API M *vsip_##P##transview_##S(const M *m) {                                           \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        return vsip_##P##bind_##S(m->block, m->offset, m->row_stride, m->row_length,            \
                                  m->col_stride, m->col_length);                                \
    }                                                                                           \
    VSIP_API T vsip_##P##get_##S(const M *m, vsip_index i, vsip_index j) {                      \
        VI_CHECK(vi::chk::element_fault(m, i, j), T{});                                         \
        return VI_get(m->block, VI_mindex(m, i, j));                                            \
    }                                                                                           \
    VSIP_API void vsip_##P##put_##S(const M *m, vsip_index i, vsip_index j, T value) {          \
        VI_CHECK(vi::chk::element_fault(m, i, j));                                              \
        VI_put(m->block, VI_mindex(m, i, j), value);                                            \
    }                                                                                           \
    VSIP_API void vsip_##P##getattrib_##S(const M *m, A *attr) {                                \
        VI_CHECK(attr ? vi::chk::record_fault(m) : vi::chk::kNullArgument);                     \
        attr->offset = m->offset;                                                               \
        attr->row_stride = m->row_stride;                                                       \
        attr->row_length = m->row_length;                                                       \
        attr->col_stride = m->col_stride;                                                       \
        attr->col_length = m->col_length;                                                       \
        attr->block = m->block;                                                                 \
    }                                                                                           \
    VSIP_API M *vsip_##P##putattrib_##S(M *m, const A *attr) {                                  \
        VI_CHECK(attr ? vi::chk::geometry_fault(m, attr->offset, attr->col_stride,              \
                                                attr->col_length, attr->row_stride,             \
                                                attr->row_length)                               \
                      : vi::chk::kNullArgument,                                                 \
                 nullptr);                                                                      \
        m->offset = attr->offset;                                                               \
        m->row_stride = attr->row_stride;                                                       \
        m->row_length = attr->row_length;                                                       \
        m->col_stride = attr->col_stride;                                                       \
        m->col_length = attr->col_length;                                                       \
        return m;                                                                               \
    }                                                                                           \
    VSIP_API B *vsip_##P##getblock_##S(const M *m) {                                            \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        return m->block;                                                                        \
    }                                                                                           \
    VSIP_API vsip_offset vsip_##P##getoffset_##S(const M *m) {                                  \
        VI_CHECK(vi::chk::record_fault(m), 0);                                                  \
        return m->offset;                                                                       \
    }                                                                                           \
    VSIP_API vsip_stride vsip_##P##getrowstride_##S(const M *m) {                               \
        VI_CHECK(vi::chk::record_fault(m), 0);                                                  \
        return m->row_stride;                                                                   \
    }                                                                                           \
    VSIP_API vsip_length vsip_##P##getrowlength_##S(const M *m) {                               \
        VI_CHECK(vi::chk::record_fault(m), 0);                                                  \
        return m->row_length;                                                                   \
    }                                                                                           \
    VSIP_API vsip_stride vsip_##P##getcolstride_##S(const M *m) {                               \
        VI_CHECK(vi::chk::record_fault(m), 0);                                                  \
        return m->col_stride;                                                                   \
    }                                                                                           \
    VSIP_API vsip_length vsip_##P##getcollength_##S(const M *m) {                               \
        VI_CHECK(vi::chk::record_fault(m), 0);                                                  \
        return m->col_length;                                                                   \
    }                                                                                           \
    VSIP_API M *vsip_##P##putoffset_##S(M *m, vsip_offset offset) {                             \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        m->offset = offset;                                                                     \
        return m;                                                                               \
    }                                                                                           \
    VSIP_API M *vsip_##P##putrowstride_##S(M *m, vsip_stride stride) {                          \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        m->row_stride = stride;                                                                 \
        return m;                                                                               \
    }                                                                                           \
    VSIP_API M *vsip_##P##putrowlength_##S(M *m, vsip_length length) {                          \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        m->row_length = length;                                                                 \
        return m;                                                                               \
    }                                                                                           \
    VSIP_API M *vsip_##P##putcolstride_##S(M *m, vsip_stride stride) {                          \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        m->col_stride = stride;                                                                 \
        return m;                                                                               \
    }                                                                                           \
    VSIP_API M *vsip_##P##putcollength_##S(M *m, vsip_length length) {                          \
        VI_CHECK(vi::chk::record_fault(m), nullptr);                                            \
        m->col_length = length;                                                                 \
        return m;                                                                               \
    }

// Integer-family and double matrices (P m or cm): bind, create, destroy
// and all-destroy.
#define VI_MVIEW_BASIC_FUNCTIONS(P, S, B, M, BLOCKCREATE, BLOCKDESTROY)                        \
    VSIP_API M *vsip_##P##bind_##S(const B *block, vsip_offset offset, vsip_stride col_stride, \
                                   vsip_length col_length, vsip_stride row_stride,             \
                                   vsip_length row_length) {                                   \
        return mbind<M>(block, offset, col_stride, col_length, row_stride, row_length);        \
    }                                                                                          \
    VSIP_API M *vsip_##P##create_##S(vsip_length rows, vsip_length cols, vsip_major major,     \
                                     vsip_memory_hint hint) {                                  \
        return mcreate<M, B>(BLOCKCREATE, BLOCKDESTROY, rows, cols, major, hint);              \
    }                                                                                          \
    VSIP_API B *vsip_##P##destroy_##S(M *m) { return mdestroy(m); }                            \
    VSIP_API void vsip_##P##alldestroy_##S(M *m) {                                             \
        VI_CHECK(m ? vi::chk::live_fault(m->block, false) : nullptr);                          \
        BLOCKDESTROY(vsip_##P##destroy_##S(m));                                                \
    }

extern "C" {

VI_MVIEW_FUNCTIONS(m, v, f, vsip_scalar_f, vsip_block_f, vsip_mview_f, vsip_vview_f, vsip_mattr_f,
                   vsip_blockcreate_f, vsip_blockdestroy_f)
VI_MVIEW_FUNCTIONS(cm, cv, f, vsip_cscalar_f, vsip_cblock_f, vsip_cmview_f, vsip_cvview_f,
                   vsip_cmattr_f, vsip_cblockcreate_f, vsip_cblockdestroy_f)

VSIP_API vsip_mview_f *vsip_mrealview_f(const vsip_cmview_f *m) {
    VI_CHECK(vi::chk::record_fault(m), nullptr);
    return vsip_mbind_f(m->block->real_part, m->offset, m->col_stride, m->col_length,
                        m->row_stride, m->row_length);
}

VSIP_API vsip_mview_f *vsip_mimagview_f(const vsip_cmview_f *m) {
    VI_CHECK(vi::chk::record_fault(m), nullptr);
    return vsip_mbind_f(m->block->imag_part, m->offset, m->col_stride, m->col_length,
                        m->row_stride, m->row_length);
}

VI_MVIEW_BASIC_FUNCTIONS(m, i, vsip_block_i, vsip_mview_i, vsip_blockcreate_i, vsip_blockdestroy_i)
VI_MVIEW_BASIC_FUNCTIONS(m, bl, vsip_block_bl, vsip_mview_bl, vsip_blockcreate_bl,
                         vsip_blockdestroy_bl)
VI_MVIEW_BASIC_FUNCTIONS(m, d, vsip_block_d, vsip_mview_d, vsip_blockcreate_d, vsip_blockdestroy_d)
VI_MVIEW_BASIC_FUNCTIONS(cm, d, vsip_cblock_d, vsip_cmview_d, vsip_cblockcreate_d,
                         vsip_cblockdestroy_d)

VSIP_API vsip_scalar_i vsip_mget_i(const vsip_mview_i *m, vsip_index i, vsip_index j) {
    VI_CHECK(vi::chk::element_fault(m, i, j), vsip_scalar_i{});
    return VI_get(m->block, VI_mindex(m, i, j));
}
VSIP_API vsip_length vsip_mgetrowlength_i(const vsip_mview_i *m) { return m->row_length; }
VSIP_API vsip_length vsip_mgetcollength_i(const vsip_mview_i *m) { return m->col_length; }

VSIP_API vsip_scalar_d vsip_mget_d(const vsip_mview_d *m, vsip_index i, vsip_index j) {
    VI_CHECK(vi::chk::element_fault(m, i, j), vsip_scalar_d{});
    return VI_get(m->block, VI_mindex(m, i, j));
}
VSIP_API void vsip_mput_d(const vsip_mview_d *m, vsip_index i, vsip_index j, vsip_scalar_d value) {
    VI_CHECK(vi::chk::element_fault(m, i, j));
    VI_put(m->block, VI_mindex(m, i, j), value);
}
VSIP_API vsip_cscalar_d vsip_cmget_d(const vsip_cmview_d *m, vsip_index i, vsip_index j) {
    VI_CHECK(vi::chk::element_fault(m, i, j), vsip_cscalar_d{});
    return VI_get(m->block, VI_mindex(m, i, j));
}
VSIP_API void vsip_cmput_d(const vsip_cmview_d *m, vsip_index i, vsip_index j,
                           vsip_cscalar_d value) {
    VI_CHECK(vi::chk::element_fault(m, i, j));
    VI_put(m->block, VI_mindex(m, i, j), value);
}
VSIP_API vsip_length vsip_mgetrowlength_d(const vsip_mview_d *m) { return m->row_length; }
VSIP_API vsip_length vsip_mgetcollength_d(const vsip_mview_d *m) { return m->col_length; }

} // extern "C"
