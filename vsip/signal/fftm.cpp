// Multiple FFT objects.  The lines (rows or columns) of one object share
// one FFTW plan; the lines of a call are split into one contiguous
// run per binding record, and the runs go through the parallel loop frame,
// so each thread works with its own record's buffers and threads share
// only the plan, which FFTW executes concurrently on different arrays.
// Strided lines (columns of a row-major matrix, rows of a column-major
// one) are copied one by one into the contiguous buffers: a plan over a
// band of such lines at once (stride the row length, distance 1) runs 2 to
// 3 times slower with FFTW_ESTIMATE than these copies with the contiguous
// plan, for bands of 2 to all lines (vsip_fft_bench prints both).
#include <omp.h>

#include <algorithm>
#include <cstring>

#include "common/parallel.hpp"
#include "fft_backend.hpp"
#include "fft_run.hpp"

namespace {

bool by_rows(const vsip_fftm_f *f) { return f->major == VSIP_ROW; }

bool real_kind(std::int32_t kind) {
    return kind == VI_FFT_REAL_TO_COMPLEX || kind == VI_FFT_COMPLEX_TO_REAL;
}

// The records that share the first one's plan go first.
void destroy_records(vsip_fftm_f *f) {
    for (std::uint64_t i = f->nrecords; i-- > 0;) {
        if (real_kind(f->kind))
            VI_rfft_backend_destroy_f(static_cast<VI_rfft_backend_f *>(f->records[i]), f->kind);
        else
            VI_fft_backend_destroy_f(static_cast<VI_fft_backend_f *>(f->records[i]));
    }
}

// One record per thread that may run the lines: as many as the processors
// or the library's thread count, whichever is larger, and never more than
// the lines.
std::uint64_t record_count(std::uint64_t lines) {
    const std::uint64_t threads =
        static_cast<std::uint64_t>(std::max({vi::thread_count(), omp_get_num_procs(), 1}));
    return std::min(lines, threads);
}

// A binding record: the first one (`first` null) makes the plan, the
// others have their own buffers and run the first one's plan.
void *new_record(std::int32_t kind, void *first, std::uint64_t length, std::uint64_t h, int sign,
                 unsigned flags) {
    if (real_kind(kind)) {
        if (first)
            return VI_rfft_backend_share_f(static_cast<VI_rfft_backend_f *>(first), h, kind);
        return VI_rfft_backend_create_f(h, kind, flags);
    }
    if (first)
        return VI_fft_backend_share_f(static_cast<VI_fft_backend_f *>(first), length);
    return VI_fft_backend_create_f(length, sign, flags);
}

// M x N data: by rows M transforms along N, by columns N along M.  The
// complex forms transform the whole line, the real forms its length
// rounded down to even (at least 2).
vsip_fftm_f *create(std::int32_t kind, vsip_length M, vsip_length N, vsip_scalar_f scale,
                    std::int32_t dir, vsip_major major, vsip_length ntimes, vsip_alg_hint hint) {
    const bool rows = major == VSIP_ROW;
    const std::uint64_t line = rows ? N : M;
    const std::uint64_t count = rows ? M : N;
    const bool real = real_kind(kind);
    const std::uint64_t h = real ? line / 2 : 0;
    const std::uint64_t length = real ? 2 * h : line;
    if (count == 0 || length == 0 || length > VI_FFT_MAX_LENGTH)
        return nullptr;
    auto *f = static_cast<vsip_fftm_f *>(VI_malloc(sizeof(vsip_fftm_f)));
    if (!f)
        return nullptr;
    *f = vsip_fftm_f{{nullptr, nullptr},
                     {nullptr, nullptr, nullptr, nullptr},
                     scale,
                     N,
                     M,
                     h,
                     0,
                     major,
                     dir,
                     kind,
                     static_cast<std::int32_t>(ntimes),
                     hint,
                     VI_fft_planner_flags(hint),
                     nullptr,
                     0};
    const std::uint64_t records = record_count(count);
    f->records = static_cast<void **>(VI_malloc_array(records, sizeof(void *)));
    if (!f->records) {
        VI_free(f);
        return nullptr;
    }
    std::memset(f->records, 0, records * sizeof(void *));
    f->count = count;
    const unsigned flags = static_cast<unsigned>(f->flags);
    const int sign = dir == VSIP_FFT_FWD ? FFTW_FORWARD : FFTW_BACKWARD;
    for (std::uint64_t i = 0; i < records; ++i) {
        f->records[i] = new_record(kind, i ? f->records[0] : nullptr, length, h, sign, flags);
        if (!f->records[i]) {
            vsip_fftm_destroy_f(f);
            return nullptr;
        }
        f->nrecords = i + 1;
    }
    return f;
}

// Runs item(record, i) for the rows (or columns) of the view of `rows` x
// `cols` elements that sets the work: one contiguous run of lines per
// record, the runs through the parallel loop frame.  A view with more lines
// than the object's is cut to the object's lines.
template <class Item>
void for_each_line(const vsip_fftm_f *f, vsip_length rows, vsip_length cols, Item item) {
    const auto lines = static_cast<std::int64_t>(
        std::min<std::uint64_t>(by_rows(f) ? rows : cols, f->count));
    const auto runs = static_cast<std::int64_t>(
        std::min<std::uint64_t>(f->nrecords, static_cast<std::uint64_t>(lines)));
    vi::parallel(runs, [&](std::int64_t r) {
        const vi::item_run run = vi::run_of(static_cast<int>(r), static_cast<int>(runs), lines);
        for (std::int64_t i = run.begin; i < run.end; ++i)
            item(r, i);
    });
}

vi::idx line_length(const vsip_fftm_f *f, vsip_length rows, vsip_length cols) {
    return static_cast<vi::idx>(by_rows(f) ? cols : rows);
}

// Lines of a matrix view along the object's major, and their length.
struct line_shape {
    std::uint64_t lines;
    std::uint64_t length;
};
template <class View>
line_shape shape(const vsip_fftm_f *f, const View *v) {
    return by_rows(f) ? line_shape{v->col_length, v->row_length}
                      : line_shape{v->row_length, v->col_length};
}

// Every execute function first checks that the object is of its kind and
// that both matrices have at least the object's lines, each at least as
// long as the transform reads or writes; on a mismatch it logs an ERROR
// line and leaves the output alone.
constexpr const char *kWrongKind =
    "The multiple-FFT object is not of the kind this function executes.";
constexpr const char *kShortView =
    "A matrix has fewer or shorter lines than the multiple-FFT object's input or output.";

template <class X, class Y>
bool usable(const char *name, const vsip_fftm_f *f, std::int32_t kind, const X *x,
            std::uint64_t x_needed, const Y *y, std::uint64_t y_needed) {
    if (f->kind != kind) {
        VI_log(VI_LOG_ERROR, name, kWrongKind);
        return false;
    }
    const line_shape in = shape(f, x), out = shape(f, y);
    if (in.lines < f->count || out.lines < f->count || in.length < x_needed ||
        out.length < y_needed) {
        VI_log(VI_LOG_ERROR, name, kShortView);
        return false;
    }
    return true;
}

std::uint64_t complex_length(const vsip_fftm_f *f) { return by_rows(f) ? f->N : f->M; }

const VI_fft_backend_f *complex_record(const vsip_fftm_f *f, std::int64_t i) {
    return static_cast<const VI_fft_backend_f *>(f->records[i]);
}
const VI_rfft_backend_f *real_record(const vsip_fftm_f *f, std::int64_t i) {
    return static_cast<const VI_rfft_backend_f *>(f->records[i]);
}

} // namespace

