/*
 * libvsip-tv: the C API of the VSIPL signal-processing standard, single
 * precision with a few double-precision members.
 *
 * Blocks hold data, views describe strided windows onto blocks, and every
 * operation reads and writes through views.  Blocks, views and objects are
 * opaque; they are created and destroyed by the caller through their
 * create/destroy pairs.  Creators return null when memory cannot be had;
 * destroy calls accept null.  Valid C11 and C++.
 */
#ifndef VSIP_H
#define VSIP_H

#include <stdint.h>

#if defined(__GNUC__)
#define VSIP_API __attribute__((visibility("default")))
#else
#define VSIP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Scalar and support types ------------------------------------- */

typedef float vsip_scalar_f;
typedef double vsip_scalar_d;
typedef int32_t vsip_scalar_i;
typedef int32_t vsip_scalar_bl; /* 0 false, nonzero true */
typedef uint64_t vsip_scalar_vi;
typedef uint64_t vsip_index;
typedef uint64_t vsip_length;
typedef uint64_t vsip_offset;
typedef int64_t vsip_stride;

typedef struct vsip_scalar_mi {
    vsip_scalar_vi r; /* row index */
    vsip_scalar_vi c; /* column index */
} vsip_scalar_mi;

typedef struct vsip_cscalar_f {
    vsip_scalar_f r;
    vsip_scalar_f i;
} vsip_cscalar_f;

typedef struct vsip_cscalar_d {
    vsip_scalar_d r;
    vsip_scalar_d i;
} vsip_cscalar_d;

/* ---- Enumerations ---------------------------------------------------- */

typedef enum { VSIP_FALSE = 0, VSIP_TRUE = 1 } vsip_bool;

typedef enum {
    VSIP_MEM_NONE = 0,
    VSIP_MEM_RDONLY = 1,
    VSIP_MEM_CONST = 2,
    VSIP_MEM_SHARED = 3,
    VSIP_MEM_SHARED_RDONLY = 4,
    VSIP_MEM_SHARED_CONST = 5
} vsip_memory_hint;

typedef enum {
    VSIP_CMPLX_INTERLEAVED = 0,
    VSIP_CMPLX_SPLIT = 1,
    VSIP_CMPLX_NONE = 2
} vsip_cmplx_mem;

typedef enum { VSIP_ROW = 0, VSIP_COL = 1 } vsip_major;

typedef enum { VSIP_FFT_FWD = -1, VSIP_FFT_INV = 1 } vsip_fft_dir;

typedef enum { VSIP_FFT_IP = 0, VSIP_FFT_OP = 1 } vsip_fft_place;

typedef enum { VSIP_ALG_TIME = 0, VSIP_ALG_SPACE = 1, VSIP_ALG_NOISE = 2 } vsip_alg_hint;

typedef enum {
    VSIP_MAT_NTRANS = 0,
    VSIP_MAT_TRANS = 1,
    VSIP_MAT_HERM = 2,
    VSIP_MAT_CONJ = 3
} vsip_mat_op;

typedef enum {
    VSIP_NONSYM = 0,
    VSIP_SYM_EVEN_LEN_ODD = 1,
    VSIP_SYM_EVEN_LEN_EVEN = 2
} vsip_symmetry;

typedef enum { VSIP_STATE_NO_SAVE = 1, VSIP_STATE_SAVE = 2 } vsip_obj_state;

typedef enum {
    VSIP_SUPPORT_FULL = 0,
    VSIP_SUPPORT_SAME = 1,
    VSIP_SUPPORT_MIN = 2
} vsip_support_region;

typedef enum { VSIP_BIASED = 0, VSIP_UNBIASED = 1 } vsip_bias;

typedef enum { VSIP_PRNG = 0, VSIP_NPRNG = 1 } vsip_rng;

typedef enum { VSIP_HIST_RESET = 1, VSIP_HIST_ACCUM = 2 } vsip_hist_opt;

/* ---- Lifecycle -------------------------------------------------------- */

/* Both do nothing and return 0; the library keeps no global state. */
VSIP_API int vsip_init(void *ptr);
VSIP_API int vsip_finalize(void *ptr);

/* ---- Blocks ------------------------------------------------------------
 *
 * A block is a counted array of elements, allocated by the library
 * (create: admitted for life) or bound to caller memory (bind: starts
 * released; admit and release hand the contents to the library and back;
 * rebind swaps the memory while released).  A complex block owns a
 * real-part and an imaginary-part block; its storage is split (two
 * arrays) or interleaved (one array of real, imaginary pairs).
 */

typedef struct vsip_block_f vsip_block_f;
typedef struct vsip_block_d vsip_block_d;
typedef struct vsip_block_i vsip_block_i;
typedef struct vsip_block_bl vsip_block_bl;
typedef struct vsip_block_vi vsip_block_vi;
typedef struct vsip_block_mi vsip_block_mi;
typedef struct vsip_cblock_f vsip_cblock_f;

#define VSIP_BLOCK_API(S, T)                                                    \
    VSIP_API vsip_block_##S *vsip_blockcreate_##S(vsip_length N, vsip_memory_hint hint); \
    VSIP_API vsip_block_##S *vsip_blockbind_##S(T *data, vsip_length N,           \
                                                vsip_memory_hint hint);          \
    VSIP_API T *vsip_blockrebind_##S(vsip_block_##S *block, T *data);            \
    VSIP_API int vsip_blockadmit_##S(vsip_block_##S *block, vsip_scalar_bl update); \
    VSIP_API T *vsip_blockrelease_##S(vsip_block_##S *block, vsip_scalar_bl update); \
    VSIP_API T *vsip_blockfind_##S(const vsip_block_##S *block);                 \
    VSIP_API void vsip_blockdestroy_##S(vsip_block_##S *block);

VSIP_BLOCK_API(f, vsip_scalar_f)
VSIP_BLOCK_API(i, vsip_scalar_i)
VSIP_BLOCK_API(bl, vsip_scalar_bl)
VSIP_BLOCK_API(vi, vsip_scalar_vi)
VSIP_BLOCK_API(mi, vsip_scalar_mi)
#undef VSIP_BLOCK_API

/* Library complex storage is split. */
VSIP_API vsip_cblock_f *vsip_cblockcreate_f(vsip_length N, vsip_memory_hint hint);
/* data2 null: interleaved pairs in data1; otherwise split parts. */
VSIP_API vsip_cblock_f *vsip_cblockbind_f(vsip_scalar_f *data1, vsip_scalar_f *data2,
                                          vsip_length N, vsip_memory_hint hint);
VSIP_API void vsip_cblockrebind_f(vsip_cblock_f *block, vsip_scalar_f *new1,
                                  vsip_scalar_f *new2, vsip_scalar_f **old1,
                                  vsip_scalar_f **old2);
VSIP_API int vsip_cblockadmit_f(vsip_cblock_f *block, vsip_scalar_bl update);
VSIP_API void vsip_cblockrelease_f(vsip_cblock_f *block, vsip_scalar_bl update,
                                   vsip_scalar_f **data1, vsip_scalar_f **data2);
VSIP_API void vsip_cblockfind_f(const vsip_cblock_f *block, vsip_scalar_f **data1,
                                vsip_scalar_f **data2);
VSIP_API void vsip_cblockdestroy_f(vsip_cblock_f *block);
VSIP_API vsip_cmplx_mem vsip_cstorage(void);

#ifdef __cplusplus
}
#endif

#endif /* VSIP_H */
