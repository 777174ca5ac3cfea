#pragma once
// One update on one port in this process: the workflow of the window driven headless, with the
// report (or JSON events) on stdout, progress, trace, the reasons and summary on stderr, and
// the update record.

#include "cli/cli_options.h"

#include <string>

// The exit status of the update.
int updateOnePort(const TCliOptions& options, const std::string& port);

// "sdupdate-cli: <message>" on stderr.
void tell(const std::string& message);
