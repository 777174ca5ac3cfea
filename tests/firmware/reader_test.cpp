#include "firmware/str_to_int.h"
#include "firmware/uVersion.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---- The integer rule ------------------------------------------------------------------------

struct IntCase {
    const char* text;
    std::optional<std::int32_t> value; // nullopt: a conversion error
};

class StrToInt : public testing::TestWithParam<IntCase> {};

TEST_P(StrToInt, FollowsTheIntegerRule) {
    const IntCase& c = GetParam();
    if (c.value) {
        EXPECT_EQ(strToInt(c.text), *c.value) << '"' << c.text << '"';
    } else {
        EXPECT_THROW(strToInt(c.text), EConvertError) << '"' << c.text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrToInt,
    testing::Values(IntCase{"0", 0}, IntCase{"108", 108}, IntCase{"  108", 108}, IntCase{"010", 10},
                    IntCase{"+5", 5}, IntCase{"-1", -1}, IntCase{"2147483647", 2147483647},
                    IntCase{"-2147483648", INT32_MIN}, IntCase{"000000000002147483647", 2147483647},
                    IntCase{"$19", 25}, IntCase{"x19", 25}, IntCase{"X19", 25}, IntCase{"0x19", 25},
                    IntCase{"0X19", 25}, IntCase{"$ff", 255}, IntCase{"-$10", -16},
                    IntCase{"$FFFFFFFF", -1}, IntCase{"$80000000", INT32_MIN},
                    IntCase{"-$80000000", INT32_MIN}, IntCase{"", std::nullopt},
                    IntCase{"   ", std::nullopt}, IntCase{"-", std::nullopt},
                    IntCase{"+-1", std::nullopt}, IntCase{"- 5", std::nullopt},
                    IntCase{"108 ", std::nullopt}, IntCase{"\t108", std::nullopt},
                    IntCase{"2147483648", std::nullopt}, IntCase{"-2147483649", std::nullopt},
                    IntCase{"99999999999999999999", std::nullopt}, IntCase{"$", std::nullopt},
                    IntCase{"0x", std::nullopt}, IntCase{"$100000000", std::nullopt},
                    IntCase{"$1G", std::nullopt}, IntCase{"19h", std::nullopt},
                    IntCase{"1e3", std::nullopt}, IntCase{"0b101", std::nullopt},
                    IntCase{"$-1", std::nullopt}));

TEST(StrToInt, ErrorTextNamesTheValue) {
    try {
        strToInt("12a");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'12a' ist kein gültiger Integerwert");
    }
}

// ---- getKeyValue -----------------------------------------------------------------------------

TEST(GetKeyValue, SplitsAtTheFirstEqualsSign) {
    struct Case {
        const char* line;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"class=26122", "class", "26122"},
        {"date=a=b", "date", "a=b"},
        {"date=", "date", ""},
        {"class = 1", "class", ""},
        {"class= 1", "class", " 1"},
        {"Class=1", "class", ""},
        {"class", "class", ""},
        {"=1", "", "1"},
        {"classes=1", "class", ""},
        {"", "class", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(getKeyValue(c.line, c.key), c.value) << c.line << " / " << c.key;
    }
}

// ---- readFirmwareHeader ----------------------------------------------------------------------

const std::vector<std::string> kImage3Lines = {
    "bootloader=2", "bootloader version=1", "class=26122", "versionH=4",
    "versionL=108", "platform=25",          "print=52",    "date=12.12.2024 12:05:28"};

// The eight header lines of image 3 with line `index` (0-based) replaced, or cut after `count`.
std::string headerText(std::vector<std::pair<int, std::string>> replace = {}, std::size_t count = 8,
                       const char* eol = "\n") {
    std::vector<std::string> lines = kImage3Lines;
    for (auto& [index, text] : replace) {
        lines[static_cast<std::size_t>(index)] = text;
    }
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += lines[i] + eol;
    }
    return out;
}

TBl3FileHeader image3() {
    return {26122, 4, 108, 25, 52, "12.12.2024 12:05:28", 2, 1};
}

// Every field different from image 3, to see which fields a failed read left alone.
TBl3FileHeader before() {
    return {7, 7, 7, 7, 7, "old", 7, 7};
}

struct ReadCase {
    const char* name;
    std::string text;
    TBl3FileHeader expected;
    const char* error; // nullptr: completes
};

TBl3FileHeader with(TBl3FileHeader h, void (*change)(TBl3FileHeader&)) {
    change(h);
    return h;
}

