// Logarithm family: per-lane ln, log10 and log1p for the four lane shapes.
//
// Float: the mantissa is reduced to m in [2/3, 4/3) straight from the bit
// pattern (x = 2^k m) and ln m = ln(1 + f) is one degree-8 polynomial.
// Double: the reduced argument z in [0.6875, 1.375) selects one of 128
// records {1/c, ln c} of __v_log_data, r = z/c - 1 is small and ln(1 + r)
// a short polynomial.
//
// Layers, each reusable on its own:
// - the cores (ln_core, log1p_core, float and double) are the branch-free
//   reductions for arguments inside the domain; the power kernels call
//   ln_core on |x| and handle their special operands themselves;
// - the lanes (ln_lanes, log10_lanes, log1p_lanes) add the IEEE results
//   outside the domain (zeros, negatives, NaN, infinities, subnormals, and
//   for doubles the arguments so close to 1 or 0 that the table's absolute
//   error would show), in a fix-up (ln_special_lanes, log1p_special_lanes)
//   that runs only when some lane needs it.
//
// Compile only with -mavx2 -mfma.
#pragma once

#include <cstdint>
#include <limits>
#include <type_traits>

#include "log_data.hpp"
#include "simd.hpp"

namespace tvml {
namespace avx2 {

// ---- Constants: one struct per function and precision, as bit patterns. ----

template <class T>
struct LnConstants;
template <class T>
struct Log10Constants;
template <class T>
struct Log1pConstants;

// Float ln: x = 2^k m with m in [2/3, 4/3), ln m by a polynomial in f = m - 1.
template <>
struct LnConstants<float> {
    static constexpr uint32_t _pi32_256_log_brk_value = 0x3F2AAAAB;  // 2/3 rounded up
    static constexpr uint32_t _pi32_256_mant_mask = 0x007FFFFF;      // mantissa field
    static constexpr uint32_t _ps256_neg1 = 0xBF800000;              // -1
    // ln(1 + f) = f + f^2 (poly1 + poly2 f + ... + poly7 f^6)
    static constexpr uint32_t _pi32_256_log_poly1 = 0xBF000000;  // -0.5
    static constexpr uint32_t _pi32_256_log_poly2 = 0x3EAAAEE7;  // 0.33336565
    static constexpr uint32_t _pi32_256_log_poly3 = 0xBE80061D;  // -0.25004664
    static constexpr uint32_t _pi32_256_log_poly4 = 0x3E4AFB81;  // 0.19822504
    static constexpr uint32_t _pi32_256_log_poly5 = 0xBE289358;  // -0.16462457
    static constexpr uint32_t _pi32_256_log_poly6 = 0x3E2DB86B;  // 0.16964881
    static constexpr uint32_t _pi32_256_log_poly7 = 0xBE1B6A22;  // -0.15177205
    static constexpr uint32_t _ps256_log_ln2 = 0x3F317218;       // 0.6931472, ln 2
};

// Float log10 = ln x times log10(e).
template <>
struct Log10Constants<float> {
    static constexpr uint32_t log10s_log10e = 0x3EDE5BD9;  // 0.4342945, log10(e)
};

// Float log1p: the float ln reduction on u = 1 + x plus the rounding error
// of u scaled by 2^-k.
template <>
struct Log1pConstants<float> {
    static constexpr uint32_t one_bits = 0x3F800000;  // 1; minus k << 23: the bits of 2^-k
    // From here on 1 + x rounds to x and k reaches 128, where 2^-k has no
    // float bit pattern: such lanes take ln x instead.
    static constexpr uint32_t ln_only_from = 0x7F2AAAAB;  // about 2.2685e38
};

// Double ln: table reduction of z = x / 2^k in [0.6875, 1.375).
template <>
struct LnConstants<double> {
    static constexpr uint64_t ln_OFF = 0x3FE6000000000000;        // 0.6875, lower end of z
    static constexpr uint64_t ln_7f = 0x7F;                       // record index, bits 45 to 51
    static constexpr uint64_t ln_fff = 0xFFF0000000000000;        // sign and exponent fields
    static constexpr uint64_t ln_neg1 = 0xBFF0000000000000;       // -1
    static constexpr uint64_t min_norm_pos = 0x0010000000000000;  // 2^-1022, smallest normal
    // ln(1 + r) = r + r^2 ((v0 + v1 r) + r^2 ((v2 + v3 r) + r^2 v4))
    static constexpr uint64_t ln_v0 = 0xBFE0000000000001;   // -0.5000000000000001
    static constexpr uint64_t ln_v1 = 0x3FD555555551305B;   // 0.33333333331825593
    static constexpr uint64_t ln_v2 = 0xBFCFFFFFFFEB4590;   // -0.2499999999622955
    static constexpr uint64_t ln_v3 = 0x3FC999B324F10111;   // 0.20000304511814496
    static constexpr uint64_t ln_v4 = 0xBFC55575E506C89F;   // -0.16667054827627667
    static constexpr uint64_t ln_ln2 = 0x3FE62E42FEFA39EF;  // 0.6931471805599453, ln 2
    static constexpr uint64_t one_bits = 0x3FF0000000000000;  // 1
    // |x - 1| below this: ln x = r + r^2 p(r) with r = x - 1 exact, no table
    // record, whose ln c carries an absolute error of about 1e-19.
    static constexpr uint64_t near_one = 0x3F70000000000000;  // 2^-8
};

// Double log10 = ln x times log10(e).
template <>
struct Log10Constants<double> {
    static constexpr uint64_t log10d_log10e = 0x3FDBCB7B1526E50E;  // 0.4342944819032518, log10(e)
};

// Double log1p: the table reduction of ln on u = 1 + x (log1pd_neg_off,
// log1pd_bit_mask, log1pd_exp_mask, log1pd_p2 ... log1pd_p6 and log1pd_ln2
// are the ln_ constants), with the rounding error of u folded into r.
template <>
struct Log1pConstants<double> {
    static constexpr uint64_t log1pd_1 = 0x3FF0000000000000;  // 1
    // |x| below this: log1p x = x + x^2 p(x), no table record (as ln near 1).
    static constexpr uint64_t near_zero = 0x3F70000000000000;  // 2^-8
};

// ---- Shared pieces. ----

template <class V>
using IfF32 = std::enable_if_t<std::is_same_v<typename V::Scalar, float>, int>;
template <class V>
using IfF64 = std::enable_if_t<std::is_same_v<typename V::Scalar, double>, int>;

// ln x = k ln 2 + y.
template <class V>
struct LogParts {
    V k;
    V y;
};

template <class V, IfF32<V> = 0>
inline V ln2_of() { return splat<V>(LnConstants<float>::_ps256_log_ln2); }
template <class V, IfF64<V> = 0>
inline V ln2_of() { return splat<V>(LnConstants<double>::ln_ln2); }

// Results at the domain edges of a logarithm with its pole at `pole` (0 for
// ln, -1 for log1p): the pole gives -inf, below it -- and NaN -- NaN, +inf
// gives +inf; other lanes keep r.
template <class V>
inline V log_domain_edges(V x, V pole, V r) {
    using T = typename V::Scalar;
    const V inf = set1<V>(std::numeric_limits<T>::infinity());
    r = select(eq(x, pole), -inf, r);
    r = select(lt(x, pole), set1<V>(std::numeric_limits<T>::quiet_NaN()), r);
    r = select(unord(x, x), x + x, r);
    return select(eq(x, inf), inf, r);
}

// ---- Float reduction. ----

// x = 2^k (1 + f) with 1 + f in [2/3, 4/3), from the bits of x alone; v is
// bits(x) - bits(2/3), whose exponent field holds k.
template <class V>
struct FloatSplit {
    typename Traits<V>::Int v;
    V k;
    V f;
};

template <class V, IfF32<V> = 0>
inline FloatSplit<V> ln_split(V x) {
    using I = typename Traits<V>::Int;
    using C = LnConstants<float>;
    const I brk = isplat<I>(C::_pi32_256_log_brk_value);
    const I v = to_bits(x) - brk;
    const V k = from_i32<V>(shift_right_arith<23>(v));
    const V m = from_bits((v & isplat<I>(C::_pi32_256_mant_mask)) + brk);
    return {v, k, m + splat<V>(C::_ps256_neg1)};
}

// ln(1 + f) for f in [-1/3, 1/3): f + f^2 P(f), P by Horner's rule.
template <class V, IfF32<V> = 0>
inline V ln_poly(V f) {
    using C = LnConstants<float>;
    V p = fma(f, splat<V>(C::_pi32_256_log_poly7), splat<V>(C::_pi32_256_log_poly6));
    p = fma(f, p, splat<V>(C::_pi32_256_log_poly5));
    p = fma(f, p, splat<V>(C::_pi32_256_log_poly4));
    p = fma(f, p, splat<V>(C::_pi32_256_log_poly3));
    p = fma(f, p, splat<V>(C::_pi32_256_log_poly2));
    p = fma(f, p, splat<V>(C::_pi32_256_log_poly1));
    const V t = f * p;
    return fma(f, t, f);
}

template <class V, IfF32<V> = 0>
inline LogParts<V> ln_parts(V x) {
    const FloatSplit<V> s = ln_split(x);
    return {s.k, ln_poly(s.f)};
}

// Float ln for positive normal finite x; other inputs give whatever the bit
// arithmetic yields.
template <class V, IfF32<V> = 0>
inline V ln_core(V x) {
    const LogParts<V> p = ln_parts(x);
    return fma(p.k, ln2_of<V>(), p.y);
}

// Float log1p for finite x in (-1, 2.2685e38); 1 + x is rounded, and its
// rounding error c, scaled like the mantissa, is added to f.
template <class V, IfF32<V> = 0>
inline V log1p_core(V x) {
    using I = typename Traits<V>::Int;
    const V one = set1<V>(1.0f);
    const V u = one + x;
    const V c = (max(one, x) - u) + min(one, x);
    const FloatSplit<V> s = ln_split(u);
    const V scale = from_bits(isplat<I>(Log1pConstants<float>::one_bits) -
                              andnot(isplat<I>(LnConstants<float>::_pi32_256_mant_mask), s.v));
    const V f = fma(c, scale, s.f);
    return fma(s.k, ln2_of<V>(), ln_poly(f));
}

// ---- Double reduction. ----

// x = 2^k z with z in [0.6875, 1.375) and the record serving z.
template <class V>
struct TableSplit {
    typename Traits<V>::Int tmp;  // bits(x) - bits(0.6875): k in its exponent field
    V k;
    V z;
    V inv_centre;
    V ln_centre;
};

template <class V, IfF64<V> = 0>
inline TableSplit<V> ln_split(V x) {
    using I = typename Traits<V>::Int;
    using C = LnConstants<double>;
    const I tmp = to_bits(x) - isplat<I>(C::ln_OFF);
    const I index = shift_right_logical<45>(tmp) & isplat<I>(C::ln_7f);
    const V k = from_i32<V>(shift_right_arith<20>(high_words(tmp)));
    const V z = from_bits(to_bits(x) - (tmp & isplat<I>(C::ln_fff)));
    const RecordPair<V> record = gather_records(reinterpret_cast<const double*>(__v_log_data), index);
    return {tmp, k, z, record.first, record.second};
}

// hi + r^2 p(r), where ln(1 + r) = r + r^2 p(r) for |r| up to about 2^-8.
template <class V, IfF64<V> = 0>
inline V ln_poly_add(V r, V hi) {
    using C = LnConstants<double>;
    const V r2 = r * r;
    const V low = fma(splat<V>(C::ln_v1), r, splat<V>(C::ln_v0));
    const V high = fma(r2, splat<V>(C::ln_v4), fma(splat<V>(C::ln_v3), r, splat<V>(C::ln_v2)));
    const V p = fma(r2, high, low);
    return fma(p, r2, hi);
}

// ln z = ln c + ln(1 + r), r = z/c - 1 (one rounding).
template <class V, IfF64<V> = 0>
inline V ln_table(const TableSplit<V>& s, V r) {
    return ln_poly_add(r, s.ln_centre + r);
}

template <class V, IfF64<V> = 0>
inline LogParts<V> ln_parts(V x) {
    const TableSplit<V> s = ln_split(x);
    const V r = fma(s.z, s.inv_centre, splat<V>(LnConstants<double>::ln_neg1));
    return {s.k, ln_table(s, r)};
}

// Double ln, branch-free: NaN, zero, negative and subnormal lanes are
// clamped to the smallest normal (giving about -708.396), +inf gives a
// finite value, and x = 1 gives exactly +0.
template <class V, IfF64<V> = 0>
inline V ln_core(V x) {
    using I = typename Traits<V>::Int;
    using C = LnConstants<double>;
    const V clamped = max(x, splat<V>(C::min_norm_pos));  // NaN lanes take the second operand
    const LogParts<V> p = ln_parts(clamped);
    const V y = fma(p.k, ln2_of<V>(), p.y);
    const I is_one = eq(to_bits(x), isplat<I>(C::one_bits));
    return andnot(from_bits(is_one), y);
}

// Double log1p for finite x in (-1, inf); a zero returns itself.  For
// |x| < 1 the rounding error of u = 1 + x, scaled by 2^-k, enters r.
template <class V, IfF64<V> = 0>
inline V log1p_core(V x) {
    using I = typename Traits<V>::Int;
    using C = LnConstants<double>;
    const V one = splat<V>(Log1pConstants<double>::log1pd_1);
    const V is_zero = eq(x, zero<V>());
    const V sign = x & set1<V>(-0.0);
    const V small = lt(abs(x), one);
    const V u = x + one;
    const TableSplit<V> s = ln_split(u);
    V r = fma(s.z, s.inv_centre, splat<V>(C::ln_neg1));
    const V c = (one - u) + x;
    const V scale = from_bits(isplat<I>(C::one_bits) - (s.tmp & isplat<I>(C::ln_fff)));
    r = select(small, fma(c * scale, s.inv_centre, r), r);
    const V y = fma(s.k, ln2_of<V>(), ln_table(s, r));
    return andnot(is_zero, y) | sign;
}

// ---- Lanes with IEEE results everywhere. ----

// Lanes the core gets right: positive normal finite x, and for doubles not
// within 2^-8 of 1.
template <class V>
inline V ln_in_core_range(V x) {
    using T = typename V::Scalar;
    const V ok = ge(x, set1<V>(std::numeric_limits<T>::min())) &
                 lt(x, set1<V>(std::numeric_limits<T>::infinity()));
    if constexpr (std::is_same_v<T, double>)
        return andnot(lt(abs(x - set1<V>(1.0)), splat<V>(LnConstants<double>::near_one)), ok);
    else
        return ok;
}

// ln of the lanes outside the core's range; the others keep y.  Subnormals
// are scaled into the normal range and their exponent corrected.
template <class V>
TVML_COLD V ln_special_lanes(V x, V y) {
    using T = typename V::Scalar;
    constexpr int shift = Traits<V>::mantissa_bits;
    const LogParts<V> scaled = ln_parts(x * set1<V>(T(int64_t(1) << shift)));
    const V subnormal = fma(scaled.k - set1<V>(T(shift)), ln2_of<V>(), scaled.y);
    V r = select(lt(x, set1<V>(std::numeric_limits<T>::min())), subnormal, y);
    if constexpr (std::is_same_v<T, double>) {
        const V d = x - set1<V>(1.0);  // exact near 1
        r = select(lt(abs(d), splat<V>(LnConstants<double>::near_one)), ln_poly_add(d, d), r);
    }
    return log_domain_edges(x, zero<V>(), r);
}

// ln of the lanes inside ln_in_core_range, whatever the others give: for
// doubles ln_core without its clamp and its exact zero at 1, which only
// lanes outside that range need (ln_special_lanes replaces all of them).
template <class V, IfF32<V> = 0>
inline V ln_in_range(V x) { return ln_core(x); }
template <class V, IfF64<V> = 0>
inline V ln_in_range(V x) {
    const LogParts<V> p = ln_parts(x);
    return fma(p.k, ln2_of<V>(), p.y);
}

// Natural logarithm, IEEE results for every input.
template <class V>
inline V ln_lanes(V x) {
    const V y = ln_in_range(x);
    if (TVML_UNLIKELY(!all(ln_in_core_range(x)))) return ln_special_lanes(x, y);
    return y;
}

template <class V, IfF32<V> = 0>
inline V log10_lanes(V x) { return ln_lanes(x) * splat<V>(Log10Constants<float>::log10s_log10e); }
template <class V, IfF64<V> = 0>
inline V log10_lanes(V x) { return ln_lanes(x) * splat<V>(Log10Constants<double>::log10d_log10e); }

// Float log1p outside (-1, 2.2685e38) and at the signed zeros.
template <class V, IfF32<V> = 0>
TVML_COLD V log1p_special_lanes(V x, V y) {
    V r = select(ge(x, splat<V>(Log1pConstants<float>::ln_only_from)), ln_core(x), y);
    r = select(eq(x, zero<V>()), x, r);
    return log_domain_edges(x, set1<V>(-1.0f), r);
}

// Double log1p outside (-1, inf) and for |x| < 2^-8.
template <class V, IfF64<V> = 0>
TVML_COLD V log1p_special_lanes(V x, V y) {
    const V r = select(lt(abs(x), splat<V>(Log1pConstants<double>::near_zero)), ln_poly_add(x, x), y);
    return log_domain_edges(x, set1<V>(-1.0), r);
}

template <class V, IfF32<V> = 0>
inline V log1p_in_core_range(V x) {
    return andnot(eq(x, zero<V>()), gt(x, set1<V>(-1.0f)) & lt(x, splat<V>(Log1pConstants<float>::ln_only_from)));
}
template <class V, IfF64<V> = 0>
inline V log1p_in_core_range(V x) {
    return ge(abs(x), splat<V>(Log1pConstants<double>::near_zero)) & gt(x, set1<V>(-1.0)) &
           lt(x, set1<V>(std::numeric_limits<double>::infinity()));
}

// ln(1 + x), IEEE results for every input.
template <class V>
inline V log1p_lanes(V x) {
    const V y = log1p_core(x);
    if (TVML_UNLIKELY(!all(log1p_in_core_range(x)))) return log1p_special_lanes(x, y);
    return y;
}

}  // namespace avx2
}  // namespace tvml
