// Views over caller memory in every layout the element-wise passes
// distinguish: unit stride on a stand-alone block (contiguous pass), and
// offsets, stride 2, negative strides and the real parts of interleaved
// complex storage (strided pass).  Every float of the storage that the
// view does not address holds a guard value, so a test can check that an
// operation wrote exactly the viewed elements.
#ifndef VSIP_TESTS_VIEW_LAYOUTS_HPP
#define VSIP_TESTS_VIEW_LAYOUTS_HPP

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "internal.hpp"

namespace vsiptest {

constexpr float kGuard = -12345.25f;

inline std::uint32_t bits(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

inline float from_bits(std::uint32_t u) {
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// Same float, NaNs of any payload counted as equal.
inline bool same_float(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || bits(a) == bits(b);
}

// Distance in units in the last place (NaN against NaN: 0).
inline double ulp_error(float got, double want) {
    if (std::isnan(want))
        return std::isnan(got) ? 0.0 : 1e30;
    if (std::isinf(want))
        return got == static_cast<float>(want) ? 0.0 : 1e30;
    float w = static_cast<float>(want);
    if (std::isinf(w)) // the reference rounds to infinity: accept FLT_MAX-ish
        return std::isinf(got) && (got > 0) == (w > 0) ? 0.0 : 1e30;
    int e;
    std::frexp(w == 0.0f ? 1e-38f : w, &e);
    double ulp = std::ldexp(1.0, std::max(e - 24, -149));
    return std::fabs(static_cast<double>(got) - want) / ulp;
}

// True when every element of `store` outside positions `in_view` still
// holds `guard` (compared byte for byte).
template <class T>
bool guards_intact_in(const std::vector<T> &store, const std::vector<std::size_t> &in_view, const T &guard) {
    std::vector<bool> in(store.size(), false);
    for (std::size_t p : in_view)
        in[p] = true;
    for (std::size_t p = 0; p < store.size(); ++p)
        if (!in[p] && std::memcmp(&store[p], &guard, sizeof(T)) != 0)
            return false;
    return true;
}

// ---- Real vectors ------------------------------------------------------------

enum class Layout { Unit, UnitOffset, Stride2, Negative, RealOfInterleaved, ImagNegative };

inline const char *name(Layout l) {
    switch (l) {
    case Layout::Unit: return "unit";
    case Layout::UnitOffset: return "unit_offset";
    case Layout::Stride2: return "stride2";
    case Layout::Negative: return "negative";
    case Layout::RealOfInterleaved: return "real_of_interleaved";
    case Layout::ImagNegative: return "imag_of_interleaved_negative";
    }
    return "?";
}
inline std::ostream &operator<<(std::ostream &os, Layout l) { return os << name(l); }

constexpr Layout kAllLayouts[] = {Layout::Unit,     Layout::UnitOffset,        Layout::Stride2,
                                  Layout::Negative, Layout::RealOfInterleaved, Layout::ImagNegative};

// Layouts that take the contiguous pass.
inline bool contiguous(Layout l) { return l == Layout::Unit || l == Layout::UnitOffset; }

// A float vector view of `values.size()` elements in layout `l`.
class RealVec {
public:
    RealVec(Layout l, const std::vector<float> &values) : layout_(l) {
        const std::size_t n = values.size();
        vsip_offset offset = 0;
        vsip_stride stride = 1;
        std::size_t cap = n + 4;
        switch (l) {
        case Layout::Unit: break;
        case Layout::UnitOffset: offset = 3; break;
        case Layout::Stride2: offset = 1, stride = 2, cap = 2 * n + 3; break;
        case Layout::Negative: offset = n + 1, stride = -1; break;
        case Layout::RealOfInterleaved: offset = 1; break;
        case Layout::ImagNegative: offset = 2 * n + 1, stride = -2, cap = 2 * n + 3; break;
        }
        const bool complex_storage = l == Layout::RealOfInterleaved || l == Layout::ImagNegative;
        store_.assign(complex_storage ? 2 * cap : cap, kGuard);
        if (complex_storage) {
            cblock_ = vsip_cblockbind_f(store_.data(), nullptr, cap, VSIP_MEM_NONE);
            vsip_cblockadmit_f(cblock_, VSIP_TRUE);
            cview_ = vsip_cvbind_f(cblock_, offset, stride, n);
            view_ = l == Layout::RealOfInterleaved ? vsip_vrealview_f(cview_) : vsip_vimagview_f(cview_);
        } else {
            block_ = vsip_blockbind_f(store_.data(), cap, VSIP_MEM_NONE);
            vsip_blockadmit_f(block_, VSIP_TRUE);
            view_ = vsip_vbind_f(block_, offset, stride, n);
        }
        for (std::size_t j = 0; j < n; ++j) {
            std::int64_t k = static_cast<std::int64_t>(offset) + static_cast<std::int64_t>(j) * stride;
            std::size_t p = complex_storage ? 2 * k + (l == Layout::ImagNegative ? 1 : 0) : k;
            pos_.push_back(p);
            store_[p] = values[j];
        }
    }
    ~RealVec() {
        vsip_vdestroy_f(view_);
        vsip_cvdestroy_f(cview_);
        vsip_cblockdestroy_f(cblock_);
        vsip_blockdestroy_f(block_);
    }
    RealVec(const RealVec &) = delete;
    RealVec &operator=(const RealVec &) = delete;

    vsip_vview_f *view() const { return view_; }
    std::size_t size() const { return pos_.size(); }
    float operator[](std::size_t j) const { return store_[pos_[j]]; }
    float *data() { return store_.data(); }
    std::vector<float> values() const {
        std::vector<float> v;
        for (std::size_t j = 0; j < size(); ++j)
            v.push_back((*this)[j]);
        return v;
    }
    // True when every float outside the view still holds the guard.
    bool guards_intact() const { return guards_intact_in(store_, pos_, kGuard); }

private:
    Layout layout_;
    std::vector<float> store_;
    std::vector<std::size_t> pos_;
    vsip_block_f *block_ = nullptr;
    vsip_cblock_f *cblock_ = nullptr;
    vsip_cvview_f *cview_ = nullptr;
    vsip_vview_f *view_ = nullptr;
};

// ---- Complex vectors -----------------------------------------------------------

enum class CLayout { Split, Interleaved, SplitOffsetStride2, InterleavedStride2, SplitNegative, InterleavedNegative };

inline const char *name(CLayout l) {
    switch (l) {
    case CLayout::Split: return "split";
    case CLayout::Interleaved: return "interleaved";
    case CLayout::SplitOffsetStride2: return "split_stride2";
    case CLayout::InterleavedStride2: return "interleaved_stride2";
    case CLayout::SplitNegative: return "split_negative";
    case CLayout::InterleavedNegative: return "interleaved_negative";
    }
    return "?";
}
inline std::ostream &operator<<(std::ostream &os, CLayout l) { return os << name(l); }

constexpr CLayout kAllCLayouts[] = {CLayout::Split,         CLayout::Interleaved,
                                    CLayout::SplitOffsetStride2, CLayout::InterleavedStride2,
                                    CLayout::SplitNegative, CLayout::InterleavedNegative};

inline bool interleaved(CLayout l) {
    return l == CLayout::Interleaved || l == CLayout::InterleavedStride2 || l == CLayout::InterleavedNegative;
}

template <class T>
struct cpair {
    T re, im;
};
using cf = cpair<float>;

class CplxVec {
public:
    CplxVec(CLayout l, const std::vector<cf> &values) {
        const std::size_t n = values.size();
        vsip_offset offset = 0;
        vsip_stride stride = 1;
        std::size_t cap = n + 3;
        switch (l) {
        case CLayout::Split:
        case CLayout::Interleaved: break;
        case CLayout::SplitOffsetStride2:
        case CLayout::InterleavedStride2: offset = 1, stride = 2, cap = 2 * n + 3; break;
        case CLayout::SplitNegative:
        case CLayout::InterleavedNegative: offset = n, stride = -1; break;
        }
        inter_ = interleaved(l);
        cap_ = cap;
        store_.assign(2 * cap, kGuard);
        block_ = vsip_cblockbind_f(store_.data(), inter_ ? nullptr : store_.data() + cap, cap, VSIP_MEM_NONE);
        vsip_cblockadmit_f(block_, VSIP_TRUE);
        view_ = vsip_cvbind_f(block_, offset, stride, n);
        for (std::size_t j = 0; j < n; ++j) {
            std::int64_t k = static_cast<std::int64_t>(offset) + static_cast<std::int64_t>(j) * stride;
            re_.push_back(inter_ ? 2 * k : k);
            im_.push_back(inter_ ? 2 * k + 1 : cap + k);
            store_[re_.back()] = values[j].re;
            store_[im_.back()] = values[j].im;
        }
    }
    ~CplxVec() {
        vsip_cvdestroy_f(view_);
        vsip_cblockdestroy_f(block_);
    }
    CplxVec(const CplxVec &) = delete;
    CplxVec &operator=(const CplxVec &) = delete;

    vsip_cvview_f *view() const { return view_; }
    std::size_t size() const { return re_.size(); }
    cf operator[](std::size_t j) const { return cf{store_[re_[j]], store_[im_[j]]}; }
    bool guards_intact() const {
        std::vector<std::size_t> in(re_);
        in.insert(in.end(), im_.begin(), im_.end());
        return guards_intact_in(store_, in, kGuard);
    }

private:
    bool inter_ = false;
    std::size_t cap_ = 0;
    std::vector<float> store_;
    std::vector<std::size_t> re_, im_;
    vsip_cblock_f *block_ = nullptr;
    vsip_cvview_f *view_ = nullptr;
};

// ---- Matrices ------------------------------------------------------------------

// Matrix geometry: row-major dense, column-major dense, row-major with
// padded rows (not dense), and a transposed view of a row-major matrix
// with a negative column stride; for the products also every other row
// and column of a larger matrix (no unit stride) and column-major with
// padded columns.
enum class MLayout { RowMajor, ColMajor, Padded, Reversed, EveryOther, ColPadded };

inline const char *name(MLayout l) {
    switch (l) {
    case MLayout::RowMajor: return "row_major";
    case MLayout::ColMajor: return "col_major";
    case MLayout::Padded: return "padded";
    case MLayout::Reversed: return "reversed_rows";
    case MLayout::EveryOther: return "every_other";
    case MLayout::ColPadded: return "col_padded";
    }
    return "?";
}
inline std::ostream &operator<<(std::ostream &os, MLayout l) { return os << name(l); }

constexpr MLayout kAllMLayouts[] = {MLayout::RowMajor, MLayout::ColMajor, MLayout::Padded, MLayout::Reversed};
constexpr MLayout kProductMLayouts[] = {MLayout::RowMajor, MLayout::ColMajor,   MLayout::Padded,
                                        MLayout::Reversed, MLayout::EveryOther, MLayout::ColPadded};

struct MGeometry {
    vsip_offset offset;
    vsip_stride col_stride, row_stride;
    std::size_t cap;
};

inline MGeometry geometry(MLayout l, std::size_t rows, std::size_t cols) {
    const vsip_stride r = static_cast<vsip_stride>(rows), c = static_cast<vsip_stride>(cols);
    switch (l) {
    case MLayout::RowMajor: return {0, c, 1, rows * cols + 1};
    case MLayout::ColMajor: return {0, 1, r, rows * cols + 1};
    case MLayout::Padded: return {2, c + 3, 1, rows * (cols + 3) + 3};
    case MLayout::Reversed: return {static_cast<vsip_offset>((r - 1) * c + 1), -c, 1, rows * cols + 2};
    case MLayout::EveryOther: return {1, 4 * c, 2, 4 * rows * cols + 2};
    case MLayout::ColPadded: return {1, 1, r + 2, cols * (rows + 2) + 2};
    }
    return {};
}

inline std::size_t mpos(const MGeometry &g, std::size_t i, std::size_t j) {
    return static_cast<std::size_t>(static_cast<vsip_stride>(g.offset) +
                                    static_cast<vsip_stride>(i) * g.col_stride +
                                    static_cast<vsip_stride>(j) * g.row_stride);
}

// Traits that bind a matrix view of element type Tag over caller memory
// (BoolTag: boolean elements).
struct BoolTag {};
template <class Tag> struct MatBinding;
#define VSIPTEST_MAT_BINDING(Tag, S)                                                                 \
    template <> struct MatBinding<Tag> {                                                             \
        using Block = vsip_block_##S;                                                                \
        using View = vsip_mview_##S;                                                                 \
        static Block *bind(vsip_scalar_##S *d, std::size_t n) { return vsip_blockbind_##S(d, n, VSIP_MEM_NONE); } \
        static void admit(Block *b) { vsip_blockadmit_##S(b, VSIP_TRUE); }                           \
        static View *view(Block *b, const MGeometry &g, std::size_t rows, std::size_t cols) {       \
            return vsip_mbind_##S(b, g.offset, g.col_stride, rows, g.row_stride, cols);             \
        }                                                                                            \
        static void destroy(View *v) { vsip_blockdestroy_##S(vsip_mdestroy_##S(v)); }               \
    };
VSIPTEST_MAT_BINDING(float, f)
VSIPTEST_MAT_BINDING(double, d)
VSIPTEST_MAT_BINDING(vsip_scalar_i, i)
VSIPTEST_MAT_BINDING(BoolTag, bl)
#undef VSIPTEST_MAT_BINDING

// A rows x cols matrix view of a stand-alone block; element (i, j) starts
// as init(i, j), everything else holds `guard`.
template <class Tag, class T = std::conditional_t<std::is_same<Tag, BoolTag>::value, vsip_scalar_bl, Tag>>
class Mat {
    using B = MatBinding<Tag>;

public:
    template <class Init>
    Mat(MLayout l, std::size_t rows, std::size_t cols, Init init, T guard)
        : g_(geometry(l, rows, cols)), rows_(rows), cols_(cols), guard_(guard) {
        store_.assign(g_.cap, guard);
        block_ = B::bind(store_.data(), g_.cap);
        B::admit(block_);
        view_ = B::view(block_, g_, rows, cols);
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < cols; ++j)
                store_[mpos(g_, i, j)] = init(i, j);
    }
    ~Mat() { B::destroy(view_); }
    Mat(const Mat &) = delete;
    Mat &operator=(const Mat &) = delete;

    typename B::View *view() const { return view_; }
    T operator()(std::size_t i, std::size_t j) const { return store_[mpos(g_, i, j)]; }
    bool guards_intact() const {
        std::vector<std::size_t> in;
        for (std::size_t i = 0; i < rows_; ++i)
            for (std::size_t j = 0; j < cols_; ++j)
                in.push_back(mpos(g_, i, j));
        return guards_intact_in(store_, in, guard_);
    }

private:
    MGeometry g_;
    std::size_t rows_, cols_;
    T guard_;
    std::vector<T> store_;
    typename B::Block *block_ = nullptr;
    typename B::View *view_ = nullptr;
};

// Binding of complex matrices of float or double parts over caller memory.
template <class T> struct CMatBinding;
#define VSIPTEST_CMAT_BINDING(S)                                                                     \
    template <> struct CMatBinding<vsip_scalar_##S> {                                                \
        using Block = vsip_cblock_##S;                                                               \
        using View = vsip_cmview_##S;                                                                \
        static Block *bind(vsip_scalar_##S *d1, vsip_scalar_##S *d2, std::size_t n) {                \
            return vsip_cblockbind_##S(d1, d2, n, VSIP_MEM_NONE);                                    \
        }                                                                                            \
        static void admit(Block *b) { vsip_cblockadmit_##S(b, VSIP_TRUE); }                          \
        static View *view(Block *b, const MGeometry &g, std::size_t rows, std::size_t cols) {       \
            return vsip_cmbind_##S(b, g.offset, g.col_stride, rows, g.row_stride, cols);            \
        }                                                                                            \
        static void destroy(View *v) { vsip_cblockdestroy_##S(vsip_cmdestroy_##S(v)); }             \
    };
VSIPTEST_CMAT_BINDING(f)
VSIPTEST_CMAT_BINDING(d)
#undef VSIPTEST_CMAT_BINDING

// A complex matrix view (split or interleaved storage) with parts of type T.
template <class T>
class BasicCMat {
    using B = CMatBinding<T>;

public:
    template <class Init>
    BasicCMat(MLayout l, bool inter, std::size_t rows, std::size_t cols, Init init)
        : g_(geometry(l, rows, cols)), inter_(inter), rows_(rows), cols_(cols) {
        store_.assign(2 * g_.cap, static_cast<T>(kGuard));
        block_ = B::bind(store_.data(), inter ? nullptr : store_.data() + g_.cap, g_.cap);
        B::admit(block_);
        view_ = B::view(block_, g_, rows, cols);
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < cols; ++j) {
                cpair<T> x = init(i, j);
                store_[re(i, j)] = x.re;
                store_[im(i, j)] = x.im;
            }
    }
    ~BasicCMat() { B::destroy(view_); }
    BasicCMat(const BasicCMat &) = delete;
    BasicCMat &operator=(const BasicCMat &) = delete;

    typename B::View *view() const { return view_; }
    cpair<T> operator()(std::size_t i, std::size_t j) const { return {store_[re(i, j)], store_[im(i, j)]}; }
    bool guards_intact() const {
        std::vector<std::size_t> in;
        for (std::size_t i = 0; i < rows_; ++i)
            for (std::size_t j = 0; j < cols_; ++j) {
                in.push_back(re(i, j));
                in.push_back(im(i, j));
            }
        return guards_intact_in(store_, in, static_cast<T>(kGuard));
    }

private:
    std::size_t re(std::size_t i, std::size_t j) const { return inter_ ? 2 * mpos(g_, i, j) : mpos(g_, i, j); }
    std::size_t im(std::size_t i, std::size_t j) const {
        return inter_ ? 2 * mpos(g_, i, j) + 1 : g_.cap + mpos(g_, i, j);
    }
    MGeometry g_;
    bool inter_;
    std::size_t rows_, cols_;
    std::vector<T> store_;
    typename B::Block *block_ = nullptr;
    typename B::View *view_ = nullptr;
};
using CMat = BasicCMat<float>;


// ---- Integer-family vectors ------------------------------------------------------

inline vsip_vview_i *bind_vector(vsip_scalar_i *d, std::size_t cap, vsip_offset o, vsip_stride s, std::size_t n) {
    vsip_block_i *b = vsip_blockbind_i(d, cap, VSIP_MEM_NONE);
    vsip_blockadmit_i(b, VSIP_TRUE);
    return vsip_vbind_i(b, o, s, n);
}
inline vsip_vview_bl *bind_vector(vsip_scalar_bl *d, std::size_t cap, vsip_offset o, vsip_stride s,
                                  std::size_t n, BoolTag) {
    vsip_block_bl *b = vsip_blockbind_bl(d, cap, VSIP_MEM_NONE);
    vsip_blockadmit_bl(b, VSIP_TRUE);
    return vsip_vbind_bl(b, o, s, n);
}
inline vsip_vview_vi *bind_vector(vsip_scalar_vi *d, std::size_t cap, vsip_offset o, vsip_stride s, std::size_t n) {
    vsip_block_vi *b = vsip_blockbind_vi(d, cap, VSIP_MEM_NONE);
    vsip_blockadmit_vi(b, VSIP_TRUE);
    return vsip_vbind_vi(b, o, s, n);
}
inline vsip_vview_mi *bind_vector(vsip_scalar_mi *d, std::size_t cap, vsip_offset o, vsip_stride s, std::size_t n) {
    vsip_block_mi *b = vsip_blockbind_mi(d, cap, VSIP_MEM_NONE);
    vsip_blockadmit_mi(b, VSIP_TRUE);
    return vsip_vbind_mi(b, o, s, n);
}
inline void destroy_vector(vsip_vview_i *v) { vsip_valldestroy_i(v); }
inline void destroy_vector(vsip_vview_bl *v) { vsip_valldestroy_bl(v); }
inline void destroy_vector(vsip_vview_vi *v) { vsip_valldestroy_vi(v); }
inline void destroy_vector(vsip_vview_mi *v) { vsip_valldestroy_mi(v); }

template <class Tag> struct VecViewOf;
template <> struct VecViewOf<vsip_scalar_i> { using type = vsip_vview_i; };
template <> struct VecViewOf<BoolTag> { using type = vsip_vview_bl; };
template <> struct VecViewOf<vsip_scalar_vi> { using type = vsip_vview_vi; };
template <> struct VecViewOf<vsip_scalar_mi> { using type = vsip_vview_mi; };

// A vector of integer-family elements (Tag BoolTag for booleans) in a
// stand-alone block: unit stride (Layout::Unit, UnitOffset) or strided
// (Stride2, Negative; the interleaved layouts fall back to Stride2).
template <class Tag, class T = std::conditional_t<std::is_same<Tag, BoolTag>::value, vsip_scalar_bl, Tag>>
class IntVec {
public:
    IntVec(Layout l, const std::vector<T> &values, T guard) : guard_(guard) {
        const std::size_t n = values.size();
        vsip_offset offset = 0;
        vsip_stride stride = 1;
        std::size_t cap = n + 4;
        switch (l) {
        case Layout::Unit: break;
        case Layout::UnitOffset: offset = 3; break;
        case Layout::Negative: offset = n + 1, stride = -1; break;
        default: offset = 1, stride = 2, cap = 2 * n + 3; break;
        }
        store_.assign(cap, guard);
        if constexpr (std::is_same<Tag, BoolTag>::value)
            view_ = bind_vector(store_.data(), cap, offset, stride, n, BoolTag{});
        else
            view_ = bind_vector(store_.data(), cap, offset, stride, n);
        for (std::size_t j = 0; j < n; ++j) {
            pos_.push_back(static_cast<std::size_t>(static_cast<std::int64_t>(offset) +
                                                    static_cast<std::int64_t>(j) * stride));
            store_[pos_.back()] = values[j];
        }
    }
    ~IntVec() { destroy_vector(view_); }
    IntVec(const IntVec &) = delete;
    IntVec &operator=(const IntVec &) = delete;

    auto view() const { return view_; }
    T operator[](std::size_t j) const { return store_[pos_[j]]; }
    bool guards_intact() const { return guards_intact_in(store_, pos_, guard_); }

private:
    T guard_;
    std::vector<T> store_;
    std::vector<std::size_t> pos_;
    typename VecViewOf<Tag>::type *view_ = nullptr;
};

// Deterministic pseudo-random floats in [lo, hi).
class Sampler {
public:
    explicit Sampler(std::uint64_t seed) : s_(seed * 6364136223846793005ull + 1442695040888963407ull) {}
    double unit() {
        s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(s_ >> 11) * (1.0 / 9007199254740992.0);
    }
    float uniform(double lo, double hi) { return static_cast<float>(lo + (hi - lo) * unit()); }
    std::vector<float> floats(std::size_t n, double lo, double hi) {
        std::vector<float> v(n);
        for (float &x : v)
            x = uniform(lo, hi);
        return v;
    }

private:
    std::uint64_t s_;
};

} // namespace vsiptest

#endif
