// Views: element addressing on every storage layout, derived-view
// geometry, attribute exchange and allocation failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support.hpp"

namespace {

// A complex block of 6 elements over caller memory: split (two arrays) or
// interleaved (one array of pairs).  Element k holds (10 k, 10 k + 1).
struct ComplexStorage {
    bool interleaved;
    std::vector<float> a, b;
    vsip_cblock_f *block;
    explicit ComplexStorage(bool inter) : interleaved(inter), a(12), b(6) {
        for (int k = 0; k < 6; ++k) {
            re(k) = 10.0f * k;
            im(k) = 10.0f * k + 1;
        }
        block = vsip_cblockbind_f(a.data(), interleaved ? nullptr : b.data(), 6, VSIP_MEM_NONE);
        vsip_cblockadmit_f(block, VSIP_TRUE);
    }
    ~ComplexStorage() { vsip_cblockdestroy_f(block); }
    float &re(int k) { return interleaved ? a[2 * k] : a[k]; }
    float &im(int k) { return interleaved ? a[2 * k + 1] : b[k]; }
};

struct VectorGeometry {
    vsip_offset offset;
    vsip_stride stride;
    vsip_length length;
};

void PrintTo(const VectorGeometry &g, std::ostream *os) {
    *os << "offset " << g.offset << " stride " << g.stride << " length " << g.length;
}

class ComplexAddressing
    : public ::testing::TestWithParam<std::tuple<bool, VectorGeometry>> {};

} // namespace

TEST_P(ComplexAddressing, ComplexRealAndImaginaryViewsReachTheSameElements) {
    auto [interleaved, g] = GetParam();
    ComplexStorage s(interleaved);
    vsip_cvview_f *v = vsip_cvbind_f(s.block, g.offset, g.stride, g.length);
    vsip_vview_f *re = vsip_vrealview_f(v);
    vsip_vview_f *im = vsip_vimagview_f(v);
    ASSERT_TRUE(v && re && im);
    for (vsip_index j = 0; j < g.length; ++j) {
        int k = static_cast<int>(g.offset + static_cast<vsip_stride>(j) * g.stride);
        vsip_cscalar_f x = vsip_cvget_f(v, j);
        EXPECT_EQ(x.r, s.re(k)) << "element " << j;
        EXPECT_EQ(x.i, s.im(k)) << "element " << j;
        EXPECT_EQ(vsip_vget_f(re, j), s.re(k));
        EXPECT_EQ(vsip_vget_f(im, j), s.im(k));
    }
    // Writes land on exactly the addressed floats and nowhere else.
    for (vsip_index j = 0; j < g.length; ++j)
        vsip_cvput_f(v, j, vsip_cscalar_f{-1.0f - j, -100.0f - j});
    for (int k = 0; k < 6; ++k) {
        bool in_view = false; // the last write to block element k wins
        vsip_index j = 0;
        for (vsip_index jj = 0; jj < g.length; ++jj)
            if (static_cast<int>(g.offset + static_cast<vsip_stride>(jj) * g.stride) == k) {
                in_view = true;
                j = jj;
            }
        EXPECT_EQ(s.re(k), in_view ? -1.0f - j : 10.0f * k) << "block element " << k;
        EXPECT_EQ(s.im(k), in_view ? -100.0f - j : 10.0f * k + 1) << "block element " << k;
    }
    vsip_vput_f(im, 0, 0.5f);
    EXPECT_EQ(s.im(static_cast<int>(g.offset)), 0.5f);
    vsip_valldestroy_f(re); // a part block survives: only the view is freed
    vsip_valldestroy_f(im);
    EXPECT_EQ(s.block->real_part->marker, 0x5555);
    vsip_cvdestroy_f(v);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComplexAddressing,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(VectorGeometry{0, 1, 6},
                                                              VectorGeometry{1, 2, 3},
                                                              VectorGeometry{5, -1, 6},
                                                              VectorGeometry{4, -2, 3},
                                                              VectorGeometry{2, 3, 2},
                                                              VectorGeometry{3, 0, 2})));

