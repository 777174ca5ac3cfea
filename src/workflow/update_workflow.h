#pragma once
// The update workflow of a front end, free of any toolkit: starting and finishing runs and
// turning every status message into report lines, status text, message windows, progress,
// title and beep, with the automatic restarts after status 13 and error 44.
// The window and the headless updater each implement TWorkflowView and drive this.

#include "comm/message_post.h"
#include "comm/uCommThread.h"
#include "workflow/status_table.h"

#include <chrono>
#include <optional>
#include <string>

class TWorkflowView {
public:
    virtual ~TWorkflowView() = default;
    virtual void addReportLine(const std::string& text) = 0;
    virtual void clearReport() = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // Shows the text and returns when the operator has closed it.
    virtual void showMessageText(const std::string& text) = 0;
    virtual void setProgress(int position) = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual void beep() = 0;
    // Controls and cursor of the running (true) or idle (false) state.
    virtual void setRunning(bool running) = 0;
    // The port selector's current text.
    virtual std::string portText() const = 0;
    virtual bool readInfoOnlyChecked() const = 0;
    // Blocks the front end's thread (the pause before a restart after status 13).
    virtual void pauseFrontEnd(std::chrono::milliseconds duration) = 0;
    // A cancel that no start may clear (the headless updater's signals); the window's Cancel
    // button only sets gCancel.
    virtual bool cancelRequested() const { return false; }
    // An automatic restart is about to start a new worker.
    virtual void restarting() {}
    // The run has ended with this message (no restart follows), before its texts are shown.
    virtual void runEnded(const TStatusMessage& /*endedWith*/) {}
};

class TUpdateWorkflow {
public:
    // `hWindow` is the message target that hands this workflow the worker's messages.
    TUpdateWorkflow(TWorkflowView& view, TWindowHandle hWindow);

    // Clears the report, resets the image choice and takes the port text. With a file name,
    // loads the description file as image 0 first; returns the reason when that fails (then
    // nothing should start: the report is cleared and the image choice is reset).
    std::optional<std::string> prepareRun(const std::string* fileName = nullptr);
    // With `keepCancel` a pending cancel stays set for the new worker (the restart after
    // status 13); otherwise the start clears it, unless the view holds a standing cancel.
    void startWorker(TCmd cmd, bool keepCancel = false);
    void finishRun();
    // Handles one status message of the worker.
    void WMStatus(std::int32_t code, std::int32_t value);

    bool running() const { return FRunning; }
    const std::string& port() const { return FPort; }

    // Bounds the automatic restarts (none by default, as in the window). Past the bound a
    // status 13 or error 44 ends the run instead; `endedWith` then tells which.
    void setRestartLimit(std::optional<int> limit) { FRestartsLeft = limit; }
    // The message that ended the last run (0, 10, or 13 when no restart was allowed).
    std::optional<TStatusMessage> endedWith() const { return FEndedWith; }
    // Automatic restarts since the last prepareRun.
    int restarts() const { return FRestarts; }

    static constexpr std::chrono::milliseconds kRepeatPause{1500};

private:
    // The text to the outputs `outputs` names, in that order; nothing without a text.
    void present(TOutputs outputs, const std::optional<std::string>& text);
    bool mayRestart();
    void restart(TCmd cmd, bool keepCancel);
    void endRun(TStatusMessage endedWith);

    TWorkflowView& FView;
    TWindowHandle FhWindow;
    std::string FPort;
    bool FRunning = false;
    std::optional<int> FRestartsLeft;
    int FRestarts = 0;
    std::optional<TStatusMessage> FEndedWith;
};
