/**
 * @file vsip.h
 * @brief libvsip-tv: the C API of the VSIPL signal-processing standard, single
 * precision with a few double-precision members.
 *
 * Blocks hold data, views describe strided windows onto blocks, and every
 * operation reads and writes through views.  Blocks, views and objects are
 * opaque; they are created and destroyed by the caller through their
 * create/destroy pairs.  Creators return null when memory cannot be had;
 * destroy calls accept null.  Valid C11 and C++.
 *
 * Threads.  Every call runs on the caller's thread except the multiple
 * FFTs, vsip_cmconj_f and long compute-bound element-wise calls, which
 * open one OpenMP region (never inside an active one: called from an
 * OpenMP parallel region, they run on the calling thread).  The thread
 * count is the one set with tml_vsip_set_num_threads (vsip_tv.h), or
 * without one omp_get_max_threads() (OMP_NUM_THREADS); with a count of 1
 * the library never opens a region.  The threaded element-wise functions
 * are the real elementary functions (vacos, vasin, vatan, vatan2, vcos,
 * vsin, vtan, vexp, vexp10, vlog, vlog10), vsqrt, vrsqrt, vrecip, vdiv,
 * svdiv, vhypot, cvmul, cvjmul, cvdiv, csvmul, cvmag, cvexp, cvlog, cvsqrt,
 * cvrecip and veuler; they use a second thread only when each thread gets
 * at least 65536 elements, and cut the view into one contiguous run per
 * thread at multiples of 1024 elements, so every element is computed
 * exactly as on one thread (bit-identical results).  Reductions, copies
 * and the memory-bound functions (sums, differences, real products,
 * squares, negation, magnitude) always run on the caller's thread.
 *
 * Checked flavour.  libvsip-tv-checked.so (built with -DVSIP_TV_CHECKED=ON)
 * has these same declarations and checks arguments before touching memory:
 * null views, views of destroyed or released blocks, views outside their
 * block, indices past a view, operands shorter than the result and results
 * partly overlapping an operand.  A refused call prints one ERROR line
 * ("... : nothing done") and writes nothing, returning null, 0 (1 from an
 * admit) or nothing.  The default library checks only binds and derived
 * views (null, "view outside its block: no view made") and FFT execute
 * calls.  tml_vsip_build_flavour() (vsip_tv.h) names the loaded flavour.
 */
#ifndef VSIP_H
#define VSIP_H

#include <float.h>
#include <stdint.h>

#if defined(__GNUC__)
#define VSIP_API __attribute__((visibility("default")))
#else
#define VSIP_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** @defgroup vsip_types Scalar and support types
 * Element types, index and geometry types, constants and enumerations.
 * @{ */

typedef float vsip_scalar_f;    /**< Real single-precision element. */
typedef double vsip_scalar_d;   /**< Real double-precision element. */
typedef int32_t vsip_scalar_i;  /**< Integer element. */
typedef int32_t vsip_scalar_bl; /**< Boolean element: 0 false, nonzero true. */
typedef uint64_t vsip_scalar_vi; /**< Vector-index element. */
typedef uint64_t vsip_index;    /**< Index of an element, row or column. */
typedef uint64_t vsip_length;   /**< Number of elements, rows or columns. */
typedef uint64_t vsip_offset;   /**< Position of a view's first element in its block. */
typedef int64_t vsip_stride;    /**< Signed step between view elements, in block elements. */

/** A matrix index: two vector indices, row then column (16 bytes, no
 * padding).  An array of n of them is the same memory as 2n
 * vsip_scalar_vi. */
typedef struct vsip_scalar_mi {
    vsip_scalar_vi r; /**< row index */
    vsip_scalar_vi c; /**< column index */
} vsip_scalar_mi;

/** Complex single-precision scalar. */
typedef struct vsip_cscalar_f {
    vsip_scalar_f r; /**< real part */
    vsip_scalar_f i; /**< imaginary part */
} vsip_cscalar_f;

/** Complex double-precision scalar. */
typedef struct vsip_cscalar_d {
    vsip_scalar_d r; /**< real part */
    vsip_scalar_d i; /**< imaginary part */
} vsip_cscalar_d;

/** The boolean type is the boolean scalar; the two constants are plain
 * integer macros, usable in \#if and with any vsip_scalar_bl. */
typedef vsip_scalar_bl vsip_bool;
#define VSIP_FALSE 0 /**< Boolean false. */
#define VSIP_TRUE 1  /**< Boolean true (as stored by the library's boolean results). */

/* ---- Constants --------------------------------------------------------- */

#define VSIP_PI 3.14159265358979323846 /**< pi as a double constant. */

/** @name Limits of the scalar types
 * The floating-point minimum is the smallest positive normal number, as
 * FLT_MIN and DBL_MIN.
 * @{ */
#define VSIP_MAX_SCALAR_F FLT_MAX    /**< Largest finite vsip_scalar_f. */
#define VSIP_MIN_SCALAR_F FLT_MIN    /**< Smallest positive normal vsip_scalar_f. */
#define VSIP_MAX_SCALAR_D DBL_MAX    /**< Largest finite vsip_scalar_d. */
#define VSIP_MIN_SCALAR_D DBL_MIN    /**< Smallest positive normal vsip_scalar_d. */
#define VSIP_MAX_SCALAR_I INT32_MAX  /**< Largest vsip_scalar_i. */
#define VSIP_MIN_SCALAR_I INT32_MIN  /**< Smallest vsip_scalar_i. */
#define VSIP_MAX_SCALAR_VI UINT64_MAX /**< Largest vsip_scalar_vi. */
#define VSIP_MIN_SCALAR_VI 0         /**< Smallest vsip_scalar_vi. */
/** @} */

/* ---- Enumerations ---------------------------------------------------- */

/** Expected use of a block's memory.  Recorded with the block; it does
 * not change what any operation does. */
typedef enum {
    VSIP_MEM_NONE = 0,          /**< no hint */
    VSIP_MEM_RDONLY = 1,        /**< read only */
    VSIP_MEM_CONST = 2,         /**< constant */
    VSIP_MEM_SHARED = 3,        /**< shared */
    VSIP_MEM_SHARED_RDONLY = 4, /**< shared, read only */
    VSIP_MEM_SHARED_CONST = 5   /**< shared, constant */
} vsip_memory_hint;

/** Storage of complex data (vsip_cstorage reports the library's). */
typedef enum {
    VSIP_CMPLX_INTERLEAVED = 0, /**< one array of real, imaginary pairs */
    VSIP_CMPLX_SPLIT = 1,       /**< a real-part and an imaginary-part array */
    VSIP_CMPLX_NONE = 2         /**< no preference */
} vsip_cmplx_mem;

/** Matrix layout or direction: by rows or by columns. */
typedef enum {
    VSIP_ROW = 0, /**< row major; per row */
    VSIP_COL = 1  /**< column major; per column */
} vsip_major;

/** FFT direction. */
typedef enum {
    VSIP_FFT_FWD = -1, /**< forward, kernel e^(-2 pi i jk/N) */
    VSIP_FFT_INV = 1   /**< inverse, kernel e^(+2 pi i jk/N), no 1/N factor */
} vsip_fft_dir;

/** FFT place, as reported in the FFT attributes. */
typedef enum {
    VSIP_FFT_IP = 0, /**< in place */
    VSIP_FFT_OP = 1  /**< out of place */
} vsip_fft_place;

/** What an object's creator should optimise for. */
typedef enum {
    VSIP_ALG_TIME = 0,  /**< execution time */
    VSIP_ALG_SPACE = 1, /**< memory (FFTs: measured planning) */
    VSIP_ALG_NOISE = 2  /**< numerical accuracy */
} vsip_alg_hint;

/** Operation applied to a matrix operand of a product or sum. */
typedef enum {
    VSIP_MAT_NTRANS = 0, /**< as is */
    VSIP_MAT_TRANS = 1,  /**< transposed */
    VSIP_MAT_HERM = 2,   /**< conjugate transposed (complex operands) */
    VSIP_MAT_CONJ = 3    /**< conjugated (complex operands) */
} vsip_mat_op;

/** Symmetry of a filter kernel; the symmetric codes give half the kernel. */
typedef enum {
    VSIP_NONSYM = 0,            /**< the whole kernel */
    VSIP_SYM_EVEN_LEN_ODD = 1,  /**< even symmetry, odd full length 2L-1 */
    VSIP_SYM_EVEN_LEN_EVEN = 2  /**< even symmetry, even full length 2L */
} vsip_symmetry;

/** Whether a filter carries its state from one call to the next. */
typedef enum {
    VSIP_STATE_NO_SAVE = 1, /**< every call starts from zeros */
    VSIP_STATE_SAVE = 2     /**< consecutive calls continue one signal */
} vsip_obj_state;

/** Output region of a convolution or correlation. */
typedef enum {
    VSIP_SUPPORT_FULL = 0, /**< every output with at least one product */
    VSIP_SUPPORT_SAME = 1, /**< as many outputs as inputs (centred) */
    VSIP_SUPPORT_MIN = 2   /**< only outputs with every product */
} vsip_support_region;

/** Scaling of correlation results. */
typedef enum {
    VSIP_BIASED = 0,  /**< plain sums */
    VSIP_UNBIASED = 1 /**< each sum divided by its number of products */
} vsip_bias;

/** Kind of random-number generator. */
typedef enum {
    VSIP_PRNG = 0, /**< portable: the same sequence on every platform */
    VSIP_NPRNG = 1 /**< non-portable generator */
} vsip_rng;

/** Histogram accumulation. */
typedef enum {
    VSIP_HIST_RESET = 1, /**< clear the bins first */
    VSIP_HIST_ACCUM = 2  /**< add to the bins */
} vsip_hist_opt;

/** @} */

/** @defgroup vsip_lifecycle Lifecycle
 * @{ */

/** @name Initialisation and finalisation
 * @{ */
/** Does nothing and returns 0; the library keeps no global state, so
 * calling it is optional.  ptr is ignored. */
VSIP_API int vsip_init(void *ptr);
VSIP_API int vsip_finalize(void *ptr);
/** @} */
/** @} */

/** @defgroup vsip_blocks Blocks
 *
 * A block is a counted array of elements, allocated by the library
 * (create: admitted for life) or bound to caller memory (bind: starts
 * released; admit and release hand the contents to the library and back;
 * rebind swaps the memory while released).  A complex block owns a
 * real-part and an imaginary-part block; its storage is split (two
 * arrays) or interleaved (one array of real, imaginary pairs).  The parts
 * are not blocks of their own: find, release and rebind refuse them (null)
 * and admit fails.  A null block is accepted by every block operation:
 * admit fails (non-zero), find, release and rebind give null, destroy does
 * nothing.
 *
 * Matrix-index blocks (_mi) take and return vsip_scalar_mi * where the
 * VSIPL standard's text writes vsip_scalar_vi *: the memory layout is the
 * same (element k is the row index at vsip_scalar_vi 2k and the column
 * index at 2k + 1), so a caller holding vsip_scalar_vi * passes it with a
 * cast.
 * @{
 */

typedef struct vsip_block_f vsip_block_f;   /**< Opaque block of vsip_scalar_f. */
typedef struct vsip_block_d vsip_block_d;   /**< Opaque block of vsip_scalar_d. */
typedef struct vsip_block_i vsip_block_i;   /**< Opaque block of vsip_scalar_i. */
typedef struct vsip_block_bl vsip_block_bl; /**< Opaque block of vsip_scalar_bl. */
typedef struct vsip_block_vi vsip_block_vi; /**< Opaque block of vsip_scalar_vi. */
typedef struct vsip_block_mi vsip_block_mi; /**< Opaque block of vsip_scalar_mi. */
typedef struct vsip_cblock_f vsip_cblock_f; /**< Opaque block of vsip_cscalar_f. */
typedef struct vsip_cblock_d vsip_cblock_d; /**< Opaque block of vsip_cscalar_d. */

/* Real and integer-family blocks: S is the type suffix, T the element type. */
#define VSIP_BLOCK_API(S, T)                                                    \
    /** Creates a block of N elements in library memory (contents undefined), \
        admitted.  @return the block, or null when memory cannot be had. */   \
    VSIP_API vsip_block_##S *vsip_blockcreate_##S(vsip_length N, vsip_memory_hint hint); \
    /** Binds a block to the caller's array data of N elements; the block \
        starts released and the array stays the caller's.  @return the     \
        block, or null when memory cannot be had. */                       \
    VSIP_API vsip_block_##S *vsip_blockbind_##S(T *data, vsip_length N,           \
                                                vsip_memory_hint hint);          \
    /** Replaces the caller array of a released bound block with data.     \
        @return the previous array; null (nothing changed) for a null,     \
        admitted or library-memory block. */                                \
    VSIP_API T *vsip_blockrebind_##S(vsip_block_##S *block, T *data);            \
    /** Admits a bound block: the library may use its data (in place; the \
        update flag is not needed).  @return 0 on success, non-zero for a  \
        null block, a null array or a block not bound by the caller. */    \
    VSIP_API int vsip_blockadmit_##S(vsip_block_##S *block, vsip_scalar_bl update); \
    /** Releases a bound block to the caller.  @return its array; null for \
        a null block or one not bound by the caller. */                    \
    VSIP_API T *vsip_blockrelease_##S(vsip_block_##S *block, vsip_scalar_bl update); \
    /** @return the array of a released bound block; null for a null,     \
        admitted or library-memory block. */                                \
    VSIP_API T *vsip_blockfind_##S(const vsip_block_##S *block);                 \
    /** Destroys a block (library memory is freed, a bound array is not).  \
        Accepts null.  Views of the block must be destroyed first. */      \
    VSIP_API void vsip_blockdestroy_##S(vsip_block_##S *block);

