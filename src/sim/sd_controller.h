#pragma once
// The simulated SD controller behind the logger: takes records (Intel HEX layout without
// checksum) and keeps a 64 KiB flash image; see sim_logger.h for the records it knows.

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What a record handed to the controller is, judged from its first bytes.
struct TRecordKind {
    bool isCommand = false; // 01 00 00 05 k
    std::uint8_t commandCode = 0;
    bool isData = false; // n aH aL 00 ...
};
TRecordKind classifyRecord(std::span<const std::uint8_t> record);

// Changes that faults make to what the controller does with one send.
struct TSendFaults {
    std::optional<std::uint8_t> status; // answer this status, do not carry the record out
    std::uint32_t busyPolls = 0;        // the next receives answer kSdBusy this many times
    bool corruptReadBack = false;       // complement data byte 0 of the read-back copy
    bool badAnswer = false;             // answer record with type byte 0x04
};

class TSdController {
public:
    static constexpr std::size_t kFlashSize = 0x10000;
    static constexpr std::size_t kMaxRecord = 68;

    TSdController(std::uint16_t platform, std::uint16_t print);

    // Sub-command 1 resets the controller: closed for records, programming state left.
    void reset();
    // Sub-command 2 opens it for records.
    void open();

    // A record of the logger's transfer buffer; returns the status byte.
    std::uint8_t send(std::span<const std::uint8_t> record, const TSendFaults& faults = {});
    // Copies the pending record (exactly `count` bytes) into `buffer`; returns the status byte.
    std::uint8_t receive(std::size_t count, std::span<std::uint8_t> buffer);

    bool programmingEnded() const { return FEnded; }
    std::uint32_t linesProgrammed() const { return FLinesProgrammed; }
    const std::array<std::uint8_t, kFlashSize>& flash() const { return FFlash; }
    bool isProgrammed(std::uint32_t address) const {
        return address < kFlashSize && FProgrammed.test(address);
    }

private:
    std::uint8_t command(std::uint8_t code, const TSendFaults& faults);
    std::uint8_t program(std::span<const std::uint8_t> record, const TSendFaults& faults);

    std::uint16_t FPlatform;
    std::uint16_t FPrint;
    bool FOpen = false;
    bool FProgramming = false;
    bool FEnded = false;
    std::uint32_t FLinesProgrammed = 0;
    std::uint32_t FBusyPolls = 0;
    std::vector<std::uint8_t> FPending; // the record a receive hands out; empty: none
    std::array<std::uint8_t, kFlashSize> FFlash;
    std::bitset<kFlashSize> FProgrammed;
};
