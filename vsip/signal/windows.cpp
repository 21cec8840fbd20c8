// Window generators: Blackman, Hanning and Kaiser evaluated point by point
// in single precision, and the Dolph-Chebyshev window built in the
// frequency domain (double precision throughout, one single-precision FFT
// on an FFTW binding record, results rounded to float at the end).
#include <cmath>
#include <cstdint>

#include "common/walk.hpp"
#include "fft_backend.hpp"

namespace {

constexpr float kTwoPi = 6.2831855f;

// A new vector of length N with its walked elements; null when it cannot
// be made.
struct window_vector {
    vsip_vview_f *view;
    vi::real_walk<float> w;
    explicit window_vector(vsip_length N, vsip_memory_hint hint)
        : view(vsip_vcreate_f(N, hint)), w(VI_TEMP_WALK(vi::real_walk<float>, nullptr, 0, false)) {
        if (view)
            w = vi::walk(view);
    }
    float &operator[](vsip_length i) const { return w.p[static_cast<vi::idx>(i) * w.step]; }
};

// Fills the window through f(v), which returns false when it cannot (the
// vector is then released); a window of length 1 is [1] (the steps divide
// by N-1).
template <class F>
vsip_vview_f *make_window(vsip_length N, vsip_memory_hint hint, F f) {
    window_vector v(N, hint);
    if (!v.view)
        return nullptr;
    if (N == 1) {
        v[0] = 1.0f;
        return v.view;
    }
    if (!f(v)) {
        vsip_valldestroy_f(v.view);
        return nullptr;
    }
    return v.view;
}

float cos_single(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }

// Single-precision I0: a polynomial in (z/3)^2 up to 3, the power series
// above.  Overflows (inf or NaN) for large z; see kaiser_log_i0.
float kaiser_i0(float z) {
    if (std::fabs(z) <= 3.0f) {
        const float t0 = z / 3.0f;
        const float t = t0 * t0;
        float p = std::fmaf(0.00021f, t, 0.0039444f);
        p = std::fmaf(p, t, 0.0444479f);
        p = std::fmaf(p, t, 0.3163866f);
        p = std::fmaf(p, t, 1.2656208f);
        p = std::fmaf(p, t, 2.2499998f);
        return std::fmaf(p, t, 1.0f);
    }
    const float q = z * z * 0.25f;
    float sum = 1.0f + q;
    float term = q;
    float k = 1.0f;
    float f = 1.0f;
    float d;
    do {
        term = term * q;
        k = k + 1.0f;
        f = f * k;
        d = term / (f * f);
        sum = sum + d;
    } while (static_cast<double>(d) > 1e-8);
    return sum;
}

// ln I0(z) in double for every finite z >= 0: the power series below 50,
// the asymptotic expansion e^z / sqrt(2 pi z) sum ((2k-1)!!)^2 / (k! (8z)^k)
// above (its terms fall fast there).
double kaiser_log_i0(double z) {
    if (z < 50.0) {
        const double q = z * z * 0.25;
        double term = 1.0;
        double sum = 1.0;
        for (double k = 1.0; term > sum * 1e-17; k += 1.0) {
            term *= q / (k * k);
            sum += term;
        }
        return std::log(sum);
    }
    const double r = 1.0 / (8.0 * z);
    double term = 1.0;
    double sum = 1.0;
    for (double k = 1.0; k < 40.0 && term > 1e-17; k += 1.0) {
        term *= (2.0 * k - 1.0) * (2.0 * k - 1.0) * r / k;
        sum += term;
    }
    return z - 0.5 * std::log(2.0 * M_PI * z) + std::log(sum);
}

// Kaiser argument of point i: beta sqrt(1 - g^2) with g = i step - 1, and 0
// when rounding puts g above 1.
float kaiser_argument(vsip_length i, float step, float beta) {
    const float g = std::fmaf(static_cast<float>(i), step, -1.0f);
    if (g > 1.0f)
        return 0.0f;
    return beta * std::sqrt(std::fmaf(-g, g, 1.0f));
}

// Dolph-Chebyshev frequency response rounded to float, the FFT, the
// normalisation by the first bin and the rotation by half the length.
// False when the FFT record cannot be had.
bool cheby_fill(const window_vector &v, vsip_length N, double ripple) {
    if (N == 2) {
        // The two points are equal whatever the ripple.
        v[0] = v[1] = 1.0f;
        return true;
    }
    const double Nf = static_cast<double>(N);
    const double n = (Nf - 1.0) * 0.5;
    const double dp = std::pow(10.0, -ripple / 20.0);
    // e is the main-lobe height over the ripple; held at 1e300 (6000 dB)
    // so that cosh(acosh(e)) below stays finite when dp underflows.
    double e = (1.0 + dp) / dp;
    if (!(e <= 1e300))
        e = 1e300;
    const double a = e <= 1.0 ? 0.0 : std::acosh(e);
    // With c = cos(2 acos(1 / cosh(h))), h = a / (N-1), the abscissa scale
    // x0 = (3 - c) / (c + 1) is cosh(2h), so alpha = (x0 + 1) / 2 and
    // beta = (x0 - 1) / 2 are cosh(h)^2 and sinh(h)^2, free of the
    // cancellation in c + 1 at large ripple.
    const double h = a / (Nf - 1.0);
    const double alpha = std::cosh(h) * std::cosh(h);
    const double beta = std::sinh(h) * std::sinh(h);

    const auto flags = static_cast<unsigned>(VI_fft_planner_flags(VSIP_ALG_NOISE));
    VI_fft_backend_f *b = VI_fft_backend_create_f(N, FFTW_FORWARD, flags);
    if (!b)
        return false;
    const bool even = N % 2 == 0;
    for (vsip_length i = 0; i < N; ++i) {
        const double t = static_cast<double>(i) / Nf;
        const double x = alpha * std::cos(2.0 * M_PI * t) + beta;
        // T_{N-1}(x): cos form inside [-1, 1], cosh form beyond 1 (x stays
        // at or above -1 but for rounding).
        const double T = x > 1.0 ? std::cosh(n * std::acosh(x))
                                 : std::cos(n * std::acos(x < -1.0 ? -1.0 : x));
        // Scaled by 1/e (about dp) so that the largest value is near 1; the
        // scale cancels in the division by the first bin.
        double re = T / e;
        double im = 0.0;
        if (even) {
            // Half-sample delay, sign flip of the upper half.
            const double sign = i >= N / 2 ? -1.0 : 1.0;
            im = sign * re * std::sin(-M_PI * t);
            re = sign * re * std::cos(-M_PI * t);
        }
        b->in[i][0] = static_cast<float>(re);
        b->in[i][1] = static_cast<float>(im);
    }
    fftwf_execute(b->plan);
    // Divide by the first bin (the 1/N scale cancels): Re(z / z0).
    const double r0 = b->out[0][0];
    const double i0 = b->out[0][1];
    const double norm = r0 * r0 + i0 * i0;
    const vsip_length shift = even ? N / 2 : (N - 1) / 2;
    for (vsip_length k = 0; k < N; ++k) {
        const double re = (b->out[k][0] * r0 + b->out[k][1] * i0) / norm;
        v[(k + shift) % N] = static_cast<float>(re);
    }
    VI_fft_backend_destroy_f(b);
    return true;
}

} // namespace