VSIP_BLOCK_API(f, vsip_scalar_f)
VSIP_BLOCK_API(i, vsip_scalar_i)
VSIP_BLOCK_API(bl, vsip_scalar_bl)
VSIP_BLOCK_API(vi, vsip_scalar_vi)
VSIP_BLOCK_API(mi, vsip_scalar_mi)
VSIP_BLOCK_API(d, vsip_scalar_d)
#undef VSIP_BLOCK_API

/* Complex blocks, f and d.  Library complex storage is split.  Bind with
 * data2 null: interleaved pairs in data1; otherwise split parts. */
#define VSIP_CBLOCK_API(S, T)                                                   \
    /** Creates a complex block of N elements in library memory (split     \
        storage, contents undefined), admitted.  @return the block, or null \
        when memory cannot be had. */                                      \
    VSIP_API vsip_cblock_##S *vsip_cblockcreate_##S(vsip_length N, vsip_memory_hint hint); \
    /** Binds a complex block to caller memory: data2 null means N         \
        interleaved real, imaginary pairs in data1, otherwise N real parts \
        in data1 and N imaginary parts in data2.  Starts released.         \
        @return the block, or null when memory cannot be had. */           \
    VSIP_API vsip_cblock_##S *vsip_cblockbind_##S(T *data1, T *data2, vsip_length N, \
                                                  vsip_memory_hint hint);        \
    /** Replaces the memory of a released bound block with new1 and new2  \
        (new2 null: interleaved in new1) and stores the previous pointers  \
        through old1 and old2 (old2 null when it was interleaved).  A null \
        or admitted block is left as it is and both outputs are set null. */ \
    VSIP_API void vsip_cblockrebind_##S(vsip_cblock_##S *block, T *new1, T *new2, T **old1, \
                                        T **old2);                               \
    /** Admits a bound complex block (used in place).  @return 0 on        \
        success, non-zero for a null block, a null array or a block not   \
        bound by the caller. */                                            \
    VSIP_API int vsip_cblockadmit_##S(vsip_cblock_##S *block, vsip_scalar_bl update); \
    /** Releases a bound complex block and stores its memory through data1 \
        and data2 as bound (data2 null for interleaved); null pointers for \
        a null block or one not bound by the caller. */                   \
    VSIP_API void vsip_cblockrelease_##S(vsip_cblock_##S *block, vsip_scalar_bl update, \
                                         T **data1, T **data2);                  \
    /** Stores the memory of a released block through data1 and data2    \
        (as for release); null pointers for a null or admitted block. */   \
    VSIP_API void vsip_cblockfind_##S(const vsip_cblock_##S *block, T **data1, T **data2); \
    /** Destroys a complex block and its parts (library memory is freed,  \
        bound memory is not).  Accepts null. */                            \
    VSIP_API void vsip_cblockdestroy_##S(vsip_cblock_##S *block);

VSIP_CBLOCK_API(f, vsip_scalar_f)
VSIP_CBLOCK_API(d, vsip_scalar_d)
#undef VSIP_CBLOCK_API
/** @return the storage of library complex blocks: VSIP_CMPLX_SPLIT. */
VSIP_API vsip_cmplx_mem vsip_cstorage(void);
/** @} */

/** @defgroup vsip_views Views
 *
 * A vector view selects `length` elements of a block starting at `offset`
 * and stepping `stride` block elements; a matrix view selects element
 * (i, j) at offset + i * col_stride + j * row_stride.  Views never own
 * their block; destroy returns it, all-destroy destroys it too.
 *
 * Binds and derived views (subview, row, column, diagonal, transpose,
 * clone, real and imaginary part views) return NULL, with an ERROR log
 * line, when the block is NULL or some element of the view would lie
 * outside the block; a view without elements is always made.  The field
 * putters (put offset, stride, length) and element get/put are not checked:
 * they are on the hot path, and a sequence of puts may pass through an
 * intermediate geometry that does not fit.
 * @{
 */

typedef struct vsip_vview_f vsip_vview_f;   /**< Opaque vector view of vsip_scalar_f. */
typedef struct vsip_vview_i vsip_vview_i;   /**< Opaque vector view of vsip_scalar_i. */
typedef struct vsip_vview_bl vsip_vview_bl; /**< Opaque vector view of vsip_scalar_bl. */
typedef struct vsip_vview_vi vsip_vview_vi; /**< Opaque vector view of vsip_scalar_vi. */
typedef struct vsip_vview_mi vsip_vview_mi; /**< Opaque vector view of vsip_scalar_mi. */
typedef struct vsip_cvview_f vsip_cvview_f; /**< Opaque vector view of vsip_cscalar_f. */
typedef struct vsip_mview_f vsip_mview_f;   /**< Opaque matrix view of vsip_scalar_f. */
typedef struct vsip_mview_d vsip_mview_d;   /**< Opaque matrix view of vsip_scalar_d. */
typedef struct vsip_mview_i vsip_mview_i;   /**< Opaque matrix view of vsip_scalar_i. */
typedef struct vsip_mview_bl vsip_mview_bl; /**< Opaque matrix view of vsip_scalar_bl. */
typedef struct vsip_cmview_f vsip_cmview_f; /**< Opaque matrix view of vsip_cscalar_f. */
typedef struct vsip_cmview_d vsip_cmview_d; /**< Opaque matrix view of vsip_cscalar_d. */

#define VSIP_VATTR(A, B)                                                        \
    typedef struct A {                                                          \
        vsip_offset offset; /**< first element's position in the block */     \
        vsip_stride stride; /**< step between elements, in block elements */  \
        vsip_length length; /**< number of elements */                        \
        B *block;           /**< the block viewed (ignored by put) */         \
    } A;
/** Geometry of a vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_vattr_f, vsip_block_f)
/** Geometry of a vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_vattr_i, vsip_block_i)
/** Geometry of a vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_vattr_bl, vsip_block_bl)
/** Geometry of a vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_vattr_vi, vsip_block_vi)
/** Geometry of a vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_vattr_mi, vsip_block_mi)
/** Geometry of a complex vector view (getattrib, putattrib). */
VSIP_VATTR(vsip_cvattr_f, vsip_cblock_f)
#undef VSIP_VATTR

#define VSIP_MATTR(A, B)                                                        \
    typedef struct A {                                                          \
        vsip_offset offset;     /**< element (0, 0)'s position in the block */ \
        vsip_stride row_stride; /**< step between columns of a row */         \
        vsip_length row_length; /**< number of columns */                     \
        vsip_stride col_stride; /**< step between rows of a column */         \
        vsip_length col_length; /**< number of rows */                        \
        B *block;               /**< the block viewed (ignored by put) */     \
    } A;
/** Geometry of a matrix view (getattrib, putattrib). */
VSIP_MATTR(vsip_mattr_f, vsip_block_f)
/** Geometry of a complex matrix view (getattrib, putattrib). */
VSIP_MATTR(vsip_cmattr_f, vsip_cblock_f)
#undef VSIP_MATTR

