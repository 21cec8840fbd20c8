// VU_ printers: exact output of full and abbreviated listings under both
// environment variables.
#include <gtest/gtest.h>

#include <vector>

#include "support.hpp"

using vsiptest::capture_stdout;
using vsiptest::ScopedEnv;

namespace {

using Setting = std::optional<std::string>;

// Both variables for one scope (nullopt: unset).
struct Env {
    ScopedEnv length, row;
    Env(Setting l, Setting r) : length("VU_MAX_PRINT_LENGTH", l), row("VU_MAX_ROW_PRINT_LENGTH", r) {}
};

// Vector 0, 1, ..., n-1 (floats) behind a reversed-stride view of a bigger
// block, so the printers must go through the view geometry.
struct FloatVector {
    vsip_vview_f *store, *view;
    explicit FloatVector(vsip_length n) {
        store = vsip_vcreate_f(n + 2, VSIP_MEM_NONE);
        view = vsip_vbind_f(vsip_vgetblock_f(store), n, -1, n);
        for (vsip_index j = 0; j < n; ++j)
            vsip_vput_f(view, j, float(j));
    }
    ~FloatVector() {
        vsip_vdestroy_f(view);
        vsip_valldestroy_f(store);
    }
};

struct ComplexVector {
    vsip_cvview_f *view;
    explicit ComplexVector(vsip_length n) {
        view = vsip_cvcreate_f(n, VSIP_MEM_NONE);
        for (vsip_index j = 0; j < n; ++j)
            vsip_cvput_f(view, j, vsip_cscalar_f{float(j + 1), -float(j + 1)});
    }
    ~ComplexVector() { vsip_cvalldestroy_f(view); }
};

std::string print_f(const char *spec, vsip_length n) {
    FloatVector v(n);
    return capture_stdout([&] { EXPECT_GE(VU_vprintm_f(spec, v.view), 0); });
}

std::string print_cv(const char *spec, vsip_length n) {
    ComplexVector v(n);
    return capture_stdout([&] { VU_cvprintm_f(spec, v.view); });
}

struct PrintCase {
    const char *name;
    Setting length, row;
    std::function<std::string()> print;
    std::string expected;
};

void PrintTo(const PrintCase &c, std::ostream *os) { *os << c.name; }

class Printer : public ::testing::TestWithParam<PrintCase> {};

std::vector<PrintCase> cases() {
    const Setting unset;
    return {
        {"float_full", unset, unset, [] { return print_f("4.1", 3); },
         "[\n 0.0,  1.0,  2.0];\n"},
        {"float_empty", unset, unset, [] { return print_f("4.1", 0); }, "[];\n"},
        {"float_line_breaks", unset, std::string("4"), [] { return print_f(".0", 10); },
         "[\n0, 1, 2, 3, \n4, 5, 6, 7, \n8, 9];\n"},
        {"float_default_breaks", unset, unset, [] { return print_f(".0", 12); },
         "[\n0, 1, 2, 3, 4, 5, 6, 7, 8, 9, \n10, 11];\n"},
        {"float_abbreviated_default_row", std::string("4"), unset, [] { return print_f("", 20); },
         "[0.000000, 1.000000, 2.000000, 3.000000, 4.000000, ... 15.000000 16.000000 "
         "17.000000 18.000000 19.000000];\n"},
        {"float_abbreviated_row_5", std::string("4"), std::string("5"),
         [] { return print_f(".1", 20); }, "[0.0, 1.0, ... 17.0 18.0 19.0];\n"},
        {"float_abbreviated_row_1", std::string("4"), std::string("1"),
         [] { return print_f(".1", 20); }, "[... 19.0];\n"},
        // V9: a row value below 1 is the default 10.
        {"float_abbreviated_row_0", std::string("4"), std::string("0"),
         [] { return print_f(".0", 20); }, "[0, 1, 2, 3, 4, ... 15 16 17 18 19];\n"},
        {"float_full_row_negative", unset, std::string("-3"), [] { return print_f(".0", 11); },
         "[\n0, 1, 2, 3, 4, 5, 6, 7, 8, 9, \n10];\n"},
        {"float_limit_equals_length", std::string("3"), unset, [] { return print_f(".0", 3); },
         "[\n0, 1, 2];\n"},
        {"float_negative_limit_is_no_limit", std::string("-1"), std::string("100"),
         [] { return print_f(".0", 12); }, "[\n0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11];\n"},
        {"float_limit_zero", std::string("0"), std::string("2"), [] { return print_f(".0", 1); },
         "[0, ... ];\n"},
        // Head and tail longer than the view: each element once, none past the end.
        {"float_head_tail_clamped", std::string("2"), std::string("20"),
         [] { return print_f(".0", 4); }, "[0, 1, 2, 3, ... ];\n"},
        {"float_spec_cut_at_foreign_character", unset, unset,
         [] { return print_f("5.2%s", 2); }, "[\n 0.00,  1.00];\n"},
        {"float_spec_cut_at_15_characters", unset, unset,
         [] { return print_f("0000000000000005", 1); }, "[\n0.000000];\n"},
        {"float_null_spec", unset, unset, [] { return print_f(nullptr, 1); }, "[\n0.000000];\n"},

        {"complex_full_default_breaks_every_5", unset, unset, [] { return print_cv(".0", 6); },
         "[\n(1 -1i) (2 -2i) (3 -3i) (4 -4i) (5 -5i) \n(6 -6i)];\n"},
        {"complex_full_row_halved", unset, std::string("4"), [] { return print_cv(".0", 5); },
         "[\n(1 -1i) (2 -2i) \n(3 -3i) (4 -4i) \n(5 -5i)];\n"},
        {"complex_limit_halved", std::string("10"), unset, [] { return print_cv(".0", 5); },
         "[\n(1 -1i) (2 -2i) (3 -3i) (4 -4i) (5 -5i)];\n"},
        {"complex_abbreviated_default", std::string("9"), unset, [] { return print_cv(".0", 5); },
         "[(1 -1i) (2 -2i) ... (3 -3i) (4 -4i) (5 -5i)];\n"},
        {"complex_abbreviated_row_8", std::string("8"), std::string("8"),
         [] { return print_cv(".1", 6); }, "[(1.0 -1.0i) (2.0 -2.0i) ... (5.0 -5.0i) (6.0 -6.0i)];\n"},
        {"complex_abbreviated_row_3", std::string("2"), std::string("3"),
         [] { return print_cv(".0", 6); }, "[... (6 -6i)];\n"},
        {"complex_abbreviated_row_1_is_default", std::string("2"), std::string("1"),
         [] { return print_cv(".0", 6); }, "[(1 -1i) (2 -2i) ... (4 -4i) (5 -5i) (6 -6i)];\n"},
        {"complex_negative_limit_is_no_limit", std::string("-1"), unset,
         [] { return print_cv(".0", 2); }, "[\n(1 -1i) (2 -2i)];\n"},
        {"complex_default_limit_500", unset, unset, [] { return print_cv(".0", 501); },
         "[(1 -1i) (2 -2i) ... (499 -499i) (500 -500i) (501 -501i)];\n"},
        {"complex_default_limit_500_full", unset, unset,
         [] { return print_cv(".0", 500).substr(0, 10); }, "[\n(1 -1i) "},
    };
}

} // namespace