TEST(VectorView, InterleavedPartViewsOfLength3) {
    float p[6] = {0, 1, 2, 3, 4, 5};
    vsip_cblock_f *cb = vsip_cblockbind_f(p, nullptr, 3, VSIP_MEM_NONE);
    vsip_cvview_f *v = vsip_cvbind_f(cb, 0, 1, 3);
    vsip_vview_f *re = vsip_vrealview_f(v), *im = vsip_vimagview_f(v);
    EXPECT_EQ(vsip_vget_f(re, 1), 2.0f);
    EXPECT_EQ(vsip_vget_f(im, 1), 3.0f);
    vsip_vdestroy_f(re);
    vsip_vdestroy_f(im);
    vsip_cvalldestroy_f(v);
}

TEST(VectorView, IntegerFamilyAddressingWithNegativeStride) {
    vsip_scalar_mi mi[5];
    for (int k = 0; k < 5; ++k)
        mi[k] = vsip_scalar_mi{vsip_index(k), vsip_index(10 + k)};
    vsip_block_mi *b = vsip_blockbind_mi(mi, 5, VSIP_MEM_NONE);
    vsip_vview_mi *v = vsip_vbind_mi(b, 4, -2, 3);
    EXPECT_EQ(vsip_vget_mi(v, 0).c, 14u);
    EXPECT_EQ(vsip_vget_mi(v, 2).r, 0u);
    vsip_vput_mi(v, 1, vsip_scalar_mi{7, 8});
    EXPECT_EQ(mi[2].r, 7u);
    EXPECT_EQ(mi[2].c, 8u);
    vsip_valldestroy_mi(v);

    vsip_vview_bl *bl = vsip_vcreate_bl(3, VSIP_MEM_NONE);
    vsip_vput_bl(bl, 2, -5); // stored and returned unchanged
    EXPECT_EQ(vsip_vget_bl(bl, 2), -5);
    vsip_valldestroy_bl(bl);

    vsip_vview_vi *vi = vsip_vcreate_vi(2, VSIP_MEM_NONE);
    vsip_vput_vi(vi, 1, UINT64_MAX);
    EXPECT_EQ(vsip_vget_vi(vi, 1), UINT64_MAX);
    vsip_valldestroy_vi(vi);
}

TEST(VectorView, SubviewCloneAndAttributes) {
    vsip_vview_i *v = vsip_vcreate_i(10, VSIP_MEM_NONE);
    ASSERT_NE(v, nullptr);
    for (vsip_index j = 0; j < 10; ++j)
        vsip_vput_i(v, j, vsip_scalar_i(j));
    vsip_vview_i *rev = vsip_vbind_i(vsip_vgetblock_i(v), 9, -1, 10);
    vsip_vview_i *sub = vsip_vsubview_i(rev, 2, 3); // elements 7, 6, 5
    EXPECT_EQ(vsip_vgetoffset_i(sub), 7u);
    EXPECT_EQ(vsip_vgetstride_i(sub), -1);
    EXPECT_EQ(vsip_vgetlength_i(sub), 3u);
    EXPECT_EQ(vsip_vget_i(sub, 2), 5);

    vsip_vview_i *clone = vsip_vcloneview_i(sub);
    vsip_vattr_i attr;
    vsip_vgetattrib_i(clone, &attr);
    EXPECT_EQ(attr.offset, 7u);
    EXPECT_EQ(attr.stride, -1);
    EXPECT_EQ(attr.length, 3u);
    EXPECT_EQ(attr.block, vsip_vgetblock_i(v));

    vsip_vview_i *other = vsip_vcreate_i(4, VSIP_MEM_NONE);
    attr = vsip_vattr_i{1, 3, 3, vsip_vgetblock_i(other)};
    EXPECT_EQ(vsip_vputattrib_i(clone, &attr), clone);
    EXPECT_EQ(vsip_vgetblock_i(clone), vsip_vgetblock_i(v)); // the block never changes
    EXPECT_EQ(vsip_vget_i(clone, 2), 7);
    EXPECT_EQ(vsip_vputoffset_i(vsip_vputstride_i(vsip_vputlength_i(clone, 1), 2), 0), clone);
    EXPECT_EQ(vsip_vget_i(clone, 0), 0);
    EXPECT_EQ(vsip_vgetlength_i(clone), 1u);

    EXPECT_EQ(vsip_vdestroy_i(nullptr), nullptr);
    EXPECT_EQ(vsip_vdestroy_i(clone), vsip_vgetblock_i(v));
    vsip_vdestroy_i(sub);
    vsip_vdestroy_i(rev);
    vsip_valldestroy_i(other);
    vsip_valldestroy_i(v);
}

