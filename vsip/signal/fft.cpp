// Single FFT objects: complex in place and out of place, real-to-complex
// and complex-to-real, on FFTW plans made at creation, run on the object's
// buffers or directly on the caller's data (fft_run.hpp).  The complex
// objects also get the companion plans that run faster for their length
// (a split plan for library-made split vectors, an in-place plan).
#include <climits>

#include "fft_backend.hpp"
#include "fft_run.hpp"

namespace {

constexpr const char *kBackendLine = "fft backend is FFTW.";

vsip_fft_f *new_object(std::int32_t kind, std::uint64_t length, vsip_scalar_f scale,
                       std::int32_t dir, vsip_length ntimes, std::int32_t hint) {
    auto *fft = static_cast<vsip_fft_f *>(VI_malloc(sizeof(vsip_fft_f)));
    if (!fft)
        return nullptr;
    *fft = vsip_fft_f{{nullptr, nullptr},
                      {nullptr, nullptr, nullptr, nullptr},
                      scale,
                      length,
                      dir,
                      kind,
                      static_cast<std::int32_t>(ntimes),
                      hint,
                      VI_fft_planner_flags(hint),
                      nullptr};
    return fft;
}

// The complex creators log before allocating the object.
vsip_fft_f *create_complex(const char *name, std::int32_t kind, vsip_length N,
                           vsip_scalar_f scale, vsip_fft_dir dir, vsip_length ntimes,
                           vsip_alg_hint hint) {
    VI_log(VI_LOG_DEBUG, name, kBackendLine);
    if (N < 1 || N > VI_FFT_MAX_LENGTH)
        return nullptr;
    vsip_fft_f *fft = new_object(kind, N, scale, dir, ntimes, hint);
    if (!fft)
        return nullptr;
    fft->backend = VI_fft_backend_create_f(N, dir == VSIP_FFT_FWD ? FFTW_FORWARD : FFTW_BACKWARD,
                                           static_cast<unsigned>(fft->flags),
                                           VI_fft_companions(N, kind == VI_FFT_COMPLEX_IP));
    if (!fft->backend) {
        VI_free(fft);
        return nullptr;
    }
    return fft;
}

// The real creators log after allocating the object.  The transform length
// is N rounded down to even, and must be at least 2.
vsip_fft_f *create_real(const char *name, std::int32_t kind, vsip_length N, vsip_scalar_f scale,
                        vsip_length ntimes, vsip_alg_hint hint) {
    if (N < 2 || N > VI_FFT_MAX_LENGTH)
        return nullptr;
    const std::int32_t dir = kind == VI_FFT_REAL_TO_COMPLEX ? VSIP_FFT_FWD : VSIP_FFT_INV;
    vsip_fft_f *fft = new_object(kind, N / 2, scale, dir, ntimes, hint);
    if (!fft)
        return nullptr;
    VI_log(VI_LOG_DEBUG, name, kBackendLine);
    fft->backend = VI_rfft_backend_create_f(N / 2, kind, static_cast<unsigned>(fft->flags));
    if (!fft->backend) {
        VI_free(fft);
        return nullptr;
    }
    return fft;
}

// Every execute function first checks that the object is of its kind and
// that the views hold the lengths the object reads and writes; on a
// mismatch it logs an ERROR line and leaves the output alone.
constexpr const char *kWrongKind = "The FFT object is not of the kind this function executes.";
constexpr const char *kShortView = "A view is shorter than the FFT object's input or output.";

bool usable(const char *name, const vsip_fft_f *fft, std::int32_t kind, vsip_length x_length,
            vsip_length x_needed, vsip_length y_length, vsip_length y_needed) {
    if (fft->kind != kind) {
        VI_log(VI_LOG_ERROR, name, kWrongKind);
        return false;
    }
    if (x_length < x_needed || y_length < y_needed) {
        VI_log(VI_LOG_ERROR, name, kShortView);
        return false;
    }
    return true;
}

const VI_fft_backend_f *complex_backend(const vsip_fft_f *fft) {
    return static_cast<const VI_fft_backend_f *>(fft->backend);
}
const VI_rfft_backend_f *real_backend(const vsip_fft_f *fft) {
    return static_cast<const VI_rfft_backend_f *>(fft->backend);
}

} // namespace

