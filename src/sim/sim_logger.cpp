#include "sim/sim_logger.h"

#include "sim/sd_controller.h"
#include "sim/sim_fault_plan.h"
#include "sim/sim_hex.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint8_t kIdentCommand = 1;
constexpr std::uint8_t kSubProbe = 0x00;
constexpr std::uint8_t kSubReset = 0x01;
constexpr std::uint8_t kSubOpen = 0x02;
constexpr std::uint8_t kSubThree = 0x03;
constexpr std::uint8_t kSubReceive = 0x0A;
constexpr std::uint8_t kSubSend = 0x0B;
constexpr std::uint8_t kSubGroup = 0x80;
constexpr std::uint8_t kGroups = 17;
constexpr std::uint8_t kReadyBit40 = 0x40;
constexpr std::uint8_t kReadyBit80 = 0x80;
constexpr std::size_t kRecordBytes = 64;

TFrame makeReply(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                 std::uint8_t b4, std::uint8_t b5, std::uint8_t b6) {
    TFrame frame{b0, b1, b2, b3, b4, b5, b6, 0};
    frame[7] = calculateCRC8(frame.data(), 7);
    return frame;
}

bool hit(const std::vector<TSimFault>& hits, TFaultKind kind) {
    return std::any_of(hits.begin(), hits.end(),
                       [kind](const TSimFault& f) { return f.kind == kind; });
}

const TSimFault* find(const std::vector<TSimFault>& hits, TFaultKind kind) {
    const auto it = std::find_if(hits.begin(), hits.end(),
                                 [kind](const TSimFault& f) { return f.kind == kind; });
    return it == hits.end() ? nullptr : &*it;
}

} // namespace

TSimLogger::TSimLogger(TSimOptions options)
    : FOptions(std::move(options)),
      FFaults(std::make_unique<TSimFaultPlan>(FOptions.faults, FOptions.seed)),
      FController(std::make_unique<TSdController>(FOptions.platform, FOptions.print)) {
    switch (FOptions.loggerClass) {
    case 0x6601:
        if (FOptions.loggerVersion < 0x0600) {
            FRelayCommand = 5;
            FRelaySelector = 20;
        } else {
            FRelayCommand = 2;
            FRelaySelector = 200;
        }
        break;
    case 0x6605:
        FRelayCommand = 2;
        FRelaySelector = 200;
        break;
    case 0x6606:
    case 0x6607:
        FRelayCommand = 5;
        FRelaySelector = 20;
        break;
    default:
        break;
    }
}

TSimLogger::~TSimLogger() = default;

TSimCounters TSimLogger::counters() const {
    TSimCounters counters = FCounters;
    counters.linesProgrammed = FController->linesProgrammed();
    return counters;
}

bool TSimLogger::programmingEnded() const {
    return FController->programmingEnded();
}

const std::array<std::uint8_t, TSimLogger::kFlashSize>& TSimLogger::flash() const {
    return FController->flash();
}

bool TSimLogger::isProgrammed(std::uint32_t address) const {
    return FController->isProgrammed(address);
}

std::vector<TFrame> TSimLogger::feed(std::span<const std::uint8_t> bytes) {
    std::vector<TFrame> replies;
    for (const std::uint8_t byte : bytes) {
        if (FHungUp) {
            break;
        }
        FPartial[FPartialCount++] = byte;
        if (FPartialCount < FPartial.size()) {
            continue;
        }
        FPartialCount = 0;
        if (auto answer = onFrame(FPartial)) {
            replies.push_back(*answer);
        }
    }
    return replies;
}

void TSimLogger::dropPartialFrame() {
    FCounters.droppedBytes += static_cast<std::uint32_t>(FPartialCount);
    FPartialCount = 0;
}

bool TSimLogger::isFinalFrame(const TFrame& frame) const {
    if (FRelayCommand == 2) {
        return frame[0] == (0x80 | 2) && frame[1] == 0x80 && frame[2] == 0x00 && frame[3] == 0x22 &&
               frame[4] == 0x11 && frame[5] == 0x00 && frame[6] == 0x00;
    }
    if (FRelayCommand == 5) {
        return frame[0] == (0x80 | 5) && frame[1] == 0x02 && frame[2] == 0x00 && frame[3] == 0xA5 &&
               frame[4] == 0x5A && frame[5] == 0x00 && frame[6] == 0x00;
    }
    return false;
}

