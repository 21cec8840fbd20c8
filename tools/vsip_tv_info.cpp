// vsip-tv-info: reports the libvsip-tv version, the FFT and CBLAS
// libraries this process actually loaded, the OpenMP thread count, and
// runs a short self-check of an FFT, products, the random-number
// generators and a FIR filter against known values.  Exit status 1 when a
// check fails.
#include <dlfcn.h>
#include <link.h>
#include <omp.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <vsip.h>
#include <vsip_tv.h>

namespace {

// ---- libraries in the process ----------------------------------------------

std::string object_of(const char* symbol) {
    Dl_info info;
    void* address = dlsym(RTLD_DEFAULT, symbol);
    if (!address || !dladdr(address, &info) || !info.dli_fname) return "(not loaded)";
    return info.dli_fname;
}

// Shared objects whose file name contains one of the words.
std::vector<std::string> loaded_objects(std::vector<const char*> words) {
    struct Query {
        std::vector<const char*> words;
        std::vector<std::string> found;
    } query{std::move(words), {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            Query& q = *static_cast<Query*>(data);
            const char* name = info->dlpi_name;
            if (!name || !*name) return 0;
            const char* base = std::strrchr(name, '/');
            base = base ? base + 1 : name;
            for (const char* w : q.words)
                if (std::strstr(base, w)) {
                    q.found.push_back(name);
                    break;
                }
            return 0;
        },
        &query);
    return query.found;
}

std::string version_text() {
    tml_vsip_product_version v{};
    if (tml_vsip_get_product_version(&v) != 0) return "(version query failed)";
    std::string text = std::string(v.component_name) + ", " + v.component_version;
    std::free(v.component_name);
    std::free(v.component_version);
    return text;
}

// ---- self-check ------------------------------------------------------------

struct Check {
    const char* name;
    bool (*run)(std::string& detail);
};

// Forward FFT of x[j] = j + i(N - j), N = 64, against the closed form:
// sum_j j w^jk = N / (w^k - 1) for k != 0, with w = e^(-2 pi i/N).
bool check_fft(std::string& detail) {
    constexpr int kN = 64;
    vsip_cvview_f* x = vsip_cvcreate_f(kN, VSIP_MEM_NONE);
    vsip_cvview_f* y = vsip_cvcreate_f(kN, VSIP_MEM_NONE);
    vsip_fft_f* fft = vsip_ccfftop_create_f(kN, 1.0f, VSIP_FFT_FWD, 1, VSIP_ALG_TIME);
    bool ok = x && y && fft;
    double worst = 0;
    if (ok) {
        for (int j = 0; j < kN; ++j) vsip_cvput_f(x, j, vsip_cmplx_f(float(j), float(kN - j)));
        vsip_ccfftop_f(fft, x, y);
        const double pi = std::acos(-1.0);
        for (int k = 0; k < kN; ++k) {
            // sum j w^jk and sum (N - j) w^jk = N * delta(k) - sum j w^jk.
            std::complex<double> ramp;
            if (k == 0) {
                ramp = kN * (kN - 1) / 2.0;
            } else {
                const std::complex<double> w = std::polar(1.0, -2 * pi * k / kN);
                ramp = double(kN) / (w - 1.0);
            }
            const std::complex<double> down = (k == 0 ? double(kN) * kN : 0.0) - ramp;
            const std::complex<double> want = ramp + std::complex<double>(0, 1) * down;
            const vsip_cscalar_f got = vsip_cvget_f(y, k);
            worst = std::max(worst, std::abs(std::complex<double>(got.r, got.i) - want));
        }
        // The largest bin is N^2 / 2; single precision leaves about 1e-4 of it.
        ok = worst < 1e-5 * kN * kN;
    }
    char text[96];
    std::snprintf(text, sizeof text, "64-point ccfftop, largest error %.2g", worst);
    detail = fft ? text : "could not create the FFT";
    if (fft) vsip_fft_destroy_f(fft);
    if (x) vsip_cvalldestroy_f(x);
    if (y) vsip_cvalldestroy_f(y);
    return ok;
}

// 3x4 times 4x2 with small integers: exact in single precision.
bool check_product(std::string& detail) {
    static const float a[3][4] = {{1, 2, 3, 4}, {-1, 0, 2, 5}, {7, -3, 1, 0}};
    static const float b[4][2] = {{2, 1}, {0, -1}, {3, 4}, {-2, 6}};
    static const float want[3][2] = {{3, 35}, {-6, 37}, {17, 14}};
    vsip_mview_f* A = vsip_mcreate_f(3, 4, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f* B = vsip_mcreate_f(4, 2, VSIP_ROW, VSIP_MEM_NONE);
    vsip_mview_f* C = vsip_mcreate_f(3, 2, VSIP_ROW, VSIP_MEM_NONE);
    vsip_vview_f* u = vsip_vcreate_f(4, VSIP_MEM_NONE);
    bool ok = A && B && C && u;
    if (ok) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 4; ++j) vsip_mput_f(A, i, j, a[i][j]);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 2; ++j) vsip_mput_f(B, i, j, b[i][j]);
        vsip_mprod_f(A, B, C);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 2; ++j) ok &= vsip_mget_f(C, i, j) == want[i][j];
        // Dot product of row 0 of A with (1, -1, 1, -1): 1 - 2 + 3 - 4.
        for (int j = 0; j < 4; ++j) vsip_vput_f(u, j, j % 2 ? -1.0f : 1.0f);
        vsip_vview_f* row = vsip_mrowview_f(A, 0);
        ok &= row && vsip_vdot_f(row, u) == -2.0f;
        if (row) vsip_vdestroy_f(row);
    }
    detail = "mprod 3x4 by 4x2 and vdot, exact";
    if (A) vsip_malldestroy_f(A);
    if (B) vsip_malldestroy_f(B);
    if (C) vsip_malldestroy_f(C);
    if (u) vsip_valldestroy_f(u);
    return ok;
}

