#include "workflow/update_workflow.h"

#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "workflow/status_table.h"
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
    FView.setApplicationTitle(kProgramTitle);
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

void TUpdateWorkflow::endRun(TStatusMessage endedWith) {
    FEndedWith = endedWith;
    FView.runEnded(endedWith);
}

void TUpdateWorkflow::restart(TCmd cmd, bool keepCancel) {
    ++FRestarts;
    FView.restarting();
    startWorker(cmd, keepCancel);
}

void TUpdateWorkflow::WMStatus(std::int32_t code, std::int32_t value) {
    const TStatusRow* row = findStatusRow(code);
    if (row == nullptr) {
        return; // not a status code of this system
    }
    // A failure's text is its error code's, chosen below.
    const std::optional<std::string> text =
        row->effect == TRunEffect::Fails ? std::nullopt : row->text(value, FView.portText());
    switch (row->effect) {
    case TRunEffect::None:
        present(row->outputs, text);
        return;
    case TRunEffect::Progress: {
        present(row->outputs, text);
        const int position = std::clamp(value, 0, 100);
        FView.setProgress(position);
        FView.setApplicationTitle(progressTitle(position));
        return;
    }
    case TRunEffect::Completes:
        FView.setProgress(100);
        finishRun();
        endRun({code, value});
        present(row->outputs, text);
        return;
    case TRunEffect::Fails: {
        finishRun();
        FView.beep();
        const TErrorRow& error = errorRow(value);
        const bool again = error.restarts && mayRestart();
        if (!again) {
            endRun({code, value});
        }
        present(error.outputs, error.text(FView.portText()));
        if (again) {
            restart(TCmd::tCMD0, false);
        }
        return;
    }
    case TRunEffect::Repeats:
        present(row->outputs, text);
        if (!mayRestart()) {
            finishRun();
            endRun({code, value});
            return;
        }
        FView.pauseFrontEnd(kRepeatPause);
        // A cancel pressed while the last run failed must stop the new one too.
        restart(static_cast<TCmd>(value & 0xFF), true);
        return;
    }
}

void TUpdateWorkflow::present(TOutputs outputs, const std::optional<std::string>& text) {
    if (!text) {
        return;
    }
    for (const char output : outputs) {
        switch (output) {
        case 'R':
            FView.addReportLine(*text);
            break;
        case 'S':
            FView.setStatusText(*text);
            break;
        case 'M':
            FView.showMessageText(*text);
            break;
        default:
            break;
        }
    }
}
