/*
 * dazaro-tv API name tables.
 *
 * Every exported name of the library is listed here once, as X-macro rows.
 * The public prototypes, the entry points, the trampolines, the dispatch
 * tables, the vector-ABI entry stubs and the name tests are all expanded
 * from these lists, so they cannot drift apart.  Only macros live here:
 * the file is included from C, C++ and assembly.
 */
#ifndef DAZARO_TV_API_H
#define DAZARO_TV_API_H

/*
 * Array-kernel slots.
 *
 *   X(slot, op, index1, index2_3)
 *
 * op        kernel stem; the trampoline is op##_k, the portable kernel
 *           op##_generic (index 0 of every slot).
 * index1    kernel of the index-1 table, index2_3 of the index-2 and
 *           index-3 tables: READY(variant) names op##_##variant,
 *           GENERIC stands for the portable kernel by design.
 */
#define TVML_ARRAY_SLOTS(X)                                          \
    X(0, sadd, READY(tarvo), READY(tarvo))                       \
    X(1, dadd, READY(tarvo), READY(tarvo))                       \
    X(2, cadd, READY(tarvo), READY(tarvo))                       \
    X(3, zadd, READY(tarvo), READY(tarvo))                       \
    X(4, ssub, READY(tarvo), READY(tarvo))                       \
    X(5, dsub, READY(tarvo), READY(tarvo))                       \
    X(6, csub, READY(tarvo), READY(tarvo))                       \
    X(7, zsub, READY(tarvo), READY(tarvo))                       \
    X(8, ssqr, READY(tarvo), READY(tarvo))                       \
    X(9, dsqr, READY(tarvo), READY(tarvo))                       \
    X(10, spow, READY(tarvo), READY(ondara))                         \
    X(11, dpow, READY(tarvo), READY(ondara))                         \
    X(12, spowx, READY(tarvo), READY(tarvo))                         \
    X(13, dpowx, READY(tarvo), READY(tarvo))                         \
    X(14, sexp, READY(tarvo), READY(ondara))                         \
    X(15, dexp, READY(tarvo), READY(ondara))                         \
    X(16, sexpm1, GENERIC, GENERIC)                                  \
    X(17, dexpm1, GENERIC, GENERIC)                                  \
    X(18, slog10, READY(tarvo), READY(ondara))                       \
    X(19, dlog10, READY(tarvo), READY(ondara))                       \
    X(20, sln, READY(tarvo), READY(ondara))                          \
    X(21, dln, READY(tarvo), READY(ondara))                          \
    X(22, slog1p, GENERIC, GENERIC)                                  \
    X(23, dlog1p, GENERIC, GENERIC)                                  \
    X(24, sfloor, READY(tarvo), READY(tarvo))                        \
    X(25, dfloor, READY(tarvo), READY(tarvo))                        \
    X(26, ssin, READY(tarvo), READY(ondara))                         \
    X(27, dsin, READY(tarvo), READY(ondara))                         \
    X(28, scos, READY(tarvo), READY(ondara))                         \
    X(29, dcos, READY(tarvo), READY(ondara))                         \
    X(30, ssincos, READY(tarvo), READY(ondara))                      \
    X(31, dsincos, READY(tarvo), READY(tarvo))                       \
    X(32, stan, READY(tarvo), READY(tarvo))                          \
    X(33, dtan, READY(tarvo), READY(ondara))                         \
    X(34, sasin, READY(tarvo), READY(tarvo))                         \
    X(35, dasin, READY(tarvo), READY(ondara))                        \
    X(36, sacos, READY(tarvo), READY(tarvo))                         \
    X(37, dacos, READY(tarvo), READY(ondara))                        \
    X(38, satan, READY(tarvo), READY(ondara))                        \
    X(39, datan, READY(tarvo), READY(ondara))                        \
    X(40, satan2, GENERIC, GENERIC)                                  \
    X(41, datan2, GENERIC, GENERIC)                                  \
    X(42, ssinh, READY(tarvo), READY(ondara))                        \
    X(43, dsinh, READY(tarvo), READY(ondara))                        \
    X(44, scosh, READY(tarvo), READY(ondara))                        \
    X(45, dcosh, READY(tarvo), READY(ondara))                        \
    X(46, stanh, READY(tarvo), READY(ondara))                        \
    X(47, dtanh, READY(tarvo), READY(ondara))                        \
    X(48, scbrt, READY(tarvo), READY(ondara))                        \
    X(49, dcbrt, READY(tarvo), READY(ondara))

