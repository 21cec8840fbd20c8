// Blocks: the admit/release/find/rebind state table, complex storage
// layouts, destroy rules and allocation failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support.hpp"

namespace {

// Uniform access to one block family for the state-table test: pointers
// are reported as the pair (first, second); real and integer blocks leave
// second null.
struct Pointers {
    void *first = nullptr;
    void *second = nullptr;
    bool operator==(const Pointers &o) const { return first == o.first && second == o.second; }
};

template <class Block, class T,
          Block *(*Create)(vsip_length, vsip_memory_hint),
          Block *(*Bind)(T *, vsip_length, vsip_memory_hint),
          int (*Admit)(Block *, vsip_scalar_bl), T *(*Release)(Block *, vsip_scalar_bl),
          T *(*Find)(const Block *), T *(*Rebind)(Block *, T *), void (*Destroy)(Block *)>
struct RealFamily {
    using block_type = Block;
    std::vector<T> storage = std::vector<T>(8), other = std::vector<T>(8);
    Pointers data() { return {storage.data(), nullptr}; }
    Pointers other_data() { return {other.data(), nullptr}; }
    Block *create() { return Create(8, VSIP_MEM_NONE); }
    Block *bind() { return Bind(storage.data(), 8, VSIP_MEM_NONE); }
    int admit(Block *b) { return Admit(b, VSIP_TRUE); }
    Pointers release(Block *b) { return {Release(b, VSIP_TRUE), nullptr}; }
    Pointers find(Block *b) { return {Find(b), nullptr}; }
    Pointers rebind(Block *b) { return {Rebind(b, other.data()), nullptr}; }
    Pointers current(Block *b) { return {b->data, nullptr}; }
    void destroy(Block *b) { Destroy(b); }
};

#define REAL_FAMILY(S)                                                                   \
    RealFamily<vsip_block_##S, vsip_scalar_##S, vsip_blockcreate_##S, vsip_blockbind_##S, \
               vsip_blockadmit_##S, vsip_blockrelease_##S, vsip_blockfind_##S,           \
               vsip_blockrebind_##S, vsip_blockdestroy_##S>
using FloatFamily = REAL_FAMILY(f);
using IntFamily = REAL_FAMILY(i);
using BoolFamily = REAL_FAMILY(bl);
using IndexFamily = REAL_FAMILY(vi);
using MatIndexFamily = REAL_FAMILY(mi);

template <bool Interleaved>
struct ComplexFamily {
    using block_type = vsip_cblock_f;
    std::vector<float> re = std::vector<float>(16), im = std::vector<float>(8);
    std::vector<float> re2 = std::vector<float>(16), im2 = std::vector<float>(8);
    Pointers data() { return {re.data(), Interleaved ? nullptr : im.data()}; }
    Pointers other_data() { return {re2.data(), Interleaved ? nullptr : im2.data()}; }
    vsip_cblock_f *create() { return vsip_cblockcreate_f(8, VSIP_MEM_NONE); }
    vsip_cblock_f *bind() {
        return vsip_cblockbind_f(re.data(), Interleaved ? nullptr : im.data(), 8, VSIP_MEM_NONE);
    }
    int admit(vsip_cblock_f *b) { return vsip_cblockadmit_f(b, VSIP_TRUE); }
    Pointers release(vsip_cblock_f *b) {
        float *d1 = &re[0], *d2 = &re[0]; // poisoned: must be overwritten
        vsip_cblockrelease_f(b, VSIP_TRUE, &d1, &d2);
        return {d1, d2};
    }
    Pointers find(vsip_cblock_f *b) {
        float *d1 = &re[0], *d2 = &re[0];
        vsip_cblockfind_f(b, &d1, &d2);
        return {d1, d2};
    }
    Pointers rebind(vsip_cblock_f *b) {
        float *d1 = &re[0], *d2 = &re[0];
        vsip_cblockrebind_f(b, re2.data(), Interleaved ? nullptr : im2.data(), &d1, &d2);
        return {d1, d2};
    }
    Pointers current(vsip_cblock_f *b) {
        return {b->real_part->data, b->part_stride == 1 ? b->imag_part->data : nullptr};
    }
    void destroy(vsip_cblock_f *b) { vsip_cblockdestroy_f(b); }
};

enum class State { Library, UserReleased, UserAdmitted };
enum class Op { Admit, Release, Find, Rebind };
enum class Yields { Zero, One, Null, Data, OldData };

struct Transition {
    State from;
    Op op;
    Yields result;
    State to;
    bool data_swapped;
};

const Transition kStateTable[] = {
    {State::Library, Op::Admit, Yields::One, State::Library, false},
    {State::Library, Op::Release, Yields::Null, State::Library, false},
    {State::Library, Op::Find, Yields::Null, State::Library, false},
    {State::Library, Op::Rebind, Yields::Null, State::Library, false},
    {State::UserReleased, Op::Admit, Yields::Zero, State::UserAdmitted, false},
    {State::UserReleased, Op::Release, Yields::Data, State::UserReleased, false},
    {State::UserReleased, Op::Find, Yields::Data, State::UserReleased, false},
    {State::UserReleased, Op::Rebind, Yields::OldData, State::UserReleased, true},
    {State::UserAdmitted, Op::Admit, Yields::Zero, State::UserAdmitted, false},
    {State::UserAdmitted, Op::Release, Yields::Data, State::UserReleased, false},
    {State::UserAdmitted, Op::Find, Yields::Null, State::UserAdmitted, false},
    {State::UserAdmitted, Op::Rebind, Yields::Null, State::UserAdmitted, false},
};

template <class Family>
class BlockStateTable : public ::testing::Test {};

using Families = ::testing::Types<FloatFamily, IntFamily, BoolFamily, IndexFamily,
                                  MatIndexFamily, ComplexFamily<false>, ComplexFamily<true>>;
struct FamilyNames {
    template <class T>
    static std::string GetName(int i) {
        static const char *const names[] = {"f", "i", "bl", "vi", "mi", "complex_split",
                                            "complex_interleaved"};
        return names[i];
    }
};
TYPED_TEST_SUITE(BlockStateTable, Families, FamilyNames);

template <class Block>
State state_of(const Block *b) {
    if (b->kind == VI_STORAGE_LIBRARY)
        return State::Library;
    return b->admitted ? State::UserAdmitted : State::UserReleased;
}

} // namespace

