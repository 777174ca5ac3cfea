// sdupdate-cli: the update of the desktop program, headless, for scripts and production lines.
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/frame_trace.h"
#include "cli/latency_advice.h"
#include "cli/process_signals.h"
#include "cli/run_monitor.h"
#include "cli/run_outcome.h"
#include "cli/single_update.h"
#include "cli/supervisor.h"
#include "cli/terminal.h"
#include "comm/message_queue.h"
#include "comm/serial_port.h"
#include "comm/uExceptions1V0.h"
#include "internal_mode/internal_switch.h"
#include "ports/adapter_info.h"
#include "ports/port_list.h"
#include "settings/update_settings.h"
#include "update/uSDCommThread.h"
#include "workflow/overview_rows.h"
#include "workflow/startup_options.h"
#include "workflow/update_question.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kExitFatal = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotConfirmed = 3;

int usageError(const std::string& message) {
    tell(message);
    return kExitUsage;
}

// True when the operator answered Yes; false (with the reason on stderr) otherwise.
bool confirm(const char* question, bool yes) {
    if (question == nullptr || yes) {
        return true;
    }
    if (!stdinIsTerminal()) {
        tell("the update needs a confirmation and there is no terminal to ask; give --yes to "
             "confirm");
        return false;
    }
    std::string text = question;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, "\n");
    }
    std::fprintf(stderr, "%s [y/N] ", text.c_str());
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer); // a cancel signal interrupts the read
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") {
        return true;
    }
    if (!cancelSignalled()) {
        tell("not confirmed, nothing sent");
    }
    return false;
}

void listImages() {
    std::string header;
    for (const char* column : kOverviewColumns) {
        header += (header.empty() ? "" : "\t") + std::string(column);
    }
    std::printf("%s\n", header.c_str());
    for (const auto& row : overviewRows()) {
        std::string line;
        for (const auto& cell : row) {
            line += (line.empty() ? "" : "\t") + cell;
        }
        std::printf("%s\n", line.c_str());
    }
}

int listPorts() {
    const TPortList ports = getSerialPorts();
    if (ports.empty()) {
        tell("no serial port of the logger's USB adapter found: is the cable plugged in?");
    }
    for (const auto& port : ports) {
        std::printf("%s\n", port.c_str());
    }
    return 0;
}

int run(int argc, char** argv) {
    protectStandardStreams();
    installCancelHandlers();
    gWorkerClass = createWorker<TSDCommThread>;
    TCliOptions options;
    try {
        options = parseCliOptions(argc, argv);
    } catch (const std::invalid_argument& e) {
        usageError(e.what());
        std::fputs(kCliUsage, stderr);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(kCliUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("sdupdate-cli %s\n", SDU_VERSION);
        return 0;
    }
    const bool internalMode = readInternalSwitch();
    for (const auto& warning : startupOptionWarnings(internalMode, options.startupArgs)) {
        tell("warning: " + warning);
    }
    const TStartupState startup = applyStartupOptions(internalMode, options.startupArgs);
    if (options.listImages) {
        listImages();
        return 0;
    }
    if (options.listPorts) {
        return listPorts();
    }
    if (options.ports.empty() && !options.allPorts && !options.station) {
        return usageError("--port NAME is missing (see --help)");
    }
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (options.ports[i] == options.ports[j]) {
                return usageError("--port " + options.ports[i] + " is given twice");
            }
        }
    }
    const bool severalPorts = options.ports.size() > 1 || options.allPorts || options.station;
    if (severalPorts && options.trace == "-") {
        return usageError("--trace - takes one port; give a file name (one trace per port)");
    }
    if (options.readInfoOnly && !startup.readInfoOnlyVisible) {
        return usageError("--read-info-only is available in internal mode only");
    }
    if (options.file && gFileMode.load(std::memory_order_relaxed) != 2) {
        return usageError("--file is available in internal mode with the option f:+ only");
    }
    if (!options.file && !confirm(updateQuestion(), options.yes)) {
        if (cancelSignalled()) {
            tell("cancelled, nothing sent");
            return kErrCancelled;
        }
        return kExitNotConfirmed;
    }
    if (options.station) {
        return runStation(options);
    }
    if (options.allPorts) {
        const TPortList ports = getSerialPorts();
        if (ports.empty()) {
            tell("--all-ports: no serial port of the logger's USB adapter found: is the cable "
                 "plugged in?");
            return kErrPortNotReady;
        }
        return updatePorts(options, ports);
    }
    if (options.ports.size() > 1) {
        return updatePorts(options, options.ports);
    }
    return updateOnePort(options, options.ports.front());
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        tell(e.what());
        return kExitFatal;
    }
}
