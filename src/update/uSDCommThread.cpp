#include "update/uSDCommThread.h"

#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "update/hex_line.h"

#include <algorithm>
#include <string>

namespace {

using namespace std::chrono_literals;

using TGroup = std::array<std::uint8_t, 4>;

constexpr std::uint8_t kIdentifyCommand = 1;
constexpr int kTransferGroups = 17; // 68 bytes: count, address, type and 64 data bytes
constexpr std::uint8_t kTransferBytes = 4 * kTransferGroups;
constexpr std::uint8_t kAnswerBytes = 10;
constexpr int kLineAttempts = 5;
constexpr int kReceivePolls = 5;
constexpr int kEndTries = 5;
constexpr std::uint8_t kDataRecordCount = 0x40;
const char* const kEndOfFileLine = ":00000001FF";

// The building blocks of SD controller access; the relay path decides every relay frame.
class TSdUpdate {
public:
    TSdUpdate(TCommThread& worker, const TFrame& rx) : FWorker(worker), FRx(rx) {}

    TRelayPath path{};

    // The reply frame of a relay frame: p1 = selector, p2 = sub-command, p3..p6 = data.
    const TFrame& sdRelay(std::uint8_t sub, std::uint8_t d1, std::uint8_t d2, std::uint8_t d3,
                          std::uint8_t d4) {
        FWorker.sendCmd(true, path.command, path.selector, sub, d1, d2, d3, d4);
        return FRx;
    }
    void sdWriteGroup(int n, const TGroup& bytes) {
        sdRelay(static_cast<std::uint8_t>(kSubGroup + n), bytes[0], bytes[1], bytes[2], bytes[3]);
    }
    // The logger answers with the group's four bytes complemented.
    TGroup sdReadGroup(int n) {
        const TFrame& reply = sdRelay(static_cast<std::uint8_t>(kSubGroup + n), 0, 0, 0, 0);
        return {static_cast<std::uint8_t>(~reply[3]), static_cast<std::uint8_t>(~reply[4]),
                static_cast<std::uint8_t>(~reply[5]), static_cast<std::uint8_t>(~reply[6])};
    }
    std::uint8_t sdSend(std::uint8_t count) { return sdRelay(kSubSend, 0, 0, 0, count)[1]; }
    std::uint8_t sdReceive(std::uint8_t count) { return sdRelay(kSubReceive, 0, 0, 0, count)[1]; }
    std::uint8_t sdCommand(std::uint8_t code) {
        sdWriteGroup(0, {0x01, 0x00, 0x00, 0x05});
        sdWriteGroup(1, {code, 0x00, 0x00, 0x00});
        return sdSend(5);
    }

private:
    TCommThread& FWorker;
    const TFrame& FRx;
};

} // namespace

TRelayPath relayPathFor(std::uint16_t loggerClass, std::uint16_t loggerVersion) {
    constexpr TRelayPath viaCommand2{2, 200, {2, {0x80, 0x00, 0x22, 0x11, 0x00, 0x00}}};
    constexpr TRelayPath viaCommand5{5, 20, {5, {0x02, 0x00, 0xA5, 0x5A, 0x00, 0x00}}};
    switch (loggerClass) {
    case 0x6601:
        return loggerVersion < 0x0600 ? viaCommand5 : viaCommand2;
    case 0x6605:
        return viaCommand2;
    case 0x6606:
    case 0x6607:
        return viaCommand5;
    default:
        throw EZel(kErrNoUpdatePath);
    }
}

