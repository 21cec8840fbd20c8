/**
 * @file vsip_tv.h
 * @brief libvsip-tv extensions: the product-version query, the library's
 * thread count and the VU_ print utilities.  Include after (or instead of
 * only) <vsip.h>.
 */
#ifndef VSIP_TV_H
#define VSIP_TV_H

#include <vsip.h>

#ifdef __cplusplus
extern "C" {
#endif

/** Filled by tml_vsip_get_product_version; both strings are heap strings
 * that belong to the caller after a successful call (release with free). */
typedef struct tml_vsip_product_version {
    char *component_name;    /**< name of the library */
    char *component_version; /**< its version text */
} tml_vsip_product_version;

/** Product name and version.
 * @param info receives two new heap strings.
 * @return 0 success, 1 info is null (nothing written), 3 out of memory
 * (nothing to free). */
VSIP_API int tml_vsip_get_product_version(tml_vsip_product_version *info);

/**
 * @brief Threads of the library's parallel operations (multiple FFTs, the
 * complex matrix conjugate, long element-wise calls; see the notes at the
 * top of vsip.h), for applications that do not call OpenMP themselves.
 *
 * tml_vsip_set_num_threads(n) with n >= 1 makes every such operation use
 * at most n threads, whatever OMP_NUM_THREADS or omp_set_num_threads say;
 * 1 means the library never opens an OpenMP region.  0 or a negative n
 * returns to the OpenMP default (omp_get_max_threads() of the calling
 * thread, which OMP_NUM_THREADS sets).  The setting is process-wide; calls
 * inside an active OpenMP region always run on the calling thread.
 */
VSIP_API void tml_vsip_set_num_threads(int n);
/** @brief The thread count in force: the value set with
 * tml_vsip_set_num_threads, or else the OpenMP default. */
VSIP_API int tml_vsip_get_num_threads(void);

/**
 * @brief The flavour of the loaded library: "checked" for
 * libvsip-tv-checked.so (built with -DVSIP_TV_CHECKED=ON; see "Checked
 * flavour" in vsip.h), "release" for libvsip-tv.so.  A static string.
 */
VSIP_API const char *tml_vsip_build_flavour(void);

/**
 * @name Print utilities
 * Write a view to standard output in a bracketed layout.
 * `spec` is inserted between '%' and the conversion letter of each element
 * format, typically a width and precision such as "6.2" (flags, digits
 * and '.' only; anything else ends it, and it is cut at 15 characters).
 * Each returns the result of its final puts.
 *
 * Long views are abbreviated: VU_MAX_PRINT_LENGTH (default 1000; negative
 * means no limit) is the largest element count printed in full, and
 * VU_MAX_ROW_PRINT_LENGTH (default 10; below 1 means the default) the
 * elements per line of a full vector listing and the head plus tail count
 * of an abbreviated one, or the rows and columns shown of an abbreviated
 * matrix.  VU_cvprintm_f halves both values (defaults 500 and 5).
 * VU_mprintm_d and VU_mprintm_i never abbreviate.
 * @{
 */
/** Print view v (or m) to standard output with element format spec
 * (VU_vprintm_i ignores it and prints plain %d).  The view must not be
 * null.
 * @return the result of the final puts (negative on an output error). */
VSIP_API int VU_vprintm_f(const char *spec, const vsip_vview_f *v);
VSIP_API int VU_vprintm_i(const char *spec, const vsip_vview_i *v);
VSIP_API int VU_vprintm_bl(const vsip_vview_bl *v);
VSIP_API int VU_vprintm_vi(const char *spec, const vsip_vview_vi *v);
VSIP_API int VU_vprintm_mi(const char *spec, const vsip_vview_mi *v);
VSIP_API int VU_cvprintm_f(const char *spec, const vsip_cvview_f *v);
VSIP_API int VU_mprintm_f(const char *spec, const vsip_mview_f *m);
VSIP_API int VU_cmprintm_f(const char *spec, const vsip_cmview_f *m);
VSIP_API int VU_mprintm_d(const char *spec, const vsip_mview_d *m);
VSIP_API int VU_mprintm_i(const char *spec, const vsip_mview_i *m);
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* VSIP_TV_H */