class ReadFirmwareHeader : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadFirmwareHeader, ReadsTheEightHeaderLines) {
    const ReadCase& c = GetParam();
    std::istringstream file(c.text);
    TBl3FileHeader header = before();
    if (c.error == nullptr) {
        EXPECT_NO_THROW(readFirmwareHeader(file, header));
    } else {
        try {
            readFirmwareHeader(file, header);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
    EXPECT_EQ(header, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadFirmwareHeader,
    testing::Values(
        ReadCase{"Image3", headerText(), image3(), nullptr},
        ReadCase{"CrLf", headerText({}, 8, "\r\n"), image3(), nullptr},
        ReadCase{"NoFinalLineEnd", headerText().substr(0, headerText().size() - 1), image3(),
                 nullptr},
        ReadCase{"BlanksAroundEquals", headerText({{2, "class = 26122"}}),
                 with(before(), [](TBl3FileHeader& h) { h.zel_bl = 2, h.zel_bl_ver = 1; }),
                 "'' ist kein gültiger Integerwert"},
        ReadCase{"BlankBeforeDigits", headerText({{4, "versionL= 108"}}), image3(), nullptr},
        ReadCase{"BlankAfterDigits", headerText({{4, "versionL=108 "}}),
                 with(before(),
                      [](TBl3FileHeader& h) {
                          h.zel_bl = 2, h.zel_bl_ver = 1, h.zel_class = 26122, h.zel_verH = 4;
                      }),
                 "'108 ' ist kein gültiger Integerwert"},
        ReadCase{"HexPlatforms", headerText({{5, "platform=0x19"}, {6, "print=$34"}}), image3(),
                 nullptr},
        ReadCase{"PrintMinusOne", headerText({{6, "print=-1"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_print = 65535; }), nullptr},
        ReadCase{"LowSixteenBits", headerText({{2, "class=65536"}, {3, "versionH=$FFFFFFFF"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_class = 0, h.zel_verH = 65535; }),
                 nullptr},
        ReadCase{"BootLoaderIsText", headerText({{0, "bootloader=02"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_bl = 0xFFFF; }), nullptr},
        ReadCase{"BootLoaderBlank", headerText({{0, "bootloader= 2"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_bl = 0xFFFF; }), nullptr},
        ReadCase{"BootLoaderThree", headerText({{0, "bootloader=3"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_bl = 3; }), nullptr},
        ReadCase{"EmptyDate", headerText({{7, "date="}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_date = ""; }), nullptr},
        ReadCase{"DateWithEquals", headerText({{7, "date=a=b"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_date = "a=b"; }), nullptr},
        ReadCase{"DateLatin1", headerText({{7, "date=\xE9t\xE9"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_date = "\u00e9t\u00e9"; }), nullptr},
        ReadCase{"SevenLines", headerText({}, 7),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_date = ""; }), nullptr},
        ReadCase{"SixLines", headerText({}, 6),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_print = 7, h.zel_date = "old"; }),
                 "'' ist kein gültiger Integerwert"},
        ReadCase{"Empty", "", with(before(), [](TBl3FileHeader& h) { h.zel_bl = 0xFFFF; }),
                 "'' ist kein gültiger Integerwert"},
        ReadCase{
            "SwappedLines", headerText({{3, "versionL=108"}, {4, "versionH=4"}}),
            with(before(),
                 [](TBl3FileHeader& h) { h.zel_bl = 2, h.zel_bl_ver = 1, h.zel_class = 26122; }),
            "'' ist kein gültiger Integerwert"},
        ReadCase{"OnlyFirstAndLastWrong", headerText({{0, "boot=2"}, {7, "Date=x"}}),
                 with(image3(), [](TBl3FileHeader& h) { h.zel_bl = 0xFFFF, h.zel_date = ""; }),
                 nullptr},
        ReadCase{"NonAsciiValue", headerText({{2, "class=\xFC"}}),
                 with(before(), [](TBl3FileHeader& h) { h.zel_bl = 2, h.zel_bl_ver = 1; }),
                 "'\u00fc' ist kein gültiger Integerwert"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ReadFirmwareHeader, LeavesTheFileAfterTheHeader) {
    std::istringstream file(headerText() + ":00000001FF\nnext\n");
    TBl3FileHeader header;
    readFirmwareHeader(file, header);
    std::string line;
    std::getline(file, line);
    EXPECT_EQ(line, ":00000001FF");
}

TEST(ReadFirmwareHeader, BadStreamIsAnInOutError) {
    std::istringstream file(headerText());
    file.setstate(std::ios::badbit);
    TBl3FileHeader header;
    EXPECT_THROW(readFirmwareHeader(file, header), EInOutError);
}

} // namespace