extern "C" {

VSIP_API vsip_fft_f *vsip_ccfftip_create_f(vsip_length N, vsip_scalar_f scale, vsip_fft_dir dir,
                                           vsip_length ntimes, vsip_alg_hint hint) {
    return create_complex("vsip_ccfftip_create_f", VI_FFT_COMPLEX_IP, N, scale, dir, ntimes,
                          hint);
}

VSIP_API vsip_fft_f *vsip_ccfftop_create_f(vsip_length N, vsip_scalar_f scale, vsip_fft_dir dir,
                                           vsip_length ntimes, vsip_alg_hint hint) {
    return create_complex("vsip_ccfftop_create_f", VI_FFT_COMPLEX_OP, N, scale, dir, ntimes,
                          hint);
}

VSIP_API vsip_fft_f *vsip_rcfftop_create_f(vsip_length N, vsip_scalar_f scale,
                                           vsip_length ntimes, vsip_alg_hint hint) {
    return create_real("vsip_rcfftop_create_f", VI_FFT_REAL_TO_COMPLEX, N, scale, ntimes, hint);
}

VSIP_API vsip_fft_f *vsip_crfftop_create_f(vsip_length N, vsip_scalar_f scale,
                                           vsip_length ntimes, vsip_alg_hint hint) {
    return create_real("vsip_crfftop_create_f", VI_FFT_COMPLEX_TO_REAL, N, scale, ntimes, hint);
}

VSIP_API void vsip_ccfftop_f(const vsip_fft_f *fft, const vsip_cvview_f *x,
                             const vsip_cvview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(fft, x, y));
    if (!usable("vsip_ccfftop_f", fft, VI_FFT_COMPLEX_OP, x->length, fft->length, y->length,
                fft->length))
        return;
    vi::run(complex_backend(fft), static_cast<std::int32_t>(fft->length), vi::line(vi::walk(x)),
            vi::line(vi::walk(y)), static_cast<vi::idx>(y->length), fft->scale);
}

VSIP_API void vsip_ccfftip_f(const vsip_fft_f *fft, const vsip_cvview_f *xy) {
    VI_CHECK(vi::chk::object_views_fault(fft, xy));
    if (!usable("vsip_ccfftip_f", fft, VI_FFT_COMPLEX_IP, xy->length, fft->length, xy->length,
                fft->length))
        return;
    const vi::step_cref both = vi::line(vi::walk(xy));
    vi::run(complex_backend(fft), static_cast<std::int32_t>(fft->length), both, both,
            static_cast<vi::idx>(xy->length), fft->scale);
}

// Exactly the h+1 written bins are scaled, whatever y's length.
VSIP_API void vsip_rcfftop_f(const vsip_fft_f *fft, const vsip_vview_f *x,
                             const vsip_cvview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(fft, x, y));
    if (!usable("vsip_rcfftop_f", fft, VI_FFT_REAL_TO_COMPLEX, x->length, 2 * fft->length,
                y->length, fft->length + 1))
        return;
    const vi::idx h = static_cast<vi::idx>(fft->length);
    vi::run_rc(real_backend(fft), h, vi::line(vi::walk(x)), vi::line(vi::walk(y)), h + 1,
               fft->scale);
}

VSIP_API void vsip_crfftop_f(const vsip_fft_f *fft, const vsip_cvview_f *x,
                             const vsip_vview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(fft, x, y));
    if (!usable("vsip_crfftop_f", fft, VI_FFT_COMPLEX_TO_REAL, x->length, fft->length + 1,
                y->length, 2 * fft->length))
        return;
    vi::run_cr(real_backend(fft), static_cast<vi::idx>(fft->length), vi::line(vi::walk(x)),
               vi::line(vi::walk(y)), static_cast<vi::idx>(y->length), fft->scale);
}

VSIP_API void vsip_fft_getattr_f(const vsip_fft_f *fft, vsip_fft_attr_f *attr) {
    const vsip_length n = fft->length;
    switch (fft->kind) {
    case VI_FFT_COMPLEX_OP:
    case VI_FFT_COMPLEX_IP:
        attr->input = n;
        attr->output = n;
        attr->place = fft->kind == VI_FFT_COMPLEX_IP ? VSIP_FFT_IP : VSIP_FFT_OP;
        break;
    case VI_FFT_REAL_TO_COMPLEX:
        attr->input = 2 * n;
        attr->output = n + 1;
        attr->place = VSIP_FFT_OP;
        break;
    case VI_FFT_COMPLEX_TO_REAL:
        attr->input = n + 1;
        attr->output = 2 * n;
        attr->place = VSIP_FFT_OP;
        break;
    default:
        return;
    }
    attr->scale = fft->scale;
    attr->dir = static_cast<vsip_fft_dir>(fft->dir);
}

VSIP_API int vsip_fft_destroy_f(vsip_fft_f *fft) {
    if (!fft)
        return 0;
    VI_fft_release_workspace(fft);
    switch (fft->kind) {
    case VI_FFT_COMPLEX_OP:
    case VI_FFT_COMPLEX_IP:
        VI_fft_backend_destroy_f(static_cast<VI_fft_backend_f *>(fft->backend));
        break;
    case VI_FFT_REAL_TO_COMPLEX:
    case VI_FFT_COMPLEX_TO_REAL:
        VI_rfft_backend_destroy_f(static_cast<VI_rfft_backend_f *>(fft->backend), fft->kind);
        break;
    default:
        break;
    }
    VI_free(fft);
    return 0;
}

} // extern "C"
