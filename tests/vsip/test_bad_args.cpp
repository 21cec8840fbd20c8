// Bad arguments across the public API, in both flavours of the library:
// null views and objects, views of destroyed or released blocks, views and
// indices outside their block, operands shorter than the result, shapes
// that do not conform, and results that partly overlap an operand (or, for
// products, share any element with one).  Each row names the flavours that refuse the
// call; a refused call returns its neutral value, prints one ERROR line
// and writes nothing.  Every row also checks the guard elements around the
// caller's arrays.  Rows that the default flavour does not check would be
// faults there, so they run in the checked flavour only.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support.hpp"

namespace {

enum : unsigned { RELEASE = 1, CHECKED = 2, BOTH = 3 };

unsigned flavour() {
    return std::strcmp(tml_vsip_build_flavour(), "checked") == 0 ? CHECKED : RELEASE;
}

constexpr vsip_length kN = 8;     // elements of each operand block
constexpr vsip_length kGuard = 4; // guard elements on each side
constexpr float kGuardValue = -777.0f;

// Caller arrays of kN elements between guards, bound as user blocks and
// admitted: real a, b, r and s (r and s share one array of 2 kN, so views
// of s's block can overlap r), complex c and d (split), integers i.
// Views: a, b, r of length kN; c, d of length kN; m (2 x 4 over a),
// mr (2 x 4 over r).
struct Arena {
    std::vector<float> fa, fb, fr, cre, cim, dre, dim;
    std::vector<vsip_scalar_i> ia;
    vsip_block_f *ba, *bb, *br;
    vsip_cblock_f *bc, *bd;
    vsip_block_i *bi;
    vsip_vview_f *a, *b, *r;
    vsip_cvview_f *c, *d;
    vsip_vview_i *i;
    vsip_mview_f *m, *mr;

    static std::vector<float> guarded(vsip_length n, float base) {
        std::vector<float> v(n + 2 * kGuard, kGuardValue);
        for (vsip_length k = 0; k < n; ++k)
            v[kGuard + k] = base + static_cast<float>(k);
        return v;
    }

    Arena()
        : fa(guarded(kN, 1)), fb(guarded(kN, 101)), fr(guarded(kN, 501)), cre(guarded(kN, 11)),
          cim(guarded(kN, 21)), dre(guarded(kN, 31)), dim(guarded(kN, 41)),
          ia(kN + 2 * kGuard, -777) {
        for (vsip_length k = 0; k < kN; ++k)
            ia[kGuard + k] = static_cast<vsip_scalar_i>(k);
        ba = vsip_blockbind_f(fa.data() + kGuard, kN, VSIP_MEM_NONE);
        bb = vsip_blockbind_f(fb.data() + kGuard, kN, VSIP_MEM_NONE);
        br = vsip_blockbind_f(fr.data() + kGuard, kN, VSIP_MEM_NONE);
        bc = vsip_cblockbind_f(cre.data() + kGuard, cim.data() + kGuard, kN, VSIP_MEM_NONE);
        bd = vsip_cblockbind_f(dre.data() + kGuard, dim.data() + kGuard, kN, VSIP_MEM_NONE);
        bi = vsip_blockbind_i(ia.data() + kGuard, kN, VSIP_MEM_NONE);
        vsip_blockadmit_f(ba, VSIP_TRUE);
        vsip_blockadmit_f(bb, VSIP_TRUE);
        vsip_blockadmit_f(br, VSIP_TRUE);
        vsip_cblockadmit_f(bc, VSIP_TRUE);
        vsip_cblockadmit_f(bd, VSIP_TRUE);
        vsip_blockadmit_i(bi, VSIP_TRUE);
        a = vsip_vbind_f(ba, 0, 1, kN);
        b = vsip_vbind_f(bb, 0, 1, kN);
        r = vsip_vbind_f(br, 0, 1, kN);
        c = vsip_cvbind_f(bc, 0, 1, kN);
        d = vsip_cvbind_f(bd, 0, 1, kN);
        i = vsip_vbind_i(bi, 0, 1, kN);
        m = vsip_mbind_f(ba, 0, 4, 2, 1, 4);
        mr = vsip_mbind_f(br, 0, 4, 2, 1, 4);
    }
    ~Arena() {
        // Views first; the blocks may already be destroyed by the row.
        for (vsip_vview_f *v : {a, b, r})
            vsip_vdestroy_f(v);
        vsip_cvdestroy_f(c);
        vsip_cvdestroy_f(d);
        vsip_vdestroy_i(i);
        vsip_mdestroy_f(m);
        vsip_mdestroy_f(mr);
        if (alive_a)
            vsip_blockdestroy_f(ba);
        vsip_blockdestroy_f(bb);
        vsip_blockdestroy_f(br);
        if (alive_c)
            vsip_cblockdestroy_f(bc);
        vsip_cblockdestroy_f(bd);
        vsip_blockdestroy_i(bi);
    }
    Arena(const Arena &) = delete;
    Arena &operator=(const Arena &) = delete;

