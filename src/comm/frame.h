#pragma once
// The logger's 8-byte command and reply frames and their CRC-8/MAXIM-DOW check byte.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kFrameSize = 8;
using TFrame = std::array<std::uint8_t, kFrameSize>;

// Command number that stands for the all-zero wake frame.
inline constexpr std::uint8_t kWakeCommand = 255;
inline constexpr std::uint8_t kCommandBit = 0x80;
// Bit of reply byte 0 by which the logger reports an exception.
inline constexpr std::uint8_t kDeviceExceptionBit = 0x20;

// CRC-8/MAXIM-DOW of `count` bytes (reflected polynomial 0x8C, initial value 0, no final XOR).
std::uint8_t calculateCRC8(const std::uint8_t* data, std::uint16_t count);

// Joins two reply bytes, high byte first.
constexpr std::uint16_t bytesToWord(std::uint8_t hi, std::uint8_t lo) {
    return static_cast<std::uint16_t>(hi * 256 + lo);
}

// Command frame: byte 0 = cmd | 0x80, bytes 1..6 = p1..p6, byte 7 = CRC of bytes 0..6.
// Command 255 gives the wake frame of eight zero bytes whatever the parameters.
TFrame buildCommandFrame(std::uint8_t cmd, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3,
                         std::uint8_t p4, std::uint8_t p5, std::uint8_t p6);

enum class TReplyCheck { NoValidReply, Valid, DeviceException };

// Judges `received` bytes of a reply: too short, then a wrong check byte, make no valid reply;
// a valid reply with bit 0x20 in byte 0 is a device exception. A wrong check byte is never taken
// for a device exception.
TReplyCheck checkReply(const std::uint8_t* reply, std::size_t received);