TYPED_TEST(BlockStateTable, EveryTransition) {
    for (const Transition &t : kStateTable) {
        SCOPED_TRACE(::testing::Message() << "from state " << int(t.from) << ", op " << int(t.op));
        TypeParam family;
        auto *b = t.from == State::Library ? family.create() : family.bind();
        ASSERT_NE(b, nullptr);
        if (t.from == State::UserAdmitted) {
            ASSERT_EQ(family.admit(b), 0);
        }
        ASSERT_EQ(state_of(b), t.from);
        Pointers before = family.current(b);

        switch (t.op) {
        case Op::Admit:
            EXPECT_EQ(family.admit(b), t.result == Yields::Zero ? 0 : 1);
            break;
        default: {
            Pointers got = t.op == Op::Release ? family.release(b)
                           : t.op == Op::Find  ? family.find(b)
                                               : family.rebind(b);
            Pointers want = t.result == Yields::Null ? Pointers{} : before;
            EXPECT_TRUE(got == want) << "got " << got.first << "," << got.second;
            break;
        }
        }
        EXPECT_EQ(state_of(b), t.to);
        EXPECT_TRUE(family.current(b) == (t.data_swapped ? family.other_data() : before));
        family.destroy(b);
    }
}

TYPED_TEST(BlockStateTable, AdmitReleaseCycleRepeats) {
    TypeParam family;
    auto *b = family.bind();
    ASSERT_NE(b, nullptr);
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(family.find(b) == family.data());
        EXPECT_EQ(family.admit(b), 0);
        EXPECT_TRUE(family.find(b) == Pointers{});
        EXPECT_TRUE(family.release(b) == family.data());
    }
    family.destroy(b);
}

