// Matrix products on CBLAS: C = alpha op(A) op(B) + beta C, one family for
// real and complex data in single and double precision.
//
// Every operand goes to the gemm call in place when CBLAS can address it
// (operand.hpp decides); the products of single precision otherwise copy
// it, with an INFO line, into dense row-major storage (interleaved pairs
// for complex data) and copy C's copy back afterwards.  The CBLAS order is
// C's layout; an operand whose layout differs from C's is passed
// transposed.  A conjugated operand passed transposed becomes
// CblasConjTrans; passed untransposed it is conjugated in advance into a
// copy in C's layout.  The copies share a 64 KiB stack buffer, so such a
// product allocates nothing unless its copies exceed it; they then share
// one temporary.  (Splitting a larger product into several gemm calls
// would change CBLAS's rounding.)  When that temporary cannot be allocated
// (or an operand of the double-precision products cannot be addressed, or
// a size exceeds 32 bits), the library's own loops compute the product on
// the caller's views.
#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "common/cblas.hpp"
#include "common/lines.hpp"
#include "linalg/operand.hpp"

namespace {

using vi::blas_mat;
using vi::idx;
using vi::mat;

template <class S>
struct cpx {
    S r;
    S i;
};

template <class S>
inline S mul(S a, S b) { return a * b; }
template <class S>
inline cpx<S> mul(cpx<S> a, cpx<S> b) {
    return {a.r * b.r - a.i * b.i, a.r * b.i + a.i * b.r};
}
template <class S>
inline S add(S a, S b) { return a + b; }
template <class S>
inline cpx<S> add(cpx<S> a, cpx<S> b) { return {a.r + b.r, a.i + b.i}; }

template <class S>
inline bool is_zero(S a) { return a == S(0); }
template <class S>
inline bool is_zero(cpx<S> a) { return a.r == S(0) && a.i == S(0); }
template <class S>
inline bool is_one(S a) { return a == S(1); }
template <class S>
inline bool is_one(cpx<S> a) { return a.r == S(1) && a.i == S(0); }

template <class E, class S>
inline E load(const mat<S> &m, idx i, idx j, bool conj) {
    const idx k = i * m.cs + j * m.rs;
    if constexpr (std::is_same<E, S>::value)
        return m.re[k];
    else
        return E{m.re[k], conj ? -m.im[k] : m.im[k]};
}
template <class S>
inline void store(const mat<S> &m, idx i, idx j, S x) { m.re[i * m.cs + j * m.rs] = x; }
template <class S>
inline void store(const mat<S> &m, idx i, idx j, cpx<S> x) {
    m.re[i * m.cs + j * m.rs] = x.r;
    m.im[i * m.cs + j * m.rs] = x.i;
}

inline void gemm_call(int o, int ta, int tb, int m, int n, int k, float alpha, const float *a,
                      int lda, const float *b, int ldb, float beta, float *c, int ldc) {
    cblas_sgemm(o, ta, tb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
}
inline void gemm_call(int o, int ta, int tb, int m, int n, int k, double alpha, const double *a,
                      int lda, const double *b, int ldb, double beta, double *c, int ldc) {
    cblas_dgemm(o, ta, tb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
}
inline void gemm_call(int o, int ta, int tb, int m, int n, int k, cpx<float> alpha,
                      const float *a, int lda, const float *b, int ldb, cpx<float> beta, float *c,
                      int ldc) {
    cblas_cgemm(o, ta, tb, m, n, k, &alpha, a, lda, b, ldb, &beta, c, ldc);
}
inline void gemm_call(int o, int ta, int tb, int m, int n, int k, cpx<double> alpha,
                      const double *a, int lda, const double *b, int ldb, cpx<double> beta,
                      double *c, int ldc) {
    cblas_zgemm(o, ta, tb, m, n, k, &alpha, a, lda, b, ldb, &beta, c, ldc);
}

// Log lines of one entry point.  copy[x] null: an operand CBLAS cannot
// address is not copied, the own loops run instead.
struct messages {
    const char *function;
    const char *copy[3]; // A, B, C
};

// One product: a is M x K, b is K x N, c is M x N, after the operand
// operations' transposes; conj_a, conj_b ask for the conjugate.
template <class S, class E>
struct product {
    const messages &msg;
    E alpha;
    E beta;
    mat<S> a, b, c;
    bool conj_a, conj_b;
    idx n;
};

// c(i, j) = beta c(i, j) + alpha sum_k a(i, k) b(k, j), the sum in the data's
// precision in order of k; c is not read when beta is 0, and alpha 1 with
// beta 0 stores the sum itself.
template <class S, class E>
void own_loops(const product<S, E> &p) {
    const idx m = p.a.rows, k = p.a.cols;
    const bool plain = is_one(p.alpha) && is_zero(p.beta);
    for (idx i = 0; i < m; ++i)
        for (idx j = 0; j < p.n; ++j) {
            E d{};
            for (idx l = 0; l < k; ++l)
                d = add(d, mul(load<E>(p.a, i, l, p.conj_a), load<E>(p.b, l, j, p.conj_b)));
            if (!plain)
                d = is_zero(p.beta) ? mul(p.alpha, d)
                                    : add(mul(p.beta, load<E>(p.c, i, j, false)), mul(p.alpha, d));
            store(p.c, i, j, d);
        }
}

// Line o (a row, or a column when !rows) of m.
inline vi::step_ref<float> real_line(const mat<float> &m, bool rows, idx o) {
    return rows ? vi::step_ref<float>{m.re + o * m.cs, m.rs} : vi::step_ref<float>{m.re + o * m.rs, m.cs};
}
inline vi::step_cref cplx_line(const mat<float> &m, bool rows, idx o) {
    const idx at = rows ? o * m.cs : o * m.rs;
    return {m.re + at, m.im + at, rows ? m.rs : m.cs};
}

using vi::scratch;

// Floats of the stack buffer that holds the copies of a product's
// operands (64 KiB): products whose copies fit take no allocation.
constexpr idx kCopyFloats = 16384;

// How an operand that CBLAS cannot take as it is reaches the call: copied
// densely in the given layout, conjugated when asked.
struct copy_plan {
    bool copied = false;
    bool row_major = true;
    bool conj = false;
};

// Writes a dense copy of m into dst (interleaved pairs for complex data,
// conjugated when asked) and gives its leading dimension.
int gather(const mat<float> &m, bool row_major, bool conj, float *dst) {
    const idx unit = m.complex() ? 2 : 1;
    const idx outer = row_major ? m.rows : m.cols, inner = row_major ? m.cols : m.rows;
    for (idx o = 0; o < outer; ++o) {
        float *line = dst + o * inner * unit;
        if (m.complex())
            vi::copy_in(cplx_line(m, row_major, o), inner, line);
        else
            vi::copy_in(real_line(m, row_major, o), inner, line);
    }
    if (conj)
        for (idx e = 0; e < m.rows * m.cols; ++e)
            dst[2 * e + 1] = -dst[2 * e + 1];
    return static_cast<int>(std::max<idx>(inner, 1));
}

// Writes a row-major dense copy back into m.
void copy_back(const float *t, const mat<float> &m) {
    for (idx i = 0; i < m.rows; ++i) {
        if (m.complex())
            vi::copy_out(t + 2 * i * m.cols, m.cols, cplx_line(m, true, i), 1.0f);
        else
            vi::copy_out(t + i * m.cols, m.cols, real_line(m, true, i), 1.0f);
    }
}

constexpr const char *kSplitFallback = "Allocating a interleaved memory failed, use split memory.";
constexpr const char *kConjugateFirst[2] = {"Do the conjugation in advance on A.",
                                            "Do the conjugation in advance on B."};

// The product with the copied operands gathered into the stack buffer,
// or into one temporary when they exceed it (the library's own loops run
// if it cannot be had).  The gemm call is the same in either case.  Kept
// out of line so that products without copies do not reserve the buffer.
template <class E>
__attribute__((noinline)) void with_copies(const product<float, E> &p, const blas_mat<float> *placed,
                 const copy_plan *plan, const int *trans, bool row_major) {
    const idx m = p.a.rows, k = p.a.cols, n = p.n;
    const idx unit = p.c.complex() ? 2 : 1;
    const mat<float> *ops[3] = {&p.a, &p.b, &p.c};
    const std::uint64_t sizes[3] = {static_cast<std::uint64_t>(m * k),
                                    static_cast<std::uint64_t>(k * n),
                                    static_cast<std::uint64_t>(m * n)};
    std::uint64_t elements = 0;
    for (int x = 0; x < 3; ++x)
        elements += plan[x].copied ? sizes[x] : 0;
    alignas(64) float stack[kCopyFloats];
    scratch heap;
    float *buffer = stack;
    if (elements > static_cast<std::uint64_t>(kCopyFloats / unit)) {
        if (!heap.allocate(elements, static_cast<std::size_t>(unit) * sizeof(float))) {
            if (p.c.complex())
                VI_log(VI_LOG_INFO, p.msg.function, kSplitFallback);
            own_loops(p);
            return;
        }
        buffer = heap.p;
    }
    float *pointers[3];
    int ld[3];
    float *next = buffer;
    for (int x = 0; x < 3; ++x) {
        if (plan[x].copied) {
            ld[x] = gather(*ops[x], plan[x].row_major, plan[x].conj, next);
            pointers[x] = next;
            next += sizes[x] * unit;
        } else {
            ld[x] = placed[x].ld;
            pointers[x] = placed[x].p;
        }
    }
    float *c = pointers[2];
    gemm_call(row_major ? vi::CBLAS_ROW_MAJOR : vi::CBLAS_COL_MAJOR, trans[0], trans[1],
              static_cast<int>(m), static_cast<int>(n), static_cast<int>(k), p.alpha,
              pointers[0], ld[0], pointers[1], ld[1], p.beta, c, ld[2]);
    if (plan[2].copied)
        copy_back(c, p.c);
}

template <class S, class E>
void run(const product<S, E> &p) {
    const idx m = p.a.rows, k = p.a.cols, n = p.n;
    if (!vi::fits_int(m) || !vi::fits_int(n) || !vi::fits_int(k)) {
        own_loops(p);
        return;
    }
    const mat<S> *ops[3] = {&p.a, &p.b, &p.c};
    blas_mat<S> placed[3] = {};
    copy_plan plan[3];
    bool copies = false;
    for (int x = 0; x < 3; ++x) {
        if (vi::place(*ops[x], &placed[x]))
            continue;
        if constexpr (std::is_same<S, float>::value) {
            if (p.msg.copy[x]) {
                // Copied densely in row-major order.
                VI_log(VI_LOG_INFO, p.msg.function, p.msg.copy[x]);
                plan[x].copied = copies = true;
                placed[x].row_major = true;
                continue;
            }
        }
        own_loops(p);
        return;
    }
    const bool row_major = placed[2].row_major;
    int trans[2];
    const bool conj[2] = {p.conj_a, p.conj_b};
    for (int x = 0; x < 2; ++x) {
        trans[x] = placed[x].row_major == row_major ? vi::CBLAS_NO_TRANS : vi::CBLAS_TRANS;
        if (!conj[x])
            continue;
        if (trans[x] == vi::CBLAS_TRANS) {
            trans[x] = vi::CBLAS_CONJ_TRANS;
            continue;
        }
        // CBLAS has no conjugate without transpose: the operand is copied
        // conjugated in the layout of the call.
        if constexpr (std::is_same<S, float>::value) {
            VI_log(VI_LOG_INFO, p.msg.function, kConjugateFirst[x]);
            plan[x] = copy_plan{true, row_major, true};
            copies = true;
            continue;
        }
        own_loops(p);
        return;
    }
    if constexpr (std::is_same<S, float>::value) {
        if (copies) {
            with_copies(p, placed, plan, trans, row_major);
            return;
        }
    }
    gemm_call(row_major ? vi::CBLAS_ROW_MAJOR : vi::CBLAS_COL_MAJOR, trans[0], trans[1],
              static_cast<int>(m), static_cast<int>(n), static_cast<int>(k), p.alpha,
              placed[0].p, placed[0].ld, placed[1].p, placed[1].ld, p.beta, placed[2].p,
              placed[2].ld);
}

// The operand operations: transposed for VSIP_MAT_TRANS and (complex)
// VSIP_MAT_HERM, conjugated for VSIP_MAT_HERM and VSIP_MAT_CONJ.
template <class S>
inline mat<S> apply_transpose(const mat<S> &m, bool t) { return t ? m.transposed() : m; }
inline bool transposes(vsip_mat_op op) { return op == VSIP_MAT_TRANS || op == VSIP_MAT_HERM; }
inline bool conjugates(vsip_mat_op op) { return op == VSIP_MAT_HERM || op == VSIP_MAT_CONJ; }

constexpr messages kMprod{"vsip_mprod_f", {"copy a", "copy b", "copy r"}};
constexpr messages kMprodt{"vsip_mprodt_f", {"Copy a", "Copy b", "Copy c"}};
constexpr messages kGemp{"vsip_gemp_f", {"copy a.\n", "copy b.\n", "copy c.\n"}};
constexpr messages kCmprod{"vsip_cmprod_f", {"copy a.", "copy b.", "copy c."}};
constexpr messages kCgemp{"vsip_cgemp_f", {"copy a.", "copy b.", "copy c."}};

constexpr messages kMprodD{"vsip_mprod_d", {nullptr, nullptr, nullptr}};
constexpr messages kCmprodD{"vsip_cmprod_d", {nullptr, nullptr, nullptr}};

using cf = cpx<float>;
using cd = cpx<double>;

inline cf as_cpx(vsip_cscalar_f z) { return {z.r, z.i}; }

} // namespace

extern "C" {

VSIP_API void vsip_mprod_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *C) {
    VI_CHECK(vi::chk::product_fault(A, false, B, false, C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<float> b = vi::as_mat(B);
    run(product<float, float>{kMprod, 1.0f, 0.0f, vi::as_mat(A), b, vi::as_mat(C), false, false,
                              b.cols});
}

VSIP_API void vsip_mprodt_f(const vsip_mview_f *A, const vsip_mview_f *B, const vsip_mview_f *C) {
    VI_CHECK(vi::chk::product_fault(A, false, B, true, C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<float> bt = vi::as_mat(B).transposed();
    run(product<float, float>{kMprodt, 1.0f, 0.0f, vi::as_mat(A), bt, vi::as_mat(C), false,
                              false, bt.cols});
}

// Only VSIP_MAT_TRANS transposes a real operand.
VSIP_API void vsip_gemp_f(vsip_scalar_f alpha, const vsip_mview_f *A, vsip_mat_op OpA,
                          const vsip_mview_f *B, vsip_mat_op OpB, vsip_scalar_f beta,
                          const vsip_mview_f *C) {
    VI_CHECK(vi::chk::product_fault(A, OpA == VSIP_MAT_TRANS, B, OpB == VSIP_MAT_TRANS, C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<float> c = vi::as_mat(C);
    run(product<float, float>{kGemp, alpha, beta,
                              apply_transpose(vi::as_mat(A), OpA == VSIP_MAT_TRANS),
                              apply_transpose(vi::as_mat(B), OpB == VSIP_MAT_TRANS), c, false,
                              false, c.cols});
}

VSIP_API void vsip_cmprod_f(const vsip_cmview_f *A, const vsip_cmview_f *B,
                            const vsip_cmview_f *C) {
    VI_CHECK(vi::chk::product_fault(A, false, B, false, C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<float> b = vi::as_mat(B);
    run(product<float, cf>{kCmprod, cf{1.0f, 0.0f}, cf{0.0f, 0.0f}, vi::as_mat(A), b,
                           vi::as_mat(C), false, false, b.cols});
}

VSIP_API void vsip_cgemp_f(vsip_cscalar_f alpha, const vsip_cmview_f *A, vsip_mat_op OpA,
                           const vsip_cmview_f *B, vsip_mat_op OpB, vsip_cscalar_f beta,
                           const vsip_cmview_f *C) {
    VI_CHECK(vi::chk::product_fault(A, transposes(OpA), B, transposes(OpB), C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<float> c = vi::as_mat(C);
    run(product<float, cf>{kCgemp, as_cpx(alpha), as_cpx(beta),
                           apply_transpose(vi::as_mat(A), transposes(OpA)),
                           apply_transpose(vi::as_mat(B), transposes(OpB)), c, conjugates(OpA),
                           conjugates(OpB), c.cols});
}

VSIP_API void vsip_mprod_d(const vsip_mview_d *A, const vsip_mview_d *B, const vsip_mview_d *C) {
    VI_CHECK(vi::chk::product_fault(A, false, B, false, C));
    VI_CHECK(vi::shared_fault(vi::walk(C), vi::walk(A), vi::walk(B)));
    const mat<double> b = vi::as_mat(B);
    run(product<double, double>{kMprodD, 1.0, 0.0, vi::as_mat(A), b, vi::as_mat(C), false, false,
                                b.cols});
}

VSIP_API void vsip_cmprod_d(const vsip_cmview_d *A, const vsip_cmview_d *B,
                            const vsip_cmview_d *C) {
    VI_CHECK(vi::chk::product_fault(A, false, B, false, C));
    const mat<double> b = vi::as_mat(B);
    run(product<double, cd>{kCmprodD, cd{1.0, 0.0}, cd{0.0, 0.0}, vi::as_mat(A), b, vi::as_mat(C),
                            false, false, b.cols});
}

} // extern "C"