extern "C" {

VSIP_API vsip_fftm_f *vsip_ccfftmip_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_fft_dir dir, vsip_major major,
                                             vsip_length ntimes, vsip_alg_hint hint) {
    return create(VI_FFT_COMPLEX_IP, M, N, scale, dir, major, ntimes, hint);
}

VSIP_API vsip_fftm_f *vsip_ccfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_fft_dir dir, vsip_major major,
                                             vsip_length ntimes, vsip_alg_hint hint) {
    return create(VI_FFT_COMPLEX_OP, M, N, scale, dir, major, ntimes, hint);
}

VSIP_API vsip_fftm_f *vsip_rcfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_major major, vsip_length ntimes,
                                             vsip_alg_hint hint) {
    return create(VI_FFT_REAL_TO_COMPLEX, M, N, scale, VSIP_FFT_FWD, major, ntimes, hint);
}

VSIP_API vsip_fftm_f *vsip_crfftmop_create_f(vsip_length M, vsip_length N, vsip_scalar_f scale,
                                             vsip_major major, vsip_length ntimes,
                                             vsip_alg_hint hint) {
    return create(VI_FFT_COMPLEX_TO_REAL, M, N, scale, VSIP_FFT_INV, major, ntimes, hint);
}

VSIP_API void vsip_ccfftmop_f(const vsip_fftm_f *f, const vsip_cmview_f *X,
                              const vsip_cmview_f *Y) {
    if (!usable("vsip_ccfftmop_f", f, VI_FFT_COMPLEX_OP, X, complex_length(f), Y,
                complex_length(f)))
        return;
    const vi::cplx_mwalk x = vi::walk(X), y = vi::walk(Y);
    const bool rows = by_rows(f);
    const vi::idx n = static_cast<vi::idx>(rows ? f->N : f->M);
    const vi::idx y_length = line_length(f, Y->col_length, Y->row_length);
    for_each_line(f, Y->col_length, Y->row_length, [&](std::int64_t r, std::int64_t i) {
        vi::run(complex_record(f, r), n, vi::line(x, rows, i), vi::line(y, rows, i),
                y_length, f->scale);
    });
}

