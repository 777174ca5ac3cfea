#pragma once
// The command line of sdupdate-cli.

#include <optional>
#include <string>
#include <vector>

struct TCliOptions {
    std::string port;
    bool portGiven = false;
    bool yes = false;
    bool readInfoOnly = false;
    std::optional<std::string> file;
    std::optional<int> maxRestarts;
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