void TSDCommThread::doCmd() {
    TSdUpdate sd(*this, FRxBuffer);
    const auto post = [this](std::int32_t code, std::int32_t value) { postStatus(code, value); };

    // Identification.
    observePhase(TRunPhase::Identifying);
    sendCmd(true, kIdentifyCommand, 0, 0, 0, 0, 0, 0);
    const std::uint16_t loggerClass = bytesToWord(FRxBuffer[2], FRxBuffer[3]);
    const std::uint16_t loggerVersion = bytesToWord(FRxBuffer[4], FRxBuffer[5]);
    post(kStatusClass, loggerClass);
    post(kStatusVersion, loggerVersion);
    sd.path = relayPathFor(loggerClass, loggerVersion);

    // Readiness probe and the sub-commands that precede every update.
    observePhase(TRunPhase::ReachingController);
    if (sd.sdRelay(kSubProbe, 0, 0, 0, 0)[0] & 0xE0) {
        throw EZel(kErrNotReady);
    }
    sd.sdRelay(kSubRestart, 0, 0, 0, 0);
    pause(2000ms);
    sd.sdRelay(kSubPrepare, 0, 0, 0, 0);
    sd.sdRelay(kSubConnect, 0, 0, 0, 0);

    // Platform and print of the SD controller.
    if (const std::uint8_t status = sd.sdCommand(kSdInfoRequest); status != 0) {
        post(kStatusSdTxError, kPhaseAccess + status);
        throw EZel(kErrSdAnswer);
    }
    if (const std::uint8_t status = sd.sdReceive(kAnswerBytes); status != 0) {
        post(kStatusSdRxError, kPhaseAnswerRecord + status);
        throw EZel(kErrSdAnswer);
    }
    std::array<std::uint8_t, 12> answer{};
    for (int n = 0; n < 3; ++n) {
        const TGroup group = sd.sdReadGroup(n);
        std::copy(group.begin(), group.end(), answer.begin() + 4 * n);
    }
    if (answer[0] != 0x06 || answer[1] != 0x00 || answer[2] != 0x00 || answer[3] != 0x05) {
        post(kStatusSdRxError, kPhaseMalformedAnswer + 0);
        throw EZel(kErrSdAnswer);
    }
    // A number without a name becomes 0xFFFF.
    const std::uint16_t platform = checkPlatform(bytesToWord(answer[4], answer[5]));
    const std::uint16_t print = checkPrint(bytesToWord(answer[6], answer[7]));
    post(kStatusPlatform, platform);
    post(kStatusPrint, print);
    post(kStatusUpdateClass, kUpdateClass);

    // Image choice: the loaded file alone, or the built-in images oldest first.
    const int first = gSelectedImage.load(std::memory_order_relaxed) == 0 ? 0 : 1;
    const int last = first == 0 ? 0 : getBuiltInCount();
    gSelectedImage.store(-1, std::memory_order_relaxed);
    const bool checkClass = gCheckClass.load(std::memory_order_relaxed);
    for (int i = first; i <= last; ++i) {
        post(kStatusCheck, i);
        const TBl3FileHeader header = getFirmwareHeader(i);
        if ((!checkClass || header.zel_class == kUpdateClass) && header.zel_platform == platform &&
            header.zel_print == print && header.zel_bl == kRequiredBootLoader) {
            gSelectedImage.store(i, std::memory_order_relaxed);
            break;
        }
    }
    if (gSelectedImage.load(std::memory_order_relaxed) == -1) {
        throw EZel(kErrNoImage);
    }
    if (gReadInfoOnly.load(std::memory_order_relaxed)) {
        throw EZel(kErrReadInfoOnly);
    }

    // The image must end with the end-of-file record.
    const int lastLine = getCurrentLastLine();
    if (lastLine < 1 || getCurrentLine(lastLine) != kEndOfFileLine) {
        throw EZel(kErrLastLine);
    }
    post(kStatusUpdate, static_cast<std::int32_t>(FCmd));
    // From the begin command on, the module holds a partial image until the end command.
    observePhase(TRunPhase::WritingLines);
    if (const std::uint8_t status = sd.sdCommand(kSdBeginCommand); status != 0) {
        post(kStatusSdTxError, kPhaseStart + status);
        throw EZel(kErrSdAnswer);
    }

    for (int i = 0; i < lastLine; ++i) {
        const std::string line = getCurrentLine(i);
        HexLine = line;
        if (!parseHexLine()) {
            post(kStatusConversionError, i);
            throw EZel(kErrConversion);
        }
        for (int attempt = 1;; ++attempt) {
            if (attempt > kLineAttempts) {
                throw EZel(kErrRepeatProgramming);
            }
            observeLineAttempt(i, lastLine, attempt);
            if (attempt > 1) {
                // The read-back of the previous attempt overwrote the record.
                HexLine = line;
                parseHexLine();
            }
            if (HexRecord[0] != kDataRecordCount || HexRecord[3] != 0x00) {
                break; // not a 64-byte data record: nothing to send
            }
            for (int n = 0; n < kTransferGroups; ++n) {
                const auto at = static_cast<std::size_t>(4 * n);
                sd.sdWriteGroup(
                    n, {HexRecord[at], HexRecord[at + 1], HexRecord[at + 2], HexRecord[at + 3]});
            }
            if (const std::uint8_t status = sd.sdSend(kTransferBytes); status != 0) {
                post(kStatusSdTxError, kPhaseLine + status);
                continue;
            }
            std::uint8_t status = 0;
            for (int poll = 0; poll < kReceivePolls; ++poll) {
                status = sd.sdReceive(kTransferBytes);
                if (status == 0) {
                    break;
                }
            }
            if (status != 0) {
                post(kStatusSdRxError, kPhaseLine + status);
                continue;
            }
            for (int n = 0; n < kTransferGroups; ++n) {
                const TGroup group = sd.sdReadGroup(n);
                std::copy(group.begin(), group.end(), &HexRecord[static_cast<std::size_t>(4 * n)]);
            }
            if (buildHexLine() && HexLine == line) {
                break;
            }
            post(kStatusProgrammingError, i);
        }
        setProgress(i, lastLine);
    }

    // End of programming, then restart the module.
    observePhase(TRunPhase::Finishing);
    for (int tries = 1;; ++tries) {
        if (tries > kEndTries) {
            throw EZel(kErrRepeatProgramming);
        }
        const std::uint8_t status = sd.sdCommand(kSdEndCommand);
        if (status == 0) {
            break;
        }
        post(kStatusSdTxError, kPhaseFinish + status);
        pause(500ms);
    }
    observePhase(TRunPhase::RestartingModule);
    pause(500ms);
    sd.sdRelay(kSubRestart, 0, 0, 0, 0);
    pause(2000ms);
    const TFinalFrame& final = sd.path.finalFrame;
    sendCmd(false, final.command, final.params[0], final.params[1], final.params[2],
            final.params[3], final.params[4], final.params[5]);
}