/* Vector views: P is v or cv, S the type suffix, T the element type. */
#define VSIP_VVIEW_API(P, S, T, B, V, A)                                        \
    /** Makes a view of length elements of block from offset, stepping     \
        stride.  @return the view; null (ERROR line) for a null block or   \
        a view reaching outside the block, or when memory cannot be had. */ \
    VSIP_API V *vsip_##P##bind_##S(const B *block, vsip_offset offset,          \
                                   vsip_stride stride, vsip_length length);     \
    /** Creates a block of N elements and a unit-stride view of all of    \
        it.  @return the view, or null when memory cannot be had. */      \
    VSIP_API V *vsip_##P##create_##S(vsip_length N, vsip_memory_hint hint);     \
    /** Destroys the view.  @return its block (kept); null for a null     \
        view. */                                                           \
    VSIP_API B *vsip_##P##destroy_##S(V *v);                                    \
    /** Destroys the view and its block.  Accepts null. */                 \
    VSIP_API void vsip_##P##alldestroy_##S(V *v);                               \
    /** @return a new view with the geometry of v, or null (as bind). */   \
    VSIP_API V *vsip_##P##cloneview_##S(const V *v);                            \
    /** @return a new view of the n elements of v from its element j, or  \
        null (as bind). */                                                 \
    VSIP_API V *vsip_##P##subview_##S(const V *v, vsip_index j, vsip_length n); \
    /** @return element j of v (not checked against the length). */        \
    VSIP_API T vsip_##P##get_##S(const V *v, vsip_index j);                     \
    /** Stores value as element j of v (not checked against the length). */ \
    VSIP_API void vsip_##P##put_##S(const V *v, vsip_index j, T value);         \
    /** Stores the geometry and block of v through attr. */                \
    VSIP_API void vsip_##P##getattrib_##S(const V *v, A *attr);                 \
    /** Sets offset, stride and length of v from attr (its block field is \
        ignored; not checked).  @return v. */                              \
    VSIP_API V *vsip_##P##putattrib_##S(V *v, const A *attr);                   \
    /** @return the block v views. */                                      \
    VSIP_API B *vsip_##P##getblock_##S(const V *v);                             \
    /** @return the offset of v. */                                        \
    VSIP_API vsip_offset vsip_##P##getoffset_##S(const V *v);                   \
    /** @return the stride of v. */                                        \
    VSIP_API vsip_stride vsip_##P##getstride_##S(const V *v);                   \
    /** @return the length of v. */                                        \
    VSIP_API vsip_length vsip_##P##getlength_##S(const V *v);                   \
    /** Sets the offset of v (not checked).  @return v. */                 \
    VSIP_API V *vsip_##P##putoffset_##S(V *v, vsip_offset offset);              \
    /** Sets the stride of v (not checked).  @return v. */                 \
    VSIP_API V *vsip_##P##putstride_##S(V *v, vsip_stride stride);              \
    /** Sets the length of v (not checked).  @return v. */                 \
    VSIP_API V *vsip_##P##putlength_##S(V *v, vsip_length length);

VSIP_VVIEW_API(v, f, vsip_scalar_f, vsip_block_f, vsip_vview_f, vsip_vattr_f)
VSIP_VVIEW_API(v, i, vsip_scalar_i, vsip_block_i, vsip_vview_i, vsip_vattr_i)
VSIP_VVIEW_API(v, bl, vsip_scalar_bl, vsip_block_bl, vsip_vview_bl, vsip_vattr_bl)
VSIP_VVIEW_API(v, vi, vsip_scalar_vi, vsip_block_vi, vsip_vview_vi, vsip_vattr_vi)
VSIP_VVIEW_API(v, mi, vsip_scalar_mi, vsip_block_mi, vsip_vview_mi, vsip_vattr_mi)
VSIP_VVIEW_API(cv, f, vsip_cscalar_f, vsip_cblock_f, vsip_cvview_f, vsip_cvattr_f)
#undef VSIP_VVIEW_API

/** @name Part views
 * Real views of the real and imaginary parts of a complex view, with its
 * geometry, on the part blocks of its complex block.
 * @{ */
/** @return a new real view of the real (vrealview) or imaginary
 * (vimagview) parts of v, or null when memory cannot be had. */
VSIP_API vsip_vview_f *vsip_vrealview_f(const vsip_cvview_f *v);
VSIP_API vsip_vview_f *vsip_vimagview_f(const vsip_cvview_f *v);
/** @} */

/* Matrix views: P is m or cm.  Every matrix type has bind, create
 * (null on failure), destroy (frees the view) and all-destroy (its block
 * too); the float matrices have the full set. */
#define VSIP_MBASIC_API(P, S, B, M)                                             \
    /** Makes a view of col_length rows and row_length columns of block:   \
        element (i, j) at offset + i col_stride + j row_stride.  @return   \
        the view; null (ERROR line) for a null block or a view reaching    \
        outside the block, or when memory cannot be had. */               \
    VSIP_API M *vsip_##P##bind_##S(const B *block, vsip_offset offset,          \
                                   vsip_stride col_stride, vsip_length col_length, \
                                   vsip_stride row_stride, vsip_length row_length); \
    /** Creates a block of M_rows x N_cols elements and a dense view of it \
        (row major for VSIP_ROW, else column major).  @return the view;    \
        null when the size overflows or memory cannot be had. */           \
    VSIP_API M *vsip_##P##create_##S(vsip_length M_rows, vsip_length N_cols,    \
                                     vsip_major major, vsip_memory_hint hint);  \
    /** Destroys the view.  @return its block (kept); null for a null     \
        view. */                                                           \
    VSIP_API B *vsip_##P##destroy_##S(M *m);                                    \
    /** Destroys the view and its block.  Accepts null. */                 \
    VSIP_API void vsip_##P##alldestroy_##S(M *m);

#define VSIP_MVIEW_API(P, S, T, B, M, V, A)                                 \
    VSIP_MBASIC_API(P, S, B, M)                                                 \
    /** @return a new view with the geometry of m, or null (as bind). */   \
    VSIP_API M *vsip_##P##cloneview_##S(const M *m);                            \
    /** @return a new view of M_rows x N_cols elements of m from its      \
        element (i, j), or null (as bind). */                              \
    VSIP_API M *vsip_##P##subview_##S(const M *m, vsip_index i, vsip_index j,   \
                                      vsip_length M_rows, vsip_length N_cols);  \
    /** @return a new vector view of row i of m, or null (as bind). */     \
    VSIP_API V *vsip_##P##rowview_##S(const M *m, vsip_index i);                \
    /** @return a new vector view of column j of m, or null (as bind). */  \
    VSIP_API V *vsip_##P##colview_##S(const M *m, vsip_index j);                \
    /** @return a new vector view of diagonal d of m (0 the main diagonal, \
        d > 0 above it from column d, d < 0 below it from row -d), or null \
        (as bind). */                                                      \
    VSIP_API V *vsip_##P##diagview_##S(const M *m, int d);                      \
    /** @return a new view of the transpose of m (same elements, rows and  \
        columns swapped), or null (as bind). */                            \
    VSIP_API M *vsip_##P##transview_##S(const M *m);                            \
    /** @return element (i, j) of m (not checked against the lengths). */  \
    VSIP_API T vsip_##P##get_##S(const M *m, vsip_index i, vsip_index j);       \
    /** Stores value as element (i, j) of m (not checked). */              \
    VSIP_API void vsip_##P##put_##S(const M *m, vsip_index i, vsip_index j, T value); \
    /** Stores the geometry and block of m through attr. */                \
    VSIP_API void vsip_##P##getattrib_##S(const M *m, A *attr);                 \
    /** Sets the geometry of m from attr (its block field is ignored; not  \
        checked).  @return m. */                                           \
    VSIP_API M *vsip_##P##putattrib_##S(M *m, const A *attr);                   \
    /** @return the block m views. */                                      \
    VSIP_API B *vsip_##P##getblock_##S(const M *m);                             \
    /** @return the offset of m. */                                        \
    VSIP_API vsip_offset vsip_##P##getoffset_##S(const M *m);                   \
    /** @return the step between the columns of a row of m. */            \
    VSIP_API vsip_stride vsip_##P##getrowstride_##S(const M *m);                \
    /** @return the number of columns of m. */                             \
    VSIP_API vsip_length vsip_##P##getrowlength_##S(const M *m);                \
    /** @return the step between the rows of a column of m. */            \
    VSIP_API vsip_stride vsip_##P##getcolstride_##S(const M *m);                \
    /** @return the number of rows of m. */                                \
    VSIP_API vsip_length vsip_##P##getcollength_##S(const M *m);                \
    /** Sets the offset of m (not checked).  @return m. */                 \
    VSIP_API M *vsip_##P##putoffset_##S(M *m, vsip_offset offset);              \
    /** Sets the row stride of m (not checked).  @return m. */             \
    VSIP_API M *vsip_##P##putrowstride_##S(M *m, vsip_stride stride);           \
    /** Sets the number of columns of m (not checked).  @return m. */      \
    VSIP_API M *vsip_##P##putrowlength_##S(M *m, vsip_length length);           \
    /** Sets the column stride of m (not checked).  @return m. */          \
    VSIP_API M *vsip_##P##putcolstride_##S(M *m, vsip_stride stride);           \
    /** Sets the number of rows of m (not checked).  @return m. */         \
    VSIP_API M *vsip_##P##putcollength_##S(M *m, vsip_length length);

VSIP_MVIEW_API(m, f, vsip_scalar_f, vsip_block_f, vsip_mview_f, vsip_vview_f, vsip_mattr_f)
VSIP_MVIEW_API(cm, f, vsip_cscalar_f, vsip_cblock_f, vsip_cmview_f, vsip_cvview_f,
               vsip_cmattr_f)
#undef VSIP_MVIEW_API

/** @name Matrix part views
 * Real matrix views of the real and imaginary parts of a complex matrix.
 * @{ */
/** @return a new real view of the real (mrealview) or imaginary
 * (mimagview) parts of m, with its geometry, or null when memory cannot be
 * had. */
VSIP_API vsip_mview_f *vsip_mrealview_f(const vsip_cmview_f *m);
VSIP_API vsip_mview_f *vsip_mimagview_f(const vsip_cmview_f *m);
/** @} */

/* Integer, boolean and double-precision matrices. */
VSIP_MBASIC_API(m, i, vsip_block_i, vsip_mview_i)
VSIP_MBASIC_API(m, bl, vsip_block_bl, vsip_mview_bl)
VSIP_MBASIC_API(m, d, vsip_block_d, vsip_mview_d)
VSIP_MBASIC_API(cm, d, vsip_cblock_d, vsip_cmview_d)
#undef VSIP_MBASIC_API

/** @return element (i, j) of m (not checked). */
VSIP_API vsip_scalar_i vsip_mget_i(const vsip_mview_i *m, vsip_index i, vsip_index j);
/** @return the number of columns of m. */
VSIP_API vsip_length vsip_mgetrowlength_i(const vsip_mview_i *m);
/** @return the number of rows of m. */
VSIP_API vsip_length vsip_mgetcollength_i(const vsip_mview_i *m);


/* Double-precision matrices (more in the double-precision section). */
/** @return element (i, j) of m (not checked). */
VSIP_API vsip_scalar_d vsip_mget_d(const vsip_mview_d *m, vsip_index i, vsip_index j);
/** @return the number of columns of m. */
VSIP_API vsip_length vsip_mgetrowlength_d(const vsip_mview_d *m);
/** @return the number of rows of m. */
VSIP_API vsip_length vsip_mgetcollength_d(const vsip_mview_d *m);
/** @} */

