#pragma once
// Speaks the logger's frames straight to a TSimLogger, as the tool would, and a small
// synthetic firmware image to send through it.

#include "comm/frame.h"
#include "sim/sim_logger.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TSimClient {
public:
    // Carries one frame to the logger and, when `awaitReply`, brings its reply, if any.
    using TTransport = std::function<std::optional<TFrame>(const TFrame&, bool awaitReply)>;

    // `tries`: how often a frame is sent again while no valid reply comes (the tool sends 5).
    explicit TSimClient(TSimLogger& device, int tries = 1);
    TSimClient(TTransport transport, std::uint8_t relayCommand, std::uint8_t relaySelector,
               int tries = 1);

    // The reply (a device exception included), or nothing when no valid reply came.
    std::optional<TFrame> frame(std::uint8_t cmd, std::uint8_t p1 = 0, std::uint8_t p2 = 0,
                                std::uint8_t p3 = 0, std::uint8_t p4 = 0, std::uint8_t p5 = 0,
                                std::uint8_t p6 = 0);
    std::optional<TFrame> ident() { return frame(1); }
    // A relay frame with the device's relay command and selector.
    std::optional<TFrame> relay(std::uint8_t sub, std::uint8_t d1 = 0, std::uint8_t d2 = 0,
                                std::uint8_t d3 = 0, std::uint8_t d4 = 0);
    // The old four bytes (complemented back), or nothing without a valid reply.
    std::optional<std::array<std::uint8_t, 4>> writeGroup(std::uint8_t n,
                                                          std::array<std::uint8_t, 4> bytes);
    std::optional<std::array<std::uint8_t, 4>> readGroup(std::uint8_t n) {
        return writeGroup(n, {0, 0, 0, 0});
    }
    // Reply byte 1, or -1 without a reply.
    int send(std::uint8_t count);
    int receive(std::uint8_t count);
    int sdCommand(std::uint8_t code);
    // Writes `bytes` into groups 0.. (padded with zeros to whole groups).
    void writeRecord(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> readRecord(std::size_t count);
    // Sub-commands 1, 3, 2 as the update sends them before the first SD command.
    void openController();
    // Sent once, no reply awaited, as the tool ends an update.
    void finalFrame();

private:
    TTransport FTransport;
    std::uint8_t FRelayCommand;
    std::uint8_t FRelaySelector;
    int FTries;
};

// A firmware line: ":40" address "00" data checksum.
std::string dataLine(std::uint16_t address, const std::vector<std::uint8_t>& data);
// Lines of an image laid out like the built-in ones: `run` records from `start`, then records
// at 0xF600 and 0xF7C0; data from `seed`. No end-of-file line.
std::vector<std::string> syntheticImage(std::uint16_t start, int run, unsigned seed);
// The record bytes of a data line: count, address, type, data and checksum.
std::vector<std::uint8_t> recordOf(const std::string& line);

// Runs a whole update of `lines` the way the procedure does: identification, probe, sub-commands,
// answer record, begin, every line written/sent/polled/read back/compared (5 attempts), end,
// sub-command 1 and the final frame. Returns false at the first failure.
struct TMiniUpdateResult {
    bool ok = false;
    int lineRetries = 0; // attempts beyond the first, over all lines
    std::string failure;
};
TMiniUpdateResult runMiniUpdate(TSimClient& client, const std::vector<std::string>& lines);
TMiniUpdateResult runMiniUpdate(TSimLogger& device, const std::vector<std::string>& lines);

// A port on the slave side of a pty, opened as the tool opens it (raw), closed on destruction.
class TSlavePort {
public:
    explicit TSlavePort(const std::string& path);
    ~TSlavePort();
    TSlavePort(const TSlavePort&) = delete;
    TSlavePort& operator=(const TSlavePort&) = delete;

    int fd() const { return FFd; }
    // Writes the frame and reads up to 8 bytes until `timeout`; nothing when fewer arrive.
    // A zero timeout only writes.
    std::optional<TFrame> exchange(const TFrame& frame,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(2));
    TSimClient::TTransport transport(std::chrono::milliseconds timeout = std::chrono::seconds(2));

private:
    int FFd = -1;
};
