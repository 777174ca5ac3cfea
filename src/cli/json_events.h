#pragma once
// --json: JSON Lines on stdout instead of the report lines, one object per event (docs/json.md):
// every status message, progress, phases, restarts and one final result.

#include "cli/run_monitor.h"
#include "cli/run_outcome.h"
#include "ports/adapter_info.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

class TJsonEvents {
public:
    explicit TJsonEvents(std::FILE* out) : FOut(out) {}

    // The update begins: the port as given and its USB adapter, when the system tells.
    void start(const std::string& port, const std::optional<TAdapterInfo>& adapter);
    // A status message: its code, name and value, and its text where a front end shows one.
    void status(std::int32_t code, std::int32_t value, const std::string& portText);
    void progress(int percent, const TRunProgress& progress,
                  std::chrono::steady_clock::duration elapsed);
    // The phase changed (as the progress line names it).
    void phase(const TRunProgress& progress);
    void restart(int restart, const char* cause);
    void result(const TRunOutcome& outcome, int linesRetried,
                const std::optional<TAdapterInfo>& adapter);

    // One object as a line; a failed write is dropped (a closed stdout must not stop a run).
    void emit(nlohmann::ordered_json event);

private:
    std::FILE* FOut;
};

// Seconds with a tenth, for durations in JSON.
double seconds(std::chrono::steady_clock::duration duration);
