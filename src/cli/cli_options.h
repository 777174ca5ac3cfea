#pragma once
// The command line of sdupdate-cli.

#include <optional>
#include <string>
#include <vector>

inline constexpr int kDefaultMaxRestarts = 3;

struct TCliOptions {
    std::vector<std::string> ports;    // --port, in the order given
    bool allPorts = false;             // every port of the logger's adapter type
    bool station = false;              // wait for adapters and update each new one
    bool json = false;                 // JSON Lines on stdout instead of the report
    std::optional<std::string> record; // the records file; nothing: the default one
    bool noRecord = false;
    bool yes = false;
    bool readInfoOnly = false;
    std::optional<std::string> file;
    // Automatic restarts allowed after a communication or programming failure; nothing: no
    // limit, as in the window.
    std::optional<int> maxRestarts = kDefaultMaxRestarts;
    // Where the frame trace goes: a file name, "-" for stderr; nothing: no trace.
    std::optional<std::string> trace;
    bool listImages = false;
    bool listPorts = false;
    bool help = false;
    bool version = false;
    // The program path and every key:value argument, as the window sees its command line.
    std::vector<std::string> startupArgs;
};

// Throws std::invalid_argument with a message for an unknown option or a missing value.
TCliOptions parseCliOptions(int argc, const char* const* argv);

extern const char* const kCliUsage;
