// FFTW binding records: buffers from fftwf_malloc, one plan each.
#include "fft_backend.hpp"

#include <cstddef>

namespace {

void free_if(void *p) {
    if (p)
        fftwf_free(p);
}

} // namespace

VI_fft_backend_f *VI_fft_backend_create_f(std::uint64_t n, int sign, unsigned flags) {
    if (n < 1 || n > VI_FFT_MAX_LENGTH)
        return nullptr;
    auto *b = static_cast<VI_fft_backend_f *>(VI_malloc(sizeof(VI_fft_backend_f)));
    if (!b)
        return nullptr;
    *b = VI_fft_backend_f{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 1, 0, nullptr};
    const std::size_t bytes = 8 * static_cast<std::size_t>(n);
    b->in = static_cast<fftwf_complex *>(fftwf_malloc(bytes));
    if (b->in)
        b->out = static_cast<fftwf_complex *>(fftwf_malloc(bytes));
    if (b->out)
        b->plan = fftwf_plan_dft_1d(static_cast<int>(n), b->in, b->out, sign, flags);
    if (!b->plan) {
        VI_fft_backend_destroy_f(b);
        return nullptr;
    }
    return b;
}

VI_rfft_backend_f *VI_rfft_backend_create_f(std::uint64_t h, std::int32_t kind, unsigned flags) {
    if (h < 1 || h > VI_FFT_MAX_LENGTH / 2)
        return nullptr;
    auto *b = static_cast<VI_rfft_backend_f *>(VI_malloc(sizeof(VI_rfft_backend_f)));
    if (!b)
        return nullptr;
    *b = VI_rfft_backend_f{{nullptr, nullptr, nullptr, nullptr}, 1, 1, 0, nullptr};
    const int n = static_cast<int>(2 * h);
    const std::size_t real_bytes = 8 * static_cast<std::size_t>(h);
    const std::size_t complex_bytes = 8 * static_cast<std::size_t>(h) + 8;
    // The real buffer is obtained first in both directions.
    if (kind == VI_FFT_REAL_TO_COMPLEX) {
        b->slot[0] = fftwf_malloc(real_bytes);
        if (b->slot[0])
            b->slot[1] = fftwf_malloc(complex_bytes);
        if (b->slot[1])
            b->plan = fftwf_plan_dft_r2c_1d(n, static_cast<float *>(b->slot[0]),
                                            static_cast<fftwf_complex *>(b->slot[1]), flags);
    } else {
        b->slot[3] = fftwf_malloc(real_bytes);
        if (b->slot[3])
            b->slot[0] = fftwf_malloc(complex_bytes);
        if (b->slot[0])
            b->plan = fftwf_plan_dft_c2r_1d(n, static_cast<fftwf_complex *>(b->slot[0]),
                                            static_cast<float *>(b->slot[3]), flags);
    }
    if (!b->plan) {
        VI_rfft_backend_destroy_f(b, kind);
        return nullptr;
    }
    return b;
}

void VI_fft_backend_destroy_f(VI_fft_backend_f *b) {
    if (!b)
        return;
    if (b->own_in) {
        free_if(b->in);
        free_if(b->in_re);
        free_if(b->in_im);
    }
    if (b->own_out) {
        if (b->out != b->in)
            free_if(b->out);
        free_if(b->out_re);
        free_if(b->out_im);
    }
    if (b->plan)
        fftwf_destroy_plan(b->plan);
    VI_free(b);
}

void VI_rfft_backend_destroy_f(VI_rfft_backend_f *b, std::int32_t kind) {
    if (!b)
        return;
    // Input side first, then output side, by direction.
    const int input_end = kind == VI_FFT_REAL_TO_COMPLEX ? 1 : 3;
    if (b->own_in)
        for (int k = 0; k < input_end; ++k)
            free_if(b->slot[k]);
    if (b->own_out)
        for (int k = input_end; k < 4; ++k)
            free_if(b->slot[k]);
    if (b->plan)
        fftwf_destroy_plan(b->plan);
    VI_free(b);
}
