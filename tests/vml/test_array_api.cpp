// Array entry points: each reaches the kernel its table holds for the
// architecture in force (ctest runs this suite once per VML_DEBUG_ARCH
// value), with the argument checks and placements of the contract.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "accuracy.hpp"
#include "dazaro_tv.h"
#include "test_support.hpp"

namespace {

using tvml_test::same_bits;

enum class Shape { Binary, Powx, Unary, SinCos, Fixed };
enum class Elem { S, D, C, Z };

struct Entry {
    const char* name;
    const char* kernels[4];  // kernel of each architecture index
    Shape shape;
    Elem elem;
    uint64_t exponent_bits;
    void (*call)(int n, const void* a, const void* b, void* r, void* r2);
};

#define ELEM_TVML_S Elem::S
#define ELEM_TVML_D Elem::D
#define ELEM_TVML_C Elem::C
#define ELEM_TVML_Z Elem::Z
#define SHAPE_BINARY Shape::Binary
#define SHAPE_POWX Shape::Powx
#define SHAPE_UNARY Shape::Unary
#define SHAPE_SINCOS Shape::SinCos
#define SHAPE_FIXED Shape::Fixed

#define CALL_BINARY(name, T) name(n, (const T*)a, (const T*)b, (T*)r)
#define CALL_POWX CALL_BINARY
#define CALL_UNARY(name, T) name(n, (const T*)a, (T*)r)
#define CALL_FIXED CALL_UNARY
#define CALL_SINCOS(name, T) name(n, (const T*)a, (T*)r, (T*)r2)

// Kernel names per index, from the slot table.
#define KERNELS_OF(slot, op, index1, index23)                                        \
    if (std::string(#op) == op_name) {                                               \
        names[0] = #op "_generic";                                                   \
        names[1] = TVML_STR(TVML_ARRAY_KERNEL(op, index1));                          \
        names[2] = names[3] = TVML_STR(TVML_ARRAY_KERNEL(op, index23));              \
    }
void kernels_of(const char* op_name, const char* (&names)[4]) { TVML_ARRAY_SLOTS(KERNELS_OF) }

#define ENTRY_ROW(name, op, shape, type, exponent)                                          \
    {#name, {#op}, SHAPE_##shape, ELEM_##type, exponent,                                    \
     [](int n, const void* a, const void* b, void* r, void* r2) {                           \
         (void)b;                                                                           \
         (void)r2;                                                                          \
         CALL_##shape(name, TVML_ELEM(type));                                               \
     }},
std::vector<Entry> all_entries() {
    std::vector<Entry> rows = {TVML_ARRAY_ENTRIES(ENTRY_ROW)};
    for (Entry& e : rows) kernels_of(e.kernels[0], e.kernels);
    return rows;
}

size_t scalar_size(Elem e) { return e == Elem::S || e == Elem::C ? 4 : 8; }
size_t scalars_per_element(Elem e) { return e == Elem::C || e == Elem::Z ? 2 : 1; }

// Inputs for an entry: doubles or floats, 2 scalars per complex element.
struct Buffers {
    std::vector<uint8_t> a, b, r, r2;
    uint8_t exponent[8];
};

template <class T>
void fill(std::vector<uint8_t>& bytes, size_t count, unsigned seed) {
    const std::vector<T> v = tvml_test::test_inputs<T>(count, seed);
    bytes.resize(count * sizeof(T));
    std::memcpy(bytes.data(), v.data(), bytes.size());
}

Buffers make_buffers(const Entry& e, int n) {
    Buffers buf;
    const size_t count = size_t(n) * scalars_per_element(e.elem);
    if (scalar_size(e.elem) == 4) {
        fill<float>(buf.a, count, 1);
        fill<float>(buf.b, count, 2);
    } else {
        fill<double>(buf.a, count, 1);
        fill<double>(buf.b, count, 2);
    }
    // Rotate b so that special values meet other special values.
    const size_t rotate_by = (3 % count) * scalar_size(e.elem);
    std::rotate(buf.b.begin(), buf.b.begin() + rotate_by, buf.b.end());
    buf.r.assign(buf.a.size(), 0xA5);
    buf.r2.assign(buf.a.size(), 0x5A);
    if (e.shape == Shape::Fixed) {
        std::memcpy(buf.exponent, &e.exponent_bits, 8);  // little-endian: float bits first
    } else {
        const double power = 2.5;
        const float powerf = 2.5f;
        if (scalar_size(e.elem) == 4) std::memcpy(buf.exponent, &powerf, 4);
        else std::memcpy(buf.exponent, &power, 8);
    }
    return buf;
}

const void* second_input(const Entry& e, const Buffers& buf) {
    switch (e.shape) {
        case Shape::Binary: return buf.b.data();
        case Shape::Powx:
        case Shape::Fixed: return buf.exponent;
        default: return nullptr;
    }
}

void PrintTo(const Entry& e, std::ostream* os) { *os << e.name; }

class ArrayApi : public ::testing::TestWithParam<Entry> {
protected:
    void SetUp() override {
        index_ = tvml_test::forced_index();
        if (!tvml_test::index_runs_here(index_)) GTEST_SKIP() << "index needs AVX2 and FMA";
        if (index_ < 0) index_ = 0;  // not forced: the generic table is checked via direct calls only
    }
    int index_ = 0;
};

// The entry point gives exactly what the kernel of its slot gives.
void expect_reaches(const Entry& e, const char* kernel_name) {
    auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, kernel_name));
    ASSERT_NE(kernel, nullptr) << kernel_name << " is not exported";
    for (int n : {1, 7, 33, 1000}) {
        Buffers via_entry = make_buffers(e, n), direct = make_buffers(e, n);
        e.call(n, via_entry.a.data(), second_input(e, via_entry), via_entry.r.data(), via_entry.r2.data());
        kernel(n, direct.a.data(), second_input(e, direct), direct.r.data(),
               e.shape == Shape::SinCos ? direct.r2.data() : nullptr, 0);
        EXPECT_EQ(via_entry.r, direct.r) << e.name << " n=" << n << " via " << kernel_name;
        if (e.shape == Shape::SinCos) {
            EXPECT_EQ(via_entry.r2, direct.r2) << e.name;
        }
    }
}

