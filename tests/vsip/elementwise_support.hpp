// Operand layouts for the element-wise tests: real and complex vectors over
// caller storage in every layout the operand walk distinguishes, with
// guard values outside the view, and a table-driven checker that runs one
// function on every layout and compares it with a double-precision
// reference.
#ifndef VSIP_TESTS_ELEMENTWISE_SUPPORT_HPP
#define VSIP_TESTS_ELEMENTWISE_SUPPORT_HPP

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "internal.hpp"

namespace vsiptest {

using cd = std::complex<double>;

// unit: stand-alone block (real) or split storage (complex), stride 1.
// stride2: offset 3, stride 2.  negative: stride -1 from the last element.
// interleaved: real view of an interleaved complex block (elem_stride 2),
// or interleaved complex storage at stride 1.
enum class Layout { unit, stride2, negative, interleaved };
constexpr Layout kLayouts[] = {Layout::unit, Layout::stride2, Layout::negative,
                               Layout::interleaved};
inline const char *name(Layout l) {
    switch (l) {
    case Layout::unit: return "unit";
    case Layout::stride2: return "stride2";
    case Layout::negative: return "negative";
    default: return "interleaved";
    }
}

constexpr float kGuard = 777.0f;

// Offset and stride (in view elements) of a layout for n elements.
inline void geometry(Layout l, vsip_length n, vsip_offset *offset, vsip_stride *stride) {
    switch (l) {
    case Layout::unit: *offset = 0; *stride = 1; return;
    case Layout::stride2: *offset = 3; *stride = 2; return;
    case Layout::negative: *offset = n; *stride = -1; return;
    default: *offset = 1; *stride = 1; return;
    }
}

// A real vector operand over caller storage.
class RealVec {
public:
    RealVec(Layout l, vsip_length n) : n_(n), layout_(l) {
        vsip_offset off;
        vsip_stride st;
        geometry(l, n, &off, &st);
        const std::size_t blocklen = static_cast<std::size_t>(off + 2 * n + 1);
        if (l == Layout::interleaved) {
            store_.assign(2 * blocklen, kGuard);
            cblock_ = vsip_cblockbind_f(store_.data(), nullptr, blocklen, VSIP_MEM_NONE);
            vsip_cblockadmit_f(cblock_, 1);
            vsip_cvview_f *cv = vsip_cvbind_f(cblock_, off, st, n);
            view_ = vsip_vrealview_f(cv);
            vsip_cvdestroy_f(cv);
            for (vsip_length j = 0; j < n; ++j)
                index_.push_back(2 * (off + j));
        } else {
            store_.assign(blocklen, kGuard);
            block_ = vsip_blockbind_f(store_.data(), blocklen, VSIP_MEM_NONE);
            vsip_blockadmit_f(block_, 1);
            view_ = vsip_vbind_f(block_, off, st, n);
            for (vsip_length j = 0; j < n; ++j)
                index_.push_back(static_cast<std::size_t>(static_cast<vsip_stride>(off) +
                                                          st * static_cast<vsip_stride>(j)));
        }
    }
    ~RealVec() {
        vsip_vdestroy_f(view_);
        if (block_)
            vsip_blockdestroy_f(block_);
        if (cblock_)
            vsip_cblockdestroy_f(cblock_);
    }
    RealVec(const RealVec &) = delete;
    RealVec &operator=(const RealVec &) = delete;

