// Argument checks of the checked flavour (VSIP_TV_CHECKED=1): views that are
// null, on a destroyed or released block, reaching outside their block or
// indexed past their length, operands shorter than the result, and results
// that partly overlap an operand.  Each finding is one ERROR line, and the
// call then returns before touching memory.
//
// The checks are made in a few places only: the view accessors
// (core/vectors.cpp, core/matrices.cpp), the block lifecycle
// (core/blocks.cpp) and the operand walk (common/walk.hpp), through which
// every element-wise family passes.  The default flavour compiles every
// hook to nothing (VI_CHECKED is 0 there), so its hot paths are unchanged.
#ifndef VSIP_COMMON_CHECKS_HPP
#define VSIP_COMMON_CHECKS_HPP

#include <cstddef>
#include <cstdint>

#include "core/internal.hpp"

#if defined(VSIP_TV_CHECKED) && VSIP_TV_CHECKED
#define VI_CHECKED 1
#else
#define VI_CHECKED 0
#endif

namespace vi {
namespace chk {

// Messages of the checked flavour.
constexpr const char kNullView[] = "null view: nothing done";
constexpr const char kNullArgument[] = "null argument: nothing done";
constexpr const char kDestroyed[] = "view of a destroyed block: nothing done";
constexpr const char kReleased[] = "view of a released block: nothing done";
constexpr const char kOutside[] = "view outside its block: nothing done";
constexpr const char kDestroyedBlock[] = "destroyed block: nothing done";
constexpr const char kIndex[] = "index outside the view: nothing done";
constexpr const char kShort[] = "operand shorter than the result: nothing done";
constexpr const char kOverlap[] = "result partly overlaps an operand: nothing done";
constexpr const char kShape[] = "shapes do not conform: nothing done";
constexpr const char kShared[] = "result shares elements with an operand: nothing done";

// Whether the data of a block may be used: a part of a complex block
// follows the admitted state of its complex block.
template <class CB>
inline bool admitted_of(const CB *cb, std::int32_t own) {
    return cb ? cb->admitted != 0 : own != 0;
}

inline const char *block_fault(const vsip_block_f *b) {
    if (!b)
        return kNullArgument;
    if (b->marker != VI_MARKER_LIVE || (b->parent && b->parent->marker != VI_MARKER_LIVE))
        return kDestroyed;
    return admitted_of(b->parent, b->admitted) ? nullptr : kReleased;
}
inline const char *block_fault(const vsip_block_d *b) {
    if (!b)
        return kNullArgument;
    const auto *parent = static_cast<const vsip_cblock_d *>(b->parent);
    if (b->marker != VI_MARKER_LIVE || (parent && parent->marker != VI_MARKER_LIVE))
        return kDestroyed;
    return admitted_of(parent, b->admitted) ? nullptr : kReleased;
}
template <class B>
inline const char *block_fault(const B *b) {
    if (!b)
        return kNullArgument;
    if (b->marker != VI_MARKER_LIVE)
        return kDestroyed;
    return b->admitted ? nullptr : kReleased;
}

// The first fault of a vector or matrix view, or null when it may be used.
template <class V>
inline auto view_fault(const V *v) -> decltype(v->stride, (const char *)nullptr) {
    if (!v)
        return kNullView;
    if (const char *f = block_fault(v->block))
        return f;
    return VI_view_fits(v->block->length, v->offset, v->stride, v->length) ? nullptr : kOutside;
}
template <class M>
inline auto view_fault(const M *m) -> decltype(m->row_stride, (const char *)nullptr) {
    if (!m)
        return kNullView;
    if (const char *f = block_fault(m->block))
        return f;
    return VI_view_fits(m->block->length, m->offset, m->col_stride, m->col_length, m->row_stride,
                        m->row_length)
               ? nullptr
               : kOutside;
}

// A block given to a block operation: destroyed (its record is kept for a
// while after destroy, see core/blocks.cpp) or, when `need` says so, null.
template <class B>
inline const char *live_fault(const B *b, bool need) {
    if (!b)
        return need ? kNullArgument : nullptr;
    return b->marker == VI_MARKER_LIVE ? nullptr : kDestroyedBlock;
}

// A view whose fields are read or replaced (not its elements).
template <class V>
inline const char *record_fault(const V *v) {
    if (!v)
        return kNullView;
    return v->block && v->block->marker != VI_MARKER_LIVE ? kDestroyed : nullptr;
}

// The first fault among the views of one call, in argument order.
template <class... V>
inline const char *views_fault(const V *... v) {
    const char *f = nullptr;
    ((f = f ? f : view_fault(v)), ...);
    return f;
}
// The same after an object (filter, transform ...) that must not be null.
template <class O, class... V>
inline const char *object_views_fault(const O *object, const V *... v) {
    return object ? views_fault(v...) : kNullArgument;
}

// An operand shorter than the result or than the other operand.
inline const char *short_fault(bool shorter) { return shorter ? kShort : nullptr; }

// The views of C = op(A) op(B), A or B transposed when `ta` or `tb` says
// so: the first unusable view, then shapes that do not conform.
template <class MA, class MB, class MC>
inline const char *product_fault(const MA *a, bool ta, const MB *b, bool tb, const MC *c) {
    if (const char *f = views_fault(a, b, c))
        return f;
    const vsip_length a_rows = ta ? a->row_length : a->col_length;
    const vsip_length a_cols = ta ? a->col_length : a->row_length;
    const vsip_length b_rows = tb ? b->row_length : b->col_length;
    const vsip_length b_cols = tb ? b->col_length : b->row_length;
    return a_cols == b_rows && c->col_length == a_rows && c->row_length == b_cols ? nullptr
                                                                                 : kShape;
}

// The views of y = op(A) x: A of M x N (N x M when transposed), x of N
// elements, y of M.
template <class M, class V>
inline const char *matrix_vector_fault(const M *a, bool transposed, const V *x, const V *y) {
    if (const char *f = views_fault(a, x, y))
        return f;
    const vsip_length rows = transposed ? a->row_length : a->col_length;
    const vsip_length cols = transposed ? a->col_length : a->row_length;
    return x->length == cols && y->length == rows ? nullptr : kShape;
}

// Element j of a vector view, element (i, j) of a matrix view.
template <class V>
inline const char *element_fault(const V *v, vsip_index j) {
    if (const char *f = view_fault(v))
        return f;
    return j < v->length ? nullptr : kIndex;
}
template <class M>
inline const char *element_fault(const M *m, vsip_index i, vsip_index j) {
    if (const char *f = view_fault(m))
        return f;
    return i < m->col_length && j < m->row_length ? nullptr : kIndex;
}

// Row i, column j, or the diagonal from (i, j), of a matrix view.
template <class M>
inline const char *row_fault(const M *m, vsip_index i) {
    if (const char *f = record_fault(m))
        return f;
    return i < m->col_length ? nullptr : kIndex;
}
template <class M>
inline const char *col_fault(const M *m, vsip_index j) {
    if (const char *f = record_fault(m))
        return f;
    return j < m->row_length ? nullptr : kIndex;
}
template <class M>
inline const char *diag_fault(const M *m, vsip_index i, vsip_index j) {
    if (const char *f = record_fault(m))
        return f;
    return i < m->col_length && j < m->row_length ? nullptr : kIndex;
}

// New geometry for a vector or matrix view.
template <class V>
inline const char *geometry_fault(const V *v, vsip_offset offset, vsip_stride stride,
                                  vsip_length length) {
    if (const char *f = record_fault(v))
        return f;
    return !v->block || VI_view_fits(v->block->length, offset, stride, length) ? nullptr : kOutside;
}
template <class M>
inline const char *geometry_fault(const M *m, vsip_offset offset, vsip_stride col_stride,
                                  vsip_length col_length, vsip_stride row_stride,
                                  vsip_length row_length) {
    if (const char *f = record_fault(m))
        return f;
    return !m->block || VI_view_fits(m->block->length, offset, col_stride, col_length, row_stride,
                                     row_length)
               ? nullptr
               : kOutside;
}

// The length of a vector view read before the view is walked: 0 for a
// null view in the checked flavour, so that the walk reports it instead of
// the read crashing; the field itself otherwise.
template <class V>
inline vsip_length length_of(const V *v) {
#if VI_CHECKED
    if (!v)
        return 0;
#endif
    return v->length;
}

// Logs `fault` for `function` when there is one; true when there is none.
inline bool clear(const char *function, const char *fault) {
    if (!fault)
        return true;
    VI_log(VI_LOG_ERROR, function, fault);
    return false;
}

// Elements at base + i * s1 + j * s2 (steps in bytes, i < n1, j < n2) of
// `size` bytes each, for the overlap test of a result against an operand.
struct extent {
    std::uintptr_t base;   // address of the first element
    std::uintptr_t lo, hi; // first and last byte of all elements
    std::ptrdiff_t s1, s2; // steps that matter (0 along a dimension of one)
    std::ptrdiff_t size;
    bool empty;
};

template <class T>
inline extent extent_of(const T *p, std::ptrdiff_t s1, std::uint64_t n1, std::ptrdiff_t s2 = 0,
                        std::uint64_t n2 = 1) {
    const std::ptrdiff_t e = static_cast<std::ptrdiff_t>(sizeof(T));
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(p);
    if (n1 == 0 || n2 == 0)
        return {base, base, base, 0, 0, e, true};
    const std::ptrdiff_t a = static_cast<std::ptrdiff_t>(n1 - 1) * s1 * e;
    const std::ptrdiff_t b = static_cast<std::ptrdiff_t>(n2 - 1) * s2 * e;
    return {base,
            base + static_cast<std::uintptr_t>((a < 0 ? a : 0) + (b < 0 ? b : 0)),
            base + static_cast<std::uintptr_t>((a > 0 ? a : 0) + (b > 0 ? b : 0) + e - 1),
            n1 > 1 ? s1 * e : 0,
            n2 > 1 ? s2 * e : 0,
            e,
            false};
}

inline std::ptrdiff_t gcd(std::ptrdiff_t a, std::ptrdiff_t b) {
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    while (b) {
        const std::ptrdiff_t t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// Whether two extents share a byte.  Lattices whose ranges interleave
// without meeting, such as the two parts of interleaved storage, are told
// apart by the common divisor g of all steps: every element of one starts
// at a distance m (mod g) from the other's, and they cannot meet when both
// m and g - m are at least an element.
inline bool meets(const extent &r, const extent &a) {
    if (r.empty || a.empty || r.hi < a.lo || a.hi < r.lo)
        return false;
    const std::ptrdiff_t g = gcd(gcd(r.s1, r.s2), gcd(a.s1, a.s2));
    if (g == 0)
        return true;
    const std::ptrdiff_t m = (static_cast<std::ptrdiff_t>(r.base - a.base) % g + g) % g;
    return !(m >= a.size && g - m >= r.size);
}

// A result may be the very operand (same first element and steps) or share
// no byte with it; anything else is a partial overlap.
inline bool partly_overlaps(const extent &r, const extent &a) {
    if (r.base == a.base && r.s1 == a.s1 && r.s2 == a.s2)
        return false;
    return meets(r, a);
}

} // namespace chk
using chk::length_of;
} // namespace vi

// VI_CHECK(fault-expression, value): in the checked flavour, returns
// `value` (nothing for void functions) from the calling function after
// logging the fault under its name; in the default flavour the expression
// is not even evaluated.
// VI_CHECKED_OK(fault-expression): true in the default flavour; in the
// checked flavour, logs the fault (under the calling function's name) and
// is false when there is one.
#define VI_CHECKED_OK(fault) VI_CHECKED_OK_AS(__func__, fault)
#define VI_CHECKED_OK_AS(function, fault) (!VI_CHECKED || vi::chk::clear((function), (fault)))

#if VI_CHECKED
#define VI_CHECK(fault, ...)                                                    \
    do {                                                                        \
        if (!vi::chk::clear(__func__, (fault)))                                 \
            return __VA_ARGS__;                                                 \
    } while (0)
#else
#define VI_CHECK(fault, ...)                                                    \
    do {                                                                        \
    } while (0)
#endif

#endif // VSIP_COMMON_CHECKS_HPP
