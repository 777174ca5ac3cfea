#include "comm/frame.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::uint8_t crcOf(const std::vector<std::uint8_t>& bytes) {
    return calculateCRC8(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
}

TEST(Crc8, KnownValues) {
    const std::string digits = "123456789";
    EXPECT_EQ(calculateCRC8(reinterpret_cast<const std::uint8_t*>(digits.data()), 9), 0xA1);
    EXPECT_EQ(calculateCRC8(nullptr, 0), 0x00);
    EXPECT_EQ(crcOf(std::vector<std::uint8_t>(7, 0)), 0x00);
    struct {
        std::uint8_t byte, crc;
    } const singles[] = {{0x00, 0x00}, {0x01, 0x5E}, {0x02, 0xBC}, {0x80, 0x8C}, {0xFF, 0x35}};
    for (const auto& s : singles) {
        EXPECT_EQ(crcOf({s.byte}), s.crc) << int(s.byte);
    }
}

TEST(CommandFrame, LayoutAndWakeFrame) {
    struct Case {
        std::uint8_t cmd, p1, p2, p3, p4, p5, p6;
        TFrame expected;
    } const cases[] = {
        {1, 0, 0, 0, 0, 0, 0, {0x81, 0, 0, 0, 0, 0, 0, 0xAA}},
        {2, 0xC8, 0, 0, 0, 0, 0, {0x82, 0xC8, 0, 0, 0, 0, 0, 0xD3}},
        {5, 0x14, 0, 0, 0, 0, 0, {0x85, 0x14, 0, 0, 0, 0, 0, 0xD9}},
        {255, 1, 2, 3, 4, 5, 6, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(buildCommandFrame(c.cmd, c.p1, c.p2, c.p3, c.p4, c.p5, c.p6), c.expected)
            << "command " << int(c.cmd);
    }
    // Parameters land in order p1..p6 in bytes 1..6.
    const TFrame f = buildCommandFrame(0x12, 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(f[0], 0x92);
    for (std::size_t i = 1; i <= 6; ++i) {
        EXPECT_EQ(f[i], i);
    }
    EXPECT_EQ(f[7], calculateCRC8(f.data(), 7));
}

TEST(ReplyCheck, AcceptanceOrder) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        TReplyCheck expected;
    } const cases[] = {
        {"valid", {0x01, 0, 0x66, 0x01, 0x06, 0x04, 0, 0}, TReplyCheck::Valid},
        {"device exception", {0x21, 0, 0, 0, 0, 0, 0, 0xD2}, TReplyCheck::DeviceException},
        {"bad check byte beats bit 0x20",
         {0x21, 0, 0, 0, 0, 0, 0, 0xD3},
         TReplyCheck::NoValidReply},
        {"seven bytes", {0x01, 0, 0, 0, 0, 0, 0}, TReplyCheck::NoValidReply},
        {"nothing", {}, TReplyCheck::NoValidReply},
    };
    for (auto c : cases) {
        if (std::string(c.what) == "valid") {
            c.bytes[7] = calculateCRC8(c.bytes.data(), 7);
        }
        EXPECT_EQ(checkReply(c.bytes.data(), c.bytes.size()), c.expected) << c.what;
    }
}

TEST(BytesToWord, HighByteFirst) {
    EXPECT_EQ(bytesToWord(0x66, 0x01), 0x6601);
    EXPECT_EQ(bytesToWord(0xFF, 0xFF), 0xFFFF);
    EXPECT_EQ(bytesToWord(0x00, 0x80), 0x0080);
}

} // namespace
