// Operand walk shared by every family of libvsip-tv (element-wise
// operations, transforms, products), and the element-wise family templates
// built on it.
//
// Every element-wise function goes through three steps:
//
//   1. walk(view) turns each view into base pointer(s) and a step counted
//      in elements of the stored type (floats for real and complex data):
//        real vector     p = data + offset * elem_stride, step = stride * elem_stride
//        complex vector  re/im = part data + offset * part_stride,
//                        step = stride * part_stride
//        integer vector  p = data + offset, step = stride
//      and matrices the same with a row step (along a row) and a column
//      step (down a column).  Scalars are passed as they are (a float, an
//      integer or a vsip_cscalar_f).
//   2. choose_pass() is the one place that decides between the contiguous
//      pass and the strided pass.  A real operand fits the contiguous pass
//      when its view stride and its block's elem_stride are 1; a complex
//      operand with view stride 1 fits the split pass with part_stride 1 and
//      the interleaved pass with part_stride 2; scalars fit every pass.
//   3. ref<pass>(operand) gives the accessor the loop reads and writes
//      through: plain indexing p[i] (or p[2 i] for interleaved pairs) on the
//      contiguous passes, so the loop is free of address arithmetic and
//      vectorises, and p[i * step] on the strided pass.
//
// Writing a family: give the element operation as a callable on element
// values (float, integer or vsip_cscalar_f) and hand the walked operands,
// result first, to one of the templates below.  For example
//
//     void vsip_vmul_f(const vsip_vview_f *a, const vsip_vview_f *b, const vsip_vview_f *r) {
//         vi::elementwise<vi::split_only>(r->length, [](float x, float y) { return x * y; },
//                                          vi::walk(r), vi::walk(a), vi::walk(b));
//     }
//
//   elementwise<Passes>     vectors of any element type; Passes says whether
//                           all-interleaved complex operands take a contiguous
//                           pass over pairs (split_or_interleaved) or the
//                           strided pass (split_only).
//   array_or_strided        real vectors whose contiguous pass is a call of a
//                           dazaro-tv array function, cut into chunks of at most
//                           INT_MAX elements (counts are 32-bit there).
//   threaded_elementwise,   the same for compute-bound families (elementary
//   threaded_array_or_strided  functions, divisions, complex products ...):
//                           long views are cut into contiguous runs on the
//                           parallel frame, each run taking the pass the
//                           whole view takes (see threaded_runs).
//   matrix_elementwise      matrices: two nested strided loops, the inner loop
//                           along the result's smaller stride.
//   each                    the bare loop, for families with their own dispatch.
//
// A result view may be the very same view as an operand: every loop reads an
// element's operands before it stores the element.
#ifndef VSIP_COMMON_WALK_HPP
#define VSIP_COMMON_WALK_HPP

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "common/checks.hpp"
#include "common/parallel.hpp"
#include "core/internal.hpp"

