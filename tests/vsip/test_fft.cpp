// Single FFT objects against a double-precision DFT: every kind, direction,
// scale and view layout, odd and even, prime and large lengths; round
// trips; attribute records; planner flags; the log line; creation failures
// of the library allocator and of FFTW; ownership on destroy; concurrent
// execution of distinct objects.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <thread>

#include "elementwise_support.hpp"
#include "fft_support.hpp"
#include "signal/fft_backend.hpp"

namespace {

using namespace vsiptest;

enum class Form { cop, cip, rc, cr };
const char *form_name(Form f) {
    switch (f) {
    case Form::cop: return "ccfftop";
    case Form::cip: return "ccfftip";
    case Form::rc: return "rcfftop";
    default: return "crfftop";
    }
}

vsip_fft_f *create(Form f, vsip_length n, float scale, int dir, vsip_alg_hint hint = VSIP_ALG_TIME) {
    switch (f) {
    case Form::cop: return vsip_ccfftop_create_f(n, scale, static_cast<vsip_fft_dir>(dir), 1, hint);
    case Form::cip: return vsip_ccfftip_create_f(n, scale, static_cast<vsip_fft_dir>(dir), 1, hint);
    case Form::rc: return vsip_rcfftop_create_f(n, scale, 1, hint);
    default: return vsip_crfftop_create_f(n, scale, 1, hint);
    }
}

struct Deleter {
    void operator()(vsip_fft_f *f) const { vsip_fft_destroy_f(f); }
};
using Fft = std::unique_ptr<vsip_fft_f, Deleter>;

std::mt19937 &rng() {
    static std::mt19937 g(12345);
    return g;
}
double random_part() {
    return static_cast<float>(std::uniform_real_distribution<double>(-1.0, 1.0)(rng()));
}

// One transform on views of the given layouts: the input (of the length
// the object reads, plus `extra_in` elements) is filled with random
// values, the output with -99.  Returns the double inputs the transform
// reads and the float outputs it writes, in element order.
struct Outcome {
    std::vector<cd> input;
    std::vector<cd> output;
    std::vector<cd> after_output; // output view elements past the written ones
    bool guards = true;
};

Outcome run_once(vsip_fft_f *fft, Form f, Layout lin, Layout lout, vsip_length extra_out = 0,
             const std::vector<cd> *given = nullptr) {
    vsip_fft_attr_f a{};
    vsip_fft_getattr_f(fft, &a);
    Outcome r;
    const bool check_guards = a.input <= 64;
    auto fill_c = [&](CplxVec &x, vsip_length n, bool zero_edges) {
        for (vsip_length j = 0; j < n; ++j) {
            cd v = given ? (*given)[j] : cd(random_part(), random_part());
            if (zero_edges && (j == 0 || j == n - 1))
                v = v.real();
            x.set(j, cs(v));
            r.input.push_back(v);
        }
    };
    switch (f) {
    case Form::cop: {
        CplxVec x(lin, a.input), y(lout, a.output + extra_out);
        fill_c(x, a.input, false);
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            y.set(j, {-99.0f, -99.0f});
        vsip_ccfftop_f(fft, x.view(), y.view());
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            (j < a.output ? r.output : r.after_output).push_back({y.get(j).r, y.get(j).i});
        if (check_guards)
            r.guards = x.guards_intact() && y.guards_intact();
        for (vsip_length j = 0; j < a.input; ++j)
            r.guards = r.guards && cd(x.get(j).r, x.get(j).i) == r.input[j];
        break;
    }
    case Form::cip: {
        CplxVec x(lin, a.input + extra_out);
        fill_c(x, a.input, false);
        for (vsip_length j = a.input; j < a.input + extra_out; ++j)
            x.set(j, {-99.0f, -99.0f});
        vsip_ccfftip_f(fft, x.view());
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            (j < a.output ? r.output : r.after_output).push_back({x.get(j).r, x.get(j).i});
        if (check_guards)
            r.guards = x.guards_intact();
        break;
    }
    case Form::rc: {
        // One more input element than the transform reads: it must not be.
        RealVec x(lin, a.input + 1);
        CplxVec y(lout, a.output + extra_out);
        for (vsip_length j = 0; j < a.input; ++j) {
            const double v = given ? (*given)[j].real() : random_part();
            x.set(j, static_cast<float>(v));
            r.input.push_back(v);
        }
        x.set(a.input, std::numeric_limits<float>::quiet_NaN());
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            y.set(j, {-99.0f, -99.0f});
        vsip_rcfftop_f(fft, x.view(), y.view());
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            (j < a.output ? r.output : r.after_output).push_back({y.get(j).r, y.get(j).i});
        if (check_guards)
            r.guards = x.guards_intact() && y.guards_intact();
        break;
    }
    case Form::cr: {
        CplxVec x(lin, a.input);
        RealVec y(lout, a.output + extra_out);
        fill_c(x, a.input, true);
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            y.set(j, -99.0f);
        vsip_crfftop_f(fft, x.view(), y.view());
        for (vsip_length j = 0; j < a.output + extra_out; ++j)
            (j < a.output ? r.output : r.after_output).push_back(y.get(j));
        if (check_guards)
            r.guards = x.guards_intact() && y.guards_intact();
        break;
    }
    }
    return r;
}

// The unscaled transform the object computes, in double precision.
std::vector<cd> expected(Form f, const std::vector<cd> &in, int dir) {
    const int sign = dir == VSIP_FFT_FWD ? -1 : 1;
    switch (f) {
    case Form::rc: {
        std::vector<cd> full = dft(in, -1);
        full.resize(in.size() / 2 + 1);
        return full;
    }
    case Form::cr: return dft(hermitian(in), +1);
    default: return dft(in, sign);
    }
}

struct Case {
    Form form;
    vsip_length n;
    int dir;
    float scale;
    Layout in;
    Layout out;
};

std::string case_name(const Case &c) {
    std::string s = std::string(form_name(c.form)) + "_n" + std::to_string(c.n) +
                    (c.dir == VSIP_FFT_FWD ? "_fwd" : "_inv") + "_";
    if (std::isnan(c.scale))
        s += "nan";
    else if (c.scale == 1.0f)
        s += "1";
    else if (c.scale == 0.5f)
        s += "half";
    else
        s += "invn";
    return s + "_" + name(c.in) + "_" + name(c.out);
}

class Transform : public ::testing::TestWithParam<Case> {};

TEST_P(Transform, MatchesDoubleDft) {
    const Case &c = GetParam();
    Fft fft(create(c.form, c.n, c.scale, c.dir));
    ASSERT_NE(fft, nullptr);
    const Outcome r = run_once(fft.get(), c.form, c.in, c.out);
    EXPECT_TRUE(r.guards) << "storage outside the views (or the input) changed";
    const std::vector<cd> want = expected(c.form, r.input, c.dir);
    ASSERT_EQ(want.size(), r.output.size());
    const std::vector<cd> *basis = &r.input;
    std::vector<cd> full;
    if (c.form == Form::cr) {
        full = hermitian(r.input);
        basis = &full;
    }
    const double tol = fft_tolerance(want.size() > 1 ? want.size() : 1, norm2(*basis), c.scale);
    for (std::size_t k = 0; k < want.size(); ++k) {
        if (std::isnan(c.scale)) {
            ASSERT_TRUE(std::isnan(r.output[k].real()) &&
                        (c.form == Form::cr || std::isnan(r.output[k].imag())))
                << "bin " << k;
            continue;
        }
        const cd w = static_cast<double>(c.scale) * want[k];
        ASSERT_LE(std::abs(r.output[k] - w), tol) << "bin " << k << ": got " << r.output[k]
                                                   << ", want " << w;
    }
}

std::vector<Case> cases() {
    std::vector<Case> out;
    const std::pair<Layout, Layout> pairs[] = {{Layout::unit, Layout::unit},
                                               {Layout::interleaved, Layout::interleaved},
                                               {Layout::stride2, Layout::negative},
                                               {Layout::negative, Layout::stride2},
                                               {Layout::interleaved, Layout::unit}};
    const Form forms[] = {Form::cop, Form::cip, Form::rc, Form::cr};
    // Every form, direction, scale and layout pair at N = 7 and 8.
    for (Form f : forms)
        for (vsip_length n : {7, 8})
            for (int dir : {VSIP_FFT_FWD, VSIP_FFT_INV}) {
                if ((f == Form::rc && dir != VSIP_FFT_FWD) || (f == Form::cr && dir != VSIP_FFT_INV))
                    continue;
                for (float scale : {1.0f, 0.5f, 1.0f / static_cast<float>(n),
                                    std::numeric_limits<float>::quiet_NaN()})
                    for (const auto &p : pairs)
                        out.push_back({f, n, dir, scale, p.first, p.second});
            }
    // Short, prime, composite and large lengths over rotating layouts.
    int k = 0;
    for (Form f : forms)
        for (vsip_length n : {1, 2, 3, 5, 12, 97, 1000, 1024, 4099, 65536, 262144}) {
            if (n < 2 && (f == Form::rc || f == Form::cr))
                continue;
            const int dir = f == Form::cr ? VSIP_FFT_INV : (k % 3 == 2 ? VSIP_FFT_INV : VSIP_FFT_FWD);
            const auto &p = pairs[static_cast<std::size_t>(k++) % 5];
            out.push_back({f, n, dir, n > 4 ? 1.0f / static_cast<float>(n) : 1.0f, p.first,
                           p.second});
        }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Table, Transform, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case> &i) { return case_name(i.param); });

