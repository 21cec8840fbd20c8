// One-dimensional convolution of a real signal with a real kernel, and
// cross-correlation of real and complex data.
//
// The convolution object chooses once, at creation, between a direct sum
// over the reversed kernel and an FFT method.  The FFT methods carry two
// real sequences in one complex transform (real and imaginary parts): the
// two halves of a medium input, or pairs of segments of a long input that
// one multiple FFT transforms together before an overlap-add; long inputs
// with kernels above 999 taps are overlap-added the same way, in rows that
// stay in cache.  The complex correlation uses one power-of-two transform;
// the real correlation direct sums, overlap-added segments, or one
// transform carrying both operands, by their lengths.  Every inverse
// transform is a forward one between conjugations:
// inverse(Z) = conj(forward(conj(Z) / L)); the last conjugation is folded
// into the reads that gather the result.
#include <cmath>
#include <cstring>

#include "common/lines.hpp"
#include "common/walk.hpp"
#include "signal/conv.hpp"

namespace {

using vi::idx;

constexpr const char *kSymmMessage =
    "Symm must be [VSIP_NONSYM, VSIP_SYM_EVEN_LEN_ODD, VSIP_SYM_EVEN_LEN_EVEN].";
constexpr const char *kLengthMessage = "Input size N must greater or equal than kernel size M.";
constexpr const char *kModeMessage =
    "Mode must be [VSIP_SUPPORT_MIN, VSIP_SUPPORT_SAME, VSIP_SUPPORT_FULL].\n";

bool known_support(std::int32_t support) {
    return support == VSIP_SUPPORT_FULL || support == VSIP_SUPPORT_SAME ||
           support == VSIP_SUPPORT_MIN;
}

// Smallest power of two strictly above n (at least 2); 0 when it would
// not fit any transform.
std::uint64_t pow2_above(std::uint64_t n) {
    std::uint64_t p = 2;
    while (p <= n) {
        if (p > (std::uint64_t(1) << 40))
            return 0;
        p <<= 1;
    }
    return p;
}

// FFT length of the segmented method for a full kernel of length m (at
// most 999): each segment of L - m samples convolved with the kernel fits
// one row without wrap-around, and L - m is at least m - 1.
std::uint64_t segment_fft_length(std::uint64_t m) {
    static const struct {
        std::uint64_t max_m, L;
    } table[] = {{10, 32},    {19, 64},    {29, 128},   {49, 256},  {99, 512},
                 {199, 1024}, {299, 2048}, {599, 4096}, {999, 8192}};
    for (const auto &row : table)
        if (m <= row.max_m)
            return row.L;
    return 0;
}

// Row length of the overlap-added rows that replace one long transform
// (real correlation, and convolution with kernels above 999 taps): the
// segmented method's lengths up to 999 kernel samples, beyond that at
// least 8 M, so that 7/8 of each row is new data.
std::uint64_t overlap_row_length(std::uint64_t M) {
    return M <= 999 ? segment_fft_length(M) : pow2_above(8 * M - 1);
}

// Split parts of a library-created complex vector or row-major matrix.
struct split {
    float *re;
    float *im;
};
split parts(const vsip_cvview_f *v) {
    const vi::cplx_walk w = vi::walk(v);
    return {w.re, w.im};
}
split parts(const vsip_cmview_f *m) {
    const vi::cplx_mwalk w = vi::walk(m);
    return {w.re, w.im};
}

// ---- Loops -----------------------------------------------------------------

// Full-window sum of the direct method: 8-lane partial sums of rounded
// products over the groups of 8, the lanes added in order, then the
// remaining products with fused multiply-adds.
template <bool Unit>
VI_LOOP_CLONES inline float window_sum(const float *__restrict k, idx m, const float *x, idx step) {
    const idx groups = m / 8 * 8;
    float lane[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    if constexpr (Unit) {
        typedef float v8 __attribute__((vector_size(32)));
        v8 acc = {0, 0, 0, 0, 0, 0, 0, 0};
        for (idx g = 0; g < groups; g += 8) {
            v8 a, b;
            std::memcpy(&a, k + g, sizeof a);
            std::memcpy(&b, x + g, sizeof b);
            acc += a * b;
        }
        std::memcpy(lane, &acc, sizeof lane);
    } else {
        for (idx g = 0; g < groups; g += 8)
            for (int l = 0; l < 8; ++l)
                lane[l] += k[g + l] * x[(g + l) * step];
    }
    float t = lane[0];
    for (int l = 1; l < 8; ++l)
        t += lane[l];
    for (idx j = groups; j < m; ++j)
        t = std::fma(k[j], x[j * step], t);
    return t;
}

// y[n] = sum over j of k[j] x[w + j] with w = start + n d - (m - 1): k is
// the reversed kernel (convolution) or the reference (correlation).
// Windows reaching outside x take only the terms inside it.
template <bool Unit>
VI_LOOP_CLONES void direct_sums(const float *__restrict k, idx m, const float *x, idx xstep,
                                idx nx, idx start, idx d, idx count, float *y, idx ystep) {
    for (idx n = 0; n < count; ++n) {
        const idx w = start + n * d - m + 1;
        float t;
        if (w >= 0 && w <= nx - m) {
            t = window_sum<Unit>(k, m, x + w * xstep, xstep);
        } else {
            t = 0.0f;
            const idx lo = w < 0 ? -w : 0;
            const idx hi = std::min(m, nx - w);
            for (idx j = lo; j < hi; ++j)
                t = std::fma(k[j], x[(w + j) * xstep], t);
        }
        y[n * ystep] = t;
    }
}

// w = conj(w h) / L: the spectrum product followed by the first
// conjugation and the scaling of the inverse transform.
VI_LOOP_CLONES void multiply_for_inverse(float *__restrict re, float *__restrict im,
                                         const float *__restrict hre, const float *__restrict him,
                                         idx n, float inv_l) {
    for (idx i = 0; i < n; ++i) {
        const float a = re[i], b = im[i], c = hre[i], e = him[i];
        re[i] = (a * c - b * e) * inv_l;
        im[i] = -(a * e + b * c) * inv_l;
    }
}

// w = conj(w conj(r)) / L, for the correlation.
VI_LOOP_CLONES void multiply_conj_for_inverse(float *__restrict re, float *__restrict im,
                                              const float *__restrict rre,
                                              const float *__restrict rim, idx n, float inv_l) {
    for (idx i = 0; i < n; ++i) {
        const float a = re[i], b = im[i], c = rre[i], e = rim[i];
        re[i] = (a * c + b * e) * inv_l;
        im[i] = -(b * c - a * e) * inv_l;
    }
}

void zero(float *p, std::uint64_t n) { std::memset(p, 0, n * sizeof(float)); }

// dst[0 .. n-1] = x[from .. from+n-1].
void gather(const vi::real_walk<float> &x, idx from, idx n, float *dst) {
    vi::copy_in(vi::step_ref<float>{x.p + from * x.step, x.step}, n, dst);
}

// ---- Convolution -----------------------------------------------------------

// Estimated work of the FFT method, (N+M-1) ln(N+M-1), against that of
// the direct method, M times the number of full windows, plus 1, over 8
// for the 8-lane sums: the direct method when the FFT costs more.
bool direct_is_cheaper(std::uint64_t M, std::uint64_t N, std::uint64_t D) {
    const double fft_cost =
        static_cast<double>(M + N - 1) * std::log(static_cast<double>(M + N - 1));
    const std::uint64_t direct_cost = (M * ((N - M) / D) + 1) >> 3;
    return fft_cost > static_cast<double>(direct_cost);
}

std::uint64_t full_kernel_length(std::uint64_t K, std::int32_t symm) {
    switch (symm) {
    case VSIP_SYM_EVEN_LEN_ODD:
        return 2 * K - 1;
    case VSIP_SYM_EVEN_LEN_EVEN:
        return 2 * K;
    default:
        return K;
    }
}

// Element k of the full kernel: the caller's kernel, then its mirror.
float full_kernel(const vi::real_walk<float> &h, std::uint64_t K, std::uint64_t M,
                  std::uint64_t k) {
    const std::uint64_t j = k < K ? k : M - 1 - k;
    return h.p[static_cast<idx>(j) * h.step];
}

std::uint64_t output_length(std::int32_t support, std::uint64_t N, std::uint64_t M,
                            std::uint64_t D) {
    switch (support) {
    case VSIP_SUPPORT_FULL:
        return (N + M - 2) / D + 1;
    case VSIP_SUPPORT_SAME:
        return (N - 1) / D + 1;
    case VSIP_SUPPORT_MIN:
        return (N - 1) / D + 1 - (M - 1) / D;
    default:
        return 0;
    }
}

idx output_start(std::int32_t support, std::uint64_t M) {
    return support == VSIP_SUPPORT_FULL   ? 0
           : support == VSIP_SUPPORT_SAME ? static_cast<idx>(M / 2)
                                          : static_cast<idx>(M - 1);
}

// Transform of the zero-padded full kernel, in place in a new vector of
// length L; the FFT object that made it is returned through `fft`.
vsip_cvview_f *kernel_spectrum(const vi::real_walk<float> &h, std::uint64_t K, std::uint64_t M,
                               std::uint64_t L, vsip_alg_hint hint, vsip_fft_f **fft) {
    vsip_cvview_f *H = vsip_cvcreate_f(L, VSIP_MEM_NONE);
    if (!H)
        return nullptr;
    *fft = vsip_ccfftip_create_f(L, 1.0f, VSIP_FFT_FWD, 0, hint);
    if (!*fft) {
        vsip_cvalldestroy_f(H);
        return nullptr;
    }
    const split s = parts(H);
    zero(s.re, L);
    zero(s.im, L);
    for (std::uint64_t k = 0; k < M; ++k)
        s.re[k] = full_kernel(h, K, M, k);
    vsip_ccfftip_f(*fft, H);
    return H;
}

// Rows of segment pairs for a long kernel; the kernel's transform at the
// row length is made with the same multiple FFT (kernel in row 0).
bool make_long_kernel_segments(vsip_conv1d_f *c, const vi::real_walk<float> &h, std::uint64_t K,
                               std::uint64_t seg_L, vsip_alg_hint hint) {
    c->seg_L = seg_L;
    c->seg_S = seg_L - c->M;
    c->seg_Q = (c->N + c->seg_S - 1) / c->seg_S;
    const std::uint64_t rows = (c->seg_Q + 1) / 2;
    c->seg_fftm = vsip_ccfftmip_create_f(rows, seg_L, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 0, hint);
    if (!c->seg_fftm)
        return false;
    c->seg_work = vsip_cmcreate_f(rows, seg_L, VSIP_ROW, VSIP_MEM_NONE);
    c->seg_spectrum = c->seg_work ? vsip_cvcreate_f(seg_L, VSIP_MEM_NONE) : nullptr;
    if (!c->seg_spectrum)
        return false;
    const split w = parts(c->seg_work), H = parts(c->seg_spectrum);
    zero(w.re, rows * seg_L);
    zero(w.im, rows * seg_L);
    for (std::uint64_t k = 0; k < c->M; ++k)
        w.re[k] = full_kernel(h, K, c->M, k);
    vsip_ccfftmip_f(c->seg_fftm, c->seg_work);
    std::memcpy(H.re, w.re, seg_L * sizeof(float));
    std::memcpy(H.im, w.im, seg_L * sizeof(float));
    return true;
}

bool make_fft_parts(vsip_conv1d_f *c, const vi::real_walk<float> &h, std::uint64_t K,
                    vsip_alg_hint hint) {
    const std::uint64_t M = c->M, N = c->N;
    const bool segmented = static_cast<float>(N) / static_cast<float>(M) > 2.0f && M <= 999;
    c->segmented = segmented ? 1 : 0;
    c->L = segmented ? segment_fft_length(M) : pow2_above(N / 2 + M);
    if (c->L == 0 || c->L > 0x7fffffff)
        return false;
    c->spectrum = kernel_spectrum(h, K, M, c->L, hint, &c->fft);
    if (!c->spectrum)
        return false;
    if (!segmented) {
        c->work = vsip_cvcreate_f(c->L, VSIP_MEM_NONE);
        if (!c->work)
            return false;
        const std::uint64_t seg_L = overlap_row_length(M);
        const bool long_data = static_cast<float>(N) / static_cast<float>(M) > 2.0f;
        return !(long_data && seg_L != 0 && seg_L < c->L) ||
               make_long_kernel_segments(c, h, K, seg_L, hint);
    }
    vsip_fft_destroy_f(c->fft);
    c->fft = nullptr;
    c->S = c->L - M;
    c->Q = (N + c->S - 1) / c->S;
    const std::uint64_t R = (c->Q + 1) / 2;
    c->fftm = vsip_ccfftmip_create_f(R, c->L, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 0, hint);
    if (!c->fftm)
        return false;
    c->work_matrix = vsip_cmcreate_f(R, c->L, VSIP_ROW, VSIP_MEM_NONE);
    return c->work_matrix != nullptr;
}

// Writes c[start + n d] for n = 0 .. count-1 into y, where c is the full
// convolution held as sequences of `seg` samples whose tails overlap the
// next sequence's head by m - 1 samples: c[q seg + t] = seq(q)[t] +
// seq(q-1)[seg + t] (the second term for t < m - 1).  The sequences are
// conjugated transforms, so those held in imaginary parts are negated.
template <class Seq>
void gather_overlapped(Seq seq, std::uint64_t last, idx seg, idx m, idx start, idx d, idx count,
                       const vi::real_walk<float> &y) {
    std::uint64_t q = 0;
    idx t = start;
    while (t >= seg && q < last) {
        t -= seg;
        ++q;
    }
    for (idx n = 0; n < count; ++n) {
        float v = seq(q, t);
        if (q > 0 && t < m - 1)
            v += seq(q - 1, seg + t);
        y.p[n * y.step] = v;
        t += d;
        while (t >= seg && q < last) {
            t -= seg;
            ++q;
        }
    }
}

void convolve_single(const vsip_conv1d_f *c, const vi::real_walk<float> &x,
                     const vi::real_walk<float> &y, idx start) {
    const split w = parts(c->work);
    const split h = parts(c->spectrum);
    const idx N = static_cast<idx>(c->N), L = static_cast<idx>(c->L);
    const idx half = (N + 1) / 2;
    zero(w.re, c->L);
    zero(w.im, c->L);
    gather(x, 0, half, w.re);
    gather(x, half, N - half, w.im);
    vsip_ccfftip_f(c->fft, c->work);
    multiply_for_inverse(w.re, w.im, h.re, h.im, L, 1.0f / static_cast<float>(c->L));
    vsip_ccfftip_f(c->fft, c->work);
    // Sequence 0 (first half) in the real parts, sequence 1 in the
    // imaginary parts; half plays the segment step.
    auto seq = [&](std::uint64_t q, idx t) { return q == 0 ? w.re[t] : -w.im[t]; };
    gather_overlapped(seq, 1, half, static_cast<idx>(c->M), start, c->D,
                      static_cast<idx>(c->out_len), y);
}

// Overlap-add over Q segments of S samples, paired in the rows of a work
// matrix with rows of L elements, transformed by `fftm`; H is the
// kernel's transform at length L.
struct segment_plan {
    vsip_fftm_f *fftm;
    vsip_cmview_f *work;
    const vsip_cvview_f *H;
    std::uint64_t L, S, Q;
};

void convolve_segments(const vsip_conv1d_f *c, const segment_plan &g,
                       const vi::real_walk<float> &x, const vi::real_walk<float> &y, idx start) {
    const split w = parts(g.work);
    const split h = parts(g.H);
    const idx N = static_cast<idx>(c->N), L = static_cast<idx>(g.L), S = static_cast<idx>(g.S);
    const idx Q = static_cast<idx>(g.Q), R = (Q + 1) / 2;
    zero(w.re, static_cast<std::uint64_t>(R * L));
    zero(w.im, static_cast<std::uint64_t>(R * L));
    for (idx q = 0; q < Q; ++q) {
        float *row = (q % 2 == 0 ? w.re : w.im) + (q / 2) * L;
        gather(x, q * S, std::min(S, N - q * S), row);
    }
    vsip_ccfftmip_f(g.fftm, g.work);
    const float inv_l = 1.0f / static_cast<float>(g.L);
    for (idx r = 0; r < R; ++r)
        multiply_for_inverse(w.re + r * L, w.im + r * L, h.re, h.im, L, inv_l);
    vsip_ccfftmip_f(g.fftm, g.work);
    auto seq = [&](std::uint64_t q, idx t) {
        const idx at = static_cast<idx>(q / 2) * L + t;
        return q % 2 == 0 ? w.re[at] : -w.im[at];
    };
    gather_overlapped(seq, g.Q - 1, S, static_cast<idx>(c->M), start, c->D,
                      static_cast<idx>(c->out_len), y);
}

void convolve_direct(const vsip_conv1d_f *c, const vi::real_walk<float> &x,
                     const vi::real_walk<float> &y, idx start) {
    const float *k = vi::walk(c->direct_kernel).p;
    const idx m = static_cast<idx>(c->M), n = static_cast<idx>(c->N);
    const idx count = static_cast<idx>(c->out_len);
    if (x.step == 1)
        direct_sums<true>(k, m, x.p, 1, n, start, c->D, count, y.p, y.step);
    else
        direct_sums<false>(k, m, x.p, x.step, n, start, c->D, count, y.p, y.step);
}

// ---- Correlation -----------------------------------------------------------

template <class Corr>
int destroy_corr(Corr *c) {
    if (!c)
        return 0;
    vsip_cvalldestroy_f(c->w2);
    vsip_cvalldestroy_f(c->w1);
    vsip_fft_destroy_f(c->fft);
    vsip_fftm_destroy_f(c->seg_fftm);
    if (c->seg_work)
        vsip_cmalldestroy_f(c->seg_work);
    VI_free(c);
    return 0;
}

// Rows of segment pairs plus one row for the reversed reference.
template <class Corr>
bool make_corr_segments(Corr *c, vsip_alg_hint hint) {
    c->seg_L = overlap_row_length(c->M);
    c->seg_S = c->seg_L - c->M;
    c->seg_Q = (c->N + c->seg_S - 1) / c->seg_S;
    const std::uint64_t rows = (c->seg_Q + 1) / 2 + 1;
    c->seg_fftm = vsip_ccfftmip_create_f(rows, c->seg_L, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 0, hint);
    if (!c->seg_fftm)
        return false;
    c->seg_work = vsip_cmcreate_f(rows, c->seg_L, VSIP_ROW, VSIP_MEM_NONE);
    return c->seg_work != nullptr;
}

template <class Corr>
Corr *create_corr(const char *name, vsip_length M, vsip_length N, vsip_support_region support,
                  vsip_length ntimes, vsip_alg_hint hint, vsip_alg_hint fft_hint,
                  bool real) {
    if (!known_support(support)) {
        VI_log(VI_LOG_ERROR, name, kModeMessage);
        return nullptr;
    }
    if (M > N) {
        VI_log(VI_LOG_ERROR, name, kLengthMessage);
        return nullptr;
    }
    if (M == 0)
        return nullptr;
    const std::uint64_t full_len = N + M - 1;
    const std::uint64_t L = pow2_above(full_len);
    if (L == 0 || L > 0x7fffffff)
        return nullptr;
    const bool segmented = real && VI_corr_path(M, N) == VI_CORR_SEGMENTED;
    auto *c = static_cast<Corr *>(VI_malloc(sizeof(Corr)));
    if (!c)
        return nullptr;
    const std::uint64_t lag_len = support == VSIP_SUPPORT_FULL   ? full_len
                                  : support == VSIP_SUPPORT_SAME ? N
                                                                 : N - M + 1;
    *c = Corr{nullptr,
              nullptr,
              nullptr,
              N,
              M,
              full_len,
              L,
              lag_len,
              static_cast<std::int32_t>(ntimes),
              static_cast<std::int32_t>(support),
              static_cast<std::int32_t>(hint),
              nullptr,
              nullptr,
              0,
              0,
              0};
    c->w2 = vsip_cvcreate_f(L, VSIP_MEM_NONE);
    c->w1 = c->w2 ? vsip_cvcreate_f(L, VSIP_MEM_NONE) : nullptr;
    c->fft = c->w1 ? vsip_ccfftip_create_f(L, 1.0f, VSIP_FFT_FWD, 0, fft_hint) : nullptr;
    if (!c->fft || (segmented && !make_corr_segments(c, fft_hint))) {
        destroy_corr(c);
        return nullptr;
    }
    return c;
}

template <class Corr, class Attr>
void corr_attr(const Corr *c, Attr *attr) {
    attr->ref_len = c->M;
    attr->data_len = c->N;
    attr->support = static_cast<vsip_support_region>(c->support);
    attr->lag_len = c->lag_len;
}

// Circular correlation of the zero-padded operands, left in w1: the data
// at positions L-N .. L-1, the reference at 0 .. M-1, so lag 0 of the
// full support sits at L-N-M+1.  The imaginary parts of w1 come out
// negated (the final conjugation is left to the reader).
template <class Corr>
void circular_correlation(const Corr *c) {
    const split w1 = parts(c->w1), w2 = parts(c->w2);
    vsip_ccfftip_f(c->fft, c->w2);
    vsip_ccfftip_f(c->fft, c->w1);
    multiply_conj_for_inverse(w1.re, w1.im, w2.re, w2.im, static_cast<idx>(c->L),
                              1.0f / static_cast<float>(c->L));
    vsip_ccfftip_f(c->fft, c->w1);
}

// Output j of the support starts at lag position `first` + j of the full
// lag sequence; its unbiased divisor is the number of products behind it.
template <class Corr>
idx corr_first_lag(const Corr *c) {
    const idx M = static_cast<idx>(c->M);
    return c->support == VSIP_SUPPORT_FULL ? 0
           : c->support == VSIP_SUPPORT_SAME ? (M - 1) / 2
                                             : M - 1;
}

// Unbiased scaling: values formed by all M products are multiplied by 1/M,
// the others divided by their product count.
struct unbias {
    idx M, full_len;
    float inv_m;
    // Products behind full lag j.
    idx count(idx j) const { return std::min(std::min(j + 1, M), full_len - j); }
};

// put(j, position, f, divide) stores output j from the lag at `position`
// of w1, multiplied by f, or divided by it when `divide` is set.
template <class Corr, class Put>
void write_lags(const Corr *c, vsip_bias bias, Put put) {
    const idx L = static_cast<idx>(c->L), N = static_cast<idx>(c->N), M = static_cast<idx>(c->M);
    const idx base = L - N - M + 1;
    const idx first = corr_first_lag(c);
    const idx n = static_cast<idx>(c->lag_len);
    if (bias != VSIP_UNBIASED) {
        for (idx j = 0; j < n; ++j)
            put(j, base + first + j, 1.0f, false);
        return;
    }
    const unbias u{M, static_cast<idx>(c->full_len), 1.0f / static_cast<float>(M)};
    for (idx j = 0; j < n; ++j) {
        const idx count = u.count(first + j);
        if (count == M)
            put(j, base + first + j, u.inv_m, false);
        else
            put(j, base + first + j, static_cast<float>(count), true);
    }
}

// Z is the transform of x + i r for real x and r.  With X and R their
// transforms, Z[k] = X[k] + i R[k] and conj(Z[L-k]) = X[k] - i R[k]; the
// product P = X conj(R) is Hermitian, and Z becomes conj(P) / L, ready for
// the forward transform that inverts it.
VI_LOOP_CLONES void separate_and_multiply(float *__restrict re, float *__restrict im, idx L,
                                          float inv_l) {
    for (idx k = 0; k <= L / 2; ++k) {
        const idx j = (L - k) & (L - 1);
        const float a = re[k], b = im[k], c = re[j], d = im[j];
        const float xr = 0.5f * (a + c), xi = 0.5f * (b - d);
        const float rr = 0.5f * (b + d), ri = -0.5f * (a - c);
        const float pr = (xr * rr + xi * ri) * inv_l, pi = (xi * rr - xr * ri) * inv_l;
        re[k] = pr;
        im[k] = -pi;
        re[j] = pr;
        im[j] = pi;
    }
}

// Unbiased scaling of the lag_len values in y, output j being full lag
// first + j.
void unbias_in_place(const vsip_corr1d_f *c, idx first, const vi::real_walk<float> &y) {
    const idx M = static_cast<idx>(c->M);
    const unbias u{M, static_cast<idx>(c->full_len), 1.0f / static_cast<float>(M)};
    for (idx j = 0; j < static_cast<idx>(c->lag_len); ++j) {
        float &v = y.p[j * y.step];
        const idx products = u.count(first + j);
        v = products == M ? v * u.inv_m : v / static_cast<float>(products);
    }
}

// Real correlation by direct sums over the reference, for the lengths where
// they cost less than the transforms: the same lags, scaled the same way.
void correlate_direct(const vsip_corr1d_f *c, vsip_bias bias, const vi::real_walk<float> &ref,
                      const vi::real_walk<float> &x, const vi::real_walk<float> &y) {
    const idx M = static_cast<idx>(c->M), N = static_cast<idx>(c->N);
    const float *k = ref.p;
    if (ref.step != 1) {
        float *dense = parts(c->w2).re;
        gather(ref, 0, M, dense);
        k = dense;
    }
    const idx first = corr_first_lag(c), count = static_cast<idx>(c->lag_len);
    if (x.step == 1)
        direct_sums<true>(k, M, x.p, 1, N, first, 1, count, y.p, y.step);
    else
        direct_sums<false>(k, M, x.p, x.step, N, first, 1, count, y.p, y.step);
    if (bias == VSIP_UNBIASED)
        unbias_in_place(c, first, y);
}

// Real correlation of long data as the convolution of x with the reversed
// reference: segment pairs in the rows of the work matrix, the reversed
// reference in its last row, all transformed by one multiple FFT, then
// overlap-added as in the segmented convolution.
void correlate_segmented(const vsip_corr1d_f *c, vsip_bias bias, const vi::real_walk<float> &ref,
                         const vi::real_walk<float> &x, const vi::real_walk<float> &y) {
    const split w = parts(c->seg_work);
    const idx N = static_cast<idx>(c->N), M = static_cast<idx>(c->M);
    const idx L = static_cast<idx>(c->seg_L), S = static_cast<idx>(c->seg_S);
    const idx Q = static_cast<idx>(c->seg_Q), R = (Q + 1) / 2;
    zero(w.re, static_cast<std::uint64_t>((R + 1) * L));
    zero(w.im, static_cast<std::uint64_t>((R + 1) * L));
    for (idx q = 0; q < Q; ++q) {
        float *row = (q % 2 == 0 ? w.re : w.im) + (q / 2) * L;
        gather(x, q * S, std::min(S, N - q * S), row);
    }
    float *kernel = w.re + R * L;
    for (idx j = 0; j < M; ++j)
        kernel[j] = ref.p[(M - 1 - j) * ref.step];
    vsip_ccfftmip_f(c->seg_fftm, c->seg_work);
    const float inv_l = 1.0f / static_cast<float>(L);
    for (idx r = 0; r < R; ++r)
        multiply_for_inverse(w.re + r * L, w.im + r * L, w.re + R * L, w.im + R * L, L, inv_l);
    vsip_ccfftmip_f(c->seg_fftm, c->seg_work);
    auto seq = [&](std::uint64_t q, idx t) {
        const idx at = static_cast<idx>(q / 2) * L + t;
        return q % 2 == 0 ? w.re[at] : -w.im[at];
    };
    const idx first = corr_first_lag(c);
    gather_overlapped(seq, c->seg_Q - 1, S, M, first, 1, static_cast<idx>(c->lag_len), y);
    if (bias == VSIP_UNBIASED)
        unbias_in_place(c, first, y);
}

} // namespace

std::int32_t VI_corr_path(std::uint64_t M, std::uint64_t N) {
    if (direct_is_cheaper(M, N, 1))
        return VI_CORR_DIRECT;
    const bool long_data = static_cast<float>(N) / static_cast<float>(M) > 2.0f;
    const std::uint64_t seg = overlap_row_length(M);
    return long_data && seg != 0 && seg < pow2_above(N + M - 1) ? VI_CORR_SEGMENTED
                                                                : VI_CORR_PACKED;
}

extern "C" {

VSIP_API vsip_conv1d_f *vsip_conv1d_create_f(const vsip_vview_f *kernel, vsip_symmetry symm,
                                             vsip_length N, vsip_length D,
                                             vsip_support_region support, vsip_length ntimes,
                                             vsip_alg_hint hint) {
    const char *name = "vsip_conv1d_create_f";
    const std::uint64_t K = kernel->length;
    const std::uint64_t M = full_kernel_length(K, symm);
    if (symm != VSIP_NONSYM && symm != VSIP_SYM_EVEN_LEN_ODD && symm != VSIP_SYM_EVEN_LEN_EVEN) {
        VI_log(VI_LOG_ERROR, name, kSymmMessage);
        return nullptr;
    }
    if (K == 0 || D == 0 || D > 0x7fffffff)
        return nullptr;
    if (N < M) {
        VI_log(VI_LOG_ERROR, name, kLengthMessage);
        return nullptr;
    }
    auto *c = static_cast<vsip_conv1d_f *>(VI_malloc(sizeof(vsip_conv1d_f)));
    if (!c)
        return nullptr;
    *c = vsip_conv1d_f{nullptr,
                       nullptr,
                       nullptr,
                       nullptr,
                       nullptr,
                       VI_CONV_DIRECT,
                       nullptr,
                       0,
                       static_cast<std::int32_t>(symm),
                       static_cast<std::int32_t>(D),
                       M,
                       N,
                       0,
                       output_length(support, N, M, D),
                       0,
                       0,
                       static_cast<std::int32_t>(ntimes),
                       static_cast<std::int32_t>(support),
                       static_cast<std::int32_t>(hint),
                       nullptr,
                       nullptr,
                       nullptr,
                       0,
                       0,
                       0};

    const vi::real_walk<float> h = vi::walk(kernel);
    bool made;
    if (direct_is_cheaper(M, N, D)) {
        c->direct_kernel = vsip_vcreate_f(M, VSIP_MEM_NONE);
        made = c->direct_kernel != nullptr;
        if (made) {
            float *k = vi::walk(c->direct_kernel).p;
            for (std::uint64_t j = 0; j < M; ++j)
                k[j] = full_kernel(h, K, M, M - 1 - j);
        }
    } else {
        c->method = VI_CONV_FFT;
        made = make_fft_parts(c, h, K, hint);
    }
    if (!made) {
        vsip_conv1d_destroy_f(c);
        return nullptr;
    }
    return c;
}

VSIP_API void vsip_convolve1d_f(const vsip_conv1d_f *conv, const vsip_vview_f *x,
                                const vsip_vview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(conv, x, y));
    VI_CHECK(vi::chk::short_fault(x->length < conv->N || y->length < conv->out_len));
    if (!known_support(conv->support)) {
        VI_log(VI_LOG_ERROR, "vsip_convolve1d_f", kModeMessage);
        return;
    }
    const idx start = output_start(conv->support, conv->M);
    const vi::real_walk<float> xw = vi::walk(x), yw = vi::walk(y);
    if (conv->method == VI_CONV_DIRECT)
        convolve_direct(conv, xw, yw, start);
    else if (conv->segmented)
        convolve_segments(conv, {conv->fftm, conv->work_matrix, conv->spectrum, conv->L, conv->S,
                                 conv->Q},
                          xw, yw, start);
    else if (conv->seg_work)
        convolve_segments(conv, {conv->seg_fftm, conv->seg_work, conv->seg_spectrum,
                                 conv->seg_L, conv->seg_S, conv->seg_Q},
                          xw, yw, start);
    else
        convolve_single(conv, xw, yw, start);
}

VSIP_API void vsip_conv1d_getattr_f(const vsip_conv1d_f *conv, vsip_conv1d_attr *attr) {
    attr->kernel_len = conv->M;
    attr->symm = static_cast<vsip_symmetry>(conv->symm);
    attr->data_len = conv->N;
    attr->support = static_cast<vsip_support_region>(conv->support);
    attr->out_len = conv->out_len;
    attr->decimation = static_cast<vsip_length>(conv->D);
}

VSIP_API int vsip_conv1d_destroy_f(vsip_conv1d_f *conv) {
    if (!conv)
        return 0;
    if (conv->work)
        vsip_cvalldestroy_f(conv->work);
    if (conv->spectrum)
        vsip_cvalldestroy_f(conv->spectrum);
    if (conv->fft)
        vsip_fft_destroy_f(conv->fft);
    if (conv->fftm)
        vsip_fftm_destroy_f(conv->fftm);
    if (conv->work_matrix)
        vsip_cmalldestroy_f(conv->work_matrix);
    if (conv->direct_kernel)
        vsip_valldestroy_f(conv->direct_kernel);
    vsip_fftm_destroy_f(conv->seg_fftm);
    if (conv->seg_work)
        vsip_cmalldestroy_f(conv->seg_work);
    if (conv->seg_spectrum)
        vsip_cvalldestroy_f(conv->seg_spectrum);
    VI_free(conv);
    return 0;
}

VSIP_API vsip_corr1d_f *vsip_corr1d_create_f(vsip_length M, vsip_length N,
                                             vsip_support_region support, vsip_length ntimes,
                                             vsip_alg_hint hint) {
    return create_corr<vsip_corr1d_f>("vsip_corr1d_create_f", M, N, support, ntimes, hint,
                                      VSIP_ALG_NOISE, true);
}

VSIP_API void vsip_correlate1d_f(const vsip_corr1d_f *corr, vsip_bias bias,
                                 const vsip_vview_f *ref, const vsip_vview_f *x,
                                 const vsip_vview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(corr, ref, x, y));
    VI_CHECK(vi::chk::short_fault(ref->length < corr->M || x->length < corr->N ||
                                  y->length < corr->lag_len));
    if (VI_corr_path(corr->M, corr->N) == VI_CORR_DIRECT) {
        correlate_direct(corr, bias, vi::walk(ref), vi::walk(x), vi::walk(y));
        return;
    }
    if (corr->seg_work) {
        correlate_segmented(corr, bias, vi::walk(ref), vi::walk(x), vi::walk(y));
        return;
    }
    // Both real operands travel in one transform: the data in the real
    // parts, the reference in the imaginary parts; their spectra are
    // separated by symmetry.
    const split w = parts(corr->w1);
    const idx L = static_cast<idx>(corr->L), N = static_cast<idx>(corr->N);
    zero(w.re, corr->L);
    zero(w.im, corr->L);
    gather(vi::walk(x), 0, N, w.re + (L - N));
    gather(vi::walk(ref), 0, static_cast<idx>(corr->M), w.im);
    vsip_ccfftip_f(corr->fft, corr->w1);
    separate_and_multiply(w.re, w.im, L, 1.0f / static_cast<float>(corr->L));
    vsip_ccfftip_f(corr->fft, corr->w1);
    const vi::real_walk<float> yw = vi::walk(y);
    write_lags(corr, bias, [&](idx j, idx at, float f, bool divide) {
        yw.p[j * yw.step] = divide ? w.re[at] / f : w.re[at] * f;
    });
}

