#include "workflow/status_table.h"

#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/text_format.h"

#include <algorithm>

namespace {

using TText = std::optional<std::string>;

constexpr std::uint16_t kNoPrint = 0xFFFF;
constexpr int kExitFatal = 1;

std::string className(std::int32_t value) {
    return getClassName(static_cast<std::uint16_t>(value), kNoPrint);
}

// "%s %s V%d.%.2d, %s, BL%d.%d" of an image header, after the given prefix.
std::string imageText(const char* prefix, const TBl3FileHeader& h) {
    return formatText("%s %s V%d.%.2d, %s, BL%d.%d", prefix,
                      getClassName(h.zel_class, h.zel_print).c_str(), h.zel_verH, h.zel_verL,
                      getPrintName(h.zel_print).c_str(), h.zel_bl, h.zel_bl_ver);
}

TBl3FileHeader selectedHeader() {
    return getFirmwareHeader(gSelectedImage.load(std::memory_order_relaxed));
}

// A text that is the same for every value.
template <const char* Text> TText fixed(std::int32_t, const std::string&) {
    return std::string(Text);
}

// --- Status texts -------------------------------------------------------------------------

TText completedText(std::int32_t value, const std::string&) {
    if ((value & 0xFF) == static_cast<std::int32_t>(TCmd::tCMD_TEST)) {
        return std::nullopt;
    }
    const TBl3FileHeader h = selectedHeader();
    return formatText("Update %s V%d.%.2d succesfully completed.",
                      getClassName(h.zel_class, h.zel_print).c_str(), h.zel_verH, h.zel_verL);
}

TText failedText(std::int32_t value, const std::string& portText) {
    return errorRow(value).text(portText);
}

constexpr char kRepeatText[] = "Repeat update because communication error!";
constexpr char kUnknownRadioText[] = "Unknown version of radio module.";
constexpr char kFormatText[] = "Format..";

const TStatusRow kStatusRows[] = {
    {kStatusCompleted, "completed", "RSM", TRunEffect::Completes, completedText},
    {kStatusProgress, "progress", "R", TRunEffect::Progress,
     [](std::int32_t v, const std::string&) -> TText { return formatText("Progress %d%%", v); }},
    {kStatusFailed, "failed", "", TRunEffect::Fails, failedText},
    {kStatusProgrammingError, "programming_error", "RS", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Aborted because programming error at line %d !", v);
     }},
    {kStatusConversionError, "conversion_error", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Aborted because conversion error at line  %d !", v);
     }},
    // Status text first, then the report: the one code whose order differs.
    {kStatusRepeat, "repeat", "SR", TRunEffect::Repeats, fixed<kRepeatText>},
    {kStatusSdTxError, "sd_tx_error", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Wrong answer from SD controller [TX %.3X] !", static_cast<unsigned>(v));
     }},
    {kStatusSdRxError, "sd_rx_error", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Wrong answer from SD controller [RX %.3X] !", static_cast<unsigned>(v));
     }},
    {kStatusClass, "class", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Class %d [%s]", v, className(v).c_str());
     }},
    {kStatusVersion, "version", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Version %d.%d", (v >> 8) & 0xFF, v & 0xFF);
     }},
    {kStatusPlatform, "platform", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Platform %d [%s]", v,
                           getPlatformName(static_cast<std::uint16_t>(v)).c_str());
     }},
    {kStatusPrint, "print", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Print %d [%s]", v, getPrintName(static_cast<std::uint16_t>(v)).c_str());
     }},
    {kStatusInfo, "info", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText { return formatText("Info %d", v); }},
    {kStatusUpdateClass, "update_class", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Update class %d [%s]", v, className(v).c_str());
     }},
    {kStatusUpdate, "update", "RS", TRunEffect::None,
     [](std::int32_t, const std::string&) -> TText {
         return imageText("Update", selectedHeader());
     }},
    {kStatusCheck, "check", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return imageText("Check", getFirmwareHeader(v));
     }},
    {kStatusUpdateInfo, "update_info", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("Update Info %.4X", static_cast<unsigned>(v));
     }},
    {kStatusUnknownRadio, "unknown_radio", "R", TRunEffect::None, fixed<kUnknownRadioText>},
    {kStatusFormat, "format", "RS", TRunEffect::None, fixed<kFormatText>},
    {kStatusVectorTable, "vector_table", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         if (v == 0) {
             return "Vector table is saved.";
         }
         if (v == 1) {
             return "Vector table is programmed.";
         }
         return std::nullopt;
     }},
    // Both shared texts are empty in this system.
    {kStatusShared, "shared", "R", TRunEffect::None,
     [](std::int32_t, const std::string&) -> TText { return std::string(); }},
    {kStatusResistor, "resistor", "RSM", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         switch (v) {
         case 0:
             return "External pull-down resistor on the third channel was detected.";
         case 1:
             return "No external resistor on the third channel was detected.";
         case 2:
             return "No test result available!";
         case 3:
             return "External pull-up resistor on the third channel was detected.";
         default:
             return std::string();
         }
     }},
    {kStatusBlid, "blid", "R", TRunEffect::None,
     [](std::int32_t v, const std::string&) -> TText {
         return formatText("BLID %d [%s]", v, className(v).c_str());
     }},
};

// --- Error texts --------------------------------------------------------------------------

template <const char* Text> std::string fixedError(const std::string&) {
    return Text;
}

