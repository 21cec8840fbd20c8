// Decimating FIR filters, real and complex.
//
// An object holds its kernel time-reversed (element j multiplies the j-th
// oldest sample of a window), the most recent input samples that the next
// block still needs (the history, oldest first), and the phase p: the
// index within the next block of the next output sample.  Output n of a
// block is the window of M samples ending at input position p + nD.
//
// A block of at least M samples is filtered in two regions:
//   start  outputs whose window reaches back into the history: the dot
//          product of the kernel's head with the history plus that of its
//          tail with the block's first samples (vsip_vdot_f / vsip_cvdot_f);
//   main   the remaining outputs, each as eight single-precision lane sums
//          over the kernel held in a 32-byte-aligned buffer padded with
//          zeros to a multiple of eight, added in lane order onto 0.
// A block shorter than the kernel is appended to the history in the
// object's work buffer and every output is taken from there with the main
// region's arithmetic, so short blocks and a phase beyond the block (a
// decimation larger than the block) continue one signal like any other.
//
// The real main region rounds every product before adding it; the complex
// one uses fused multiply-adds.  A strided input is gathered piece by
// piece into the work area (sized at creation), so filtering never
// allocates: first the samples of the start region, then for each run of
// main-region outputs the span of input their windows cover.  Every output
// sees the same contiguous samples as over a copy of the whole block, so
// the results do not depend on the pieces.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "common/lines.hpp"
#include "common/walk.hpp"

namespace {

using vi::idx;

constexpr idx kLanes = 8;
constexpr std::size_t kAlign = 32;

// Kernel lengths padded to whole groups of eight lanes.
inline idx padded(idx m) { return (m + kLanes - 1) / kLanes * kLanes; }

// Samples per part of the work area beyond 2M: the piece of a strided
// input gathered at a time (at most the block length).
constexpr idx kStridedPiece = 4096;
inline idx work_length(idx m, vsip_length n) {
    return 2 * m + static_cast<idx>(std::min<vsip_length>(n, kStridedPiece));
}

template <class KernelView>
struct fir_object {
    KernelView *kernel;   // time-reversed kernel: element j holds h[M-1-j]
    KernelView *history;  // offset 0; M-1-p samples after a saving call
    vsip_length in_len;
    vsip_length kernel_len;
    vsip_length phase;
    vsip_length decimation;
    std::int32_t ntimes;
    std::int32_t symm;
    std::int32_t hint;
    std::int32_t state;
    // One allocation: the aligned kernel lanes (complex: the real parts,
    // then the imaginary parts, padded(M) floats each) and the work area
    // (work_len floats per part): blocks shorter than the kernel need
    // 2M - 2 samples, pieces of a strided input at least M.
    void *storage;
    float *taps;
    float *work;
    vi::idx work_len;
};

} // namespace

struct vsip_fir_f : fir_object<vsip_vview_f> {};
struct vsip_cfir_f : fir_object<vsip_cvview_f> {};

