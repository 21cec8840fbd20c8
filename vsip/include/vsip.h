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

#ifdef __cplusplus
}
#endif

#endif /* VSIP_H */