#define TVML_ARRAY_SLOT_COUNT 50

/*
 * Exported array kernels that stand in no table (the *_belisk copies of
 * the tuned kernels).  X(kernel)
 */
#define TVML_ARRAY_EXTRA_KERNELS(X)                                  \
    X(sexp_belisk)                                                   \
    X(dexp_belisk)                                                   \
    X(sln_belisk)                                                    \
    X(slog10_belisk)                                                 \
    X(dln_belisk)                                                    \
    X(dlog10_belisk)                                                 \
    X(spow_belisk)                                                   \
    X(dpow_belisk)                                                   \
    X(ssinh_belisk)                                                  \
    X(dsinh_belisk)                                                  \
    X(scosh_belisk)                                                  \
    X(dcosh_belisk)                                                  \
    X(stanh_belisk)                                                  \
    X(dtanh_belisk)                                                  \
    X(scbrt_belisk)                                                  \
    X(dcbrt_belisk)                                                  \
    X(ssin_belisk)                                                   \
    X(dsin_belisk)                                                   \
    X(scos_belisk)                                                   \
    X(dcos_belisk)                                                   \
    X(ssincos_belisk)                                                \
    X(dtan_belisk)                                                   \
    X(dasin_belisk)                                                  \
    X(dacos_belisk)                                                  \
    X(satan_belisk)                                                  \
    X(datan_belisk)

/*
 * Exported read-only data.  X(name)
 */
#define TVML_EXPORTED_DATA(X) X(LUT_exp_1024)

/*
 * Array entry points.
 *
 *   X(name, op, shape, type, exponent)
 *
 * shape     BINARY (n, a, b, r), POWX (n, a, b = &exponent, r),
 *           UNARY (n, a, r), SINCOS (n, a, s, c), FIXED (n, a, r) with
 *           the exponent given as its bit pattern in the last column.
 * type      element type: TVML_S float, TVML_D double, TVML_C complex
 *           float, TVML_Z complex double.
 */