namespace {

// ---- Main region --------------------------------------------------------
//
// Each output is a window of M samples in groups of eight lanes; the last
// group takes zeros past the window, so nothing after it is read.  Four
// outputs are computed side by side (independent sums, so the additions of
// one do not wait for another's); each keeps its own lanes and order.

constexpr idx kSide = 4;

// Real windows: every product rounded, then added.
struct real_lanes {
    float s[kLanes] = {};
    void add(const float *k, const float *x) {
#pragma GCC unroll 8
        for (idx j = 0; j < kLanes; ++j)
            s[j] = s[j] + k[j] * x[j];
    }
};

// Complex windows (split parts): re += xr kr - xi ki, im += xr ki + xi kr
// with fused multiply-adds.
struct complex_lanes {
    float re[kLanes] = {};
    float im[kLanes] = {};
    void add(const float *kr, const float *ki, const float *xr, const float *xi) {
#pragma GCC unroll 8
        for (idx j = 0; j < kLanes; ++j) {
            re[j] = __builtin_fmaf(xr[j], kr[j], re[j]);
            re[j] = __builtin_fmaf(-xi[j], ki[j], re[j]);
            im[j] = __builtin_fmaf(xr[j], ki[j], im[j]);
            im[j] = __builtin_fmaf(xi[j], kr[j], im[j]);
        }
    }
};

// The last, partial group of a window and the lane sum in lane order
// onto 0.
inline float real_finish(real_lanes &l, const float *taps, idx full, idx M, const float *w) {
    if (full < M) {
        float tail[kLanes] = {};
        for (idx j = 0; j < M - full; ++j)
            tail[j] = w[full + j];
        l.add(taps + full, tail);
    }
    float sum = 0.0f;
    for (idx j = 0; j < kLanes; ++j)
        sum = sum + l.s[j];
    return sum;
}

inline void complex_finish(complex_lanes &l, const float *kr, const float *ki, idx full, idx M,
                           const float *wr, const float *wi, float *yr, float *yi) {
    if (full < M) {
        float tr[kLanes] = {}, ti[kLanes] = {};
        for (idx j = 0; j < M - full; ++j) {
            tr[j] = wr[full + j];
            ti[j] = wi[full + j];
        }
        l.add(kr + full, ki + full, tr, ti);
    }
    float sr = 0.0f, si = 0.0f;
    for (idx j = 0; j < kLanes; ++j) {
        sr = sr + l.re[j];
        si = si + l.im[j];
    }
    *yr = sr;
    *yi = si;
}

// y[n * ystep] for n below count, output n over the window at x + first + nD.
VI_LOOP_CLONES void real_outputs(const float *taps, idx M, const float *x, idx first, idx D,
                                 idx count, float *y, idx ystep) {
    const idx full = M / kLanes * kLanes;
    idx n = 0;
    for (; n + kSide <= count; n += kSide) {
        const float *w = x + first + n * D;
        real_lanes l[kSide];
        for (idx g = 0; g < full; g += kLanes)
#pragma GCC unroll 4
            for (idx r = 0; r < kSide; ++r)
                l[r].add(taps + g, w + r * D + g);
        for (idx r = 0; r < kSide; ++r)
            y[(n + r) * ystep] = real_finish(l[r], taps, full, M, w + r * D);
    }
    for (; n < count; ++n) {
        const float *w = x + first + n * D;
        real_lanes l;
        for (idx g = 0; g < full; g += kLanes)
            l.add(taps + g, w + g);
        y[n * ystep] = real_finish(l, taps, full, M, w);
    }
}

VI_LOOP_CLONES void complex_outputs(const float *kr, const float *ki, idx M, const float *xr,
                                    const float *xi, idx first, idx D, idx count, float *yr,
                                    float *yi, idx ystep) {
    const idx full = M / kLanes * kLanes;
    idx n = 0;
    for (; n + kSide <= count; n += kSide) {
        const idx at = first + n * D;
        complex_lanes l[kSide];
        for (idx g = 0; g < full; g += kLanes)
#pragma GCC unroll 4
            for (idx r = 0; r < kSide; ++r)
                l[r].add(kr + g, ki + g, xr + at + r * D + g, xi + at + r * D + g);
        for (idx r = 0; r < kSide; ++r)
            complex_finish(l[r], kr, ki, full, M, xr + at + r * D, xi + at + r * D,
                           yr + (n + r) * ystep, yi + (n + r) * ystep);
    }
    for (; n < count; ++n) {
        const idx at = first + n * D;
        complex_lanes l;
        for (idx g = 0; g < full; g += kLanes)
            l.add(kr + g, ki + g, xr + at + g, xi + at + g);
        complex_finish(l, kr, ki, full, M, xr + at, xi + at, yr + n * ystep, yi + n * ystep);
    }
}

// ---- Samples and views over them ----------------------------------------

// Contiguous samples: real values at re; complex values at re and im with
// `step` floats between elements (1 split, 2 interleaved).
struct samples {
    float *re;
    float *im;
    idx step;
};

// A block record over caller memory, so that the dot products can take
// views of buffers that no library block describes.
inline vsip_block_f local_block(float *data, idx step, idx length) {
    vsip_block_f b{};
    b.data = data;
    b.kind = VI_STORAGE_USER;
    b.admitted = 1;
    b.elem_stride = step;
    b.length = static_cast<vsip_length>(length);
    b.marker = VI_MARKER_LIVE;
    return b;
}

struct real_frame {
    vsip_block_f block;
    explicit real_frame(const samples &s, idx length) : block(local_block(s.re, 1, length)) {}
    vsip_vview_f view(idx offset, idx length) const {
        return {const_cast<vsip_block_f *>(&block), static_cast<vsip_offset>(offset), 1,
                static_cast<vsip_length>(length), VI_MARKER_LIVE};
    }
};

struct complex_frame {
    vsip_block_f re, im;
    vsip_cblock_f block;
    explicit complex_frame(const samples &s, idx length)
        : re(local_block(s.re, s.step, length)), im(local_block(s.im, s.step, length)), block{} {
        block.real_part = &re;
        block.imag_part = &im;
        block.kind = VI_STORAGE_USER;
        block.admitted = 1;
        block.part_stride = static_cast<std::int32_t>(s.step);
        block.length = static_cast<vsip_length>(length);
        block.marker = VI_MARKER_LIVE;
        re.parent = im.parent = &block;
        re.kind = im.kind = VI_STORAGE_PART;
    }
    complex_frame(const complex_frame &) = delete;
    vsip_cvview_f view(idx offset, idx length) const {
        return {const_cast<vsip_cblock_f *>(&block), static_cast<vsip_offset>(offset), 1,
                static_cast<vsip_length>(length), VI_MARKER_LIVE};
    }
};

// A view record with another offset and length (same block and stride).
template <class V>
V part_of(const V *v, idx offset, idx length) {
    V r = *v;
    r.offset = v->offset + static_cast<vsip_offset>(offset * v->stride);
    r.length = static_cast<vsip_length>(length);
    return r;
}

// ---- Real and complex element traits -------------------------------------

struct real_traits {
    using object = vsip_fir_f;
    using view = vsip_vview_f;
    using value = float;
    using frame = real_frame;
    static constexpr int parts = 1;
    static constexpr const char *flt_name = "vsip_firflt_f";