std::vector<TFrameClass> TSimLogger::classify(const TFrame& frame) const {
    std::vector<TFrameClass> classes{TFrameClass::Any};
    const std::uint8_t cmd = frame[0] & 0x7F;
    if (cmd == kIdentCommand) {
        classes.push_back(TFrameClass::Ident);
    } else if (FRelayCommand != 0 && cmd == FRelayCommand && frame[1] == FRelaySelector) {
        const std::uint8_t sub = frame[2];
        if (sub == kSubProbe) {
            classes.push_back(TFrameClass::Probe);
        } else if (sub >= kSubReset && sub <= kSubThree) {
            classes.push_back(TFrameClass::Sub);
        } else if (sub >= kSubGroup && sub < kSubGroup + kGroups) {
            classes.push_back(TFrameClass::Group);
        } else if (sub == kSubReceive) {
            classes.push_back(TFrameClass::Receive);
        } else if (sub == kSubSend) {
            classes.push_back(TFrameClass::Send);
            const std::size_t count = std::min<std::size_t>(frame[6], kBufferSize);
            const TRecordKind kind = classifyRecord(std::span(FBuffer).first(count));
            if (kind.isCommand) {
                classes.push_back(TFrameClass::Command);
                if (kind.commandCode == 0x20) {
                    classes.push_back(TFrameClass::Info);
                } else if (kind.commandCode == 0x31) {
                    classes.push_back(TFrameClass::Begin);
                } else if (kind.commandCode == 0x32) {
                    classes.push_back(TFrameClass::End);
                }
            } else if (kind.isData) {
                classes.push_back(TFrameClass::Line);
            }
        }
    } else if (isFinalFrame(frame)) {
        classes.push_back(TFrameClass::Final);
    }
    return classes;
}

std::optional<TFrame> TSimLogger::onFrame(const TFrame& frame) {
    if (FHungUp) {
        return std::nullopt;
    }
    if (std::all_of(frame.begin(), frame.end(), [](std::uint8_t b) { return b == 0; })) {
        ++FCounters.wakeFrames;
        return std::nullopt;
    }
    if ((frame[0] & 0x80) == 0 || frame[7] != calculateCRC8(frame.data(), 7)) {
        ++FCounters.badFrames;
        return std::nullopt;
    }
    ++FCounters.frames;
    const std::vector<TFrameClass> classes = classify(frame);
    const std::vector<TSimFault> hits = FFaults->hits(classes);
    FCounters.faultsInjected += static_cast<std::uint32_t>(hits.size());
    if (hit(hits, TFaultKind::HangUp)) {
        FHungUp = true;
        return std::nullopt;
    }
    if (hit(hits, TFaultKind::Silence)) {
        return std::nullopt;
    }

    const std::uint8_t cmd = frame[0] & 0x7F;
    std::optional<TFrame> answer;
    if (cmd == kIdentCommand) {
        answer =
            makeReply(kIdentCommand, 0x00, static_cast<std::uint8_t>(FOptions.loggerClass >> 8),
                      static_cast<std::uint8_t>(FOptions.loggerClass & 0xFF),
                      static_cast<std::uint8_t>(FOptions.loggerVersion >> 8),
                      static_cast<std::uint8_t>(FOptions.loggerVersion & 0xFF), 0x00);
    } else if (FRelayCommand != 0 && cmd == FRelayCommand && frame[1] == FRelaySelector) {
        answer = handleRelay(frame, hits);
    } else if (isFinalFrame(frame)) {
        FRestarted = true;
        ++FCounters.restarts;
        FController->reset();
        return std::nullopt;
    } else {
        ++FCounters.rejectedFrames;
        answer = makeReply(static_cast<std::uint8_t>(cmd | kDeviceExceptionBit), 0, 0, 0, 0, 0, 0);
    }
    if (!answer) {
        return std::nullopt;
    }

    TFrame& out = *answer;
    if (std::find(classes.begin(), classes.end(), TFrameClass::Probe) != classes.end()) {
        if (hit(hits, TFaultKind::Ready40)) {
            out[0] |= kReadyBit40;
        }
        if (hit(hits, TFaultKind::Ready80)) {
            out[0] |= kReadyBit80;
        }
    }
    if (hit(hits, TFaultKind::Exception)) {
        out[0] |= kDeviceExceptionBit;
    }
    out[7] = calculateCRC8(out.data(), 7);
    if (hit(hits, TFaultKind::BadCrc)) {
        out[7] = static_cast<std::uint8_t>(~out[7]);
    }
    ++FCounters.replies;
    return answer;
}

