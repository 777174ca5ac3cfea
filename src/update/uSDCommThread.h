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

// The relay sub-commands (p2 of a relay frame). What 1, 2 and 3 do lies with the logger: the
// update sends 1, waits 2 s, sends 3 and 2 before it reaches the SD controller, and sends 1
// again to restart the module at the end.
inline constexpr std::uint8_t kSubProbe = 0x00;   // readiness probe
inline constexpr std::uint8_t kSubRestart = 0x01; // restarts the SD controller
inline constexpr std::uint8_t kSubConnect = 0x02;
inline constexpr std::uint8_t kSubPrepare = 0x03;
inline constexpr std::uint8_t kSubReceive =
    0x0A; // the logger fetches a record from the SD controller
inline constexpr std::uint8_t kSubSend =
    0x0B; // the logger passes buffer bytes to the SD controller
inline constexpr std::uint8_t kSubGroup = 0x80; // + n: write (and read back) transfer group n

// The frame that restarts the module after programming, sent without awaiting a reply.
struct TFinalFrame {
    std::uint8_t command;
    std::array<std::uint8_t, 6> params;
};

// How the logger relays requests to its SD controller, decided by its class and version.
struct TRelayPath {
    std::uint8_t command;  // 2 or 5
    std::uint8_t selector; // p1 of every relay frame: 200 or 20
    TFinalFrame finalFrame;
};
// Throws EZel 40 for a class without an update path.
TRelayPath relayPathFor(std::uint16_t loggerClass, std::uint16_t loggerVersion);
