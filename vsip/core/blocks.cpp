// Blocks: real, integer-family and complex storage objects.
#include <atomic>

#include "common/checks.hpp"
#include "internal.hpp"

namespace {

#if VI_CHECKED
// The checked flavour keeps the records of the last kRetired destroyed
// blocks (their arrays are freed), marked dead, so that a later use of such
// a block is reported instead of reading freed memory.  Older records are
// freed as newer ones arrive.
constexpr unsigned kRetired = 1024;
std::atomic<void *> retired[kRetired];
std::atomic<unsigned> retired_next{0};

void retire(void *record) {
    const unsigned k = retired_next.fetch_add(1, std::memory_order_relaxed) % kRetired;
    VI_free(retired[k].exchange(record, std::memory_order_acq_rel));
}
#endif

template <class Block, class T>
Block *new_record(T *data, vsip_length n, vsip_memory_hint hint, std::int32_t kind) {
    Block *b = static_cast<Block *>(VI_malloc(sizeof(Block)));
    if (!b)
        return nullptr;
    *b = Block{};
    b->data = data;
    b->kind = kind;
    b->admitted = kind == VI_STORAGE_LIBRARY;
    b->length = n;
    b->marker = VI_MARKER_LIVE;
    b->hint = hint;
    return b;
}

// Stand-alone real blocks step one element; parts of interleaved storage
// are set to two by the complex block.
inline void init_layout(vsip_block_f *b) {
    b->parent = nullptr;
    b->elem_stride = 1;
}
inline void init_layout(vsip_block_d *b) {
    b->parent = nullptr;
    b->elem_stride = 1;
}
template <class Block>
inline void init_layout(Block *) {}

template <class Block>
using elem_t = typename std::remove_pointer<decltype(Block::data)>::type;

template <class Block>
Block *block_create(vsip_length n, vsip_memory_hint hint) {
    Block *b = new_record<Block>(static_cast<elem_t<Block> *>(nullptr), n, hint, VI_STORAGE_LIBRARY);
    if (!b)
        return nullptr;
    b->data = static_cast<elem_t<Block> *>(VI_malloc_array(n, sizeof(elem_t<Block>)));
    if (!b->data) {
        VI_free(b);
        return nullptr;
    }
    init_layout(b);
    return b;
}

template <class Block>
Block *block_bind(elem_t<Block> *data, vsip_length n, vsip_memory_hint hint) {
    Block *b = new_record<Block>(data, n, hint, VI_STORAGE_USER);
    if (b)
        init_layout(b);
    return b;
}

// A part of a complex block moves only with the complex block (its own
// admitted flag does not follow the complex block's).
template <class Block>
elem_t<Block> *block_rebind(Block *b, elem_t<Block> *data) {
    if (!b || b->admitted || b->kind == VI_STORAGE_PART)
        return nullptr;
    elem_t<Block> *old = b->data;
    b->data = data;
    return old;
}

template <class Block>
int block_admit(Block *b) {
    if (!b || !b->data || b->kind != VI_STORAGE_USER)
        return 1;
    b->admitted = 1; // the caller's memory is used in place: nothing to copy
    return 0;
}

template <class Block>
elem_t<Block> *block_release(Block *b, vsip_scalar_bl update) {
    if (!b || b->kind != VI_STORAGE_USER)
        return nullptr;
    b->update = update;
    b->admitted = 0;
    return b->data;
}

template <class Block>
elem_t<Block> *block_find(const Block *b) {
    if (!b || b->admitted || b->kind == VI_STORAGE_PART)
        return nullptr;
    return b->data;
}

template <class Block>
void block_destroy(Block *b) {
    if (!b || b->kind == VI_STORAGE_PART)
        return;
    if (b->kind == VI_STORAGE_LIBRARY)
        VI_free(b->data);
#if VI_CHECKED
    b->marker = VI_MARKER_DEAD;
    b->data = nullptr;
    retire(b);
#else
    VI_free(b);
#endif
}

// Complex blocks of either precision: CB owns two part blocks PB of
// elements T.

// Releases a complex block's parts and record; `free_arrays` for library
// storage.  Used by destroy and by the failure paths of create and bind.
template <class CB>
void cblock_free(CB *cb, bool free_arrays) {
    auto *re = cb->real_part;
    auto *im = cb->imag_part;
    if (re) {
        if (free_arrays)
            VI_free(re->data);
        VI_free(re);
    }
    // The imaginary parts of library storage lie in the real part's array.
    if (im)
        VI_free(im);
    VI_free(cb);
}

template <class CB>
CB *cblock_record(vsip_length n, vsip_memory_hint hint, std::int32_t kind) {
    CB *cb = static_cast<CB *>(VI_malloc(sizeof(CB)));
    if (!cb)
        return nullptr;
    *cb = CB{};
    cb->kind = kind;
    cb->admitted = kind == VI_STORAGE_LIBRARY;
    cb->part_stride = 1;
    cb->length = n;
    cb->marker = VI_MARKER_LIVE;
    cb->hint = hint;
    return cb;
}

template <class CB, class PB>
void adopt_part(CB *cb, PB *part) {
    part->kind = VI_STORAGE_PART;
    part->parent = cb;
    part->elem_stride = cb->part_stride;
}

// The imaginary parts of interleaved storage start one element after the
// real parts.  Without storage (null) there is no such element.
template <class T>
T *second_of_pair(T *p) { return p ? p + 1 : nullptr; }

template <class CB, class T>
void split_pointers(const CB *cb, T **d1, T **d2) {
    if (d1)
        *d1 = cb->real_part->data;
    if (d2)
        *d2 = cb->part_stride == 1 ? cb->imag_part->data : nullptr;
}

template <class T>
void set_both(T **d1, T **d2, T *value) {
    if (d1)
        *d1 = value;
    if (d2)
        *d2 = value;
}

template <class CB, class PB>
CB *cblock_create(vsip_length n, vsip_memory_hint hint) {
    CB *cb = cblock_record<CB>(n, hint, VI_STORAGE_LIBRARY);
    if (!cb)
        return nullptr;
    // One array of both parts, the imaginary ones VI_cblock_part_gap(n)
    // elements after the real ones.  A length whose array size wraps fails.
    const std::uint64_t gap = VI_cblock_part_gap(n);
    cb->real_part = n <= UINT64_MAX / 4 ? block_create<PB>(2 * gap, hint) : nullptr;
    if (cb->real_part) {
        cb->real_part->length = n;
        cb->imag_part = static_cast<PB *>(VI_malloc(sizeof(PB)));
        if (cb->imag_part) {
            *cb->imag_part = *cb->real_part;
            cb->imag_part->data = cb->real_part->data + gap;
        }
    }
    if (!cb->imag_part) {
        cblock_free(cb, true);
        return nullptr;
    }
    adopt_part(cb, cb->real_part);
    adopt_part(cb, cb->imag_part);
    return cb;
}

template <class CB, class PB>
CB *cblock_bind(elem_t<PB> *data1, elem_t<PB> *data2, vsip_length n, vsip_memory_hint hint) {
    CB *cb = cblock_record<CB>(n, hint, VI_STORAGE_USER);
    if (!cb)
        return nullptr;
    cb->part_stride = data2 ? 1 : 2;
    cb->real_part = block_bind<PB>(data1, n, hint);
    if (cb->real_part) {
        if (data2) {
            cb->imag_part = block_bind<PB>(data2, n, hint);
        } else {
            cb->imag_part = static_cast<PB *>(VI_malloc(sizeof(PB)));
            if (cb->imag_part) {
                *cb->imag_part = *cb->real_part;
                cb->imag_part->data = second_of_pair(data1);
            }
        }
    }
    if (!cb->imag_part) {
        cblock_free(cb, false);
        return nullptr;
    }
    adopt_part(cb, cb->real_part);
    adopt_part(cb, cb->imag_part);
    return cb;
}

template <class CB, class T>
void cblock_rebind(CB *cb, T *new1, T *new2, T **old1, T **old2) {
    if (!cb || cb->admitted) {
        set_both(old1, old2, static_cast<T *>(nullptr));
        return;
    }
    split_pointers(cb, old1, old2);
    // The layout follows the new pointers: split or interleaved.
    cb->part_stride = new2 ? 1 : 2;
    cb->real_part->elem_stride = cb->part_stride;
    cb->imag_part->elem_stride = cb->part_stride;
    cb->real_part->data = new1;
    cb->imag_part->data = new2 ? new2 : second_of_pair(new1);
}

template <class CB>
int cblock_admit(CB *cb) {
    if (!cb || !cb->real_part->data || cb->kind != VI_STORAGE_USER)
        return 1;
    cb->admitted = 1;
    return 0;
}

template <class CB, class T>
void cblock_release(CB *cb, vsip_scalar_bl update, T **d1, T **d2) {
    if (!cb) {
        set_both(d1, d2, static_cast<T *>(nullptr));
        return;
    }
    cb->update = update;
    if (cb->kind != VI_STORAGE_USER) {
        set_both(d1, d2, static_cast<T *>(nullptr));
        return;
    }
    cb->admitted = 0;
    cb->real_part->admitted = 0;
    cb->imag_part->admitted = 0;
    split_pointers(cb, d1, d2);
}

template <class CB, class T>
void cblock_find(const CB *cb, T **d1, T **d2) {
    if (!cb || cb->admitted) {
        set_both(d1, d2, static_cast<T *>(nullptr));
        return;
    }
    split_pointers(cb, d1, d2);
}

template <class CB>
void cblock_destroy(CB *cb) {
    if (!cb)
        return;
    cb->marker = VI_MARKER_DEAD;
    cb->real_part->marker = VI_MARKER_DEAD;
    cb->imag_part->marker = VI_MARKER_DEAD;
#if VI_CHECKED
    // Library storage is one array holding both parts.
    if (cb->kind == VI_STORAGE_LIBRARY)
        VI_free(cb->real_part->data);
    cb->real_part->data = cb->imag_part->data = nullptr;
    retire(cb->real_part);
    retire(cb->imag_part);
    retire(cb);
#else
    cblock_free(cb, cb->kind == VI_STORAGE_LIBRARY);
#endif
}

} // namespace