TEST(MatrixView, CreateMajorsAddressTheSameBlockElement) {
    vsip_mview_f *rowm = vsip_mcreate_f(2, 3, VSIP_ROW, VSIP_MEM_NONE);
    EXPECT_EQ(vsip_mgetrowstride_f(rowm), 1);
    EXPECT_EQ(vsip_mgetcolstride_f(rowm), 3);
    vsip_mput_f(rowm, 1, 2, 42.0f);
    EXPECT_EQ(vsip_mgetblock_f(rowm)->data[5], 42.0f);

    vsip_mview_f *colm = vsip_mcreate_f(2, 3, VSIP_COL, VSIP_MEM_NONE);
    EXPECT_EQ(vsip_mgetcolstride_f(colm), 1);
    EXPECT_EQ(vsip_mgetrowstride_f(colm), 2);
    EXPECT_EQ(vsip_mgetcollength_f(colm), 2u);
    EXPECT_EQ(vsip_mgetrowlength_f(colm), 3u);
    vsip_mput_f(colm, 1, 2, 43.0f);
    EXPECT_EQ(vsip_mgetblock_f(colm)->data[5], 43.0f);
    vsip_malldestroy_f(rowm);
    vsip_malldestroy_f(colm);
}

namespace {

struct DiagCase {
    int d;
    vsip_offset offset;
    vsip_stride stride;
    vsip_length length;
};
void PrintTo(const DiagCase &c, std::ostream *os) { *os << "d=" << c.d; }
class Diagonal : public ::testing::TestWithParam<DiagCase> {};

} // namespace

TEST_P(Diagonal, GeometryOnA3x3RowMajorMatrix) {
    const DiagCase &c = GetParam();
    vsip_mview_f *m = vsip_mcreate_f(3, 3, VSIP_ROW, VSIP_MEM_NONE);
    vsip_vview_f *d = vsip_mdiagview_f(m, c.d);
    EXPECT_EQ(vsip_vgetoffset_f(d), c.offset);
    EXPECT_EQ(vsip_vgetstride_f(d), c.stride);
    EXPECT_EQ(vsip_vgetlength_f(d), c.length);
    vsip_vdestroy_f(d);
    vsip_malldestroy_f(m);
}

INSTANTIATE_TEST_SUITE_P(Indices, Diagonal,
                         ::testing::Values(DiagCase{0, 0, 4, 3}, DiagCase{1, 1, 4, 2},
                                           DiagCase{2, 2, 4, 1}, DiagCase{-1, 3, 4, 2},
                                           DiagCase{-2, 6, 4, 1}));

