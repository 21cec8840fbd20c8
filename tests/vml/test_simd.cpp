// SIMD layer against scalar code, on all four lane shapes. Compiled with
// -mavx2 -mfma; the checks are only listed here and are registered and gated
// by simd_gate.cpp, which is compiled for baseline x86-64.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "simd.hpp"
#include "simd_gate.hpp"
#include "test_support.hpp"

namespace {

using namespace tvml::avx2;

template <class T>
using Bits = tvml_test::BitsOf<T>;
using tvml_test::bits_of;
using tvml_test::from_bits;

// Equal bit patterns, or both NaN (which NaN an operation returns is not fixed
// by C for scalars, so arithmetic checks only ask for some NaN).
template <class T>
bool same(T a, T b) {
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(a) && std::isnan(b)) return true;
        return bits_of(a) == bits_of(b);
    } else {
        return a == b;
    }
}

template <class T>
std::string show(T x) {
    char buf[64];
    if constexpr (std::is_floating_point_v<T>)
        std::snprintf(buf, sizeof buf, "%a [0x%llx]", double(x), (unsigned long long)bits_of(x));
    else
        std::snprintf(buf, sizeof buf, "%lld", (long long)x);
    return buf;
}

template <class T>
T qnan() { return std::numeric_limits<T>::quiet_NaN(); }
template <class T>
T inf() { return std::numeric_limits<T>::infinity(); }

// Inputs with every class of value: zeros, normals, extremes, subnormals,
// infinities and NaNs of both signs.
template <class T>
std::vector<T> special_values() {
    using L = std::numeric_limits<T>;
    return {T(0), T(-0.0), T(1), T(-1), T(0.5), T(-2.5), T(3), T(7.25), T(1e-3), T(-3.14159265358979),
            T(1e30), L::max(), -L::max(), L::min(), L::denorm_min(), -L::denorm_min(),
            inf<T>(), -inf<T>(), qnan<T>(), -qnan<T>()};
}

template <class V>
using ScalarOf = typename V::Scalar;

// Builds a vector from lane i of `values` starting at `first`, cyclically.
template <class V>
V window(const std::vector<ScalarOf<V>>& values, size_t first) {
    ScalarOf<V> lanes_in[V::lanes];
    for (int k = 0; k < V::lanes; ++k) lanes_in[k] = values[(first + k) % values.size()];
    return load<V>(lanes_in);
}

// Argument lists of an operation: Arity parallel lists of lane inputs.
template <class T, size_t Arity>
using Args = std::array<std::vector<T>, Arity>;

template <class V, size_t Arity, class Op, class Ref, size_t... A>
void check_lanes_impl(const char* what, const Args<ScalarOf<V>, Arity>& args, Op op, Ref ref,
                      std::index_sequence<A...>) {
    using T = ScalarOf<V>;
    constexpr int N = V::lanes;
    const size_t count = args[0].size();
    for (size_t i = 0; i < count; i += N) {
        T out[N];
        store(out, op(window<V>(args[A], i)...));
        for (int k = 0; k < N; ++k) {
            const size_t at = (i + k) % count;
            const T expect = ref(args[A][at]...);
            std::string in;
            ((in += show(args[A][at]) + " "), ...);
            EXPECT_TRUE(same(out[k], expect)) << what << "( " << in << ") lane " << k << ": got " << show(out[k])
                                              << ", want " << show(expect);
        }
    }
}

// Runs op on windows covering every input, comparing each lane with ref on
// that lane's inputs.
template <class V, size_t Arity, class Op, class Ref>
void check_lanes(const char* what, const Args<ScalarOf<V>, Arity>& args, Op op, Ref ref) {
    check_lanes_impl<V, Arity>(what, args, op, ref, std::make_index_sequence<Arity>{});
}

// All pairs (a, b) of the special values, as two parallel lists.
template <class T>
Args<T, 2> all_pairs() {
    const auto v = special_values<T>();
    Args<T, 2> ab;
    for (T a : v)
        for (T b : v) {
            ab[0].push_back(a);
            ab[1].push_back(b);
        }
    return ab;
}

// ---- Checks, each a template over the floating shape V. ----

