// Private records and helpers shared by every libvsip-tv source.
//
// The block and view records below are the data model that the operation
// families read directly: field order and meaning are fixed.
#ifndef VSIP_CORE_INTERNAL_HPP
#define VSIP_CORE_INTERNAL_HPP

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include <vsip.h>
#include <vsip_tv.h>

// ---- Allocation ------------------------------------------------------------
//
// Every record and array of the library is obtained from VI_malloc and
// released with VI_free.  Both forward to malloc/free unless a test has
// installed hooks (to make the k-th allocation fail, or to count).
struct VI_alloc_hooks {
    void *(*allocate)(std::size_t bytes);
    void (*release)(void *p);
};

// Installs hooks (null restores malloc/free); returns the previous ones.
VI_alloc_hooks VI_set_alloc_hooks(const VI_alloc_hooks *hooks);

void *VI_malloc(std::size_t bytes);
void VI_free(void *p);

// count x size bytes, or null when the product does not fit in size_t.
void *VI_malloc_array(std::uint64_t count, std::size_t size);

// ---- Logging ---------------------------------------------------------------

enum VI_log_level { VI_LOG_DEBUG = 0, VI_LOG_INFO = 1, VI_LOG_WARNING = 2, VI_LOG_ERROR = 3 };

// One line on standard output when `level` reaches the threshold named by
// VSIP_LOG_LEVEL (read at every call): "[tag] func=<function>, <message>".
void VI_log(VI_log_level level, const char *function, const char *message);

// ---- Blocks ----------------------------------------------------------------

enum : std::int32_t { VI_STORAGE_LIBRARY = 0, VI_STORAGE_USER = 1, VI_STORAGE_PART = 2 };
enum : std::int32_t { VI_MARKER_LIVE = 0x5555, VI_MARKER_DEAD = 0xAAAA };

struct vsip_cblock_f;

// Stand-alone real block, and each part of a complex block.
struct vsip_block_f {
    vsip_cblock_f *parent;      // owning complex block, or null
    vsip_scalar_f *data;        // element k at data + k * elem_stride
    std::int32_t kind;          // VI_STORAGE_*
    std::int32_t admitted;      // 1 the library owns the contents
    vsip_stride elem_stride;    // 1, or 2 for parts of interleaved storage
    vsip_length length;
    std::int32_t marker;
    std::int32_t hint;          // vsip_memory_hint, stored only
    std::int32_t update;        // flag last passed to release, stored only
};

// Same fields over 8-byte elements.
struct vsip_block_d {
    void *parent;
    vsip_scalar_d *data;
    std::int32_t kind;
    std::int32_t admitted;
    vsip_stride elem_stride;
    vsip_length length;
    std::int32_t marker;
    std::int32_t hint;
    std::int32_t update;
};

// Integer-family blocks: element k at data + k.
#define VI_DEFINE_INT_BLOCK(S)                                                 \
    struct vsip_block_##S {                                                    \
        vsip_scalar_##S *data;                                                 \
        std::int32_t kind;                                                     \
        std::int32_t admitted;                                                 \
        vsip_length length;                                                    \
        std::int32_t marker;                                                   \
        std::int32_t hint;                                                     \
        std::int32_t update;                                                   \
    };
VI_DEFINE_INT_BLOCK(i)
VI_DEFINE_INT_BLOCK(bl)
VI_DEFINE_INT_BLOCK(vi)
VI_DEFINE_INT_BLOCK(mi)
#undef VI_DEFINE_INT_BLOCK

// Complex block: owns two real part blocks (kind VI_STORAGE_PART).
struct vsip_cblock_f {
    vsip_block_f *real_part;
    vsip_block_f *imag_part;
    std::int32_t kind;          // VI_STORAGE_LIBRARY or VI_STORAGE_USER
    std::int32_t admitted;
    std::int32_t part_stride;   // 1 split, 2 interleaved
    vsip_length length;         // complex elements
    std::int32_t marker;
    std::int32_t hint;
    std::int32_t update;
};

// Complex double-precision block: the same over two vsip_block_d parts.
struct vsip_cblock_d {
    vsip_block_d *real_part;
    vsip_block_d *imag_part;
    std::int32_t kind;
    std::int32_t admitted;
    std::int32_t part_stride;
    vsip_length length;
    std::int32_t marker;
    std::int32_t hint;
    std::int32_t update;
};

// Complex blocks made by the library hold both parts in one array: the
// imaginary parts start this many elements after the real parts (the
// length rounded up to 16, so both parts fall in one alignment class and
// transforms planned for the length can run on them directly).
inline std::uint64_t VI_cblock_part_gap(std::uint64_t length) { return (length + 15) / 16 * 16; }