TEST(MatrixView, DerivedViewsOnInterleavedComplexWithNegativeStrides) {
    // 3 x 4 complex matrix over interleaved pairs; element (i, j) holds
    // (i, j) in (real, imaginary).  Viewed upside down: row 0 is row 2.
    std::vector<float> pairs(24);
    vsip_cblock_f *cb = vsip_cblockbind_f(pairs.data(), nullptr, 12, VSIP_MEM_NONE);
    vsip_cblockadmit_f(cb, VSIP_TRUE);
    vsip_cmview_f *m = vsip_cmbind_f(cb, 8, -4, 3, 1, 4);
    for (vsip_index i = 0; i < 3; ++i)
        for (vsip_index j = 0; j < 4; ++j)
            vsip_cmput_f(m, i, j, vsip_cscalar_f{float(i), float(j)});
    // Block element 8 + i * -4 + j holds row i.
    EXPECT_EQ(pairs[2 * 8], 0.0f);
    EXPECT_EQ(pairs[2 * 1 + 1], 1.0f);  // block element 1 is (2, 1)
    EXPECT_EQ(pairs[2 * 1], 2.0f);

    vsip_cvview_f *row = vsip_cmrowview_f(m, 1);
    vsip_cvview_f *col = vsip_cmcolview_f(m, 3);
    vsip_cmview_f *t = vsip_cmtransview_f(m);
    vsip_cmview_f *sub = vsip_cmsubview_f(m, 1, 1, 2, 2);
    vsip_mview_f *im = vsip_mimagview_f(m);
    vsip_mview_f *re = vsip_mrealview_f(m);
    vsip_cvview_f *diag = vsip_cmdiagview_f(m, -1);
    ASSERT_TRUE(row && col && t && sub && im && re && diag);
    EXPECT_EQ(vsip_cvget_f(row, 2).i, 2.0f);
    EXPECT_EQ(vsip_cvget_f(row, 2).r, 1.0f);
    EXPECT_EQ(vsip_cvget_f(col, 2).r, 2.0f);
    EXPECT_EQ(vsip_cvget_f(col, 2).i, 3.0f);
    EXPECT_EQ(vsip_cmget_f(t, 3, 1).r, 1.0f);
    EXPECT_EQ(vsip_cmget_f(t, 3, 1).i, 3.0f);
    EXPECT_EQ(vsip_cmget_f(sub, 1, 0).r, 2.0f);
    EXPECT_EQ(vsip_cmget_f(sub, 1, 0).i, 1.0f);
    EXPECT_EQ(vsip_mget_f(im, 2, 3), 3.0f);
    EXPECT_EQ(vsip_mget_f(re, 2, 3), 2.0f);
    EXPECT_EQ(vsip_cvgetlength_f(diag), 2u); // (1, 0), (2, 1)
    EXPECT_EQ(vsip_cvget_f(diag, 1).r, 2.0f);
    EXPECT_EQ(vsip_cvget_f(diag, 1).i, 1.0f);

    vsip_cmattr_f a;
    vsip_cmgetattrib_f(t, &a);
    EXPECT_EQ(a.offset, 8u);
    EXPECT_EQ(a.row_stride, -4);
    EXPECT_EQ(a.row_length, 3u);
    EXPECT_EQ(a.col_stride, 1);
    EXPECT_EQ(a.col_length, 4u);
    EXPECT_EQ(a.block, cb);

    vsip_cmview_f *tt = vsip_cmtransview_f(t); // twice: the original geometry
    vsip_cmattr_f back, orig;
    vsip_cmgetattrib_f(tt, &back);
    vsip_cmgetattrib_f(m, &orig);
    EXPECT_EQ(std::tie(back.offset, back.row_stride, back.row_length, back.col_stride, back.col_length),
              std::tie(orig.offset, orig.row_stride, orig.row_length, orig.col_stride, orig.col_length));

    vsip_cvdestroy_f(row);
    vsip_cvdestroy_f(col);
    vsip_cvdestroy_f(diag);
    vsip_cmdestroy_f(t);
    vsip_cmdestroy_f(tt);
    vsip_cmdestroy_f(sub);
    vsip_malldestroy_f(im); // part blocks survive
    vsip_malldestroy_f(re);
    vsip_cmalldestroy_f(m);
}