    bool alive_a = true, alive_c = true;
    // Destroys a's block (the views on it stay, as a careless caller's would).
    void destroy_a() {
        vsip_blockdestroy_f(ba);
        alive_a = false;
    }
    void destroy_c() {
        vsip_cblockdestroy_f(bc);
        alive_c = false;
    }
    // Releases b's block: the caller owns its array again.
    void release_b() { vsip_blockrelease_f(bb, VSIP_TRUE); }
    // A temporary view, destroyed with the arena.
    vsip_vview_f *view(vsip_block_f *block, vsip_offset o, vsip_stride s, vsip_length n) {
        vsip_vview_f *v = vsip_vbind_f(block, o, s, n);
        if (v)
            extra.push_back(v);
        return v;
    }
    vsip_mview_f *mview(vsip_block_f *block, vsip_offset o, vsip_stride cs, vsip_length cl,
                        vsip_stride rs, vsip_length rl) {
        vsip_mview_f *v = vsip_mbind_f(block, o, cs, cl, rs, rl);
        if (v)
            extra_m.push_back(v);
        return v;
    }
    vsip_cvview_f *cview(vsip_cblock_f *block, vsip_offset o, vsip_stride s, vsip_length n) {
        vsip_cvview_f *v = vsip_cvbind_f(block, o, s, n);
        if (v)
            extra_c.push_back(v);
        return v;
    }
    std::vector<vsip_vview_f *> extra;
    std::vector<vsip_mview_f *> extra_m;
    std::vector<vsip_cvview_f *> extra_c;
    struct ExtraViews {
        Arena *arena;
        ~ExtraViews() {
            for (vsip_vview_f *v : arena->extra)
                vsip_vdestroy_f(v);
            for (vsip_mview_f *v : arena->extra_m)
                vsip_mdestroy_f(v);
            for (vsip_cvview_f *v : arena->extra_c)
                vsip_cvdestroy_f(v);
        }
    } extra_views{this};