// First uniform numbers of seed 42, one sequence, id 1, of both kinds.
bool check_random(std::string& detail) {
    static const float portable[8] = {0x1.02628cp-2f, 0x1.f4677ap-1f, 0x1.2f78e6p-1f, 0x1.0867aep-1f,
                                      0x1.ce22b0p-4f, 0x1.51fd24p-2f, 0x1.1f52ccp-2f, 0x1.bcab5ep-1f};
    static const float nonportable[4] = {0.08812504261732101f, 0.5772811770439148f, 0.2225542664527893f,
                                         0.3756602108478546f};
    bool ok = true;
    vsip_randstate* s = vsip_randcreate(42, 1, 1, VSIP_PRNG);
    ok &= s != nullptr;
    for (int i = 0; s && i < 8; ++i) ok &= vsip_randu_f(s) == portable[i];
    if (s) vsip_randdestroy(s);
    s = vsip_randcreate(42, 1, 1, VSIP_NPRNG);
    ok &= s != nullptr;
    for (int i = 0; s && i < 4; ++i) ok &= vsip_randu_f(s) == nonportable[i];
    if (s) vsip_randdestroy(s);
    detail = "randu, seed 42, portable and non-portable, exact";
    return ok;
}

// A symmetric 7-tap kernel (4 taps given), decimation 2, four blocks of
// 13 samples with the state saved, against the direct sum over the whole
// signal, y[m] = sum_k h[k] x[2m - k] (x is 0 before the first sample).
// Blocks of odd length move the phase from block to block, and the first
// outputs of each block reach back into the saved samples.
bool check_fir(std::string& detail) {
    constexpr int kGiven = 4, kTaps = 2 * kGiven - 1, kBlock = 13, kBlocks = 4, kD = 2;
    constexpr int kSamples = kBlock * kBlocks, kOutputs = (kSamples + kD - 1) / kD;
    static const float given[kGiven] = {0.125f, -0.375f, 0.75f, 1.5f};
    float h[kTaps], x[kSamples];
    for (int k = 0; k < kTaps; ++k) h[k] = given[k < kGiven ? k : kTaps - 1 - k];
    for (int j = 0; j < kSamples; ++j) x[j] = float(std::sin(0.3 * j) + 0.5 * std::cos(1.7 * j));

    vsip_vview_f* kernel = vsip_vcreate_f(kGiven, VSIP_MEM_NONE);
    vsip_vview_f* in = vsip_vcreate_f(kBlock, VSIP_MEM_NONE);
    vsip_vview_f* out = vsip_vcreate_f(kBlock, VSIP_MEM_NONE);
    vsip_fir_f* fir = nullptr;
    if (kernel) {
        for (int k = 0; k < kGiven; ++k) vsip_vput_f(kernel, k, given[k]);
        fir = vsip_fir_create_f(kernel, VSIP_SYM_EVEN_LEN_ODD, kBlock, kD, VSIP_STATE_SAVE, 0, VSIP_ALG_TIME);
    }
    bool ok = in && out && fir;
    double worst = 0;
    int produced = 0;
    for (int b = 0; ok && b < kBlocks; ++b) {
        for (int j = 0; j < kBlock; ++j) vsip_vput_f(in, j, x[b * kBlock + j]);
        const int count = vsip_firflt_f(fir, in, out);
        for (int i = 0; i < count && i < kBlock && produced + i < kOutputs; ++i) {
            const int m = produced + i;
            double want = 0;
            for (int k = 0; k < kTaps && k <= kD * m; ++k) want += double(h[k]) * x[kD * m - k];
            worst = std::max(worst, std::abs(vsip_vget_f(out, i) - want));
        }
        produced += count;
    }
    // Seven products of at most 1.5 x 1.5 each: single-precision rounding
    // leaves a few 1e-7.
    ok = ok && produced == kOutputs && worst < 1e-5;
    char text[96];
    std::snprintf(text, sizeof text, "7-tap firflt in 4 blocks, largest error %.2g", worst);
    detail = fir ? text : "could not create the filter";
    if (!ok && fir && produced != kOutputs) detail = "firflt returned the wrong number of outputs";
    vsip_fir_destroy_f(fir);
    if (kernel) vsip_valldestroy_f(kernel);
    if (in) vsip_valldestroy_f(in);
    if (out) vsip_valldestroy_f(out);
    return ok;
}