#define TVML_ARRAY_ENTRIES(X)                                        \
    X(vsAdd, sadd, BINARY, TVML_S, 0)                                \
    X(vdAdd, dadd, BINARY, TVML_D, 0)                                \
    X(vcAdd, cadd, BINARY, TVML_C, 0)                                \
    X(vzAdd, zadd, BINARY, TVML_Z, 0)                                \
    X(vsSub, ssub, BINARY, TVML_S, 0)                                \
    X(vdSub, dsub, BINARY, TVML_D, 0)                                \
    X(vcSub, csub, BINARY, TVML_C, 0)                                \
    X(vzSub, zsub, BINARY, TVML_Z, 0)                                \
    X(vsSqr, ssqr, UNARY, TVML_S, 0)                                 \
    X(vdSqr, dsqr, UNARY, TVML_D, 0)                                 \
    X(vsPow, spow, BINARY, TVML_S, 0)                                \
    X(vdPow, dpow, BINARY, TVML_D, 0)                                \
    X(vsPowx, spowx, POWX, TVML_S, 0)                                \
    X(vdPowx, dpowx, POWX, TVML_D, 0)                                \
    X(vsPow2o3, spowx, FIXED, TVML_S, 0x3F2AAAABu)                   \
    X(vsPow3o2, spowx, FIXED, TVML_S, 0x3FC00000u)                   \
    X(vdPow2o3, dpowx, FIXED, TVML_D, 0x3FE5555555555555ull)         \
    X(vdPow3o2, dpowx, FIXED, TVML_D, 0x3FF8000000000000ull)         \
    X(vsExp, sexp, UNARY, TVML_S, 0)                                 \
    X(vdExp, dexp, UNARY, TVML_D, 0)                                 \
    X(vsExpm1, sexpm1, UNARY, TVML_S, 0)                             \
    X(vdExpm1, dexpm1, UNARY, TVML_D, 0)                             \
    X(vsLog10, slog10, UNARY, TVML_S, 0)                             \
    X(vdLog10, dlog10, UNARY, TVML_D, 0)                             \
    X(vsLn, sln, UNARY, TVML_S, 0)                                   \
    X(vdLn, dln, UNARY, TVML_D, 0)                                   \
    X(vsLog1p, slog1p, UNARY, TVML_S, 0)                             \
    X(vdLog1p, dlog1p, UNARY, TVML_D, 0)                             \
    X(vsFloor, sfloor, UNARY, TVML_S, 0)                             \
    X(vdFloor, dfloor, UNARY, TVML_D, 0)                             \
    X(vsSin, ssin, UNARY, TVML_S, 0)                                 \
    X(vdSin, dsin, UNARY, TVML_D, 0)                                 \
    X(vsCos, scos, UNARY, TVML_S, 0)                                 \
    X(vdCos, dcos, UNARY, TVML_D, 0)                                 \
    X(vsSinCos, ssincos, SINCOS, TVML_S, 0)                          \
    X(vdSinCos, dsincos, SINCOS, TVML_D, 0)                          \
    X(vsTan, stan, UNARY, TVML_S, 0)                                 \
    X(vdTan, dtan, UNARY, TVML_D, 0)                                 \
    X(vsAsin, sasin, UNARY, TVML_S, 0)                               \
    X(vdAsin, dasin, UNARY, TVML_D, 0)                               \
    X(vsAcos, sacos, UNARY, TVML_S, 0)                               \
    X(vdAcos, dacos, UNARY, TVML_D, 0)                               \
    X(vsAtan, satan, UNARY, TVML_S, 0)                               \
    X(vdAtan, datan, UNARY, TVML_D, 0)                               \
    X(vsAtan2, satan2, BINARY, TVML_S, 0)                            \
    X(vdAtan2, datan2, BINARY, TVML_D, 0)                            \
    X(vsSinh, ssinh, UNARY, TVML_S, 0)                               \
    X(vdSinh, dsinh, UNARY, TVML_D, 0)                               \
    X(vsCosh, scosh, UNARY, TVML_S, 0)                               \
    X(vdCosh, dcosh, UNARY, TVML_D, 0)                               \
    X(vsTanh, stanh, UNARY, TVML_S, 0)                               \
    X(vdTanh, dtanh, UNARY, TVML_D, 0)                               \
    X(vsCbrt, scbrt, UNARY, TVML_S, 0)                               \
    X(vdCbrt, dcbrt, UNARY, TVML_D, 0)

#define TVML_ARRAY_ENTRY_COUNT 54

/*
 * Short-vector functions, in function-index order (slot = 4 * index +
 * lane shape).
 *
 *   X(index, fn, abi, args, arity, variant, svml_f4, svml_f8, svml_d2, svml_d4)
 *
 * fn        the tvml_ name part: tvml_vs4_<fn>, tvml_vs8_<fn>, ...
 * abi       the libm name used in the vector-ABI names
 *           (_ZGVbN4<args>_<abi>f, _ZGVdN8<args>_<abi>f,
 *           _ZGVbN2<args>_<abi>, _ZGVdN4<args>_<abi>).
 * args      v for one vector argument, vv for two.
 * arity     register arguments: 1 (x), 2 (x, y) or M (x and a bit mask m).
 * variant   READY(v): the tuned kernel tvml_<shape>_<fn>_<v> of the tuned
 *           tables.
 * svml_*    the four __svml_ names, which do not follow one rule.
 */