TEST(MatrixView, FieldPuttersAndAttributesOfRealMatrices) {
    vsip_mview_f *m = vsip_mcreate_f(4, 4, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *c = vsip_mcloneview_f(m);
    EXPECT_EQ(vsip_mputoffset_f(c, 5), c);
    EXPECT_EQ(vsip_mputrowstride_f(c, 4), c);
    EXPECT_EQ(vsip_mputcolstride_f(c, 1), c);
    EXPECT_EQ(vsip_mputrowlength_f(c, 2), c);
    EXPECT_EQ(vsip_mputcollength_f(c, 3), c);
    vsip_mput_f(c, 2, 1, 9.0f); // block element 5 + 2 + 4 = 11
    EXPECT_EQ(vsip_mget_f(m, 2, 3), 9.0f);
    vsip_mattr_f a{0, 1, 4, 4, 4, nullptr};
    EXPECT_EQ(vsip_mputattrib_f(c, &a), c);
    EXPECT_EQ(vsip_mgetblock_f(c), vsip_mgetblock_f(m));
    EXPECT_EQ(vsip_mgetoffset_f(c), 0u);
    EXPECT_EQ(vsip_mgetcollength_f(c), 4u);
    EXPECT_EQ(vsip_mdestroy_f(c), vsip_mgetblock_f(m));
    EXPECT_EQ(vsip_mdestroy_f(nullptr), nullptr);
    EXPECT_EQ(vsip_cmdestroy_f(nullptr), nullptr);
    vsip_malldestroy_f(m);
}

TEST(MatrixView, IntegerBooleanAndDoubleMatrices) {
    vsip_scalar_i data[6] = {1, 2, 3, 4, 5, 6};
    vsip_block_i *b = vsip_blockbind_i(data, 6, VSIP_MEM_NONE);
    vsip_mview_i *m = vsip_mbind_i(b, 5, -1, 2, -2, 3); // walks the array backwards
    EXPECT_EQ(vsip_mget_i(m, 0, 0), 6);
    EXPECT_EQ(vsip_mget_i(m, 1, 2), 1);
    EXPECT_EQ(vsip_mgetrowlength_i(m), 3u);
    EXPECT_EQ(vsip_mgetcollength_i(m), 2u);
    vsip_malldestroy_i(m);

    vsip_mview_i *mc = vsip_mcreate_i(2, 3, VSIP_COL, VSIP_MEM_NONE);
    ASSERT_NE(mc, nullptr);
    vsip_block_i *mcb = vsip_mdestroy_i(mc);
    ASSERT_NE(mcb, nullptr);
    EXPECT_EQ(mcb->length, 6u);
    vsip_blockdestroy_i(mcb);

    vsip_mview_bl *mb = vsip_mcreate_bl(3, 2, VSIP_ROW, VSIP_MEM_NONE);
    ASSERT_NE(mb, nullptr);
    EXPECT_EQ(mb->col_stride, 2);
    vsip_block_bl *bb = vsip_mdestroy_bl(mb);
    vsip_mview_bl *mb2 = vsip_mbind_bl(bb, 0, 1, 3, 3, 2);
    EXPECT_EQ(mb2->row_stride, 3);
    vsip_malldestroy_bl(mb2);

    // Double matrices have no creator of their own; build the records.
    double dd[4] = {1.5, 2.5, 3.5, 4.5};
    vsip_block_d block{nullptr, dd, 1, 1, 1, 4, 0x5555, 0, 0};
    vsip_mview_d md{&block, 0, 2, 2, 1, 2, 0x5555}; // column-major 2 x 2
    EXPECT_EQ(vsip_mget_d(&md, 0, 1), 3.5);
    EXPECT_EQ(vsip_mget_d(&md, 1, 0), 2.5);
    EXPECT_EQ(vsip_mgetrowlength_d(&md), 2u);
    EXPECT_EQ(vsip_mgetcollength_d(&md), 2u);
}

TEST(MatrixView, ElementCountOverflowIsAnAllocationFailure) {
    vsiptest::FailingAllocator counting(0);
    EXPECT_EQ(vsip_mcreate_f(uint64_t(1) << 33, uint64_t(1) << 31, VSIP_ROW, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(vsip_cmcreate_f(uint64_t(1) << 40, uint64_t(1) << 40, VSIP_COL, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(vsip_mcreate_i(UINT64_MAX, 2, VSIP_ROW, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(counting.live(), 0u);
}

// ---- Allocation failures: every create, bind and derived view ---------------

namespace {

struct Maker {
    const char *name;
    std::function<void *()> make;
    std::function<void(void *)> destroy;
};

// Fixtures that live across the failing attempts: the allocations they made
// happened before the failing allocator was installed.
struct Shared {
    vsip_cvview_f *cv = vsip_cvcreate_f(8, VSIP_MEM_NONE);
    vsip_cmview_f *cm = vsip_cmcreate_f(3, 3, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *m = vsip_mcreate_f(3, 3, VSIP_ROW, VSIP_MEM_NONE);
    vsip_vview_f *v = vsip_vcreate_f(8, VSIP_MEM_NONE);
    ~Shared() {
        vsip_cvalldestroy_f(cv);
        vsip_cmalldestroy_f(cm);
        vsip_malldestroy_f(m);
        vsip_valldestroy_f(v);
    }
};
Shared &shared() {
    static Shared s;
    return s;
}

template <class V>
std::function<void(void *)> destroy_with(void (*f)(V *)) {
    return [f](void *p) { f(static_cast<V *>(p)); };
}
template <class V, class B>
std::function<void(void *)> destroy_with(B *(*f)(V *)) {
    return [f](void *p) { f(static_cast<V *>(p)); };
}

std::vector<Maker> view_makers() {
    return {
        {"vcreate_f", [] { return (void *)vsip_vcreate_f(5, VSIP_MEM_NONE); }, destroy_with(vsip_valldestroy_f)},
        {"vcreate_i", [] { return (void *)vsip_vcreate_i(5, VSIP_MEM_NONE); }, destroy_with(vsip_valldestroy_i)},
        {"vcreate_bl", [] { return (void *)vsip_vcreate_bl(5, VSIP_MEM_NONE); }, destroy_with(vsip_valldestroy_bl)},
        {"vcreate_vi", [] { return (void *)vsip_vcreate_vi(5, VSIP_MEM_NONE); }, destroy_with(vsip_valldestroy_vi)},
        {"vcreate_mi", [] { return (void *)vsip_vcreate_mi(5, VSIP_MEM_NONE); }, destroy_with(vsip_valldestroy_mi)},
        {"cvcreate_f", [] { return (void *)vsip_cvcreate_f(5, VSIP_MEM_NONE); }, destroy_with(vsip_cvalldestroy_f)},
        {"mcreate_f", [] { return (void *)vsip_mcreate_f(2, 3, VSIP_COL, VSIP_MEM_NONE); }, destroy_with(vsip_malldestroy_f)},
        {"cmcreate_f", [] { return (void *)vsip_cmcreate_f(2, 3, VSIP_ROW, VSIP_MEM_NONE); }, destroy_with(vsip_cmalldestroy_f)},
        {"mcreate_i", [] { return (void *)vsip_mcreate_i(2, 3, VSIP_ROW, VSIP_MEM_NONE); }, destroy_with(vsip_malldestroy_i)},
        {"mcreate_bl", [] { return (void *)vsip_mcreate_bl(2, 3, VSIP_ROW, VSIP_MEM_NONE); }, destroy_with(vsip_malldestroy_bl)},
        {"vbind_f", [] { return (void *)vsip_vbind_f(vsip_vgetblock_f(shared().v), 0, 1, 8); }, destroy_with(vsip_vdestroy_f)},
        {"vcloneview_f", [] { return (void *)vsip_vcloneview_f(shared().v); }, destroy_with(vsip_vdestroy_f)},
        {"vsubview_f", [] { return (void *)vsip_vsubview_f(shared().v, 1, 3); }, destroy_with(vsip_vdestroy_f)},
        {"cvsubview_f", [] { return (void *)vsip_cvsubview_f(shared().cv, 1, 3); }, destroy_with(vsip_cvdestroy_f)},
        {"vrealview_f", [] { return (void *)vsip_vrealview_f(shared().cv); }, destroy_with(vsip_vdestroy_f)},
        {"vimagview_f", [] { return (void *)vsip_vimagview_f(shared().cv); }, destroy_with(vsip_vdestroy_f)},
        {"mrowview_f", [] { return (void *)vsip_mrowview_f(shared().m, 1); }, destroy_with(vsip_vdestroy_f)},
        {"mcolview_f", [] { return (void *)vsip_mcolview_f(shared().m, 1); }, destroy_with(vsip_vdestroy_f)},
        {"mdiagview_f", [] { return (void *)vsip_mdiagview_f(shared().m, 1); }, destroy_with(vsip_vdestroy_f)},
        {"mtransview_f", [] { return (void *)vsip_mtransview_f(shared().m); }, destroy_with(vsip_mdestroy_f)},
        {"msubview_f", [] { return (void *)vsip_msubview_f(shared().m, 1, 1, 2, 2); }, destroy_with(vsip_mdestroy_f)},
        {"mcloneview_f", [] { return (void *)vsip_mcloneview_f(shared().m); }, destroy_with(vsip_mdestroy_f)},
        {"cmrowview_f", [] { return (void *)vsip_cmrowview_f(shared().cm, 1); }, destroy_with(vsip_cvdestroy_f)},
        {"cmdiagview_f", [] { return (void *)vsip_cmdiagview_f(shared().cm, -1); }, destroy_with(vsip_cvdestroy_f)},
        {"cmtransview_f", [] { return (void *)vsip_cmtransview_f(shared().cm); }, destroy_with(vsip_cmdestroy_f)},
        {"mrealview_f", [] { return (void *)vsip_mrealview_f(shared().cm); }, destroy_with(vsip_mdestroy_f)},
        {"mimagview_f", [] { return (void *)vsip_mimagview_f(shared().cm); }, destroy_with(vsip_mdestroy_f)},
    };
}

void PrintTo(const Maker &m, std::ostream *os) { *os << m.name; }

class ViewAllocationFailure : public ::testing::TestWithParam<Maker> {};

} // namespace

TEST_P(ViewAllocationFailure, NullWithNothingLeakedForEveryFailingCall) {
    shared(); // fixtures first, outside the failing allocator
    std::string problem;
    long needed = vsiptest::for_every_failing_allocation<void>(GetParam().make, GetParam().destroy,
                                                                &problem);
    EXPECT_EQ(problem, "");
    EXPECT_GE(needed, 1);
}

INSTANTIATE_TEST_SUITE_P(Makers, ViewAllocationFailure, ::testing::ValuesIn(view_makers()),
                         [](const auto &info) { return std::string(info.param.name); });

// Views that would address an element outside their block are refused at
// bind and at every derived-view call; views that just fit, and empty ones,
// are made.  Block: 12 floats, viewed as a 3 x 4 row-major matrix.
struct ExtentCase {
    const char *name;
    bool made;
    void *(*make)(vsip_vview_f *v, vsip_mview_f *m);
};

TEST(ViewExtent, BindsAndDerivedViewsStayInsideTheBlock) {
    static const ExtentCase cases[] = {
        {"vbind whole", true, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 0, 1, 12); }},
        {"vbind one past", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 1, 1, 12); }},
        {"vbind stride past", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 0, 3, 5); }},
        {"vbind negative stride fits", true, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 11, -1, 12); }},
        {"vbind negative stride below", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 10, -1, 12); }},
        {"vbind empty anywhere", true, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 1000, 7, 0); }},
        {"vbind huge length", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 0, 1, UINT64_MAX); }},
        {"vbind stride wraps", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vbind_f(vsip_vgetblock_f(v), 0, INT64_MAX, 3); }},
        {"vsubview tail", true, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vsubview_f(v, 8, 4); }},
        {"vsubview past", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_vsubview_f(v, 9, 4); }},
        {"mrowview last", true, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_mrowview_f(m, 2); }},
        {"mrowview of row 5", false, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_mrowview_f(m, 5); }},
        {"mcolview of column 4", false, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_mcolview_f(m, 4); }},
        {"mdiagview beyond", false, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_mdiagview_f(m, 5); }},
        {"mdiagview below", true, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_mdiagview_f(m, -2); }},
        {"msubview corner", true, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_msubview_f(m, 1, 2, 2, 2); }},
        {"msubview past", false, [](vsip_vview_f *, vsip_mview_f *m) -> void * {
             return vsip_msubview_f(m, 1, 2, 3, 2); }},
        {"mbind column-major past", false, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_mbind_f(vsip_vgetblock_f(v), 0, 1, 5, 4, 3); }},
        {"mbind negative strides fit", true, [](vsip_vview_f *v, vsip_mview_f *) -> void * {
             return vsip_mbind_f(vsip_vgetblock_f(v), 11, -4, 3, -1, 4); }},
    };
    vsip_vview_f *v = vsip_vcreate_f(12, VSIP_MEM_NONE);
    ASSERT_NE(v, nullptr);
    vsip_mview_f *m = vsip_mbind_f(vsip_vgetblock_f(v), 0, 4, 3, 1, 4);
    ASSERT_NE(m, nullptr);
    for (const ExtentCase &c : cases) {
        void *made = c.make(v, m);
        EXPECT_EQ(made != nullptr, c.made) << c.name;
        VI_free(made); // every view record is one allocation
    }
    vsip_mdestroy_f(m);
    vsip_valldestroy_f(v);
}
