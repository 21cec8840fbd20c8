// Random-number states and generators.
//
// Two kinds of generator over 32-bit linear congruential steps
// X <- a X + c (mod 2^32) with the base pair A = 1664525, C = 1013904223:
//
//   portable (VSIP_PRNG)      every cooperating sequence id starts at its
//                             own jump-ahead point of the base sequence and
//                             is combined with a second generator
//                             (69069, odd prime of the id), so sequences are
//                             the same on every platform.
//   non-portable (VSIP_NPRNG) one base sequence leapfrogged among numseqs
//                             users: state id starts id steps in and steps
//                             numseqs base steps at a time.
//
// Every value is a function of 32-bit integer state only: uniform numbers
// are an integer times a power of two (an exact product), normal numbers
// sums of uniform numbers in a fixed order, so sequences are bit for bit
// reproducible.
#include <cstdint>

#include "common/walk.hpp"

namespace {

constexpr std::uint32_t kA = 1664525u;
constexpr std::uint32_t kC = 1013904223u;
constexpr std::uint32_t kA1 = 69069u;
constexpr std::uint32_t kPortableIds = 100;

// The first 100 odd primes: increment of the second generator of id 1..100.
constexpr std::uint32_t kOddPrimes[kPortableIds] = {
    3,   5,   7,   11,  13,  17,  19,  23,  29,  31,  37,  41,  43,  47,  53,  59,  61,
    67,  71,  73,  79,  83,  89,  97,  101, 103, 107, 109, 113, 127, 131, 137, 139, 149,
    151, 157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239,
    241, 251, 257, 263, 269, 271, 277, 281, 283, 293, 307, 311, 313, 317, 331, 337, 347,
    349, 353, 359, 367, 373, 379, 383, 389, 397, 401, 409, 419, 421, 431, 433, 439, 443,
    449, 457, 461, 463, 467, 479, 487, 491, 499, 503, 509, 521, 523, 541, 547};

// One step x -> a x + c, and its k-th power: (a^k, c (1 + a + ... + a^(k-1))).
struct affine {
    std::uint32_t a;
    std::uint32_t c;
    std::uint32_t operator()(std::uint32_t x) const { return a * x + c; }
};

// Jump-ahead over the bits of k, lowest first: the step applied 2^b times
// is (a^(2^b), c (a + 1) (a^2 + 1) ... ), and the powers of the bits set in
// k are composed.  Every product wraps modulo 2^32.
affine power(affine step, std::uint32_t k) {
    affine total{1u, 0u};
    for (; k != 0; k >>= 1) {
        if (k & 1u)
            total = {step.a * total.a, step.a * total.c + step.c};
        step = {step.a * step.a, step.c * (step.a + 1u)};
    }
    return total;
}

constexpr float kScale24 = 0x1p-24f;
constexpr float kScale32 = 0x1p-32f;

} // namespace

// Field order is part of the data model (see the creation arithmetic).
struct vsip_randstate {
    std::uint32_t id;
    std::uint32_t a;  // main generator: X <- a X + c
    std::uint32_t c;
    std::uint32_t a1; // second generator (portable kind): X1 <- a1 X1 + c1
    std::uint32_t c1;
    std::uint32_t X;
    std::uint32_t X1;
    std::uint32_t X2; // collision value of the second generator
    std::uint32_t numseqs;
    double scale32;   // 2^-32
    float scale24;    // 2^-24
    std::int32_t portable; // VSIP_PRNG or VSIP_NPRNG
};

