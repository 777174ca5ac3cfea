#include "comm/frame.h"

namespace {

constexpr std::array<std::uint8_t, 256> makeCrcTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) ? (crc >> 1) ^ 0x8CU : crc >> 1;
        }
        table[i] = static_cast<std::uint8_t>(crc);
    }
    return table;
}

// Entry i is the CRC of the single byte i; computed by the compiler, a constant of the program.
constexpr std::array<std::uint8_t, 256> kCrcTable = makeCrcTable();
static_assert(kCrcTable[0x01] == 0x5E && kCrcTable[0x02] == 0xBC && kCrcTable[0x80] == 0x8C &&
              kCrcTable[0xFF] == 0x35);

} // namespace

std::uint8_t calculateCRC8(const std::uint8_t* data, std::uint16_t count) {
    std::uint8_t crc = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        crc = kCrcTable[crc ^ data[i]];
    }
    return crc;
}

TFrame buildCommandFrame(std::uint8_t cmd, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                         std::uint8_t p4, std::uint8_t p5, std::uint8_t p6) {
    TFrame frame{};
    if (cmd == kWakeCommand) {
        return frame;
    }
    frame = {static_cast<std::uint8_t>(cmd | kCommandBit), p1, p2, p3, p4, p5, p6, 0};
    frame[7] = calculateCRC8(frame.data(), 7);
    return frame;
}

TReplyCheck checkReply(const std::uint8_t* reply, std::size_t received) {
    if (received < kFrameSize) {
        return TReplyCheck::NoValidReply;
    }
    if (reply[7] != calculateCRC8(reply, 7)) {
        return TReplyCheck::NoValidReply;
    }
    return (reply[0] & kDeviceExceptionBit) ? TReplyCheck::DeviceException : TReplyCheck::Valid;
}
