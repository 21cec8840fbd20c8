// Multiple FFT objects: every row or column must come out bit for bit as
// the single FFT of the same form gives it, for every form, major, matrix
// layout, scale and thread count, and inside a user's OpenMP region; the
// attribute records; creation failures; lines outside the object.
#include <gtest/gtest.h>

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "elementwise_support.hpp"
#include "fft_support.hpp"
#include "signal/fft_backend.hpp"

namespace {

using namespace vsiptest;

enum class Form { cop, cip, rc, cr };
const char *form_name(Form f) {
    switch (f) {
    case Form::cop: return "ccfftmop";
    case Form::cip: return "ccfftmip";
    case Form::rc: return "rcfftmop";
    default: return "crfftmop";
    }
}
bool real_in(Form f) { return f == Form::rc; }
bool real_out(Form f) { return f == Form::cr; }

// Library split row-major storage; interleaved user storage, column-major
// with an offset and padded columns; split user storage at stride 2 with
// an offset and padded rows.
// Dense interleaved row-major storage, aligned or one element off FFTW's
// alignment class, puts rows on either side of the decision between
// transforming in the caller's storage and copying.
enum class MLayout { library, interleaved_cols, strided, interleaved_rows, interleaved_rows_off1 };
const char *mname(MLayout l) {
    switch (l) {
    case MLayout::library: return "library";
    case MLayout::interleaved_cols: return "icols";
    case MLayout::strided: return "strided";
    case MLayout::interleaved_rows: return "irows";
    default: return "irows_off1";
    }
}

// A real or complex M x N matrix in one of the layouts.
class Matrix {
public:
    Matrix(bool real, MLayout l, vsip_length M, vsip_length N) : real_(real), M_(M), N_(N) {
        vsip_offset off = 0;
        vsip_stride cs = 0, rs = 0;
        vsip_length len = 0;
        if (l == MLayout::interleaved_cols) {
            off = 2, rs = static_cast<vsip_stride>(M + 1), cs = 1, len = off + N * (M + 1);
        } else if (l == MLayout::strided) {
            off = 3, rs = 2, cs = static_cast<vsip_stride>(2 * N + 1), len = off + M * (2 * N + 1);
        } else if (l != MLayout::library) {
            off = l == MLayout::interleaved_rows ? 0 : 1;
            rs = 1, cs = static_cast<vsip_stride>(N), len = off + M * N + 1;
        }
        if (real) {
            if (l == MLayout::library) {
                rv_ = vsip_mcreate_f(M, N, VSIP_ROW, VSIP_MEM_NONE);
            } else {
                store_.assign(len, kGuard);
                rb_ = vsip_blockbind_f(store_.data(), len, VSIP_MEM_NONE);
                vsip_blockadmit_f(rb_, 1);
                rv_ = vsip_mbind_f(rb_, off, cs, M, rs, N);
            }
        } else if (l == MLayout::library) {
            cv_ = vsip_cmcreate_f(M, N, VSIP_ROW, VSIP_MEM_NONE);
        } else {
            const bool inter = l != MLayout::strided;
            store_.assign(inter ? 2 * len : len, kGuard);
            if (!inter)
                imag_.assign(len, kGuard);
            cb_ = vsip_cblockbind_f(store_.data(), inter ? nullptr : imag_.data(), len,
                                    VSIP_MEM_NONE);
            vsip_cblockadmit_f(cb_, 1);
            cv_ = vsip_cmbind_f(cb_, off, cs, M, rs, N);
        }
    }
    ~Matrix() {
        if (rv_)
            vsip_malldestroy_f(rv_);
        if (cv_)
            vsip_cmalldestroy_f(cv_);
    }
    Matrix(const Matrix &) = delete;
    Matrix &operator=(const Matrix &) = delete;

