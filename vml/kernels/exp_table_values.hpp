// Compile-time values of the exponential tables: 2^(j/1024) and 2^(j/128)
// rounded to the nearest double.  Computed by constexpr fixed-point
// arithmetic with 124 fractional bits (error below 2^-118, far inside the
// 2^-53 rounding step), so the tables are written nowhere by hand.
//
// Pure constexpr code with no instruction-set dependence: the tuned table
// unit evaluates it at compile time, the tests evaluate it to check the
// tables against MPFR.
#pragma once

#include <cstdint>

namespace tvml {
namespace exp_tables {

using U128 = unsigned __int128;

constexpr int kFracBits = 124;
constexpr U128 kOne = U128(1) << kFracBits;
// ln 2 with 124 fractional bits (truncated).
constexpr U128 kLn2 = ((U128(0xB17217F7D1CF79ABull) << 64) | U128(0xC9E3B39803F2F6AFull)) >> 4;

// (a * b) >> 124 for fixed-point values below 16, through 64-bit halves.
constexpr U128 mul(U128 a, U128 b) {
    const U128 mask = ~uint64_t(0);
    const U128 a1 = a >> 64, a0 = a & mask, b1 = b >> 64, b0 = b & mask;
    const U128 low = a0 * b0, mid1 = a1 * b0, mid2 = a0 * b1, high = a1 * b1;
    // Sum of the middle products with the carry out of the low word.
    const U128 mid = (low >> 64) + (mid1 & mask) + (mid2 & mask);
    const U128 upper = high + (mid1 >> 64) + (mid2 >> 64) + (mid >> 64);
    const U128 middle = mid & mask;
    // Product = upper * 2^128 + middle * 2^64 + low word; keep bits 124 and up.
    return (upper << 4) | (middle >> 60);
}

// e^y for 0 <= y < 1 in fixed point, by its Taylor series.
constexpr U128 exp_fixed(U128 y) {
    U128 sum = kOne, term = kOne;
    for (unsigned k = 1; term != 0; ++k) {
        term = mul(term, y) / k;
        sum += term;
    }
    return sum;
}

// 2^(j / 2^bits) rounded to the nearest double (ties to even), 0 <= j < 2^bits.
constexpr double pow2_fraction(unsigned j, int bits) {
    // y = j ln 2 / 2^bits, split so that the product stays below 2^128.
    const U128 low_mask = (U128(1) << bits) - 1;
    const U128 y = (kLn2 >> bits) * j + (((kLn2 & low_mask) * j) >> bits);
    const U128 v = exp_fixed(y);  // in [1, 2)
    constexpr int drop = kFracBits - 52;
    U128 mantissa = v >> drop;
    const U128 rest = v & ((U128(1) << drop) - 1), half = U128(1) << (drop - 1);
    if (rest > half || (rest == half && (mantissa & 1))) ++mantissa;
    return double(uint64_t(mantissa)) / 4503599627370496.0;  // 2^52, exact
}

// Bit pattern of a double in [1, 2) with 52-bit fraction f: 0x3FF << 52 | f.
constexpr uint64_t bits_in_1_2(double v) {
    return (uint64_t(0x3FF) << 52) | uint64_t((v - 1.0) * 4503599627370496.0);
}

struct Values {
    double exp_1024[1024];     // 2^(j/1024)
    double exp_128[128];       // 2^(j/128)
    uint64_t exp2_data[128];   // bits of 2^(j/128) minus j << 45
};

constexpr Values make_values() {
    Values v{};
    for (unsigned j = 0; j < 1024; ++j) v.exp_1024[j] = pow2_fraction(j, 10);
    // 2^(j/128) = 2^(8j/1024): the same rounded values.
    for (unsigned j = 0; j < 128; ++j) {
        v.exp_128[j] = v.exp_1024[8 * j];
        v.exp2_data[j] = bits_in_1_2(v.exp_128[j]) - (uint64_t(j) << 45);
    }
    return v;
}

inline constexpr Values kValues = make_values();

// Entries quoted with the tables' definitions.
static_assert(kValues.exp_1024[0] == 1.0, "");
static_assert(bits_in_1_2(kValues.exp_1024[1]) == 0x3FF002C605E2E8CFull, "");
static_assert(bits_in_1_2(kValues.exp_1024[512]) == 0x3FF6A09E667F3BCDull, "");
static_assert(bits_in_1_2(kValues.exp_1024[1023]) == 0x3FFFFA74EA381EFCull, "");
static_assert(bits_in_1_2(kValues.exp_128[1]) == 0x3FF0163DA9FB3335ull, "");
static_assert(bits_in_1_2(kValues.exp_128[127]) == 0x3FFFD3C22B8F71F1ull, "");
static_assert(kValues.exp2_data[0] == 0x3FF0000000000000ull, "");
static_assert(kValues.exp2_data[1] == 0x3FEFF63DA9FB3335ull, "");
static_assert(kValues.exp2_data[2] == 0x3FEFEC9A3E778061ull, "");

}  // namespace exp_tables
}  // namespace tvml

// Initialiser lists of the tables: TVML_EXP_TABLE_ROWS_1024(F) expands
// F(0) F(1) ... F(1023), each F(j) giving one element and its comma.
#define TVML_EXP_ROWS_4(F, j) F(j) F(j + 1) F(j + 2) F(j + 3)
#define TVML_EXP_ROWS_16(F, j) \
    TVML_EXP_ROWS_4(F, j) TVML_EXP_ROWS_4(F, j + 4) TVML_EXP_ROWS_4(F, j + 8) TVML_EXP_ROWS_4(F, j + 12)
#define TVML_EXP_ROWS_64(F, j) \
    TVML_EXP_ROWS_16(F, j) TVML_EXP_ROWS_16(F, j + 16) TVML_EXP_ROWS_16(F, j + 32) TVML_EXP_ROWS_16(F, j + 48)
#define TVML_EXP_ROWS_128(F, j) TVML_EXP_ROWS_64(F, j) TVML_EXP_ROWS_64(F, j + 64)
#define TVML_EXP_ROWS_512(F, j) \
    TVML_EXP_ROWS_128(F, j) TVML_EXP_ROWS_128(F, j + 128) TVML_EXP_ROWS_128(F, j + 256) TVML_EXP_ROWS_128(F, j + 384)
#define TVML_EXP_TABLE_ROWS_128(F) TVML_EXP_ROWS_128(F, 0)
#define TVML_EXP_TABLE_ROWS_1024(F) TVML_EXP_ROWS_512(F, 0) TVML_EXP_ROWS_512(F, 512)