const Check kChecks[] = {
    {"fft", check_fft},
    {"product", check_product},
    {"random", check_random},
    {"fir", check_fir},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        std::fprintf(stderr, "usage: %s\n", argv[0]);
        return 2;
    }
    vsip_init(nullptr);
    std::printf("libvsip-tv\n");
    std::printf("  version:         %s\n", version_text().c_str());
    std::printf("  flavour:         %s\n", tml_vsip_build_flavour());
    std::printf("  library:         %s\n", object_of("tml_vsip_get_product_version").c_str());
    std::printf("  dazaro-tv:       %s\n", object_of("vml_get_cpu_arch").c_str());
    std::printf("  FFTW:            %s\n", object_of("fftwf_execute").c_str());
    if (const char* v = static_cast<const char*>(dlsym(RTLD_DEFAULT, "fftwf_version")))
        std::printf("                   %s\n", v);
    std::printf("  CBLAS:           %s\n", object_of("cblas_sgemm").c_str());
    for (const std::string& name : loaded_objects({"blas", "lapack", "fftw", "gomp", "omp"}))
        std::printf("  loaded:          %s\n", name.c_str());
    std::printf("  OpenMP threads:  %d (omp_get_max_threads; set OMP_NUM_THREADS to change)\n",
                omp_get_max_threads());

    std::printf("self-check\n");
    bool passed = true;
    for (const Check& c : kChecks) {
        std::string detail;
        const bool ok = c.run(detail);
        passed &= ok;
        std::printf("  %-8s %-48s %s\n", c.name, detail.c_str(), ok ? "ok" : "FAILED");
    }
    std::printf("self-check: %s\n", passed ? "passed" : "FAILED");
    vsip_finalize(nullptr);
    return passed ? 0 : 1;
}