// Scaling is one float product per written element after the transform:
// scale 0.5 gives exactly half the unscaled result (the same inputs).
TEST(Scale, HalfIsExactlyHalfOfUnscaled) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        const int dir = f == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD;
        Fft one(create(f, 24, 1.0f, dir)), half(create(f, 24, 0.5f, dir));
        const Outcome a = run_once(one.get(), f, Layout::stride2, Layout::unit);
        const Outcome b = run_once(half.get(), f, Layout::stride2, Layout::unit, 0, &a.input);
        for (std::size_t k = 0; k < a.output.size(); ++k)
            ASSERT_EQ(b.output[k], 0.5 * a.output[k]) << form_name(f) << " bin " << k;
    }
}

// The scaling pass covers the whole result view of the complex and
// complex-to-real forms, and exactly the h+1 written bins of rcfftop.
TEST(Scale, ResultElementsPastTheTransform) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        const int dir = f == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD;
        Fft fft(create(f, 8, 0.25f, dir));
        const Outcome r = run_once(fft.get(), f, Layout::unit, Layout::stride2, 3);
        const double want = f == Form::rc ? -99.0 : -99.0 * 0.25;
        ASSERT_EQ(r.after_output.size(), 3u);
        for (const cd &v : r.after_output)
            EXPECT_EQ(v.real(), want) << form_name(f);
    }
}

TEST(Impulse, ForwardTransformOfUnitImpulseIsAllOnes) {
    for (vsip_length n : {1, 6, 16, 31}) {
        Fft fft(vsip_ccfftop_create_f(n, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME));
        CplxVec x(Layout::unit, n), y(Layout::interleaved, n);
        for (vsip_length j = 0; j < n; ++j)
            x.set(j, {j == 0 ? 1.0f : 0.0f, 0.0f});
        vsip_ccfftop_f(fft.get(), x.view(), y.view());
        for (vsip_length j = 0; j < n; ++j) {
            EXPECT_EQ(y.get(j).r, 1.0f) << n << " " << j;
            EXPECT_EQ(y.get(j).i, 0.0f) << n << " " << j;
        }
    }
}

// Forward then inverse with scale 1/N returns the input.
TEST(RoundTrip, ComplexAndReal) {
    for (vsip_length n : {7, 8, 60, 1009, 4096}) {
        const float inv = 1.0f / static_cast<float>(n);
        Fft fwd(vsip_ccfftop_create_f(n, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME));
        Fft back(vsip_ccfftip_create_f(n, inv, VSIP_FFT_INV, 1, VSIP_ALG_TIME));
        CplxVec x(Layout::negative, n), y(Layout::stride2, n);
        std::vector<cd> in;
        for (vsip_length j = 0; j < n; ++j) {
            in.push_back({random_part(), random_part()});
            x.set(j, cs(in.back()));
        }
        vsip_ccfftop_f(fwd.get(), x.view(), y.view());
        vsip_ccfftip_f(back.get(), y.view());
        for (vsip_length j = 0; j < n; ++j)
            ASSERT_LE(std::abs(cd(y.get(j).r, y.get(j).i) - in[j]), 1e-5) << n << " " << j;

        const vsip_length h = n / 2;
        Fft rfwd(vsip_rcfftop_create_f(n, 1.0f, 1, VSIP_ALG_TIME));
        Fft rback(vsip_crfftop_create_f(n, 1.0f / static_cast<float>(2 * h), 1, VSIP_ALG_TIME));
        RealVec r(Layout::interleaved, 2 * h), out(Layout::stride2, 2 * h);
        CplxVec spec(Layout::unit, h + 1);
        for (vsip_length j = 0; j < 2 * h; ++j)
            r.set(j, static_cast<float>(random_part()));
        vsip_rcfftop_f(rfwd.get(), r.view(), spec.view());
        vsip_crfftop_f(rback.get(), spec.view(), out.view());
        for (vsip_length j = 0; j < 2 * h; ++j)
            ASSERT_NEAR(out.get(j), r.get(j), 1e-5) << n << " " << j;
    }
}

