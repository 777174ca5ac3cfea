#include "firmware/uFWVersions.h"
#include "update/hex_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const std::string kDigits = "0123456789ABCDEF";

std::string hexByte(unsigned b) {
    return {kDigits[(b >> 4) & 15], kDigits[b & 15]};
}

// A record line with `n` data bytes 0, 1, 2, ... and its checksum plus `checksumDelta`.
std::string recordLine(unsigned n, unsigned address = 0x1234, unsigned type = 0,
                       int checksumDelta = 0) {
    std::string digits = hexByte(n) + hexByte(address >> 8) + hexByte(address) + hexByte(type);
    unsigned sum = n + (address >> 8) + (address & 0xFF) + type;
    for (unsigned i = 0; i < n; ++i) {
        digits += hexByte(i);
        sum += i;
    }
    const unsigned checksum = (256 - (sum & 0xFF) + static_cast<unsigned>(checksumDelta)) & 0xFF;
    return ":" + digits + hexByte(checksum);
}

std::string lowerCase(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

TEST(HexDigits, OnlyUpperCaseHexDigitsHaveAValue) {
    for (int i = 0; i < 256; ++i) {
        const char c = static_cast<char>(i);
        std::uint8_t value = 0xEE;
        const auto at = kDigits.find(c);
        const bool isDigit = c != '\0' && at != std::string::npos;
        EXPECT_EQ(hexDigitValue(c, value), isDigit) << "character " << i;
        EXPECT_EQ(value, isDigit ? static_cast<int>(at) : 0xEE) << "character " << i;
    }
}

TEST(HexDigits, NibbleGivesUpperCaseDigitOfLowFourBits) {
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(nibbleToHexDigit(static_cast<std::uint8_t>(b)), kDigits[b & 15]) << b;
    }
}

struct ParseCase {
    const char* name;
    std::string line;
    bool ok;
};

class ParseHexLine : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseHexLine, AcceptsOnlyWellFormedRecords) {
    HexLine = GetParam().line;
    EXPECT_EQ(parseHexLine(), GetParam().ok) << GetParam().line;
    // The pure form judges alike and leaves the shared buffers alone.
    HexLine = "untouched";
    THexRecord record{};
    EXPECT_EQ(parseHexLine(GetParam().line, record), GetParam().ok) << GetParam().line;
    EXPECT_EQ(HexLine, "untouched");
    if (GetParam().ok) {
        std::string rebuilt;
        ASSERT_TRUE(buildHexLine(record, rebuilt));
        EXPECT_EQ(rebuilt, GetParam().line);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseHexLine,
    testing::Values(ParseCase{"EndOfFile", ":00000001FF", true},
                    ParseCase{"SixtyFourBytes", recordLine(0x40), true},
                    ParseCase{"OneCharacterMore", recordLine(0x40) + "0", false},
                    ParseCase{"TrailingBlank", recordLine(0x10) + " ", false},
                    ParseCase{"CountAboveSixtyFour", recordLine(0x41), false},
                    ParseCase{"LowerCase", lowerCase(recordLine(0x40, 0xABCD)), false},
                    ParseCase{"LowerCaseChecksumOnly", ":0000000aF6", false},
                    ParseCase{"ChecksumPlusOne", recordLine(0x40, 0x8000, 0, +1), false},
                    ParseCase{"ChecksumMinusOne", recordLine(0x10, 0x8000, 0, -1), false},
                    ParseCase{"NoColon", "000000001FF", false},
                    ParseCase{"LeadingBlank", " :00000001FF", false},
                    ParseCase{"TenCharacters", ":00000001F", false}, ParseCase{"Empty", "", false},
                    ParseCase{"CountNotHex", ":G0000001FF", false},
                    ParseCase{"LengthOfOtherCount", ":01000001FF", false},
                    ParseCase{"BadDigitInData", ":0100000G00FF", false},
                    ParseCase{"NulInData",
                              std::string(":01000000\0"
                                          "0FF",
                                          13),
                              false},
                    ParseCase{"TypeAndAddressNotChecked", recordLine(3, 0xFFFF, 0xAB), true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ParseHexLine, FillsRecordAndStoresCountBeforeLaterChecks) {
    HexLine = ":0300300002337A1E";
    ASSERT_TRUE(parseHexLine());
    const std::uint8_t expected[] = {0x03, 0x00, 0x30, 0x00, 0x02, 0x33, 0x7A, 0x1E};
    for (std::size_t i = 0; i < sizeof expected; ++i) {
        EXPECT_EQ(HexRecord[i], expected[i]) << i;
    }
    HexLine = recordLine(0x41);
    EXPECT_FALSE(parseHexLine());
    EXPECT_EQ(HexRecord[0], 0x41);
}

TEST(BuildHexLine, CountAboveSixtyFourGivesColonOnly) {
    HexLine = "something";
    HexRecord[0] = 0x41;
    EXPECT_FALSE(buildHexLine());
    EXPECT_EQ(HexLine, ":");
}

TEST(BuildHexLine, ComputesChecksumAfresh) {
    HexRecord = {};
    HexRecord[3] = 0x01;
    HexRecord[4] = 0x55; // a stale checksum byte
    ASSERT_TRUE(buildHexLine());
    EXPECT_EQ(HexLine, ":00000001FF");
}

TEST(HexLineRoundTrip, EveryBuiltInLineParsesAndBuildsBackUnchanged) {
    for (int image = 1; image <= getBuiltInCount(); ++image) {
        std::string line;
        int last = 0;
        TBl3FileHeader header;
        ASSERT_TRUE(accessFirmware(image, kFwOpLastLine, 0, line, last, header));
        for (int i = 0; i <= last; ++i) {
            ASSERT_TRUE(accessFirmware(image, kFwOpLine, i, line, last, header));
            HexLine = line;
            ASSERT_TRUE(parseHexLine()) << "image " << image << " line " << i;
            HexRecord[4 + HexRecord[0]] ^= 0x5A; // the stored checksum must not matter
            ASSERT_TRUE(buildHexLine());
            EXPECT_EQ(HexLine, line) << "image " << image << " line " << i;
        }
    }
}

} // namespace
