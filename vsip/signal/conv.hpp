// Convolution and correlation object records.  Field order and meaning are
// part of the data model; the tests read them to check the method chosen.
#ifndef VSIP_SIGNAL_CONV_HPP
#define VSIP_SIGNAL_CONV_HPP

#include <cstdint>

#include "internal.hpp"

enum : std::int32_t { VI_CONV_DIRECT = 0, VI_CONV_FFT = 1 };

struct vsip_conv1d_f {
    vsip_cvview_f *spectrum;     // H: transform of the zero-padded kernel (FFT methods)
    vsip_cvview_f *work;         // length L (single transform)
    vsip_cmview_f *work_matrix;  // R x L, row major (segmented)
    vsip_vview_f *direct_kernel; // full kernel reversed (direct method)
    vsip_fft_f *fft;             // forward, in place, length L (single transform)
    std::int32_t method;         // VI_CONV_*
    vsip_fftm_f *fftm;           // forward, in place, rows of the work matrix (segmented)
    std::int32_t segmented;      // 1 segmented, 0 single transform
    std::int32_t symm;
    std::int32_t D;
    std::uint64_t M;       // full kernel length
    std::uint64_t N;       // input length
    std::uint64_t L;       // FFT length
    std::uint64_t out_len;
    std::uint64_t S;       // segment step L - M
    std::uint64_t Q;       // segment count
    std::int32_t ntimes;
    std::int32_t support;
    std::int32_t hint;
    // Single transform of long data with a kernel above 999 taps: the
    // same convolution by overlap-added segments of seg_L - M samples,
    // whose transforms stay in cache.  Null and 0 otherwise.
    vsip_fftm_f *seg_fftm;
    vsip_cmview_f *seg_work;
    vsip_cvview_f *seg_spectrum; // transform of the kernel at length seg_L
    std::uint64_t seg_L;
    std::uint64_t seg_S;
    std::uint64_t seg_Q;
};

// Real and complex correlation share one layout.
#define VI_DEFINE_CORR(T)                                                      \
    struct T {                                                                 \
        vsip_cvview_f *w2;    /* reference, then its spectrum */               \
        vsip_cvview_f *w1;    /* data, then the correlation */                 \
        vsip_fft_f *fft;      /* forward, in place, length L, scale 1 */       \
        std::uint64_t N;                                                       \
        std::uint64_t M;                                                       \
        std::uint64_t full_len; /* N + M - 1 */                                \
        std::uint64_t L;                                                       \
        std::uint64_t lag_len;                                                 \
        std::int32_t ntimes;                                                   \
        std::int32_t support;                                                  \
        std::int32_t hint;                                                     \
        /* Real form, long data: segment pairs and the reversed reference */  \
        /* in the rows of seg_work, transformed by seg_fftm; null otherwise */ \
        vsip_fftm_f *seg_fftm;                                                 \
        vsip_cmview_f *seg_work;                                               \
        std::uint64_t seg_L; /* row length */                                  \
        std::uint64_t seg_S; /* segment step seg_L - M */                      \
        std::uint64_t seg_Q; /* segment count */                               \
    };
VI_DEFINE_CORR(vsip_corr1d_f)
VI_DEFINE_CORR(vsip_ccorr1d_f)
#undef VI_DEFINE_CORR

// How the real correlation computes its lags: direct sums where the
// convolution's cost rule would choose the direct method (decimation 1);
// for data more than twice the reference and a segment transform shorter
// than L, overlap-add of segments (the convolution with the reversed
// reference); otherwise one transform of length L carrying both operands.
// Every path gives the same lags within the transform's error bound.
enum : std::int32_t { VI_CORR_DIRECT = 0, VI_CORR_PACKED = 1, VI_CORR_SEGMENTED = 2 };
std::int32_t VI_corr_path(std::uint64_t M, std::uint64_t N);

#endif // VSIP_SIGNAL_CONV_HPP