constexpr char kFatal[] = "Fatal Exception has occurred!";
constexpr char kPortIo[] = "Aborted because error when reading/writing to serial port!";
constexpr char kCancelled[] = "Process cancelled!";
constexpr char kNoUpdatePath[] = "Aborted because no update is available for this logger!";
constexpr char kNotReady[] = "Aborted because the logger is not ready!";
constexpr char kLastLine[] = "Aborted because last line is wrong !";
constexpr char kConversion[] = "Aborted because conversion error!";
constexpr char kRepeatProgramming[] = "Repeat because programming error!";
constexpr char kNotSuccessful[] = "Update was not successfull!";
constexpr char kInvalidAnswer[] = "Aborted because the logger transmitted an invalid answer!";
constexpr char kNoImage[] = "There is no update available or the logger has another update ID!";
constexpr char kSdAnswer[] = "Aborted because wrong answer from SD controller!";
constexpr char kFormatFailed[] = "Format was not successfull!";
constexpr char kReadInfoOnly[] = "Only read update info!";
constexpr char kKeTimeout[] = "cEX_KE_TIMEOUT";
constexpr char kKeCrc[] = "cEX_KE_CRC";
constexpr char kKePor[] = "cEX_KE_POR";
constexpr char kTestUnavailable[] = "The test function is not available for this logger!";

std::string portNotReadyText(const std::string& portText) {
    return formatText("Aborted because serial port \"%s\" is not ready!", portText.c_str());
}

// Error 0 first: it is also the row of every unlisted code.
const TErrorRow kErrorRows[] = {
    {kErrFatal, "fatal", "RSM", false, kExitFatal, fixedError<kFatal>},
    {kErrPortNotReady, "port_not_ready", "RSM", false, 10, portNotReadyText},
    {kErrPortIo, "port_io", "RSM", false, 11, fixedError<kPortIo>},
    {kErrCancelled, "cancelled", "RSM", false, 20, fixedError<kCancelled>},
    // Reported as status 13, never as status 10; should it arrive there, it is fatal.
    {kErrNoReply, "no_reply", "RSM", false, 30, fixedError<kFatal>},
    {kErrNoUpdatePath, "no_update_path", "RSM", false, 40, fixedError<kNoUpdatePath>},
    {kErrNotReady, "not_ready", "RSM", false, 41, fixedError<kNotReady>},
    {kErrLastLine, "last_line", "RSM", false, 42, fixedError<kLastLine>},
    // The report line of this failure came with the status 12 that precedes it.
    {kErrConversion, "conversion", "M", false, 43, fixedError<kConversion>},
    {kErrRepeatProgramming, "programming", "RS", true, 44, fixedError<kRepeatProgramming>},
    {kErrNotSuccessful, "not_successful", "RSM", false, 45, fixedError<kNotSuccessful>},
    {kErrInvalidAnswer, "invalid_answer", "RSM", false, 46, fixedError<kInvalidAnswer>},
    {kErrNoImage, "no_image", "RSM", false, 47, fixedError<kNoImage>},
    {kErrSdAnswer, "sd_answer", "RSM", false, 48, fixedError<kSdAnswer>},
    {kErrFormat, "format", "RSM", false, 60, fixedError<kFormatFailed>},
    {kErrReadInfoOnly, "read_info_only", "RSM", false, 70, fixedError<kReadInfoOnly>},
    {kErrKeTimeout, "ke_timeout", "RSM", false, 100, fixedError<kKeTimeout>},
    {kErrKeCrc, "ke_crc", "RSM", false, 101, fixedError<kKeCrc>},
    {kErrKePor, "ke_por", "RSM", false, 102, fixedError<kKePor>},
    {kErrTestUnavailable, "test_unavailable", "RSM", false, 200, fixedError<kTestUnavailable>},
};

} // namespace

std::span<const TStatusRow> statusRows() {
    return kStatusRows;
}

std::span<const TErrorRow> errorRows() {
    return kErrorRows;
}

const TStatusRow* findStatusRow(std::int32_t code) {
    const auto row = std::find_if(std::begin(kStatusRows), std::end(kStatusRows),
                                  [code](const TStatusRow& r) { return r.code == code; });
    return row == std::end(kStatusRows) ? nullptr : &*row;
}

const TErrorRow& errorRow(std::int32_t code) {
    const auto row = std::find_if(std::begin(kErrorRows), std::end(kErrorRows),
                                  [code](const TErrorRow& r) { return r.code == code; });
    return row == std::end(kErrorRows) ? kErrorRows[0] : *row;
}

int exitStatusFor(const std::optional<TStatusMessage>& endedWith) {
    if (!endedWith) {
        return kExitFatal;
    }
    switch (endedWith->code) {
    case kStatusCompleted:
        return 0;
    case kStatusRepeat:
        return errorRow(kErrNoReply).exitCode;
    default:
        return errorRow(endedWith->value).exitCode;
    }
}

std::string resultName(const std::optional<TStatusMessage>& endedWith) {
    if (!endedWith) {
        return errorRow(kErrFatal).name;
    }
    switch (endedWith->code) {
    case kStatusCompleted:
        return "success";
    case kStatusRepeat:
        return errorRow(kErrNoReply).name;
    default:
        return errorRow(endedWith->value).name;
    }
}

std::string resultText(const std::optional<TStatusMessage>& endedWith,
                       const std::string& portText) {
    if (!endedWith) {
        return errorRow(kErrFatal).text(portText);
    }
    const TStatusRow* row = findStatusRow(endedWith->code);
    if (row == nullptr) {
        return {};
    }
    if (row->effect == TRunEffect::Fails) {
        return errorRow(endedWith->value).text(portText);
    }
    return row->text(endedWith->value, portText).value_or(std::string());
}