template <class V>
void LoadStoreLanes() {
    using T = ScalarOf<V>;
    using Tr = Traits<V>;
    constexpr int N = V::lanes;
    static_assert(lanes<V> == N && Tr::lanes == N);
    static_assert(Tr::mantissa_bits == std::numeric_limits<T>::digits - 1);
    static_assert(Tr::exponent_bias == std::numeric_limits<T>::max_exponent - 1);
    static_assert(Tr::mantissa_bits + Tr::exponent_bits + 1 == 8 * sizeof(T));
    static_assert(sizeof(typename Tr::IntScalar) == sizeof(T) && Tr::Int::lanes == N);

    // Unaligned load and store: offset by one scalar from an aligned buffer.
    alignas(64) T in[N + 1], out[N + 1];
    for (int k = 0; k <= N; ++k) in[k] = T(k) * T(1.25) - T(3), out[k] = T(-99);
    const V v = load<V>(in + 1);
    store(out + 1, v);
    EXPECT_EQ(out[0], T(-99)) << "store wrote before its address";
    for (int k = 0; k < N; ++k) {
        EXPECT_EQ(out[k + 1], in[k + 1]);
        EXPECT_EQ(extract(v, k), in[k + 1]);
        EXPECT_EQ(extract(set1<V>(T(2.5)), k), T(2.5));
        EXPECT_TRUE(same(extract(zero<V>(), k), T(0)));
    }
    // insert changes exactly one lane.
    for (int lane = 0; lane < N; ++lane) {
        const V w = insert(v, lane, T(42));
        for (int k = 0; k < N; ++k) EXPECT_EQ(extract(w, k), k == lane ? T(42) : in[k + 1]) << "lane " << lane;
    }
    // The integer view loads and stores too.
    using IV = typename Tr::Int;
    using I = typename IV::Scalar;
    I ints[N + 1];
    for (int k = 0; k <= N; ++k) ints[k] = I(k * 1000 - 7);
    I back[N];
    store(back, load<IV>(ints + 1));
    for (int k = 0; k < N; ++k) EXPECT_EQ(back[k], ints[k + 1]);
    EXPECT_EQ(extract(set1<IV>(std::numeric_limits<I>::min()), N - 1), std::numeric_limits<I>::min());
    EXPECT_EQ(extract(zero<IV>(), 0), I(0));
}

template <class V>
void Arithmetic() {
    using T = ScalarOf<V>;
    const auto ab = all_pairs<T>();
    check_lanes<V>("add", ab, [](V a, V b) { return a + b; }, [](T a, T b) { return a + b; });
    check_lanes<V>("sub", ab, [](V a, V b) { return a - b; }, [](T a, T b) { return a - b; });
    check_lanes<V>("mul", ab, [](V a, V b) { return a * b; }, [](T a, T b) { return a * b; });
    check_lanes<V>("div", ab, [](V a, V b) { return a / b; }, [](T a, T b) { return a / b; });
    const Args<T, 1> x{special_values<T>()};
    check_lanes<V>("sqrt", x, [](V a) { return sqrt(a); }, [](T a) { return std::sqrt(a); });
}

// Negation and absolute value act on the sign bit only, NaNs included.
template <class V>
void SignBitOps() {
    using T = ScalarOf<V>;
    for (T x : special_values<T>()) {
        const V v = set1<V>(x);
        EXPECT_EQ(bits_of(extract(-v, 0)), bits_of(x) ^ bits_of(T(-0.0))) << "neg " << show(x);
        EXPECT_EQ(bits_of(extract(abs(v), 0)), bits_of(x) & ~bits_of(T(-0.0))) << "abs " << show(x);
        EXPECT_EQ(bits_of(extract(abs(v), 0)), bits_of(std::fabs(x))) << "abs " << show(x);
    }
}