    vsip_vview_f *view() const { return view_; }
    float get(vsip_length j) const { return store_[index_[j]]; }
    void set(vsip_length j, float x) { store_[index_[j]] = x; }
    vsip_length size() const { return n_; }
    // Storage outside the view still holds the guard value.
    bool guards_intact() const {
        std::vector<bool> inside(store_.size(), false);
        for (std::size_t k : index_)
            inside[k] = true;
        for (std::size_t k = 0; k < store_.size(); ++k)
            if (!inside[k] && !(store_[k] == kGuard))
                return false;
        return true;
    }

private:
    vsip_length n_;
    Layout layout_;
    std::vector<float> store_;
    std::vector<std::size_t> index_;
    vsip_block_f *block_ = nullptr;
    vsip_cblock_f *cblock_ = nullptr;
    vsip_vview_f *view_ = nullptr;
};

// A complex vector operand: unit and stride2 are split storage; negative
// and interleaved are interleaved storage.
class CplxVec {
public:
    CplxVec(Layout l, vsip_length n) : n_(n) {
        vsip_offset off;
        vsip_stride st;
        geometry(l, n, &off, &st);
        if (l == Layout::interleaved)
            off = 0;
        const std::size_t blocklen = static_cast<std::size_t>(off + 2 * n + 1);
        const bool interleaved = l == Layout::negative || l == Layout::interleaved;
        if (interleaved) {
            re_.assign(2 * blocklen, kGuard);
            block_ = vsip_cblockbind_f(re_.data(), nullptr, blocklen, VSIP_MEM_NONE);
        } else {
            re_.assign(blocklen, kGuard);
            im_.assign(blocklen, kGuard);
            block_ = vsip_cblockbind_f(re_.data(), im_.data(), blocklen, VSIP_MEM_NONE);
        }
        vsip_cblockadmit_f(block_, 1);
        view_ = vsip_cvbind_f(block_, off, st, n);
        for (vsip_length j = 0; j < n; ++j) {
            const std::size_t k = static_cast<std::size_t>(static_cast<vsip_stride>(off) +
                                                           st * static_cast<vsip_stride>(j));
            if (interleaved) {
                re_at_.push_back(&re_[2 * k]);
                im_at_.push_back(&re_[2 * k + 1]);
            } else {
                re_at_.push_back(&re_[k]);
                im_at_.push_back(&im_[k]);
            }
        }
    }
    ~CplxVec() {
        vsip_cvdestroy_f(view_);
        vsip_cblockdestroy_f(block_);
    }
    CplxVec(const CplxVec &) = delete;
    CplxVec &operator=(const CplxVec &) = delete;