    const vsip_mview_f *real() const { return rv_; }
    const vsip_cmview_f *cplx() const { return cv_; }
    cd get(vsip_index i, vsip_index j) const {
        if (real_)
            return vsip_mget_f(rv_, i, j);
        const vsip_cscalar_f x = vsip_cmget_f(cv_, i, j);
        return {x.r, x.i};
    }
    void set(vsip_index i, vsip_index j, cd x) {
        if (real_)
            vsip_mput_f(rv_, i, j, static_cast<float>(x.real()));
        else
            vsip_cmput_f(cv_, i, j, cs(x));
    }
    void fill(std::mt19937 &g, float value = std::numeric_limits<float>::quiet_NaN()) {
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        for (vsip_index i = 0; i < M_; ++i)
            for (vsip_index j = 0; j < N_; ++j)
                set(i, j, std::isnan(value) ? cd(static_cast<float>(d(g)), static_cast<float>(d(g)))
                                            : cd(value, value));
    }
    // Storage outside the view keeps its guard value.
    bool guards_intact() const {
        std::size_t inside = 0, guards = 0;
        for (const float &x : store_)
            guards += x == kGuard;
        for (const float &x : imag_)
            guards += x == kGuard;
        inside = (real_ ? 1 : 2) * M_ * N_;
        return store_.empty() || guards + inside == store_.size() + imag_.size();
    }

private:
    bool real_;
    vsip_length M_, N_;
    std::vector<float> store_, imag_;
    vsip_block_f *rb_ = nullptr;
    vsip_cblock_f *cb_ = nullptr;
    vsip_mview_f *rv_ = nullptr;
    vsip_cmview_f *cv_ = nullptr;
};

vsip_fftm_f *create_m(Form f, vsip_length M, vsip_length N, float scale, int dir, vsip_major major,
                      vsip_alg_hint hint = VSIP_ALG_TIME) {
    const auto d = static_cast<vsip_fft_dir>(dir);
    switch (f) {
    case Form::cop: return vsip_ccfftmop_create_f(M, N, scale, d, major, 1, hint);
    case Form::cip: return vsip_ccfftmip_create_f(M, N, scale, d, major, 1, hint);
    case Form::rc: return vsip_rcfftmop_create_f(M, N, scale, major, 1, hint);
    default: return vsip_crfftmop_create_f(M, N, scale, major, 1, hint);
    }
}

// One binding record per thread that may run the lines (processors or
// the OpenMP thread limit, whichever is larger, at most the lines).
std::uint64_t records_for(std::uint64_t lines) {
    return std::min<std::uint64_t>(
        lines, static_cast<std::uint64_t>(std::max(omp_get_max_threads(), omp_get_num_procs())));
}

struct MDeleter {
    void operator()(vsip_fftm_f *f) const { vsip_fftm_destroy_f(f); }
};
using Fftm = std::unique_ptr<vsip_fftm_f, MDeleter>;
struct Deleter {
    void operator()(vsip_fft_f *f) const { vsip_fft_destroy_f(f); }
};
using Fft = std::unique_ptr<vsip_fft_f, Deleter>;

// The single FFT of line `in`, as the single-FFT object of the same form
// computes it on unit-stride views.
std::vector<cd> single(Form f, vsip_length length, const std::vector<cd> &in, float scale,
                       int dir) {
    std::vector<cd> out;
    switch (f) {
    case Form::cop:
    case Form::cip: {
        Fft fft(vsip_ccfftop_create_f(length, scale, static_cast<vsip_fft_dir>(dir), 1,
                                      VSIP_ALG_TIME));
        CplxVec x(Layout::unit, length), y(Layout::unit, length);
        for (vsip_length j = 0; j < length; ++j)
            x.set(j, cs(in[j]));
        vsip_ccfftop_f(fft.get(), x.view(), y.view());
        for (vsip_length j = 0; j < length; ++j)
            out.push_back({y.get(j).r, y.get(j).i});
        break;
    }
    case Form::rc: {
        Fft fft(vsip_rcfftop_create_f(length, scale, 1, VSIP_ALG_TIME));
        const vsip_length h = length / 2;
        RealVec x(Layout::unit, length);
        CplxVec y(Layout::unit, h + 1);
        for (vsip_length j = 0; j < length; ++j)
            x.set(j, static_cast<float>(in[j].real()));
        vsip_rcfftop_f(fft.get(), x.view(), y.view());
        for (vsip_length j = 0; j <= h; ++j)
            out.push_back({y.get(j).r, y.get(j).i});
        break;
    }
    case Form::cr: {
        Fft fft(vsip_crfftop_create_f(length, scale, 1, VSIP_ALG_TIME));
        const vsip_length h = length / 2;
        CplxVec x(Layout::unit, h + 1);
        RealVec y(Layout::unit, 2 * h);
        for (vsip_length j = 0; j <= h; ++j)
            x.set(j, cs(in[j]));
        vsip_crfftop_f(fft.get(), x.view(), y.view());
        for (vsip_length j = 0; j < 2 * h; ++j)
            out.push_back(y.get(j));
        break;
    }
    }
    return out;
}

struct Case {
    Form form;
    vsip_length M, N;
    vsip_major major;
    int dir;
    float scale;
    MLayout in, out;
    int threads;
};

std::string case_name(const Case &c) {
    std::string s = std::string(form_name(c.form)) + "_" + std::to_string(c.M) + "x" +
                    std::to_string(c.N) + (c.major == VSIP_ROW ? "_rows" : "_cols") +
                    (c.dir == VSIP_FFT_FWD ? "_fwd" : "_inv") + "_";
    s += std::isnan(c.scale) ? "nan" : c.scale == 1.0f ? "1" : "scaled";
    return s + "_" + mname(c.in) + "_" + mname(c.out) + "_t" + std::to_string(c.threads);
}

// Runs the multiple FFT of case c (inside a user's parallel region when
// `in_user_region`) and compares every line with the single FFT.
void check_case(const Case &c, bool in_user_region) {
    Fftm fftm(create_m(c.form, c.M, c.N, c.scale, c.dir, c.major));
    ASSERT_NE(fftm, nullptr);
    vsip_fftm_attr_f a{};
    vsip_fftm_getattr_f(fftm.get(), &a);
    const bool rows = c.major == VSIP_ROW;
    std::mt19937 g(static_cast<unsigned>(c.M * 131 + c.N));
    Matrix x(real_in(c.form), c.in, a.input.r, a.input.c);
    x.fill(g);
    std::unique_ptr<Matrix> y;
    if (c.form != Form::cip) {
        y = std::make_unique<Matrix>(real_out(c.form), c.out, a.output.r, a.output.c);
        y->fill(g, -99.0f);
    }
    const vsip_length lines = rows ? a.input.r : a.input.c;
    const vsip_length in_len = rows ? a.input.c : a.input.r;
    const vsip_length out_len = rows ? a.output.c : a.output.r;
    std::vector<std::vector<cd>> before(lines);
    for (vsip_index l = 0; l < lines; ++l)
        for (vsip_index k = 0; k < in_len; ++k)
            before[l].push_back(rows ? x.get(l, k) : x.get(k, l));

    omp_set_num_threads(c.threads);
    auto call = [&] {
        switch (c.form) {
        case Form::cop: vsip_ccfftmop_f(fftm.get(), x.cplx(), y->cplx()); break;
        case Form::cip: vsip_ccfftmip_f(fftm.get(), x.cplx()); break;
        case Form::rc: vsip_rcfftmop_f(fftm.get(), x.real(), y->cplx()); break;
        case Form::cr: vsip_crfftmop_f(fftm.get(), x.cplx(), y->real()); break;
        }
    };
    if (in_user_region) {
#pragma omp parallel num_threads(2)
        {
            if (omp_get_thread_num() == 0)
                call();
        }
    } else {
        call();
    }
    omp_set_num_threads(1);

    const Matrix &out = y ? *y : x;
    const vsip_length length = rows ? c.N : c.M;
    for (vsip_index l = 0; l < lines; ++l) {
        const std::vector<cd> want = single(c.form, length, before[l], c.scale, c.dir);
        // An odd line of the complex-to-real form: its last element is not
        // written, only scaled with the rest of the line.
        ASSERT_EQ(want.size(), c.form == Form::cr ? 2 * (out_len / 2) : out_len);
        for (vsip_index k = 0; k < out_len; ++k) {
            const cd got = rows ? out.get(l, k) : out.get(k, l);
            if (k >= want.size()) {
                EXPECT_TRUE(std::isnan(c.scale) || got.real() == -99.0f * c.scale) << got;
                continue;
            }
            if (std::isnan(c.scale)) {
                ASSERT_TRUE(std::isnan(got.real())) << "line " << l << " element " << k;
                continue;
            }
            ASSERT_EQ(got, want[k]) << "line " << l << " element " << k;
        }
    }
    EXPECT_TRUE(x.guards_intact());
    if (y) {
        EXPECT_TRUE(y->guards_intact());
    }
}

class Lines : public ::testing::TestWithParam<Case> {};

TEST_P(Lines, EqualTheSingleFftOfEachLine) { check_case(GetParam(), false); }

std::vector<Case> cases() {
    std::vector<Case> out;
    const MLayout layouts[] = {MLayout::library, MLayout::interleaved_cols, MLayout::strided};
    int k = 0;
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr})
        for (vsip_major major : {VSIP_ROW, VSIP_COL})
            for (auto dims : {std::pair<vsip_length, vsip_length>{10, 8}, {7, 13}, {1, 16}, {16, 1}}) {
                const vsip_length line = major == VSIP_ROW ? dims.second : dims.first;
                if (line < 2 && (f == Form::rc || f == Form::cr))
                    continue;
                const int dir = f == Form::cr || (f != Form::rc && k % 2) ? VSIP_FFT_INV : VSIP_FFT_FWD;
                const float scales[] = {1.0f, 0.25f, std::numeric_limits<float>::quiet_NaN()};
                const int threads[] = {1, 2, 3, 5};
                out.push_back({f, dims.first, dims.second, major, dir, scales[k % 3],
                               layouts[k % 3], layouts[(k + 1) % 3], threads[k % 4]});
                ++k;
            }
    // Rows and columns of dense interleaved storage, aligned and not, on
    // both sides and in place.
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr})
        for (vsip_major major : {VSIP_ROW, VSIP_COL})
            for (MLayout l : {MLayout::interleaved_rows, MLayout::interleaved_rows_off1})
                out.push_back({f, 6, 32, major, f == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD, 0.25f,
                               l, l == MLayout::interleaved_rows ? MLayout::interleaved_rows_off1
                                                                 : MLayout::interleaved_rows,
                               major == VSIP_ROW ? 2 : 1});
    // Every thread count on one larger case per form.
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr})
        for (int t : {1, 2, 4})
            out.push_back({f, 33, 64, t == 2 ? VSIP_COL : VSIP_ROW,
                           f == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD, 0.5f, MLayout::strided,
                           MLayout::interleaved_cols, t});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Table, Lines, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case> &i) { return case_name(i.param); });