TEST_P(ArrayApi, ReachesTheKernelOfItsSlot) { expect_reaches(GetParam(), GetParam().kernels[index_]); }

// The tables are chosen once, at load: a later change of VML_DEBUG_ARCH
// moves the architecture query, never the kernels.
TEST_P(ArrayApi, KeepsItsKernelWhenTheEnvironmentChanges) {
    if (tvml_test::forced_index() < 0) GTEST_SKIP() << "needs a forced index";
    const std::string loaded = std::getenv("VML_DEBUG_ARCH");
    const char* other = index_ == 0 ? "1" : "0";
    setenv("VML_DEBUG_ARCH", other, 1);
    expect_reaches(GetParam(), GetParam().kernels[index_]);
    setenv("VML_DEBUG_ARCH", loaded.c_str(), 1);
}

TEST_P(ArrayApi, NothingWrittenForBadArguments) {
    const Entry& e = GetParam();
    Buffers buf = make_buffers(e, 16);
    const std::vector<uint8_t> untouched = buf.r, untouched2 = buf.r2;
    const void* b = second_input(e, buf);
    for (int n : {0, -1, -5, INT32_MIN}) e.call(n, buf.a.data(), b, buf.r.data(), buf.r2.data());
    e.call(16, nullptr, b, buf.r.data(), buf.r2.data());
    if (e.shape == Shape::Binary || e.shape == Shape::Powx)
        e.call(16, buf.a.data(), nullptr, buf.r.data(), buf.r2.data());
    if (e.shape == Shape::SinCos) {
        e.call(16, buf.a.data(), b, nullptr, buf.r2.data());
        e.call(16, buf.a.data(), b, buf.r.data(), nullptr);
    } else {
        e.call(16, buf.a.data(), b, nullptr, nullptr);
    }
    EXPECT_EQ(buf.r, untouched) << e.name;
    EXPECT_EQ(buf.r2, untouched2) << e.name;
}

