/*
 * libvsip-tv extensions: the product-version query and the VU_ print
 * utilities.  Include after (or instead of only) <vsip.h>.
 */
#ifndef VSIP_TV_H
#define VSIP_TV_H

#include <vsip.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Filled by tml_vsip_get_product_version; both strings are heap strings
 * that belong to the caller after a successful call (release with free). */
typedef struct tml_vsip_product_version {
    char *component_name;
    char *component_version;
} tml_vsip_product_version;

/* 0 success, 1 info is null (nothing written), 3 out of memory (nothing
 * to free). */
VSIP_API int tml_vsip_get_product_version(tml_vsip_product_version *info);

#ifdef __cplusplus
}
#endif

#endif /* VSIP_TV_H */
