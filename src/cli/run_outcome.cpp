#include "cli/run_outcome.h"

#include "cli/cli_view.h"
#include "cli/port_fault_text.h"
#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "ports/port_list.h"
#include "workflow/status_table.h"
#include "workflow/status_texts.h"

namespace {

constexpr int kExitFatal = 1;

std::string imageText(int image) {
    if (image < 0) {
        return "no image chosen";
    }
    const TBl3FileHeader header = getFirmwareHeader(image);
    return "image " + std::to_string(image) + " (" +
           getClassName(header.zel_class, header.zel_print) + " V" +
           firmwareVersionText(header.zel_verH, header.zel_verL) + ")";
}

std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::vector<std::string> outcomeLines(const TRunOutcome& outcome, const TRunMonitor& monitor) {
    std::vector<std::string> lines;
    const int exitCode = exitStatusFor(outcome.endedWith);
    const int runs = outcome.restarts + 1;
    const std::string inRuns = counted(runs, "run", "runs");

    const auto endedWith = [&](std::int32_t code, std::optional<std::int32_t> value = {}) {
        return outcome.endedWith && outcome.endedWith->code == code &&
               (!value || outcome.endedWith->value == *value);
    };
    if (endedWith(kStatusFailed, kErrPortNotReady) || endedWith(kStatusFailed, kErrPortIo)) {
        if (const auto fault = monitor.portFault()) {
            const TPortAdvice advice = portAdvice(*fault, outcome.port, getSerialPorts());
            lines.push_back(advice.cause);
            lines.push_back(advice.fix);
        }
    }
    // A run that ends with these has used up its restarts.
    if (endedWith(kStatusRepeat)) {
        lines.push_back("the logger did not answer in " + inRuns +
                        ": check the cable, the port name and the logger's power");
    } else if (endedWith(kStatusFailed, kErrRepeatProgramming)) {
        lines.push_back("programming failed in " + inRuns +
                        ": check the cable and the logger's power, then run the update again");
    }
    if (exitCode != 0 && monitor.programmingBegun()) {
        lines.push_back("the SD card module may be left partly programmed: a complete update "
                        "repairs it, so run the update again");
    }

    std::string summary;
    if (exitCode == 0) {
        summary = "success: " + imageText(outcome.selectedImage) + " written in " +
                  durationText(outcome.duration);
    } else {
        std::string reason;
        if (!outcome.endedWith) {
            reason = "no run ended";
        } else if (outcome.endedWith->code == kStatusRepeat) {
            reason = "no answer from the logger";
        } else {
            reason = errorText(outcome.endedWith->value, outcome.port);
        }
        summary = "failed with exit status " + std::to_string(exitCode) + " (" + reason +
                  ") after " + durationText(outcome.duration) + "; " +
                  imageText(outcome.selectedImage) + (outcome.selectedImage >= 0 ? " chosen" : "");
    }
    summary += "; " + counted(monitor.linesRetried(), "line", "lines") +
               " needed more than one attempt; " + counted(outcome.restarts, "restart", "restarts");
    lines.push_back(summary);
    return lines;
}