// A dir other than VSIP_FFT_FWD plans an inverse transform.
TEST(Direction, AnyOtherValueIsInverse) {
    Fft inv(create(Form::cop, 12, 1.0f, VSIP_FFT_INV));
    Fft other(create(Form::cop, 12, 1.0f, 0));
    const Outcome a = run_once(inv.get(), Form::cop, Layout::unit, Layout::unit);
    const Outcome b = run_once(other.get(), Form::cop, Layout::unit, Layout::unit, 0, &a.input);
    EXPECT_EQ(a.output, b.output);
    EXPECT_EQ(other->dir, 0);
}

struct AttrCase {
    Form form;
    vsip_length n;
    float scale;
    int dir;
    vsip_length input, output;
    vsip_fft_place place;
    int reported_dir;
};

class Attr : public ::testing::TestWithParam<AttrCase> {};

TEST_P(Attr, ReportsLengthsPlaceScaleDir) {
    const AttrCase &c = GetParam();
    Fft fft(create(c.form, c.n, c.scale, c.dir));
    ASSERT_NE(fft, nullptr);
    vsip_fft_attr_f a{};
    vsip_fft_getattr_f(fft.get(), &a);
    EXPECT_EQ(a.input, c.input);
    EXPECT_EQ(a.output, c.output);
    EXPECT_EQ(a.place, c.place);
    EXPECT_EQ(a.scale, c.scale);
    EXPECT_EQ(a.dir, c.reported_dir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Attr,
    ::testing::Values(AttrCase{Form::cop, 10, 2.0f, VSIP_FFT_FWD, 10, 10, VSIP_FFT_OP, -1},
                      AttrCase{Form::cip, 10, 0.5f, VSIP_FFT_INV, 10, 10, VSIP_FFT_IP, 1},
                      AttrCase{Form::rc, 7, 1.0f, 0, 6, 4, VSIP_FFT_OP, -1},
                      AttrCase{Form::rc, 8, 3.0f, 0, 8, 5, VSIP_FFT_OP, -1},
                      AttrCase{Form::cr, 8, 0.125f, 0, 5, 8, VSIP_FFT_OP, 1},
                      AttrCase{Form::cr, 7, 1.0f, 0, 4, 6, VSIP_FFT_OP, 1}));

TEST(Attr, UnknownKindLeavesTheRecord) {
    Fft fft(create(Form::cop, 4, 1.0f, VSIP_FFT_FWD));
    const std::int32_t kind = fft->kind;
    fft->kind = 9;
    vsip_fft_attr_f a{77, 78, VSIP_FFT_IP, 5.0f, VSIP_FFT_INV};
    vsip_fft_getattr_f(fft.get(), &a);
    EXPECT_EQ(a.input, 77u);
    EXPECT_EQ(a.output, 78u);
    EXPECT_EQ(a.scale, 5.0f);
    fft->kind = kind;
}

// The object record: lengths, kind, direction, stored arguments, planner
// flags from the hint.
TEST(Record, FieldsAndPlannerFlags) {
    struct {
        int hint;
        std::int32_t flags;
    } const hints[] = {{VSIP_ALG_TIME, 64}, {VSIP_ALG_SPACE, 0}, {VSIP_ALG_NOISE, 64}};
    for (const auto &h : hints) {
        const auto hint = static_cast<vsip_alg_hint>(h.hint);
        Fft c(vsip_ccfftip_create_f(9, 1.5f, VSIP_FFT_INV, 3, hint));
        Fft r(vsip_rcfftop_create_f(9, 1.0f, 4, hint));
        Fft i(vsip_crfftop_create_f(9, 1.0f, 5, hint));
        EXPECT_EQ(c->flags, h.flags);
        EXPECT_EQ(r->flags, h.flags);
        EXPECT_EQ(i->flags, h.flags);
        EXPECT_EQ(c->length, 9u);
        EXPECT_EQ(r->length, 4u);
        EXPECT_EQ(c->kind, VI_FFT_COMPLEX_IP);
        EXPECT_EQ(r->kind, VI_FFT_REAL_TO_COMPLEX);
        EXPECT_EQ(i->kind, VI_FFT_COMPLEX_TO_REAL);
        EXPECT_EQ(r->dir, -1);
        EXPECT_EQ(i->dir, 1);
        EXPECT_EQ(c->ntimes, 3);
        EXPECT_EQ(c->hint, h.hint);
        const auto *b = static_cast<VI_fft_backend_f *>(c->backend);
        EXPECT_NE(b->in, b->out);
        EXPECT_EQ(b->own_in, 1);
        EXPECT_EQ(b->own_out, 1);
        EXPECT_EQ(b->spare, 0);
        EXPECT_EQ(b->in_re, nullptr);
        const auto *rb = static_cast<VI_rfft_backend_f *>(r->backend);
        EXPECT_NE(rb->slot[0], nullptr);
        EXPECT_NE(rb->slot[1], nullptr);
        EXPECT_EQ(rb->slot[2], nullptr);
        EXPECT_EQ(rb->slot[3], nullptr);
        const auto *ib = static_cast<VI_rfft_backend_f *>(i->backend);
        EXPECT_NE(ib->slot[0], nullptr);
        EXPECT_EQ(ib->slot[1], nullptr);
        EXPECT_NE(ib->slot[3], nullptr);
    }
}

TEST(Log, DebugLineAtCreation) {
    ScopedEnv level("VSIP_LOG_LEVEL", std::string("DEBUG"));
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        vsip_fft_f *fft = nullptr;
        const std::string text = capture_stdout([&] { fft = create(f, 16, 1.0f, VSIP_FFT_FWD); });
        vsip_fft_destroy_f(fft);
        EXPECT_EQ(text, std::string("[DEBUG] \033[1;37mfunc=vsip_") + form_name(f) +
                            "_create_f, fft backend is FFTW.\033[0m\n");
    }
    ScopedEnv info("VSIP_LOG_LEVEL", std::string("INFO"));
    const std::string quiet = capture_stdout([] {
        vsip_fft_destroy_f(vsip_ccfftop_create_f(16, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME));
    });
    EXPECT_EQ(quiet, "");
}