    static view *create(vsip_length n) { return vsip_vcreate_f(n, VSIP_MEM_NONE); }
    static void destroy(view *v) { vsip_valldestroy_f(v); }
    static void copy(const view *a, const view *r) { vsip_vcopy_f_f(a, r); }
    static void conj_copy(const view *a, const view *r) { vsip_vcopy_f_f(a, r); }
    static void fill_zero(const view *r) { vsip_vfill_f(0.0f, r); }
    static value dot(const view *a, const view *b) { return vsip_vdot_f(a, b); }
    static value add(value a, value b) { return a + b; }

    static vi::step_ref<float> line(const view *v) { return vi::line(vi::walk(v)); }
    static bool unit(const view *v) { return vi::walk(v).unit; }
    static samples at(const view *v) { return {vi::walk(v).p, nullptr, 1}; }
    static void store(const view *y, idx n, value s) {
        const vi::real_walk<float> w = vi::walk(y);
        w.p[n * w.step] = s;
    }
};

struct complex_traits {
    using object = vsip_cfir_f;
    using view = vsip_cvview_f;
    using value = vsip_cscalar_f;
    using frame = complex_frame;
    static constexpr int parts = 2;
    static constexpr const char *flt_name = "vsip_cfirflt_f";

    static view *create(vsip_length n) { return vsip_cvcreate_f(n, VSIP_MEM_NONE); }
    static void destroy(view *v) { vsip_cvalldestroy_f(v); }
    static void copy(const view *a, const view *r) { vsip_cvcopy_f_f(a, r); }
    static void conj_copy(const view *a, const view *r) { vsip_cvconj_f(a, r); }
    static void fill_zero(const view *r) { vsip_cvfill_f(vsip_cmplx_f(0.0f, 0.0f), r); }
    static value dot(const view *a, const view *b) { return vsip_cvdot_f(a, b); }
    static value add(value a, value b) { return {a.r + b.r, a.i + b.i}; }