namespace {

bool is_portable(const vsip_randstate *s) { return s->portable != VSIP_NPRNG; }

// One uniform number as an integer u and its scale: the value is u * scale,
// exactly, in (0, 1) for the portable kind and [0, 1] for the other.
struct draw {
    float u;
    float scale;
    float value() const { return u * scale; }
};

draw next(vsip_randstate *s) {
    s->X = s->a * s->X + s->c;
    if (!is_portable(s))
        return {static_cast<float>(s->X), kScale32};
    s->X1 = s->a1 * s->X1 + s->c1;
    if (s->X1 == s->X2) {
        s->X1 += 1u;
        s->X2 = s->X1;
    }
    return {static_cast<float>(((s->X - s->X1) >> 8) | 1u), kScale24};
}

// Sum of n uniform numbers in draw order, each added in one fused
// multiply-add (the product is exact, so each step is one rounded sum).
float sum_of(vsip_randstate *s, int n) {
    float sum = 0.0f;
    for (int k = 0; k < n; ++k) {
        const draw d = next(s);
        sum = __builtin_fmaf(d.u, d.scale, sum);
    }
    return sum;
}

// Twelve uniforms centred: variance 1.
float normal(vsip_randstate *s) {
    const float sum = sum_of(s, 12);
    return is_portable(s) ? 6.0f - sum : sum - 6.0f;
}

// Two sums of three uniforms t1 = (u2 + u1) + u3, t2 = (u5 + u4) + u6:
// (3 - t2) - t1 and t1 - t2, each of variance 1/2.
vsip_cscalar_f complex_normal(vsip_randstate *s) {
    auto three = [s] {
        const draw first = next(s);
        const draw second = next(s);
        float t = __builtin_fmaf(first.u, first.scale, second.value());
        const draw third = next(s);
        return __builtin_fmaf(third.u, third.scale, t);
    };
    const float t1 = three();
    const float t2 = three();
    return {(3.0f - t2) - t1, t1 - t2};
}

} // namespace

extern "C" {

// Refused (null): numseqs 0, and a portable id outside 1..100, judged on
// the stored 32-bit values.  Every kind other than VSIP_NPRNG is portable.
VSIP_API vsip_randstate *vsip_randcreate(vsip_index seed, vsip_index numseqs, vsip_index id,
                                         vsip_rng portable) {
    const std::uint32_t n = static_cast<std::uint32_t>(numseqs);
    const std::uint32_t sid = static_cast<std::uint32_t>(id);
    const bool nonportable = static_cast<std::int32_t>(portable) == VSIP_NPRNG;
    if (n == 0 || (!nonportable && (sid == 0 || sid > kPortableIds)))
        return nullptr;
    auto *s = static_cast<vsip_randstate *>(VI_malloc(sizeof(vsip_randstate)));
    if (!s)
        return nullptr;
    const affine base{kA, kC};
    const std::uint32_t x0 = static_cast<std::uint32_t>(seed);
    // The second generator is set up for both kinds; only the portable
    // kind steps it.
    const std::uint32_t c1 = sid >= 1 && sid <= kPortableIds ? kOddPrimes[sid - 1u] : 0u;
    *s = vsip_randstate{sid, kA, kC, kA1, c1, 0u, 1u, 1u, n, 0x1p-32, kScale24,
                        nonportable ? VSIP_NPRNG : VSIP_PRNG};
    if (nonportable) {
        // Start id steps in; one step of (a, c) is numseqs base steps.
        s->X = power(base, sid)(x0);
        const affine leap = power(base, n);
        s->a = leap.a;
        s->c = leap.c;
    } else {
        // Start (2^32 - 1) / numseqs x (id - 1) base steps in (mod 2^32).
        s->X = power(base, (0xFFFFFFFFu / n) * (sid - 1u))(x0);
    }
    return s;
}

VSIP_API int vsip_randdestroy(vsip_randstate *state) {
    VI_free(state);
    return 0;
}

VSIP_API vsip_scalar_f vsip_randu_f(vsip_randstate *state) { return next(state).value(); }

VSIP_API vsip_cscalar_f vsip_crandu_f(vsip_randstate *state) {
    const float re = next(state).value();
    const float im = next(state).value();
    return vsip_cmplx_f(re, im);
}

VSIP_API vsip_scalar_f vsip_randn_f(vsip_randstate *state) { return normal(state); }

VSIP_API vsip_cscalar_f vsip_crandn_f(vsip_randstate *state) {
    const vsip_cscalar_f z = complex_normal(state);
    return vsip_cmplx_f(z.r, z.i);
}

VSIP_API void vsip_vrandu_f(vsip_randstate *state, const vsip_vview_f *r) {
    const auto out = vi::line(vi::walk(r));
    const vi::idx n = static_cast<vi::idx>(r->length);
    for (vi::idx i = 0; i < n; ++i)
        out.put(i, next(state).value());
}

VSIP_API void vsip_cvrandn_f(vsip_randstate *state, const vsip_cvview_f *r) {
    const auto out = vi::line(vi::walk(r));
    const vi::idx n = static_cast<vi::idx>(r->length);
    for (vi::idx i = 0; i < n; ++i)
        out.put(i, complex_normal(state));
}

} // extern "C"