TEST(Create, LengthsOutsideTheTransformRangeGiveNull) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr})
        for (vsip_length n : {vsip_length(0), vsip_length(INT_MAX) + 1, vsip_length(INT_MAX) + 2,
                              vsip_length(1) << 40, ~vsip_length(0)})
            EXPECT_EQ(create(f, n, 1.0f, VSIP_FFT_FWD), nullptr) << form_name(f) << " " << n;
    // The real forms transform N rounded down to even: N = 1 has nothing.
    EXPECT_EQ(create(Form::rc, 1, 1.0f, 0), nullptr);
    EXPECT_EQ(create(Form::cr, 1, 1.0f, 0), nullptr);
}

TEST(Create, EveryFailingAllocationGivesNullAndReleasesAll) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        std::string problem;
        const long calls = for_every_failing_allocation<vsip_fft_f>(
            [f] { return create(f, 12, 1.0f, VSIP_FFT_FWD); },
            [](vsip_fft_f *p) { vsip_fft_destroy_f(p); }, &problem);
        EXPECT_EQ(calls, 2) << form_name(f) << ": " << problem; // object and binding record
    }
}

TEST(Create, EveryFailingFftwRequestGivesNullAndReleasesAll) {
    for (Form f : {Form::cop, Form::cip, Form::rc, Form::cr}) {
        std::string problem;
        const long requests = for_every_failing_fftw_request<vsip_fft_f>(
            [f] { return create(f, 12, 1.0f, VSIP_FFT_FWD); },
            [](vsip_fft_f *p) { vsip_fft_destroy_f(p); }, &problem);
        EXPECT_EQ(requests, 3) << form_name(f) << ": " << problem; // two buffers and a plan
    }
}

TEST(Destroy, NullReturnsZero) { EXPECT_EQ(vsip_fft_destroy_f(nullptr), 0); }

