#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/report_line.h"
#include "workflow/status_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusTexts, FormatsOfTheCodes) {
    gSelectedImage = 3;
    const std::string cls = getClassName(26122, 0xFFFF);
    struct Case {
        std::int32_t code, value;
        std::optional<std::string> expected;
    } const cases[] = {
        {1, 7, "Progress 7%"},
        {11, 17, "Aborted because programming error at line 17 !"},
        {12, 5, "Aborted because conversion error at line  5 !"},
        {13, 0, "Repeat update because communication error!"},
        {14, 0x312, "Wrong answer from SD controller [TX 312] !"},
        {14, 0x10, "Wrong answer from SD controller [TX 010] !"},
        {15, 256, "Wrong answer from SD controller [RX 100] !"},
        {15, 0x4AB, "Wrong answer from SD controller [RX 4AB] !"},
        {15, -1, "Wrong answer from SD controller [RX FFFFFFFF] !"},
        {20, 26122, "Class 26122 [" + cls + "]"},
        {21, 0x0604, "Version 6.4"},
        {21, 0x0A1F, "Version 10.31"},
        {24, -3, "Info -3"},
        {25, 0x660A, "Update class 26122 [" + cls + "]"},
        {28, 0x1A, "Update Info 001A"},
        {28, 0x12345, "Update Info 12345"},
        {29, 0, "Unknown version of radio module."},
        {31, 0, "Format.."},
        {40, 0, "Vector table is saved."},
        {40, 1, "Vector table is programmed."},
        {40, 2, std::nullopt},
        {101, 3, "External pull-up resistor on the third channel was detected."},
        {101, 9, ""},
        {102, 26122, "BLID 26122 [" + cls + "]"},
        {0, 3, std::nullopt}, // the test command completes without a text
        {2, 0, std::nullopt},
        {103, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusText(c.code, c.value, "COM3"), c.expected) << c.code << "/" << c.value;
    }
}

TEST(StatusTexts, ImageTextsComeFromTheHeader) {
    gSelectedImage = 3;
    const TBl3FileHeader h = getFirmwareHeader(3);
    const std::string name = getClassName(h.zel_class, h.zel_print);
    const std::string print = getPrintName(h.zel_print);
    EXPECT_EQ(statusText(0, 0, ""), "Update " + name + " V4.108 succesfully completed.");
    EXPECT_EQ(statusText(26, 0, ""), "Update " + name + " V4.108, " + print + ", BL2.1");
    const TBl3FileHeader h1 = getFirmwareHeader(1);
    EXPECT_EQ(statusText(27, 1, ""), "Check " + getClassName(h1.zel_class, h1.zel_print) +
                                         " V1.04, " + getPrintName(h1.zel_print) + ", BL2.0");
    gSelectedImage = -1;
}

TEST(StatusTexts, ErrorTexts) {
    struct Case {
        std::int32_t code;
        const char* expected;
    } const cases[] = {
        {10, "Aborted because serial port \"COM12\" is not ready!"},
        {11, "Aborted because error when reading/writing to serial port!"},
        {20, "Process cancelled!"},
        {41, "Aborted because the logger is not ready!"},
        {43, "Aborted because conversion error!"},
        {44, "Repeat because programming error!"},
        {45, "Update was not successfull!"},
        {47, "There is no update available or the logger has another update ID!"},
        {48, "Aborted because wrong answer from SD controller!"},
        {70, "Only read update info!"},
        {102, "cEX_KE_POR"},
        {200, "The test function is not available for this logger!"},
        {0, "Fatal Exception has occurred!"},
        {30, "Fatal Exception has occurred!"},
        {49, "Fatal Exception has occurred!"},
        {-1, "Fatal Exception has occurred!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorText(c.code, "COM12"), c.expected) << c.code;
        EXPECT_EQ(statusText(10, c.code, "COM12"), c.expected) << c.code;
    }
    // A "%s" typed into the port field is not formatted again.
    EXPECT_EQ(errorText(10, "%s%d"), "Aborted because serial port \"%s%d\" is not ready!");
    EXPECT_EQ(startText("%1 COM3"), "Start at serial port \"%1 COM3\"");
}

TEST(ReportLine, TimePrefix) {
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 10;
    tm.tm_hour = 14;
    tm.tm_min = 3;
    tm.tm_sec = 59;
    tm.tm_isdst = -1;
    EXPECT_EQ(reportLine("Process cancelled!", std::mktime(&tm)), "14-03-59 -> Process cancelled!");
    tm.tm_hour = 9;
    tm.tm_min = 5;
    tm.tm_sec = 7;
    EXPECT_EQ(reportLine("x", std::mktime(&tm)), "09-05-07 -> x");
}

} // namespace
