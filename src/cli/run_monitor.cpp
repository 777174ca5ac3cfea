#include "cli/run_monitor.h"

namespace {

const TPhaseNames kPhases[] = {
    {"opening_port", "opening the port"},
    {"waking", "waking the logger"},
    {"identifying", "identifying the logger"},
    {"reaching_controller", "waiting for the SD controller"},
    {"writing", "writing the firmware"},
    {"finishing", "finishing"},
    {"restarting_module", "restarting the module"},
};
const TPhaseNames kWaitingToRestart = {"waiting_to_restart", "waiting to restart"};

const char* verdictName(TReplyVerdict verdict) {
    switch (verdict) {
    case TReplyVerdict::Ok:
        return "ok";
    case TReplyVerdict::ShortRead:
        return "short read";
    case TReplyVerdict::WrongCheckByte:
        return "wrong check byte";
    case TReplyVerdict::DeviceException:
        return "device exception";
    }
    return "";
}

} // namespace

const TPhaseNames& phaseNames(const TRunProgress& progress) {
    return progress.waitingToRestart ? kWaitingToRestart
                                     : kPhases[static_cast<std::size_t>(progress.phase)];
}

std::string runPhaseText(const TRunProgress& progress) {
    if (!progress.waitingToRestart && progress.phase == TRunPhase::WritingLines &&
        progress.lines > 0) {
        return "writing line " + std::to_string(progress.line + 1) + " of " +
               std::to_string(progress.lines);
    }
    return phaseNames(progress).text;
}

void TRunMonitor::phaseStarted(TRunPhase phase) {
    {
        std::lock_guard guard(FLock);
        if (phase == TRunPhase::OpeningPort) {
            FProgress = TRunProgress{};
            FFirstLine = -1;
            FPortFault.reset();
        }
        FProgress.phase = phase;
        FProgress.waitingToRestart = false;
        FPhaseStart = Clock::now();
        if (phase == TRunPhase::WritingLines) {
            FProgrammingBegun = true;
        }
    }
    if (FTrace != nullptr) {
        FTrace->event(std::string("phase: ") + kPhases[static_cast<std::size_t>(phase)].text);
    }
}

void TRunMonitor::lineAttempt(int line, int lines, int attempt) {
    {
        std::lock_guard guard(FLock);
        FProgress.phase = TRunPhase::WritingLines;
        FProgress.line = line;
        FProgress.lines = lines;
        if (FFirstLine < 0) {
            FFirstLine = line;
            FFirstLineAt = Clock::now();
        }
        if (attempt == 2) {
            ++FLinesRetried;
        }
    }
    if (FTrace != nullptr && attempt > 1) {
        FTrace->event("line " + std::to_string(line) + " attempt " + std::to_string(attempt));
    }
}

void TRunMonitor::frameSent(const TFrame& frame, std::size_t written, int tryNumber,
                            bool awaitReply) {
    if (FTrace != nullptr) {
        FTrace->frameSent(frame, written, tryNumber, awaitReply);
    }
}

void TRunMonitor::replyReceived(const std::uint8_t* bytes, std::size_t count, int tryNumber,
                                TReplyVerdict verdict) {
    if (FTrace != nullptr) {
        FTrace->replyReceived(bytes, count, tryNumber, verdictName(verdict));
    }
}

void TRunMonitor::paused(std::chrono::milliseconds duration) {
    if (FTrace != nullptr) {
        FTrace->event("pause " + std::to_string(duration.count()) + " ms");
    }
}

void TRunMonitor::portFailed(const TPortFault& fault) {
    {
        std::lock_guard guard(FLock);
        FPortFault = fault;
    }
    if (FTrace != nullptr) {
        FTrace->portFailed(fault);
    }
}

void TRunMonitor::note(const std::string& text) {
    if (FTrace != nullptr) {
        FTrace->event("note: " + text);
    }
}

void TRunMonitor::restartPause(std::chrono::milliseconds duration, int restart) {
    {
        std::lock_guard guard(FLock);
        FProgress.waitingToRestart = true;
    }
    if (FTrace != nullptr) {
        FTrace->event("pause " + std::to_string(duration.count()) + " ms before restart " +
                      std::to_string(restart));
    }
}

void TRunMonitor::restartStarting(int restart) {
    {
        std::lock_guard guard(FLock);
        FProgress.waitingToRestart = false;
    }
    if (FTrace != nullptr) {
        FTrace->event("restart " + std::to_string(restart));
    }
}

TRunProgress TRunMonitor::progress() const {
    std::lock_guard guard(FLock);
    TRunProgress progress = FProgress;
    const auto now = Clock::now();
    switch (progress.phase) {
    case TRunPhase::WritingLines:
        if (FFirstLine >= 0 && progress.line > FFirstLine) {
            const auto perLine = (now - FFirstLineAt) / (progress.line - FFirstLine);
            progress.estimate = perLine * (progress.lines - progress.line) + kFinishTime;
        }
        break;
    case TRunPhase::Finishing:
    case TRunPhase::RestartingModule: {
        const auto phaseTime =
            progress.phase == TRunPhase::Finishing ? kFinishTime : kRestartModuleTime;
        const auto left = phaseTime - (now - FPhaseStart);
        progress.estimate = left > Clock::duration::zero() ? left : Clock::duration::zero();
        break;
    }
    default:
        break;
    }
    if (progress.waitingToRestart) {
        progress.estimate.reset();
    }
    return progress;
}

bool TRunMonitor::programmingBegun() const {
    std::lock_guard guard(FLock);
    return FProgrammingBegun;
}

int TRunMonitor::linesRetried() const {
    std::lock_guard guard(FLock);
    return FLinesRetried;
}

std::optional<TPortFault> TRunMonitor::portFault() const {
    std::lock_guard guard(FLock);
    return FPortFault;
}