namespace vi {

using idx = std::ptrdiff_t;

// ---- Checked flavour -------------------------------------------------------
//
// In the checked flavour every walked operand also carries what its view
// looked like (walk_check), walk() takes the name of the public function
// that calls it, and the templates below refuse the call, before any loop
// runs, when an operand is unusable, shorter than the result or partly
// overlapping it.  An unusable view walks to a sink (one scratch element at
// step 0), so no address is formed from it, and a refused call leaves a
// per-thread mark that makes the bare loops (each, in_chunks) return at
// once until the next walk starts another call.  The default flavour has
// none of this.
#if VI_CHECKED
// Walks made by a family over its own temporaries keep the defaults: no
// fault, no length limit, no extent.
struct walk_check {
    const char *fault = nullptr;              // first fault of the view
    const char *function = "";                // public function that walked it
    std::uint64_t n1 = UINT64_MAX;            // length; matrices: col_length
    std::uint64_t n2 = UINT64_MAX;            // 1; matrices: row_length
    chk::extent ext[2] = {};                  // elements (complex: both parts)
    int parts = 0;                            // extents in ext
};
#define VI_WALK_CHECK walk_check check;
#define VI_CALLER , const char *caller = __builtin_FUNCTION()
// Per-thread state in the initial-exec model: a few bytes of static TLS,
// without a call into the dynamic loader (whose library would become a
// NEEDED entry).
#define VI_THREAD_STATE thread_local __attribute__((tls_model("initial-exec")))
inline VI_THREAD_STATE bool refused = false;
inline VI_THREAD_STATE float sink_float[2];
#else
#define VI_WALK_CHECK
#define VI_CALLER
#endif

// ---- Walked operands -------------------------------------------------------

// Vector of real or integer elements: element j at p + j * step.  `unit`
// says the operand fits the contiguous pass (step 1 over a stand-alone
// array).
template <class T>
struct real_walk {
    T *p;
    idx step;
    bool unit;
    VI_WALK_CHECK
};

// Complex vector: parts of element j at re + j * step and im + j * step.
struct cplx_walk {
    float *re;
    float *im;
    idx step;
    bool view_unit; // view stride 1
    int part;       // part_stride of the block: 1 split, 2 interleaved
    VI_WALK_CHECK
};

// Matrices: element (i, j) at p + i * col_step + j * row_step.
// `row_first` is true when the row stride is smaller than the column stride
// (signed comparison of the view strides), so rows are the inner loop.
template <class T>
struct real_mwalk {
    T *p;
    idx row_step;
    idx col_step;
    bool row_first;
    VI_WALK_CHECK
};

struct cplx_mwalk {
    float *re;
    float *im;
    idx row_step;
    idx col_step;
    bool row_first;
    VI_WALK_CHECK
};

#if VI_CHECKED
template <class W>
struct walk_traits : std::false_type {}; // matrices
template <class T>
struct walk_traits<real_walk<T>> : std::true_type {};
template <>
struct walk_traits<cplx_walk> : std::true_type {};
template <class W>
constexpr bool complex_walk =
    std::is_same<W, cplx_walk>::value || std::is_same<W, cplx_mwalk>::value;

// Where the elements of a walked view lie: part 0 (real data or real
// parts) and part 1 (imaginary parts).
template <class W, class V, class T>
inline chk::extent extent_part(const W &w, const V *v, const T *p) {
    if constexpr (walk_traits<W>::value)
        return chk::extent_of(p, w.step, v->length);
    else
        return chk::extent_of(p, w.col_step, v->col_length, w.row_step, v->row_length);
}

// The walk of a usable view with its record.
template <class W, class V>
inline W checked(W w, const V *v, const char *caller) {
    refused = false;
    w.check.function = caller;
    if constexpr (walk_traits<W>::value) {
        w.check.n1 = v->length;
        w.check.n2 = 1;
    } else {
        w.check.n1 = v->col_length;
        w.check.n2 = v->row_length;
    }
    if constexpr (complex_walk<W>) {
        w.check.ext[0] = extent_part(w, v, w.re);
        w.check.ext[1] = extent_part(w, v, w.im);
        w.check.parts = 2;
    } else {
        w.check.ext[0] = extent_part(w, v, w.p);
        w.check.parts = 1;
    }
    return w;
}

// The sink walk of an unusable view: nothing is addressed through it.
template <class W>
inline W sink(const char *fault, const char *caller) {
    refused = false;
    W w{};
    w.check.fault = fault;
    w.check.function = caller;
    if constexpr (complex_walk<W>) {
        w.re = sink_float;
        w.im = sink_float + 1;
    } else {
        static VI_THREAD_STATE std::remove_pointer_t<decltype(w.p)> element{};
        w.p = &element;
    }
    return w;
}

// Every walk first turns an unusable view into a sink (checked flavour).
#define VI_SINK_UNUSABLE(W, v)                                                  \
    if (const char *fault = chk::view_fault(v))                                 \
    return sink<W>(fault, caller)
#define VI_WALKED(W, v, ...) return checked(W{__VA_ARGS__, walk_check{}}, v, caller)
// A walk a family makes over its own temporaries (no view to check).
#define VI_TEMP_WALK(W, ...) W{__VA_ARGS__, ::vi::walk_check{}}
#else
#define VI_SINK_UNUSABLE(W, v)
#define VI_WALKED(W, v, ...) return W{__VA_ARGS__}
#define VI_TEMP_WALK(W, ...) W{__VA_ARGS__}
#endif

inline real_walk<float> walk(const vsip_vview_f *v VI_CALLER) {
    VI_SINK_UNUSABLE(real_walk<float>, v);
    const vsip_block_f *b = v->block;
    VI_WALKED(real_walk<float>, v, b->data + static_cast<idx>(v->offset) * b->elem_stride,
              v->stride * b->elem_stride, v->stride == 1 && b->elem_stride == 1);
}

inline cplx_walk walk(const vsip_cvview_f *v VI_CALLER) {
    VI_SINK_UNUSABLE(cplx_walk, v);
    const vsip_cblock_f *b = v->block;
    const idx ps = b->part_stride;
    const idx at = static_cast<idx>(v->offset) * ps;
    VI_WALKED(cplx_walk, v, b->real_part->data + at, b->imag_part->data + at, v->stride * ps,
              v->stride == 1, b->part_stride);
}

// Integer, boolean, index and matrix-index vectors.
template <class V, class = decltype(std::declval<const V &>().stride)>
inline auto walk(const V *v VI_CALLER)
    -> real_walk<std::remove_pointer_t<decltype(v->block->data)>> {
    using W = real_walk<std::remove_pointer_t<decltype(v->block->data)>>;
    VI_SINK_UNUSABLE(W, v);
    VI_WALKED(W, v, v->block->data + static_cast<idx>(v->offset), v->stride, v->stride == 1);
}

inline real_mwalk<float> walk(const vsip_mview_f *m VI_CALLER) {
    VI_SINK_UNUSABLE(real_mwalk<float>, m);
    const vsip_block_f *b = m->block;
    const idx s = b->elem_stride;
    VI_WALKED(real_mwalk<float>, m, b->data + static_cast<idx>(m->offset) * s, m->row_stride * s,
              m->col_stride * s, m->row_stride < m->col_stride);
}

inline real_mwalk<double> walk(const vsip_mview_d *m VI_CALLER) {
    VI_SINK_UNUSABLE(real_mwalk<double>, m);
    const vsip_block_d *b = m->block;
    const idx s = b->elem_stride;
    VI_WALKED(real_mwalk<double>, m, b->data + static_cast<idx>(m->offset) * s, m->row_stride * s,
              m->col_stride * s, m->row_stride < m->col_stride);
}

inline cplx_mwalk walk(const vsip_cmview_f *m VI_CALLER) {
    VI_SINK_UNUSABLE(cplx_mwalk, m);
    const vsip_cblock_f *b = m->block;
    const idx s = b->part_stride;
    const idx at = static_cast<idx>(m->offset) * s;
    VI_WALKED(cplx_mwalk, m, b->real_part->data + at, b->imag_part->data + at, m->row_stride * s,
              m->col_stride * s, m->row_stride < m->col_stride);
}

template <class M>
inline auto mwalk_int(const M *m VI_CALLER)
    -> real_mwalk<std::remove_pointer_t<decltype(m->block->data)>> {
    using W = real_mwalk<std::remove_pointer_t<decltype(m->block->data)>>;
    VI_SINK_UNUSABLE(W, m);
    VI_WALKED(W, m, m->block->data + static_cast<idx>(m->offset), m->row_stride, m->col_stride,
              m->row_stride < m->col_stride);
}
#if VI_CHECKED
inline real_mwalk<vsip_scalar_i> walk(const vsip_mview_i *m VI_CALLER) {
    return mwalk_int(m, caller);
}
inline real_mwalk<vsip_scalar_bl> walk(const vsip_mview_bl *m VI_CALLER) {
    return mwalk_int(m, caller);
}
#else
inline real_mwalk<vsip_scalar_i> walk(const vsip_mview_i *m) { return mwalk_int(m); }
inline real_mwalk<vsip_scalar_bl> walk(const vsip_mview_bl *m) { return mwalk_int(m); }
#endif

// ---- Pass selection --------------------------------------------------------

enum class pass { strided, contiguous, interleaved };

// Which passes of a complex family accept all-interleaved operands.
enum passes { split_only = 0, split_or_interleaved = 1 };

enum : unsigned { FITS_SPLIT = 1, FITS_INTERLEAVED = 2, FITS_ANY = 3 };

template <class T>
inline unsigned fits(const real_walk<T> &w) { return w.unit ? FITS_ANY : 0u; }
inline unsigned fits(const cplx_walk &w) {
    if (!w.view_unit)
        return 0u;
    return w.part == 1 ? FITS_SPLIT : w.part == 2 ? FITS_INTERLEAVED : 0u;
}
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline unsigned fits(S) { return FITS_ANY; }
inline unsigned fits(vsip_cscalar_f) { return FITS_ANY; }

// The one decision between the contiguous and the strided pass: contiguous
// when every operand fits the split (or real unit-stride) layout;
// interleaved when the family allows it and every complex operand is
// interleaved at view stride 1; strided otherwise (mixed storage, any
// other stride, real views of interleaved blocks).
#if VI_CHECKED
template <class W, class = decltype(std::declval<const W &>().check)>
inline const char *fault_of(const W &w) { return w.check.fault; }
template <class W, class = decltype(std::declval<const W &>().check)>
inline bool shorter(const W &w, std::uint64_t n1, std::uint64_t n2) {
    return w.check.n1 < n1 || w.check.n2 < n2;
}
template <class R, class W, class = decltype(std::declval<const W &>().check)>
inline bool overlaps(const R &r, const W &w) {
    for (int i = 0; i < r.check.parts; ++i)
        for (int j = 0; j < w.check.parts; ++j)
            if (chk::partly_overlaps(r.check.ext[i], w.check.ext[j]))
                return true;
    return false;
}
// Products, whose result cannot be computed in place: a result that
// shares an element with an operand, the very same view included.
template <class R, class... A>
inline const char *shared_fault(const R &r, const A &... a) {
    auto meets = [&r](const auto &w) {
        for (int i = 0; i < r.check.parts; ++i)
            for (int j = 0; j < w.check.parts; ++j)
                if (chk::meets(r.check.ext[i], w.check.ext[j]))
                    return true;
        return false;
    };
    return (meets(a) || ...) ? chk::kShared : nullptr;
}
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline const char *fault_of(S) { return nullptr; }
inline const char *fault_of(vsip_cscalar_f) { return nullptr; }
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline bool shorter(S, std::uint64_t, std::uint64_t) { return false; }
inline bool shorter(vsip_cscalar_f, std::uint64_t, std::uint64_t) { return false; }
template <class R, class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline bool overlaps(const R &, S) { return false; }
template <class R>
inline bool overlaps(const R &, vsip_cscalar_f) { return false; }

// The function named in the ERROR line: the first operand walked directly
// in a public function; otherwise (every operand walked inside a family's
// helper) the helper's name without its template arguments.
inline const char *public_name(const char *a, const char *b) {
    return std::strncmp(a, "vsip_", 5) == 0 ? a : b;
}
template <class W, class = decltype(std::declval<const W &>().check)>
inline const char *name_of(const W &w) { return w.check.function; }
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline const char *name_of(S) { return ""; }
inline const char *name_of(vsip_cscalar_f) { return ""; }

// A refusal is logged once per call and marks the thread so that the bare
// loops of this call do nothing.
template <class R, class... A>
inline bool refuse(const char *fault, const R &r, const A &... a) {
    if (!refused) {
        const char *name = name_of(r);
        ((name = public_name(name, name_of(a))), ...);
        char plain[64];
        std::size_t n = 0;
        while (name[n] && name[n] != '<' && n + 1 < sizeof plain) {
            plain[n] = name[n];
            ++n;
        }
        plain[n] = '\0';
        chk::clear(plain, fault);
    }
    refused = true;
    return false;
}
// The verdict of the family templates on the walked operands of one call,
// result first: the first unusable operand, then an operand with fewer
// than n1 (rows) x n2 (columns) elements (when `sized`), then a partial
// overlap of the result.
template <class R, class... A>
inline bool admit(bool sized, std::uint64_t n1, std::uint64_t n2, const R &r, const A &... a) {
    const char *fault = fault_of(r);
    ((fault = fault ? fault : fault_of(a)), ...);
    if (!fault && sized && (shorter(r, n1, n2) || ... || shorter(a, n1, n2)))
        fault = chk::kShort;
    if (!fault && (overlaps(r, a) || ...))
        fault = chk::kOverlap;
    return fault ? refuse(fault, r, a...) : true;
}
// The verdict of choose_pass: unusable operands, operands shorter than
// the first, and, when the first is a result, a partial overlap of it.
template <class R, class... A>
inline bool verdict(bool result, const R &r, const A &... a) {
    const char *fault = fault_of(r);
    ((fault = fault ? fault : fault_of(a)), ...);
    if (!fault && (... || shorter(a, r.check.n1, r.check.n2)))
        fault = chk::kShort;
    if (!fault && result && (... || overlaps(r, a)))
        fault = chk::kOverlap;
    return fault ? refuse(fault, r, a...) : true;
}
#define VI_ADMIT(...)                                                           \
    if (!admit(__VA_ARGS__))                                                    \
    return
#else
#define VI_ADMIT(...)
#endif

// Whether the first operand given to choose_pass is the result, or just
// an operand (dot products, which may read one vector twice or two
// overlapping views).
enum first_operand { result_first, operand_first };

template <passes P, first_operand F = result_first, class... W>
inline pass choose_pass(const W &... w) {
#if VI_CHECKED
    // Families that choose their own pass are checked here: faults,
    // lengths against the first operand, and a partial overlap of the
    // result.  A refused call takes the strided pass, whose loops do
    // nothing.
    if (!verdict(F == result_first, w...))
        return pass::strided;
#endif
    const unsigned m = (FITS_ANY & ... & fits(w));
    if (m & FITS_SPLIT)
        return pass::contiguous;
    if (P == split_or_interleaved && (m & FITS_INTERLEAVED))
        return pass::interleaved;
    return pass::strided;
}

// ---- Accessors -------------------------------------------------------------

template <class T, idx K>
struct unit_ref {
    T *p;
    T get(idx i) const { return p[K * i]; }
    void put(idx i, T x) const { p[K * i] = x; }
    T get_at(idx k) const { return p[k]; }
    void put_at(idx k, T x) const { p[k] = x; }
};

// Element i at p[i * step]: a line of a vector or matrix.  get_at and
// put_at address an element by its offset k = i * step instead, for loops
// that share one offset among operands of equal step.
template <class T>
struct step_ref {
    T *p;
    idx step;
    T get(idx i) const { return p[i * step]; }
    void put(idx i, T x) const { p[i * step] = x; }
    T get_at(idx k) const { return p[k]; }
    void put_at(idx k, T x) const { p[k] = x; }
};

template <class T>
struct const_ref {
    T v;
    T get(idx) const { return v; }
    T get_at(idx) const { return v; }
};

template <idx K>
struct unit_cref {
    float *re;
    float *im;
    vsip_cscalar_f get(idx i) const { return {re[K * i], im[K * i]}; }
    void put(idx i, vsip_cscalar_f x) const {
        re[K * i] = x.r;
        im[K * i] = x.i;
    }
    vsip_cscalar_f get_at(idx k) const { return {re[k], im[k]}; }
    void put_at(idx k, vsip_cscalar_f x) const {
        re[k] = x.r;
        im[k] = x.i;
    }
};

// Complex element i at re[i * step], im[i * step].
struct step_cref {
    float *re;
    float *im;
    idx step;
    vsip_cscalar_f get(idx i) const { return {re[i * step], im[i * step]}; }
    void put(idx i, vsip_cscalar_f x) const {
        re[i * step] = x.r;
        im[i * step] = x.i;
    }
    vsip_cscalar_f get_at(idx k) const { return {re[k], im[k]}; }
    void put_at(idx k, vsip_cscalar_f x) const {
        re[k] = x.r;
        im[k] = x.i;
    }
};

// A walked vector as a line.
template <class T>
inline step_ref<T> line(const real_walk<T> &w) { return {w.p, w.step}; }
inline step_cref line(const cplx_walk &w) { return {w.re, w.im, w.step}; }

template <pass P, class T>
inline auto ref(const real_walk<T> &w) {
    if constexpr (P == pass::strided)
        return line(w);
    else
        return unit_ref<T, 1>{w.p};
}

template <pass P>
inline auto ref(const cplx_walk &w) {
    if constexpr (P == pass::strided)
        return line(w);
    else if constexpr (P == pass::contiguous)
        return unit_cref<1>{w.re, w.im};
    else
        return unit_cref<2>{w.re, w.im};
}

template <pass P, class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline const_ref<S> ref(S v) { return {v}; }
template <pass P>
inline const_ref<vsip_cscalar_f> ref(vsip_cscalar_f v) { return {v}; }

// ---- Loops -----------------------------------------------------------------

// The loops have two clones chosen at load time: baseline x86-64, and one
// for processors with FMA (and so AVX), where a fused multiply-add is one
// instruction instead of a libm call and the contiguous passes vectorise
// eight floats wide.  Both clones compute the same values.
// Under ThreadSanitizer the clone resolvers would be instrumented, and they
// run while the program is relocated, before the sanitizer has started: a
// ThreadSanitizer build keeps the baseline loops only.
#if defined(__SANITIZE_THREAD__)
#define VI_LOOP_CLONES
#else
#define VI_LOOP_CLONES __attribute__((target_clones("fma", "default")))
#endif

template <class T>
struct is_step_ref : std::false_type {};
template <class T>
struct is_step_ref<step_ref<T>> : std::true_type {};
template <>
struct is_step_ref<step_cref> : std::true_type {};

// Whether an operand of a strided loop is addressed by the offset k of
// step s: lines of step s, and scalars (which ignore the offset).
template <class T>
inline bool steps_by(const step_ref<T> &x, idx s) { return x.step == s; }
inline bool steps_by(const step_cref &x, idx s) { return x.step == s; }
template <class T>
inline bool steps_by(const const_ref<T> &, idx) { return true; }
template <class T, idx K>
inline bool steps_by(const unit_ref<T, K> &, idx s) { return s == K; }
template <idx K>
inline bool steps_by(const unit_cref<K> &, idx s) { return s == K; }

template <class T, idx K>
inline idx step_of(const unit_ref<T, K> &) { return K; }
template <idx K>
inline idx step_of(const unit_cref<K> &) { return K; }
template <class L>
inline idx step_of(const L &x) { return x.step; }

// Loops over strided operands stay scalar: vectorising them would gather
// and scatter lane by lane, which is slower than the scalar loop.  When
// every operand has the result's (nonzero) step, as with views of equal
// stride, the loop keeps a single induction variable, the offset k = i x
// step, and every access is base plus indexed offset; otherwise each
// operand keeps its own i x step.  Both visit the elements in the same
// order and compute the same values.
template <class Op, class R, class... A>
VI_LOOP_CLONES __attribute__((optimize("no-tree-vectorize"))) inline void each_strided(idx n, Op op, R r,
                                                                                       A... a) {
    if (n <= 0)
        return;
    const idx s = step_of(r);
    if (s != 0 && (steps_by(a, s) && ...)) {
        const idx end = n * s;
        for (idx k = 0; k != end; k += s)
            r.put_at(k, op(a.get_at(k)...));
        return;
    }
    for (idx i = 0; i < n; ++i)
        r.put(i, op(a.get(i)...));
}

// r[i] = op(a[i]...) for i = 0 .. n-1, in increasing order.
template <class Op, class R, class... A>
VI_LOOP_CLONES inline void each(idx n, Op op, R r, A... a) {
#if VI_CHECKED
    if (refused)
        return;
#endif
    if constexpr (is_step_ref<R>::value || (is_step_ref<A>::value || ...)) {
        each_strided(n, op, r, a...);
    } else {
        for (idx i = 0; i < n; ++i)
            r.put(i, op(a.get(i)...));
    }
}

// Element-wise family over vectors: n = the result's length.
template <passes P, class Op, class R, class... A>
inline void elementwise(vsip_length n, Op op, const R &r, const A &... a) {
    VI_ADMIT(true, n, 1, r, a...);
    const idx count = static_cast<idx>(n);
    switch (choose_pass<P>(r, a...)) {
    case pass::contiguous:
        each(count, op, ref<pass::contiguous>(r), ref<pass::contiguous>(a)...);
        break;
    case pass::interleaved:
        if constexpr (P == split_or_interleaved)
            each(count, op, ref<pass::interleaved>(r), ref<pass::interleaved>(a)...);
        break;
    case pass::strided:
        each(count, op, ref<pass::strided>(r), ref<pass::strided>(a)...);
        break;
    }
}

// fn(count, offset) over [0, n) in pieces of at most Limit elements: the
// array functions take 32-bit counts, so longer views are processed in
// chunks rather than cut short.
template <idx Limit = INT_MAX, class F>
inline void in_chunks(idx n, F fn) {
#if VI_CHECKED
    if (refused)
        return;
#endif
    for (idx done = 0; done < n;) {
        const idx count = std::min<idx>(n - done, Limit);
        fn(static_cast<int>(count), done);
        done += count;
    }
}

// Real family whose contiguous pass is an array function fn(count, a, ...,
// r) (operands in order, result last); otherwise the strided pass of op.
template <class Fn, class Op, class T, class... A>
inline void array_or_strided(vsip_length n, Fn fn, Op op, const real_walk<T> &r,
                             const A &... a) {
    VI_ADMIT(true, n, 1, r, a...);
    const idx count = static_cast<idx>(n);
    if (choose_pass<split_only>(r, a...) == pass::contiguous)
        in_chunks(count, [&](int c, idx k) { fn(c, (a.p + k)..., r.p + k); });
    else
        each(count, op, ref<pass::strided>(r), ref<pass::strided>(a)...);
}

// ---- Threads for long compute-bound passes ------------------------------------

// A compute-bound pass runs on several threads only when every thread gets
// at least this many elements.  The cheapest threaded families (division,
// square root, complex multiplication, the exponential) cost 0.2 to 0.45 ns
// per element on one core, so a run of this length is 13 to 30 us of work,
// against 5 to 40 us for waking a sleeping thread of the team: shorter runs
// gain little or lose.
constexpr idx kThreadedMinRun = 65536;
// Run boundaries fall on multiples of this many elements from the start of
// the view: a multiple of every block width of the contiguous loops and of
// the array functions, so each element meets the same block (or the same
// remainder loop) as in one serial pass and the results are bit-identical.
constexpr idx kThreadedRunAlign = 1024;

// The walked operand from element k on.
#if VI_CHECKED
template <class W>
inline auto from_element(W w, idx k) -> decltype(w.check, W{}) {
    if constexpr (complex_walk<W>) {
        w.re += k * w.step;
        w.im += k * w.step;
    } else {
        w.p += k * w.step;
    }
    w.check.n1 -= static_cast<std::uint64_t>(k);
    return w;
}
#else
template <class T>
inline real_walk<T> from_element(const real_walk<T> &w, idx k) { return {w.p + k * w.step, w.step, w.unit}; }
inline cplx_walk from_element(const cplx_walk &w, idx k) {
    return {w.re + k * w.step, w.im + k * w.step, w.step, w.view_unit, w.part};
}
#endif
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline S from_element(S v, idx) { return v; }
inline vsip_cscalar_f from_element(vsip_cscalar_f v, idx) { return v; }

// body(first, count) over contiguous runs covering [0, n): one call on the
// calling thread for short views, with one thread, or inside an active
// OpenMP region; otherwise one run per thread of the parallel frame.  Views
// longer than the array functions' 32-bit counts are first cut into the
// chunks of in_chunks, and each chunk into runs from its own start, so the
// array functions see the blocks of the serial pass.
template <class Body>
inline void threaded_runs(vsip_length n, Body body) {
    in_chunks(static_cast<idx>(n), [&](int count, idx chunk) {
        parallel_runs(count, kThreadedMinRun, kThreadedRunAlign,
                      [&](std::int64_t begin, std::int64_t end) { body(chunk + begin, end - begin); });
    });
}

template <passes P, class Op, class R, class... A>
inline void threaded_elementwise(vsip_length n, Op op, const R &r, const A &... a) {
    VI_ADMIT(true, n, 1, r, a...);
    threaded_runs(n, [&](idx k, idx count) {
        elementwise<P>(static_cast<vsip_length>(count), op, from_element(r, k), from_element(a, k)...);
    });
}

template <class Fn, class Op, class T, class... A>
inline void threaded_array_or_strided(vsip_length n, Fn fn, Op op, const real_walk<T> &r,
                                      const A &... a) {
    VI_ADMIT(true, n, 1, r, a...);
    threaded_runs(n, [&](idx k, idx count) {
        array_or_strided(static_cast<vsip_length>(count), fn, op, from_element(r, k),
                         from_element(a, k)...);
    });
}

// Row (rows_inner) or column o of a walked matrix as a line.
template <class T>
inline step_ref<T> line(const real_mwalk<T> &m, bool rows_inner, idx o) {
    return rows_inner ? step_ref<T>{m.p + o * m.col_step, m.row_step}
                      : step_ref<T>{m.p + o * m.row_step, m.col_step};
}
inline step_cref line(const cplx_mwalk &m, bool rows_inner, idx o) {
    return rows_inner ? step_cref{m.re + o * m.col_step, m.im + o * m.col_step, m.row_step}
                      : step_cref{m.re + o * m.row_step, m.im + o * m.row_step, m.col_step};
}
template <class S, class = std::enable_if_t<std::is_arithmetic<S>::value>>
inline const_ref<S> line(S v, bool, idx) { return {v}; }
inline const_ref<vsip_cscalar_f> line(vsip_cscalar_f v, bool, idx) { return {v}; }

// Element-wise family over matrices of `rows` x `cols` elements (the
// result's column and row lengths): the inner loop runs along a row when
// the result's row stride is smaller than its column stride, otherwise
// down a column; every operand is walked in that order with its own steps.
template <class Op, class R, class... A>
inline void matrix_elementwise(vsip_length rows, vsip_length cols, Op op, const R &r,
                               const A &... a) {
    VI_ADMIT(true, rows, cols, r, a...);
    const bool rows_inner = r.row_first;
    const idx outer = static_cast<idx>(rows_inner ? rows : cols);
    const idx inner = static_cast<idx>(rows_inner ? cols : rows);
    if (inner <= 0)
        return;
    for (idx o = 0; o < outer; ++o)
        each(inner, op, line(r, rows_inner, o), line(a, rows_inner, o)...);
}

// Steps of a walked matrix, in stored elements.
struct mshape {
    idx row_step, col_step;
};

// Dense with the inner dimension at unit step and the outer step equal to
// the inner length: 0 row-major, 1 column-major, -1 neither.
inline int dense_order(mshape s, idx rows, idx cols, idx unit) {
    if (s.row_step == unit && s.col_step == cols * unit)
        return 0;
    if (s.col_step == unit && s.row_step == rows * unit)
        return 1;
    return -1;
}

// Both matrices dense in the same element order: one flat pass over all
// elements.
inline bool flat_pair(mshape a, mshape r, idx rows, idx cols, idx unit) {
    const int order = dense_order(r, rows, cols, unit);
    return order >= 0 && order == dense_order(a, rows, cols, unit);
}

// The transpose of a walked matrix (rows and columns swapped).
template <class M>
inline M transposed(const M &m) {
    M t = m;
    t.row_step = m.col_step;
    t.col_step = m.row_step;
    t.row_first = m.col_step < m.row_step;
#if VI_CHECKED
    t.check.n1 = m.check.n2;
    t.check.n2 = m.check.n1;
    for (chk::extent &e : t.check.ext) {
        const std::ptrdiff_t s1 = e.s1;
        e.s1 = e.s2;
        e.s2 = s1;
    }
#endif
    return t;
}

// Reads every element of a walked matrix of `rows` x `cols` elements, the
// inner loop along the matrix's own smaller stride: visit(value).
template <class M, class Visit>
inline void matrix_scan(const M &m, vsip_length rows, vsip_length cols, Visit visit) {
    VI_ADMIT(true, rows, cols, m);
    const bool rows_inner = m.row_first;
    const idx outer = static_cast<idx>(rows_inner ? rows : cols);
    const idx inner = static_cast<idx>(rows_inner ? cols : rows);
    for (idx o = 0; o < outer; ++o) {
        const auto l = line(m, rows_inner, o);
        for (idx i = 0; i < inner; ++i)
            visit(l.get(i));
    }
}

// ---- Element helpers -------------------------------------------------------

// Sign flip by bit: zeros change sign, NaN payloads are kept.
inline float flip_sign(float x) {
    return __builtin_copysignf(x, __builtin_signbitf(x) ? 1.0f : -1.0f);
}

} // namespace vi

#endif // VSIP_COMMON_WALK_HPP
