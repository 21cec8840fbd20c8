// Product test support: real and complex matrix operands in every layout
// the products distinguish, a double-precision reference product, and the
// error bound single-precision results are held to.
#ifndef VSIP_TESTS_PRODUCT_SUPPORT_HPP
#define VSIP_TESTS_PRODUCT_SUPPORT_HPP

#include <cmath>
#include <complex>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "support.hpp"
#include "view_layouts.hpp"

namespace vsiptest {

using cd = std::complex<double>;

// Storage of a matrix operand: a layout over a stand-alone real block,
// over split or interleaved complex storage, or (real operands) the real
// part of interleaved storage (element stride 2).
struct Storage {
    MLayout layout;
    enum Kind { Plain, Split, Interleaved, RealOfInterleaved } kind;
};
inline std::ostream &operator<<(std::ostream &os, const Storage &s) {
    static const char *kinds[] = {"plain", "split", "interleaved", "real_of_interleaved"};
    return os << s.layout << "/" << kinds[s.kind];
}

inline std::vector<Storage> real_storages() {
    std::vector<Storage> v;
    for (MLayout l : kProductMLayouts)
        v.push_back({l, Storage::Plain});
    v.push_back({MLayout::RowMajor, Storage::RealOfInterleaved});
    v.push_back({MLayout::ColMajor, Storage::RealOfInterleaved});
    return v;
}
inline std::vector<Storage> complex_storages() {
    std::vector<Storage> v;
    for (MLayout l : kProductMLayouts) {
        v.push_back({l, Storage::Interleaved});
        v.push_back({l, Storage::Split});
    }
    return v;
}

// Deterministic element values with varied signs and magnitudes.
inline float value_at(int seed, std::size_t i, std::size_t j) {
    const int h = static_cast<int>((i * 7 + j * 13 + static_cast<std::size_t>(seed) * 29) % 23);
    return static_cast<float>(h - 11) * 0.375f + static_cast<float>(seed % 3) * 0.0625f;
}

// A rows x cols matrix operand; element values from `seed`.
class Operand {
public:
    Operand(Storage s, std::size_t rows, std::size_t cols, int seed) : rows_(rows), cols_(cols) {
        auto re = [seed](std::size_t i, std::size_t j) { return value_at(seed, i, j); };
        auto c = [seed](std::size_t i, std::size_t j) {
            return cf{value_at(seed, i, j), value_at(seed + 5, i, j)};
        };
        switch (s.kind) {
        case Storage::Plain:
            real_ = std::make_unique<Mat<float>>(s.layout, rows, cols, re, kGuard);
            break;
        case Storage::RealOfInterleaved:
            cplx_ = std::make_unique<CMat>(s.layout, true, rows, cols, c);
            part_ = vsip_mrealview_f(cplx_->view());
            break;
        case Storage::Split:
        case Storage::Interleaved:
            cplx_ = std::make_unique<CMat>(s.layout, s.kind == Storage::Interleaved, rows, cols, c);
            break;
        }
    }
    ~Operand() { vsip_mdestroy_f(part_); }
    Operand(const Operand &) = delete;
    Operand &operator=(const Operand &) = delete;

    vsip_mview_f *real() const { return part_ ? part_ : real_->view(); }
    vsip_cmview_f *complex() const { return cplx_->view(); }
    // Element (i, j) as the operation sees it (the real part for real views).
    cd at(std::size_t i, std::size_t j) const {
        if (real_)
            return (*real_)(i, j);
        const cf x = (*cplx_)(i, j);
        return part_ ? cd(x.re) : cd(x.re, x.im);
    }
    std::size_t rows() const { return rows_; }
    std::size_t cols() const { return cols_; }
    bool guards_intact() const { return real_ ? real_->guards_intact() : cplx_->guards_intact(); }

private:
    std::size_t rows_, cols_;
    std::unique_ptr<Mat<float>> real_;
    std::unique_ptr<CMat> cplx_;
    vsip_mview_f *part_ = nullptr;
};

// op(X)(i, j) for the operand operations.
inline cd op_at(const Operand &x, vsip_mat_op op, std::size_t i, std::size_t j) {
    const bool t = op == VSIP_MAT_TRANS || op == VSIP_MAT_HERM;
    const cd v = t ? x.at(j, i) : x.at(i, j);
    return op == VSIP_MAT_HERM || op == VSIP_MAT_CONJ ? std::conj(v) : v;
}

// Checks C (after) against alpha op(A) op(B) + beta C (before) in double
// precision; the bound is 8 K float epsilons of the sum of magnitudes.
// Returns a description of the first mismatch, or "".
inline std::string check_product(const Operand &a, vsip_mat_op op_a, const Operand &b,
                                 vsip_mat_op op_b, cd alpha, cd beta,
                                 const std::vector<cd> &c_before, const Operand &c) {
    const std::size_t k = (op_a == VSIP_MAT_TRANS || op_a == VSIP_MAT_HERM) ? a.rows() : a.cols();
    for (std::size_t i = 0; i < c.rows(); ++i)
        for (std::size_t j = 0; j < c.cols(); ++j) {
            cd sum = 0;
            double mag = 0;
            for (std::size_t l = 0; l < k; ++l) {
                const cd t = op_at(a, op_a, i, l) * op_at(b, op_b, l, j);
                sum += t;
                mag += std::abs(t);
            }
            const cd before = c_before[i * c.cols() + j];
            const cd want = alpha * sum + (beta == 0.0 ? 0.0 : beta * before);
            const double bound =
                8.0 * (k + 2) * 0x1p-24 * (std::abs(alpha) * mag + std::abs(beta) * std::abs(before)) +
                1e-30;
            if (!(std::abs(c.at(i, j) - want) <= bound)) {
                std::ostringstream os;
                os << "C(" << i << "," << j << ") = " << c.at(i, j) << ", want " << want;
                return os.str();
            }
        }
    return c.guards_intact() ? "" : "C written outside its view";
}

inline std::vector<cd> snapshot(const Operand &c) {
    std::vector<cd> v;
    for (std::size_t i = 0; i < c.rows(); ++i)
        for (std::size_t j = 0; j < c.cols(); ++j)
            v.push_back(c.at(i, j));
    return v;
}

} // namespace vsiptest

#endif
