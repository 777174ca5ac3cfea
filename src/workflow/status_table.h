#pragma once
// One row per status code and one per error code: what a front end does with each. The texts,
// the window's outputs and their order, whether a code ends or restarts the run, the headless
// updater's exit status and the names of machine-readable output are all read from here.
// The numbers themselves live with the worker that posts them (comm/uExceptions1V0.h).

#include "comm/message_post.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The outputs of a code's text, in the order they are made: 'R' addReportLine, 'S'
// setStatusText, 'M' showMessageText (a "full report" is "RSM").
using TOutputs = std::string_view;

// What a status message does to the run besides its outputs.
enum class TRunEffect {
    None,
    Progress,  // the progress bar and the title follow the value
    Completes, // the run ends: progress 100, idle, then the outputs
    Fails,     // the run ends: idle, a beep, then the error code's row decides
    Repeats,   // the outputs, then a pause and a new run of the same command
};

struct TStatusRow {
    std::int32_t code;
    const char* name; // lower case with underscores, for machine-readable output
    TOutputs outputs;
    TRunEffect effect;
    // The text for a value (the port selector's text for texts that name the port); nothing
    // when the code has no text for that value.
    std::optional<std::string> (*text)(std::int32_t value, const std::string& portText);
};

struct TErrorRow {
    std::int32_t code;
    const char* name;
    TOutputs outputs; // after the run has ended and the beep
    bool restarts;    // a new run starts at once (programming failed)
    int exitCode;     // the headless updater's exit status when a run ends with this code
    std::string (*text)(const std::string& portText);
};

std::span<const TStatusRow> statusRows();
std::span<const TErrorRow> errorRows();

// The row of a status code; nullptr for a code the front ends ignore.
const TStatusRow* findStatusRow(std::int32_t code);
// The row of an error code; an unlisted code gets the row of error 0, the fatal default.
const TErrorRow& errorRow(std::int32_t code);

// How a run ended, for exit statuses and records: the final message of the last run, or
// nothing when no run ended (no worker could start).
// The exit status: 0 success, 1 fatal, 30 no answer past the restarts (status 13), otherwise
// the exit status of the error code's row.
int exitStatusFor(const std::optional<TStatusMessage>& endedWith);
// "success", the error code's name, or "no_reply" (status 13) / "fatal" (no run ended).
std::string resultName(const std::optional<TStatusMessage>& endedWith);
// The text of that end: the completion text, the error text, or the repeat text.
std::string resultText(const std::optional<TStatusMessage>& endedWith, const std::string& portText);
