// FFT test support: an independent double-precision DFT, the error bound
// the float transforms are held to, and FFTW fault injection.
//
// The fault injection replaces FFTW's allocator and planners in the test
// executable (the library's calls resolve to these definitions, which
// forward to FFTW), so a test can make the k-th buffer or plan request
// fail and check that nothing obtained from FFTW is left behind.  The
// new-array execute functions are replaced the same way and record the
// arrays of the last call, so a test can tell whether a transform ran on
// the caller's data or on the object's buffers.
// Include this header in exactly one source file of a test executable.
#ifndef VSIP_TESTS_FFT_SUPPORT_HPP
#define VSIP_TESTS_FFT_SUPPORT_HPP

#include <dlfcn.h>
#include <fftw3.h>

#include <atomic>
#include <cmath>
#include <complex>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support.hpp"

namespace vsiptest {

using cd = std::complex<double>;

// y[k] = sum_j x[j] e^(sign 2 pi i jk/N), no scaling.  Radix 2 for powers
// of two, the direct sum otherwise; twiddles are indexed by jk mod N so
// they stay exact in double precision.
inline std::vector<cd> dft(const std::vector<cd> &x, int sign) {
    const std::size_t n = x.size();
    std::vector<cd> w(n);
    const double pi = std::acos(-1.0);
    for (std::size_t k = 0; k < n; ++k)
        w[k] = std::polar(1.0, sign * 2.0 * pi * static_cast<double>(k) / static_cast<double>(n));
    if (n >= 64 && (n & (n - 1)) == 0) {
        std::vector<cd> a(n);
        std::size_t bits = 0;
        while ((std::size_t(1) << bits) < n)
            ++bits;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t r = 0;
            for (std::size_t b = 0; b < bits; ++b)
                r |= ((i >> b) & 1) << (bits - 1 - b);
            a[r] = x[i];
        }
        for (std::size_t len = 2; len <= n; len <<= 1)
            for (std::size_t s = 0; s < n; s += len)
                for (std::size_t j = 0; j < len / 2; ++j) {
                    const cd t = w[j * (n / len)] * a[s + j + len / 2];
                    a[s + j + len / 2] = a[s + j] - t;
                    a[s + j] += t;
                }
        return a;
    }
    std::vector<cd> y(n);
    for (std::size_t k = 0; k < n; ++k) {
        cd sum = 0;
        for (std::size_t j = 0; j < n; ++j)
            sum += x[j] * w[(j * k) % n];
        y[k] = sum;
    }
    return y;
}

// The full spectrum of 2h bins whose non-redundant half is x[0 .. h]
// (imaginary parts of bins 0 and h taken as zero, as a real signal has).
inline std::vector<cd> hermitian(const std::vector<cd> &half) {
    const std::size_t h = half.size() - 1;
    std::vector<cd> full(2 * h);
    for (std::size_t k = 0; k <= h; ++k)
        full[k] = half[k];
    full[0] = half[0].real();
    full[h] = half[h].real();
    for (std::size_t k = 1; k < h; ++k)
        full[2 * h - k] = std::conj(half[k]);
    return full;
}

// Error bound of a float transform of length n on an input of 2-norm
// `norm`, scaled by `scale`: a few float epsilons per butterfly level.
inline double fft_tolerance(std::size_t n, double norm, double scale) {
    return 1e-6 * (std::log2(static_cast<double>(n)) + 2.0) * norm * std::fabs(scale);
}

inline double norm2(const std::vector<cd> &x) {
    double s = 0;
    for (const cd &v : x)
        s += std::norm(v);
    return std::sqrt(s);
}

// ---- FFTW fault injection ---------------------------------------------------

struct FftwFaults {
    long fail_at = 0; // fail the fail_at-th request (buffer or plan), 0 never
    long requests = 0;
    std::set<void *> live_buffers;
    std::set<void *> live_plans;
    bool failed() const { return fail_at > 0 && requests >= fail_at; }
    // Counts a request; true when it must fail.
    bool fail_now() { return ++requests == fail_at; }
};

inline FftwFaults &fftw_faults() {
    static FftwFaults f;
    return f;
}

template <class F>
F next_fftw(const char *name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// For k = 1, 2, ...: make the k-th FFTW request fail and run `attempt`;
// a failure must give null with no FFTW buffer or plan and no library
// allocation left behind.  Returns the number of FFTW requests a
// successful attempt makes, or -1 with `problem` set.
template <class T>
long for_every_failing_fftw_request(const std::function<T *()> &attempt,
                                    const std::function<void(T *)> &destroy,
                                    std::string *problem) {
    for (long k = 1; k < 4096; ++k) {
        FftwFaults &f = fftw_faults();
        f = FftwFaults{k, 0, {}, {}};
        FailingAllocator allocations(0);
        T *made = attempt();
        const bool failed = f.failed();
        const long requests = f.requests;
        if (made)
            destroy(made);
        const bool clean = f.live_buffers.empty() && f.live_plans.empty() && allocations.live() == 0;
        f.fail_at = 0;
        if (failed == (made != nullptr)) {
            *problem = "request " + std::to_string(k) + (failed ? " failed but the creator succeeded"
                                                                : " did not fail but got null");
            return -1;
        }
        if (!clean) {
            *problem = "resources left behind with request " + std::to_string(k) + " failing";
            return -1;
        }
        if (made)
            return requests;
    }
    *problem = "never succeeded";
    return -1;
}

// Runs `body` with no FFTW request failing; returns the buffer and plan
// requests it made.
inline long count_fftw_requests(const std::function<void()> &body) {
    FftwFaults &f = fftw_faults();
    f.fail_at = 0;
    const long before = f.requests;
    body();
    return f.requests - before;
}

// Input and output arrays of the last new-array execute call.
struct FftwExecutions {
    std::atomic<long> calls{0};
    std::atomic<const void *> in{nullptr};
    std::atomic<const void *> out{nullptr};
    void record(const void *i, const void *o) {
        in = i;
        out = o;
        ++calls;
    }
};

inline FftwExecutions &fftw_executions() {
    static FftwExecutions e;
    return e;
}

} // namespace vsiptest