// Called from one thread of a user's parallel region, the lines run on
// that thread and give the same results.
TEST(Lines, InsideUserParallelRegion) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr})
        check_case({f, 9, 12, VSIP_ROW, f == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD, 0.5f,
                    MLayout::library, MLayout::strided, 4},
                   true);
}

// A view with more lines than the object's records: only the object's
// lines are transformed; the other lines and storage are left alone.
TEST(Lines, ExtraLinesOfTheViewAreLeftAlone) {
    Fftm fftm(vsip_ccfftmop_create_f(4, 6, 0.25f, VSIP_FFT_FWD, VSIP_COL, 1, VSIP_ALG_TIME));
    Matrix x(false, MLayout::strided, 4, 9), y(false, MLayout::interleaved_cols, 4, 9);
    std::mt19937 g(3);
    x.fill(g);
    y.fill(g, -99.0f);
    vsip_ccfftmop_f(fftm.get(), x.cplx(), y.cplx());
    for (vsip_index i = 0; i < 4; ++i)
        for (vsip_index j = 6; j < 9; ++j)
            EXPECT_EQ(y.get(i, j), cd(-99.0, -99.0)) << i << " " << j;
    EXPECT_NE(y.get(0, 5), cd(-99.0, -99.0));
}

struct AttrCase {
    Form form;
    vsip_length M, N;
    vsip_major major;
    vsip_scalar_mi input, output;
    vsip_fft_place place;
    int dir;
};

