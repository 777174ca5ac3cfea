#pragma once
// The update of the SD card module: identify the logger, reach its SD controller through relay
// frames, choose the image that fits, send every line, read it back, compare, and restart.

#include "comm/uCommThread.h"

#include <array>
#include <cstdint>

class TSDCommThread : public TCommThread {
public:
    using TCommThread::TCommThread;

protected:
    void doCmd() override;
};

// The class of SD controller images and the command codes of its command records.
inline constexpr std::uint16_t kUpdateClass = 0x660A;
inline constexpr std::uint8_t kSdInfoRequest = 0x20;
inline constexpr std::uint8_t kSdBeginCommand = 0x31;
inline constexpr std::uint8_t kSdEndCommand = 0x32;
inline constexpr std::uint16_t kRequiredBootLoader = 2;

// How the logger relays requests to its SD controller, decided by its class and version.
struct TRelayPath {
    std::uint8_t command;  // 2 or 5
    std::uint8_t selector; // p1 of every relay frame: 200 or 20
};
// Throws EZel 40 for a class without an update path.
TRelayPath relayPathFor(std::uint16_t loggerClass, std::uint16_t loggerVersion);