template <class V>
void FusedMultiplyAdd() {
    using T = ScalarOf<V>;
    const auto v = special_values<T>();
    Args<T, 3> abc;
    for (T a : v)
        for (T b : {T(3), T(-0.75), T(1e-3), inf<T>(), T(0)})
            for (T c : v) abc[0].push_back(a), abc[1].push_back(b), abc[2].push_back(c);
    check_lanes<V>("fma", abc, [](V a, V b, V c) { return fma(a, b, c); }, [](T a, T b, T c) { return std::fma(a, b, c); });
    check_lanes<V>("fms", abc, [](V a, V b, V c) { return fms(a, b, c); }, [](T a, T b, T c) { return std::fma(a, b, -c); });
    check_lanes<V>("fnma", abc, [](V a, V b, V c) { return fnma(a, b, c); }, [](T a, T b, T c) { return std::fma(-a, b, c); });
    check_lanes<V>("fnms", abc, [](V a, V b, V c) { return fnms(a, b, c); }, [](T a, T b, T c) { return std::fma(-a, b, -c); });

    // One rounding: with a = 1 + e, a * a = 1 + 2e + e^2 rounds to 1 + 2e on
    // its own, so only the fused form keeps the e^2 term.
    const T e = std::is_same_v<T, float> ? T(0x1p-12) : T(0x1p-27);
    const V a = set1<V>(T(1) + e), one = set1<V>(T(1));
    const T exact = T(2) * e + e * e;
    EXPECT_EQ(extract(a * a - one, 0), T(2) * e) << "unfused reference should lose e^2";
    EXPECT_EQ(extract(fma(a, a, -one), 0), exact);
    EXPECT_EQ(extract(fms(a, a, one), 0), exact);
    EXPECT_EQ(extract(fnma(a, a, one), 0), -exact);
    EXPECT_EQ(extract(fnms(a, a, -one), 0), -exact);
}

// min/max return the second operand when either is NaN or both are zero.
template <class V>
void MinMaxNanRule() {
    using T = ScalarOf<V>;
    const T nan_a = from_bits<T>(bits_of(qnan<T>()) | 1);                   // +NaN, payload 1
    const T nan_b = from_bits<T>(bits_of(-qnan<T>()) | 2);                  // -NaN, payload 2
    const T tiny = std::numeric_limits<T>::denorm_min();
    struct Case { T a, b, min, max; };
    const Case cases[] = {
        {1, 2, 1, 2},
        {2, 1, 1, 2},
        {-1, -2, -2, -1},
        {nan_a, 1, 1, 1},
        {1, nan_a, nan_a, nan_a},
        {nan_a, nan_b, nan_b, nan_b},
        {nan_b, nan_a, nan_a, nan_a},
        {inf<T>(), nan_b, nan_b, nan_b},
        {nan_b, -inf<T>(), -inf<T>(), -inf<T>()},
        {T(0), T(-0.0), T(-0.0), T(-0.0)},
        {T(-0.0), T(0), T(0), T(0)},
        {-inf<T>(), inf<T>(), -inf<T>(), inf<T>()},
        {tiny, T(-0.0), T(-0.0), tiny},
        {-tiny, T(0), -tiny, T(0)},
    };
    Args<T, 2> ab;
    for (const Case& c : cases) ab[0].push_back(c.a), ab[1].push_back(c.b);
    for (size_t i = 0; i < ab[0].size(); i += V::lanes) {
        const V a = window<V>(ab[0], i), b = window<V>(ab[1], i);
        for (int k = 0; k < V::lanes; ++k) {
            const Case& c = cases[(i + k) % ab[0].size()];
            EXPECT_EQ(bits_of(extract(min(a, b), k)), bits_of(c.min)) << "min(" << show(c.a) << ", " << show(c.b) << ")";
            EXPECT_EQ(bits_of(extract(max(a, b), k)), bits_of(c.max)) << "max(" << show(c.a) << ", " << show(c.b) << ")";
        }
    }
    // The same rule over every pair of special values.
    check_lanes<V>("min", all_pairs<T>(), [](V a, V b) { return min(a, b); }, [](T a, T b) { return a < b ? a : b; });
    check_lanes<V>("max", all_pairs<T>(), [](V a, V b) { return max(a, b); }, [](T a, T b) { return a > b ? a : b; });
}