/** @defgroup vsip_cscalar Complex scalars and matrix indices
 *
 * Single-precision arithmetic; products feeding a sum are fused.  Division
 * multiplies by the reciprocal conj(b) / |b|^2 without rescaling.  The
 * upper-case forms store the lower-case result through their last
 * argument.  None of them reports errors: overflow and division by zero
 * show in the values.
 * @{
 */

/** @return re + i im. */
VSIP_API vsip_cscalar_f vsip_cmplx_f(vsip_scalar_f re, vsip_scalar_f im);
/** @return re + i im, double precision. */
VSIP_API vsip_cscalar_d vsip_cmplx_d(vsip_scalar_d re, vsip_scalar_d im);
/** @return the real part of a. */
VSIP_API vsip_scalar_f vsip_real_f(vsip_cscalar_f a);
/** @return the imaginary part of a. */
VSIP_API vsip_scalar_f vsip_imag_f(vsip_cscalar_f a);
/** Stores re + i im through r. */
VSIP_API void vsip_CMPLX_f(vsip_scalar_f re, vsip_scalar_f im, vsip_cscalar_f *r);

/** @return the matrix index (row r, column c). */
VSIP_API vsip_scalar_mi vsip_matindex(vsip_index r, vsip_index c);
/** @return the row of mi. */
VSIP_API vsip_index vsip_mrowindex(vsip_scalar_mi mi);
/** @return the column of mi. */
VSIP_API vsip_index vsip_mcolindex(vsip_scalar_mi mi);
/** Stores the matrix index (row r, column c) through mi. */
VSIP_API void vsip_MATINDEX(vsip_index r, vsip_index c, vsip_scalar_mi *mi);

/** @return a + b. */
VSIP_API vsip_cscalar_f vsip_cadd_f(vsip_cscalar_f a, vsip_cscalar_f b);
/** @return a - b. */
VSIP_API vsip_cscalar_f vsip_csub_f(vsip_cscalar_f a, vsip_cscalar_f b);
/** @return a b, each part one fused multiply-add. */
VSIP_API vsip_cscalar_f vsip_cmul_f(vsip_cscalar_f a, vsip_cscalar_f b);
/** @return a conj(b). */
VSIP_API vsip_cscalar_f vsip_cjmul_f(vsip_cscalar_f a, vsip_cscalar_f b);
/** @return a / b, as a times the reciprocal of b. */
VSIP_API vsip_cscalar_f vsip_cdiv_f(vsip_cscalar_f a, vsip_cscalar_f b);
/** @return 1 / a = conj(a) / |a|^2 (no rescaling: parts above about
 * 1.8e19 overflow). */
VSIP_API vsip_cscalar_f vsip_crecip_f(vsip_cscalar_f a);
/** @return a / s for a real s. */
VSIP_API vsip_cscalar_f vsip_crdiv_f(vsip_cscalar_f a, vsip_scalar_f s);
/** @return a - s for a real s. */
VSIP_API vsip_cscalar_f vsip_crsub_f(vsip_cscalar_f a, vsip_scalar_f s);
/** @return s + a for a real s. */
VSIP_API vsip_cscalar_f vsip_rcadd_f(vsip_scalar_f s, vsip_cscalar_f a);
/** @return s - a for a real s. */
VSIP_API vsip_cscalar_f vsip_rcsub_f(vsip_scalar_f s, vsip_cscalar_f a);
/** @return s a for a real s. */
VSIP_API vsip_cscalar_f vsip_rcmul_f(vsip_scalar_f s, vsip_cscalar_f a);
/** @return -a (both signs flipped, zeros included). */
VSIP_API vsip_cscalar_f vsip_cneg_f(vsip_cscalar_f a);
/** @return the conjugate of a. */
VSIP_API vsip_cscalar_f vsip_conj_f(vsip_cscalar_f a);
/** @return |a|^2. */
VSIP_API vsip_scalar_f vsip_cmagsq_f(vsip_cscalar_f a);
/** @return |a|, the square root of |a|^2 (parts above about 1.8e19
 * overflow). */
VSIP_API vsip_scalar_f vsip_cmag_f(vsip_cscalar_f a);
/** @return the argument of a in [-pi, pi], atan2(imaginary, real). */
VSIP_API vsip_scalar_f vsip_arg_f(vsip_cscalar_f a);
/** Stores |a| through radius and its argument through angle. */
VSIP_API void vsip_polar_f(vsip_cscalar_f a, vsip_scalar_f *radius, vsip_scalar_f *angle);
/** @return radius e^(i angle). */
VSIP_API vsip_cscalar_f vsip_rect_f(vsip_scalar_f radius, vsip_scalar_f angle);
/** @return e^a. */
VSIP_API vsip_cscalar_f vsip_cexp_f(vsip_cscalar_f a);
/** @return the principal square root of a (real part not negative). */
VSIP_API vsip_cscalar_f vsip_csqrt_f(vsip_cscalar_f a);

/** @name Store-through forms
 * vsip_CADD_f(a, b, r) stores vsip_cadd_f(a, b) through r, and so on.
 * @{ */
/** Stores the result of the lower-case function of the same name through
 * r. */
VSIP_API void vsip_CADD_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r);
VSIP_API void vsip_CSUB_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r);
VSIP_API void vsip_CMUL_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r);
VSIP_API void vsip_CJMUL_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r);
VSIP_API void vsip_CDIV_f(vsip_cscalar_f a, vsip_cscalar_f b, vsip_cscalar_f *r);
VSIP_API void vsip_CRECIP_f(vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_CRDIV_f(vsip_cscalar_f a, vsip_scalar_f s, vsip_cscalar_f *r);
VSIP_API void vsip_CRSUB_f(vsip_cscalar_f a, vsip_scalar_f s, vsip_cscalar_f *r);
VSIP_API void vsip_RCADD_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_RCSUB_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_RCMUL_f(vsip_scalar_f s, vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_CNEG_f(vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_CONJ_f(vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_CEXP_f(vsip_cscalar_f a, vsip_cscalar_f *r);
VSIP_API void vsip_CSQRT_f(vsip_cscalar_f a, vsip_cscalar_f *r);
/** @} */
/** @} */

/** @defgroup vsip_binary Element-wise binary arithmetic
 *
 * The result view is the last view argument and sets the element count
 * (matrices: its rows and columns); operands are read for that many
 * elements.  A result may be the very same view as an operand.  Products
 * and quotients are single precision without special treatment of
 * infinities or scaling against overflow.  Views must not be null.
 * @{
 */

/** r = a + b. */
VSIP_API void vsip_vadd_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = a - b. */
VSIP_API void vsip_vsub_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = a b. */
VSIP_API void vsip_vmul_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = a / b. */
VSIP_API void vsip_vdiv_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = sqrt(a^2 + b^2), unscaled (overflows above about 1.8e19). */
VSIP_API void vsip_vhypot_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = alpha + b. */
VSIP_API void vsip_svadd_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = alpha - b. */
VSIP_API void vsip_svsub_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = alpha b. */
VSIP_API void vsip_svmul_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = alpha / b. */
VSIP_API void vsip_svdiv_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *r);
/** c = alpha b + (1 - alpha) c, with 1 - alpha rounded once. */
VSIP_API void vsip_vexpoavg_f(vsip_scalar_f alpha, const vsip_vview_f *b, const vsip_vview_f *c);

/** r = a + b. */
VSIP_API void vsip_cvadd_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a - b. */
VSIP_API void vsip_cvsub_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a b. */
VSIP_API void vsip_cvmul_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a x conjugate(b). */
VSIP_API void vsip_cvjmul_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a / b, as a times the reciprocal of b. */
VSIP_API void vsip_cvdiv_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = alpha + b. */
VSIP_API void vsip_csvadd_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = alpha - b. */
VSIP_API void vsip_csvsub_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = alpha b. */
VSIP_API void vsip_csvmul_f(vsip_cscalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** c = alpha b + (1 - alpha) c, both parts with the real alpha. */
VSIP_API void vsip_cvexpoavg_f(vsip_scalar_f alpha, const vsip_cvview_f *b,
                               const vsip_cvview_f *c);

/** r = a + b for real a. */
VSIP_API void vsip_rcvadd_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a - b for real a. */
VSIP_API void vsip_rcvsub_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a b for real a. */
VSIP_API void vsip_rcvmul_f(const vsip_vview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = a - b for real b. */
VSIP_API void vsip_crvsub_f(const vsip_cvview_f *a, const vsip_vview_f *b, const vsip_cvview_f *r);
/** r = alpha + b for real alpha. */
VSIP_API void vsip_rscvadd_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = alpha - b for real alpha. */
VSIP_API void vsip_rscvsub_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);
/** r = alpha b for real alpha. */
VSIP_API void vsip_rscvmul_f(vsip_scalar_f alpha, const vsip_cvview_f *b, const vsip_cvview_f *r);

/** R = A - B. */
VSIP_API void vsip_msub_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *R);
/** R = A - B with 32-bit two's-complement wrap-around. */
VSIP_API void vsip_msub_i(const vsip_mview_i *A, const vsip_mview_i *B, const vsip_mview_i *R);
/** R = A - B. */
VSIP_API void vsip_cmsub_f(const vsip_cmview_f *A, const vsip_cmview_f *B, const vsip_cmview_f *R);
/** R = alpha B. */
VSIP_API void vsip_smmul_f(vsip_scalar_f alpha, const vsip_mview_f *B, const vsip_mview_f *R);
/** R = alpha B. */
VSIP_API void vsip_csmmul_f(vsip_cscalar_f alpha, const vsip_cmview_f *B, const vsip_cmview_f *R);
/** VSIP_ROW: R[i][j] = a[j] B[i][j]; VSIP_COL: R[i][j] = a[i] B[i][j]. */
VSIP_API void vsip_cvmmul_f(const vsip_cvview_f *a, const vsip_cmview_f *B, vsip_major major,
                            const vsip_cmview_f *R);
/** @} */

/** @defgroup vsip_ternary Element-wise ternary arithmetic
 *
 * Operands in formula order, result last.  The real multiply-add forms are
 * one fused multiply-add (rounded once); the add-multiply forms round the
 * sum before the product.  The result view sets the element count, as for
 * the binary operations; views must not be null.
 * @{
 */

/** r = (a + b) c. */
VSIP_API void vsip_vam_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                         const vsip_vview_f *r);
/** r = (a - b) c. */
VSIP_API void vsip_vsbm_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                          const vsip_vview_f *r);
/** r = (a + beta) c. */
VSIP_API void vsip_vsam_f(const vsip_vview_f *a, vsip_scalar_f beta, const vsip_vview_f *c,
                          const vsip_vview_f *r);
/** r = a b + c. */
VSIP_API void vsip_vma_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                         const vsip_vview_f *r);
/** r = a b - c. */
VSIP_API void vsip_vmsb_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *c,
                          const vsip_vview_f *r);