TEST_P(ArrayApi, InPlaceEqualsOutOfPlace) {
    const Entry& e = GetParam();
    const int n = 517;
    Buffers out = make_buffers(e, n), in = make_buffers(e, n);
    e.call(n, out.a.data(), second_input(e, out), out.r.data(), out.r2.data());
    // Output over the first input; the cosine of sincos over its input.
    if (e.shape == Shape::SinCos) {
        e.call(n, in.a.data(), nullptr, in.r.data(), in.a.data());
        EXPECT_EQ(in.a, out.r2) << e.name;
        EXPECT_EQ(in.r, out.r) << e.name;
        return;
    }
    e.call(n, in.a.data(), second_input(e, in), in.a.data(), nullptr);
    EXPECT_EQ(in.a, out.r) << e.name << " r == a";
    if (e.shape == Shape::Binary) {
        Buffers inb = make_buffers(e, n);
        e.call(n, inb.a.data(), inb.b.data(), inb.b.data(), nullptr);
        EXPECT_EQ(inb.b, out.r) << e.name << " r == b";
    }
}

TEST_P(ArrayApi, WritesExactlyNElements) {
    const Entry& e = GetParam();
    Buffers buf = make_buffers(e, 8);
    const size_t element = scalar_size(e.elem) * scalars_per_element(e.elem);
    const std::vector<uint8_t> before = buf.r;
    e.call(3, buf.a.data(), second_input(e, buf), buf.r.data(), buf.r2.data());
    EXPECT_TRUE(std::equal(buf.r.begin() + 3 * element, buf.r.end(), before.begin() + 3 * element)) << e.name;
}

