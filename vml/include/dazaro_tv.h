/**
 * @file dazaro_tv.h
 * @brief dazaro-tv: vector math library for x86-64.
 *
 * Array API: vsExp(n, a, r) stores e^a[i] in r[i] for 0 <= i < n.  Letters
 * after the v: s float, d double, c complex float, z complex double
 * (interleaved real and imaginary parts; n counts complex elements).  An
 * entry point returns without writing anything when n <= 0 or a pointer
 * is null.  Outputs may be the inputs themselves (in-place use), except
 * the sine output of vsSinCos/vdSinCos and the exponent of vsPowx/vdPowx.
 *
 * Short-vector API: one SIMD register in, one out, under the x86-64
 * vector-function ABI names (_ZGVbN4v_expf ...), the __svml_ names and
 * the library's own tvml_vs4_ / tvml_vs8_ / tvml_vd2_ / tvml_vd4_ names.
 * Each tuned short-vector kernel is declared under its own name as well
 * (tvml_vs8_exp_tarvo, tvml_vd2_exp2_belisk, ...), for binding one
 * variant directly; like the tuned array kernels, these need AVX2 and FMA.
 * The 256-bit forms are declared when the including unit is compiled with
 * AVX enabled.
 *
 * Every function is bound at load time to kernels chosen for the
 * processor; VML_DEBUG_ARCH=0..3 forces the choice.
 */
#ifndef DAZARO_TV_H
#define DAZARO_TV_H

#include <stdint.h>

#include "dazaro_tv_api.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX__)
#include <immintrin.h>
#endif

#if defined(__GNUC__)
#define TVML_API __attribute__((visibility("default")))
#else
#define TVML_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Complex float element of the c functions: real part first, then
 * imaginary part (interleaved storage). */
typedef struct tvml_cfloat {
    float re; /**< real part */
    float im; /**< imaginary part */
} tvml_cfloat;

/** Complex double element of the z functions, laid out as tvml_cfloat. */
typedef struct tvml_cdouble {
    double re; /**< real part */
    double im; /**< imaginary part */
} tvml_cdouble;

/* Element types by letter. */
#define TVML_TYPE_TVML_S float
#define TVML_TYPE_TVML_D double
#define TVML_TYPE_TVML_C tvml_cfloat
#define TVML_TYPE_TVML_Z tvml_cdouble
#define TVML_ELEM(type) TVML_CAT2(TVML_TYPE_, type)

/* Entry points. */
#define TVML_PROTO_BINARY(name, T) TVML_API void name(int n, const T *a, const T *b, T *r);
#define TVML_PROTO_POWX(name, T) TVML_API void name(int n, const T *a, const T *b, T *r);
#define TVML_PROTO_UNARY(name, T) TVML_API void name(int n, const T *a, T *r);
#define TVML_PROTO_FIXED(name, T) TVML_API void name(int n, const T *a, T *r);
#define TVML_PROTO_SINCOS(name, T) TVML_API void name(int n, const T *a, T *s, T *c);
#define TVML_DECLARE_ENTRY(name, op, shape, type, exponent) \
    TVML_PROTO_##shape(name, TVML_ELEM(type))
/**
 * @name Array entry points
 * vsExp(n, a, r) stores e^a[i] in r[i] for 0 <= i < n; the letter after
 * the v is the element type (s float, d double, c tvml_cfloat, z
 * tvml_cdouble; n counts complex elements).
 *
 * | Functions | Result r[i] |
 * |---|---|
 * | vsAdd, vdAdd, vcAdd, vzAdd | a[i] + b[i] |
 * | vsSub, vdSub, vcSub, vzSub | a[i] - b[i] |
 * | vsSqr, vdSqr | a[i]^2 |
 * | vsPow, vdPow | a[i]^b[i] |
 * | vsPowx, vdPowx | a[i]^b[0]: b points to one exponent |
 * | vsPow2o3, vdPow2o3 | a[i]^(2/3) (the exponent nearest 2/3) |
 * | vsPow3o2, vdPow3o2 | a[i]^1.5 |
 * | vsExp, vdExp | e^a[i] |
 * | vsExpm1, vdExpm1 | e^a[i] - 1 |
 * | vsLog10, vdLog10 | base-10 logarithm |
 * | vsLn, vdLn | natural logarithm |
 * | vsLog1p, vdLog1p | ln(1 + a[i]) |
 * | vsFloor, vdFloor | largest integer not above a[i] |
 * | vsSin, vdSin, vsCos, vdCos, vsTan, vdTan | sine, cosine, tangent (radians) |
 * | vsSinCos, vdSinCos | s[i] = sin a[i], c[i] = cos a[i] |
 * | vsAsin, vdAsin, vsAcos, vdAcos, vsAtan, vdAtan | inverse sine, cosine, tangent |
 * | vsAtan2, vdAtan2 | atan2(a[i], b[i]): the ordinate comes first |
 * | vsSinh, vdSinh, vsCosh, vdCosh, vsTanh, vdTanh | hyperbolic sine, cosine, tangent |
 * | vsCbrt, vdCbrt | cube root |
 *
 * Arguments: n the element count, a (and b) the inputs, r the output
 * (s and c for SinCos), all arrays of n elements.  Nothing is returned and
 * there are no error codes: n <= 0 or any null pointer returns without
 * writing anything, and domain errors show only in the values (NaN,
 * infinities).  An output may be an input array itself, except the sine
 * output of vsSinCos/vdSinCos and the exponent b of vsPowx/vdPowx.
 * @{
 */