// A mask lane is all ones exactly when the scalar predicate holds.
template <class V>
void CompareMasks() {
    using T = ScalarOf<V>;
    using I = typename Traits<V>::IntScalar;
    const auto ab = all_pairs<T>();
    auto as_mask = [](bool b) { return from_bits<T>(b ? ~Bits<T>(0) : Bits<T>(0)); };
    auto check = [&](const char* what, auto vec_cmp, auto ref) {
        check_lanes<V>(what, ab, vec_cmp, [&](T a, T b) { return as_mask(ref(a, b)); });
    };
    check("lt", [](V a, V b) { return lt(a, b); }, [](T a, T b) { return a < b; });
    check("le", [](V a, V b) { return le(a, b); }, [](T a, T b) { return a <= b; });
    check("gt", [](V a, V b) { return gt(a, b); }, [](T a, T b) { return a > b; });
    check("ge", [](V a, V b) { return ge(a, b); }, [](T a, T b) { return a >= b; });
    check("eq", [](V a, V b) { return eq(a, b); }, [](T a, T b) { return a == b; });
    check("neq", [](V a, V b) { return neq(a, b); }, [](T a, T b) { return a != b; });
    check("ord", [](V a, V b) { return ord(a, b); }, [](T a, T b) { return !std::isnan(a) && !std::isnan(b); });
    check("unord", [](V a, V b) { return unord(a, b); }, [](T a, T b) { return std::isnan(a) || std::isnan(b); });
    check("cmp<NLT_UQ>", [](V a, V b) { return cmp<_CMP_NLT_UQ>(a, b); }, [](T a, T b) { return !(a < b); });
    // Masks read through the integer view are -1 or 0.
    const V m = lt(set1<V>(T(1)), set1<V>(T(2)));
    EXPECT_EQ(extract(to_bits(m), 0), I(-1));
    EXPECT_EQ(extract(to_bits(gt(set1<V>(T(1)), set1<V>(T(2)))), 0), I(0));
}

// Every lane pattern, each single-lane mask among them: movemask, any, all,
// none, and select on the floating and the integer vectors.
template <class V>
void MaskTestsAndSelect() {
    using T = ScalarOf<V>;
    using IV = typename Traits<V>::Int;
    using I = typename IV::Scalar;
    constexpr int N = V::lanes;
    T t[N], f[N];
    I ti[N], fi[N];
    for (int k = 0; k < N; ++k) t[k] = T(k + 1), f[k] = T(-(k + 1)), ti[k] = I(100 + k), fi[k] = I(-100 - k);
    for (int pattern = 0; pattern < (1 << N); ++pattern) {
        I lanes_in[N];
        for (int k = 0; k < N; ++k) lanes_in[k] = (pattern >> k) & 1 ? I(-1) : I(0);
        const IV imask = load<IV>(lanes_in);
        const V mask = from_bits(imask);
        const bool single = pattern != 0 && (pattern & (pattern - 1)) == 0;
        SCOPED_TRACE("pattern " + std::to_string(pattern) + (single ? " (single lane)" : ""));
        EXPECT_EQ(movemask(mask), pattern);
        EXPECT_EQ(movemask(imask), pattern);
        EXPECT_EQ(any(mask), pattern != 0);
        EXPECT_EQ(all(mask), pattern == (1 << N) - 1);
        EXPECT_EQ(none(mask), pattern == 0);
        EXPECT_EQ(any(imask), pattern != 0);
        EXPECT_EQ(all(imask), pattern == (1 << N) - 1);
        const V s = select(mask, load<V>(t), load<V>(f));
        const IV si = select(imask, load<IV>(ti), load<IV>(fi));
        for (int k = 0; k < N; ++k) {
            const bool on = (pattern >> k) & 1;
            EXPECT_EQ(extract(s, k), on ? t[k] : f[k]) << "lane " << k;
            EXPECT_EQ(extract(si, k), on ? ti[k] : fi[k]) << "lane " << k;
        }
    }
    // Only the sign bit of a mask lane counts for movemask and any.
    EXPECT_EQ(movemask(set1<V>(T(-0.0))), (1 << N) - 1);
    EXPECT_FALSE(any(set1<V>(qnan<T>())));
}

