#pragma once
// The headless updater's outputs: the report on stdout, line by line; on a terminal a live
// progress line on stderr with the phase, the elapsed time and an estimate of the time left.

#include "cli/run_monitor.h"
#include "workflow/update_workflow.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

class TCliView : public TWorkflowView {
public:
    // `report` is nullptr when the report lines are not wanted (JSON on stdout); `progress` is
    // nullptr when stderr is no terminal: no progress line then.
    TCliView(std::string port, bool readInfoOnly, std::FILE* report, std::FILE* progress,
             TRunMonitor& monitor);

    void addReportLine(const std::string& text) override;
    void clearReport() override {}
    void setStatusText(const std::string& text) override { FStatusText = text; }
    void showMessageText(const std::string& text) override;
    void setProgress(int position) override;
    void setApplicationTitle(const std::string&) override {}
    void beep() override {}
    void setRunning(bool running) override;
    std::string portText() const override { return FPort; }
    bool readInfoOnlyChecked() const override { return FReadInfoOnly; }
    void pauseFrontEnd(std::chrono::milliseconds duration) override;
    bool cancelRequested() const override;
    void restarting() override;

    // Called with the number of the restart (from 1) when an automatic restart begins.
    void onRestart(std::function<void(int restart)> callback) { FOnRestart = std::move(callback); }

    // Redraws the progress line: the elapsed time moves on between messages.
    void tick();
    bool showsProgress() const { return FProgress != nullptr; }
    const std::string& statusText() const { return FStatusText; }
    // Time since the first run started.
    std::chrono::steady_clock::duration elapsed() const;

private:
    void clearProgressLine();
    void drawProgress();

    std::string FPort;
    bool FReadInfoOnly;
    std::FILE* FReport;
    std::FILE* FProgress; // nullptr: no progress line
    TRunMonitor& FMonitor;
    std::string FStatusText;
    std::string FLastReported;
    bool FProgressShown = false;
    bool FRunning = false;
    int FPosition = 0;
    int FRestarts = 0;
    std::optional<std::chrono::steady_clock::time_point> FStart;
    std::function<void(int)> FOnRestart;
};

// "1:05" (minutes:seconds), "1:02:03" past an hour.
std::string durationText(std::chrono::steady_clock::duration duration);