/** Array entry point; see the table of the group for its result. */
TVML_ARRAY_ENTRIES(TVML_DECLARE_ENTRY)
/** @} */
#undef TVML_DECLARE_ENTRY

/**
 * Parameters of every array kernel and slot trampoline: (n, a, b or
 * NULL, r, r2 or NULL, 0).  n counts elements, a and b are the inputs, r
 * the output and r2 the second output (the cosine of sincos); reserved is
 * 0.
 */
#define TVML_KERNEL_PARAMS int64_t n, const void *a, const void *b, void *r, void *r2, int64_t reserved
/** Pointer to an array kernel or slot trampoline. */
typedef void (*tvml_array_kernel)(TVML_KERNEL_PARAMS);
#define TVML_DECLARE_KERNEL(name) TVML_API void name(TVML_KERNEL_PARAMS);
#define TVML_DECLARE_TUNED_READY(op, v) TVML_DECLARE_KERNEL(op##_##v)
#define TVML_DECLARE_TUNED_GENERIC(op, v)
#define TVML_DECLARE_SLOT(slot, op, index1, index23)  \
    TVML_DECLARE_KERNEL(op##_k)                       \
    TVML_DECLARE_KERNEL(op##_generic)                 \
    TVML_ON_COLUMN(TVML_DECLARE_TUNED, op, index1)    \
    TVML_ON_COLUMN(TVML_DECLARE_TUNED, op, index23)
/**
 * @name Array kernels and slot trampolines
 * Every array operation (the op stem: sexp, dpowx, ssincos, ...) is
 * exported as its slot trampoline op_k, which jumps to the kernel chosen
 * for the processor at load time, and as each of its kernels:
 * op_generic (portable, any x86-64) and the tuned op_tarvo, op_ondara and
 * op_belisk variants (AVX2 and FMA).  All take TVML_KERNEL_PARAMS.
 * @{
 */
/**
 * Array kernel or slot trampoline over TVML_KERNEL_PARAMS.  Kernels check
 * nothing but n (n <= 0 writes nothing): the pointers must be valid for n
 * elements, and a kernel may be called only on a processor that has the
 * instructions its variant uses (*_generic: any x86-64; the tuned
 * variants: AVX2 and FMA).  Powx kernels read the exponent from b[0].
 */
TVML_ARRAY_SLOTS(TVML_DECLARE_SLOT)
TVML_ARRAY_EXTRA_KERNELS(TVML_DECLARE_KERNEL)
/** @} */
#undef TVML_DECLARE_SLOT

/** 2^(j/1024) for 0 <= j < 1024, rounded to nearest: the table of the tuned
 * exponential kernels. */
TVML_API extern const double LUT_exp_1024[1024];

/** Name of the architecture in use: "generic", "tarvo_generic",
 * "tarvo_ondara" or "tarvo_belisk" (re-evaluated on every call).
 * @return a static string; never null. */
TVML_API const char *vml_get_cpu_arch(void);
/** Fixed build-configuration text.
 * @return a static string owned by the library; never null, not to be
 * modified or freed. */
TVML_API char *tarvovml_get_config(void);

/* Short-vector entry points. */
#define TVML_SV_PARAMS_1(V) V x
#define TVML_SV_PARAMS_2(V) V x, V y
#define TVML_SV_PARAMS_M(V) V x, V m
#define TVML_SV_DECLARE_SHAPE(V, tvml, abi, svml, arity) \
    TVML_API V tvml(TVML_SV_PARAMS_##arity(V));          \
    TVML_API V abi(TVML_SV_PARAMS_##arity(V));           \
    TVML_API V svml(TVML_SV_PARAMS_##arity(V));
/* Tuned short-vector kernels, from the variant column of the table. */
#define TVML_SV_DECLARE_TUNED_128(fn, arity, v)                                \
    TVML_API __m128 tvml_vs4_##fn##_##v(TVML_SV_PARAMS_##arity(__m128));       \
    TVML_API __m128d tvml_vd2_##fn##_##v(TVML_SV_PARAMS_##arity(__m128d));
#define TVML_SV_DECLARE_TUNED_256(fn, arity, v)                                \
    TVML_API __m256 tvml_vs8_##fn##_##v(TVML_SV_PARAMS_##arity(__m256));       \
    TVML_API __m256d tvml_vd4_##fn##_##v(TVML_SV_PARAMS_##arity(__m256d));
#if defined(__SSE2__)
#define TVML_SV_DECLARE_128(index, fn, abi, args, arity, variant, f4, f8, d2, d4)                 \
    TVML_SV_DECLARE_SHAPE(__m128, tvml_vs4_##fn, _ZGVbN4##args##_##abi##f, f4, arity)       \
    TVML_SV_DECLARE_SHAPE(__m128d, tvml_vd2_##fn, _ZGVbN2##args##_##abi, d2, arity)         \
    TVML_SV_TUNED_KERNELS(TVML_SV_DECLARE_TUNED_128, fn, arity, variant)
/**
 * @name Short-vector functions, 128-bit
 * One xmm register in, one out: 4 floats (tvml_vs4_fn, _ZGVbN4v_fnf,
 * __svml_ names ending in f4) or 2 doubles (tvml_vd2_fn, _ZGVbN2v_fn,
 * __svml_ names ending in 2), each lane an approximation of the scalar
 * function.  Functions: pow, atan2, exp, exp2, expm1, exp10, log10, ln (ABI
 * name log), log1p, sin, cos, tan, asin, acos, atan, sinh, cosh, tanh,
 * asinh, acosh, atanh, cbrt, sqrt, sqrt_mask, hypot.  The tuned kernels
 * are also exported as tvml_vs4_fn_tarvo / tvml_vs4_fn_belisk (and vd2);
 * those need AVX2 and FMA.  Declared when the including unit is compiled
 * with SSE2.
 * @{
 */
/**
 * Short-vector function: each lane of the result is the function of the
 * same lane of x (pow, atan2 and hypot: of x and y; atan2 takes the
 * ordinate x first; sqrt_mask: the square root of x AND m).  No errors:
 * domain errors show in the lane values (NaN, infinities).
 */
TVML_SV_FUNCS(TVML_SV_DECLARE_128)
/** @} */
#undef TVML_SV_DECLARE_128
#endif
#if defined(__AVX__)
#define TVML_SV_DECLARE_256(index, fn, abi, args, arity, variant, f4, f8, d2, d4)                 \
    TVML_SV_DECLARE_SHAPE(__m256, tvml_vs8_##fn, _ZGVdN8##args##_##abi##f, f8, arity)       \
    TVML_SV_DECLARE_SHAPE(__m256d, tvml_vd4_##fn, _ZGVdN4##args##_##abi, d4, arity)         \
    TVML_SV_TUNED_KERNELS(TVML_SV_DECLARE_TUNED_256, fn, arity, variant)
/**
 * @name Short-vector functions, 256-bit
 * The 128-bit set on ymm registers: 8 floats (tvml_vs8_fn, _ZGVdN8v_fnf,
 * __svml_ names ending in f8_l9) or 4 doubles (tvml_vd4_fn, _ZGVdN4v_fn,
 * __svml_ names ending in 4_l9), plus the tuned tvml_vs8_fn_tarvo /
 * _belisk kernels (AVX2 and FMA).  Declared when the including unit is
 * compiled with AVX.
 * @{
 */
/**
 * Short-vector function: each lane of the result is the function of the
 * same lane of x (pow, atan2 and hypot: of x and y; atan2 takes the
 * ordinate x first; sqrt_mask: the square root of x AND m).  No errors:
 * domain errors show in the lane values (NaN, infinities).
 */
TVML_SV_FUNCS(TVML_SV_DECLARE_256)
/** @} */
#undef TVML_SV_DECLARE_256
#endif

#ifdef __cplusplus
}
#endif

#endif /* DAZARO_TV_H */