#define TVML_SV_FUNCS(X)                                                                         \
    X(0, pow, pow, vv, 2, READY(tarvo), __svml_powf4, __svml_powf8_l9, __svml_pow2,                 \
      __svml_pow4_l9)                                                                            \
    X(1, atan2, atan2, vv, 2, READY(belisk), __svml_atan2f4, __svml_atan2f8_l9, __svml_atan22,      \
      __svml_atan24_l9)                                                                          \
    X(2, exp, exp, v, 1, READY(tarvo), __svml_expf4, __svml_expf8_l9, __svml_exp2,                  \
      __svml_exp4_l9)                                                                            \
    X(3, exp2, exp2, v, 1, READY(belisk), __svml_exp2f4, __svml_exp2f8_l9, __svml_exp22,            \
      __svml_exp24_l9)                                                                           \
    X(4, expm1, expm1, v, 1, READY(belisk), __svml_expm1f4, __svml_expm1f8_l9, __svml_expm12,       \
      __svml_expm14_l9)                                                                          \
    X(5, exp10, exp10, v, 1, READY(belisk), __svml_exp10f4, __svml_exp10f8_l9, __svml_exp102,       \
      __svml_exp104_l9)                                                                          \
    X(6, log10, log10, v, 1, READY(tarvo), __svml_log10f4, __svml_log10f8_l9, __svml_log102,        \
      __svml_log104_l9)                                                                          \
    X(7, ln, log, v, 1, READY(tarvo), __svml_logf4, __svml_lnf8_l9, __svml_log2, __svml_ln4_l9)     \
    X(8, log1p, log1p, v, 1, READY(belisk), __svml_log1pf4, __svml_log1pf8_l9, __svml_log1p2,       \
      __svml_log1p4_l9)                                                                          \
    X(9, sin, sin, v, 1, READY(tarvo), __svml_sinf4, __svml_sinf8_l9, __svml_sin2,                  \
      __svml_sin4_l9)                                                                            \
    X(10, cos, cos, v, 1, READY(tarvo), __svml_cosf4, __svml_cosf8_l9, __svml_cos2,                 \
      __svml_cos4_l9)                                                                            \
    X(11, tan, tan, v, 1, READY(tarvo), __svml_tanf4, __svml_tanf8_l9, __svml_tan2,                 \
      __svml_tan4_l9)                                                                            \
    X(12, asin, asin, v, 1, READY(tarvo), __svml_asinf4, __svml_asinf8_l9, __svml_asin2,            \
      __svml_asin4_l9)                                                                           \
    X(13, acos, acos, v, 1, READY(tarvo), __svml_acosf4, __svml_acosf8_l9, __svml_acos2,            \
      __svml_acos4_l9)                                                                           \
    X(14, atan, atan, v, 1, READY(tarvo), __svml_atanf4, __svml_atanf8_l9, __svml_atan2,            \
      __svml_atan4_l9)                                                                           \
    X(15, sinh, sinh, v, 1, READY(tarvo), __svml_sinhf4, __svml_sinhf8_l9, __svml_sinh2,            \
      __svml_sinh4_l9)                                                                           \
    X(16, cosh, cosh, v, 1, READY(tarvo), __svml_coshf4, __svml_coshf8_l9, __svml_cosh2,            \
      __svml_cosh4_l9)                                                                           \
    X(17, tanh, tanh, v, 1, READY(tarvo), __svml_tanhf4, __svml_tanhf8_l9, __svml_tanh2,            \
      __svml_tanh4_l9)                                                                           \
    X(18, asinh, asinh, v, 1, READY(belisk), __svml_asinhf4, __svml_asinhf8_l9, __svml_asinh2,      \
      __svml_asinh4_l9)                                                                          \
    X(19, acosh, acosh, v, 1, READY(belisk), __svml_acoshf4, __svml_acoshf8_l9, __svml_acosh2,      \
      __svml_acosh4_l9)                                                                          \
    X(20, atanh, atanh, v, 1, READY(belisk), __svml_atanhf4, __svml_atanhf8_l9, __svml_atanh2,      \
      __svml_atanh4_l9)                                                                          \
    X(21, cbrt, cbrt, v, 1, READY(tarvo), __svml_cbrtf4, __svml_cbrtf8_l9, __svml_cbrt2,            \
      __svml_cbrt4_l9)                                                                           \
    X(22, sqrt, sqrt, v, 1, READY(belisk), __svml_sqrtf4, __svml_sqrtf8_l9, __svml_sqrt2,           \
      __svml_sqrt4_l9)                                                                           \
    X(23, sqrt_mask, sqrt_mask, v, M, READY(belisk), __svml_sqrtf4_mask, __svml_sqrt_maskf8_l9,     \
      __svml_sqrt2_mask, __svml_sqrt_mask4_l9)                                                   \
    X(24, hypot, hypot, vv, 2, READY(belisk), __svml_hypotf4, __svml_hypotf8_l9, __svml_hypot2,     \
      __svml_hypot4_l9)

