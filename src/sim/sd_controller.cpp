#include "sim/sd_controller.h"

#include "sim/sim_options.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kCommandInfo = 0x20;
constexpr std::uint8_t kCommandBegin = 0x31;
constexpr std::uint8_t kCommandEnd = 0x32;
constexpr std::uint8_t kRecordTypeData = 0x00;
constexpr std::uint8_t kRecordTypeCommand = 0x05;

} // namespace

TRecordKind classifyRecord(std::span<const std::uint8_t> record) {
    TRecordKind kind;
    if (record.size() == 5 && record[0] == 0x01 && record[1] == 0x00 && record[2] == 0x00 &&
        record[3] == kRecordTypeCommand) {
        kind.isCommand = true;
        kind.commandCode = record[4];
    } else if (record.size() >= 4 && record[3] == kRecordTypeData &&
               record.size() == std::size_t{record[0]} + 4) {
        kind.isData = true;
    }
    return kind;
}

TSdController::TSdController(std::uint16_t platform, std::uint16_t print)
    : FPlatform(platform), FPrint(print) {
    FFlash.fill(0xFF);
}

void TSdController::reset() {
    FOpen = false;
    FBusyPolls = 0;
    FPending.clear();
}

void TSdController::open() {
    FOpen = true;
}

std::uint8_t TSdController::send(std::span<const std::uint8_t> record, const TSendFaults& faults) {
    FPending.clear();
    FBusyPolls = 0;
    if (faults.status) {
        return *faults.status;
    }
    if (!FOpen) {
        return kSdNotOpen;
    }
    if (record.size() < 4 || record.size() > kMaxRecord ||
        record.size() != std::size_t{record[0]} + 4) {
        return kSdBadRecord;
    }
    const TRecordKind kind = classifyRecord(record);
    if (kind.isCommand) {
        return command(kind.commandCode, faults);
    }
    if (kind.isData) {
        return program(record, faults);
    }
    return kSdBadRecord;
}

std::uint8_t TSdController::command(std::uint8_t code, const TSendFaults& faults) {
    switch (code) {
    case kCommandInfo:
        FPending = {0x06,
                    0x00,
                    0x00,
                    static_cast<std::uint8_t>(faults.badAnswer ? 0x04 : kRecordTypeCommand),
                    static_cast<std::uint8_t>(FPlatform >> 8),
                    static_cast<std::uint8_t>(FPlatform & 0xFF),
                    static_cast<std::uint8_t>(FPrint >> 8),
                    static_cast<std::uint8_t>(FPrint & 0xFF),
                    0x00,
                    0x00};
        FBusyPolls = faults.busyPolls;
        return kSdOk;
    case kCommandBegin:
        FFlash.fill(0xFF);
        FProgrammed.reset();
        FProgramming = true;
        FEnded = false;
        return kSdOk;
    case kCommandEnd:
        if (!FProgramming) {
            return kSdNotProgramming;
        }
        FProgramming = false;
        FEnded = true;
        return kSdOk;
    default:
        return kSdUnknownCommand;
    }
}

std::uint8_t TSdController::program(std::span<const std::uint8_t> record,
                                    const TSendFaults& faults) {
    if (!FProgramming) {
        return kSdNotProgramming;
    }
    const std::size_t count = record[0];
    const std::size_t address = std::size_t{record[1]} << 8 | record[2];
    if (count == 0 || address + count > kFlashSize) {
        return kSdBadRecord;
    }
    std::copy(record.begin() + 4, record.end(), FFlash.begin() + static_cast<long>(address));
    for (std::size_t i = 0; i < count; ++i) {
        FProgrammed.set(address + i);
    }
    ++FLinesProgrammed;
    // The read-back record comes from the flash, not from the buffer that was sent.
    FPending.assign(record.begin(), record.begin() + 4);
    FPending.insert(FPending.end(), FFlash.begin() + static_cast<long>(address),
                    FFlash.begin() + static_cast<long>(address + count));
    if (faults.corruptReadBack) {
        FPending[4] = static_cast<std::uint8_t>(~FPending[4]);
    }
    FBusyPolls = faults.busyPolls;
    return kSdOk;
}

std::uint8_t TSdController::receive(std::size_t count, std::span<std::uint8_t> buffer) {
    if (FPending.empty()) {
        return kSdNothingToReceive;
    }
    if (FBusyPolls > 0) {
        --FBusyPolls;
        return kSdBusy;
    }
    if (count != FPending.size() || count > buffer.size()) {
        return kSdBadCount;
    }
    std::copy(FPending.begin(), FPending.end(), buffer.begin());
    return kSdOk;
}