INSTANTIATE_TEST_SUITE_P(Entries, ArrayApi, ::testing::ValuesIn(all_entries()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every exported kernel and trampoline called directly with n <= 0 returns
// at once: null inputs and a null exponent pointer are never read, and
// nothing is written (the trampolines reach the table in force).
std::vector<std::string> direct_callees() {
    std::vector<std::string> names;
    const bool tuned = tvml_test::has_avx2_fma();
#define CALLEE_READY(op, v) \
    if (tuned) names.push_back(#op "_" #v);
#define CALLEE_GENERIC(op, v)
#define CALLEES_OF(slot, op, index1, index23) \
    names.push_back(#op "_generic");           \
    names.push_back(#op "_k");                 \
    TVML_ON_COLUMN(CALLEE, op, index1)         \
    TVML_ON_COLUMN(CALLEE, op, index23)
#define CALLEE_EXTRA(kernel) \
    if (tuned) names.push_back(#kernel);
    TVML_ARRAY_SLOTS(CALLEES_OF)
    TVML_ARRAY_EXTRA_KERNELS(CALLEE_EXTRA)
    return names;
}

TEST(DirectCalls, NonPositiveCountsReadAndWriteNothing) {
    if (!tvml_test::index_runs_here(tvml_test::forced_index())) GTEST_SKIP() << "index needs AVX2 and FMA";
    for (const std::string& name : direct_callees()) {
        auto kernel = reinterpret_cast<tvml_array_kernel>(dlsym(RTLD_DEFAULT, name.c_str()));
        ASSERT_NE(kernel, nullptr) << name << " is not exported";
        for (int64_t n : {int64_t(0), int64_t(-1), int64_t(-7), int64_t(-15), int64_t(-31), int64_t(-33),
                          int64_t(INT32_MIN), int64_t(INT32_MIN) - 5}) {
            std::vector<uint8_t> r(512, 0xA5), r2(512, 0x5A);
            kernel(n, nullptr, nullptr, r.data(), r2.data(), 0);
            EXPECT_EQ(r, std::vector<uint8_t>(512, 0xA5)) << name << " n=" << n;
            EXPECT_EQ(r2, std::vector<uint8_t>(512, 0x5A)) << name << " n=" << n;
        }
    }
}

class ArraySemantics : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tvml_test::index_runs_here(tvml_test::forced_index())) GTEST_SKIP() << "needs AVX2 and FMA";
    }
};

// Relative tolerance of the x^y kernel in force for op: about two units
// for the portable kernel (libm), the declared bound plus one for a tuned
// one.  Without a forced index the tuned kernels of index 1 may run.
double pow_tolerance(const char* op, double epsilon) {
    const char* names[4] = {};
    kernels_of(op, names);
    const std::string kernel = names[tvml_test::forced_index() < 0 ? 1 : tvml_test::forced_index()];
    if (const tvml_accuracy::KernelRow* row = tvml_accuracy::find(kernel)) return (row->max_ulp + 1) * epsilon;
    return 2 * epsilon;
}

TEST_F(ArraySemantics, FixedExponentsUseTheirBitPatterns) {
    const float xs[] = {8.0f, 2.0f, 0.3f, 1e10f};
    const double xd[] = {8.0, 2.0, 0.3, 1e100};
    float rs[4], rs2[4];
    double rd[4], rd2[4];
    vsPow2o3(4, xs, rs);
    vsPow3o2(4, xs, rs2);
    vdPow2o3(4, xd, rd);
    vdPow3o2(4, xd, rd2);
    const double tol_s = pow_tolerance("spowx", 0x1p-23), tol_d = pow_tolerance("dpowx", 0x1p-52);
    for (int i = 0; i < 4; ++i) {
        // 0x3F2AAAAB is the float nearest 2/3; 0x3FE5555555555555 the double.
        EXPECT_NEAR(rs[i], powf(xs[i], 0.666666686534881591796875f), tol_s * std::fabs(rs[i]));
        EXPECT_NEAR(rs2[i], powf(xs[i], 1.5f), tol_s * std::fabs(rs2[i]));
        EXPECT_NEAR(rd[i], pow(xd[i], 2.0 / 3.0), tol_d * std::fabs(rd[i]));
        EXPECT_NEAR(rd2[i], pow(xd[i], 1.5), tol_d * std::fabs(rd2[i]));
    }
    EXPECT_NEAR(rs[0], 4.0f, 4.0 * tol_s);
}

TEST_F(ArraySemantics, PowxWithTwoSquares) {
    const float a[] = {1.5f, -3.0f, 0.25f};
    const float two = 2.0f;
    float r[3];
    vsPowx(3, a, &two, r);
    EXPECT_FLOAT_EQ(r[0], 2.25f);
    EXPECT_FLOAT_EQ(r[1], 9.0f);
    EXPECT_FLOAT_EQ(r[2], 0.0625f);
}

TEST_F(ArraySemantics, Atan2TakesTheOrdinateFirst) {
    const float y[] = {1.0f, 0.0f}, x[] = {-1.0f, -1.0f};
    float r[2];
    vsAtan2(2, y, x, r);
    EXPECT_FLOAT_EQ(r[0], 3.0f * float(M_PI) / 4.0f);
    EXPECT_FLOAT_EQ(r[1], float(M_PI));
}

TEST_F(ArraySemantics, ComplexAddTouchesTwoScalarsPerElement) {
    tvml_cfloat a[4] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}}, b[4] = {{10, 20}, {30, 40}, {50, 60}, {70, 80}};
    tvml_cfloat r[4] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
    vcAdd(3, a, b, r);
    EXPECT_EQ(r[2].re, 55.0f);
    EXPECT_EQ(r[2].im, 66.0f);
    EXPECT_EQ(r[3].re, -1.0f);
    tvml_cdouble za[1] = {{1, 2}}, zb[1] = {{0.5, 0.25}}, zr[1];
    vzSub(1, za, zb, zr);
    EXPECT_EQ(zr[0].re, 0.5);
    EXPECT_EQ(zr[0].im, 1.75);
}

TEST(ArchitectureQuery, FollowsTheEnvironmentOnEveryCall) {
    const int forced = tvml_test::forced_index();
    const char* names[] = {"generic", "tarvo_generic", "tarvo_ondara", "tarvo_belisk"};
    // A forced tuned index is refused (index 0) where its kernels cannot run.
    if (forced >= 0) {
        EXPECT_STREQ(vml_get_cpu_arch(), names[tvml_test::index_runs_here(forced) ? forced : 0]);
    }
    const char* saved = std::getenv("VML_DEBUG_ARCH");
    const std::string keep = saved ? saved : "";
    setenv("VML_DEBUG_ARCH", "2", 1);
    EXPECT_STREQ(vml_get_cpu_arch(), tvml_test::index_runs_here(2) ? "tarvo_ondara" : "generic");
    setenv("VML_DEBUG_ARCH", "abc", 1);
    EXPECT_STREQ(vml_get_cpu_arch(), "generic");
    if (saved) setenv("VML_DEBUG_ARCH", keep.c_str(), 1);
    else unsetenv("VML_DEBUG_ARCH");
}

TEST(ArchitectureQuery, ConfigString) {
    char* config = tarvovml_get_config();
    EXPECT_EQ(config, tarvovml_get_config());
    EXPECT_STREQ(config, "x86_64 haswell ");
    for (int i = 15; i < 256; ++i) ASSERT_EQ(config[i], '\0') << i;
}

}  // namespace