    // Every float and integer of the caller's arrays, guards included.
    std::vector<float> snapshot() const {
        std::vector<float> all;
        for (const auto *v : {&fa, &fb, &fr, &cre, &cim, &dre, &dim})
            all.insert(all.end(), v->begin(), v->end());
        for (vsip_scalar_i x : ia)
            all.push_back(static_cast<float>(x));
        return all;
    }
    bool guards_intact() const {
        for (const auto *v : {&fa, &fb, &fr, &cre, &cim, &dre, &dim})
            for (vsip_length k = 0; k < kGuard; ++k)
                if ((*v)[k] != kGuardValue || (*v)[v->size() - 1 - k] != kGuardValue)
                    return false;
        for (vsip_length k = 0; k < kGuard; ++k)
            if (ia[k] != -777 || ia[ia.size() - 1 - k] != -777)
                return false;
        return true;
    }
};

// What a row expects: the call's result (as an integer; pointers as
// nonzero/zero), the function and message of the ERROR line (none when
// the call is accepted), and whether the call may write the caller's data.
struct Row {
    const char *name;
    unsigned refused_in; // flavours that refuse the call (0: accepted everywhere)
    unsigned runs_in;    // flavours where the call is safe to make
    std::function<std::int64_t(Arena &)> call;
    std::int64_t refused_value;
    const char *function;
    const char *message;
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

std::int64_t is_set(const void *p) { return p != nullptr; }

const char kNull[] = "null view: nothing done";
const char kDestroyed[] = "view of a destroyed block: nothing done";
const char kDestroyedBlock[] = "destroyed block: nothing done";
const char kReleased[] = "view of a released block: nothing done";
const char kOutside[] = "view outside its block: nothing done";
const char kIndex[] = "index outside the view: nothing done";
const char kShort[] = "operand shorter than the result: nothing done";
const char kOverlap[] = "result partly overlaps an operand: nothing done";
const char kNoView[] = "view outside its block: no view made";
const char kShape[] = "shapes do not conform: nothing done";
const char kShared[] = "result shares elements with an operand: nothing done";

// A real filter of three taps (b's first elements) over kN inputs.
vsip_fir_f *fir3(Arena &s, vsip_length decimation) {
    return vsip_fir_create_f(s.view(s.bb, 0, 1, 3), VSIP_NONSYM, kN, decimation,
                             VSIP_STATE_NO_SAVE, 1, VSIP_ALG_TIME);
}

const Row kRows[] = {
    // Element-wise families through the operand walk.
    {"vadd null operand", CHECKED, CHECKED,
     [](Arena &s) { vsip_vadd_f(nullptr, s.b, s.r); return 0; }, 0, "vsip_vadd_f", kNull},
    {"vadd null result", CHECKED, CHECKED,
     [](Arena &s) { vsip_vadd_f(s.a, s.b, nullptr); return 0; }, 0, "vsip_vadd_f", kNull},
    {"vexp null result", CHECKED, CHECKED,
     [](Arena &s) { vsip_vexp_f(s.a, nullptr); return 0; }, 0, "elementary", kNull},
    {"cvmul null result", CHECKED, CHECKED,
     [](Arena &s) { vsip_cvmul_f(s.c, s.d, nullptr); return 0; }, 0, "vsip_cvmul_f", kNull},
    {"vsumval null operand", CHECKED, CHECKED,
     [](Arena &) { return static_cast<std::int64_t>(vsip_vsumval_f(nullptr)); }, 0, "real_sum",
     kNull},
    {"vadd destroyed operand", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); vsip_vadd_f(s.a, s.b, s.r); return 0; }, 0, "vsip_vadd_f",
     kDestroyed},
    {"vadd released operand", CHECKED, BOTH,
     [](Arena &s) { s.release_b(); vsip_vadd_f(s.a, s.b, s.r); return 0; }, 0, "vsip_vadd_f",
     kReleased},
    {"vadd short operand", CHECKED, CHECKED,
     [](Arena &s) { vsip_vadd_f(s.view(s.ba, 0, 1, 4), s.b, s.r); return 0; }, 0, "vsip_vadd_f",
     kShort},
    {"vadd result over a reversed operand", CHECKED, BOTH,
     [](Arena &s) { vsip_vadd_f(s.view(s.br, kN - 1, -1, kN), s.b, s.r); return 0; }, 0,
     "vsip_vadd_f", kOverlap},
    {"vadd result shifted over an operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_vadd_f(s.view(s.br, 0, 1, 6), s.b, s.view(s.br, 2, 1, 6));
         return 0;
     },
     0, "vsip_vadd_f", kOverlap},
    {"vadd in place", 0, BOTH, [](Arena &s) { vsip_vadd_f(s.r, s.b, s.r); return 0; }, 0, "", ""},
    {"vadd of two parts of interleaved storage", 0, BOTH,
     [](Arena &s) {
         vsip_cblock_f *cb = vsip_cblockbind_f(s.fr.data() + kGuard, nullptr, kN / 2, VSIP_MEM_NONE);
         vsip_cblockadmit_f(cb, VSIP_TRUE);
         vsip_cvview_f *v = vsip_cvbind_f(cb, 0, 1, kN / 2);
         vsip_vview_f *re = vsip_vrealview_f(v), *im = vsip_vimagview_f(v);
         vsip_vadd_f(re, im, re); // real parts += imaginary parts: no shared element
         vsip_vdestroy_f(re);
         vsip_vdestroy_f(im);
         vsip_cvdestroy_f(v);
         vsip_cblockdestroy_f(cb);
         return 0;
     },
     0, "", ""},
    {"vadd empty views", 0, BOTH,
     [](Arena &s) {
         vsip_vadd_f(s.view(s.ba, 0, 1, 0), s.view(s.bb, 0, 1, 0), s.view(s.br, 0, 1, 0));
         return 0;
     },
     0, "", ""},
    {"vmul short second operand", CHECKED, CHECKED,
     [](Arena &s) { vsip_vmul_f(s.a, s.view(s.bb, 1, 1, 7), s.r); return 0; }, 0, "vsip_vmul_f",
     kShort},
    {"vdiv destroyed result", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); vsip_vdiv_f(s.b, s.b, s.a); return 0; }, 0, "vsip_vdiv_f",
     kDestroyed},
    {"svmul released result", CHECKED, BOTH,
     [](Arena &s) { s.release_b(); vsip_svmul_f(2.0f, s.a, s.b); return 0; }, 0, "vsip_svmul_f",
     kReleased},
    {"vma null third operand", CHECKED, CHECKED,
     [](Arena &s) { vsip_vma_f(s.a, s.b, nullptr, s.r); return 0; }, 0, "vsip_vma_f", kNull},
    {"cvmul destroyed operand", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_c(); vsip_cvmul_f(s.c, s.d, s.d); return 0; }, 0, "vsip_cvmul_f",
     kDestroyed},
    {"cvadd short operand", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_cvview_f *c4 = vsip_cvbind_f(s.bc, 0, 1, 4);
         vsip_cvadd_f(c4, s.d, s.d);
         vsip_cvdestroy_f(c4);
         return 0;
     },
     0, "vsip_cvadd_f", kShort},
    {"vfill view outside its block", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vview_f *v = s.view(s.br, 0, 1, kN);
         v->length = 3 * kN; // as a stray write of the record would leave it
         vsip_vfill_f(1.0f, v);
         v->length = kN;
         return 0;
     },
     0, "vsip_vfill_f", kOutside},
    {"msub result partly over an operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_mview_f *shifted = vsip_mbind_f(s.ba, 1, 4, 2, 1, 3);
         vsip_mview_f *m23 = vsip_mbind_f(s.ba, 0, 4, 2, 1, 3);
         vsip_msub_f(m23, m23, shifted);
         vsip_mdestroy_f(shifted);
         vsip_mdestroy_f(m23);
         return 0;
     },
     0, "vsip_msub_f", kOverlap},
    {"msub matrix of fewer rows", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_mview_f *one_row = vsip_mbind_f(s.bb, 0, 4, 1, 1, 4);
         vsip_msub_f(s.m, one_row, s.mr);
         vsip_mdestroy_f(one_row);
         return 0;
     },
     0, "vsip_msub_f", kShort},
    {"vsumval destroyed operand", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         return static_cast<std::int64_t>(vsip_vsumval_f(s.a));
     },
     0, "real_sum", kDestroyed}, // the family helper walks the view
    {"msumval released operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_mview_f *mb = vsip_mbind_f(s.bb, 0, 4, 2, 1, 4);
         s.release_b();
         const float sum = vsip_msumval_f(mb);
         vsip_mdestroy_f(mb);
         return static_cast<std::int64_t>(sum);
     },
     0, "vsip_msumval_f", kReleased},

    // Products, dot products, sums, filters and transforms check their
    // views (and object) on entry.
    {"vdot null operand", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_vdot_f(s.a, nullptr)); }, 0,
     "vsip_vdot_f", kNull},
    {"vdot short second operand", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_vdot_f(s.a, s.view(s.bb, 0, 1, 7))); },
     0, "vsip_vdot_f", kShort},
    {"vdot released operand", CHECKED, BOTH,
     [](Arena &s) {
         s.release_b();
         return static_cast<std::int64_t>(vsip_vdot_f(s.a, s.b));
     },
     0, "vsip_vdot_f", kReleased},
    {"cvdot destroyed operand", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_c(); return static_cast<std::int64_t>(vsip_cvdot_f(s.c, s.d).r); },
     0, "vsip_cvdot_f", kDestroyed},
    {"cvjdot view outside its block", CHECKED, CHECKED,
     [](Arena &s) {
         s.d->length = 2 * kN;
         const std::int64_t v = static_cast<std::int64_t>(vsip_cvjdot_f(s.c, s.d).r);
         s.d->length = kN;
         return v;
     },
     0, "vsip_cvjdot_f", kOutside},
    {"cvdot of two overlapping operands", 0, BOTH,
     [](Arena &s) {
         vsip_cvdot_f(s.cview(s.bc, 0, 1, kN - 1), s.cview(s.bc, 1, 1, kN - 1));
         return 0;
     },
     0, "", ""},
    {"mvprod vector of the wrong length", CHECKED, CHECKED,
     [](Arena &s) { vsip_mvprod_f(s.m, s.b, s.view(s.br, 0, 1, 2)); return 0; }, 0,
     "vsip_mvprod_f", kShape},
    {"vmprod null matrix", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vmprod_f(s.view(s.bb, 0, 1, 2), nullptr, s.view(s.br, 0, 1, 4));
         return 0;
     },
     0, "vsip_vmprod_f", kNull},
    {"vmprod conforming", 0, BOTH,
     [](Arena &s) { vsip_vmprod_f(s.view(s.bb, 0, 1, 2), s.m, s.view(s.br, 0, 1, 4)); return 0; },
     0, "", ""},
    {"mprod inner lengths differ", CHECKED, CHECKED,
     [](Arena &s) { vsip_mprod_f(s.m, s.mview(s.bb, 0, 4, 2, 1, 4), s.mr); return 0; },
     0, "vsip_mprod_f", kShape},
    {"mprod destroyed operand", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         vsip_mprod_f(s.m, s.mview(s.bb, 0, 2, 4, 1, 2), s.mview(s.br, 0, 2, 2, 1, 2));
         return 0;
     },
     0, "vsip_mprod_f", kDestroyed},
    {"mprodt conforming", 0, BOTH,
     [](Arena &s) { // 2 x 4 times (2 x 4)^T
         vsip_mprodt_f(s.m, s.mview(s.bb, 0, 4, 2, 1, 4), s.mview(s.br, 0, 2, 2, 1, 2));
         return 0;
     },
     0, "", ""},
    {"mprod result is an operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_mview_f *a22 = s.mview(s.ba, 0, 2, 2, 1, 2);
         vsip_mprod_f(a22, s.mview(s.bb, 0, 2, 2, 1, 2), a22);
         return 0;
     },
     0, "vsip_mprod_f", kShared},
    {"gemp result over the second operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_gemp_f(1.0f, s.mview(s.ba, 0, 2, 2, 1, 2), VSIP_MAT_TRANS,
                     s.mview(s.bb, 0, 2, 2, 1, 2), VSIP_MAT_NTRANS, 0.0f,
                     s.mview(s.bb, 1, 1, 2, 2, 2));
         return 0;
     },
     0, "vsip_gemp_f", kShared},
    {"mvprod result over the vector", CHECKED, BOTH,
     [](Arena &s) { vsip_mvprod_f(s.m, s.view(s.br, 0, 1, 4), s.view(s.br, 3, 1, 2)); return 0; },
     0, "vsip_mvprod_f", kShared},
    {"gemp transposed operand that does not conform", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_gemp_f(1.0f, s.m, VSIP_MAT_TRANS, s.m, VSIP_MAT_NTRANS, 0.0f, s.mr);
         return 0;
     },
     0, "vsip_gemp_f", kShape},
    {"cmprod null views", CHECKED, CHECKED,
     [](Arena &) { vsip_cmprod_f(nullptr, nullptr, nullptr); return 0; }, 0, "vsip_cmprod_f",
     kNull},
    {"mprod_d null result", CHECKED, CHECKED,
     [](Arena &) { vsip_mprod_d(nullptr, nullptr, nullptr); return 0; }, 0, "vsip_mprod_d", kNull},
    {"gems destroyed result", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         vsip_gems_f(1.0f, s.mview(s.bb, 0, 4, 2, 1, 4), VSIP_MAT_NTRANS, 1.0f, s.m);
         return 0;
     },
     0, "vsip_gems_f", kDestroyed},
    {"cgems null operand", CHECKED, CHECKED,
     [](Arena &) {
         vsip_cgems_f(vsip_cmplx_f(1, 0), nullptr, VSIP_MAT_NTRANS, vsip_cmplx_f(1, 0), nullptr);
         return 0;
     },
     0, "vsip_cgems_f", kNull},
    {"firflt null filter", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_firflt_f(nullptr, s.a, s.r)); }, 0,
     "vsip_firflt_f", "null argument: nothing done"},
    {"firflt destroyed input", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_fir_f *f = fir3(s, 1);
         s.destroy_a();
         const int n = vsip_firflt_f(f, s.a, s.r);
         vsip_fir_destroy_f(f);
         return static_cast<std::int64_t>(n);
     },
     0, "vsip_firflt_f", kDestroyed},
    {"cfirflt null output", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_cvview_f *k = s.cview(s.bd, 0, 1, 3);
         vsip_cfir_f *f =
             vsip_cfir_create_f(k, VSIP_NONSYM, kN, 1, VSIP_STATE_NO_SAVE, 1, VSIP_ALG_TIME);
         const int n = vsip_cfirflt_f(f, s.c, nullptr);
         vsip_cfir_destroy_f(f);
         return static_cast<std::int64_t>(n);
     },
     0, "vsip_cfirflt_f", kNull},
    {"firflt output shorter than the outputs", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_fir_f *f = fir3(s, 2);
         const int n = vsip_firflt_f(f, s.a, s.view(s.br, 0, 1, kN / 2 - 1));
         vsip_fir_destroy_f(f);
         return static_cast<std::int64_t>(n);
     },
     0, "vsip_firflt_f", kShort},
    {"firflt decimated output of exactly the outputs", 0, BOTH,
     [](Arena &s) {
         vsip_fir_f *f = fir3(s, 2);
         const int n = vsip_firflt_f(f, s.a, s.view(s.br, 0, 1, kN / 2));
         vsip_fir_destroy_f(f);
         return static_cast<std::int64_t>(n);
     },
     kN / 2, "", ""},
    {"convolve1d input shorter than the object's", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_conv1d_f *c = vsip_conv1d_create_f(s.view(s.bb, 0, 1, 3), VSIP_NONSYM, kN, 1,
                                                 VSIP_SUPPORT_SAME, 1, VSIP_ALG_TIME);
         vsip_convolve1d_f(c, s.view(s.ba, 0, 1, 4), s.r);
         vsip_conv1d_destroy_f(c);
         return 0;
     },
     0, "vsip_convolve1d_f", kShort},
    {"correlate1d output shorter than the lags", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_corr1d_f *c = vsip_corr1d_create_f(4, kN, VSIP_SUPPORT_MIN, 1, VSIP_ALG_TIME);
         vsip_correlate1d_f(c, VSIP_BIASED, s.view(s.ba, 0, 1, 4), s.b, s.view(s.br, 0, 1, 4));
         vsip_corr1d_destroy_f(c);
         return 0;
     },
     0, "vsip_correlate1d_f", kShort},
    {"ccorrelate1d reference shorter than the object's", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_ccorr1d_f *c = vsip_ccorr1d_create_f(4, kN, VSIP_SUPPORT_MIN, 1, VSIP_ALG_TIME);
         vsip_cvview_f *ref = s.cview(s.bd, 0, 1, 3);
         vsip_cvview_f *y = s.cview(s.bc, 0, 1, 5);
         vsip_ccorrelate1d_f(c, VSIP_BIASED, ref, s.d, y);
         vsip_ccorr1d_destroy_f(c);
         return 0;
     },
     0, "vsip_ccorrelate1d_f", kShort},
    {"convolve1d null object", CHECKED, CHECKED,
     [](Arena &s) { vsip_convolve1d_f(nullptr, s.a, s.r); return 0; }, 0, "vsip_convolve1d_f",
     "null argument: nothing done"},
    {"convolve1d output outside its block", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_conv1d_f *c = vsip_conv1d_create_f(s.view(s.bb, 0, 1, 3), VSIP_NONSYM, kN, 1,
                                                 VSIP_SUPPORT_SAME, 1, VSIP_ALG_TIME);
         vsip_vview_f *y = s.view(s.br, 0, 1, kN);
         vsip_vputoffset_f(y, 1);
         vsip_convolve1d_f(c, s.a, y);
         vsip_conv1d_destroy_f(c);
         return 0;
     },
     0, "vsip_convolve1d_f", kOutside},
    {"correlate1d destroyed reference", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_corr1d_f *c = vsip_corr1d_create_f(4, kN, VSIP_SUPPORT_MIN, 1, VSIP_ALG_TIME);
         s.destroy_a();
         vsip_correlate1d_f(c, VSIP_BIASED, s.a, s.b, s.view(s.br, 0, 1, 5));
         vsip_corr1d_destroy_f(c);
         return 0;
     },
     0, "vsip_correlate1d_f", kDestroyed},
    {"ccorrelate1d null output", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_ccorr1d_f *c = vsip_ccorr1d_create_f(4, kN, VSIP_SUPPORT_MIN, 1, VSIP_ALG_TIME);
         vsip_ccorrelate1d_f(c, VSIP_BIASED, s.c, s.d, nullptr);
         vsip_ccorr1d_destroy_f(c);
         return 0;
     },
     0, "vsip_ccorrelate1d_f", kNull},
    {"ccfftop null input", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_fft_f *f = vsip_ccfftop_create_f(kN, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
         vsip_ccfftop_f(f, nullptr, s.d);
         vsip_fft_destroy_f(f);
         return 0;
     },
     0, "vsip_ccfftop_f", kNull},
    {"ccfftip destroyed block", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_fft_f *f = vsip_ccfftip_create_f(kN, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
         s.destroy_c();
         vsip_ccfftip_f(f, s.c);
         vsip_fft_destroy_f(f);
         return 0;
     },
     0, "vsip_ccfftip_f", kDestroyed},
    {"rcfftop released input", CHECKED, BOTH,
     [](Arena &s) {
         vsip_fft_f *f = vsip_rcfftop_create_f(kN, 1.0f, 1, VSIP_ALG_TIME);
         s.release_b();
         vsip_rcfftop_f(f, s.b, s.d);
         vsip_fft_destroy_f(f);
         return 0;
     },
     0, "vsip_rcfftop_f", kReleased},
    {"crfftop null object", CHECKED, CHECKED,
     [](Arena &s) { vsip_crfftop_f(nullptr, s.c, s.r); return 0; }, 0, "vsip_crfftop_f",
     "null argument: nothing done"},
    {"vhisto null bins", CHECKED, CHECKED,
     [](Arena &s) { vsip_vhisto_f(s.a, 0.0f, 8.0f, VSIP_HIST_RESET, nullptr); return 0; }, 0,
     "vsip_vhisto_f", kNull},
    {"vhisto destroyed operand", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         vsip_vhisto_f(s.a, 0.0f, 8.0f, VSIP_HIST_RESET, s.r);
         return 0;
     },
     0, "vsip_vhisto_f", kDestroyed},

    // Families that choose their own pass: a result partly over an operand.
    {"cvadd result shifted over an operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_cvadd_f(s.cview(s.bc, 0, 1, kN - 1), s.cview(s.bd, 0, 1, kN - 1),
                      s.cview(s.bc, 1, 1, kN - 1));
         return 0;
     },
     0, "vsip_cvadd_f", kOverlap},
    {"cvsub in place", 0, BOTH, [](Arena &s) { vsip_cvsub_f(s.c, s.d, s.c); return 0; }, 0, "", ""},
    {"rcvadd result over the reversed complex operand", CHECKED, BOTH,
     [](Arena &s) { vsip_rcvadd_f(s.a, s.cview(s.bc, kN - 1, -1, kN), s.c); return 0; },
     0, "vsip_rcvadd_f", kOverlap},
    {"rcvadd result over the real part of the complex operand", 0, BOTH,
     [](Arena &s) {
         vsip_vview_f *re = vsip_vrealview_f(s.c);
         vsip_rcvadd_f(re, s.c, s.c); // the very elements it reads, one by one
         vsip_vdestroy_f(re);
         return 0;
     },
     0, "", ""},
    {"vneg result shifted over its operand", CHECKED, BOTH,
     [](Arena &s) { vsip_vneg_f(s.view(s.br, 0, 1, 6), s.view(s.br, 1, 1, 6)); return 0; }, 0,
     "vsip_vneg_f", kOverlap},
    {"cvconj result shifted over its operand", CHECKED, BOTH,
     [](Arena &s) {
         vsip_cvconj_f(s.cview(s.bc, 0, 1, kN - 2), s.cview(s.bc, 2, 1, kN - 2));
         return 0;
     },
     0, "vsip_cvconj_f", kOverlap},
    {"vneg in place", 0, BOTH, [](Arena &s) { vsip_vneg_f(s.r, s.r); return 0; }, 0, "", ""},

    // View accessors.
    {"vget index past the length", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_vget_f(s.view(s.ba, 0, 1, 4), 4)); }, 0,
     "vsip_vget_f", kIndex},
    {"vput index past the length", CHECKED, CHECKED,
     [](Arena &s) { vsip_vput_f(s.view(s.ba, 0, 1, 4), 4, 9.0f); return 0; }, 0, "vsip_vput_f",
     kIndex},
    {"vput on a null view", CHECKED, CHECKED,
     [](Arena &) { vsip_vput_f(nullptr, 0, 9.0f); return 0; }, 0, "vsip_vput_f", kNull},
    {"vget of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); return static_cast<std::int64_t>(vsip_vget_f(s.a, 0)); }, 0,
     "vsip_vget_f", kDestroyed},
    {"cvput of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_c(); vsip_cvput_f(s.c, 0, vsip_cmplx_f(1, 2)); return 0; }, 0,
     "vsip_cvput_f", kDestroyed},
    {"vget_i index past the length", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_vget_i(s.i, kN)); }, 0, "vsip_vget_i",
     kIndex},
    {"mput column past the row length", CHECKED, CHECKED,
     [](Arena &s) { vsip_mput_f(s.mr, 0, 4, 9.0f); return 0; }, 0, "vsip_mput_f", kIndex},
    {"mget row past the column length", CHECKED, CHECKED,
     [](Arena &s) { return static_cast<std::int64_t>(vsip_mget_f(s.m, 2, 0)); }, 0, "vsip_mget_f",
     kIndex},
    {"vputlength past the block, then vget", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vview_f *v = s.view(s.ba, 0, 1, 4);
         vsip_vputlength_f(v, kN + 1); // fields may pass through such states
         return static_cast<std::int64_t>(vsip_vget_f(v, 0));
     },
     0, "vsip_vget_f", kOutside},
    {"vputlength huge, then vfill", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vview_f *v = s.view(s.br, 0, 1, 4);
         vsip_vputlength_f(v, UINT64_MAX);
         vsip_vfill_f(1.0f, v);
         return 0;
     },
     0, "vsip_vfill_f", kOutside},
    {"vputstride negative leaving the block, then vadd", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vview_f *v = s.view(s.br, 2, 1, 4);
         vsip_vputstride_f(v, -1);
         vsip_vadd_f(s.a, s.b, v);
         return 0;
     },
     0, "vsip_vadd_f", kOutside},
    {"vputoffset past the block, then vput", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_vview_f *v = s.view(s.br, 0, 1, 4);
         vsip_vputoffset_f(v, kN - 3);
         vsip_vput_f(v, 3, 9.0f);
         return 0;
     },
     0, "vsip_vput_f", kOutside},
    {"mputcollength past the block, then mget", CHECKED, CHECKED,
     [](Arena &s) {
         vsip_mputcollength_f(s.m, 3);
         return static_cast<std::int64_t>(vsip_mget_f(s.m, 2, 0));
     },
     0, "vsip_mget_f", kOutside},
    {"vputattrib past the block", CHECKED, BOTH,
     [](Arena &s) {
         vsip_vattr_f attr{0, 2, kN, nullptr};
         return is_set(vsip_vputattrib_f(s.view(s.ba, 0, 1, 4), &attr));
     },
     0, "vsip_vputattrib_f", kOutside},
    {"mputattrib past the block", CHECKED, BOTH,
     [](Arena &s) {
         vsip_mattr_f attr{0, 1, 4, 4, 3, nullptr};
         return is_set(vsip_mputattrib_f(s.m, &attr));
     },
     0, "vsip_mputattrib_f", kOutside},
    {"mputattrib null attributes", CHECKED, CHECKED,
     [](Arena &s) { return is_set(vsip_mputattrib_f(s.m, nullptr)); }, 0, "vsip_mputattrib_f",
     "null argument: nothing done"},
    {"vputlength inside the block", 0, BOTH,
     [](Arena &s) { return is_set(vsip_vputlength_f(s.view(s.ba, 0, 1, 4), kN)); }, 1, "", ""},
    {"vgetlength of a null view", CHECKED, CHECKED,
     [](Arena &) { return static_cast<std::int64_t>(vsip_vgetlength_f(nullptr)); }, 0,
     "vsip_vgetlength_f", kNull},
    {"vsubview of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         return is_set(vsip_vsubview_f(s.a, 0, 2));
     },
     0, "vsip_vsubview_f", kDestroyed},
    {"mrowview past the last row", CHECKED, CHECKED,
     [](Arena &s) { return is_set(vsip_mrowview_f(s.m, 2)); }, 0, "vsip_mrowview_f", kIndex},
    {"mdiagview below the last row", CHECKED, CHECKED,
     [](Arena &s) { return is_set(vsip_mdiagview_f(s.m, -2)); }, 0, "vsip_mdiagview_f", kIndex},

    // Binds and derived views: checked in both flavours.
    {"vbind past the block", BOTH, BOTH,
     [](Arena &s) { return is_set(s.view(s.ba, 1, 1, kN)); }, 0, "vsip_vbind", kNoView},
    {"vbind negative stride leaving the block", BOTH, BOTH,
     [](Arena &s) { return is_set(s.view(s.ba, 0, -1, 2)); }, 0, "vsip_vbind", kNoView},
    {"vbind huge length", BOTH, BOTH,
     [](Arena &s) { return is_set(s.view(s.ba, 0, 1, UINT64_MAX)); }, 0, "vsip_vbind", kNoView},
    {"vbind on a null block", BOTH, BOTH,
     [](Arena &s) { return is_set(s.view(nullptr, 0, 1, 1)); }, 0, "vsip_vbind", kNoView},
    {"vsubview past the view's block", BOTH, BOTH,
     [](Arena &s) {
         vsip_vview_f *v = vsip_vsubview_f(s.a, 4, 5);
         vsip_vdestroy_f(v);
         return is_set(v);
     },
     0, "vsip_vbind", kNoView},
    {"mbind past the block", BOTH, BOTH,
     [](Arena &s) {
         vsip_mview_f *v = vsip_mbind_f(s.ba, 0, 4, 3, 1, 4);
         vsip_mdestroy_f(v);
         return is_set(v);
     },
     0, "vsip_mbind", kNoView},
    {"vbind on a destroyed block", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); return is_set(s.view(s.ba, 0, 1, 1)); }, 0, "vsip_vbind",
     kDestroyedBlock},

    // Block lifecycle.
    {"blockadmit of a null block", 0, BOTH,
     [](Arena &) { return static_cast<std::int64_t>(vsip_blockadmit_f(nullptr, VSIP_TRUE)); }, 1,
     "", ""},
    {"blockfind of a null block", 0, BOTH,
     [](Arena &) { return is_set(vsip_blockfind_f(nullptr)); }, 0, "", ""},
    {"blockadmit of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         return static_cast<std::int64_t>(vsip_blockadmit_f(s.ba, VSIP_TRUE));
     },
     1, "vsip_blockadmit_f", kDestroyedBlock},
    {"blockrelease of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); return is_set(vsip_blockrelease_f(s.ba, VSIP_TRUE)); }, 0,
     "vsip_blockrelease_f", kDestroyedBlock},
    {"blockdestroy twice", CHECKED, CHECKED,
     [](Arena &s) { s.destroy_a(); vsip_blockdestroy_f(s.ba); return 0; }, 0,
     "vsip_blockdestroy_f", kDestroyedBlock},
    {"cblockfind of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_c();
         float *p1 = s.fa.data(), *p2 = s.fa.data();
         vsip_cblockfind_f(s.bc, &p1, &p2);
         return is_set(p1) + is_set(p2);
     },
     0, "vsip_cblockfind_f", kDestroyedBlock},
    {"valldestroy of a destroyed block", CHECKED, CHECKED,
     [](Arena &s) {
         s.destroy_a();
         vsip_valldestroy_f(s.a); // refused: the view stays for the arena
         return 0;
     },
     0, "vsip_valldestroy_f", kDestroyedBlock},
};