/** r = a b + beta. */
VSIP_API void vsip_vmsa_f(const vsip_vview_f *a, const vsip_vview_f *b, vsip_scalar_f beta,
                          const vsip_vview_f *r);
/** r = a beta + c. */
VSIP_API void vsip_vsma_f(const vsip_vview_f *a, vsip_scalar_f beta, const vsip_vview_f *c,
                          const vsip_vview_f *r);
/** r = a beta + gamma. */
VSIP_API void vsip_vsmsa_f(const vsip_vview_f *a, vsip_scalar_f beta, vsip_scalar_f gamma,
                           const vsip_vview_f *r);

/** r = (a + b) c. */
VSIP_API void vsip_cvam_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                          const vsip_cvview_f *r);
/** r = (a - b) c. */
VSIP_API void vsip_cvsbm_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                           const vsip_cvview_f *r);
/** r = (a + beta) c. */
VSIP_API void vsip_cvsam_f(const vsip_cvview_f *a, vsip_cscalar_f beta, const vsip_cvview_f *c,
                           const vsip_cvview_f *r);
/** r = a b + c. */
VSIP_API void vsip_cvma_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                          const vsip_cvview_f *r);
/** r = a b - c. */
VSIP_API void vsip_cvmsb_f(const vsip_cvview_f *a, const vsip_cvview_f *b, const vsip_cvview_f *c,
                           const vsip_cvview_f *r);
/** r = a b + beta. */
VSIP_API void vsip_cvmsa_f(const vsip_cvview_f *a, const vsip_cvview_f *b, vsip_cscalar_f beta,
                           const vsip_cvview_f *r);
/** r = a beta + c. */
VSIP_API void vsip_cvsma_f(const vsip_cvview_f *a, vsip_cscalar_f beta, const vsip_cvview_f *c,
                           const vsip_cvview_f *r);
/** r = a beta + gamma. */
VSIP_API void vsip_cvsmsa_f(const vsip_cvview_f *a, vsip_cscalar_f beta, vsip_cscalar_f gamma,
                            const vsip_cvview_f *r);
/** @} */

/** @defgroup vsip_unary Unary functions, elementary functions and reductions
 *
 * Operand views first, result view last; n is the result's length (matrix
 * forms: its rows and columns).  Unit-stride views of stand-alone real or
 * split complex blocks take a contiguous pass (the real elementary
 * functions through the array functions of the vector math library);
 * other views a strided pass that evaluates each element in double
 * precision and rounds it to float.  In-place use is supported.  Views
 * must not be null; domain errors show only in the values (NaN,
 * infinities).
 * @{
 */

#define VSIP_UNARY_F(name) \
    VSIP_API void vsip_##name##_f(const vsip_vview_f *a, const vsip_vview_f *r);
/** @name Real unary functions
 * r[j] = f(a[j]) for j below the length of r:
 *
 * | Function | f(x) |
 * |---|---|
 * | vsip_vacos_f, vsip_vasin_f, vsip_vatan_f | inverse cosine, sine, tangent |
 * | vsip_vcos_f, vsip_vsin_f, vsip_vtan_f | cosine, sine, tangent (radians) |
 * | vsip_vexp_f, vsip_vexp10_f | e^x, 10^x |
 * | vsip_vlog_f, vsip_vlog10_f | natural and base-10 logarithm |
 * | vsip_vsq_f, vsip_vsqrt_f, vsip_vrsqrt_f | x^2, square root, 1 / square root |
 * | vsip_vrecip_f, vsip_vmag_f, vsip_vneg_f | 1 / x, \|x\|, -x |
 * @{ */
/** r = f(a) element by element, f named by the function (see the table
 * of the group). */
VSIP_UNARY_F(vacos)
VSIP_UNARY_F(vasin)
VSIP_UNARY_F(vatan)
VSIP_UNARY_F(vcos)
VSIP_UNARY_F(vsin)
VSIP_UNARY_F(vtan)
VSIP_UNARY_F(vexp)
VSIP_UNARY_F(vexp10)
VSIP_UNARY_F(vlog)
VSIP_UNARY_F(vlog10)
VSIP_UNARY_F(vsq)
VSIP_UNARY_F(vsqrt)
VSIP_UNARY_F(vrsqrt)
VSIP_UNARY_F(vrecip)
VSIP_UNARY_F(vmag)
VSIP_UNARY_F(vneg)
/** @} */
#undef VSIP_UNARY_F
/** r = atan2(a, b): the angle of (b, a), ordinate a first. */
VSIP_API void vsip_vatan2_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** R = |A| element by element. */
VSIP_API void vsip_mmag_f(const vsip_mview_f *A, const vsip_mview_f *R);

#define VSIP_CUNARY_F(name) \
    VSIP_API void vsip_##name##_f(const vsip_cvview_f *a, const vsip_cvview_f *r);
/** @name Complex unary functions
 * r = conj(a), -a, 1/a, e^a, the principal ln(a) or the principal square
 * root of a, element by element (vsip_cvconj_f, vsip_cvneg_f,
 * vsip_cvrecip_f, vsip_cvexp_f, vsip_cvlog_f, vsip_cvsqrt_f).
 * @{ */
/** r = f(a) element by element, f named by the function (see the
 * group). */
VSIP_CUNARY_F(cvconj)
VSIP_CUNARY_F(cvneg)
VSIP_CUNARY_F(cvrecip)
VSIP_CUNARY_F(cvexp)
VSIP_CUNARY_F(cvlog)
VSIP_CUNARY_F(cvsqrt)
/** @} */
#undef VSIP_CUNARY_F
/** R = conj(A) element by element. */
VSIP_API void vsip_cmconj_f(const vsip_cmview_f *A, const vsip_cmview_f *R);
/** r = |a|^2 element by element (real result). */
VSIP_API void vsip_vcmagsq_f(const vsip_cvview_f *a, const vsip_vview_f *r);
/** r = |a| element by element (real result). */
VSIP_API void vsip_cvmag_f(const vsip_cvview_f *a, const vsip_vview_f *r);
/** R = |A| element by element (real result). */
VSIP_API void vsip_cmmag_f(const vsip_cmview_f *A, const vsip_mview_f *R);
/** r = e^(i a) = cos a + i sin a element by element. */
VSIP_API void vsip_veuler_f(const vsip_vview_f *a, const vsip_cvview_f *r);

/** @name Reductions
 * Sums of an empty view are 0; means of an empty view are NaN.
 * @{ */
/** @return the sum of the elements of a. */
VSIP_API vsip_scalar_f vsip_vsumval_f(const vsip_vview_f *a);
/** @return the sum of the squares of the elements of a. */
VSIP_API vsip_scalar_f vsip_vsumsqval_f(const vsip_vview_f *a);
/** @return the mean of the elements of a. */
VSIP_API vsip_scalar_f vsip_vmeanval_f(const vsip_vview_f *a);
/** @return the mean of the squares of the elements of a. */
VSIP_API vsip_scalar_f vsip_vmeansqval_f(const vsip_vview_f *a);
/** @return the sum of the elements of matrix a. */
VSIP_API vsip_scalar_f vsip_msumval_f(const vsip_mview_f *a);
/** @return the mean of the elements of a. */
VSIP_API vsip_cscalar_f vsip_cvmeanval_f(const vsip_cvview_f *a);
/** @return the mean of |a[j]|^2. */
VSIP_API vsip_scalar_f vsip_cvmeansqval_f(const vsip_cvview_f *a);
/** @} */
/** @} */

/** @defgroup vsip_copy Copy, fill, ramp, comparison, selection and clipping
 *
 * Source first, destination last; an empty destination is left untouched.
 * Float to integer copies truncate toward zero (out of range:
 * 0x80000000); integer to index copies sign-extend.  Boolean results hold
 * 1 for true and 0 for false.  The destination sets the element count;
 * views must not be null.
 * @{
 */

/** @name Copies
 * vsip_[c][v|m]copy_X_Y copies view a of element type X into view r of
 * element type Y, converting each element.
 * @{ */
/** r = a, converted element by element (see the group and the topic for
 * the conversions). */
VSIP_API void vsip_vcopy_f_f(const vsip_vview_f *a, const vsip_vview_f *r);
VSIP_API void vsip_vcopy_f_i(const vsip_vview_f *a, const vsip_vview_i *r);
/** r = a truncated toward zero, as the float to integer copy: false for
 * -1 < a < 1, otherwise the truncated value (not normalised to 1). */
VSIP_API void vsip_vcopy_f_bl(const vsip_vview_f *a, const vsip_vview_bl *r);
VSIP_API void vsip_vcopy_i_i(const vsip_vview_i *a, const vsip_vview_i *r);
VSIP_API void vsip_vcopy_i_f(const vsip_vview_i *a, const vsip_vview_f *r);
VSIP_API void vsip_vcopy_i_vi(const vsip_vview_i *a, const vsip_vview_vi *r);
VSIP_API void vsip_vcopy_bl_bl(const vsip_vview_bl *a, const vsip_vview_bl *r);
/** r = a as float (the stored boolean value). */
VSIP_API void vsip_vcopy_bl_f(const vsip_vview_bl *a, const vsip_vview_f *r);
VSIP_API void vsip_vcopy_vi_vi(const vsip_vview_vi *a, const vsip_vview_vi *r);
/** r = the low 32 bits of a, as a signed integer. */
VSIP_API void vsip_vcopy_vi_i(const vsip_vview_vi *a, const vsip_vview_i *r);
VSIP_API void vsip_vcopy_mi_mi(const vsip_vview_mi *a, const vsip_vview_mi *r);
VSIP_API void vsip_cvcopy_f_f(const vsip_cvview_f *a, const vsip_cvview_f *r);
VSIP_API void vsip_mcopy_f_f(const vsip_mview_f *A, const vsip_mview_f *R);
VSIP_API void vsip_mcopy_f_i(const vsip_mview_f *A, const vsip_mview_i *R);
VSIP_API void vsip_mcopy_i_i(const vsip_mview_i *A, const vsip_mview_i *R);
VSIP_API void vsip_mcopy_i_f(const vsip_mview_i *A, const vsip_mview_f *R);
VSIP_API void vsip_cmcopy_f_f(const vsip_cmview_f *A, const vsip_cmview_f *R);
/** @} */

/** Sets every element of r to alpha. */
VSIP_API void vsip_vfill_f(vsip_scalar_f alpha, const vsip_vview_f *r);
/** Sets every element of r to alpha. */
VSIP_API void vsip_cvfill_f(vsip_cscalar_f alpha, const vsip_cvview_f *r);
/** Sets every element of R to alpha. */
VSIP_API void vsip_mfill_f(vsip_scalar_f alpha, const vsip_mview_f *R);
/** Sets every element of R to alpha. */
VSIP_API void vsip_cmfill_f(vsip_cscalar_f alpha, const vsip_cmview_f *R);
/** r[j] = alpha + j x beta, each element formed from its index. */
VSIP_API void vsip_vramp_f(vsip_scalar_f alpha, vsip_scalar_f beta, const vsip_vview_f *r);

