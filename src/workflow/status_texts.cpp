#include "workflow/status_texts.h"

#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "firmware/uVersion.h"
#include "settings/update_settings.h"
#include "workflow/text_format.h"

namespace {

constexpr std::uint16_t kNoPrint = 0xFFFF;

std::string className(std::int32_t value) {
    return getClassName(static_cast<std::uint16_t>(value), kNoPrint);
}

// "%s V%d.%.2d, %s, BL%d.%d" of an image header, after the given prefix.
std::string imageText(const char* prefix, const TBl3FileHeader& h) {
    return formatText("%s %s V%d.%.2d, %s, BL%d.%d", prefix,
                      getClassName(h.zel_class, h.zel_print).c_str(), h.zel_verH, h.zel_verL,
                      getPrintName(h.zel_print).c_str(), h.zel_bl, h.zel_bl_ver);
}

} // namespace

std::string errorText(std::int32_t errorCode, const std::string& portText) {
    switch (errorCode) {
    case kErrPortNotReady:
        return formatText("Aborted because serial port \"%s\" is not ready!", portText.c_str());
    case kErrPortIo:
        return "Aborted because error when reading/writing to serial port!";
    case kErrCancelled:
        return "Process cancelled!";
    case kErrNoUpdatePath:
        return "Aborted because no update is available for this logger!";
    case kErrNotReady:
        return "Aborted because the logger is not ready!";
    case kErrLastLine:
        return "Aborted because last line is wrong !";
    case kErrConversion:
        return "Aborted because conversion error!";
    case kErrRepeatProgramming:
        return "Repeat because programming error!";
    case kErrNotSuccessful:
        return "Update was not successfull!";
    case kErrInvalidAnswer:
        return "Aborted because the logger transmitted an invalid answer!";
    case kErrNoImage:
        return "There is no update available or the logger has another update ID!";
    case kErrSdAnswer:
        return "Aborted because wrong answer from SD controller!";
    case kErrFormat:
        return "Format was not successfull!";
    case kErrReadInfoOnly:
        return "Only read update info!";
    case kErrKeTimeout:
        return "cEX_KE_TIMEOUT";
    case kErrKeCrc:
        return "cEX_KE_CRC";
    case kErrKePor:
        return "cEX_KE_POR";
    case kErrTestUnavailable:
        return "The test function is not available for this logger!";
    default:
        return "Fatal Exception has occurred!"; // 0, 30 and every unlisted code
    }
}

std::optional<std::string> statusText(std::int32_t code, std::int32_t value,
                                      const std::string& portText) {
    switch (code) {
    case kStatusCompleted: {
        if ((value & 0xFF) == static_cast<std::int32_t>(TCmd::tCMD_TEST)) {
            return std::nullopt;
        }
        const TBl3FileHeader h = getFirmwareHeader(gSelectedImage.load(std::memory_order_relaxed));
        return formatText("Update %s V%d.%.2d succesfully completed.",
                          getClassName(h.zel_class, h.zel_print).c_str(), h.zel_verH, h.zel_verL);
    }
    case kStatusProgress:
        return formatText("Progress %d%%", value);
    case kStatusFailed:
        return errorText(value, portText);
    case kStatusProgrammingError:
        return formatText("Aborted because programming error at line %d !", value);
    case kStatusConversionError:
        return formatText("Aborted because conversion error at line  %d !", value);
    case kStatusRepeat:
        return "Repeat update because communication error!";
    case kStatusSdTxError:
        return formatText("Wrong answer from SD controller [TX %.3X] !",
                          static_cast<unsigned>(value));
    case kStatusSdRxError:
        return formatText("Wrong answer from SD controller [RX %.3X] !",
                          static_cast<unsigned>(value));
    case kStatusClass:
        return formatText("Class %d [%s]", value, className(value).c_str());
    case kStatusVersion:
        return formatText("Version %d.%d", (value >> 8) & 0xFF, value & 0xFF);
    case kStatusPlatform:
        return formatText("Platform %d [%s]", value,
                          getPlatformName(static_cast<std::uint16_t>(value)).c_str());
    case kStatusPrint:
        return formatText("Print %d [%s]", value,
                          getPrintName(static_cast<std::uint16_t>(value)).c_str());
    case kStatusInfo:
        return formatText("Info %d", value);
    case kStatusUpdateClass:
        return formatText("Update class %d [%s]", value, className(value).c_str());
    case kStatusUpdate:
        return imageText("Update",
                         getFirmwareHeader(gSelectedImage.load(std::memory_order_relaxed)));
    case kStatusCheck:
        return imageText("Check", getFirmwareHeader(value));
    case kStatusUpdateInfo:
        return formatText("Update Info %.4X", static_cast<unsigned>(value));
    case kStatusUnknownRadio:
        return "Unknown version of radio module.";
    case kStatusFormat:
        return "Format..";
    case kStatusVectorTable:
        if (value == 0) {
            return "Vector table is saved.";
        }
        if (value == 1) {
            return "Vector table is programmed.";
        }
        return std::nullopt;
    case kStatusShared:
        return std::string(); // both shared texts are empty
    case kStatusResistor:
        switch (value) {
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
    case kStatusBlid:
        return formatText("BLID %d [%s]", value, className(value).c_str());
    default:
        return std::nullopt;
    }
}

std::string startText(const std::string& portText) {
    return formatText("Start at serial port \"%s\"", portText.c_str());
}

std::string progressTitle(int position) {
    return formatText("%d%%", position);
}

std::string firmwareVersionText(std::uint16_t major, std::uint16_t minor) {
    return formatText("%d.%.2d", major, minor);
}

std::string bootLoaderText(std::uint16_t bl, std::uint16_t version) {
    return formatText("%d.%d", bl, version);
}
