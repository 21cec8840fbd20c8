// FFT objects created, executed and destroyed from many threads at once:
// every single and multiple FFT kind (and the Chebyshev window, whose
// creation plans an FFT) run in a loop on 16 threads must give exactly the
// results of a serial run.  The planner calls are serialised inside the
// library; a ThreadSanitizer build checks that nothing else is shared.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "internal.hpp"

namespace {

constexpr int kThreads = 16;
constexpr int kIterations = 12;

float input(std::size_t i) { return static_cast<float>(std::sin(0.7 * static_cast<double>(i) + 0.3)); }

std::vector<float> read(const vsip_cvview_f *v) {
    std::vector<float> out;
    for (vsip_index j = 0; j < vsip_cvgetlength_f(v); ++j) {
        const vsip_cscalar_f x = vsip_cvget_f(v, j);
        out.push_back(x.r);
        out.push_back(x.i);
    }
    return out;
}
std::vector<float> read(const vsip_vview_f *v) {
    std::vector<float> out;
    for (vsip_index j = 0; j < vsip_vgetlength_f(v); ++j)
        out.push_back(vsip_vget_f(v, j));
    return out;
}
std::vector<float> read(const vsip_cmview_f *m) {
    std::vector<float> out;
    for (vsip_index i = 0; i < vsip_cmgetcollength_f(m); ++i)
        for (vsip_index j = 0; j < vsip_cmgetrowlength_f(m); ++j) {
            const vsip_cscalar_f x = vsip_cmget_f(m, i, j);
            out.push_back(x.r);
            out.push_back(x.i);
        }
    return out;
}
std::vector<float> read(const vsip_mview_f *m) {
    std::vector<float> out;
    for (vsip_index i = 0; i < vsip_mgetcollength_f(m); ++i)
        for (vsip_index j = 0; j < vsip_mgetrowlength_f(m); ++j)
            out.push_back(vsip_mget_f(m, i, j));
    return out;
}

vsip_cvview_f *cvector(vsip_length n) {
    vsip_cvview_f *v = vsip_cvcreate_f(n, VSIP_MEM_NONE);
    for (vsip_index j = 0; j < n; ++j)
        vsip_cvput_f(v, j, vsip_cscalar_f{input(j), input(j + n)});
    return v;
}
vsip_vview_f *rvector(vsip_length n) {
    vsip_vview_f *v = vsip_vcreate_f(n, VSIP_MEM_NONE);
    for (vsip_index j = 0; j < n; ++j)
        vsip_vput_f(v, j, input(j));
    return v;
}
vsip_cmview_f *cmatrix(vsip_length m, vsip_length n) {
    vsip_cmview_f *v = vsip_cmcreate_f(m, n, VSIP_ROW, VSIP_MEM_NONE);
    for (vsip_index i = 0; i < m; ++i)
        for (vsip_index j = 0; j < n; ++j)
            vsip_cmput_f(v, i, j, vsip_cscalar_f{input(i * n + j), input(j)});
    return v;
}
vsip_mview_f *rmatrix(vsip_length m, vsip_length n) {
    vsip_mview_f *v = vsip_mcreate_f(m, n, VSIP_COL, VSIP_MEM_NONE);
    for (vsip_index i = 0; i < m; ++i)
        for (vsip_index j = 0; j < n; ++j)
            vsip_mput_f(v, i, j, input(i * n + j));
    return v;
}

// Interleaved user storage at unit stride: the transform runs on it.
struct Interleaved {
    std::vector<float> store;
    vsip_cvview_f *view;
    explicit Interleaved(vsip_length n) : store(2 * n) {
        vsip_cblock_f *b = vsip_cblockbind_f(store.data(), nullptr, n, VSIP_MEM_NONE);
        vsip_cblockadmit_f(b, 1);
        view = vsip_cvbind_f(b, 0, 1, n);
        for (vsip_index j = 0; j < n; ++j)
            vsip_cvput_f(view, j, vsip_cscalar_f{input(j), -input(j)});
    }
    ~Interleaved() { vsip_cblockdestroy_f(vsip_cvdestroy_f(view)); }
};

// One case: create the object, run it on fresh operands, destroy it all,
// return the output.
struct Case {
    const char *name;
    std::function<std::vector<float>()> run;
};

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"ccfftop_split", [] {
             vsip_fft_f *f = vsip_ccfftop_create_f(256, 0.5f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
             vsip_cvview_f *x = cvector(256), *y = cvector(256);
             vsip_ccfftop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_cvalldestroy_f(x), vsip_cvalldestroy_f(y), vsip_fft_destroy_f(f);
             return r;
         }},
        {"ccfftop_interleaved", [] {
             vsip_fft_f *f = vsip_ccfftop_create_f(1024, 1.0f, VSIP_FFT_INV, 1, VSIP_ALG_TIME);
             Interleaved x(1024), y(1024);
             vsip_ccfftop_f(f, x.view, y.view);
             vsip_fft_destroy_f(f);
             return read(y.view);
         }},
        {"ccfftip", [] {
             vsip_fft_f *f = vsip_ccfftip_create_f(100, 0.01f, VSIP_FFT_INV, 1, VSIP_ALG_TIME);
             Interleaved x(100);
             vsip_ccfftip_f(f, x.view);
             vsip_fft_destroy_f(f);
             return read(x.view);
         }},
        {"ccfftip_measure", [] {
             vsip_fft_f *f = vsip_ccfftip_create_f(24, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_SPACE);
             vsip_cvview_f *x = cvector(24);
             vsip_ccfftip_f(f, x);
             std::vector<float> r = read(x);
             vsip_cvalldestroy_f(x), vsip_fft_destroy_f(f);
             return r;
         }},
        {"rcfftop", [] {
             vsip_fft_f *f = vsip_rcfftop_create_f(128, 1.0f, 1, VSIP_ALG_TIME);
             vsip_vview_f *x = rvector(128);
             vsip_cvview_f *y = cvector(65);
             vsip_rcfftop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_valldestroy_f(x), vsip_cvalldestroy_f(y), vsip_fft_destroy_f(f);
             return r;
         }},
        {"crfftop", [] {
             vsip_fft_f *f = vsip_crfftop_create_f(64, 0.25f, 1, VSIP_ALG_TIME);
             vsip_cvview_f *x = cvector(33);
             vsip_vview_f *y = rvector(64);
             vsip_crfftop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_cvalldestroy_f(x), vsip_valldestroy_f(y), vsip_fft_destroy_f(f);
             return r;
         }},
        {"ccfftmop_rows", [] {
             vsip_fftm_f *f =
                 vsip_ccfftmop_create_f(8, 32, 1.0f, VSIP_FFT_FWD, VSIP_ROW, 1, VSIP_ALG_TIME);
             vsip_cmview_f *x = cmatrix(8, 32), *y = cmatrix(8, 32);
             vsip_ccfftmop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_cmalldestroy_f(x), vsip_cmalldestroy_f(y), vsip_fftm_destroy_f(f);
             return r;
         }},
        {"ccfftmip_cols", [] {
             vsip_fftm_f *f =
                 vsip_ccfftmip_create_f(16, 12, 0.5f, VSIP_FFT_INV, VSIP_COL, 1, VSIP_ALG_TIME);
             vsip_cmview_f *x = cmatrix(16, 12);
             vsip_ccfftmip_f(f, x);
             std::vector<float> r = read(x);
             vsip_cmalldestroy_f(x), vsip_fftm_destroy_f(f);
             return r;
         }},
        {"rcfftmop_rows", [] {
             vsip_fftm_f *f = vsip_rcfftmop_create_f(6, 16, 1.0f, VSIP_ROW, 1, VSIP_ALG_TIME);
             vsip_mview_f *x = rmatrix(6, 16);
             vsip_cmview_f *y = cmatrix(6, 9);
             vsip_rcfftmop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_malldestroy_f(x), vsip_cmalldestroy_f(y), vsip_fftm_destroy_f(f);
             return r;
         }},
        {"crfftmop_cols", [] {
             vsip_fftm_f *f = vsip_crfftmop_create_f(10, 9, 1.0f, VSIP_COL, 1, VSIP_ALG_TIME);
             vsip_cmview_f *x = cmatrix(6, 9);
             vsip_mview_f *y = rmatrix(10, 9);
             vsip_crfftmop_f(f, x, y);
             std::vector<float> r = read(y);
             vsip_cmalldestroy_f(x), vsip_malldestroy_f(y), vsip_fftm_destroy_f(f);
             return r;
         }},
        {"cheby_window", [] {
             vsip_vview_f *w = vsip_vcreate_cheby_f(33, 60.0f, VSIP_MEM_NONE);
             std::vector<float> r = read(w);
             vsip_valldestroy_f(w);
             return r;
         }},
    };
    return all;
}

bool same_bits(const std::vector<float> &a, const std::vector<float> &b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

TEST(Threads, CreateExecuteDestroyEveryKindConcurrently) {
    const std::vector<Case> &all = cases();
    std::vector<std::vector<float>> serial;
    for (const Case &c : all) {
        serial.push_back(c.run());
        ASSERT_FALSE(serial.back().empty()) << c.name;
    }
    std::vector<std::vector<int>> mismatches(kThreads, std::vector<int>(all.size(), 0));
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t)
        pool.emplace_back([&, t] {
            for (int it = 0; it < kIterations; ++it)
                for (std::size_t k = 0; k < all.size(); ++k) {
                    // Each thread starts at another case, so different kinds
                    // are planned, run and destroyed at the same moment.
                    const std::size_t c = (k + static_cast<std::size_t>(t)) % all.size();
                    mismatches[t][c] += !same_bits(all[c].run(), serial[c]);
                }
        });
    for (std::thread &th : pool)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        for (std::size_t c = 0; c < all.size(); ++c)
            EXPECT_EQ(mismatches[t][c], 0) << "thread " << t << ", " << all[c].name;
}

} // namespace