VSIP_API void vsip_ccfftmip_f(const vsip_fftm_f *f, const vsip_cmview_f *XY) {
    if (!usable("vsip_ccfftmip_f", f, VI_FFT_COMPLEX_IP, XY, complex_length(f), XY,
                complex_length(f)))
        return;
    const vi::cplx_mwalk xy = vi::walk(XY);
    const bool rows = by_rows(f);
    const vi::idx n = static_cast<vi::idx>(rows ? f->N : f->M);
    const vi::idx length = line_length(f, XY->col_length, XY->row_length);
    for_each_line(f, XY->col_length, XY->row_length, [&](std::int64_t r, std::int64_t i) {
        const vi::step_cref both = vi::line(xy, rows, i);
        vi::run(complex_record(f, r), n, both, both, length, f->scale);
    });
}

VSIP_API void vsip_rcfftmop_f(const vsip_fftm_f *f, const vsip_mview_f *X,
                              const vsip_cmview_f *Y) {
    if (!usable("vsip_rcfftmop_f", f, VI_FFT_REAL_TO_COMPLEX, X, 2 * f->h, Y, f->h + 1))
        return;
    const vi::real_mwalk<float> x = vi::walk(X);
    const vi::cplx_mwalk y = vi::walk(Y);
    const bool rows = by_rows(f);
    const vi::idx y_length = line_length(f, Y->col_length, Y->row_length);
    for_each_line(f, Y->col_length, Y->row_length, [&](std::int64_t r, std::int64_t i) {
        vi::run_rc(real_record(f, r), static_cast<vi::idx>(f->h), vi::line(x, rows, i),
                   vi::line(y, rows, i), y_length, f->scale);
    });
}

VSIP_API void vsip_crfftmop_f(const vsip_fftm_f *f, const vsip_cmview_f *X,
                              const vsip_mview_f *Y) {
    if (!usable("vsip_crfftmop_f", f, VI_FFT_COMPLEX_TO_REAL, X, f->h + 1, Y, 2 * f->h))
        return;
    const vi::cplx_mwalk x = vi::walk(X);
    const vi::real_mwalk<float> y = vi::walk(Y);
    const bool rows = by_rows(f);
    const vi::idx y_length = line_length(f, Y->col_length, Y->row_length);
    for_each_line(f, X->col_length, X->row_length, [&](std::int64_t r, std::int64_t i) {
        vi::run_cr(real_record(f, r), static_cast<vi::idx>(f->h), vi::line(x, rows, i),
                   vi::line(y, rows, i), y_length, f->scale);
    });
}

VSIP_API void vsip_fftm_getattr_f(const vsip_fftm_f *f, vsip_fftm_attr_f *attr) {
    const vsip_scalar_mi whole{f->M, f->N};
    const vsip_scalar_mi half = by_rows(f) ? vsip_scalar_mi{f->count, f->h + 1}
                                           : vsip_scalar_mi{f->h + 1, f->count};
    switch (f->kind) {
    case VI_FFT_COMPLEX_OP:
    case VI_FFT_COMPLEX_IP:
        attr->input = whole;
        attr->output = whole;
        attr->place = f->kind == VI_FFT_COMPLEX_IP ? VSIP_FFT_IP : VSIP_FFT_OP;
        break;
    case VI_FFT_REAL_TO_COMPLEX:
        attr->input = whole;
        attr->output = half;
        attr->place = VSIP_FFT_OP;
        break;
    case VI_FFT_COMPLEX_TO_REAL:
        attr->input = half;
        attr->output = whole;
        attr->place = VSIP_FFT_OP;
        break;
    default:
        return;
    }
    attr->scale = f->scale;
    attr->dir = static_cast<vsip_fft_dir>(f->dir);
    attr->major = static_cast<vsip_major>(f->major);
}

VSIP_API int vsip_fftm_destroy_f(vsip_fftm_f *f) {
    if (!f)
        return 0;
    VI_fft_release_workspace(f);
    if (f->records) {
        destroy_records(f);
        VI_free(f->records);
    }
    VI_free(f);
    return 0;
}

} // extern "C"
