// FFTW binding records and the FFT object records.
//
// Every FFT of the library (single and multiple FFT, and the transforms
// inside convolution, correlation and windows) runs an FFTW plan over
// buffers that a binding record owns.  The record layouts are fixed: field
// order and meaning are part of the data model (the fields after `plan` and
// `records` are additions of this library).
//
// FFTW's planner, fftwf_destroy_plan, fftwf_malloc and fftwf_free must not
// run concurrently.  Every such call of the library is made here, under one
// internal lock, so any thread may create, execute and destroy any object
// at any time.  Execution takes no lock: FFTW executes plans concurrently,
// also one plan on different arrays (the new-array execute functions).
//
// The plan of a record may also run directly on the caller's data (see
// fft_run.hpp).  Records of one multiple-FFT object share the plan of its
// first record and each has its own buffers.
#ifndef VSIP_SIGNAL_FFT_BACKEND_HPP
#define VSIP_SIGNAL_FFT_BACKEND_HPP

#include <cstdint>

#include <fftw3.h>

#include "internal.hpp"

// Codes of the `kind` field of FFT objects.
enum : std::int32_t {
    VI_FFT_COMPLEX_OP = 0,
    VI_FFT_COMPLEX_IP = 1,
    VI_FFT_REAL_TO_COMPLEX = 2,
    VI_FFT_COMPLEX_TO_REAL = 3
};

// Complex transform: `in` and `out` are two distinct interleaved buffers of
// n elements (the plan is always out of place).  The split slots are for
// users that bind split storage; null otherwise.  Each buffer holds
// 2 x gap floats, so it also serves as split parts gap floats apart.
//
// Companion plans, made at creation with the same flags where they run
// faster than `plan` with the copies around it (null otherwise; a record
// that shares another's plan shares them too):
//   split_plan:   out of place on split parts gap floats apart (real parts
//                 at in / out), for library-made split storage, whose
//                 parts lie VI_cblock_part_gap(length) elements apart; an
//                 inverse one is made with the parts swapped;
//   inplace_plan: interleaved, in place on `in`.
struct VI_fft_backend_f {
    fftwf_complex *in;
    fftwf_complex *out;
    float *in_re;
    float *in_im;
    float *out_re;
    float *out_im;
    std::int32_t own_in;  // 1: in, in_re, in_im belong to the record
    std::int32_t own_out; // 1: out, out_re, out_im belong to the record
    std::int32_t spare;   // 0
    fftwf_plan plan;
    std::int32_t own_plan; // 1: destroying the record destroys the plan
    fftwf_plan split_plan;
    fftwf_plan inplace_plan;
    std::int64_t gap;            // VI_cblock_part_gap(n)
    std::int32_t split_inverse;  // 1: split_plan takes (imag, real) parts
};

// Companions to make for a complex transform of n elements, by measured
// execute times of FFTW_ESTIMATE plans on this machine class: a split plan
// beats the copy into interleaved buffers only for powers of two up to
// 2048 (elsewhere it runs 1.5x to 4x slower); an in-place plan beats the
// out-of-place plan plus the copy back from 2^18 elements on, and runs up
// to 3x slower below.
enum : unsigned { VI_FFT_SPLIT_COMPANION = 1u, VI_FFT_INPLACE_COMPANION = 2u };
inline unsigned VI_fft_companions(std::uint64_t n, bool in_place) {
    unsigned c = 0;
    if (n <= 2048 && (n & (n - 1)) == 0)
        c |= VI_FFT_SPLIT_COMPANION;
    if (in_place && n >= (std::uint64_t{1} << 18))
        c |= VI_FFT_INPLACE_COMPANION;
    return c;
}

// Real transform of even length n = 2h.
//   real-to-complex: slot 0 real input (n floats), slot 1 complex output
//                    (h+1 elements); input side {0}, output side {1, 2, 3}.
//   complex-to-real: slot 0 complex input (h+1 elements), slot 3 real
//                    output (n floats); input side {0, 1, 2}, output side {3}.
struct VI_rfft_backend_f {
    void *slot[4];
    std::int32_t own_in;
    std::int32_t own_out;
    std::int32_t spare; // 0
    fftwf_plan plan;
    std::int32_t own_plan; // 1: destroying the record destroys the plan
};

