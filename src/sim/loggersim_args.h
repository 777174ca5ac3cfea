#pragma once
// The command line of loggersim.

#include "sim/sim_options.h"

#include <string>
#include <vector>

struct TLoggerSimArgs {
    TSimOptions options;
    std::string linkPath; // --link PATH
    std::string flashOut; // --flash-out FILE
    bool help = false;
    bool version = false; // --version alone: print the program's version
};

// Parses argv[1..]; on a usage error returns false with the reason in `error`.
bool parseLoggerSimArgs(const std::vector<std::string>& args, TLoggerSimArgs& out,
                        std::string& error);

std::string loggerSimUsage();