std::optional<TFrame> TSimLogger::handleRelay(const TFrame& frame,
                                              const std::vector<TSimFault>& hits) {
    const std::uint8_t cmd = FRelayCommand;
    const std::uint8_t sub = frame[2];
    const std::uint8_t count = frame[6];
    auto status = [&](std::uint8_t value) { return makeReply(cmd, value, 0, 0, 0, 0, 0); };

    if (sub == kSubProbe || sub == kSubThree) {
        return status(kSdOk);
    }
    if (sub == kSubReset) {
        FController->reset();
        return status(kSdOk);
    }
    if (sub == kSubOpen) {
        FController->open();
        return status(kSdOk);
    }
    if (sub >= kSubGroup && sub < kSubGroup + kGroups) {
        const std::size_t base = 4u * static_cast<std::size_t>(sub - kSubGroup);
        TFrame out = makeReply(cmd, kSdOk, 0, static_cast<std::uint8_t>(~FBuffer[base]),
                               static_cast<std::uint8_t>(~FBuffer[base + 1]),
                               static_cast<std::uint8_t>(~FBuffer[base + 2]),
                               static_cast<std::uint8_t>(~FBuffer[base + 3]));
        std::copy(frame.begin() + 3, frame.begin() + 7, FBuffer.begin() + static_cast<long>(base));
        return out;
    }
    if (sub == kSubSend) {
        if (count > kBufferSize) {
            return status(kSdBadRecord);
        }
        TSendFaults faults;
        for (const TFaultKind kind :
             {TFaultKind::CommandStatus, TFaultKind::SendStatus, TFaultKind::EndStatus}) {
            if (const TSimFault* f = find(hits, kind)) {
                faults.status = static_cast<std::uint8_t>(effectiveValue(*f));
            }
        }
        if (const TSimFault* f = find(hits, TFaultKind::Busy)) {
            faults.busyPolls = effectiveValue(*f);
        }
        faults.corruptReadBack = hit(hits, TFaultKind::ReadBack);
        faults.badAnswer = hit(hits, TFaultKind::BadAnswer);
        return status(FController->send(std::span(FBuffer).first(count), faults));
    }
    if (sub == kSubReceive) {
        if (const TSimFault* f = find(hits, TFaultKind::ReceiveStatus)) {
            return status(static_cast<std::uint8_t>(effectiveValue(*f)));
        }
        return status(FController->receive(count, FBuffer));
    }
    ++FCounters.rejectedFrames;
    return makeReply(static_cast<std::uint8_t>(cmd | kDeviceExceptionBit), 0, 0, 0, 0, 0, 0);
}

std::vector<std::string> TSimLogger::flashHexRecords() const {
    std::vector<std::string> records;
    const auto& image = flash();
    std::size_t address = 0;
    while (address < kFlashSize) {
        if (!isProgrammed(static_cast<std::uint32_t>(address))) {
            ++address;
            continue;
        }
        std::size_t end = address;
        while (end < kFlashSize && end - address < kRecordBytes &&
               isProgrammed(static_cast<std::uint32_t>(end))) {
            ++end;
        }
        records.push_back(formatDataRecord(static_cast<std::uint16_t>(address),
                                           std::span(image).subspan(address, end - address)));
        address = end;
    }
    return records;
}