#define TVML_SV_FUNC_COUNT 25
#define TVML_SV_SLOT_COUNT 100

/* Token helpers shared by the expansions. */
#define TVML_CAT2_(a, b) a##b
#define TVML_CAT2(a, b) TVML_CAT2_(a, b)
#define TVML_CAT3_(a, b, c) a##b##c
#define TVML_CAT3(a, b, c) TVML_CAT3_(a, b, c)
#define TVML_STR_(a) #a
#define TVML_STR(a) TVML_STR_(a)

/*
 * Table columns: READY(v) or GENERIC.  TVML_ON_COLUMN(M, op, column)
 * expands M_READY(op, v) or M_GENERIC(op, generic), so each expansion decides what a column means to it.
 */
#define TVML_SPLIT_READY(v) READY, v
#define TVML_SPLIT_GENERIC GENERIC, generic
#define TVML_ON_COLUMN(M, op, column) TVML_ON_COLUMN_(M, op, TVML_CAT2(TVML_SPLIT_, column))
#define TVML_ON_COLUMN_(M, op, split) TVML_ON_COLUMN__(M, op, split)
#define TVML_ON_COLUMN__(M, op, kind, v) M##_##kind(op, v)

/*
 * Exported tuned short-vector kernels of one function.
 * TVML_SV_TUNED_KERNELS(X, fn, arity, variant) expands X(fn, arity, v) for
 * every v under which tvml_<shape>_<fn>_<v> is exported: a READY(tarvo)
 * kernel is also exported as _belisk (one kernel, two names), a
 * READY(belisk) kernel as _belisk only.
 */
#define TVML_SV_TUNED_KERNELS(X, fn, arity, column) \
    TVML_SV_TUNED_KERNELS_(X, fn, arity, TVML_CAT2(TVML_SPLIT_, column))
#define TVML_SV_TUNED_KERNELS_(X, fn, arity, split) TVML_SV_TUNED_KERNELS__(X, fn, arity, split)
#define TVML_SV_TUNED_KERNELS__(X, fn, arity, kind, v) TVML_SV_EXPORTED_##kind##_##v(X, fn, arity)
#define TVML_SV_EXPORTED_READY_tarvo(X, fn, arity) X(fn, arity, tarvo) X(fn, arity, belisk)
#define TVML_SV_EXPORTED_READY_belisk(X, fn, arity) X(fn, arity, belisk)

/* Kernel in force for a column. */
#define TVML_IN_FORCE_READY(op, v) op##_##v
#define TVML_IN_FORCE_GENERIC(op, v) op##_generic
#define TVML_ARRAY_KERNEL(op, column) TVML_ON_COLUMN(TVML_IN_FORCE, op, column)

#endif /* DAZARO_TV_API_H */