// Reinterpret casts keep bits; bit operations match scalar ones on the bits.
template <class V>
void BitOpsAndCasts() {
    using T = ScalarOf<V>;
    using IV = typename Traits<V>::Int;
    using I = typename IV::Scalar;
    const auto ab = all_pairs<T>();
    auto bitwise = [](auto op) {
        return [op](T a, T b) { return from_bits<T>(op(bits_of(a), bits_of(b))); };
    };
    check_lanes<V>("and", ab, [](V a, V b) { return a & b; }, bitwise([](Bits<T> a, Bits<T> b) { return a & b; }));
    check_lanes<V>("or", ab, [](V a, V b) { return a | b; }, bitwise([](Bits<T> a, Bits<T> b) { return a | b; }));
    check_lanes<V>("xor", ab, [](V a, V b) { return a ^ b; }, bitwise([](Bits<T> a, Bits<T> b) { return a ^ b; }));
    check_lanes<V>("andnot", ab, [](V a, V b) { return andnot(a, b); },
                   bitwise([](Bits<T> a, Bits<T> b) { return Bits<T>(~a & b); }));
    // Same operations on the integer view, through the casts both ways.
    check_lanes<V>("int and", ab, [](V a, V b) { return from_bits(to_bits(a) & to_bits(b)); },
                   bitwise([](Bits<T> a, Bits<T> b) { return a & b; }));
    check_lanes<V>("int or", ab, [](V a, V b) { return from_bits(to_bits(a) | to_bits(b)); },
                   bitwise([](Bits<T> a, Bits<T> b) { return a | b; }));
    check_lanes<V>("int xor", ab, [](V a, V b) { return from_bits(to_bits(a) ^ to_bits(b)); },
                   bitwise([](Bits<T> a, Bits<T> b) { return a ^ b; }));
    check_lanes<V>("int andnot", ab, [](V a, V b) { return from_bits(andnot(to_bits(a), to_bits(b))); },
                   bitwise([](Bits<T> a, Bits<T> b) { return Bits<T>(~a & b); }));
    for (T x : special_values<T>()) EXPECT_EQ(Bits<T>(extract(to_bits(set1<V>(x)), 0)), bits_of(x)) << show(x);
    EXPECT_EQ(bits_of(extract(from_bits(set1<IV>(I(bits_of(T(1.5))))), 0)), bits_of(T(1.5)));
}

template <class T>
std::vector<T> int_values() {
    using L = std::numeric_limits<T>;
    return {T(0), T(1), T(-1), T(2), T(-2), L::max(), L::min(), T(L::max() - 1), T(L::min() + 1),
            T(0x12345678), T(-0x0F0F0F0F), T(1) << (8 * sizeof(T) - 2), T(77), T(-77)};
}

// Integer views: wrapping add/sub, signed compares, as scalar code on int lanes.
template <class V>
void IntegerArithmetic() {
    using IV = typename Traits<V>::Int;
    using I = typename IV::Scalar;
    using U = std::make_unsigned_t<I>;
    const auto v = int_values<I>();
    Args<I, 2> ab;
    for (I a : v)
        for (I b : v) ab[0].push_back(a), ab[1].push_back(b);
    auto mask = [](bool b) { return b ? I(-1) : I(0); };
    check_lanes<IV>("add", ab, [](IV a, IV b) { return a + b; }, [](I a, I b) { return I(U(a) + U(b)); });
    check_lanes<IV>("sub", ab, [](IV a, IV b) { return a - b; }, [](I a, I b) { return I(U(a) - U(b)); });
    check_lanes<IV>("eq", ab, [](IV a, IV b) { return eq(a, b); }, [&](I a, I b) { return mask(a == b); });
    check_lanes<IV>("gt", ab, [](IV a, IV b) { return gt(a, b); }, [&](I a, I b) { return mask(a > b); });
    check_lanes<IV>("lt", ab, [](IV a, IV b) { return lt(a, b); }, [&](I a, I b) { return mask(a < b); });
}

// x86 shift semantics: counts of at least the lane width give 0 (logical) or
// the sign fill (arithmetic); per-lane counts are read as unsigned.
template <class I>
I ref_shift_left(I x, uint64_t count) {
    using U = std::make_unsigned_t<I>;
    return count >= 8 * sizeof(I) ? I(0) : I(U(x) << count);
}
template <class I>
I ref_shift_right_logical(I x, uint64_t count) {
    using U = std::make_unsigned_t<I>;
    return count >= 8 * sizeof(I) ? I(0) : I(U(x) >> count);
}
template <class I>
I ref_shift_right_arith(I x, uint64_t count) {
    return count >= 8 * sizeof(I) ? I(x < 0 ? -1 : 0) : I(x >> count);
}

template <class IV, int Count>
void check_shift_by_constant() {
    using I = typename IV::Scalar;
    const Args<I, 1> x{int_values<I>()};
    const std::string k = " by " + std::to_string(Count);
    check_lanes<IV>(("shift_left" + k).c_str(), x, [](IV a) { return shift_left<Count>(a); },
                    [](I a) { return ref_shift_left(a, Count); });
    check_lanes<IV>(("shift_right_logical" + k).c_str(), x, [](IV a) { return shift_right_logical<Count>(a); },
                    [](I a) { return ref_shift_right_logical(a, Count); });
    if constexpr (sizeof(I) == 4)
        check_lanes<IV>(("shift_right_arith" + k).c_str(), x, [](IV a) { return shift_right_arith<Count>(a); },
                        [](I a) { return ref_shift_right_arith(a, Count); });
}