VSIP_API void vsip_corr1d_getattr_f(const vsip_corr1d_f *corr, vsip_corr1d_attr *attr) {
    corr_attr(corr, attr);
}

VSIP_API int vsip_corr1d_destroy_f(vsip_corr1d_f *corr) { return destroy_corr(corr); }

VSIP_API vsip_ccorr1d_f *vsip_ccorr1d_create_f(vsip_length M, vsip_length N,
                                               vsip_support_region support, vsip_length ntimes,
                                               vsip_alg_hint hint) {
    return create_corr<vsip_ccorr1d_f>("vsip_ccorr1d_create_f", M, N, support, ntimes, hint,
                                       hint, false);
}

VSIP_API void vsip_ccorrelate1d_f(const vsip_ccorr1d_f *corr, vsip_bias bias,
                                  const vsip_cvview_f *ref, const vsip_cvview_f *x,
                                  const vsip_cvview_f *y) {
    VI_CHECK(vi::chk::object_views_fault(corr, ref, x, y));
    VI_CHECK(vi::chk::short_fault(ref->length < corr->M || x->length < corr->N ||
                                  y->length < corr->lag_len));
    const split w1 = parts(corr->w1), w2 = parts(corr->w2);
    const idx L = static_cast<idx>(corr->L), N = static_cast<idx>(corr->N);
    const idx M = static_cast<idx>(corr->M);
    zero(w1.re, corr->L);
    zero(w1.im, corr->L);
    zero(w2.re, corr->L);
    zero(w2.im, corr->L);
    const vi::cplx_walk xw = vi::walk(x), rw = vi::walk(ref);
    for (idx i = 0; i < N; ++i) {
        w1.re[L - N + i] = xw.re[i * xw.step];
        w1.im[L - N + i] = xw.im[i * xw.step];
    }
    for (idx i = 0; i < M; ++i) {
        w2.re[i] = rw.re[i * rw.step];
        w2.im[i] = rw.im[i * rw.step];
    }
    circular_correlation(corr);
    // The imaginary parts are negated: reading -im is the last conjugation.
    const vi::cplx_walk yw = vi::walk(y);
    write_lags(corr, bias, [&](idx j, idx at, float f, bool divide) {
        const float re = w1.re[at], im = -w1.im[at];
        yw.re[j * yw.step] = divide ? re / f : re * f;
        yw.im[j * yw.step] = divide ? im / f : im * f;
    });
}

VSIP_API void vsip_ccorr1d_getattr_f(const vsip_ccorr1d_f *corr, vsip_ccorr1d_attr *attr) {
    corr_attr(corr, attr);
}

VSIP_API int vsip_ccorr1d_destroy_f(vsip_ccorr1d_f *corr) { return destroy_corr(corr); }

} // extern "C"
