#include "cli/cli_view.h"

#include "cli/process_signals.h"
#include "workflow/report_line.h"

#include <thread>

std::string durationText(std::chrono::steady_clock::duration duration) {
    const auto total = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                      static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(total / 60),
                      static_cast<long long>(total % 60));
    }
    return text;
}

TCliView::TCliView(std::string port, bool readInfoOnly, std::FILE* report, std::FILE* progress,
                   TRunMonitor& monitor)
    : FPort(std::move(port)), FReadInfoOnly(readInfoOnly), FReport(report), FProgress(progress),
      FMonitor(monitor) {}

void TCliView::addReportLine(const std::string& text) {
    FLastReported = text;
    if (FReport == nullptr) {
        return;
    }
    const bool redraw = FProgressShown;
    clearProgressLine();
    // A closed stdout must not stop the update: a failed write is dropped.
    std::fputs((reportLine(text) + "\n").c_str(), FReport);
    std::fflush(FReport);
    if (redraw) {
        drawProgress();
    }
}

void TCliView::showMessageText(const std::string& text) {
    // A text that only the message window would show still belongs in the report stream.
    if (text != FLastReported) {
        addReportLine(text);
    }
}

void TCliView::setProgress(int position) {
    FPosition = position;
    drawProgress();
}

void TCliView::tick() {
    if (FProgressShown || FRunning) {
        drawProgress();
    }
}

std::chrono::steady_clock::duration TCliView::elapsed() const {
    return FStart ? std::chrono::steady_clock::now() - *FStart
                  : std::chrono::steady_clock::duration::zero();
}

void TCliView::drawProgress() {
    if (FProgress == nullptr || !FRunning) {
        return;
    }
    constexpr int kWidth = 20;
    const int filled = FPosition * kWidth / 100;
    const TRunProgress progress = FMonitor.progress();
    std::string line = "\r[" + std::string(std::size_t(filled), '#') +
                       std::string(std::size_t(kWidth - filled), '-') + "] ";
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", FPosition);
    line += percent;
    line += "  " + runPhaseText(progress) + "  " + durationText(elapsed());
    if (progress.estimate) {
        line += ", about " + durationText(*progress.estimate) + " left";
    }
    line += "\033[K"; // clears what a longer line before left behind
    std::fputs(line.c_str(), FProgress);
    std::fflush(FProgress);
    FProgressShown = true;
}

void TCliView::setRunning(bool running) {
    FRunning = running;
    if (running && !FStart) {
        FStart = std::chrono::steady_clock::now();
    }
    if (!running) {
        clearProgressLine();
    }
}

void TCliView::clearProgressLine() {
    if (FProgress != nullptr && FProgressShown) {
        std::fputs("\r\033[K", FProgress);
        std::fflush(FProgress);
        FProgressShown = false;
    }
}

void TCliView::pauseFrontEnd(std::chrono::milliseconds duration) {
    FMonitor.restartPause(duration, FRestarts + 1);
    drawProgress();
    std::this_thread::sleep_for(duration);
}

bool TCliView::cancelRequested() const {
    return cancelSignalled();
}

void TCliView::restarting() {
    FMonitor.restartStarting(++FRestarts);
    if (FOnRestart) {
        FOnRestart(FRestarts);
    }
}
