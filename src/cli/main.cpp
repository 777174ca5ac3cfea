// sdupdate-cli: the update of the desktop program, headless, for scripts and production lines.
#include "cli/cli_options.h"
#include "cli/cli_view.h"
#include "cli/terminal.h"
#include "comm/message_queue.h"
#include "comm/port_list.h"
#include "comm/uExceptions1V0.h"
#include "settings/internal_switch.h"
#include "update/uSDCommThread.h"
#include "update/update_settings.h"
#include "workflow/overview_rows.h"
#include "workflow/startup_options.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

constexpr int kExitFatal = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotConfirmed = 3;

extern "C" void onCancelSignal(int sig) {
    gCancel = true;            // lock-free atomic: safe in a signal handler
    std::signal(sig, SIG_DFL); // a second Ctrl-C ends the program at once
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "sdupdate-cli: %s\n", message.c_str());
    return kExitUsage;
}

// The question the "Update" button asks, or nothing when it asks none.
const char* confirmationQuestion() {
    if (gClearsMeasurements.load(std::memory_order_relaxed)) {
        return "This update clears all measurements!\r\nDo you really continue ?";
    }
    if (gFileMode.load(std::memory_order_relaxed) >= 1) {
        return nullptr;
    }
    return "Do you save your measurements ?\r\nDo you really continue without saving ?";
}

// True when the operator answered Yes; false (with the reason on stderr) otherwise.
bool confirm(const char* question, bool yes) {
    if (question == nullptr || yes) {
        return true;
    }
    if (!stdinIsTerminal()) {
        std::fprintf(stderr,
                     "sdupdate-cli: the update needs a confirmation and there is no terminal to "
                     "ask; give --yes to confirm\n");
        return false;
    }
    std::string text = question;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, "\n");
    }
    std::fprintf(stderr, "%s [y/N] ", text.c_str());
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") {
        return true;
    }
    std::fprintf(stderr, "sdupdate-cli: not confirmed, nothing sent\n");
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

int exitCodeFor(const std::optional<TStatusMessage>& ended) {
    if (!ended) {
        return kExitFatal;
    }
    switch (ended->code) {
    case kStatusCompleted:
        return 0;
    case kStatusRepeat:
        return kErrNoReply;
    default:
        return ended->value == kErrFatal ? kExitFatal : ended->value;
    }
}

int run(int argc, char** argv) {
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
    const TStartupState startup = applyStartupOptions(readInternalSwitch(), options.startupArgs);
    if (options.listImages) {
        listImages();
        return 0;
    }
    if (options.listPorts) {
        for (const auto& port : getSerialPorts()) {
            std::printf("%s\n", port.c_str());
        }
        return 0;
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
    if (!options.file && !confirm(confirmationQuestion(), options.yes)) {
        return kExitNotConfirmed;
    }

    TMessageQueue queue;
    TCliView view(options.port, options.readInfoOnly, stdout,
                  stderrIsTerminal() ? stderr : nullptr);
    TUpdateWorkflow workflow(view, queue.handle());
    workflow.setRestartLimit(options.maxRestarts);
    if (const auto failure = workflow.prepareRun(options.file ? &*options.file : nullptr)) {
        std::fprintf(stderr, "sdupdate-cli: cannot use the firmware file \"%s\": %s\n",
                     options.file->c_str(), failure->c_str());
        return kExitUsage;
    }
    std::signal(SIGINT, onCancelSignal);
    std::signal(SIGTERM, onCancelSignal);
    workflow.startWorker(TCmd::tCMD0);
    while (workflow.running()) {
        if (const auto message = queue.waitNext(std::chrono::seconds(1))) {
            workflow.WMStatus(message->code, message->value);
        }
    }
    // The port was closed before the final message; let the worker object go, too.
    TCommThread::waitUntilNoneLive(std::chrono::seconds(5));
    return exitCodeFor(workflow.endedWith());
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sdupdate-cli: %s\n", e.what());
        return kExitFatal;
    }
}