class BadArguments : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(BadArguments, RefusedCallsLogOnceAndWriteNothing) {
    const Row &row = GetParam();
    const unsigned here = flavour();
    if (!(row.runs_in & here))
        GTEST_SKIP() << "unchecked in the " << tml_vsip_build_flavour() << " flavour";
    Arena s;
    const std::vector<float> before = s.snapshot();
    std::int64_t value = 0;
    const std::string out = vsiptest::capture_stdout([&] { value = row.call(s); });
    EXPECT_TRUE(s.guards_intact());
    if (row.refused_in & here) {
        EXPECT_EQ(out, vsiptest::error_line(row.function, row.message));
        EXPECT_EQ(value, row.refused_value);
        EXPECT_EQ(s.snapshot(), before) << "a refused call wrote the caller's data";
    } else {
        EXPECT_EQ(out, "");
        if (row.refused_value != 0) {
            EXPECT_EQ(value, row.refused_value);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, BadArguments, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// Accepted calls still compute: in place, and on the two interleaved parts.
TEST(BadArguments, AcceptedAliasingComputes) {
    Arena s;
    vsip_vadd_f(s.r, s.b, s.r);
    for (vsip_length k = 0; k < kN; ++k)
        EXPECT_EQ(s.fr[kGuard + k], (501.0f + k) + (101.0f + k));
}

TEST(BadArguments, FlavourNamesTheLibrary) {
    const std::string name = tml_vsip_build_flavour();
    EXPECT_TRUE(name == "checked" || name == "release") << name;
}
