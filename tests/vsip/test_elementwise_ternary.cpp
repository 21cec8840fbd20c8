// Ternary element-wise arithmetic: every function on every operand layout
// against a double-precision reference, and the rounding the real forms fix
// (one rounding for the multiply-adds, the sum first for the add-multiplies).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "elementwise_support.hpp"

using namespace vsiptest;

namespace {

const float kBeta = -1.25f, kGamma = 0.5f;
const cd kCBeta(0.75, -1.5), kCGamma(-0.25, 2.0);
constexpr double kTol = 4e-6;

std::vector<Row> ternary_rows() {
    const Kind r = Kind::R, c = Kind::C;
    using V = const std::vector<const void *> &;
    using X = const std::vector<cd> &;
    const cd be(kBeta, 0.0), ga(kGamma, 0.0);
    return {
        {"vsip_vam_f", {r, r, r}, r, [](V v) { vsip_vam_f(R(v[0]), R(v[1]), R(v[2]), R(v[3])); },
         [](X x) { return (x[0] + x[1]) * x[2]; }, kTol},
        {"vsip_vsbm_f", {r, r, r}, r, [](V v) { vsip_vsbm_f(R(v[0]), R(v[1]), R(v[2]), R(v[3])); },
         [](X x) { return (x[0] - x[1]) * x[2]; }, kTol},
        {"vsip_vsam_f", {r, r}, r, [](V v) { vsip_vsam_f(R(v[0]), kBeta, R(v[1]), R(v[2])); },
         [be](X x) { return (x[0] + be) * x[1]; }, kTol},
        {"vsip_vma_f", {r, r, r}, r, [](V v) { vsip_vma_f(R(v[0]), R(v[1]), R(v[2]), R(v[3])); },
         [](X x) { return x[0] * x[1] + x[2]; }, kTol},
        {"vsip_vmsb_f", {r, r, r}, r, [](V v) { vsip_vmsb_f(R(v[0]), R(v[1]), R(v[2]), R(v[3])); },
         [](X x) { return x[0] * x[1] - x[2]; }, kTol},
        {"vsip_vmsa_f", {r, r}, r, [](V v) { vsip_vmsa_f(R(v[0]), R(v[1]), kBeta, R(v[2])); },
         [be](X x) { return x[0] * x[1] + be; }, kTol},
        {"vsip_vsma_f", {r, r}, r, [](V v) { vsip_vsma_f(R(v[0]), kBeta, R(v[1]), R(v[2])); },
         [be](X x) { return x[0] * be + x[1]; }, kTol},
        {"vsip_vsmsa_f", {r}, r, [](V v) { vsip_vsmsa_f(R(v[0]), kBeta, kGamma, R(v[1])); },
         [be, ga](X x) { return x[0] * be + ga; }, kTol},
        {"vsip_cvam_f", {c, c, c}, c,
         [](V v) { vsip_cvam_f(C(v[0]), C(v[1]), C(v[2]), C(v[3])); },
         [](X x) { return (x[0] + x[1]) * x[2]; }, kTol},
        {"vsip_cvsbm_f", {c, c, c}, c,
         [](V v) { vsip_cvsbm_f(C(v[0]), C(v[1]), C(v[2]), C(v[3])); },
         [](X x) { return (x[0] - x[1]) * x[2]; }, kTol},
        {"vsip_cvsam_f", {c, c}, c, [](V v) { vsip_cvsam_f(C(v[0]), cs(kCBeta), C(v[1]), C(v[2])); },
         [](X x) { return (x[0] + kCBeta) * x[1]; }, kTol},
        {"vsip_cvma_f", {c, c, c}, c,
         [](V v) { vsip_cvma_f(C(v[0]), C(v[1]), C(v[2]), C(v[3])); },
         [](X x) { return x[0] * x[1] + x[2]; }, kTol},
        {"vsip_cvmsb_f", {c, c, c}, c,
         [](V v) { vsip_cvmsb_f(C(v[0]), C(v[1]), C(v[2]), C(v[3])); },
         [](X x) { return x[0] * x[1] - x[2]; }, kTol},
        {"vsip_cvmsa_f", {c, c}, c, [](V v) { vsip_cvmsa_f(C(v[0]), C(v[1]), cs(kCBeta), C(v[2])); },
         [](X x) { return x[0] * x[1] + kCBeta; }, kTol},
        {"vsip_cvsma_f", {c, c}, c, [](V v) { vsip_cvsma_f(C(v[0]), cs(kCBeta), C(v[1]), C(v[2])); },
         [](X x) { return x[0] * kCBeta + x[1]; }, kTol},
        {"vsip_cvsmsa_f", {c}, c,
         [](V v) { vsip_cvsmsa_f(C(v[0]), cs(kCBeta), cs(kCGamma), C(v[1])); },
         [](X x) { return x[0] * kCBeta + kCGamma; }, kTol},
    };
}

class TernaryRow : public ::testing::TestWithParam<Row> {};

TEST_P(TernaryRow, MatchesReferenceOnEveryLayoutAndInPlace) { check_row_everywhere(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, TernaryRow, ::testing::ValuesIn(ternary_rows()),
                         [](const ::testing::TestParamInfo<Row> &i) { return std::string(i.param.name); });

// (1 + 2^-23)(1 - 2^-23) - 1 is -2^-46 exactly when rounded once; rounding
// the product first gives 0.  Same for every multiply-add form and pass.
TEST(TernaryRounding, MultiplyAddFormsRoundOnce) {
    const float a = 1.0f + std::ldexp(1.0f, -23), b = 1.0f - std::ldexp(1.0f, -23);
    const float fused = -std::ldexp(1.0f, -46);
    for (Layout l : kLayouts)
        for (vsip_length n : {vsip_length(1), vsip_length(19)}) {
            RealVec va(l, n), vb(l, n), vc(l, n), vr(l, n);
            for (vsip_length j = 0; j < n; ++j) {
                va.set(j, a);
                vb.set(j, b);
                vc.set(j, -1.0f);
            }
            auto expect = [&](const char *what, float want) {
                for (vsip_length j = 0; j < n; ++j)
                    ASSERT_EQ(vr.get(j), want) << what << " " << name(l) << " n=" << n << " j=" << j;
            };
            vsip_vma_f(va.view(), vb.view(), vc.view(), vr.view());
            expect("vma", fused);
            vsip_vsma_f(va.view(), b, vc.view(), vr.view());
            expect("vsma", fused);
            vsip_vmsa_f(va.view(), vb.view(), -1.0f, vr.view());
            expect("vmsa", fused);
            vsip_vsmsa_f(va.view(), b, -1.0f, vr.view());
            expect("vsmsa", fused);
            for (vsip_length j = 0; j < n; ++j)
                vc.set(j, 1.0f);
            vsip_vmsb_f(va.view(), vb.view(), vc.view(), vr.view());
            expect("vmsb", fused);
        }
}

// The add-multiply forms round the sum before the product.
TEST(TernaryRounding, AddMultiplyFormsRoundTheSumFirst) {
    // a + b = 1 + 2^-24 rounds to 1 (ties to even); times c = 3 gives 3.
    const float a = 1.0f, b = std::ldexp(1.0f, -24), c = 3.0f;
    for (Layout l : kLayouts) {
        RealVec va(l, 9), vb(l, 9), vc(l, 9), vr(l, 9);
        for (vsip_length j = 0; j < 9; ++j) {
            va.set(j, a);
            vb.set(j, b);
            vc.set(j, c);
        }
        vsip_vam_f(va.view(), vb.view(), vc.view(), vr.view());
        for (vsip_length j = 0; j < 9; ++j)
            EXPECT_EQ(vr.get(j), 3.0f) << name(l);
        vsip_vsam_f(va.view(), b, vc.view(), vr.view());
        for (vsip_length j = 0; j < 9; ++j)
            EXPECT_EQ(vr.get(j), 3.0f) << name(l);
    }
}

} // namespace
