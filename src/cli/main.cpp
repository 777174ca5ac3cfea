// sdupdate-cli: the update of the desktop program, headless, for scripts and production lines.
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/frame_trace.h"
#include "cli/latency_advice.h"
#include "cli/process_signals.h"
#include "cli/run_monitor.h"
#include "cli/run_outcome.h"
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

void tell(const std::string& message) {
    std::fprintf(stderr, "sdupdate-cli: %s\n", message.c_str());
}

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

std::unique_ptr<TFrameTrace> openTrace(const std::string& target) {
    if (target == "-") {
        return std::make_unique<TFrameTrace>(stderr, false);
    }
    std::FILE* file = std::fopen(target.c_str(), "w");
    if (file == nullptr) {
        throw std::invalid_argument("cannot write the trace file \"" + target +
                                    "\": " + std::strerror(errno));
    }
    return std::make_unique<TFrameTrace>(file, true);
}

// Where the serial layer cannot ask for low latency itself, a slow adapter is worth a word.
void adviseOnLatency(const std::string& port) {
    if (openComPortSetsLowLatency()) {
        return;
    }
    if (const auto adapter = adapterInfo(port); adapter && adapter->latencyTimerMs) {
        if (const auto advice = latencyAdvice(port, *adapter->latencyTimerMs)) {
            tell("warning: " + *advice);
        }
    }
}

int update(const TCliOptions& options) {
    std::unique_ptr<TFrameTrace> trace;
    if (options.trace) {
        try {
            trace = openTrace(*options.trace);
        } catch (const std::invalid_argument& e) {
            return usageError(e.what());
        }
        trace->event("open " + options.port);
    }
    auto monitor = std::make_unique<TRunMonitor>(trace.get());
    setRunObserver(monitor.get());

    TMessageQueue queue;
    TCliView view(options.port, options.readInfoOnly, stdout, stderrIsTerminal() ? stderr : nullptr,
                  *monitor);
    TUpdateWorkflow workflow(view, queue.handle());
    workflow.setRestartLimit(options.maxRestarts);
    if (const auto failure = workflow.prepareRun(options.file ? &*options.file : nullptr)) {
        tell("cannot use the firmware file \"" + *options.file + "\": " + *failure);
        setRunObserver(nullptr);
        return kExitUsage;
    }
    adviseOnLatency(options.port);
    workflow.startWorker(TCmd::tCMD0);
    const auto tickEvery =
        view.showsProgress() ? std::chrono::milliseconds(250) : std::chrono::milliseconds(1000);
    while (workflow.running()) {
        if (const auto message = queue.waitNext(tickEvery)) {
            workflow.WMStatus(message->code, message->value);
        }
        view.tick();
    }
    // The port was closed before the final message; let the worker object go, too.
    const bool workersEnded = TCommThread::waitUntilNoneLive(std::chrono::seconds(5));

    TRunOutcome outcome;
    outcome.endedWith = workflow.endedWith();
    outcome.port = options.port;
    outcome.restarts = workflow.restarts();
    outcome.maxRestarts = options.maxRestarts;
    outcome.duration = view.elapsed();
    outcome.selectedImage = gSelectedImage.load(std::memory_order_relaxed);
    for (const auto& line : outcomeLines(outcome, *monitor)) {
        tell(line);
    }
    if (workersEnded) {
        setRunObserver(nullptr);
    } else {
        // A worker that has not ended yet may still call them: they stay for the process.
        (void)monitor.release();
        (void)trace.release();
    }
    return exitStatusFor(outcome.endedWith);
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
    if (!options.portGiven) {
        return usageError("--port NAME is missing (see --help)");
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
    return update(options);
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