class Attr : public ::testing::TestWithParam<AttrCase> {};

TEST_P(Attr, ReportsShapesPlaceScaleDirMajor) {
    const AttrCase &c = GetParam();
    Fftm f(create_m(c.form, c.M, c.N, 0.75f, c.dir, c.major));
    ASSERT_NE(f, nullptr);
    vsip_fftm_attr_f a{};
    vsip_fftm_getattr_f(f.get(), &a);
    EXPECT_EQ(a.input.r, c.input.r);
    EXPECT_EQ(a.input.c, c.input.c);
    EXPECT_EQ(a.output.r, c.output.r);
    EXPECT_EQ(a.output.c, c.output.c);
    EXPECT_EQ(a.place, c.place);
    EXPECT_EQ(a.scale, 0.75f);
    EXPECT_EQ(a.dir, c.form == Form::rc ? -1 : c.form == Form::cr ? 1 : c.dir);
    EXPECT_EQ(a.major, c.major);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Attr,
    ::testing::Values(AttrCase{Form::cop, 3, 5, VSIP_ROW, {3, 5}, {3, 5}, VSIP_FFT_OP, -1},
                      AttrCase{Form::cip, 3, 5, VSIP_COL, {3, 5}, {3, 5}, VSIP_FFT_IP, 1},
                      AttrCase{Form::rc, 4, 8, VSIP_ROW, {4, 8}, {4, 5}, VSIP_FFT_OP, 0},
                      AttrCase{Form::rc, 9, 4, VSIP_COL, {9, 4}, {5, 4}, VSIP_FFT_OP, 0},
                      AttrCase{Form::cr, 4, 8, VSIP_ROW, {4, 5}, {4, 8}, VSIP_FFT_OP, 0},
                      AttrCase{Form::cr, 9, 4, VSIP_COL, {5, 4}, {9, 4}, VSIP_FFT_OP, 0}));

