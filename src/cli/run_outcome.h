#pragma once
// How an invocation of the headless updater ended, and what it tells the user on stderr
// after the report: why it failed and what to do, and a one-line summary.

#include "cli/run_monitor.h"
#include "comm/message_post.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct TRunOutcome {
    std::optional<TStatusMessage> endedWith; // the final message; nothing: no run ended
    std::string port;
    int restarts = 0;
    std::optional<int> maxRestarts;
    std::chrono::steady_clock::duration duration{};
    int selectedImage = -1; // as the last run left it
};

// The lines for stderr, without the program's prefix: the port's reason and fix, the end of
// the restarts, a module left partly programmed, and last the summary.
std::vector<std::string> outcomeLines(const TRunOutcome& outcome, const TRunMonitor& monitor);
