#pragma once
// The simulated logger with its SD controller as a byte-stream device: the bytes the tool
// writes go in, the bytes the logger would answer come out. Not thread-safe; TSimServer guards
// it with a lock.
//
// The logger, frame by frame (reply byte 0 is the bare command number, below 0x20):
//   wake frame (8 zero bytes), a bad check byte, byte 0 without 0x80: no reply.
//   command 1: 01 00 classHi classLo verHi verLo 00 crc.
//   relay frame (the logger's relay command with its selector in p1; command 2 with 200 for
//   class 0x6601 from 6.0 and 0x6605, command 5 with 20 for 0x6601 below 6.0, 0x6606, 0x6607),
//   p2 = sub-command s, p3..p6 = d1..d4; reply cmd status 00 b3 b4 b5 b6 crc:
//     s = 0: readiness probe, status 0.
//     s = 1: resets the SD controller (closes it for records); s = 3: accepted;
//     s = 2: opens the SD controller for records. Status 0.
//     s = 0x80 + n (n 0..16): group n of the 68-byte transfer buffer: b3..b6 are its old four
//       bytes complemented, then d1..d4 are stored (a read is a write of zeros). Status 0.
//     s = 0x0B, d4 = c: the first c buffer bytes go to the SD controller as a record (Intel HEX
//       layout without checksum); status = the controller's status byte.
//     s = 0x0A, d4 = c: the controller's pending record (c bytes) is copied into the buffer.
//   the final frame (command 2: 80 00 22 11 00 00, or command 5: 02 00 A5 5A 00 00, the one of
//   the logger's relay path): the module restarts; no reply.
//   anything else (another command, a wrong selector, an unknown sub-command, any relay frame
//   of a class the logger does not know): reply cmd|0x20, the device exception.
//
// The SD controller, record by record (status bytes kSd* in sim_options.h):
//   SD command 01 00 00 05 k: k = 0x20 prepares the answer record
//     06 00 00 05 platHi platLo printHi printLo 00 00; k = 0x31 begins programming (erases the
//     64 KiB flash image to 0xFF, nothing marked programmed); k = 0x32 ends it.
//   data record n aH aL 00 data[n]: programmed at aH:aL while programming; the pending record
//     for the read-back is the record as read from the flash.
//   A send drops the pending record; a receive repeats it until the next send.

#include "comm/frame.h"
#include "sim/sim_options.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct TSimCounters {
    std::uint32_t frames = 0; // valid command frames (wake frames not included)
    std::uint32_t wakeFrames = 0;
    std::uint32_t badFrames = 0;    // wrong check byte or byte 0 without 0x80
    std::uint32_t droppedBytes = 0; // bytes of incomplete frames dropped after a line pause
    std::uint32_t replies = 0;
    std::uint32_t rejectedFrames = 0;  // answered with the device exception as not understood
    std::uint32_t linesProgrammed = 0; // data records written to the flash, repeats included
    std::uint32_t faultsInjected = 0;  // faults that hit a frame
    std::uint32_t restarts = 0;        // final frames received
};

class TSimFaultPlan;
class TSdController;

class TSimLogger {
public:
    static constexpr std::size_t kBufferSize = 68;
    static constexpr std::size_t kFlashSize = 0x10000;

    explicit TSimLogger(TSimOptions options = {});
    ~TSimLogger();
    TSimLogger(const TSimLogger&) = delete;
    TSimLogger& operator=(const TSimLogger&) = delete;

    // Feeds bytes written by the tool; returns the reply frames in order (zero or one per
    // complete frame). After a hang-up every further byte is ignored.
    std::vector<TFrame> feed(std::span<const std::uint8_t> bytes);
    // One complete frame; the reply, if any.
    std::optional<TFrame> onFrame(const TFrame& frame);
    // The line paused in the middle of a frame: forget its bytes (frames resynchronise).
    void dropPartialFrame();
    bool hasPartialFrame() const { return FPartialCount != 0; }

    const TSimOptions& options() const { return FOptions; }
    // Relay command and selector this logger answers to; 0 and 0 for a class it has none for.
    std::uint8_t relayCommand() const { return FRelayCommand; }
    std::uint8_t relaySelector() const { return FRelaySelector; }

    bool hungUp() const { return FHungUp; }
    // The final frame arrived (the module was restarted).
    bool restarted() const { return FRestarted; }
    // SD command 0x32 was carried out.
    bool programmingEnded() const;
    TSimCounters counters() const;
    const std::array<std::uint8_t, kBufferSize>& transferBuffer() const { return FBuffer; }

    // The flash image (0xFF where never programmed since the last begin command).
    const std::array<std::uint8_t, kFlashSize>& flash() const;
    bool isProgrammed(std::uint32_t address) const;
    // The programmed flash as Intel HEX data records: each run of programmed addresses, in
    // address order, cut into records of 64 bytes from its start (the last may be shorter);
    // upper-case, with checksums, no line terminator, no end-of-file record.
    std::vector<std::string> flashHexRecords() const;

private:
    std::optional<TFrame> handleRelay(const TFrame& frame, const std::vector<TSimFault>& hits);
    std::vector<TFrameClass> classify(const TFrame& frame) const;
    bool isFinalFrame(const TFrame& frame) const;

    TSimOptions FOptions;
    std::uint8_t FRelayCommand = 0;
    std::uint8_t FRelaySelector = 0;
    std::array<std::uint8_t, kBufferSize> FBuffer{};
    std::unique_ptr<TSimFaultPlan> FFaults;
    std::unique_ptr<TSdController> FController;
    TFrame FPartial{};
    std::size_t FPartialCount = 0;
    TSimCounters FCounters;
    bool FHungUp = false;
    bool FRestarted = false;
};
