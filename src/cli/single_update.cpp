#include "cli/single_update.h"

#include "cli/cli_view.h"
#include "cli/frame_trace.h"
#include "cli/json_events.h"
#include "cli/latency_advice.h"
#include "cli/run_monitor.h"
#include "cli/run_outcome.h"
#include "cli/terminal.h"
#include "comm/message_queue.h"
#include "comm/serial_port.h"
#include "comm/uExceptions1V0.h"
#include "ports/adapter_info.h"
#include "record/record_writer.h"
#include "record/update_record.h"
#include "settings/update_settings.h"
#include "workflow/status_table.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kExitUsage = 2;

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
void adviseOnLatency(const std::string& port, const std::optional<TAdapterInfo>& adapter) {
    if (openComPortSetsLowLatency() || !adapter || !adapter->latencyTimerMs) {
        return;
    }
    if (const auto advice = latencyAdvice(port, *adapter->latencyTimerMs)) {
        tell("warning: " + *advice);
    }
}

void writeRecord(const TCliOptions& options, const TUpdateRecord& record) {
    if (options.noRecord) {
        return;
    }
    std::string error;
    if (!writeUpdateRecord(record, options.record.value_or(""), error)) {
        tell("warning: the update record was not written: " + error + " (--record FILE)");
    }
}

} // namespace

void tell(const std::string& message) {
    std::fprintf(stderr, "sdupdate-cli: %s\n", message.c_str());
}

int updateOnePort(const TCliOptions& options, const std::string& port) {
    std::unique_ptr<TFrameTrace> trace;
    if (options.trace) {
        try {
            trace = openTrace(*options.trace);
        } catch (const std::invalid_argument& e) {
            tell(e.what());
            return kExitUsage;
        }
        trace->event("open " + port);
    }
    auto monitor = std::make_unique<TRunMonitor>(trace.get());
    setRunObserver(monitor.get());
    std::optional<TJsonEvents> json;
    if (options.json) {
        json.emplace(stdout);
    }

    TUpdateRecord record;
    record.tool = "sdupdate-cli";
    record.toolVersion = SDU_VERSION;
    record.host = hostName();
    record.start = std::chrono::system_clock::now();
    record.port = port;
    record.adapter = adapterInfo(port);
    TRecordCollector collector;

    TMessageQueue queue;
    TCliView view(port, options.readInfoOnly, json ? nullptr : stdout,
                  stderrIsTerminal() ? stderr : nullptr, *monitor);
    TUpdateWorkflow workflow(view, queue.handle());
    workflow.setRestartLimit(options.maxRestarts);
    if (const auto failure = workflow.prepareRun(options.file ? &*options.file : nullptr)) {
        tell("cannot use the firmware file \"" + *options.file + "\": " + *failure);
        setRunObserver(nullptr);
        return kExitUsage;
    }
    std::int32_t lastCode = 0;
    if (json) {
        view.onRestart([&](int restart) {
            json->restart(restart, lastCode == kStatusRepeat ? "no_reply" : "programming");
        });
    }
    adviseOnLatency(port, record.adapter);
    if (json) {
        json->start(port, record.adapter);
    }
    workflow.startWorker(TCmd::tCMD0);
    const auto tickEvery = view.showsProgress() || json ? std::chrono::milliseconds(250)
                                                        : std::chrono::milliseconds(1000);
    std::string shownPhase;
    while (workflow.running()) {
        if (const auto message = queue.waitNext(tickEvery)) {
            collector.statusMessage(message->code, message->value);
            lastCode = message->code;
            if (json) {
                json->status(message->code, message->value, port);
                if (message->code == kStatusProgress) {
                    json->progress(message->value, monitor->progress(), view.elapsed());
                }
            }
            workflow.WMStatus(message->code, message->value);
        }
        view.tick();
        if (json && queue.empty()) {
            // A phase event when the phase changes (not for every line written), once the
            // messages posted before are out, so the events keep the worker's order.
            const TRunProgress progress = monitor->progress();
            if (phaseNames(progress).name != shownPhase) {
                shownPhase = phaseNames(progress).name;
                json->phase(progress);
            }
        }
    }
    // The port was closed before the final message; let the worker object go, too.
    const bool workersEnded = TCommThread::waitUntilNoneLive(std::chrono::seconds(5));

    TRunOutcome outcome;
    outcome.endedWith = workflow.endedWith();
    outcome.port = port;
    outcome.restarts = workflow.restarts();
    outcome.maxRestarts = options.maxRestarts;
    outcome.duration = view.elapsed();
    outcome.selectedImage = gSelectedImage.load(std::memory_order_relaxed);
    for (const auto& line : outcomeLines(outcome, *monitor)) {
        tell(line);
    }
    if (json) {
        json->result(outcome, monitor->linesRetried(), record.adapter);
    }

    record.end = std::chrono::system_clock::now();
    collector.fill(record);
    record.image = outcome.selectedImage;
    record.imageFile = options.file && outcome.selectedImage == 0 ? *options.file : "";
    record.endedWith = outcome.endedWith;
    record.restarts = outcome.restarts;
    record.linesRetried = monitor->linesRetried();
    writeRecord(options, record);

    if (workersEnded) {
        setRunObserver(nullptr);
    } else {
        // A worker that has not ended yet may still call them: they stay for the process.
        (void)monitor.release();
        (void)trace.release();
    }
    return exitStatusFor(outcome.endedWith);
}