// Record count, transform length and planner flags by major and hint; the
// records have their own buffers and share the first record's plan.
TEST(Record, LinesShareOnePlanWithABufferPairPerRecord) {
    Fftm rc(vsip_rcfftmop_create_f(4, 8, 1.0f, VSIP_ROW, 1, VSIP_ALG_SPACE));
    EXPECT_EQ(rc->count, 4u);
    EXPECT_EQ(rc->h, 4u);
    EXPECT_EQ(rc->flags, 0);
    EXPECT_EQ(rc->kind, VI_FFT_REAL_TO_COMPLEX);
    EXPECT_EQ(rc->nrecords, records_for(4));
    Fftm cc(vsip_ccfftmip_create_f(4, 8, 1.0f, VSIP_FFT_FWD, VSIP_COL, 1, VSIP_ALG_NOISE));
    EXPECT_EQ(cc->count, 8u);
    EXPECT_EQ(cc->flags, 64);
    ASSERT_EQ(cc->nrecords, records_for(8));
    const auto *first = static_cast<VI_fft_backend_f *>(cc->records[0]);
    for (std::uint64_t i = 0; i < cc->nrecords; ++i) {
        const auto *a = static_cast<VI_fft_backend_f *>(cc->records[i]);
        EXPECT_EQ(a->plan, first->plan);
        EXPECT_EQ(a->own_plan, i == 0 ? 1 : 0);
        for (std::uint64_t j = 0; j < i; ++j) {
            const auto *b = static_cast<VI_fft_backend_f *>(cc->records[j]);
            EXPECT_TRUE(a->in != b->in && a->out != b->out);
        }
    }
}

// A 1 x 2^20 matrix by columns: 2^20 transforms of length 1 on a handful
// of records, and the columns come out scaled.
TEST(Record, MillionLinesNeedOnlyTheThreadsRecords) {
    constexpr vsip_length lines = vsip_length(1) << 20;
    Fftm f(vsip_ccfftmop_create_f(1, lines, 2.0f, VSIP_FFT_FWD, VSIP_COL, 1, VSIP_ALG_TIME));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->count, lines);
    EXPECT_EQ(f->nrecords, records_for(lines));
    vsip_cmview_f *X = vsip_cmcreate_f(1, lines, VSIP_ROW, VSIP_MEM_NONE);
    vsip_cmview_f *Y = vsip_cmcreate_f(1, lines, VSIP_ROW, VSIP_MEM_NONE);
    for (vsip_index j : {vsip_index(0), vsip_index(12345), lines - 1})
        vsip_cmput_f(X, 0, j, vsip_cscalar_f{1.0f + static_cast<float>(j), -1.0f});
    vsip_ccfftmop_f(f.get(), X, Y);
    for (vsip_index j : {vsip_index(0), vsip_index(12345), lines - 1}) {
        EXPECT_EQ(vsip_cmget_f(Y, 0, j).r, 2.0f * (1.0f + static_cast<float>(j)));
        EXPECT_EQ(vsip_cmget_f(Y, 0, j).i, -2.0f);
    }
    vsip_cmalldestroy_f(X);
    vsip_cmalldestroy_f(Y);
}

