// FFTW binding records: buffers from fftwf_malloc, a plan made over them.
//
// Every call of FFTW other than execution runs under planner_lock.  It is a
// plain POSIX mutex: std::mutex would pull a C++ runtime symbol into a
// library that links none.
#include "fft_backend.hpp"

#include <pthread.h>

#include <cstddef>

namespace {

pthread_mutex_t planner_lock = PTHREAD_MUTEX_INITIALIZER;

struct planner_guard {
    planner_guard() { pthread_mutex_lock(&planner_lock); }
    ~planner_guard() { pthread_mutex_unlock(&planner_lock); }
    planner_guard(const planner_guard &) = delete;
    planner_guard &operator=(const planner_guard &) = delete;
};

void free_if(void *p) {
    if (p)
        fftwf_free(p);
}

void destroy_if(fftwf_plan p) {
    if (p)
        fftwf_destroy_plan(p);
}

float *floats(void *p) { return static_cast<float *>(p); }

// The unlocked bodies of the public functions.

void destroy_complex(VI_fft_backend_f *b) {
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
    if (b->own_plan) {
        destroy_if(b->plan);
        destroy_if(b->split_plan);
        destroy_if(b->inplace_plan);
    }
    VI_free(b);
}

void destroy_real(VI_rfft_backend_f *b, std::int32_t kind) {
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
    if (b->own_plan)
        destroy_if(b->plan);
    VI_free(b);
}

// A complex record with both buffers and no plan; null when something
// cannot be had.
VI_fft_backend_f *new_complex(std::uint64_t n) {
    auto *b = static_cast<VI_fft_backend_f *>(VI_malloc(sizeof(VI_fft_backend_f)));
    if (!b)
        return nullptr;
    *b = VI_fft_backend_f{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1, 1, 0,
                          nullptr, 1, nullptr, nullptr, 0, 0};
    b->gap = static_cast<std::int64_t>(VI_cblock_part_gap(n));
    const std::size_t bytes = 8 * static_cast<std::size_t>(b->gap);
    b->in = static_cast<fftwf_complex *>(fftwf_malloc(bytes));
    if (b->in)
        b->out = static_cast<fftwf_complex *>(fftwf_malloc(bytes));
    if (!b->out) {
        destroy_complex(b);
        return nullptr;
    }
    return b;
}

// A real record with its two buffers (the real one obtained first in both
// directions) and no plan.
VI_rfft_backend_f *new_real(std::uint64_t h, std::int32_t kind) {
    auto *b = static_cast<VI_rfft_backend_f *>(VI_malloc(sizeof(VI_rfft_backend_f)));
    if (!b)
        return nullptr;
    *b = VI_rfft_backend_f{{nullptr, nullptr, nullptr, nullptr}, 1, 1, 0, nullptr, 1};
    const std::size_t real_bytes = 8 * static_cast<std::size_t>(h);
    const std::size_t complex_bytes = 8 * static_cast<std::size_t>(h) + 8;
    const int real_slot = kind == VI_FFT_REAL_TO_COMPLEX ? 0 : 3;
    const int complex_slot = kind == VI_FFT_REAL_TO_COMPLEX ? 1 : 0;
    b->slot[real_slot] = fftwf_malloc(real_bytes);
    if (b->slot[real_slot])
        b->slot[complex_slot] = fftwf_malloc(complex_bytes);
    if (!b->slot[complex_slot]) {
        destroy_real(b, kind);
        return nullptr;
    }
    return b;
}

} // namespace

VI_fft_backend_f *VI_fft_backend_create_f(std::uint64_t n, int sign, unsigned flags,
                                          unsigned companions) {
    if (n < 1 || n > VI_FFT_MAX_LENGTH)
        return nullptr;
    planner_guard guard;
    VI_fft_backend_f *b = new_complex(n);
    if (!b)
        return nullptr;
    const int length = static_cast<int>(n);
    b->plan = fftwf_plan_dft_1d(length, b->in, b->out, sign, flags);
    bool made = b->plan != nullptr;
    if (made && (companions & VI_FFT_SPLIT_COMPANION)) {
        // FFTW's split transforms are forward; the inverse one is the
        // forward one with real and imaginary parts swapped on both sides.
        float *in = &b->in[0][0], *out = &b->out[0][0];
        const fftwf_iodim dim{length, 1, 1};
        b->split_inverse = sign == FFTW_BACKWARD;
        b->split_plan = b->split_inverse
                            ? fftwf_plan_guru_split_dft(1, &dim, 0, nullptr, in + b->gap, in,
                                                        out + b->gap, out, flags)
                            : fftwf_plan_guru_split_dft(1, &dim, 0, nullptr, in, in + b->gap,
                                                        out, out + b->gap, flags);
        made = b->split_plan != nullptr;
    }
    if (made && (companions & VI_FFT_INPLACE_COMPANION)) {
        b->inplace_plan = fftwf_plan_dft_1d(length, b->in, b->in, sign, flags);
        made = b->inplace_plan != nullptr;
    }
    if (!made) {
        destroy_complex(b);
        return nullptr;
    }
    return b;
}

VI_rfft_backend_f *VI_rfft_backend_create_f(std::uint64_t h, std::int32_t kind, unsigned flags) {
    if (h < 1 || h > VI_FFT_MAX_LENGTH / 2)
        return nullptr;
    planner_guard guard;
    VI_rfft_backend_f *b = new_real(h, kind);
    if (!b)
        return nullptr;
    const int n = static_cast<int>(2 * h);
    b->plan = kind == VI_FFT_REAL_TO_COMPLEX
                  ? fftwf_plan_dft_r2c_1d(n, floats(b->slot[0]),
                                          static_cast<fftwf_complex *>(b->slot[1]), flags)
                  : fftwf_plan_dft_c2r_1d(n, static_cast<fftwf_complex *>(b->slot[0]),
                                          floats(b->slot[3]), flags);
    if (!b->plan) {
        destroy_real(b, kind);
        return nullptr;
    }
    return b;
}

VI_fft_backend_f *VI_fft_backend_share_f(const VI_fft_backend_f *first, std::uint64_t n) {
    planner_guard guard;
    VI_fft_backend_f *b = new_complex(n);
    if (!b)
        return nullptr;
    b->plan = first->plan;
    b->split_plan = first->split_plan;
    b->inplace_plan = first->inplace_plan;
    b->split_inverse = first->split_inverse;
    b->own_plan = 0;
    return b;
}

VI_rfft_backend_f *VI_rfft_backend_share_f(const VI_rfft_backend_f *first, std::uint64_t h,
                                           std::int32_t kind) {
    planner_guard guard;
    VI_rfft_backend_f *b = new_real(h, kind);
    if (!b)
        return nullptr;
    b->plan = first->plan;
    b->own_plan = 0;
    return b;
}

void VI_fft_backend_destroy_f(VI_fft_backend_f *b) {
    planner_guard guard;
    destroy_complex(b);
}

void VI_rfft_backend_destroy_f(VI_rfft_backend_f *b, std::int32_t kind) {
    planner_guard guard;
    destroy_real(b, kind);
}