#define VI_BLOCK_FUNCTIONS(S)                                                   \
    VSIP_API vsip_block_##S *vsip_blockcreate_##S(vsip_length n, vsip_memory_hint hint) { \
        return block_create<vsip_block_##S>(n, hint);                           \
    }                                                                           \
    VSIP_API vsip_block_##S *vsip_blockbind_##S(vsip_scalar_##S *data, vsip_length n, \
                                                vsip_memory_hint hint) {        \
        return block_bind<vsip_block_##S>(data, n, hint);                       \
    }                                                                           \
    VSIP_API vsip_scalar_##S *vsip_blockrebind_##S(vsip_block_##S *b, vsip_scalar_##S *data) { \
        VI_CHECK(vi::chk::live_fault(b, false), nullptr);                       \
        return block_rebind(b, data);                                           \
    }                                                                           \
    VSIP_API int vsip_blockadmit_##S(vsip_block_##S *b, vsip_scalar_bl) {       \
        VI_CHECK(vi::chk::live_fault(b, false), 1);                             \
        return block_admit(b);                                                  \
    }                                                                           \
    VSIP_API vsip_scalar_##S *vsip_blockrelease_##S(vsip_block_##S *b, vsip_scalar_bl update) { \
        VI_CHECK(vi::chk::live_fault(b, false), nullptr);                       \
        return block_release(b, update);                                        \
    }                                                                           \
    VSIP_API vsip_scalar_##S *vsip_blockfind_##S(const vsip_block_##S *b) {     \
        VI_CHECK(vi::chk::live_fault(b, false), nullptr);                       \
        return block_find(b);                                                   \
    }                                                                           \
    VSIP_API void vsip_blockdestroy_##S(vsip_block_##S *b) {                    \
        VI_CHECK(vi::chk::live_fault(b, false));                                \
        block_destroy(b);                                                       \
    }

