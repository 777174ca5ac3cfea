#include "cli/cli_view.h"

#include "workflow/report_line.h"

#include <thread>

TCliView::TCliView(std::string port, bool readInfoOnly, std::FILE* report, std::FILE* progress)
    : FPort(std::move(port)), FReadInfoOnly(readInfoOnly), FReport(report), FProgress(progress) {}

void TCliView::addReportLine(const std::string& text) {
    const bool redraw = FProgressShown;
    clearProgressLine();
    std::fputs(reportLine(text).c_str(), FReport);
    std::fputc('\n', FReport);
    std::fflush(FReport);
    FLastReported = text;
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

void TCliView::drawProgress() {
    if (FProgress == nullptr || !FRunning) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = FPosition * kWidth / 100;
    std::fprintf(FProgress, "\r[%s%s] %3d%%", std::string(std::size_t(filled), '#').c_str(),
                 std::string(std::size_t(kWidth - filled), ' ').c_str(), FPosition);
    std::fflush(FProgress);
    FProgressShown = true;
}

void TCliView::setRunning(bool running) {
    FRunning = running;
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
    std::this_thread::sleep_for(duration);
}