/** r = a + i b: real parts from a, imaginary parts from b. */
VSIP_API void vsip_vcmplx_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_cvview_f *r);
/** r = the real parts of a. */
VSIP_API void vsip_vreal_f(const vsip_cvview_f *a, const vsip_vview_f *r);
/** r = the imaginary parts of a. */
VSIP_API void vsip_vimag_f(const vsip_cvview_f *a, const vsip_vview_f *r);

#define VSIP_COMPARE_F(name) \
    VSIP_API void vsip_##name##_f(const vsip_vview_f *a, const vsip_vview_f *b, \
                                  const vsip_vview_bl *r);
/** @name Comparisons
 * r[j] = 1 when a[j] op b[j], else 0: vsip_vleq_f ==, vsip_vlne_f !=,
 * vsip_vlge_f >=, vsip_vlgt_f >, vsip_vlle_f <=, vsip_vllt_f <.  Any
 * comparison with NaN is false except !=.
 * @{ */
/** r = (a op b) element by element, op named by the function (see the
 * group). */
VSIP_COMPARE_F(vleq)
VSIP_COMPARE_F(vlne)
VSIP_COMPARE_F(vlge)
VSIP_COMPARE_F(vlgt)
VSIP_COMPARE_F(vlle)
VSIP_COMPARE_F(vllt)
/** @} */
#undef VSIP_COMPARE_F
/** r = (a == b) element by element. */
VSIP_API void vsip_vleq_i(const vsip_vview_i *a, const vsip_vview_i *b, const vsip_vview_bl *r);
/** r = (a == b) element by element. */
VSIP_API void vsip_vleq_vi(const vsip_vview_vi *a, const vsip_vview_vi *b, const vsip_vview_bl *r);
/** R = (A == B) element by element. */
VSIP_API void vsip_mleq_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_bl *R);
/** R = (A == B) element by element. */
VSIP_API void vsip_mleq_i(const vsip_mview_i *A, const vsip_mview_i *B, const vsip_mview_bl *R);
/** @name All true
 * @{ */
/** @return 1 when every element is nonzero (also for an empty view),
 * else 0. */
VSIP_API vsip_scalar_bl vsip_valltrue_bl(const vsip_vview_bl *a);
VSIP_API vsip_scalar_bl vsip_malltrue_bl(const vsip_mview_bl *A);
/** @} */

/** r = c1 if a <= t1; a if a < t2; else c2. */
VSIP_API void vsip_vclip_f(const vsip_vview_f *a, vsip_scalar_f t1, vsip_scalar_f t2,
                           vsip_scalar_f c1, vsip_scalar_f c2, const vsip_vview_f *r);
/** R = c1 where A <= t1, A where A < t2, else c2 (as vsip_vclip_f). */
VSIP_API void vsip_mclip_f(const vsip_mview_f *A, vsip_scalar_f t1, vsip_scalar_f t2,
                           vsip_scalar_f c1, vsip_scalar_f c2, const vsip_mview_f *R);
/** r = a if a < t1; c1 if a < t2; c2 if a <= t3; else a. */
VSIP_API void vsip_vinvclip_f(const vsip_vview_f *a, vsip_scalar_f t1, vsip_scalar_f t2,
                              vsip_scalar_f t3, vsip_scalar_f c1, vsip_scalar_f c2,
                              const vsip_vview_f *r);

/** r = the larger of a and b (a NaN in either gives NaN). */
VSIP_API void vsip_vmax_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = the smaller of a and b (a NaN in either gives NaN). */
VSIP_API void vsip_vmin_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = the larger of |a| and |b|. */
VSIP_API void vsip_vmaxmg_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = the smaller of |a| and |b|. */
VSIP_API void vsip_vminmg_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r);
/** r = the larger of |a|^2 and |b|^2. */
VSIP_API void vsip_vcmaxmgsq_f(const vsip_cvview_f *a, const vsip_cvview_f *b,
                               const vsip_vview_f *r);
/** r = the smaller of |a|^2 and |b|^2. */
VSIP_API void vsip_vcminmgsq_f(const vsip_cvview_f *a, const vsip_cvview_f *b,
                               const vsip_vview_f *r);

/** @name Extreme values
 * Extreme value of a view of at least one element; its index is stored
 * through `index` unless that is null (the first of equal values on a
 * strided view).  An empty view gives the search's start value with index
 * 0: -infinity (maxval), +infinity (minval, minmgval, cminmgsqval) or 0
 * (maxmgval, cmaxmgsqval).
 * @{ */
/** @return the largest a[j]. */
VSIP_API vsip_scalar_f vsip_vmaxval_f(const vsip_vview_f *a, vsip_index *index);
/** @return the smallest a[j]. */VSIP_API vsip_scalar_f vsip_vminval_f(const vsip_vview_f *a, vsip_index *index);
/** @return the largest |a[j]|. */
VSIP_API vsip_scalar_f vsip_vmaxmgval_f(const vsip_vview_f *a, vsip_index *index);
/** @return the smallest |a[j]|. */
VSIP_API vsip_scalar_f vsip_vminmgval_f(const vsip_vview_f *a, vsip_index *index);
/** @return the largest |a[j]|^2. */
VSIP_API vsip_scalar_f vsip_vcmaxmgsqval_f(const vsip_cvview_f *a, vsip_index *index);
/** @return the smallest |a[j]|^2. */
VSIP_API vsip_scalar_f vsip_vcminmgsqval_f(const vsip_cvview_f *a, vsip_index *index);
/** @} */
/** @} */

/** @defgroup vsip_fft FFT
 *
 * One-dimensional FFTs on FFTW: complex in place (ccfftip) and out of place
 * (ccfftop), real-to-complex (rcfftop) and complex-to-real (crfftop).  The
 * forward transform (VSIP_FFT_FWD) uses the kernel e^(-2 pi i jk/N), the
 * inverse e^(+2 pi i jk/N); no 1/N factor is applied, only the object's
 * scale (skipped when it is exactly 1).  The real forms transform N rounded
 * down to even, 2h with h = N/2: rcfftop reads x[0 .. 2h-1] and writes the
 * h+1 bins y[0 .. h]; crfftop reads x[0 .. h] and writes y[0 .. 2h-1].
 * Views may have any offset and stride and must hold at least the lengths
 * vsip_fft_getattr_f reports: an object of another kind than the execute
 * function's, or a shorter view, is reported at ERROR level and the output
 * is left untouched.  Unit-stride interleaved views (and split views whose
 * imaginary parts follow the N real parts) in the alignment of FFTW's own
 * buffers are transformed in place, other views through the object's
 * buffers; the values agree up to rounding.  The scaling pass covers the
 * whole result view of ccfftip, ccfftop and crfftop, and exactly the h+1
 * written bins of rcfftop.  A dir other than VSIP_FFT_FWD plans an inverse transform.  Hint
 * VSIP_ALG_SPACE plans with FFTW_MEASURE, every other hint with
 * FFTW_ESTIMATE.  The creators log "fft backend is FFTW." at DEBUG level.
 *
 * A creator returns null for N of 0 (below 2 for the real forms) or above
 * INT_MAX, and when memory, an FFTW buffer or a plan cannot be had.
 *
 * Threads: any thread may create, execute and destroy objects at any time;
 * the library serialises its calls of the FFTW planner internally (an
 * application that calls the FFTW planner itself from other threads must
 * still not do so while the library creates or destroys FFT objects).  One
 * object must not be executed by two threads at once (its buffers are
 * shared by its calls).
 * @{
 */

typedef struct vsip_fft_f vsip_fft_f; /**< Opaque one-dimensional FFT object. */

/** Attributes of an FFT object (vsip_fft_getattr_f). */
typedef struct vsip_fft_attr_f {
    vsip_scalar_vi input;  /**< input length */
    vsip_scalar_vi output; /**< output length */
    vsip_fft_place place;  /**< in place or out of place */
    vsip_scalar_f scale;   /**< factor applied to every result */
    vsip_fft_dir dir;      /**< direction */
} vsip_fft_attr_f;

/** Creates an in-place complex FFT of length N with scale and direction
 * dir (ntimes, the expected number of calls, is only recorded).
 * @return the object, or null (see the topic). */
VSIP_API vsip_fft_f *vsip_ccfftip_create_f(vsip_length N, vsip_scalar_f scale, vsip_fft_dir dir,
                                           vsip_length ntimes, vsip_alg_hint hint);
/** Creates an out-of-place complex FFT of length N.  @return the object,
 * or null (see the topic). */
VSIP_API vsip_fft_f *vsip_ccfftop_create_f(vsip_length N, vsip_scalar_f scale, vsip_fft_dir dir,
                                           vsip_length ntimes, vsip_alg_hint hint);
/** Creates a forward real-to-complex FFT of N real inputs (N rounded
 * down to even, 2h) and h+1 complex outputs.  @return the object, or null
 * (see the topic). */
VSIP_API vsip_fft_f *vsip_rcfftop_create_f(vsip_length N, vsip_scalar_f scale,
                                           vsip_length ntimes, vsip_alg_hint hint);
/** Creates an inverse complex-to-real FFT of h+1 complex inputs and 2h
 * real outputs, h = N/2.  @return the object, or null (see the topic). */
VSIP_API vsip_fft_f *vsip_crfftop_create_f(vsip_length N, vsip_scalar_f scale,
                                           vsip_length ntimes, vsip_alg_hint hint);
/** Transforms xy in place with an in-place complex FFT object. */
VSIP_API void vsip_ccfftip_f(const vsip_fft_f *fft, const vsip_cvview_f *xy);
/** y = the transform of x, with an out-of-place complex FFT object. */
VSIP_API void vsip_ccfftop_f(const vsip_fft_f *fft, const vsip_cvview_f *x,
                             const vsip_cvview_f *y);
/** y[0 .. h] = the half spectrum of the real x[0 .. 2h-1]. */
VSIP_API void vsip_rcfftop_f(const vsip_fft_f *fft, const vsip_vview_f *x,
                             const vsip_cvview_f *y);
/** y[0 .. 2h-1] = the real signal of the half spectrum x[0 .. h]. */
VSIP_API void vsip_crfftop_f(const vsip_fft_f *fft, const vsip_cvview_f *x,
                             const vsip_vview_f *y);
/** Stores the attributes of fft through attr. */
VSIP_API void vsip_fft_getattr_f(const vsip_fft_f *fft, vsip_fft_attr_f *attr);
/** Destroys an FFT object.  Accepts null.  @return 0. */
VSIP_API int vsip_fft_destroy_f(vsip_fft_f *fft);
/** @} */