template <class IV, int... Counts>
void check_shifts_by_constants() {
    (check_shift_by_constant<IV, Counts>(), ...);
}

template <class V>
void IntegerShifts() {
    using IV = typename Traits<V>::Int;
    using I = typename IV::Scalar;
    using U = std::make_unsigned_t<I>;
    constexpr int W = 8 * sizeof(I);
    check_shifts_by_constants<IV, 0, 1, 7, W / 2, W - 1, W>();

    // Per-lane counts, including the full width, beyond it and "negative".
    const auto v = int_values<I>();
    const I counts[] = {0, 1, 3, W / 2, W - 1, W, W + 1, 200, -1};
    Args<I, 2> xc;
    for (I x : v)
        for (I c : counts) xc[0].push_back(x), xc[1].push_back(c);
    check_lanes<IV>("shift_left(v)", xc, [](IV a, IV c) { return shift_left(a, c); },
                    [](I a, I c) { return ref_shift_left(a, U(c)); });
    check_lanes<IV>("shift_right_logical(v)", xc, [](IV a, IV c) { return shift_right_logical(a, c); },
                    [](I a, I c) { return ref_shift_right_logical(a, U(c)); });
    if constexpr (sizeof(I) == 4)
        check_lanes<IV>("shift_right_arith(v)", xc, [](IV a, IV c) { return shift_right_arith(a, c); },
                        [](I a, I c) { return ref_shift_right_arith(a, U(c)); });
    if constexpr (sizeof(I) == 4) {
        // High half of the signed product; pairs cover both signs and the extremes.
        Args<I, 2> ab;
        for (I x : v)
            for (I y : {I(0x55555556), I(-3), I(1), I(INT32_MAX), I(INT32_MIN), I(123457)}) ab[0].push_back(x), ab[1].push_back(y);
        check_lanes<IV>("mul_high", ab, [](IV a, IV b) { return mul_high(a, b); },
                        [](I a, I b) { return I((int64_t(a) * int64_t(b)) >> 32); });
    }
}

template <class V>
void Rounding() {
    using T = ScalarOf<V>;
    constexpr T big = T(1) / std::numeric_limits<T>::epsilon();  // 2^mantissa_bits: spacing 1 above
    std::vector<T> x{T(0.5), T(-0.5), T(1.5), T(-1.5), T(2.5), T(-2.5), T(0.3), T(-0.3), T(0.7), T(-0.7),
                     T(-1), T(7), big - T(0.5), -(big - T(0.5)), big + T(1), -big - T(3), T(0.49999997),
                     std::numeric_limits<T>::denorm_min(), -std::numeric_limits<T>::min()};
    for (T s : special_values<T>()) x.push_back(s);
    const Args<T, 1> in{x};
    check_lanes<V>("round_nearest", in, [](V a) { return round_nearest(a); }, [](T a) { return std::nearbyint(a); });
    check_lanes<V>("floor", in, [](V a) { return floor(a); }, [](T a) { return std::floor(a); });
    check_lanes<V>("ceil", in, [](V a) { return ceil(a); }, [](T a) { return std::ceil(a); });
    check_lanes<V>("trunc", in, [](V a) { return trunc(a); }, [](T a) { return std::trunc(a); });
    // Halfway cases go to even; negative values keep their sign through zero.
    EXPECT_EQ(extract(round_nearest(set1<V>(T(2.5))), 0), T(2));
    EXPECT_EQ(extract(round_nearest(set1<V>(T(-3.5))), 0), T(-4));
    EXPECT_TRUE(std::signbit(extract(ceil(set1<V>(T(-0.3))), 0)));
    EXPECT_TRUE(std::signbit(extract(trunc(set1<V>(T(-0.7))), 0)));
    EXPECT_TRUE(std::signbit(extract(round_nearest(set1<V>(T(-0.5))), 0)));
}

