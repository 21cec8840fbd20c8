// Stamps out the exported short-vector kernels of one function from its
// lane template: one line per function and variant, for all four shapes.
// Only for units compiled with -mavx2 -mfma.
#pragma once

#include <immintrin.h>

#include "dazaro_tv.h"
#include "simd.hpp"

// tvml_vs4_<fn>_<variant> ... tvml_vd4_<fn>_<variant> computing LANE(x)
// (or LANE(x, y)); LANE is a function template over the lane type.
#define TVML_SV_DEFINE_1(fn, variant, LANE)                                                   \
    extern "C" TVML_API __m128 tvml_vs4_##fn##_##variant(__m128 x) {                          \
        return LANE(::tvml::avx2::F32x4{x}).raw;                                              \
    }                                                                                         \
    extern "C" TVML_API __m256 tvml_vs8_##fn##_##variant(__m256 x) {                          \
        return LANE(::tvml::avx2::F32x8{x}).raw;                                              \
    }                                                                                         \
    extern "C" TVML_API __m128d tvml_vd2_##fn##_##variant(__m128d x) {                        \
        return LANE(::tvml::avx2::F64x2{x}).raw;                                              \
    }                                                                                         \
    extern "C" TVML_API __m256d tvml_vd4_##fn##_##variant(__m256d x) {                        \
        return LANE(::tvml::avx2::F64x4{x}).raw;                                              \
    }

#define TVML_SV_DEFINE_2(fn, variant, LANE)                                                   \
    extern "C" TVML_API __m128 tvml_vs4_##fn##_##variant(__m128 x, __m128 y) {                \
        return LANE(::tvml::avx2::F32x4{x}, ::tvml::avx2::F32x4{y}).raw;                      \
    }                                                                                         \
    extern "C" TVML_API __m256 tvml_vs8_##fn##_##variant(__m256 x, __m256 y) {                \
        return LANE(::tvml::avx2::F32x8{x}, ::tvml::avx2::F32x8{y}).raw;                      \
    }                                                                                         \
    extern "C" TVML_API __m128d tvml_vd2_##fn##_##variant(__m128d x, __m128d y) {             \
        return LANE(::tvml::avx2::F64x2{x}, ::tvml::avx2::F64x2{y}).raw;                      \
    }                                                                                         \
    extern "C" TVML_API __m256d tvml_vd4_##fn##_##variant(__m256d x, __m256d y) {             \
        return LANE(::tvml::avx2::F64x4{x}, ::tvml::avx2::F64x4{y}).raw;                      \
    }

// The _belisk names of the functions whose two variants are one kernel.
#define TVML_SV_ALIAS_ONE_(shape, V, fn, params)                                              \
    extern "C" TVML_API V tvml_##shape##_##fn##_belisk params                                 \
        __attribute__((alias(TVML_STR(tvml_##shape##_##fn##_tarvo))));
#define TVML_SV_BELISK_ALIASES_1(fn)                                                          \
    TVML_SV_ALIAS_ONE_(vs4, __m128, fn, (__m128))                                             \
    TVML_SV_ALIAS_ONE_(vs8, __m256, fn, (__m256))                                             \
    TVML_SV_ALIAS_ONE_(vd2, __m128d, fn, (__m128d))                                           \
    TVML_SV_ALIAS_ONE_(vd4, __m256d, fn, (__m256d))
#define TVML_SV_BELISK_ALIASES_2(fn)                                                          \
    TVML_SV_ALIAS_ONE_(vs4, __m128, fn, (__m128, __m128))                                     \
    TVML_SV_ALIAS_ONE_(vs8, __m256, fn, (__m256, __m256))                                     \
    TVML_SV_ALIAS_ONE_(vd2, __m128d, fn, (__m128d, __m128d))                                  \
    TVML_SV_ALIAS_ONE_(vd4, __m256d, fn, (__m256d, __m256d))