TEST(Create, DimensionsOutsideTheTransformRangeGiveNull) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        EXPECT_EQ(create_m(f, 0, 8, 1.0f, -1, VSIP_ROW), nullptr);
        EXPECT_EQ(create_m(f, 8, 0, 1.0f, -1, VSIP_ROW), nullptr);
        EXPECT_EQ(create_m(f, 8, 0, 1.0f, -1, VSIP_COL), nullptr);
        EXPECT_EQ(create_m(f, 1, vsip_length(1) << 31, 1.0f, -1, VSIP_ROW), nullptr);
        EXPECT_EQ(create_m(f, vsip_length(1) << 31, 1, 1.0f, -1, VSIP_COL), nullptr);
        // 2^62 lines need no more than one record per thread.
        Fftm many(create_m(f, vsip_length(1) << 62, 4, 1.0f, -1, VSIP_ROW));
        ASSERT_NE(many, nullptr);
        EXPECT_EQ(many->nrecords, records_for(vsip_length(1) << 62));
    }
    EXPECT_EQ(create_m(Form::rc, 3, 1, 1.0f, -1, VSIP_ROW), nullptr);
    EXPECT_EQ(create_m(Form::cr, 1, 3, 1.0f, 1, VSIP_COL), nullptr);
}

TEST(Create, EveryFailingAllocationGivesNullAndReleasesAll) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        std::string problem;
        const long calls = for_every_failing_allocation<vsip_fftm_f>(
            [f] { return create_m(f, 3, 6, 1.0f, -1, VSIP_ROW); },
            [](vsip_fftm_f *p) { vsip_fftm_destroy_f(p); }, &problem);
        // The object, the record array and the records.
        EXPECT_EQ(calls, 2 + static_cast<long>(records_for(3))) << form_name(f) << ": " << problem;
    }
}

// The first record's two buffers and plan, then two buffers for every
// further record.
TEST(Create, EveryFailingFftwRequestGivesNullAndReleasesAll) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        std::string problem;
        const long requests = for_every_failing_fftw_request<vsip_fftm_f>(
            [f] { return create_m(f, 6, 3, 1.0f, -1, VSIP_COL); },
            [](vsip_fftm_f *p) { vsip_fftm_destroy_f(p); }, &problem);
        EXPECT_EQ(requests, 1 + 2 * static_cast<long>(records_for(3)))
            << form_name(f) << ": " << problem;
    }
}

// ---- Objects and matrices that do not fit the execute function ------------

// An object of another kind, a matrix with fewer lines than the object's,
// or lines shorter than the transform reads or writes: one ERROR line and
// the output (for ccfftmip the operand) left as it was.  The matrices are
// library matrices of exactly their size, so any access past them is a
// sanitizer report.
struct MisuseCase {
    const char *name;
    Form object, call;
    vsip_major major;
    // Lines (along the major) and line lengths of input and output.
    vsip_length x_lines, x_length, y_lines, y_length;
    const char *message;
};

const char *const kWrongKind = "The multiple-FFT object is not of the kind this function executes.";
const char *const kShortView =
    "A matrix has fewer or shorter lines than the multiple-FFT object's input or output.";

std::vector<MisuseCase> misuse_cases() {
    // Objects of 4 lines of 8 elements (h = 4): line lengths read and written.
    struct Need {
        Form form;
        vsip_length x, y;
    } const need[] = {{Form::cop, 8, 8}, {Form::cip, 8, 8}, {Form::rc, 8, 5}, {Form::cr, 5, 8}};
    std::vector<MisuseCase> out;
    for (vsip_major major : {VSIP_ROW, VSIP_COL})
        for (const Need &n : need) {
            for (const Need &o : need)
                if (o.form != n.form)
                    out.push_back({"wrong_kind", o.form, n.form, major, 4, 9, 4, 9, kWrongKind});
            out.push_back({"few_input_lines", n.form, n.form, major, 3, n.x, 4, n.y, kShortView});
            out.push_back({"short_input_lines", n.form, n.form, major, 4, n.x - 1, 4, n.y, kShortView});
            if (n.form == Form::cip)
                continue;
            out.push_back({"few_output_lines", n.form, n.form, major, 4, n.x, 3, n.y, kShortView});
            out.push_back({"short_output_lines", n.form, n.form, major, 4, n.x, 4, n.y - 1,
                           kShortView});
        }
    return out;
}

class Misuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(Misuse, LogsAnErrorAndLeavesTheOutput) {
    const MisuseCase &c = GetParam();
    const bool rows = c.major == VSIP_ROW;
    Fftm fftm(create_m(c.object, rows ? 4 : 8, rows ? 8 : 4, 0.5f,
                       c.object == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD, c.major));
    ASSERT_NE(fftm, nullptr);
    const vsip_length xm = rows ? c.x_lines : c.x_length, xn = rows ? c.x_length : c.x_lines;
    const vsip_length ym = rows ? c.y_lines : c.y_length, yn = rows ? c.y_length : c.y_lines;
    const bool real_x = c.call == Form::rc, real_y = c.call == Form::cr;
    vsip_mview_f *rx = real_x ? vsip_mcreate_f(xm, xn, VSIP_ROW, VSIP_MEM_NONE) : nullptr;
    vsip_cmview_f *cx = real_x ? nullptr : vsip_cmcreate_f(xm, xn, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f *ry = real_y ? vsip_mcreate_f(ym, yn, VSIP_COL, VSIP_MEM_NONE) : nullptr;
    vsip_cmview_f *cy = real_y || c.call == Form::cip
                            ? nullptr
                            : vsip_cmcreate_f(ym, yn, VSIP_COL, VSIP_MEM_NONE);
    if (rx)
        vsip_mfill_f(1.0f, rx);
    if (cx)
        vsip_cmfill_f(vsip_cscalar_f{1.0f, 2.0f}, cx);
    if (ry)
        vsip_mfill_f(-99.0f, ry);
    if (cy)
        vsip_cmfill_f(vsip_cscalar_f{-99.0f, -98.0f}, cy);
    ScopedEnv level("VSIP_LOG_LEVEL", std::string("ERROR"));
    const std::string text = capture_stdout([&] {
        switch (c.call) {
        case Form::cop: vsip_ccfftmop_f(fftm.get(), cx, cy); break;
        case Form::cip: vsip_ccfftmip_f(fftm.get(), cx); break;
        case Form::rc: vsip_rcfftmop_f(fftm.get(), rx, cy); break;
        case Form::cr: vsip_crfftmop_f(fftm.get(), cx, ry); break;
        }
    });
    EXPECT_EQ(text, error_line(std::string("vsip_") + form_name(c.call) + "_f", c.message));
    for (vsip_index i = 0; i < ym; ++i)
        for (vsip_index j = 0; j < yn; ++j) {
            if (ry) {
                EXPECT_EQ(vsip_mget_f(ry, i, j), -99.0f) << i << " " << j;
            }
            if (cy) {
                EXPECT_EQ(vsip_cmget_f(cy, i, j).r, -99.0f) << i << " " << j;
            }
        }
    for (vsip_index i = 0; c.call == Form::cip && i < xm; ++i)
        for (vsip_index j = 0; j < xn; ++j)
            EXPECT_EQ(vsip_cmget_f(cx, i, j).i, 2.0f) << i << " " << j;
    for (vsip_mview_f *m : {rx, ry})
        if (m)
            vsip_malldestroy_f(m);
    for (vsip_cmview_f *m : {cx, cy})
        if (m)
            vsip_cmalldestroy_f(m);
}

INSTANTIATE_TEST_SUITE_P(Table, Misuse, ::testing::ValuesIn(misuse_cases()),
                         [](const ::testing::TestParamInfo<MisuseCase> &i) {
                             return std::string(form_name(i.param.call)) + "_" + i.param.name +
                                    "_" + form_name(i.param.object) +
                                    (i.param.major == VSIP_ROW ? "_rows_" : "_cols_") +
                                    std::to_string(i.index);
                         });

TEST(Destroy, NullReturnsZero) { EXPECT_EQ(vsip_fftm_destroy_f(nullptr), 0); }

} // namespace
