#pragma once
// The headless updater's outputs: the report on stdout, line by line; a live progress bar on
// stderr when that is a terminal.

#include "workflow/update_workflow.h"

#include <cstdio>
#include <string>

class TCliView : public TWorkflowView {
public:
    TCliView(std::string port, bool readInfoOnly, std::FILE* report, std::FILE* progress);

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

    const std::string& statusText() const { return FStatusText; }

private:
    void clearProgressLine();
    void drawProgress();

    std::string FPort;
    bool FReadInfoOnly;
    std::FILE* FReport;
    std::FILE* FProgress; // nullptr: no progress bar
    std::string FStatusText;
    std::string FLastReported;
    bool FProgressShown = false;
    bool FRunning = false;
    int FPosition = 0;
};
