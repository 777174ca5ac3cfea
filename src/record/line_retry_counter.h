#pragma once
// Counts the firmware lines that needed more than one attempt, as the worker reports its
// attempts to the run observer; for a front end that keeps no other observer (the window).

#include "comm/run_observer.h"

#include <atomic>

class TLineRetryCounter : public TRunObserver {
public:
    int linesRetried() const { return FLines.load(); }
    void reset() { FLines = 0; }

    void lineAttempt(int, int, int attempt) override {
        if (attempt == 2) {
            ++FLines;
        }
    }
    void phaseStarted(TRunPhase) override {}
    void frameSent(const TFrame&, std::size_t, int, bool) override {}
    void replyReceived(const std::uint8_t*, std::size_t, int, TReplyVerdict) override {}
    void paused(std::chrono::milliseconds) override {}
    void portFailed(const TPortFault&) override {}
    void note(const std::string&) override {}

private:
    std::atomic<int> FLines{0};
};