/** @defgroup vsip_fftm Multiple FFT
 *
 * The FFT of every row (major VSIP_ROW) or every column (VSIP_COL) of an
 * M x N matrix, with the transforms, scaling, hints and creation failures
 * of the single FFT above.  The real forms transform lines of length 2h,
 * h = floor(line length / 2); their half spectra are (count, h+1) by rows
 * and (h+1, count) by columns.  The lines share one set of FFTW plans;
 * execution splits them into contiguous runs, one per buffer pair (as many
 * as the processors or the OpenMP thread limit at creation, whichever is
 * larger), spread over OpenMP threads; one run, or a call from inside an
 * active OpenMP parallel region, runs on the calling thread.  Lines laid
 * out as the single FFT transforms in place are transformed in place.  The
 * number of lines is that of the output matrix (ccfftmop, rcfftmop) or the
 * input matrix (ccfftmip, crfftmop), at most the object's count; matrices
 * with fewer or shorter lines than the object needs are reported at ERROR
 * level and left untouched.  Threads as for the single FFT.
 * @{
 */

typedef struct vsip_fftm_f vsip_fftm_f; /**< Opaque multiple-FFT object. */

/** Attributes of a multiple-FFT object (vsip_fftm_getattr_f). */
typedef struct vsip_fftm_attr_f {
    vsip_scalar_mi input;  /**< input rows, columns */
    vsip_scalar_mi output; /**< output rows, columns */
    vsip_fft_place place;  /**< in place or out of place */
    vsip_scalar_f scale;   /**< factor applied to every result */
    vsip_fft_dir dir;      /**< direction */
    vsip_major major;      /**< VSIP_ROW: transforms of rows; VSIP_COL: of columns */
} vsip_fftm_attr_f;

/** Creates in-place complex FFTs of the rows or columns (major) of an M x
 * N matrix.  @return the object, or null (as the single FFT). */
VSIP_API vsip_fftm_f *vsip_ccfftmip_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_fft_dir dir, vsip_major major,
                                             vsip_length ntimes, vsip_alg_hint hint);
/** Creates out-of-place complex FFTs of the lines of an M x N matrix.
 * @return the object, or null (as the single FFT). */
VSIP_API vsip_fftm_f *vsip_ccfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_fft_dir dir, vsip_major major,
                                             vsip_length ntimes, vsip_alg_hint hint);
/** Creates forward real-to-complex FFTs of the lines of a real M x N
 * matrix.  @return the object, or null (as the single FFT). */
VSIP_API vsip_fftm_f *vsip_rcfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_major major, vsip_length ntimes,
                                             vsip_alg_hint hint);
/** Creates inverse complex-to-real FFTs giving the lines of a real M x N
 * matrix.  @return the object, or null (as the single FFT). */
VSIP_API vsip_fftm_f *vsip_crfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_major major, vsip_length ntimes,
                                             vsip_alg_hint hint);
/** Transforms every line of XY in place. */
VSIP_API void vsip_ccfftmip_f(const vsip_fftm_f *fftm, const vsip_cmview_f *XY);
/** Y = the transforms of the lines of X. */
VSIP_API void vsip_ccfftmop_f(const vsip_fftm_f *fftm, const vsip_cmview_f *X,
                              const vsip_cmview_f *Y);
/** Y = the half spectra of the real lines of X. */
VSIP_API void vsip_rcfftmop_f(const vsip_fftm_f *fftm, const vsip_mview_f *X,
                              const vsip_cmview_f *Y);
/** Y = the real lines of the half spectra in X. */
VSIP_API void vsip_crfftmop_f(const vsip_fftm_f *fftm, const vsip_cmview_f *X,
                              const vsip_mview_f *Y);
/** Stores the attributes of fftm through attr. */
VSIP_API void vsip_fftm_getattr_f(const vsip_fftm_f *fftm, vsip_fftm_attr_f *attr);
/** Destroys a multiple-FFT object.  Accepts null.  @return 0. */
VSIP_API int vsip_fftm_destroy_f(vsip_fftm_f *fftm);
/** @} */

/** @defgroup vsip_dot Dot and matrix-vector products
 *
 * Sums in single precision; an empty vector gives 0.  vdot and the
 * matrix-vector products use CBLAS where it can address the views.  The
 * lengths are taken from the views (the first operand's for the dot
 * products, A's rows and columns for the matrix-vector products) and not
 * checked; views must not be null.
 * @{
 */

/** @return the sum of a[i] b[i]. */
VSIP_API vsip_scalar_f vsip_vdot_f(const vsip_vview_f *a, const vsip_vview_f *b);
/** @return the sum of a[i] b[i] (no conjugation). */
VSIP_API vsip_cscalar_f vsip_cvdot_f(const vsip_cvview_f *a, const vsip_cvview_f *b);
/** @return the sum of a[i] conj(b[i]). */
VSIP_API vsip_cscalar_f vsip_cvjdot_f(const vsip_cvview_f *a, const vsip_cvview_f *b);
/** y = A x. */
VSIP_API void vsip_mvprod_f(const vsip_mview_f *A, const vsip_vview_f *x, const vsip_vview_f *y);
/** y = x^T A. */
VSIP_API void vsip_vmprod_f(const vsip_vview_f *x, const vsip_mview_f *A, const vsip_vview_f *y);
/** @} */

/** @defgroup vsip_mprod Matrix products
 *
 * C = op(A) op(B) (times alpha, plus beta C for the general forms) on the
 * CBLAS library the application links.  Views of any layout are accepted:
 * operands CBLAS cannot address in place are copied into temporaries
 * (logged at INFO level) or computed by the library's own loops.  Sizes
 * are taken from the views and not checked.
 * @{
 */

/** C = A B. */
VSIP_API void vsip_mprod_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *C);
/** C = A B^T. */
VSIP_API void vsip_mprodt_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *C);
/** C = alpha op(A) op(B) + beta C.  Only VSIP_MAT_TRANS transposes a real
 * operand (VSIP_MAT_HERM and VSIP_MAT_CONJ leave it as it is). */
VSIP_API void vsip_gemp_f(vsip_scalar_f alpha, const vsip_mview_f *A, vsip_mat_op OpA,
                          const vsip_mview_f *B, vsip_mat_op OpB, vsip_scalar_f beta,
                          const vsip_mview_f *C);
/** C = A B. */
VSIP_API void vsip_cmprod_f(const vsip_cmview_f *A, const vsip_cmview_f *B,
                            const vsip_cmview_f *C);
/** C = alpha op(A) op(B) + beta C: VSIP_MAT_TRANS transposes,
 * VSIP_MAT_HERM transposes and conjugates, VSIP_MAT_CONJ conjugates. */
VSIP_API void vsip_cgemp_f(vsip_cscalar_f alpha, const vsip_cmview_f *A, vsip_mat_op OpA,
                           const vsip_cmview_f *B, vsip_mat_op OpB, vsip_cscalar_f beta,
                           const vsip_cmview_f *C);

/** @name Matrix sums
 * @{ */
/** C = alpha op(A) + beta C.  When op(A) and C differ in shape, an ERROR
 * line is logged and C is left unchanged. */
VSIP_API void vsip_gems_f(vsip_scalar_f alpha, const vsip_mview_f *A, vsip_mat_op OpA,
                          vsip_scalar_f beta, const vsip_mview_f *C);
VSIP_API void vsip_cgems_f(vsip_cscalar_f alpha, const vsip_cmview_f *A, vsip_mat_op OpA,
                           vsip_cscalar_f beta, const vsip_cmview_f *C);
/** @} */
/** @} */

/** @defgroup vsip_double Double-precision matrices
 *
 * Element access of the double-precision matrices (created and bound in
 * the views section), and their products.
 * @{
 */

/** Stores value as element (i, j) of m (not checked). */
VSIP_API void vsip_mput_d(const vsip_mview_d *m, vsip_index i, vsip_index j, vsip_scalar_d value);
/** @return element (i, j) of m (not checked). */
VSIP_API vsip_cscalar_d vsip_cmget_d(const vsip_cmview_d *m, vsip_index i, vsip_index j);
/** Stores value as element (i, j) of m (not checked). */
VSIP_API void vsip_cmput_d(const vsip_cmview_d *m, vsip_index i, vsip_index j,
                           vsip_cscalar_d value);

/** @name Double-precision matrix products
 * CBLAS when it can address the three views in place (complex:
 * interleaved storage), the library's own loops otherwise.
 * @{ */
/** C = A B (sizes taken from the views, not checked). */
VSIP_API void vsip_mprod_d(const vsip_mview_d *A, const vsip_mview_d *B, const vsip_mview_d *C);
VSIP_API void vsip_cmprod_d(const vsip_cmview_d *A, const vsip_cmview_d *B,
                            const vsip_cmview_d *C);
/** @} */
/** @} */

/** @defgroup vsip_random Random numbers
 *
 * A state produces one reproducible sequence.  VSIP_PRNG: the same values
 * on every platform, an independent sequence per id 1..100 of numseqs
 * cooperating users.  VSIP_NPRNG: one sequence leapfrogged among numseqs
 * users (id 1..numseqs).  Create returns null when memory cannot be had,
 * for numseqs 0 and for a VSIP_PRNG id outside 1..100; the seed, numseqs
 * and id count modulo 2^32.  Uniform numbers lie in (0, 1) (VSIP_PRNG) or
 * [0, 1]; normal numbers are centred sums of 12 uniform numbers (complex:
 * 6, variance 1/2 per part).  One state serves one thread at a time.
 * @{
 */

typedef struct vsip_randstate vsip_randstate; /**< Opaque random-number state. */

/** Creates a state for user id of numseqs, seeded with seed, of the
 * portable or non-portable kind.  @return the state, or null (see the
 * topic). */
VSIP_API vsip_randstate *vsip_randcreate(vsip_index seed, vsip_index numseqs, vsip_index id,
                                         vsip_rng portable);
/** Destroys a state.  Accepts null.  @return 0. */
VSIP_API int vsip_randdestroy(vsip_randstate *state);
/** @return the next uniform number of state. */
VSIP_API vsip_scalar_f vsip_randu_f(vsip_randstate *state);
/** @return a complex number of two uniform parts (real part first). */
VSIP_API vsip_cscalar_f vsip_crandu_f(vsip_randstate *state);
/** Fills r with uniform numbers, in element order. */
VSIP_API void vsip_vrandu_f(vsip_randstate *state, const vsip_vview_f *r);
/** @return the next normal number of state. */
VSIP_API vsip_scalar_f vsip_randn_f(vsip_randstate *state);
/** @return a complex normal number (variance 1/2 per part). */
VSIP_API vsip_cscalar_f vsip_crandn_f(vsip_randstate *state);
/** Fills r with complex normal numbers, in element order. */
VSIP_API void vsip_cvrandn_f(vsip_randstate *state, const vsip_cvview_f *r);
/** @} */