TEST(Block, RecordFieldsOfCreateAndBind) {
    vsip_block_f *b = vsip_blockcreate_f(5, VSIP_MEM_CONST);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->parent, nullptr);
    EXPECT_EQ(b->kind, 0);
    EXPECT_EQ(b->admitted, 1);
    EXPECT_EQ(b->elem_stride, 1);
    EXPECT_EQ(b->length, 5u);
    EXPECT_EQ(b->marker, 0x5555);
    EXPECT_EQ(b->hint, VSIP_MEM_CONST);
    vsip_blockdestroy_f(b);

    vsip_scalar_i data[3];
    vsip_block_i *bi = vsip_blockbind_i(data, 3, VSIP_MEM_SHARED);
    ASSERT_NE(bi, nullptr);
    EXPECT_EQ(bi->data, data);
    EXPECT_EQ(bi->kind, 1);
    EXPECT_EQ(bi->admitted, 0);
    EXPECT_EQ(bi->length, 3u);
    EXPECT_EQ(bi->hint, VSIP_MEM_SHARED);
    EXPECT_EQ(vsip_blockrelease_i(bi, VSIP_FALSE), data);
    EXPECT_EQ(bi->update, VSIP_FALSE);
    EXPECT_EQ(vsip_blockrelease_i(bi, VSIP_TRUE), data);
    EXPECT_EQ(bi->update, VSIP_TRUE);
    vsip_blockdestroy_i(bi);
}

TEST(Block, AdmitOfANullBindFails) {
    vsip_block_f *b = vsip_blockbind_f(nullptr, 4, VSIP_MEM_NONE);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(vsip_blockadmit_f(b, VSIP_TRUE), 1);
    EXPECT_EQ(b->admitted, 0);
    vsip_blockdestroy_f(b);
}

TEST(Block, NullArgumentsOfEveryStateOperation) {
    float x;
    EXPECT_EQ(vsip_blockrelease_f(nullptr, VSIP_TRUE), nullptr);
    EXPECT_EQ(vsip_blockrebind_f(nullptr, &x), nullptr);
    EXPECT_EQ(vsip_blockadmit_f(nullptr, VSIP_TRUE), 1);
    EXPECT_EQ(vsip_blockadmit_mi(nullptr, VSIP_TRUE), 1);
    EXPECT_EQ(vsip_blockfind_f(nullptr), nullptr);
    EXPECT_EQ(vsip_blockfind_vi(nullptr), nullptr);
    EXPECT_EQ(vsip_cblockadmit_f(nullptr, VSIP_TRUE), 1);
    vsip_blockdestroy_f(nullptr);
    vsip_blockdestroy_mi(nullptr);
    vsip_cblockdestroy_f(nullptr);
    float *d1 = &x, *d2 = &x;
    vsip_cblockrelease_f(nullptr, VSIP_TRUE, &d1, &d2);
    EXPECT_EQ(d1, nullptr);
    EXPECT_EQ(d2, nullptr);
    d1 = d2 = &x;
    vsip_cblockrebind_f(nullptr, &x, &x, &d1, &d2);
    EXPECT_EQ(d1, nullptr);
    EXPECT_EQ(d2, nullptr);
    d1 = d2 = &x;
    vsip_cblockfind_f(nullptr, &d1, &d2);
    EXPECT_EQ(d1, nullptr);
    EXPECT_EQ(d2, nullptr);
}

TEST(Block, ZeroLengthCreateSucceeds) {
    vsip_block_f *b = vsip_blockcreate_f(0, VSIP_MEM_NONE);
    ASSERT_NE(b, nullptr); // glibc returns a pointer for zero bytes
    EXPECT_EQ(b->length, 0u);
    vsip_blockdestroy_f(b);
}