// To and from int32 lanes. Out-of-range, infinite and NaN inputs give INT32_MIN.
template <class V>
void Int32Conversions() {
    using T = ScalarOf<V>;
    using I32V = typename Traits<V>::Int32;
    constexpr int N = V::lanes;
    struct Case { T x; int32_t round, trunc; };
    const T nan = qnan<T>();
    std::vector<Case> cases = {
        {T(0), 0, 0}, {T(-0.0), 0, 0}, {T(0.5), 0, 0}, {T(-0.5), 0, 0}, {T(1.5), 2, 1}, {T(2.5), 2, 2},
        {T(3.5), 4, 3}, {T(-2.5), -2, -2}, {T(-3.5), -4, -3}, {T(1.9), 2, 1}, {T(-1.9), -2, -1},
        {T(-2147483648.0), INT32_MIN, INT32_MIN}, {T(2147483648.0), INT32_MIN, INT32_MIN},
        {inf<T>(), INT32_MIN, INT32_MIN}, {-inf<T>(), INT32_MIN, INT32_MIN}, {nan, INT32_MIN, INT32_MIN},
    };
    if constexpr (std::is_same_v<T, float>) {
        cases.push_back({2147483520.0f, 2147483520, 2147483520});  // largest float below 2^31
        cases.push_back({-2147483904.0f, INT32_MIN, INT32_MIN});   // next float below -2^31
    } else {
        cases.push_back({2147483647.0, INT32_MAX, INT32_MAX});
        cases.push_back({2147483647.4, INT32_MAX, INT32_MAX});
        cases.push_back({2147483647.5, INT32_MIN, INT32_MAX});  // rounds up out of range
        cases.push_back({-2147483648.5, INT32_MIN, INT32_MIN});  // rounds to even, in range
        cases.push_back({-2147483649.0, INT32_MIN, INT32_MIN});
    }
    for (size_t i = 0; i < cases.size(); i += N) {
        T x[N];
        for (int k = 0; k < N; ++k) x[k] = cases[(i + k) % cases.size()].x;
        const I32V r = to_i32_round(load<V>(x)), t = to_i32_trunc(load<V>(x));
        for (int k = 0; k < N; ++k) {
            const Case& c = cases[(i + k) % cases.size()];
            EXPECT_EQ(extract(r, k), c.round) << "to_i32_round " << show(c.x);
            EXPECT_EQ(extract(t, k), c.trunc) << "to_i32_trunc " << show(c.x);
        }
        // A double pair fills only the low half of the int32 vector.
        for (int k = N; k < I32V::lanes; ++k) {
            EXPECT_EQ(extract(r, k), 0);
            EXPECT_EQ(extract(t, k), 0);
        }
    }

    struct Back { int32_t i; T x; };
    std::vector<Back> back = {{0, T(0)}, {-1, T(-1)}, {12345, T(12345)}, {INT32_MIN, T(-2147483648.0)}};
    if constexpr (std::is_same_v<T, float>) {  // float rounds to nearest-even above 2^24
        back.push_back({16777217, 16777216.0f});
        back.push_back({16777219, 16777220.0f});
        back.push_back({-16777217, -16777216.0f});
        back.push_back({INT32_MAX, 2147483648.0f});
    } else {
        back.push_back({INT32_MAX, 2147483647.0});
        back.push_back({16777217, 16777217.0});
    }
    for (size_t i = 0; i < back.size(); i += N) {
        int32_t in[I32V::lanes] = {};
        for (int k = 0; k < N; ++k) in[k] = back[(i + k) % back.size()].i;
        const V x = from_i32<V>(load<I32V>(in));
        for (int k = 0; k < N; ++k) {
            const Back& b = back[(i + k) % back.size()];
            EXPECT_EQ(extract(x, k), b.x) << "from_i32 " << b.i;
        }
    }
}

