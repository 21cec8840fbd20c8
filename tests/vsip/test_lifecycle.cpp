// Lifecycle, product version and the logger's exact output.
#include <gtest/gtest.h>

#include <cstring>

#include "support.hpp"

using vsiptest::capture_stdout;
using vsiptest::ScopedEnv;

TEST(Lifecycle, InitAndFinalizeReturnZeroInAnyOrder) {
    EXPECT_EQ(vsip_finalize(nullptr), 0);
    EXPECT_EQ(vsip_init(nullptr), 0);
    EXPECT_EQ(vsip_init(nullptr), 0);
    EXPECT_EQ(vsip_finalize(nullptr), 0);
}

TEST(ProductVersion, NullRecordIsRefused) {
    EXPECT_EQ(tml_vsip_get_product_version(nullptr), 1);
}

TEST(ProductVersion, ExactStringsOwnedByTheCaller) {
    tml_vsip_product_version info{};
    ASSERT_EQ(tml_vsip_get_product_version(&info), 0);
    EXPECT_STREQ(info.component_name, "Component Name: TarvoML-TarvoVSIP");
    EXPECT_STREQ(info.component_version, "Component Version: v1.0.0");
    EXPECT_EQ(std::strlen(info.component_name), 33u);
    EXPECT_EQ(std::strlen(info.component_version), 25u);
    std::free(info.component_name);
    std::free(info.component_version);
}

TEST(ProductVersion, AllocationFailureReturnsThreeAndLeavesNothing) {
    for (long k = 1; k <= 2; ++k) {
        vsiptest::FailingAllocator allocator(k);
        tml_vsip_product_version info{};
        EXPECT_EQ(tml_vsip_get_product_version(&info), 3) << "failing call " << k;
        EXPECT_EQ(allocator.live(), 0u) << "failing call " << k;
    }
}

namespace {

const std::string kWhite = "\x1b[1;37m";
const std::string kReset = "\x1b[0m";
const std::string kDebug = "[DEBUG] ";
const std::string kInfo = "[INFO] ";
const std::string kWarning = "[\x1b[1;33mWARNING\x1b[0m] ";
const std::string kError = "[\x1b[1;31mERROR\x1b[0m] ";

std::string line(const std::string &tag, const char *func, const char *msg) {
    return tag + kWhite + "func=" + func + ", " + msg + kReset + "\n";
}

struct ThresholdCase {
    const char *setting; // null: VSIP_LOG_LEVEL unset
    bool debug, info, warning, error;
};

void PrintTo(const ThresholdCase &c, std::ostream *os) {
    *os << (c.setting ? "\"" + std::string(c.setting) + "\"" : std::string("unset"));
}

class LogThreshold : public ::testing::TestWithParam<ThresholdCase> {};

} // namespace

TEST_P(LogThreshold, PrintsExactlyTheLevelsAtOrAboveTheThreshold) {
    const ThresholdCase &c = GetParam();
    ScopedEnv env("VSIP_LOG_LEVEL",
                  c.setting ? std::optional<std::string>(c.setting) : std::nullopt);
    std::string expected;
    if (c.debug) expected += line(kDebug, "vsip_ccfftop_create_f", "fft backend is FFTW.");
    if (c.info) expected += line(kInfo, "vsip_gemp_f", "copy a.\n");
    if (c.warning) expected += line(kWarning, "vsip_cfirflt_f", "use default kernel, kernel_ymm_num=3");
    if (c.error) expected += line(kError, "vsip_gems_f", "bad");
    std::string out = capture_stdout([] {
        VI_log(VI_LOG_DEBUG, "vsip_ccfftop_create_f", "fft backend is FFTW.");
        VI_log(VI_LOG_INFO, "vsip_gemp_f", "copy a.\n");
        VI_log(VI_LOG_WARNING, "vsip_cfirflt_f", "use default kernel, kernel_ymm_num=3");
        VI_log(VI_LOG_ERROR, "vsip_gems_f", "bad");
    });
    EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LogThreshold,
    ::testing::Values(ThresholdCase{nullptr, false, true, true, true},
                      ThresholdCase{"DEBUG", true, true, true, true},
                      ThresholdCase{"INFO", false, true, true, true},
                      ThresholdCase{"WARNING", false, false, true, true},
                      ThresholdCase{"ERROR", false, false, false, true},
                      ThresholdCase{"debug", false, true, true, true},
                      ThresholdCase{"error", false, true, true, true},
                      ThresholdCase{"", false, true, true, true},
                      ThresholdCase{"ERROR ", false, true, true, true},
                      ThresholdCase{"VERBOSE", false, true, true, true}));

TEST(Log, MessageWithItsOwnNewlineLeavesTheResetOnASecondLine) {
    ScopedEnv env("VSIP_LOG_LEVEL", std::nullopt);
    std::string out = capture_stdout([] { VI_log(VI_LOG_INFO, "vsip_gemp_f", "copy a.\n"); });
    EXPECT_EQ(out, "[INFO] \x1b[1;37mfunc=vsip_gemp_f, copy a.\n\x1b[0m\n");
}

TEST(Log, ThresholdIsReadAtEveryMessage) {
    std::string out = capture_stdout([] {
        ScopedEnv quiet("VSIP_LOG_LEVEL", std::string("ERROR"));
        VI_log(VI_LOG_INFO, "f", "hidden");
        setenv("VSIP_LOG_LEVEL", "DEBUG", 1);
        VI_log(VI_LOG_DEBUG, "f", "shown");
    });
    EXPECT_EQ(out, line(kDebug, "f", "shown"));
}