/** @defgroup vsip_windows Windows and histogram
 *
 * Each window creator returns a new vector of
 * length N (offset 0, stride 1) holding the window, or null when it cannot
 * be made; the caller owns it.  A window of length 1 is [1].  The Kaiser
 * window stays finite for every beta; the Dolph-Chebyshev window (ripple
 * in decibels) is computed with double-precision intermediates.
 * vsip_vhisto_f counts the elements of a into the bins of r (bin 0 below
 * min_bin, the last bin at and above max_bin); VSIP_HIST_RESET clears r
 * first, VSIP_HIST_ACCUM adds to it.  NaN elements are not counted.
 * @{
 */
/** @return a new Blackman window of length N, or null. */
VSIP_API vsip_vview_f *vsip_vcreate_blackman_f(vsip_length N, vsip_memory_hint hint);
/** @return a new Hanning window of length N, or null. */
VSIP_API vsip_vview_f *vsip_vcreate_hanning_f(vsip_length N, vsip_memory_hint hint);
/** @return a new Kaiser window of length N and shape beta, or null. */
VSIP_API vsip_vview_f *vsip_vcreate_kaiser_f(vsip_length N, vsip_scalar_f beta,
                                             vsip_memory_hint hint);
/** @return a new Dolph-Chebyshev window of length N with side-lobe
 * ripple in decibels, or null. */
VSIP_API vsip_vview_f *vsip_vcreate_cheby_f(vsip_length N, vsip_scalar_f ripple,
                                            vsip_memory_hint hint);
/** Counts the elements of a into the bins of r, as the topic says. */
VSIP_API void vsip_vhisto_f(const vsip_vview_f *a, vsip_scalar_f min_bin, vsip_scalar_f max_bin,
                            vsip_hist_opt opt, const vsip_vview_f *r);
/** @} */

/** @defgroup vsip_fir FIR filters
 *
 * y[n] = sum over k of h[k] x[p + nD - k] for a kernel h of
 * length M (the caller's kernel, or with a symmetry code its mirrored
 * extension of length 2L-1 or 2L; the complex mirror is conjugated),
 * decimation D and phase p.  Each filter call takes a block of N samples
 * and returns the number of outputs written (at most ceil(N / D)); with
 * VSIP_STATE_SAVE consecutive blocks continue one signal (also blocks
 * shorter than the kernel, and decimations larger than the block), with
 * VSIP_STATE_NO_SAVE each block starts from zeros.  A call whose strided
 * input cannot be copied writes nothing, leaves the filter unchanged and
 * returns 0.  Creation returns null for an unknown symmetry code, an empty
 * kernel, D = 0, or when memory cannot be had.
 * @{
 */
typedef struct vsip_fir_f vsip_fir_f;   /**< Opaque real FIR filter. */
typedef struct vsip_cfir_f vsip_cfir_f; /**< Opaque complex FIR filter. */

/** Attributes of a real FIR filter (vsip_fir_getattr_f). */
typedef struct vsip_fir_attr {
    vsip_length kernel_len;  /**< full kernel length M (after mirroring) */
    vsip_symmetry symm;      /**< symmetry code given at creation */
    vsip_length in_len;      /**< samples per call, N */
    vsip_length out_len;     /**< outputs of a full call, ceil(N / D) */
    vsip_length decimation;  /**< decimation D */
    vsip_obj_state state;    /**< whether state is carried between calls */
} vsip_fir_attr;

/** Attributes of a complex FIR filter (vsip_cfir_getattr_f). */
typedef struct vsip_cfir_attr {
    vsip_length kernel_len;  /**< full kernel length M (after mirroring) */
    vsip_symmetry symm;      /**< symmetry code given at creation */
    vsip_length in_len;      /**< samples per call, N */
    vsip_length out_len;     /**< outputs of a full call, ceil(N / D) */
    vsip_length decimation;  /**< decimation D */
    vsip_obj_state state;    /**< whether state is carried between calls */
} vsip_cfir_attr;

/** Creates a real filter with kernel (copied), symmetry symm, N samples
 * per call, decimation D and state handling state (ntimes and hint are
 * recorded).  @return the filter, or null (see the topic). */
VSIP_API vsip_fir_f *vsip_fir_create_f(const vsip_vview_f *kernel, vsip_symmetry symm,
                                       vsip_length N, vsip_length D, vsip_obj_state state,
                                       vsip_length ntimes, vsip_alg_hint hint);
/** Filters the N samples of x into y.  @return the number of outputs
 * written (0 when nothing could be done, see the topic). */
VSIP_API int vsip_firflt_f(vsip_fir_f *fir, const vsip_vview_f *x, const vsip_vview_f *y);
/** Stores the attributes of fir through attr. */
VSIP_API void vsip_fir_getattr_f(const vsip_fir_f *fir, vsip_fir_attr *attr);
/** Destroys a filter.  Accepts null.  @return 0. */
VSIP_API int vsip_fir_destroy_f(vsip_fir_f *fir);

/** Creates a complex filter (as vsip_fir_create_f; a mirrored kernel is
 * conjugated).  @return the filter, or null. */
VSIP_API vsip_cfir_f *vsip_cfir_create_f(const vsip_cvview_f *kernel, vsip_symmetry symm,
                                         vsip_length N, vsip_length D, vsip_obj_state state,
                                         vsip_length ntimes, vsip_alg_hint hint);
/** Filters the N samples of x into y.  @return the number of outputs
 * written. */
VSIP_API int vsip_cfirflt_f(vsip_cfir_f *fir, const vsip_cvview_f *x, const vsip_cvview_f *y);
/** Stores the attributes of fir through attr. */
VSIP_API void vsip_cfir_getattr_f(const vsip_cfir_f *fir, vsip_cfir_attr *attr);
/** Destroys a filter.  Accepts null.  @return 0. */
VSIP_API int vsip_cfir_destroy_f(vsip_cfir_f *fir);
/** @} */

/** @defgroup vsip_conv Convolution and correlation
 *
 * vsip_conv1d_create_f takes the kernel
 * (mirrored to its full length for the symmetric codes), the input length
 * N, the decimation D and the support region; the object chooses a direct
 * sum or an FFT method once.  It returns null when the input is shorter
 * than the full kernel, for an unknown symmetry code, a kernel of length
 * 0, a decimation of 0 or above 2^31 - 1, or when memory cannot be had.
 * y receives out_len values; an unknown support region is reported and
 * nothing is written.
 * The correlation objects (reference length M, data length N) return null
 * for M > N, M or N of 0, an unknown support region, or when memory cannot
 * be had; y receives lag_len values, divided by the number of products
 * behind each value for VSIP_UNBIASED.
 * @{
 */
typedef struct vsip_conv1d_f vsip_conv1d_f;   /**< Opaque real convolution object. */
typedef struct vsip_corr1d_f vsip_corr1d_f;   /**< Opaque real correlation object. */
typedef struct vsip_ccorr1d_f vsip_ccorr1d_f; /**< Opaque complex correlation object. */

/** Attributes of a convolution object (vsip_conv1d_getattr_f). */
typedef struct vsip_conv1d_attr {
    vsip_length kernel_len;      /**< full kernel length M (after mirroring) */
    vsip_symmetry symm;          /**< symmetry code given at creation */
    vsip_length data_len;        /**< input length N */
    vsip_support_region support; /**< output region */
    vsip_length out_len;         /**< output length */
    vsip_length decimation;      /**< decimation D */
} vsip_conv1d_attr;

/** Attributes of a correlation object (vsip_corr1d_getattr_f,
 * vsip_ccorr1d_getattr_f). */
typedef struct vsip_corr1d_attr {
    vsip_length ref_len;         /**< reference length M */
    vsip_length data_len;        /**< data length N */
    vsip_support_region support; /**< output region */
    vsip_length lag_len;         /**< output length */
} vsip_corr1d_attr;
typedef vsip_corr1d_attr vsip_ccorr1d_attr; /**< Attributes of a complex correlation object. */

/** Creates a convolution of kernel (copied) with symmetry symm over N
 * inputs, decimation D and support region support (ntimes and hint are
 * recorded).  @return the object, or null (see the topic). */
VSIP_API vsip_conv1d_f *vsip_conv1d_create_f(const vsip_vview_f *kernel, vsip_symmetry symm,
                                             vsip_length N, vsip_length D,
                                             vsip_support_region support, vsip_length ntimes,
                                             vsip_alg_hint hint);
/** y = x convolved with the object's kernel: out_len values. */
VSIP_API void vsip_convolve1d_f(const vsip_conv1d_f *conv, const vsip_vview_f *x,
                                const vsip_vview_f *y);
/** Stores the attributes of conv through attr. */
VSIP_API void vsip_conv1d_getattr_f(const vsip_conv1d_f *conv, vsip_conv1d_attr *attr);
/** Destroys a convolution object.  Accepts null.  @return 0. */
VSIP_API int vsip_conv1d_destroy_f(vsip_conv1d_f *conv);

/** Creates a real correlation of a reference of length M with data of
 * length N over the support region.  @return the object, or null (see the
 * topic). */
VSIP_API vsip_corr1d_f *vsip_corr1d_create_f(vsip_length M, vsip_length N,
                                             vsip_support_region support, vsip_length ntimes,
                                             vsip_alg_hint hint);
/** y = the correlation of ref with x (lag_len values), biased or
 * unbiased. */
VSIP_API void vsip_correlate1d_f(const vsip_corr1d_f *corr, vsip_bias bias,
                                 const vsip_vview_f *ref, const vsip_vview_f *x,
                                 const vsip_vview_f *y);
/** Stores the attributes of corr through attr. */
VSIP_API void vsip_corr1d_getattr_f(const vsip_corr1d_f *corr, vsip_corr1d_attr *attr);
/** Destroys a correlation object.  Accepts null.  @return 0. */
VSIP_API int vsip_corr1d_destroy_f(vsip_corr1d_f *corr);

/** Creates a complex correlation (as vsip_corr1d_create_f).  @return the
 * object, or null. */
VSIP_API vsip_ccorr1d_f *vsip_ccorr1d_create_f(vsip_length M, vsip_length N,
                                               vsip_support_region support, vsip_length ntimes,
                                               vsip_alg_hint hint);
/** y = the correlation of the conjugated ref with x (lag_len values),
 * biased or unbiased. */
VSIP_API void vsip_ccorrelate1d_f(const vsip_ccorr1d_f *corr, vsip_bias bias,
                                  const vsip_cvview_f *ref, const vsip_cvview_f *x,
                                  const vsip_cvview_f *y);
/** Stores the attributes of corr through attr. */
VSIP_API void vsip_ccorr1d_getattr_f(const vsip_ccorr1d_f *corr, vsip_ccorr1d_attr *attr);
/** Destroys a correlation object.  Accepts null.  @return 0. */
VSIP_API int vsip_ccorr1d_destroy_f(vsip_ccorr1d_f *corr);
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* VSIP_H */
