#pragma once
// What the headless updater learns of its runs beyond the status messages: the phase and the
// firmware line for the progress line, the lines that needed more than one attempt, whether a
// run began programming the module, and why the port failed. The workers feed it (it is their
// run observer, and it hands every event to the frame trace when there is one); the main
// thread reads it.

#include "cli/frame_trace.h"
#include "comm/run_observer.h"

#include <chrono>
#include <mutex>
#include <optional>

struct TRunProgress {
    TRunPhase phase = TRunPhase::OpeningPort;
    bool waitingToRestart = false;
    int line = 0; // while writing lines: the line under way (from 0) and the count
    int lines = 0;
    // The time left, once the rate so far tells it.
    std::optional<std::chrono::steady_clock::duration> estimate;
};

class TRunMonitor : public TRunObserver {
public:
    explicit TRunMonitor(TFrameTrace* trace) : FTrace(trace) {}

    void phaseStarted(TRunPhase phase) override;
    void lineAttempt(int line, int lines, int attempt) override;
    void frameSent(const TFrame& frame, std::size_t written, int tryNumber,
                   bool awaitReply) override;
    void replyReceived(const std::uint8_t* bytes, std::size_t count, int tryNumber,
                       TReplyVerdict verdict) override;
    void paused(std::chrono::milliseconds duration) override;
    void portFailed(const TPortFault& fault) override;
    void note(const std::string& text) override;

    // Main thread: the pause before automatic restart `restart` (from 1), and its start.
    void restartPause(std::chrono::milliseconds duration, int restart);
    void restartStarting(int restart);

    TRunProgress progress() const;
    // A run has sent the begin command of programming (the module holds a partial image until
    // a run completes).
    bool programmingBegun() const;
    int linesRetried() const;
    // The last port failure of any run.
    std::optional<TPortFault> portFault() const;

    // The programming of a whole image takes this long after the last line (end command,
    // pauses, restart of the module).
    static constexpr std::chrono::milliseconds kFinishTime{3500};
    // ... of which the restart of the module takes this long.
    static constexpr std::chrono::milliseconds kRestartModuleTime{2600};

private:
    using Clock = std::chrono::steady_clock;

    mutable std::mutex FLock;
    TFrameTrace* FTrace;
    TRunProgress FProgress;
    Clock::time_point FPhaseStart = Clock::now();
    // The first line written in this run and when, for the rate.
    int FFirstLine = -1;
    Clock::time_point FFirstLineAt;
    bool FProgrammingBegun = false;
    int FLinesRetried = 0;
    std::optional<TPortFault> FPortFault;
};

// A phase's name in machine-readable output ("identifying") and in words ("identifying the
// logger"); one table, so the progress line, the trace and --json agree.
struct TPhaseNames {
    const char* name;
    const char* text;
};
const TPhaseNames& phaseNames(const TRunProgress& progress);

// "identifying the logger", "writing line 12 of 206", ...
std::string runPhaseText(const TRunProgress& progress);