extern "C" {

void *fftwf_malloc(std::size_t n) {
    static auto real = vsiptest::next_fftw<void *(*)(std::size_t)>("fftwf_malloc");
    vsiptest::FftwFaults &f = vsiptest::fftw_faults();
    if (f.fail_now())
        return nullptr;
    void *p = real(n);
    if (p)
        f.live_buffers.insert(p);
    return p;
}

void fftwf_free(void *p) {
    static auto real = vsiptest::next_fftw<void (*)(void *)>("fftwf_free");
    vsiptest::fftw_faults().live_buffers.erase(p);
    real(p);
}

#define VSIPTEST_PLANNER(NAME, IN, OUT)                                                  \
    fftwf_plan NAME(int n, IN in, OUT out, unsigned flags) {                          \
        static auto real = vsiptest::next_fftw<fftwf_plan (*)(int, IN, OUT, unsigned)>(#NAME); \
        vsiptest::FftwFaults &f = vsiptest::fftw_faults();                             \
        if (f.fail_now())                                                              \
            return nullptr;                                                            \
        fftwf_plan p = real(n, in, out, flags);                                        \
        if (p)                                                                         \
            f.live_plans.insert(p);                                                    \
        return p;                                                                      \
    }

fftwf_plan fftwf_plan_dft_1d(int n, fftwf_complex *in, fftwf_complex *out, int sign,
                             unsigned flags) {
    static auto real = vsiptest::next_fftw<fftwf_plan (*)(int, fftwf_complex *, fftwf_complex *,
                                                          int, unsigned)>("fftwf_plan_dft_1d");
    vsiptest::FftwFaults &f = vsiptest::fftw_faults();
    if (f.fail_now())
        return nullptr;
    fftwf_plan p = real(n, in, out, sign, flags);
    if (p)
        f.live_plans.insert(p);
    return p;
}
fftwf_plan fftwf_plan_guru_split_dft(int rank, const fftwf_iodim *dims, int howmany_rank,
                                     const fftwf_iodim *howmany_dims, float *ri, float *ii,
                                     float *ro, float *io, unsigned flags) {
    static auto real = vsiptest::next_fftw<fftwf_plan (*)(
        int, const fftwf_iodim *, int, const fftwf_iodim *, float *, float *, float *, float *,
        unsigned)>("fftwf_plan_guru_split_dft");
    vsiptest::FftwFaults &f = vsiptest::fftw_faults();
    if (f.fail_now())
        return nullptr;
    fftwf_plan p = real(rank, dims, howmany_rank, howmany_dims, ri, ii, ro, io, flags);
    if (p)
        f.live_plans.insert(p);
    return p;
}
VSIPTEST_PLANNER(fftwf_plan_dft_r2c_1d, float *, fftwf_complex *)
VSIPTEST_PLANNER(fftwf_plan_dft_c2r_1d, fftwf_complex *, float *)
#undef VSIPTEST_PLANNER

#define VSIPTEST_EXECUTE(NAME, PARAMS, ARGS, IN, OUT)                                 \
    void NAME PARAMS {                                                                \
        static auto real = vsiptest::next_fftw<void(*) PARAMS>(#NAME);                  \
        vsiptest::fftw_executions().record(IN, OUT);                                   \
        real ARGS;                                                                     \
    }
VSIPTEST_EXECUTE(fftwf_execute_dft, (const fftwf_plan p, fftwf_complex *in, fftwf_complex *out),
                 (p, in, out), in, out)
VSIPTEST_EXECUTE(fftwf_execute_dft_r2c, (const fftwf_plan p, float *in, fftwf_complex *out),
                 (p, in, out), in, out)
VSIPTEST_EXECUTE(fftwf_execute_dft_c2r, (const fftwf_plan p, fftwf_complex *in, float *out),
                 (p, in, out), in, out)
// Split arrays are recorded by the part the plan reads first (the
// imaginary parts for an inverse transform, which swaps the parts).
VSIPTEST_EXECUTE(fftwf_execute_split_dft,
                 (const fftwf_plan p, float *ri, float *ii, float *ro, float *io),
                 (p, ri, ii, ro, io), ri, ro)
#undef VSIPTEST_EXECUTE

void fftwf_destroy_plan(fftwf_plan p) {
    static auto real = vsiptest::next_fftw<void (*)(fftwf_plan)>("fftwf_destroy_plan");
    vsiptest::fftw_faults().live_plans.erase(p);
    real(p);
}

} // extern "C"

#endif