TEST(Block, ByteCountOverflowIsAnAllocationFailure) {
    vsiptest::FailingAllocator counting(0);
    EXPECT_EQ(vsip_blockcreate_f(UINT64_MAX / 2, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(vsip_blockcreate_mi(UINT64_MAX / 8, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(vsip_blockcreate_vi(UINT64_MAX / 4 + 1, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(vsip_cblockcreate_f(UINT64_MAX / 2, VSIP_MEM_NONE), nullptr);
    EXPECT_EQ(counting.live(), 0u);
}

TEST(ComplexBlock, LibraryStorageIsSplitWithOwnedParts) {
    EXPECT_EQ(vsip_cstorage(), VSIP_CMPLX_SPLIT);
    vsip_cblock_f *cb = vsip_cblockcreate_f(4, VSIP_MEM_RDONLY);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->kind, 0);
    EXPECT_EQ(cb->admitted, 1);
    EXPECT_EQ(cb->part_stride, 1);
    EXPECT_EQ(cb->length, 4u);
    EXPECT_EQ(cb->marker, 0x5555);
    for (vsip_block_f *part : {cb->real_part, cb->imag_part}) {
        EXPECT_EQ(part->kind, 2);
        EXPECT_EQ(part->parent, cb);
        EXPECT_EQ(part->elem_stride, 1);
        EXPECT_EQ(part->length, 4u);
    }
    // One array: the imaginary parts start at the length rounded up to 16.
    EXPECT_EQ(cb->imag_part->data, cb->real_part->data + 16);
    vsip_cblockdestroy_f(cb);
}

TEST(ComplexBlock, PartsRefuseTheirOwnOperations) {
    vsip_cblock_f *cb = vsip_cblockcreate_f(4, VSIP_MEM_NONE);
    ASSERT_NE(cb, nullptr);
    vsip_block_f *re = cb->real_part;
    vsip_blockdestroy_f(re); // a part survives: the complex block owns it
    EXPECT_EQ(re->marker, 0x5555);
    EXPECT_EQ(vsip_blockadmit_f(re, VSIP_TRUE), 1);
    EXPECT_EQ(vsip_blockrelease_f(re, VSIP_TRUE), nullptr);
    EXPECT_EQ(vsip_blockfind_f(re), nullptr);
    re->data[3] = 7.0f; // still usable
    vsip_cblockdestroy_f(cb);
}

// Rebinding one part would move half of each complex element: refused for
// both parts of split and interleaved user blocks, admitted or released.
TEST(ComplexBlock, PartsRefuseRebind) {
    for (bool split : {false, true})
        for (bool admitted : {true, false})
            for (bool real : {true, false}) {
                SCOPED_TRACE(testing::Message() << (split ? "split " : "interleaved ")
                                                << (admitted ? "admitted " : "released ")
                                                << (real ? "real part" : "imaginary part"));
                float pairs[4] = {10, 20, 30, 40}, re[2] = {10, 30}, im[2] = {20, 40};
                float other[4] = {-1, -2, -3, -4};
                vsip_cblock_f *cb = split ? vsip_cblockbind_f(re, im, 2, VSIP_MEM_NONE)
                                          : vsip_cblockbind_f(pairs, nullptr, 2, VSIP_MEM_NONE);
                ASSERT_NE(cb, nullptr);
                if (admitted) {
                    ASSERT_EQ(vsip_cblockadmit_f(cb, VSIP_TRUE), 0);
                }
                vsip_block_f *part = real ? cb->real_part : cb->imag_part;
                float *before = part->data;
                EXPECT_EQ(vsip_blockrebind_f(part, other), nullptr);
                EXPECT_EQ(part->data, before);
                if (!admitted) {
                    ASSERT_EQ(vsip_cblockadmit_f(cb, VSIP_TRUE), 0);
                }
                vsip_cvview_f *v = vsip_cvbind_f(cb, 0, 1, 2);
                ASSERT_NE(v, nullptr);
                const vsip_cscalar_f z = vsip_cvget_f(v, 1);
                EXPECT_EQ(z.r, 30.0f);
                EXPECT_EQ(z.i, 40.0f);
                vsip_cvdestroy_f(v);
                vsip_cblockdestroy_f(cb);
            }
}

TEST(ComplexBlock, InterleavedBindLayout) {
    float p[8] = {};
    vsip_cblock_f *cb = vsip_cblockbind_f(p, nullptr, 4, VSIP_MEM_NONE);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->kind, 1);
    EXPECT_EQ(cb->admitted, 0);
    EXPECT_EQ(cb->part_stride, 2);
    EXPECT_EQ(cb->real_part->data, p);
    EXPECT_EQ(cb->imag_part->data, p + 1);
    EXPECT_EQ(cb->real_part->elem_stride, 2);
    EXPECT_EQ(cb->imag_part->elem_stride, 2);
    EXPECT_EQ(cb->imag_part->kind, 2);
    EXPECT_EQ(cb->imag_part->parent, cb);
    EXPECT_NE(cb->real_part, cb->imag_part);
    float *d1 = nullptr, *d2 = p;
    vsip_cblockfind_f(cb, &d1, &d2);
    EXPECT_EQ(d1, p);
    EXPECT_EQ(d2, nullptr);
    vsip_cblockdestroy_f(cb); // user memory untouched; both records freed
}

TEST(ComplexBlock, RebindSwitchesBetweenSplitAndInterleaved) {
    float re[4], im[4], pairs[8];
    vsip_cblock_f *cb = vsip_cblockbind_f(re, im, 4, VSIP_MEM_NONE);
    ASSERT_NE(cb, nullptr);
    float *old1 = nullptr, *old2 = nullptr;
    vsip_cblockrebind_f(cb, pairs, nullptr, &old1, &old2);
    EXPECT_EQ(old1, re);
    EXPECT_EQ(old2, im);
    EXPECT_EQ(cb->part_stride, 2);
    EXPECT_EQ(cb->real_part->elem_stride, 2);
    EXPECT_EQ(cb->imag_part->elem_stride, 2);
    EXPECT_EQ(cb->real_part->data, pairs);
    EXPECT_EQ(cb->imag_part->data, pairs + 1);

    vsip_cblockrebind_f(cb, re, im, &old1, &old2);
    EXPECT_EQ(old1, pairs);
    EXPECT_EQ(old2, nullptr);
    EXPECT_EQ(cb->part_stride, 1);
    EXPECT_EQ(cb->real_part->elem_stride, 1);
    EXPECT_EQ(cb->imag_part->data, im);
    vsip_cblockdestroy_f(cb);
}

TEST(ComplexBlock, ReleaseClearsThePartsAndStoresUpdate) {
    float re[2], im[2];
    vsip_cblock_f *cb = vsip_cblockbind_f(re, im, 2, VSIP_MEM_NONE);
    ASSERT_NE(cb, nullptr);
    ASSERT_EQ(vsip_cblockadmit_f(cb, VSIP_TRUE), 0);
    EXPECT_EQ(cb->real_part->admitted, 0); // admit changes only the complex record
    float *d1 = nullptr, *d2 = nullptr;
    vsip_cblockrelease_f(cb, VSIP_FALSE, &d1, &d2);
    EXPECT_EQ(cb->update, VSIP_FALSE);
    EXPECT_EQ(cb->admitted, 0);
    EXPECT_EQ(d1, re);
    EXPECT_EQ(d2, im);
    vsip_cblockdestroy_f(cb);

    vsip_cblock_f *lib = vsip_cblockcreate_f(2, VSIP_MEM_NONE);
    ASSERT_NE(lib, nullptr);
    vsip_cblockrelease_f(lib, VSIP_FALSE, &d1, &d2);
    EXPECT_EQ(lib->update, VSIP_FALSE); // stored before the kind check
    EXPECT_EQ(lib->admitted, 1);
    EXPECT_EQ(d1, nullptr);
    EXPECT_EQ(d2, nullptr);
    vsip_cblockdestroy_f(lib);
}

TEST(ComplexBlock, AdmitOfANullInterleavedBindFails) {
    vsip_cblock_f *cb = vsip_cblockbind_f(nullptr, nullptr, 3, VSIP_MEM_NONE);
    ASSERT_NE(cb, nullptr);
    EXPECT_EQ(cb->imag_part->data, nullptr);
    EXPECT_EQ(vsip_cblockadmit_f(cb, VSIP_TRUE), 1);
    vsip_cblockdestroy_f(cb);
}

// ---- Allocation failures: every create and bind ----------------------------

namespace {

struct Creator {
    const char *name;
    std::function<void *()> make;
    std::function<void(void *)> destroy;
    long allocations;
};

float g_floats[16];
vsip_scalar_mi g_indices[4];

std::vector<Creator> block_creators() {
    return {
        {"blockcreate_f", [] { return (void *)vsip_blockcreate_f(4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_f((vsip_block_f *)b); }, 2},
        {"blockcreate_i", [] { return (void *)vsip_blockcreate_i(4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_i((vsip_block_i *)b); }, 2},
        {"blockcreate_bl", [] { return (void *)vsip_blockcreate_bl(4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_bl((vsip_block_bl *)b); }, 2},
        {"blockcreate_vi", [] { return (void *)vsip_blockcreate_vi(4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_vi((vsip_block_vi *)b); }, 2},
        {"blockcreate_mi", [] { return (void *)vsip_blockcreate_mi(4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_mi((vsip_block_mi *)b); }, 2},
        {"blockbind_f", [] { return (void *)vsip_blockbind_f(g_floats, 4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_f((vsip_block_f *)b); }, 1},
        {"blockbind_mi", [] { return (void *)vsip_blockbind_mi(g_indices, 4, VSIP_MEM_NONE); },
         [](void *b) { vsip_blockdestroy_mi((vsip_block_mi *)b); }, 1},
        {"cblockcreate_f", [] { return (void *)vsip_cblockcreate_f(4, VSIP_MEM_NONE); },
         // record, two part records, one array of both parts
         [](void *b) { vsip_cblockdestroy_f((vsip_cblock_f *)b); }, 4},
        {"cblockbind_f split",
         [] { return (void *)vsip_cblockbind_f(g_floats, g_floats + 8, 4, VSIP_MEM_NONE); },
         [](void *b) { vsip_cblockdestroy_f((vsip_cblock_f *)b); }, 3},
        {"cblockbind_f interleaved",
         [] { return (void *)vsip_cblockbind_f(g_floats, nullptr, 4, VSIP_MEM_NONE); },
         [](void *b) { vsip_cblockdestroy_f((vsip_cblock_f *)b); }, 3},
    };
}

void PrintTo(const Creator &c, std::ostream *os) { *os << c.name; }

class BlockAllocationFailure : public ::testing::TestWithParam<Creator> {};

} // namespace

TEST_P(BlockAllocationFailure, NullWithNothingLeakedForEveryFailingCall) {
    std::string problem;
    long needed = vsiptest::for_every_failing_allocation<void>(GetParam().make, GetParam().destroy,
                                                                &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(needed, GetParam().allocations);
}

INSTANTIATE_TEST_SUITE_P(Creators, BlockAllocationFailure, ::testing::ValuesIn(block_creators()),
                         [](const auto &info) {
                             std::string n = info.param.name;
                             for (char &ch : n)
                                 if (!isalnum((unsigned char)ch))
                                     ch = '_';
                             return n;
                         });