// ---- Views -----------------------------------------------------------------

#define VI_DEFINE_VVIEW(V, B)                                                  \
    struct V {                                                                 \
        B *block;                                                              \
        vsip_offset offset;                                                    \
        vsip_stride stride;                                                    \
        vsip_length length;                                                    \
        std::int32_t marker;                                                   \
    };
VI_DEFINE_VVIEW(vsip_vview_f, vsip_block_f)
VI_DEFINE_VVIEW(vsip_vview_i, vsip_block_i)
VI_DEFINE_VVIEW(vsip_vview_bl, vsip_block_bl)
VI_DEFINE_VVIEW(vsip_vview_vi, vsip_block_vi)
VI_DEFINE_VVIEW(vsip_vview_mi, vsip_block_mi)
VI_DEFINE_VVIEW(vsip_cvview_f, vsip_cblock_f)
#undef VI_DEFINE_VVIEW

// row_stride steps along a row (column j to j+1); col_stride steps along a
// column (row i to i+1).  Element (i, j) is block element
// offset + i * col_stride + j * row_stride.
#define VI_DEFINE_MVIEW(V, B)                                                  \
    struct V {                                                                 \
        B *block;                                                              \
        vsip_offset offset;                                                    \
        vsip_stride row_stride;                                                \
        vsip_length row_length;                                                \
        vsip_stride col_stride;                                                \
        vsip_length col_length;                                                \
        std::int32_t marker;                                                   \
    };
VI_DEFINE_MVIEW(vsip_mview_f, vsip_block_f)
VI_DEFINE_MVIEW(vsip_mview_d, vsip_block_d)
VI_DEFINE_MVIEW(vsip_mview_i, vsip_block_i)
VI_DEFINE_MVIEW(vsip_mview_bl, vsip_block_bl)
VI_DEFINE_MVIEW(vsip_cmview_f, vsip_cblock_f)
VI_DEFINE_MVIEW(vsip_cmview_d, vsip_cblock_d)
#undef VI_DEFINE_MVIEW

// ---- Element addressing ----------------------------------------------------
//
// k is a block index; the storage step is applied after the index sum, so
// view offsets and strides always count block elements.

inline vsip_scalar_f *VI_elem(const vsip_block_f *b, vsip_stride k) {
    return b->data + k * b->elem_stride;
}
inline vsip_scalar_d *VI_elem(const vsip_block_d *b, vsip_stride k) {
    return b->data + k * b->elem_stride;
}
template <class IntBlock>
inline auto VI_elem(const IntBlock *b, vsip_stride k) -> decltype(b->data) {
    return b->data + k;
}
template <class CB>
inline auto VI_real_elem(const CB *b, vsip_stride k) -> decltype(b->real_part->data) {
    return b->real_part->data + k * b->part_stride;
}
template <class CB>
inline auto VI_imag_elem(const CB *b, vsip_stride k) -> decltype(b->imag_part->data) {
    return b->imag_part->data + k * b->part_stride;
}

template <class V>
inline vsip_stride VI_vindex(const V *v, vsip_index j) {
    return static_cast<vsip_stride>(v->offset) + static_cast<vsip_stride>(j) * v->stride;
}
template <class M>
inline vsip_stride VI_mindex(const M *m, vsip_index i, vsip_index j) {
    return static_cast<vsip_stride>(m->offset) + static_cast<vsip_stride>(i) * m->col_stride +
           static_cast<vsip_stride>(j) * m->row_stride;
}

// True when every element of a view (a vector: stride s1 over n1 elements;
// a matrix: also stride s2 over n2) is an index of a block of
// `block_length` elements.  Views without elements always fit.  Binds and
// derived views refuse views that do not fit, so no later operation can
// address memory outside the block.
inline bool VI_view_fits(vsip_length block_length, vsip_offset offset, vsip_stride s1,
                         vsip_length n1, vsip_stride s2 = 0, vsip_length n2 = 1) {
    if (n1 == 0 || n2 == 0)
        return true;
    using wide = __int128;
    const wide a = static_cast<wide>(n1 - 1) * s1;
    const wide b = static_cast<wide>(n2 - 1) * s2;
    const wide lo = static_cast<wide>(offset) + (a < 0 ? a : 0) + (b < 0 ? b : 0);
    const wide hi = static_cast<wide>(offset) + (a > 0 ? a : 0) + (b > 0 ? b : 0);
    return lo >= 0 && hi < static_cast<wide>(block_length);
}

#endif // VSIP_CORE_INTERNAL_HPP
