// Library calls from many threads at once, each thread on its own data:
// array functions of both precisions and several families, short-vector
// functions reached through their exported names, and libvsip-tv
// operations (element-wise, reductions, products, FIR filters,
// convolution and correlation objects, random-number generators), every
// object made by the thread that uses it.  Each thread's output must be
// bit-identical to a serial run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "concurrent_harness.hpp"
#include "dazaro_tv.h"
#include "sv_apply.hpp"
#include "test_support.hpp"
#include "vsip.h"

namespace {

using concur::append;
using concur::Bytes;
using concur::bytes_of;
using concur::Case;

// ---- Array functions ----------------------------------------------------

// 1003 elements: full vectors of every width plus a tail.
constexpr int kArrayLength = 1003;

template <class T>
std::vector<T> inputs(unsigned seed, int count = kArrayLength) {
    return tvml_test::test_inputs<T>(static_cast<std::size_t>(count), seed);
}

template <class T>
Case unary(const char *name, void (*fn)(int, const T *, T *)) {
    return {name, [fn] {
                const std::vector<T> a = inputs<T>(1);
                std::vector<T> r(a.size());
                fn(kArrayLength, a.data(), r.data());
                return bytes_of(r);
            }};
}

template <class T>
Case binary(const char *name, void (*fn)(int, const T *, const T *, T *)) {
    return {name, [fn] {
                const std::vector<T> a = inputs<T>(2), b = inputs<T>(3);
                std::vector<T> r(a.size());
                fn(kArrayLength, a.data(), b.data(), r.data());
                return bytes_of(r);
            }};
}

// Complex elements from two real input sets.
template <class C, class T>
Case complex_binary(const char *name, void (*fn)(int, const C *, const C *, C *)) {
    return {name, [fn] {
                const std::vector<T> a = inputs<T>(4, 2 * kArrayLength), b = inputs<T>(5, 2 * kArrayLength);
                std::vector<C> x(kArrayLength), y(kArrayLength), r(kArrayLength);
                for (int i = 0; i < kArrayLength; ++i) {
                    x[i] = {a[2 * i], a[2 * i + 1]};
                    y[i] = {b[2 * i], b[2 * i + 1]};
                }
                fn(kArrayLength, x.data(), y.data(), r.data());
                return bytes_of(r);
            }};
}

template <class T>
Case powx(const char *name, void (*fn)(int, const T *, const T *, T *), T exponent) {
    return {name, [fn, exponent] {
                const std::vector<T> a = inputs<T>(6);
                std::vector<T> r(a.size());
                fn(kArrayLength, a.data(), &exponent, r.data());
                return bytes_of(r);
            }};
}

template <class T>
Case sincos(const char *name, void (*fn)(int, const T *, T *, T *)) {
    return {name, [fn] {
                const std::vector<T> a = inputs<T>(7);
                std::vector<T> s(a.size()), c(a.size());
                fn(kArrayLength, a.data(), s.data(), c.data());
                Bytes out = bytes_of(s);
                append(out, c.data(), c.size());
                return out;
            }};
}

const std::vector<Case> &array_cases() {
    static const std::vector<Case> all = {
        unary<float>("vsExp", vsExp),
        unary<double>("vdLn", vdLn),
        binary<float>("vsPow", vsPow),
        binary<double>("vdAtan2", vdAtan2),
        powx<double>("vdPowx", vdPowx, 2.5),
        unary<float>("vsPow2o3", vsPow2o3),
        complex_binary<tvml_cfloat, float>("vcAdd", vcAdd),
        complex_binary<tvml_cdouble, double>("vzSub", vzSub),
        sincos<float>("vsSinCos", vsSinCos),
        unary<float>("vsTanh", vsTanh),
        unary<double>("vdCbrt", vdCbrt),
        unary<double>("vdLog1p", vdLog1p),
    };
    return all;
}

TEST(ConcurrentCalls, ArrayFunctions) { concur::expect_same_as_serial(array_cases(), 20); }

// ---- Short-vector functions -----------------------------------------------

using tvml_test::Shape;

struct ShortVectorRow {
    const char *name;
    Shape shape;
    int arity;
};

// Library names, vector-ABI names and __svml_ names of each lane shape.
const ShortVectorRow kShortVectorRows[] = {
    {"tvml_vs4_exp", Shape::F4, 1},   {"_ZGVdN4v_log", Shape::D4, 1},
    {"__svml_powf8_l9", Shape::F8, 2}, {"tvml_vd2_sin", Shape::D2, 1},
    {"_ZGVbN4vv_atan2f", Shape::F4, 2}, {"__svml_cbrt4_l9", Shape::D4, 1},
    {"tvml_vs8_tanh", Shape::F8, 1},  {"_ZGVbN2vv_hypot", Shape::D2, 2},
};

// 256-bit shapes run only on processors with AVX.
std::vector<Case> short_vector_cases() {
    std::vector<Case> all;
    for (const ShortVectorRow &row : kShortVectorRows) {
        const bool wide = row.shape == Shape::F8 || row.shape == Shape::D4;
        if (wide && !tvml_test::has_avx())
            continue;
        all.push_back({row.name, [row] {
                           const std::size_t count = 512;
                           Bytes out;
                           if (tvml_test::is_float(row.shape)) {
                               const std::vector<float> x = inputs<float>(8, count), y = inputs<float>(9, count);
                               std::vector<float> r(count);
                               if (tvml_test::sv_apply(row.name, row.shape, row.arity, x.data(), y.data(),
                                                       r.data(), count))
                                   out = bytes_of(r);
                           } else {
                               const std::vector<double> x = inputs<double>(8, count),
                                                         y = inputs<double>(9, count);
                               std::vector<double> r(count);
                               if (tvml_test::sv_apply(row.name, row.shape, row.arity, x.data(), y.data(),
                                                       r.data(), count))
                                   out = bytes_of(r);
                           }
                           return out; // empty when the name is not exported
                       }});
    }
    return all;
}

TEST(ConcurrentCalls, ShortVectorFunctions) { concur::expect_same_as_serial(short_vector_cases(), 50); }

// ---- libvsip-tv operations ----------------------------------------------

float value(std::size_t i, unsigned seed) {
    return static_cast<float>(std::sin(0.37 * static_cast<double>(i) + seed));
}

// Views owning their blocks, released on scope exit.
struct Vec {
    vsip_vview_f *v;
    Vec(vsip_length n, unsigned seed) : v(vsip_vcreate_f(n, VSIP_MEM_NONE)) {
        for (vsip_index j = 0; j < n; ++j)
            vsip_vput_f(v, j, value(j, seed));
    }
    ~Vec() { vsip_valldestroy_f(v); }
    void read(Bytes &out) const {
        for (vsip_index j = 0; j < vsip_vgetlength_f(v); ++j)
            append(out, vsip_vget_f(v, j));
    }
};
struct CVec {
    vsip_cvview_f *v;
    CVec(vsip_length n, unsigned seed) : v(vsip_cvcreate_f(n, VSIP_MEM_NONE)) {
        for (vsip_index j = 0; j < n; ++j)
            vsip_cvput_f(v, j, vsip_cmplx_f(value(j, seed), value(j, seed + 1)));
    }
    ~CVec() { vsip_cvalldestroy_f(v); }
    void read(Bytes &out) const {
        for (vsip_index j = 0; j < vsip_cvgetlength_f(v); ++j)
            append(out, vsip_cvget_f(v, j));
    }
};
struct Mat {
    vsip_mview_f *m;
    Mat(vsip_length rows, vsip_length cols, vsip_major major, unsigned seed)
        : m(vsip_mcreate_f(rows, cols, major, VSIP_MEM_NONE)) {
        for (vsip_index i = 0; i < rows; ++i)
            for (vsip_index j = 0; j < cols; ++j)
                vsip_mput_f(m, i, j, value(i * cols + j, seed));
    }
    ~Mat() { vsip_malldestroy_f(m); }
    void read(Bytes &out) const {
        for (vsip_index i = 0; i < vsip_mgetcollength_f(m); ++i)
            for (vsip_index j = 0; j < vsip_mgetrowlength_f(m); ++j)
                append(out, vsip_mget_f(m, i, j));
    }
};
struct CMat {
    vsip_cmview_f *m;
    CMat(vsip_length rows, vsip_length cols, unsigned seed)
        : m(vsip_cmcreate_f(rows, cols, VSIP_ROW, VSIP_MEM_NONE)) {
        for (vsip_index i = 0; i < rows; ++i)
            for (vsip_index j = 0; j < cols; ++j)
                vsip_cmput_f(m, i, j, vsip_cmplx_f(value(i * cols + j, seed), value(j, seed + 2)));
    }
    ~CMat() { vsip_cmalldestroy_f(m); }
    void read(Bytes &out) const {
        for (vsip_index i = 0; i < vsip_cmgetcollength_f(m); ++i)
            for (vsip_index j = 0; j < vsip_cmgetrowlength_f(m); ++j)
                append(out, vsip_cmget_f(m, i, j));
    }
};

// A real FIR filter with saved state over three blocks (decimation 2).
Bytes fir_blocks() {
    Vec h(17, 3), x(96, 4), y(48, 0);
    vsip_fir_f *fir = vsip_fir_create_f(h.v, VSIP_NONSYM, 96, 2, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    Bytes out;
    for (int block = 0; block < 3; ++block) {
        append(out, vsip_firflt_f(fir, x.v, y.v));
        y.read(out);
    }
    vsip_fir_destroy_f(fir);
    return out;
}

// A symmetric complex FIR filter without saved state.
Bytes cfir_block() {
    CVec h(6, 5), x(80, 6), y(80, 0);
    vsip_cfir_f *fir =
        vsip_cfir_create_f(h.v, VSIP_SYM_EVEN_LEN_ODD, 80, 1, VSIP_STATE_NO_SAVE, 0, VSIP_ALG_TIME);
    Bytes out;
    append(out, vsip_cfirflt_f(fir, x.v, y.v));
    y.read(out);
    vsip_cfir_destroy_f(fir);
    return out;
}

// Convolution: a short kernel takes the direct sum, a long one an FFT method.
Bytes convolution(vsip_length M, vsip_length N, vsip_support_region support) {
    Vec h(M, 7), x(N, 8);
    vsip_conv1d_f *conv = vsip_conv1d_create_f(h.v, VSIP_NONSYM, N, 1, support, 0, VSIP_ALG_TIME);
    vsip_conv1d_attr attr;
    vsip_conv1d_getattr_f(conv, &attr);
    Vec y(attr.out_len, 0);
    vsip_convolve1d_f(conv, x.v, y.v);
    Bytes out;
    y.read(out);
    vsip_conv1d_destroy_f(conv);
    return out;
}

Bytes correlation(vsip_bias bias) {
    Vec ref(16, 9), x(256, 10);
    vsip_corr1d_f *corr = vsip_corr1d_create_f(16, 256, VSIP_SUPPORT_FULL, 0, VSIP_ALG_TIME);
    vsip_corr1d_attr attr;
    vsip_corr1d_getattr_f(corr, &attr);
    Vec y(attr.lag_len, 0);
    vsip_correlate1d_f(corr, bias, ref.v, x.v, y.v);
    Bytes out;
    y.read(out);
    vsip_corr1d_destroy_f(corr);
    return out;
}

Bytes complex_correlation() {
    CVec ref(40, 11), x(300, 12);
    vsip_ccorr1d_f *corr = vsip_ccorr1d_create_f(40, 300, VSIP_SUPPORT_SAME, 0, VSIP_ALG_TIME);
    vsip_ccorr1d_attr attr;
    vsip_ccorr1d_getattr_f(corr, &attr);
    CVec y(attr.lag_len, 0);
    vsip_ccorrelate1d_f(corr, VSIP_UNBIASED, ref.v, x.v, y.v);
    Bytes out;
    y.read(out);
    vsip_ccorr1d_destroy_f(corr);
    return out;
}

// A generator of each kind, seeded per case: scalars, then vectors.
Bytes random_numbers(vsip_rng kind, vsip_index seed, vsip_index numseqs, vsip_index id) {
    vsip_randstate *s = vsip_randcreate(seed, numseqs, id, kind);
    Vec u(333, 0);
    CVec n(111, 0);
    Bytes out;
    append(out, vsip_randu_f(s));
    append(out, vsip_randn_f(s));
    append(out, vsip_crandn_f(s));
    vsip_vrandu_f(s, u.v);
    vsip_cvrandn_f(s, n.v);
    u.read(out);
    n.read(out);
    vsip_randdestroy(s);
    return out;
}

// Inputs shared by every thread, read at once: each thread derives its own
// views of the one block (a subview, the real part, a strided bind) and
// writes only its own outputs.
Bytes shared_inputs() {
    static const CVec shared(512, 13);
    static const Mat shared_matrix(16, 16, VSIP_ROW, 14);
    vsip_cvview_f *head = vsip_cvsubview_f(shared.v, 0, 256);
    vsip_vview_f *re = vsip_vrealview_f(shared.v);
    vsip_cvview_f *even = vsip_cvbind_f(vsip_cvgetblock_f(shared.v), 0, 2, 256);
    CVec spectrum(256, 0), product(256, 0);
    Vec magnitude(512, 0);
    Mat square(16, 16, VSIP_ROW, 0);
    vsip_fft_f *fft = vsip_ccfftop_create_f(256, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    vsip_ccfftop_f(fft, head, spectrum.v);
    vsip_cvmul_f(head, even, product.v);
    vsip_vexp_f(re, magnitude.v);
    vsip_mprod_f(shared_matrix.m, shared_matrix.m, square.m);
    vsip_fft_destroy_f(fft);
    vsip_cvdestroy_f(head);
    vsip_vdestroy_f(re);
    vsip_cvdestroy_f(even);
    Bytes out;
    spectrum.read(out);
    product.read(out);
    magnitude.read(out);
    square.read(out);
    return out;
}

const std::vector<Case> &vsip_cases() {
    static const std::vector<Case> all = {
        {"vexp", [] {
             Vec a(777, 1), r(777, 0);
             vsip_vexp_f(a.v, r.v);
             Bytes out;
             r.read(out);
             return out;
         }},
        {"vatan2", [] {
             Vec a(501, 1), b(501, 2), r(501, 0);
             vsip_vatan2_f(a.v, b.v, r.v);
             Bytes out;
             r.read(out);
             return out;
         }},
        {"vma", [] {
             Vec a(300, 1), b(300, 2), c(300, 3), r(300, 0);
             vsip_vma_f(a.v, b.v, c.v, r.v);
             Bytes out;
             r.read(out);
             return out;
         }},
        {"cvmul", [] {
             CVec a(257, 1), b(257, 3), r(257, 0);
             vsip_cvmul_f(a.v, b.v, r.v);
             Bytes out;
             r.read(out);
             return out;
         }},
        {"vsumval_vdot_cvjdot", [] {
             Vec a(999, 1), b(999, 2);
             CVec c(400, 3), d(400, 4);
             Bytes out;
             append(out, vsip_vsumval_f(a.v));
             append(out, vsip_vdot_f(a.v, b.v));
             append(out, vsip_cvjdot_f(c.v, d.v));
             return out;
         }},
        {"mprod", [] {
             Mat A(24, 20, VSIP_ROW, 1), B(20, 28, VSIP_COL, 2), C(24, 28, VSIP_ROW, 0);
             vsip_mprod_f(A.m, B.m, C.m);
             Bytes out;
             C.read(out);
             return out;
         }},
        {"cmprod", [] {
             CMat A(12, 16, 1), B(16, 10, 2), C(12, 10, 0);
             vsip_cmprod_f(A.m, B.m, C.m);
             Bytes out;
             C.read(out);
             return out;
         }},
        {"mvprod", [] {
             Mat A(30, 40, VSIP_ROW, 1);
             Vec x(40, 2), y(30, 0);
             vsip_mvprod_f(A.m, x.v, y.v);
             Bytes out;
             y.read(out);
             return out;
         }},
        {"fir_saved_state", fir_blocks},
        {"cfir_symmetric", cfir_block},
        {"conv_direct", [] { return convolution(5, 200, VSIP_SUPPORT_FULL); }},
        {"conv_fft", [] { return convolution(128, 1024, VSIP_SUPPORT_SAME); }},
        {"corr_biased", [] { return correlation(VSIP_BIASED); }},
        {"corr_unbiased", [] { return correlation(VSIP_UNBIASED); }},
        {"ccorr", complex_correlation},
        {"random_portable", [] { return random_numbers(VSIP_PRNG, 17, 3, 2); }},
        {"random_nonportable", [] { return random_numbers(VSIP_NPRNG, 99, 4, 3); }},
        {"shared_inputs", shared_inputs},
    };
    return all;
}

TEST(ConcurrentCalls, VsipOperations) { concur::expect_same_as_serial(vsip_cases(), 10); }

} // namespace
