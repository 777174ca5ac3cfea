#include "workflow/update_workflow.h"

#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/status_texts.h"

#include <algorithm>
#include <stdexcept>

TUpdateWorkflow::TUpdateWorkflow(TWorkflowView& view, TWindowHandle hWindow)
    : FView(view), FhWindow(hWindow) {}

std::optional<std::string> TUpdateWorkflow::prepareRun(const std::string* fileName) {
    FView.clearReport();
    FRestarts = 0;
    gSelectedImage.store(-1, std::memory_order_relaxed);
    if (fileName != nullptr) {
        std::string failure;
        if (!loadFirmwareFile(*fileName, &failure)) {
            return failure;
        }
        gSelectedImage.store(0, std::memory_order_relaxed);
    }
    FPort = FView.portText();
    return std::nullopt;
}

void TUpdateWorkflow::startWorker(TCmd cmd, bool keepCancel) {
    const std::string text = startText(FView.portText());
    FView.addReportLine(text);
    FView.setStatusText(text);
    gReadInfoOnly.store(FView.readInfoOnlyChecked(), std::memory_order_relaxed);
    FView.setProgress(0);
    FView.setRunning(true);
    FRunning = true;
    FEndedWith.reset();
    // Set before the worker exists, so its first exchange sees it. A standing cancel is
    // looked at after the write: one that arrives meanwhile sets gCancel itself.
    gCancel = keepCancel && gCancel;
    if (FView.cancelRequested()) {
        gCancel = true;
    }
    try {
        const TWorkerClass workerClass = gWorkerClass.load(std::memory_order_relaxed);
        if (workerClass == nullptr) {
            throw std::logic_error("no worker class");
        }
        TCommThread::start(workerClass(FhWindow, cmd, FPort));
    } catch (...) {
        // No worker runs, so no final message will come: end the run as a fatal failure.
        WMStatus(kStatusFailed, kErrFatal);
    }
}

void TUpdateWorkflow::finishRun() {
    FView.setRunning(false);
    FRunning = false;
    FView.setApplicationTitle(kIdleTitle);
}

void TUpdateWorkflow::fullReport(const std::string& text) {
    FView.addReportLine(text);
    FView.setStatusText(text);
    FView.showMessageText(text);
}

bool TUpdateWorkflow::mayRestart() {
    if (!FRestartsLeft) {
        return true;
    }
    if (*FRestartsLeft <= 0) {
        return false;
    }
    --*FRestartsLeft;
    return true;
}

void TUpdateWorkflow::restart(TCmd cmd, bool keepCancel) {
    ++FRestarts;
    FView.restarting();
    startWorker(cmd, keepCancel);
}

void TUpdateWorkflow::WMStatus(std::int32_t code, std::int32_t value) {
    const std::optional<std::string> text = statusText(code, value, FView.portText());
    switch (code) {
    case kStatusCompleted:
        FView.setProgress(100);
        finishRun();
        FEndedWith = TStatusMessage{code, value};
        if (text) {
            fullReport(*text);
        }
        return;
    case kStatusProgress: {
        FView.addReportLine(*text);
        const int position = std::clamp(value, 0, 100);
        FView.setProgress(position);
        FView.setApplicationTitle(progressTitle(position));
        return;
    }
    case kStatusFailed:
        finishRun();
        FEndedWith = TStatusMessage{code, value};
        FView.beep();
        handleFailure(value);
        return;
    case kStatusRepeat: {
        FView.setStatusText(*text);
        FView.addReportLine(*text);
        if (!mayRestart()) {
            finishRun();
            FEndedWith = TStatusMessage{code, value};
            return;
        }
        FView.pauseFrontEnd(kRepeatPause);
        // A cancel pressed while the last run failed must stop the new one too.
        restart(static_cast<TCmd>(value & 0xFF), true);
        return;
    }
    case kStatusProgrammingError:
    case kStatusUpdate:
    case kStatusFormat:
        FView.addReportLine(*text);
        FView.setStatusText(*text);
        return;
    case kStatusConversionError:
    case kStatusSdTxError:
    case kStatusSdRxError:
    case kStatusClass:
    case kStatusVersion:
    case kStatusPlatform:
    case kStatusPrint:
    case kStatusInfo:
    case kStatusUpdateClass:
    case kStatusCheck:
    case kStatusUpdateInfo:
    case kStatusUnknownRadio:
    case kStatusBlid:
    case kStatusShared:
    case kStatusVectorTable: // no text for values other than 0 and 1
        if (text) {
            FView.addReportLine(*text);
        }
        return;
    case kStatusResistor:
        fullReport(*text);
        return;
    default:
        return; // not a status code of this system
    }
}

void TUpdateWorkflow::handleFailure(std::int32_t errorCode) {
    const std::string text = errorText(errorCode, FView.portText());
    switch (errorCode) {
    case kErrConversion:
        // The report line came with the status 12 that precedes this failure.
        FView.showMessageText(text);
        return;
    case kErrRepeatProgramming:
        FView.addReportLine(text);
        FView.setStatusText(text);
        if (mayRestart()) {
            FEndedWith.reset();
            restart(TCmd::tCMD0, false);
        }
        return;
    default:
        fullReport(text);
        return;
    }
}