    static vi::step_cref line(const view *v) { return vi::line(vi::walk(v)); }
    static bool unit(const view *v) { return v->stride == 1; }
    static samples at(const view *v) {
        const vi::cplx_walk w = vi::walk(v);
        return {w.re, w.im, w.step};
    }
    static void store(const view *y, idx n, value s) { vsip_cvput_f(y, static_cast<vsip_index>(n), s); }
};

// ---- Creation ------------------------------------------------------------

template <class T>
void destroy_object(typename T::object *f) {
    if (!f)
        return;
    T::destroy(f->kernel);
    T::destroy(f->history);
    VI_free(f->storage);
    VI_free(f);
}

template <class T>
typename T::object *create(const typename T::view *kernel, std::int32_t symm, vsip_length N,
                           vsip_length D, std::int32_t state, vsip_length ntimes,
                           std::int32_t hint) {
    using view = typename T::view;
    auto *f = static_cast<typename T::object *>(VI_malloc(sizeof(typename T::object)));
    if (!f)
        return nullptr;
    std::memset(static_cast<void *>(f), 0, sizeof *f);
    const vsip_length L = kernel->length;
    vsip_length M = 0;
    if (symm == VSIP_NONSYM)
        M = L;
    else if (symm == VSIP_SYM_EVEN_LEN_ODD)
        M = L > 0 ? 2 * L - 1 : 0;
    else if (symm == VSIP_SYM_EVEN_LEN_EVEN)
        M = 2 * L;
    // An unknown symmetry, an empty kernel, a length that cannot be
    // addressed or a decimation of 0 makes no filter.
    if (M == 0 || M >= (vsip_length{1} << 40) || D == 0) {
        VI_free(f);
        return nullptr;
    }
    const idx m = static_cast<idx>(M);
    // The real kernel vector holds whole groups of eight (zeros after M).
    f->kernel = T::create(T::parts == 1 ? static_cast<vsip_length>(padded(m)) : M);
    f->history = T::create(M > 1 ? M - 1 : 1);
    const idx work = work_length(m, N);
    const std::uint64_t floats = static_cast<std::uint64_t>(T::parts) * (padded(m) + work);
    f->storage = f->kernel && f->history ? VI_malloc_array(floats * sizeof(float) + kAlign, 1) : nullptr;
    if (!f->storage) {
        destroy_object<T>(f);
        return nullptr;
    }
    f->in_len = N;
    f->kernel_len = M;
    f->phase = 0;
    f->decimation = D;
    f->ntimes = static_cast<std::int32_t>(ntimes);
    f->symm = symm;
    f->hint = hint;

    if (T::parts == 1)
        T::fill_zero(f->kernel);
    const view reversed = {f->kernel->block, static_cast<vsip_offset>(M - 1), -1, L, VI_MARKER_LIVE};
    if (symm != VSIP_NONSYM) {
        const view head = {f->kernel->block, 0, 1, L, VI_MARKER_LIVE};
        T::conj_copy(kernel, &head);
    }
    T::copy(kernel, &reversed);
    f->kernel->length = M;
    f->state = state;
    f->kernel->offset = 0;
    f->kernel->stride = 1;
    f->history->length = M - 1;
    T::fill_zero(f->history);

    // Aligned lanes of the kernel, zero after M.
    const std::uintptr_t raw = reinterpret_cast<std::uintptr_t>(f->storage);
    f->taps = reinterpret_cast<float *>((raw + kAlign - 1) / kAlign * kAlign);
    std::memset(f->taps, 0, sizeof(float) * static_cast<std::size_t>(T::parts * padded(m)));
    const samples k = T::at(f->kernel);
    for (idx j = 0; j < m; ++j) {
        f->taps[j] = k.re[j * k.step];
        if (T::parts == 2)
            f->taps[padded(m) + j] = k.im[j * k.step];
    }
    f->work = f->taps + T::parts * padded(m);
    f->work_len = work;
    return f;
}

// ---- Filtering -----------------------------------------------------------

// The main region's outputs [from, to) over contiguous samples s, whose
// element 0 is input position `origin` of the block (negative: history).
template <class T>
void main_region(const typename T::object *f, const samples &s, idx origin, idx from, idx to,
                 const typename T::view *y, bool default_kernel) {
    const idx M = static_cast<idx>(f->kernel_len), D = static_cast<idx>(f->decimation);
    const idx p = static_cast<idx>(f->phase);
    if (to <= from)
        return;
    const idx first = p + from * D - (M - 1) - origin;
    if constexpr (T::parts == 1) {
        const vi::real_walk<float> w = vi::walk(y);
        real_outputs(f->taps, M, s.re, first, D, to - from, w.p + from * w.step, w.step);
    } else if (!default_kernel) {
        const vi::cplx_walk w = vi::walk(y);
        const idx k = padded(M);
        complex_outputs(f->taps, f->taps + k, M, s.re, s.im, first, D, to - from,
                        w.re + from * w.step, w.im + from * w.step, w.step);
    } else {
        // The kernel against each window through the complex dot product,
        // which reads interleaved storage as it is.
        const complex_frame frame(s, first + (to - from - 1) * D + M);
        for (idx n = from; n < to; ++n) {
            const vsip_cvview_f window = frame.view(first + (n - from) * D, M);
            T::store(y, n, vsip_cvdot_f(f->kernel, &window));
        }
    }
}

// Copies n samples of a view into contiguous floats at dst (complex: the
// real parts at dst, the imaginary parts at dst + part).
inline void gather(const vsip_vview_f *v, idx from, idx n, float *dst, idx) {
    const vi::step_ref<float> l = real_traits::line(v);
    vi::copy_in(vi::step_ref<float>{l.p + from * l.step, l.step}, n, dst);
}
inline void gather(const vsip_cvview_f *v, idx from, idx n, float *dst, idx part) {
    const vi::step_cref l = complex_traits::line(v);
    for (idx i = 0; i < n; ++i) {
        dst[i] = l.re[(from + i) * l.step];
        dst[part + i] = l.im[(from + i) * l.step];
    }
}

// Stores n contiguous samples (layout as gather) into the history's
// elements [0, n).
inline void scatter(const float *src, idx n, const vsip_vview_f *h, idx) {
    std::memmove(vi::walk(h).p, src, sizeof(float) * static_cast<std::size_t>(n));
}
inline void scatter(const float *src, idx n, const vsip_cvview_f *h, idx part) {
    const vi::cplx_walk w = vi::walk(h);
    std::memmove(w.re, src, sizeof(float) * static_cast<std::size_t>(n));
    std::memmove(w.im, src + part, sizeof(float) * static_cast<std::size_t>(n));
}

// Outputs of the next call: positions p, p + D, ... below N.
template <class F>
vsip_length outputs(const F *f) {
    const vsip_length N = f->in_len, p = f->phase;
    return p < N ? (N - p - 1) / f->decimation + 1 : 0;
}

template <class T>
int filter(typename T::object *f, const typename T::view *x, const typename T::view *y) {
    using view = typename T::view;
    const idx N = static_cast<idx>(f->in_len), M = static_cast<idx>(f->kernel_len);
    const idx D = static_cast<idx>(f->decimation), p = static_cast<idx>(f->phase);
    const idx held = static_cast<idx>(f->history->length);
    const idx count = static_cast<idx>(outputs(f));
    // History samples the first window needs (none once p reaches M-1).
    const idx need = p < M - 1 ? M - 1 - p : 0;

    // Complex data at unit stride in interleaved storage goes through the
    // complex dot product (logged once the call can go ahead).
    bool default_kernel = false;
    if constexpr (T::parts == 2)
        default_kernel = (x->stride == 1 && x->block->part_stride == 2) ||
                         (y->stride == 1 && y->block->part_stride == 2);
    auto announce = [&] {
        if (!default_kernel)
            return;
        char text[64];
        std::snprintf(text, sizeof text, "use default kernel, kernel_ymm_num=%d",
                      static_cast<int>(((M - 1) >> 3) + 1));
        VI_log(VI_LOG_WARNING, T::flt_name, text);
    };

    // Next phase and the history the next block needs.
    const idx next_phase = p < N ? p + count * D - N : p - N;
    const idx keep = next_phase < M - 1 ? M - 1 - next_phase : 0;

    if (N < M) {
        // History and block one after the other in the work buffer: every
        // window lies inside it, and so do the samples to keep.
        const idx part = f->work_len;
        const idx len = need + N;
        samples s{f->work, f->work + part, 1};
        gather(f->history, held - need, need, s.re, part);
        gather(x, 0, N, s.re + need, part);
        announce();
        main_region<T>(f, s, -need, 0, count, y, default_kernel);
        if (f->state == VSIP_STATE_SAVE)
            scatter(s.re + len - keep, keep, f->history, part);
    } else {
        const bool unit = T::unit(x);
        const idx part = f->work_len;
        // Unit stride: the block itself; otherwise its first M-1 samples
        // (all the start region reads) gathered into the work area.
        samples s = unit ? T::at(x) : samples{f->work, f->work + part, 1};
        if (!unit)
            gather(x, 0, M - 1, s.re, part);
        announce();
        const typename T::frame input(s, unit ? N : M - 1);
        // Start region: windows that begin in the history.
        idx n = 0;
        for (idx len = p + 1; len < M && n < count; len += D, ++n) {
            const idx h = M - len;
            const view kA = part_of(f->kernel, 0, h), kB = part_of(f->kernel, h, len);
            const view hist = part_of(f->history, held - h, h);
            const view in = input.view(0, len);
            T::store(y, n, T::add(T::dot(&kA, &hist), T::dot(&kB, &in)));
        }
        if (unit) {
            main_region<T>(f, s, 0, n, count, y, default_kernel);
        } else {
            // Runs of outputs whose windows, (run - 1) D + M samples, fit
            // the work area.
            const idx run = (part - M) / D + 1;
            for (idx from = n; from < count; from += run) {
                const idx to = std::min(count, from + run);
                const idx start = p + from * D - (M - 1);
                gather(x, start, (to - 1 - from) * D + M, s.re, part);
                main_region<T>(f, s, start, from, to, y, default_kernel);
            }
        }
        if (f->state == VSIP_STATE_SAVE && keep > 0) {
            const view tail = part_of(x, N - keep, keep);
            const view dst = part_of(f->history, 0, keep);
            T::copy(&tail, &dst);
        }
    }

    // History: offset 0, M-1-p' samples when saving, M-1 otherwise (zeros
    // and phase 0 without state).
    f->history->offset = 0;
    if (f->state == VSIP_STATE_SAVE) {
        f->history->length = static_cast<vsip_length>(keep);
        f->phase = static_cast<vsip_length>(next_phase);
    } else {
        f->history->length = static_cast<vsip_length>(M - 1);
        if (f->state == VSIP_STATE_NO_SAVE) {
            T::fill_zero(f->history);
            f->phase = 0;
        } else {
            f->phase = static_cast<vsip_length>(next_phase);
        }
    }
    return static_cast<int>(count);
}

template <class A, class T>
void getattr(const T *f, A *attr) {
    attr->kernel_len = f->kernel_len;
    attr->symm = static_cast<vsip_symmetry>(f->symm);
    attr->in_len = f->in_len;
    attr->out_len = f->in_len / f->decimation + (f->in_len % f->decimation != 0);
    attr->decimation = f->decimation;
    attr->state = static_cast<vsip_obj_state>(f->state);
}

} // namespace