// Double shapes only: the int64 magic-number conversions at their range
// edges, and the int32 <-> int64 lane moves.
template <int N>
void Int64Conversions() {
    using V = Vec<double, N>;
    using IV = Vec<int64_t, N>;
    const double edge = 0x1p51;
    struct Case { double x; int64_t i; };
    const std::vector<Case> to_int = {
        {edge, int64_t(1) << 51}, {-edge, -(int64_t(1) << 51)}, {edge - 1, (int64_t(1) << 51) - 1},
        {edge - 0.5, (int64_t(1) << 51)}, {2.5, 2}, {-2.5, -2}, {3.5, 4}, {-0.0, 0}, {0.49999999999999994, 0},
        {1e15 + 0.5, 1000000000000000}, {-1e15 - 1.5, -1000000000000002}, {-1.0, -1}, {0.0, 0},
    };
    for (size_t i = 0; i < to_int.size(); i += N) {
        double x[N];
        for (int k = 0; k < N; ++k) x[k] = to_int[(i + k) % to_int.size()].x;
        const IV r = to_i64_round(load<V>(x));
        for (int k = 0; k < N; ++k) EXPECT_EQ(extract(r, k), to_int[(i + k) % to_int.size()].i) << show(x[k]);
    }
    const std::vector<int64_t> ints = {0, -1, 1, int64_t(1) << 51, -(int64_t(1) << 51), (int64_t(1) << 51) - 1,
                                       123456789012345, -987654321098765};
    for (size_t i = 0; i < ints.size(); i += N) {
        int64_t in[N];
        for (int k = 0; k < N; ++k) in[k] = ints[(i + k) % ints.size()];
        const V x = from_i64(load<IV>(in));
        for (int k = 0; k < N; ++k) EXPECT_EQ(extract(x, k), double(in[k])) << in[k];
    }

    // Sign extension of int32 lanes, and both halves of int64 lanes.
    const int32_t narrow[4] = {-5, INT32_MIN, INT32_MAX, 7};
    const IV wide = widen_i64<N>(load<I32x4>(narrow));
    for (int k = 0; k < N; ++k) EXPECT_EQ(extract(wide, k), int64_t(narrow[k]));
    const int64_t words[4] = {int64_t(0x1234567890ABCDEF), int64_t(0x7FFFFFFF00000001), INT64_MIN, -1};
    const int32_t low[4] = {int32_t(0x90ABCDEF), 1, 0, -1};
    const int32_t high[4] = {0x12345678, INT32_MAX, INT32_MIN, -1};
    const I32x4 lo = low_words(load<IV>(words)), hi = high_words(load<IV>(words));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(extract(lo, k), k < N ? low[k] : 0) << "low_words lane " << k;
        EXPECT_EQ(extract(hi, k), k < N ? high[k] : 0) << "high_words lane " << k;
    }
}

// Table lookups with out-of-order and repeated indices, from an unaligned table.
template <class V>
void Gathers() {
    using T = ScalarOf<V>;
    using IV = typename Traits<V>::Int;
    using I = typename IV::Scalar;
    constexpr int N = V::lanes;
    std::vector<T> storage(65);
    const T* table = storage.data() + 1;
    for (int j = 0; j < 64; ++j) storage[j + 1] = T(j) * T(1.5) + T(0.25);
    const I patterns[][8] = {
        {63, 0, 5, 5, 17, 63, 1, 2},
        {3, 2, 1, 0, 7, 6, 5, 4},
        {9, 9, 9, 9, 9, 9, 9, 9},
        {0, 63, 0, 63, 31, 32, 32, 31},
    };
    for (const auto& p : patterns) {
        const IV index = load<IV>(p);
        const V s = gather(table, index), h = gather_hw(table, index);
        for (int k = 0; k < N; ++k) {
            EXPECT_EQ(extract(s, k), table[p[k]]) << "gather lane " << k << " index " << p[k];
            EXPECT_EQ(extract(h, k), table[p[k]]) << "gather_hw lane " << k << " index " << p[k];
        }
    }
}

}  // namespace

namespace tvml_test {

#define TVML_SIMD_CHECK(fn) \
    {#fn, "F32x4", &fn<F32x4>}, {#fn, "F32x8", &fn<F32x8>}, {#fn, "F64x2", &fn<F64x2>}, {#fn, "F64x4", &fn<F64x4>}

extern const SimdCase simd_cases[] = {
    TVML_SIMD_CHECK(LoadStoreLanes),  TVML_SIMD_CHECK(Arithmetic),         TVML_SIMD_CHECK(SignBitOps),
    TVML_SIMD_CHECK(FusedMultiplyAdd), TVML_SIMD_CHECK(MinMaxNanRule),     TVML_SIMD_CHECK(CompareMasks),
    TVML_SIMD_CHECK(MaskTestsAndSelect), TVML_SIMD_CHECK(BitOpsAndCasts), TVML_SIMD_CHECK(IntegerArithmetic),
    TVML_SIMD_CHECK(IntegerShifts),   TVML_SIMD_CHECK(Rounding),           TVML_SIMD_CHECK(Int32Conversions),
    TVML_SIMD_CHECK(Gathers),
    {"Int64Conversions", "F64x2", &Int64Conversions<2>},
    {"Int64Conversions", "F64x4", &Int64Conversions<4>},
};
extern const int simd_case_count = sizeof(simd_cases) / sizeof(simd_cases[0]);

#undef TVML_SIMD_CHECK

}  // namespace tvml_test