#define VI_CBLOCK_FUNCTIONS(S)                                                  \
    VSIP_API vsip_cblock_##S *vsip_cblockcreate_##S(vsip_length n, vsip_memory_hint hint) { \
        return cblock_create<vsip_cblock_##S, vsip_block_##S>(n, hint);         \
    }                                                                           \
    VSIP_API vsip_cblock_##S *vsip_cblockbind_##S(vsip_scalar_##S *data1, vsip_scalar_##S *data2, \
                                                  vsip_length n, vsip_memory_hint hint) { \
        return cblock_bind<vsip_cblock_##S, vsip_block_##S>(data1, data2, n, hint); \
    }                                                                           \
    VSIP_API void vsip_cblockrebind_##S(vsip_cblock_##S *cb, vsip_scalar_##S *new1, \
                                        vsip_scalar_##S *new2, vsip_scalar_##S **old1, \
                                        vsip_scalar_##S **old2) {               \
        if (!VI_CHECKED_OK(vi::chk::live_fault(cb, false)))                     \
            return set_both(old1, old2, static_cast<vsip_scalar_##S *>(nullptr)); \
        cblock_rebind(cb, new1, new2, old1, old2);                              \
    }                                                                           \
    VSIP_API int vsip_cblockadmit_##S(vsip_cblock_##S *cb, vsip_scalar_bl) {    \
        VI_CHECK(vi::chk::live_fault(cb, false), 1);                            \
        return cblock_admit(cb);                                                \
    }                                                                           \
    VSIP_API void vsip_cblockrelease_##S(vsip_cblock_##S *cb, vsip_scalar_bl update, \
                                         vsip_scalar_##S **d1, vsip_scalar_##S **d2) { \
        if (!VI_CHECKED_OK(vi::chk::live_fault(cb, false)))                     \
            return set_both(d1, d2, static_cast<vsip_scalar_##S *>(nullptr));   \
        cblock_release(cb, update, d1, d2);                                     \
    }                                                                           \
    VSIP_API void vsip_cblockfind_##S(const vsip_cblock_##S *cb, vsip_scalar_##S **d1, \
                                      vsip_scalar_##S **d2) {                   \
        if (!VI_CHECKED_OK(vi::chk::live_fault(cb, false)))                     \
            return set_both(d1, d2, static_cast<vsip_scalar_##S *>(nullptr));   \
        cblock_find(cb, d1, d2);                                                \
    }                                                                           \
    VSIP_API void vsip_cblockdestroy_##S(vsip_cblock_##S *cb) {                 \
        VI_CHECK(vi::chk::live_fault(cb, false));                               \
        cblock_destroy(cb);                                                     \
    }

extern "C" {

VI_BLOCK_FUNCTIONS(f)
VI_BLOCK_FUNCTIONS(i)
VI_BLOCK_FUNCTIONS(bl)
VI_BLOCK_FUNCTIONS(vi)
VI_BLOCK_FUNCTIONS(mi)
VI_BLOCK_FUNCTIONS(d)

VI_CBLOCK_FUNCTIONS(f)
VI_CBLOCK_FUNCTIONS(d)

VSIP_API vsip_cmplx_mem vsip_cstorage(void) { return VSIP_CMPLX_SPLIT; }

} // extern "C"