extern "C" {

VSIP_API vsip_vview_f *vsip_vcreate_blackman_f(vsip_length N, vsip_memory_hint hint) {
    return make_window(N, hint, [N](const window_vector &v) {
        const float s = kTwoPi / static_cast<float>(N - 1);
        const float s2 = s + s;
        for (vsip_length i = 0; i < N; ++i) {
            const float fi = static_cast<float>(i);
            const float c1 = cos_single(fi * s);
            const float c2 = cos_single(fi * s2);
            v[i] = std::fmaf(0.08f, c2, std::fmaf(-c1, 0.5f, 0.42f));
        }
        return true;
    });
}

VSIP_API vsip_vview_f *vsip_vcreate_hanning_f(vsip_length N, vsip_memory_hint hint) {
    return make_window(N, hint, [N](const window_vector &v) {
        const float s = kTwoPi / static_cast<float>(N + 1);
        for (vsip_length k = 1; k <= N; ++k)
            v[k - 1] = (1.0f - cos_single(static_cast<float>(k) * s)) * 0.5f;
        return true;
    });
}

VSIP_API vsip_vview_f *vsip_vcreate_kaiser_f(vsip_length N, vsip_scalar_f beta,
                                             vsip_memory_hint hint) {
    return make_window(N, hint, [N, beta](const window_vector &v) {
        const float step = 2.0f / static_cast<float>(N - 1);
        const float D = kaiser_i0(beta);
        if (std::isfinite(D)) {
            // The single-precision series stays finite for every argument
            // up to beta.
            for (vsip_length i = 0; i < N; ++i)
                v[i] = kaiser_i0(kaiser_argument(i, step, beta)) / D;
            return true;
        }
        // Large beta: ratio of I0 values through their logarithms.
        const double logD = kaiser_log_i0(std::fabs(static_cast<double>(beta)));
        for (vsip_length i = 0; i < N; ++i) {
            const double z = std::fabs(static_cast<double>(kaiser_argument(i, step, beta)));
            v[i] = static_cast<float>(std::exp(kaiser_log_i0(z) - logD));
        }
        return true;
    });
}

VSIP_API vsip_vview_f *vsip_vcreate_cheby_f(vsip_length N, vsip_scalar_f ripple,
                                            vsip_memory_hint hint) {
    if (N > VI_FFT_MAX_LENGTH)
        return nullptr;
    return make_window(N, hint, [N, ripple](const window_vector &v) {
        return cheby_fill(v, N, static_cast<double>(ripple));
    });
}

} // extern "C"