extern "C" {

VSIP_API vsip_fir_f *vsip_fir_create_f(const vsip_vview_f *kernel, vsip_symmetry symm,
                                       vsip_length N, vsip_length D, vsip_obj_state state,
                                       vsip_length ntimes, vsip_alg_hint hint) {
    return create<real_traits>(kernel, symm, N, D, state, ntimes, hint);
}

VSIP_API int vsip_firflt_f(vsip_fir_f *fir, const vsip_vview_f *x, const vsip_vview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(fir, x, y), 0);
    VI_CHECK(vi::chk::short_fault(x->length < fir->in_len || y->length < outputs(fir)), 0);
    return filter<real_traits>(fir, x, y);
}

VSIP_API void vsip_fir_getattr_f(const vsip_fir_f *fir, vsip_fir_attr *attr) { getattr(fir, attr); }

VSIP_API int vsip_fir_destroy_f(vsip_fir_f *fir) {
    destroy_object<real_traits>(fir);
    return 0;
}

VSIP_API vsip_cfir_f *vsip_cfir_create_f(const vsip_cvview_f *kernel, vsip_symmetry symm,
                                         vsip_length N, vsip_length D, vsip_obj_state state,
                                         vsip_length ntimes, vsip_alg_hint hint) {
    return create<complex_traits>(kernel, symm, N, D, state, ntimes, hint);
}

VSIP_API int vsip_cfirflt_f(vsip_cfir_f *fir, const vsip_cvview_f *x, const vsip_cvview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(fir, x, y), 0);
    VI_CHECK(vi::chk::short_fault(x->length < fir->in_len || y->length < outputs(fir)), 0);
    return filter<complex_traits>(fir, x, y);
}

VSIP_API void vsip_cfir_getattr_f(const vsip_cfir_f *fir, vsip_cfir_attr *attr) {
    getattr(fir, attr);
}

VSIP_API int vsip_cfir_destroy_f(vsip_cfir_f *fir) {
    destroy_object<complex_traits>(fir);
    return 0;
}

} // extern "C"