// Single FFT object.  `length` is N for the complex forms and N/2 for the
// real forms (transform length 2 x length).
struct vsip_fft_f {
    vsip_cvview_f *work_view[2]; // workspace of users built on the FFT; released by destroy
    void *work_buffer[4];
    vsip_scalar_f scale;
    std::uint64_t length;
    std::int32_t dir;    // -1 forward, +1 inverse
    std::int32_t kind;   // VI_FFT_*
    std::int32_t ntimes; // stored only
    std::int32_t hint;
    std::int32_t flags;  // FFTW planner flags
    void *backend;       // VI_fft_backend_f or VI_rfft_backend_f
};

// Multiple FFT object over M x N matrices: `count` rows (major VSIP_ROW)
// or columns (VSIP_COL) transformed by the plan of the first binding
// record.  Each of the `nrecords` records has its own buffers and serves
// one contiguous run of lines per call, so memory grows with the number of
// threads, not with the number of lines.
struct vsip_fftm_f {
    vsip_cvview_f *work_view[2];
    void *work_buffer[4];
    vsip_scalar_f scale;
    std::uint64_t N;     // row length (columns)
    std::uint64_t M;     // column length (rows)
    std::uint64_t h;     // half the transform length of the real forms, else 0
    std::uint64_t count; // number of transforms (lines)
    std::int32_t major;
    std::int32_t dir;
    std::int32_t kind;
    std::int32_t ntimes;
    std::int32_t hint;
    std::int32_t flags;
    void **records;        // nrecords binding records
    std::uint64_t nrecords;
};

// FFTW_MEASURE for VSIP_ALG_SPACE, FFTW_ESTIMATE for every other hint.
inline std::int32_t VI_fft_planner_flags(std::int32_t hint) {
    return hint == VSIP_ALG_SPACE ? static_cast<std::int32_t>(FFTW_MEASURE)
                                  : static_cast<std::int32_t>(FFTW_ESTIMATE);
}

// Largest transform length: FFTW takes lengths as int.
constexpr std::uint64_t VI_FFT_MAX_LENGTH = 0x7fffffff;

// Complex record with buffers of n elements and a plan of sign `sign`
// (FFTW_FORWARD or FFTW_BACKWARD), and the companion plans of
// `companions` (VI_FFT_*_COMPANION bits).  Null, with everything obtained
// so far released, when a record, buffer or plan cannot be had or n is
// outside 1 .. VI_FFT_MAX_LENGTH.
VI_fft_backend_f *VI_fft_backend_create_f(std::uint64_t n, int sign, unsigned flags,
                                          unsigned companions = 0);

// Real record of kind VI_FFT_REAL_TO_COMPLEX or VI_FFT_COMPLEX_TO_REAL for
// the transform length 2h; null as above (h of 0 included).
VI_rfft_backend_f *VI_rfft_backend_create_f(std::uint64_t h, std::int32_t kind, unsigned flags);

// A record with its own buffers (of the sizes of `first`, n elements or
// transform length 2h) that executes the plan of `first`, which must
// outlive it.  Null when a buffer cannot be had.
VI_fft_backend_f *VI_fft_backend_share_f(const VI_fft_backend_f *first, std::uint64_t n);
VI_rfft_backend_f *VI_rfft_backend_share_f(const VI_rfft_backend_f *first, std::uint64_t h,
                                           std::int32_t kind);

// Release the owned buffers (an output buffer equal to the input buffer
// once), destroy the plan if the record owns it, release the record.
// Null is accepted.
void VI_fft_backend_destroy_f(VI_fft_backend_f *b);
void VI_rfft_backend_destroy_f(VI_rfft_backend_f *b, std::int32_t kind);

// Release the workspace slots of an FFT or multiple-FFT object (views and
// buffers left there by users built on the FFT); null slots are skipped.
template <class Object>
inline void VI_fft_release_workspace(Object *o) {
    for (vsip_cvview_f *v : o->work_view)
        if (v)
            vsip_cvdestroy_f(v);
    for (void *p : o->work_buffer)
        if (p)
            VI_free(p);
}

#endif // VSIP_SIGNAL_FFT_BACKEND_HPP