// Workspace slots are released by destroy; buffers whose side is not owned
// are left to their owner.
TEST(Destroy, WorkspaceAndOwnership) {
    FailingAllocator allocations(0);
    vsip_fft_f *fft = nullptr;
    vsip_cblock_f *block = vsip_cblockcreate_f(8, VSIP_MEM_NONE);
    const std::size_t block_allocations = allocations.live();
    fft = vsip_ccfftop_create_f(16, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    fft->work_view[1] = vsip_cvbind_f(block, 0, 1, 8);
    fft->work_buffer[2] = VI_malloc(32);
    auto *b = static_cast<VI_fft_backend_f *>(fft->backend);
    fftwf_complex *in = b->in;
    b->own_in = 0;
    EXPECT_EQ(vsip_fft_destroy_f(fft), 0);
    EXPECT_EQ(allocations.live(), block_allocations); // a view never owns its block
    vsip_cblockdestroy_f(block);
    EXPECT_EQ(allocations.live(), 0u);
    fftwf_free(in); // still valid: the record did not own it

    vsip_fft_f *rc = vsip_rcfftop_create_f(16, 1.0f, 1, VSIP_ALG_TIME);
    auto *rb = static_cast<VI_rfft_backend_f *>(rc->backend);
    void *spectrum = rb->slot[1];
    rb->own_out = 0;
    EXPECT_EQ(vsip_fft_destroy_f(rc), 0);
    fftwf_free(spectrum);
    EXPECT_EQ(allocations.live(), 0u);
}

// ---- Objects and views that do not fit the execute function -----------------

// An execute call with an object of another kind, or a view shorter than
// the object reads or writes: one ERROR line, the output (for ccfftip the
// operand) left as it was.  The views are library vectors of exactly
// their length, so any access past them is a sanitizer report.
struct MisuseCase {
    const char *name;
    Form object; // kind of the object (created for N = 8)
    Form call;   // execute function
    vsip_length x_length, y_length;
    const char *message;
};

const char *const kWrongKind = "The FFT object is not of the kind this function executes.";
const char *const kShortView = "A view is shorter than the FFT object's input or output.";

std::vector<MisuseCase> misuse_cases() {
    // Lengths each function reads and writes at N = 8 (h = 4).
    struct Need {
        Form form;
        vsip_length x, y;
    } const need[] = {{Form::cop, 8, 8}, {Form::cip, 8, 8}, {Form::rc, 8, 5}, {Form::cr, 5, 8}};
    std::vector<MisuseCase> out;
    for (const Need &n : need) {
        for (const Need &o : need)
            if (o.form != n.form)
                out.push_back({"wrong_kind", o.form, n.form, 16, 16, kWrongKind});
        out.push_back({"short_input", n.form, n.form, n.x - 1, n.y, kShortView});
        if (n.form != Form::cip)
            out.push_back({"short_output", n.form, n.form, n.x, n.y - 1, kShortView});
    }
    return out;
}

class Misuse : public ::testing::TestWithParam<MisuseCase> {};

TEST_P(Misuse, LogsAnErrorAndLeavesTheOutput) {
    const MisuseCase &c = GetParam();
    Fft fft(create(c.object, 8, 0.5f, c.object == Form::cr ? VSIP_FFT_INV : VSIP_FFT_FWD));
    ASSERT_NE(fft, nullptr);
    const bool real_x = c.call == Form::rc, real_y = c.call == Form::cr;
    vsip_vview_f *rx = real_x ? vsip_vcreate_f(c.x_length, VSIP_MEM_NONE) : nullptr;
    vsip_cvview_f *cx = real_x ? nullptr : vsip_cvcreate_f(c.x_length, VSIP_MEM_NONE);
    vsip_vview_f *ry = real_y ? vsip_vcreate_f(c.y_length, VSIP_MEM_NONE) : nullptr;
    vsip_cvview_f *cy = real_y || c.call == Form::cip ? nullptr
                                                       : vsip_cvcreate_f(c.y_length, VSIP_MEM_NONE);
    if (rx)
        vsip_vfill_f(1.0f, rx);
    if (cx)
        vsip_cvfill_f(vsip_cscalar_f{1.0f, 2.0f}, cx);
    if (ry)
        vsip_vfill_f(-99.0f, ry);
    if (cy)
        vsip_cvfill_f(vsip_cscalar_f{-99.0f, -98.0f}, cy);
    ScopedEnv level("VSIP_LOG_LEVEL", std::string("ERROR"));
    const std::string text = capture_stdout([&] {
        switch (c.call) {
        case Form::cop: vsip_ccfftop_f(fft.get(), cx, cy); break;
        case Form::cip: vsip_ccfftip_f(fft.get(), cx); break;
        case Form::rc: vsip_rcfftop_f(fft.get(), rx, cy); break;
        case Form::cr: vsip_crfftop_f(fft.get(), cx, ry); break;
        }
    });
    EXPECT_EQ(text, error_line(std::string("vsip_") + form_name(c.call) + "_f", c.message));
    for (vsip_length j = 0; ry && j < c.y_length; ++j)
        EXPECT_EQ(vsip_vget_f(ry, j), -99.0f) << j;
    for (vsip_length j = 0; cy && j < c.y_length; ++j)
        EXPECT_EQ(vsip_cvget_f(cy, j).r, -99.0f) << j;
    for (vsip_length j = 0; c.call == Form::cip && j < c.x_length; ++j)
        EXPECT_EQ(vsip_cvget_f(cx, j).i, 2.0f) << j;
    for (vsip_vview_f *v : {rx, ry})
        if (v)
            vsip_valldestroy_f(v);
    for (vsip_cvview_f *v : {cx, cy})
        if (v)
            vsip_cvalldestroy_f(v);
}

INSTANTIATE_TEST_SUITE_P(Table, Misuse, ::testing::ValuesIn(misuse_cases()),
                         [](const ::testing::TestParamInfo<MisuseCase> &i) {
                             return std::string(form_name(i.param.call)) + "_" + i.param.name +
                                    "_" + form_name(i.param.object) + "_" +
                                    std::to_string(i.index);
                         });

// ---- Transforms on the caller's data --------------------------------------

// Vectors over caller storage whose alignment, strides and part layout put
// them on either side of each decision between running the plan on the
// caller's data and copying through the object's buffers.  The storage
// starts 16-byte aligned (FFTW's alignment classes are the addresses
// modulo 16); every float outside the view holds a guard.
enum class Place {
    ileave,         // interleaved, unit stride, aligned
    ileave_off1,    // interleaved, offset of one element (8 bytes): other class
    ileave_off2,    // interleaved, offset of two elements: aligned again
    ileave_stride2, // interleaved, stride 2
    ileave_negative,
    split_packed,   // split, imaginary parts n elements after the real parts
    split_apart,    // split, imaginary parts n + 4 elements after the real parts
    split_stride2,
    split_packed_off1, // as split_packed, offset of one element (4 bytes): other class
    real_unit,
    real_off1,      // one float: other class
    real_off4,      // four floats: aligned again
    real_stride2,
    real_negative
};

const char *place_name(Place p) {
    static const char *const names[] = {"ileave",       "ileave_off1",    "ileave_off2",
                                        "ileave_stride2", "ileave_negative", "split_packed",
                                        "split_apart",  "split_stride2",  "split_packed_off1",
                                        "real_unit",
                                        "real_off1",    "real_off4",      "real_stride2",
                                        "real_negative"};
    return names[static_cast<int>(p)];
}

class Placed {
public:
    Placed(Place p, vsip_length n) : n_(n) {
        vsip_offset o = 0;
        vsip_stride st = 1;
        switch (p) {
        case Place::ileave_off1: case Place::real_off1: case Place::split_packed_off1: o = 1; break;
        case Place::ileave_off2: o = 2; break;
        case Place::real_off4: o = 4; break;
        case Place::ileave_stride2: case Place::split_stride2: case Place::real_stride2:
            o = 1, st = 2;
            break;
        case Place::ileave_negative: case Place::real_negative: o = n, st = -1; break;
        default: break;
        }
        const vsip_length length = o + 2 * n + 2; // block elements
        real_ = p >= Place::real_unit;
        split_ = p == Place::split_packed || p == Place::split_apart ||
                 p == Place::split_stride2 || p == Place::split_packed_off1;
        sep_ = p == Place::split_packed || p == Place::split_packed_off1 ? n
               : p == Place::split_apart                                ? n + 4
                                                                        : length;
        const std::size_t floats = real_ ? length : split_ ? sep_ + length : 2 * length;
        store_.assign(floats + 8, kGuard);
        base_ = store_.data();
        while (reinterpret_cast<std::uintptr_t>(base_) % 16 != 0)
            ++base_;
        if (real_) {
            block_ = vsip_blockbind_f(base_, length, VSIP_MEM_NONE);
            vsip_blockadmit_f(block_, 1);
            rview_ = vsip_vbind_f(block_, o, st, n);
        } else {
            // A split block of exactly n elements has its imaginary parts n
            // floats after the real ones.
            const vsip_length blen = p == Place::split_packed        ? n
                                     : p == Place::split_packed_off1 ? n + 1
                                                                     : length;
            cblock_ = vsip_cblockbind_f(base_, split_ ? base_ + sep_ : nullptr, blen, VSIP_MEM_NONE);
            vsip_cblockadmit_f(cblock_, 1);
            cview_ = vsip_cvbind_f(cblock_, p == Place::split_packed ? 0 : o, st, n);
        }
        for (vsip_length j = 0; j < n; ++j) {
            const vsip_stride k = static_cast<vsip_stride>(p == Place::split_packed ? 0 : o) +
                                  st * static_cast<vsip_stride>(j);
            const std::size_t at = static_cast<std::size_t>(k);
            re_.push_back(real_ ? at : split_ ? at : 2 * at);
            im_.push_back(real_ ? at : split_ ? sep_ + at : 2 * at + 1);
        }
    }
    ~Placed() {
        if (rview_)
            vsip_blockdestroy_f(vsip_vdestroy_f(rview_));
        if (cview_)
            vsip_cblockdestroy_f(vsip_cvdestroy_f(cview_));
    }
    Placed(const Placed &) = delete;
    Placed &operator=(const Placed &) = delete;

    const vsip_vview_f *real() const { return rview_; }
    const vsip_cvview_f *cplx() const { return cview_; }
    cd get(vsip_length j) const {
        return real_ ? cd(base_[re_[j]], 0.0) : cd(base_[re_[j]], base_[im_[j]]);
    }
    void set(vsip_length j, cd v) {
        base_[re_[j]] = static_cast<float>(v.real());
        if (!real_)
            base_[im_[j]] = static_cast<float>(v.imag());
    }
    // p is where element 0 (either part) lies: the transform ran on it.
    bool holds(const void *p) const { return p == &base_[re_[0]] || p == &base_[im_[0]]; }
    bool guards_intact() const {
        std::vector<bool> inside(store_.size(), false);
        const std::size_t skip = static_cast<std::size_t>(base_ - store_.data());
        for (vsip_length j = 0; j < n_; ++j)
            inside[skip + re_[j]] = inside[skip + im_[j]] = true;
        for (std::size_t k = 0; k < store_.size(); ++k)
            if (!inside[k] && !(store_[k] == kGuard))
                return false;
        return true;
    }

private:
    vsip_length n_;
    bool real_ = false, split_ = false;
    vsip_length sep_ = 0;
    std::vector<float> store_;
    float *base_ = nullptr;
    std::vector<std::size_t> re_, im_;
    vsip_block_f *block_ = nullptr;
    vsip_cblock_f *cblock_ = nullptr;
    vsip_vview_f *rview_ = nullptr;
    vsip_cvview_f *cview_ = nullptr;
};

struct DirectCase {
    Form form;
    int dir;
    Place x, y;         // y unused for ccfftip
    bool x_direct, y_direct; // the transform reads x / writes y in place
};

std::string direct_name(const DirectCase &c) {
    return std::string(form_name(c.form)) + (c.dir == VSIP_FFT_FWD ? "_fwd_" : "_inv_") +
           place_name(c.x) + (c.form == Form::cip ? "" : std::string("_") + place_name(c.y));
}

class Direct : public ::testing::TestWithParam<DirectCase> {};

// The spectrum is right, within the float tolerance of the double DFT,
// whichever way the transform ran; only the views' elements are written;
// the input of the out-of-place forms is left as it was; and the
// transform ran on the caller's data exactly where the case says.
TEST_P(Direct, RunsOnTheCallersDataWhereItCan) {
    const DirectCase &c = GetParam();
    constexpr vsip_length n = 64;
    constexpr float scale = 0.5f;
    Fft fft(create(c.form, n, scale, c.dir));
    ASSERT_NE(fft, nullptr);
    vsip_fft_attr_f a{};
    vsip_fft_getattr_f(fft.get(), &a);
    Placed x(c.x, a.input);
    std::unique_ptr<Placed> y;
    if (c.form != Form::cip)
        y = std::make_unique<Placed>(c.y, a.output);
    std::vector<cd> in;
    for (vsip_length j = 0; j < a.input; ++j) {
        in.push_back({random_part(), c.form == Form::rc ? 0.0 : random_part()});
        x.set(j, in.back());
    }
    for (vsip_length j = 0; y && j < a.output; ++j)
        y->set(j, {-99.0, -99.0});
    switch (c.form) {
    case Form::cop: vsip_ccfftop_f(fft.get(), x.cplx(), y->cplx()); break;
    case Form::cip: vsip_ccfftip_f(fft.get(), x.cplx()); break;
    case Form::rc: vsip_rcfftop_f(fft.get(), x.real(), y->cplx()); break;
    case Form::cr: vsip_crfftop_f(fft.get(), x.cplx(), y->real()); break;
    }
    const FftwExecutions &e = fftw_executions();
    const Placed &out = y ? *y : x;
    EXPECT_EQ(x.holds(e.in), c.x_direct);
    EXPECT_EQ(out.holds(e.out), c.y_direct);
    EXPECT_TRUE(x.guards_intact());
    EXPECT_TRUE(out.guards_intact());
    for (vsip_length j = 0; y && j < a.input; ++j)
        ASSERT_EQ(x.get(j), in[j]) << "input element " << j << " changed";
    const std::vector<cd> want = expected(c.form, in, c.dir);
    const double tol =
        fft_tolerance(n, norm2(c.form == Form::cr ? hermitian(in) : in), scale);
    for (vsip_length k = 0; k < a.output; ++k) {
        const cd got = c.form == Form::cr ? cd(out.get(k).real(), 0.0) : out.get(k);
        const cd w = static_cast<double>(scale) * (c.form == Form::cr ? cd(want[k].real(), 0.0) : want[k]);
        ASSERT_LE(std::abs(got - w), tol) << "bin " << k << ": got " << got << ", want " << w;
    }
}

const DirectCase kDirectCases[] = {
    // Complex out of place: interleaved sides at unit stride in the
    // planned alignment class run directly, each side on its own.
    {Form::cop, VSIP_FFT_FWD, Place::ileave, Place::ileave, true, true},
    {Form::cop, VSIP_FFT_INV, Place::ileave_off2, Place::ileave, true, true},
    {Form::cop, VSIP_FFT_FWD, Place::ileave_off1, Place::ileave, false, true},
    {Form::cop, VSIP_FFT_FWD, Place::ileave, Place::ileave_off1, true, false},
    {Form::cop, VSIP_FFT_FWD, Place::ileave_stride2, Place::ileave_negative, false, false},
    {Form::cop, VSIP_FFT_INV, Place::ileave_negative, Place::ileave_stride2, false, false},
    // Split storage with the parts as far apart as the library lays out a
    // block of the transform's length (64 here) runs the split plan, each
    // side on its own; other split layouts are copied.
    {Form::cop, VSIP_FFT_FWD, Place::split_packed, Place::split_packed, true, true},
    {Form::cop, VSIP_FFT_INV, Place::split_packed, Place::split_packed, true, true},
    {Form::cop, VSIP_FFT_FWD, Place::split_packed_off1, Place::split_packed, false, true},
    {Form::cop, VSIP_FFT_FWD, Place::split_packed, Place::split_apart, true, false},
    {Form::cop, VSIP_FFT_INV, Place::split_packed, Place::ileave, true, false},
    {Form::cop, VSIP_FFT_FWD, Place::ileave, Place::split_packed_off1, true, false},
    {Form::cop, VSIP_FFT_INV, Place::split_apart, Place::ileave, false, true},
    {Form::cop, VSIP_FFT_FWD, Place::ileave, Place::split_stride2, true, false},
    {Form::cop, VSIP_FFT_FWD, Place::split_stride2, Place::split_packed, false, true},
    // Complex in place: the plan is out of place, so the input is read
    // where it is and the result copied back from the output buffer.
    {Form::cip, VSIP_FFT_FWD, Place::ileave, Place::ileave, true, false},
    {Form::cip, VSIP_FFT_INV, Place::ileave_off2, Place::ileave, true, false},
    {Form::cip, VSIP_FFT_FWD, Place::ileave_off1, Place::ileave, false, false},
    {Form::cip, VSIP_FFT_FWD, Place::ileave_stride2, Place::ileave, false, false},
    {Form::cip, VSIP_FFT_INV, Place::ileave_negative, Place::ileave, false, false},
    // Split in place reads the caller's parts and writes the result back
    // from the buffers.
    {Form::cip, VSIP_FFT_FWD, Place::split_packed, Place::ileave, true, false},
    {Form::cip, VSIP_FFT_INV, Place::split_packed, Place::ileave, true, false},
    {Form::cip, VSIP_FFT_FWD, Place::split_packed_off1, Place::ileave, false, false},
    {Form::cip, VSIP_FFT_FWD, Place::split_apart, Place::ileave, false, false},
    {Form::cip, VSIP_FFT_FWD, Place::split_stride2, Place::ileave, false, false},
    // Real to complex: the real input and the spectrum each on its own.
    {Form::rc, VSIP_FFT_FWD, Place::real_unit, Place::ileave, true, true},
    {Form::rc, VSIP_FFT_FWD, Place::real_off4, Place::ileave_off2, true, true},
    {Form::rc, VSIP_FFT_FWD, Place::real_off1, Place::ileave, false, true},
    {Form::rc, VSIP_FFT_FWD, Place::real_stride2, Place::split_packed, false, false},
    {Form::rc, VSIP_FFT_FWD, Place::real_unit, Place::ileave_off1, true, false},
    {Form::rc, VSIP_FFT_FWD, Place::real_unit, Place::split_apart, true, false},
    {Form::rc, VSIP_FFT_FWD, Place::real_negative, Place::ileave_negative, false, false},
    // Complex to real: the input is always copied (the transform
    // overwrites it); the real output runs directly.
    {Form::cr, VSIP_FFT_INV, Place::ileave, Place::real_unit, false, true},
    {Form::cr, VSIP_FFT_INV, Place::split_packed, Place::real_off4, false, true},
    {Form::cr, VSIP_FFT_INV, Place::ileave, Place::real_off1, false, false},
    {Form::cr, VSIP_FFT_INV, Place::ileave_stride2, Place::real_negative, false, false},
};

INSTANTIATE_TEST_SUITE_P(Table, Direct, ::testing::ValuesIn(kDirectCases),
                         [](const ::testing::TestParamInfo<DirectCase> &i) {
                             return direct_name(i.param);
                         });

// One view given as input and output of the out-of-place object: the
// plan cannot run in place, so the output goes through the buffer.
TEST(Direct, SameViewForBothSidesOfTheOutOfPlaceObject) {
    constexpr vsip_length n = 32;
    Fft fft(create(Form::cop, n, 1.0f, VSIP_FFT_FWD));
    Placed x(Place::ileave, n);
    std::vector<cd> in;
    for (vsip_length j = 0; j < n; ++j) {
        in.push_back({random_part(), random_part()});
        x.set(j, in.back());
    }
    vsip_ccfftop_f(fft.get(), x.cplx(), x.cplx());
    EXPECT_TRUE(x.holds(fftw_executions().in));
    EXPECT_FALSE(x.holds(fftw_executions().out));
    const std::vector<cd> want = dft(in, -1);
    for (vsip_length k = 0; k < n; ++k)
        ASSERT_LE(std::abs(x.get(k) - want[k]), fft_tolerance(n, norm2(in), 1.0)) << k;
    EXPECT_TRUE(x.guards_intact());
}

// ---- Companion plans on library and interleaved vectors ----------------------

// Vectors of n elements at offset 0 of library-made split blocks of
// `x_block` / `y_block` elements (the parts lie the block length rounded
// up to 16 apart), or of 16-byte aligned interleaved user blocks (block
// length 0).  Elements of the blocks past the view hold guards.
struct CompanionCase {
    Form form; // cop or cip
    int dir;
    vsip_length n;
    vsip_length x_block, y_block; // y_block unused for ccfftip
    bool x_direct, y_direct;      // the transform reads x / writes y in place
};

std::string companion_name(const ::testing::TestParamInfo<CompanionCase> &i) {
    const CompanionCase &c = i.param;
    std::string s = std::string(form_name(c.form)) + (c.dir == VSIP_FFT_FWD ? "_fwd_" : "_inv_") +
                    std::to_string(c.n) + "_in" + std::to_string(c.x_block);
    if (c.form == Form::cop)
        s += "_out" + std::to_string(c.y_block);
    return s;
}

class CompanionVec {
public:
    CompanionVec(vsip_length n, vsip_length block) : n_(n), total_(block ? block : n) {
        if (block) {
            cblock_ = vsip_cblockcreate_f(block, VSIP_MEM_NONE);
        } else {
            store_.assign(2 * n + 4, kGuard);
            float *p = store_.data();
            while (reinterpret_cast<std::uintptr_t>(p) % 16 != 0)
                ++p;
            cblock_ = vsip_cblockbind_f(p, nullptr, n, VSIP_MEM_NONE);
            vsip_cblockadmit_f(cblock_, 1);
        }
        all_ = vsip_cvbind_f(cblock_, 0, 1, total_);
        view_ = vsip_cvbind_f(cblock_, 0, 1, n);
        for (vsip_length j = n; j < total_; ++j)
            vsip_cvput_f(all_, j, vsip_cscalar_f{kGuard, kGuard});
    }
    ~CompanionVec() {
        vsip_cvdestroy_f(view_);
        vsip_cblockdestroy_f(vsip_cvdestroy_f(all_));
    }
    CompanionVec(const CompanionVec &) = delete;
    CompanionVec &operator=(const CompanionVec &) = delete;

    vsip_cvview_f *view() const { return view_; }
    cd get(vsip_length j) const {
        const vsip_cscalar_f v = vsip_cvget_f(view_, j);
        return {v.r, v.i};
    }
    void set(vsip_length j, cd v) {
        vsip_cvput_f(view_, j, vsip_cscalar_f{static_cast<float>(v.real()), static_cast<float>(v.imag())});
    }
    bool holds(const void *p) const {
        return p == cblock_->real_part->data || p == cblock_->imag_part->data;
    }
    bool guards_intact() const {
        for (vsip_length j = n_; j < total_; ++j) {
            const vsip_cscalar_f v = vsip_cvget_f(all_, j);
            if (!(v.r == kGuard) || !(v.i == kGuard))
                return false;
        }
        if (!store_.empty()) {
            const float *p = cblock_->real_part->data;
            for (const float &f : store_)
                if ((&f < p || &f >= p + 2 * n_) && !(f == kGuard))
                    return false;
        }
        return true;
    }

private:
    vsip_length n_, total_;
    std::vector<float> store_;
    vsip_cblock_f *cblock_ = nullptr;
    vsip_cvview_f *all_ = nullptr, *view_ = nullptr;
};

class Companion : public ::testing::TestWithParam<CompanionCase> {};

// The spectrum is right whichever plan ran, only the views are written,
// the input of ccfftop is left as it was, and the plan ran on the
// caller's data exactly where the case says.
TEST_P(Companion, RunsWhereTheLayoutMatches) {
    const CompanionCase &c = GetParam();
    const float scale = c.form == Form::cip ? 0.25f : 1.0f;
    Fft fft(create(c.form, c.n, scale, c.dir));
    ASSERT_NE(fft, nullptr);
    CompanionVec x(c.n, c.x_block);
    std::unique_ptr<CompanionVec> y;
    if (c.form == Form::cop)
        y = std::make_unique<CompanionVec>(c.n, c.y_block);
    std::vector<cd> in;
    for (vsip_length j = 0; j < c.n; ++j) {
        in.push_back({random_part(), random_part()});
        x.set(j, in.back());
        if (y)
            y->set(j, {-99.0, -99.0});
    }
    if (y)
        vsip_ccfftop_f(fft.get(), x.view(), y->view());
    else
        vsip_ccfftip_f(fft.get(), x.view());
    const FftwExecutions &e = fftw_executions();
    const CompanionVec &out = y ? *y : x;
    EXPECT_EQ(x.holds(e.in), c.x_direct);
    EXPECT_EQ(out.holds(e.out), c.y_direct);
    EXPECT_TRUE(x.guards_intact());
    EXPECT_TRUE(out.guards_intact());
    for (vsip_length j = 0; y && j < c.n; ++j)
        ASSERT_EQ(x.get(j), in[j]) << "input element " << j << " changed";
    const std::vector<cd> want = dft(in, c.dir == VSIP_FFT_FWD ? -1 : 1);
    const double tol = fft_tolerance(c.n, norm2(in), scale);
    for (vsip_length k = 0; k < c.n; ++k)
        ASSERT_LE(std::abs(out.get(k) - static_cast<double>(scale) * want[k]), tol) << "bin " << k;
}

const CompanionCase kCompanionCases[] = {
    // Powers of two up to 2048 on blocks of their own length: the split
    // plan, also for lengths below 16 (parts 16 apart).
    {Form::cop, VSIP_FFT_FWD, 8, 8, 8, true, true},
    {Form::cop, VSIP_FFT_INV, 64, 64, 64, true, true},
    {Form::cop, VSIP_FFT_FWD, 2048, 2048, 2048, true, true},
    // A block of another length puts the parts at another distance.
    {Form::cop, VSIP_FFT_FWD, 64, 128, 64, false, true},
    {Form::cop, VSIP_FFT_INV, 64, 64, 80, true, false},
    {Form::cop, VSIP_FFT_FWD, 8, 9, 16, true, true},    // 9 and 16 round up to 16
    {Form::cop, VSIP_FFT_FWD, 8, 17, 17, false, false}, // 17 rounds up to 32
    // Other lengths have no split plan: copied.
    {Form::cop, VSIP_FFT_FWD, 4096, 4096, 4096, false, false},
    {Form::cop, VSIP_FFT_INV, 100, 100, 100, false, false},
    // Interleaved sides run the interleaved plan, split ones are copied.
    {Form::cop, VSIP_FFT_FWD, 64, 0, 0, true, true},
    {Form::cop, VSIP_FFT_FWD, 100, 0, 100, true, false},
    // In place: the split plan reads the caller's parts, the result comes
    // back from the buffers.
    {Form::cip, VSIP_FFT_FWD, 64, 64, 0, true, false},
    {Form::cip, VSIP_FFT_INV, 1024, 1024, 0, true, false},
    {Form::cip, VSIP_FFT_FWD, 64, 65, 0, false, false},
    {Form::cip, VSIP_FFT_FWD, 4096, 4096, 0, false, false},
    {Form::cip, VSIP_FFT_FWD, 1024, 0, 0, true, false},
    // From 2^18 on the in-place plan runs: on interleaved data where it is,
    // on split data in the buffer between the copies.
    {Form::cip, VSIP_FFT_FWD, 1 << 18, 0, 0, true, true},
    {Form::cip, VSIP_FFT_INV, 1 << 18, 1 << 18, 0, false, false},
};

INSTANTIATE_TEST_SUITE_P(Table, Companion, ::testing::ValuesIn(kCompanionCases), companion_name);

// The record of a complex object: companion plans by length and kind.
TEST(CompanionRecord, MadeByLengthAndKind) {
    struct Row {
        Form form;
        vsip_length n;
        bool split, in_place;
    };
    const Row rows[] = {{Form::cop, 1, true, false},          {Form::cop, 2048, true, false},
                        {Form::cip, 2048, true, false},        {Form::cop, 2049, false, false},
                        {Form::cop, 96, false, false},         {Form::cop, 1 << 18, false, false},
                        {Form::cip, (1 << 18) - 1, false, false}, {Form::cip, 1 << 18, false, true},
                        {Form::cip, 300000, false, true}};
    for (const Row &r : rows) {
        Fft fft(create(r.form, r.n, 1.0f, VSIP_FFT_INV));
        ASSERT_NE(fft, nullptr);
        const auto *b = static_cast<const VI_fft_backend_f *>(fft->backend);
        EXPECT_EQ(b->split_plan != nullptr, r.split) << form_name(r.form) << " " << r.n;
        EXPECT_EQ(b->inplace_plan != nullptr, r.in_place) << form_name(r.form) << " " << r.n;
        EXPECT_EQ(b->split_inverse, r.split ? 1 : 0) << r.n;
        EXPECT_EQ(b->gap, static_cast<std::int64_t>((r.n + 15) / 16 * 16)) << r.n;
    }
}

// Distinct objects run concurrently give the results of serial runs.
TEST(Threads, DistinctObjectsExecuteConcurrently) {
    constexpr int kThreads = 4;
    constexpr vsip_length n = 2048;
    std::vector<Fft> ffts;
    std::vector<std::unique_ptr<CplxVec>> xs, ys;
    std::vector<std::vector<cd>> serial(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        ffts.emplace_back(vsip_ccfftop_create_f(n, 0.5f, t % 2 ? VSIP_FFT_INV : VSIP_FFT_FWD, 1,
                                                VSIP_ALG_TIME));
        xs.push_back(std::make_unique<CplxVec>(Layout::unit, n));
        ys.push_back(std::make_unique<CplxVec>(Layout::interleaved, n));
        for (vsip_length j = 0; j < n; ++j)
            xs[t]->set(j, cs({random_part(), random_part()}));
        vsip_ccfftop_f(ffts[t].get(), xs[t]->view(), ys[t]->view());
        for (vsip_length j = 0; j < n; ++j)
            serial[t].push_back({ys[t]->get(j).r, ys[t]->get(j).i});
    }
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t)
        pool.emplace_back([&, t] {
            for (int rep = 0; rep < 50; ++rep) {
                vsip_ccfftop_f(ffts[t].get(), xs[t]->view(), ys[t]->view());
                for (vsip_length j = 0; j < n; ++j)
                    mismatches[t] += cd(ys[t]->get(j).r, ys[t]->get(j).i) != serial[t][j];
            }
        });
    for (auto &th : pool)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

} // namespace
