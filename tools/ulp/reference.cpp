// MPFR references of the libm functions the kernels stand in for.
#include "reference.hpp"

#include <math.h>
#include <mpfr.h>

#include <cfloat>
#include <cstring>

namespace tvml_ulp {

using Mpfr1 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using Mpfr2 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);
using Libm1 = double (*)(double);
using Libm2 = double (*)(double, double);

struct Reference {
    const char* name;  // double name; the float one adds f
    int arity;
    Mpfr1 mpfr1;
    Mpfr2 mpfr2;
    Libm1 libm1;
    Libm2 libm2;
    bool is_float;
};

namespace {

#define TVML_REF1(f) {#f, 1, mpfr_##f, nullptr, ::f, nullptr, false}
#define TVML_REF2(f) {#f, 2, nullptr, mpfr_##f, nullptr, ::f, false}

const Reference kReferences[] = {
    TVML_REF1(exp),   TVML_REF1(exp2),  TVML_REF1(exp10), TVML_REF1(expm1), TVML_REF1(log),
    TVML_REF1(log10), TVML_REF1(log1p), TVML_REF2(pow),   TVML_REF1(cbrt),  TVML_REF1(sqrt),
    TVML_REF2(hypot), TVML_REF1(sin),   TVML_REF1(cos),   TVML_REF1(tan),   TVML_REF1(asin),
    TVML_REF1(acos),  TVML_REF1(atan),  TVML_REF2(atan2), TVML_REF1(sinh),  TVML_REF1(cosh),
    TVML_REF1(tanh),  TVML_REF1(asinh), TVML_REF1(acosh), TVML_REF1(atanh),
};

#undef TVML_REF1
#undef TVML_REF2

constexpr size_t kCount = sizeof kReferences / sizeof kReferences[0];

// The same rows with is_float set, for the names with suffix f.
struct FloatReferences {
    Reference rows[kCount];
    FloatReferences() {
        for (size_t i = 0; i < kCount; ++i) {
            rows[i] = kReferences[i];
            rows[i].is_float = true;
        }
    }
};

const FloatReferences& float_references() {
    static const FloatReferences refs;
    return refs;
}

int call(const Reference& ref, mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y) {
    return ref.arity == 1 ? ref.mpfr1(r, x, MPFR_RNDN) : ref.mpfr2(r, x, y, MPFR_RNDN);
}

// Scratch numbers, set up once.
struct Scratch {
    mpfr_t x, y, rounded24, rounded53, exact;
    Scratch() {
        mpfr_inits2(53, x, y, rounded53, static_cast<mpfr_ptr>(nullptr));
        mpfr_init2(rounded24, 24);
        mpfr_init2(exact, 128);
    }
    ~Scratch() {
        mpfr_clears(x, y, rounded24, rounded53, exact, static_cast<mpfr_ptr>(nullptr));
        mpfr_free_cache();
    }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

// Evaluates in the exponent range of the format (precision 24 or 53,
// smallest subnormal 2^(emin-1)) so that overflow, underflow and
// subnormal results round as the format does.
double correctly_rounded(const Reference& ref, mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y, mpfr_exp_t emin,
                         mpfr_exp_t emax) {
    const mpfr_exp_t old_min = mpfr_get_emin(), old_max = mpfr_get_emax();
    mpfr_set_emin(emin);
    mpfr_set_emax(emax);
    int t = call(ref, r, x, y);
    t = mpfr_check_range(r, t, MPFR_RNDN);
    mpfr_subnormalize(r, t, MPFR_RNDN);
    const double v = mpfr_get_d(r, MPFR_RNDN);
    mpfr_set_emin(old_min);
    mpfr_set_emax(old_max);
    return v;
}

void exact_parts(const Reference& ref, Scratch& s, double& hi, double& lo) {
    call(ref, s.exact, s.x, s.y);
    hi = mpfr_get_d(s.exact, MPFR_RNDN);
    lo = 0;
    if (std::isfinite(hi)) {
        mpfr_sub_d(s.exact, s.exact, hi, MPFR_RNDN);
        lo = mpfr_get_d(s.exact, MPFR_RNDN);
    }
}

// The float nearest to the libm double value d, if d is far enough from
// the midpoints between floats that the exact value rounds the same way.
bool safe_float_rounding(double d, float& out) {
    if (!std::isfinite(d) || d == 0) return false;
    const float f = float(d);
    if (std::isinf(f) || std::fabs(f) == FLT_MAX) return false;
    out = f;
    if (double(f) == d) return true;
    const float g = nextafterf(f, d > double(f) ? INFINITY : -INFINITY);
    const double midpoint = (double(f) + double(g)) / 2;
    return std::fabs(d - midpoint) > std::fabs(d) * 0x1p-40;
}

}  // namespace

const Reference* find_reference(const std::string& libm_name) {
    for (size_t i = 0; i < kCount; ++i) {
        if (libm_name == kReferences[i].name) return &kReferences[i];
        if (libm_name == std::string(kReferences[i].name) + "f") return &float_references().rows[i];
    }
    return nullptr;
}

int reference_arity(const Reference& ref) { return ref.arity; }
bool reference_is_float(const Reference& ref) { return ref.is_float; }

RefValue<float> evaluate(const Reference& ref, float x, float y, bool fast) {
    if (fast && std::isfinite(x) && (ref.arity == 1 || std::isfinite(y))) {
        const double d = ref.arity == 1 ? ref.libm1(x) : ref.libm2(x, y);
        float f;
        if (safe_float_rounding(d, f)) return {f, d, 0.0};
    }
    Scratch& s = scratch();
    mpfr_set_flt(s.x, x, MPFR_RNDN);
    mpfr_set_flt(s.y, y, MPFR_RNDN);
    RefValue<float> v;
    v.cr = float(correctly_rounded(ref, s.rounded24, s.x, s.y, -148, 128));
    exact_parts(ref, s, v.hi, v.lo);
    return v;
}

RefValue<double> evaluate(const Reference& ref, double x, double y, bool) {
    Scratch& s = scratch();
    mpfr_set_d(s.x, x, MPFR_RNDN);
    mpfr_set_d(s.y, y, MPFR_RNDN);
    RefValue<double> v;
    v.cr = correctly_rounded(ref, s.rounded53, s.x, s.y, -1073, 1024);
    exact_parts(ref, s, v.hi, v.lo);
    return v;
}

}  // namespace tvml_ulp