    vsip_cvview_f *view() const { return view_; }
    vsip_cscalar_f get(vsip_length j) const { return {*re_at_[j], *im_at_[j]}; }
    void set(vsip_length j, vsip_cscalar_f x) {
        *re_at_[j] = x.r;
        *im_at_[j] = x.i;
    }
    bool guards_intact() const {
        auto check = [this](const std::vector<float> &s) {
            for (const float &x : s) {
                bool inside = false;
                for (vsip_length j = 0; j < n_; ++j)
                    inside = inside || &x == re_at_[j] || &x == im_at_[j];
                if (!inside && !(x == kGuard))
                    return false;
            }
            return true;
        };
        return check(re_) && check(im_);
    }

private:
    vsip_length n_;
    std::vector<float> re_, im_;
    std::vector<float *> re_at_, im_at_;
    vsip_cblock_f *block_ = nullptr;
    vsip_cvview_f *view_ = nullptr;
};

// One operand of a table row: a real or a complex vector.
enum class Kind { R, C };

struct Operand {
    Kind kind;
    std::unique_ptr<RealVec> real;
    std::unique_ptr<CplxVec> cplx;
    Operand(Kind k, Layout l, vsip_length n) : kind(k) {
        if (k == Kind::R)
            real = std::make_unique<RealVec>(l, n);
        else
            cplx = std::make_unique<CplxVec>(l, n);
    }
    const void *view() const {
        return kind == Kind::R ? static_cast<const void *>(real->view())
                               : static_cast<const void *>(cplx->view());
    }
    cd get(vsip_length j) const {
        if (kind == Kind::R)
            return real->get(j);
        const vsip_cscalar_f x = cplx->get(j);
        return {x.r, x.i};
    }
    void set(vsip_length j, cd x) {
        if (kind == Kind::R)
            real->set(j, static_cast<float>(x.real()));
        else
            cplx->set(j, {static_cast<float>(x.real()), static_cast<float>(x.imag())});
    }
    bool guards_intact() const { return kind == Kind::R ? real->guards_intact() : cplx->guards_intact(); }
};

// A function under test: input kinds, result kind, the call on views
// (inputs in order, result last), the reference on double-precision
// inputs, and the tolerance relative to max(1, |reference|).  `result_is`
// names the input that is also the result (the exponential averages), or
// is -1.
struct Row {
    const char *name;
    std::vector<Kind> inputs;
    Kind result;
    std::function<void(const std::vector<const void *> &)> call;
    std::function<cd(const std::vector<cd> &)> ref;
    double tol;
    int result_is = -1;
};

inline cd random_value(std::mt19937 &g, Kind k) {
    std::uniform_real_distribution<double> mag(0.25, 4.0);
    std::bernoulli_distribution neg(0.5);
    auto one = [&] { return static_cast<double>(static_cast<float>(neg(g) ? -mag(g) : mag(g))); };
    return k == Kind::R ? cd(one(), 0.0) : cd(one(), one());
}

// Runs `row` with the given layout per operand (inputs, then the result)
// on n elements; when `in_place` names an input of the result's kind, that
// input's view is passed as the result too.  Reports failures through
// GoogleTest with `what` in the message.
inline void check_row(const Row &row, const std::vector<Layout> &layouts, vsip_length n,
                      int in_place, const std::string &what) {
    std::mt19937 g(static_cast<unsigned>(n * 7919 + layouts.size()));
    std::vector<std::unique_ptr<Operand>> ops;
    for (std::size_t k = 0; k < row.inputs.size(); ++k)
        ops.push_back(std::make_unique<Operand>(row.inputs[k], layouts[k], n));
    std::vector<std::vector<cd>> in(n);
    for (vsip_length j = 0; j < n; ++j)
        for (std::size_t k = 0; k < ops.size(); ++k) {
            ops[k]->set(j, random_value(g, ops[k]->kind));
            in[j].push_back(ops[k]->get(j));
        }
    const int alias = row.result_is >= 0 ? row.result_is : in_place;
    std::unique_ptr<Operand> own;
    Operand *res;
    if (alias >= 0) {
        res = ops[static_cast<std::size_t>(alias)].get();
    } else {
        own = std::make_unique<Operand>(row.result, layouts.back(), n);
        res = own.get();
        for (vsip_length j = 0; j < n; ++j)
            res->set(j, cd(-1234.5, 4321.5));
    }
    std::vector<const void *> views;
    for (auto &o : ops)
        views.push_back(o->view());
    views.push_back(res->view());
    row.call(views);
    for (vsip_length j = 0; j < n; ++j) {
        const cd want = row.ref(in[j]);
        const cd got = res->get(j);
        const double err = std::abs(got - want);
        ASSERT_LE(err, row.tol * std::max(1.0, std::abs(want)))
            << row.name << " " << what << " element " << j << ": got " << got << ", want "
            << want;
    }
    for (auto &o : ops)
        EXPECT_TRUE(o->guards_intact()) << row.name << " " << what << ": input storage changed";
    if (own) {
        EXPECT_TRUE(own->guards_intact())
            << row.name << " " << what << ": result storage outside the view changed";
    }
}

// Every layout for all operands at once, rotated layouts mixing them, and
// in-place use, at lengths covering empty views, tails and vector bodies.
inline void check_row_everywhere(const Row &row) {
    const std::size_t count = row.inputs.size() + 1;
    for (vsip_length n : {vsip_length(0), vsip_length(1), vsip_length(7), vsip_length(37)}) {
        for (int shift = 0; shift < 4; ++shift) {
            for (bool mixed : {false, true}) {
                std::vector<Layout> layouts;
                std::string what = "n=" + std::to_string(n) + " layouts";
                for (std::size_t k = 0; k < count; ++k) {
                    layouts.push_back(kLayouts[(shift + (mixed ? k : 0)) % 4]);
                    what += std::string(" ") + name(layouts.back());
                }
                check_row(row, layouts, n, -1, what);
                for (std::size_t k = 0; k < row.inputs.size() && row.result_is < 0; ++k)
                    if (row.inputs[k] == row.result)
                        check_row(row, layouts, n, static_cast<int>(k),
                                  what + " in place on input " + std::to_string(k));
            }
        }
    }
}

// View casts for the rows' call lambdas.
inline const vsip_vview_f *R(const void *v) { return static_cast<const vsip_vview_f *>(v); }
inline const vsip_cvview_f *C(const void *v) { return static_cast<const vsip_cvview_f *>(v); }
inline vsip_cscalar_f cs(cd x) { return {static_cast<float>(x.real()), static_cast<float>(x.imag())}; }

} // namespace vsiptest

#endif