TEST_P(Printer, ExactOutput) {
    const PrintCase &c = GetParam();
    Env env(c.length, c.row);
    EXPECT_EQ(c.print(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Printer, ::testing::ValuesIn(cases()),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- Integer-family vectors ----------------------------------------------------

TEST(PrinterFormats, IntegerBooleanAndIndexVectors) {
    Env env(std::nullopt, std::string("2"));
    vsip_vview_i *vi = vsip_vcreate_i(3, VSIP_MEM_NONE);
    vsip_vview_bl *vb = vsip_vcreate_bl(3, VSIP_MEM_NONE);
    vsip_vview_vi *vx = vsip_vcreate_vi(3, VSIP_MEM_NONE);
    vsip_vview_mi *vm = vsip_vcreate_mi(2, VSIP_MEM_NONE);
    for (vsip_index j = 0; j < 3; ++j) {
        vsip_vput_i(vi, j, -7 * vsip_scalar_i(j));
        vsip_vput_bl(vb, j, j == 1 ? -1 : vsip_scalar_bl(j));
        vsip_vput_vi(vx, j, 10 * j);
    }
    vsip_vput_mi(vm, 0, vsip_matindex(1, 2));
    vsip_vput_mi(vm, 1, vsip_matindex(30, 4));
    EXPECT_EQ(capture_stdout([&] { VU_vprintm_i("9.9", vi); }), "[\n0  -7  \n-14 ];\n");
    EXPECT_EQ(capture_stdout([&] { VU_vprintm_bl(vb); }), "[\n0  4294967295  \n2 ];\n");
    EXPECT_EQ(capture_stdout([&] { VU_vprintm_vi("3", vx); }), "[\n  0   10  \n 20 ];\n");
    EXPECT_EQ(capture_stdout([&] { VU_vprintm_mi("2", vm); }), "[\n( 1  2) (30  4)];\n");
    {
        Env abbreviated(std::string("1"), std::string("2"));
        EXPECT_EQ(capture_stdout([&] { VU_vprintm_i("", vi); }), "[0  ... -14 ];\n");
        EXPECT_EQ(capture_stdout([&] { VU_vprintm_mi("", vm); }), "[(1 2) ... (30 4)];\n");
    }
    vsip_valldestroy_i(vi);
    vsip_valldestroy_bl(vb);
    vsip_valldestroy_vi(vx);
    vsip_valldestroy_mi(vm);
}

// ---- Matrices ------------------------------------------------------------------

namespace {

// rows x cols real matrix holding 1, 2, ... row by row, stored column-major.
struct FloatMatrix {
    vsip_mview_f *m;
    FloatMatrix(vsip_length rows, vsip_length cols) {
        m = vsip_mcreate_f(rows, cols, VSIP_COL, VSIP_MEM_NONE);
        for (vsip_index i = 0; i < rows; ++i)
            for (vsip_index j = 0; j < cols; ++j)
                vsip_mput_f(m, i, j, float(i * cols + j + 1));
    }
    ~FloatMatrix() { vsip_malldestroy_f(m); }
    std::string print() const { return capture_stdout([&] { EXPECT_GE(VU_mprintm_f(".0", m), 0); }); }
};

struct MatrixCase {
    const char *name;
    Setting length, row;
    vsip_length rows, cols;
    std::string expected;
};
void PrintTo(const MatrixCase &c, std::ostream *os) { *os << c.name; }
class MatrixPrinter : public ::testing::TestWithParam<MatrixCase> {};

} // namespace

TEST_P(MatrixPrinter, ExactOutput) {
    const MatrixCase &c = GetParam();
    Env env(c.length, c.row);
    EXPECT_EQ(FloatMatrix(c.rows, c.cols).print(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MatrixPrinter,
    ::testing::Values(
        MatrixCase{"full", std::nullopt, std::nullopt, 2, 3, "[\n[1 2 3]\n[4 5 6]\n]\n"},
        MatrixCase{"full_at_limit", std::string("6"), std::string("1"), 2, 3,
                   "[\n[1 2 3]\n[4 5 6]\n]\n"},
        MatrixCase{"empty_rows", std::nullopt, std::nullopt, 2, 0, "[\n[]\n[]\n]\n"},
        MatrixCase{"more_rows_than_r", std::string("4"), std::string("2"), 3, 4,
                   "[\n[1 ... 4]\n...,\n[9 ... 12]\n]\n"},
        MatrixCase{"more_rows_than_r_columns_equal_r", std::string("1"), std::string("2"), 3, 2,
                   "[\n[1 ... 2]\n...,\n[5 ... 6]\n]\n"},
        MatrixCase{"more_rows_than_r_short_rows_whole", std::string("1"), std::string("3"), 4, 2,
                   "[\n[1 2]\n...,\n[5 6]\n[7 8]\n]\n"},
        MatrixCase{"rows_within_r_long_rows_elided", std::string("4"), std::string("3"), 3, 4,
                   "[\n[1 ... 3 4]\n[5 ... 7 8]\n[9 ... 11 12]\n]\n"},
        MatrixCase{"rows_within_r_columns_equal_r_whole", std::string("4"), std::string("4"), 2,
                   4, "[\n[1 2 3 4]\n[5 6 7 8]\n]\n"},
        MatrixCase{"negative_limit_is_no_limit", std::string("-5"), std::string("1"), 2, 2,
                   "[\n[1 2]\n[3 4]\n]\n"},
        MatrixCase{"row_zero_is_default", std::string("1"), std::string("0"), 2, 12,
                   "[\n[1 2 3 4 5 ... 8 9 10 11 12]\n[13 14 15 16 17 ... 20 21 22 23 24]\n]\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PrinterFormats, ComplexMatrix) {
    vsip_cmview_f *m = vsip_cmcreate_f(2, 2, VSIP_ROW, VSIP_MEM_NONE);
    for (vsip_index i = 0; i < 2; ++i)
        for (vsip_index j = 0; j < 2; ++j)
            vsip_cmput_f(m, i, j, vsip_cscalar_f{float(i), -float(j) - 0.5f});
    {
        Env env(std::nullopt, std::nullopt);
        EXPECT_EQ(capture_stdout([&] { VU_cmprintm_f("4.1", m); }),
                  "[\n[( 0.0 -0.5i) ( 0.0 -1.5i)]\n[( 1.0 -0.5i) ( 1.0 -1.5i)]\n]\n");
    }
    {
        Env env(std::string("3"), std::string("1"));
        EXPECT_EQ(capture_stdout([&] { VU_cmprintm_f(".0", m); }), "[\n...,\n[... (1 -2i)]\n]\n");
    }
    vsip_cmalldestroy_f(m);
}

TEST(PrinterFormats, PlainIntegerAndDoubleMatricesIgnoreTheLimits) {
    Env env(std::string("0"), std::string("1"));
    vsip_scalar_i data[4] = {1, 2, 3, 4};
    vsip_block_i *b = vsip_blockbind_i(data, 4, VSIP_MEM_NONE);
    vsip_mview_i *m = vsip_mbind_i(b, 0, 2, 2, 1, 2);
    EXPECT_EQ(capture_stdout([&] { VU_mprintm_i("3", m); }), "[\n  1    2 ;\n  3    4 ;\n];\n");
    vsip_mview_i *empty = vsip_mbind_i(b, 0, 2, 2, 1, 0);
    EXPECT_EQ(capture_stdout([&] { VU_mprintm_i("3", empty); }), "[\n\n\n];\n");
    vsip_mdestroy_i(empty);
    vsip_malldestroy_i(m);

    double dd[3] = {0.5, -1.25, 2};
    vsip_block_d block{nullptr, dd, 1, 1, 1, 3, 0x5555, 0, 0};
    vsip_mview_d md{&block, 0, 1, 3, 3, 1, 0x5555};
    EXPECT_EQ(capture_stdout([&] { VU_mprintm_d("6.2", &md); }), "[\n  0.50   -1.25    2.00 ;\n];\n");
}
