#pragma once
// Several updates at once: the ports given (--port several times, --all-ports), or station
// mode (--station), which waits for adapters to appear and updates each new one once. Every
// port is updated by a child process of this program; the supervisor shows their progress,
// hands a cancel on, prints the summary and gives the exit status.

#include "cli/cli_options.h"

#include <string>
#include <vector>

// 0 when every port succeeded, else the exit status of the first port that failed, in the
// order given.
int updatePorts(const TCliOptions& options, const std::vector<std::string>& ports);

// 0 when every update of the session succeeded, else the exit status of the first that failed.
int runStation(const TCliOptions& options);

// The command line of the child that updates `port`.
std::vector<std::string> childArguments(const TCliOptions& options, const std::string& port);
