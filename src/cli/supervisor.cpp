#include "cli/supervisor.h"

#include "cli/child_pool.h"
#include "cli/cli_view.h"
#include "cli/json_events.h"
#include "cli/port_board.h"
#include "cli/process_signals.h"
#include "cli/single_update.h"
#include "cli/terminal.h"
#include "ports/port_watch.h"
#include "workflow/local_time.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

using namespace std::chrono_literals;
using json = nlohmann::ordered_json;

constexpr auto kTick = 250ms;

// A trace per port: "update.trace" gives "update.trace.ttyUSB0".
std::string tracePerPort(const std::string& trace, const std::string& port) {
    std::string suffix = port;
    for (char& c : suffix) {
        if (c == '/' || c == '\\' || c == ':') {
            c = '_';
        }
    }
    return trace + "." + suffix;
}

// The children of one supervisor, their states and what the supervisor prints of them.
class TSupervision {
public:
    explicit TSupervision(const TCliOptions& options)
        : FOptions(options),
          FPool([&options](const std::string& port) { return childArguments(options, port); }) {
        if (!options.json && stderrIsTerminal()) {
            FBoard.emplace(stderr);
        }
    }

    void start(const std::string& port) {
        FStates[port].port = port;
        FPool.start(port);
        ++FRunning;
    }
    int running() const { return FRunning; }
    bool active(const std::string& port) const {
        const auto it = FStates.find(port);
        return it != FStates.end() && !it->second.exitCode;
    }
    void cancelAll() { FPool.cancelAll(); }

    // Handles what the children said within `timeout`; the state of every port that ended.
    std::vector<TPortState> poll(std::chrono::milliseconds timeout) {
        std::vector<TPortState> ended;
        for (auto event = FPool.next(timeout); event; event = FPool.next(0ms)) {
            TPortState& state = FStates[event->port];
            switch (event->kind) {
            case TChildEvent::TKind::Json:
                handleJson(state, event->line);
                break;
            case TChildEvent::TKind::Stderr:
                applyChildStderr(state, event->line);
                break;
            case TChildEvent::TKind::Ended: {
                const std::optional<int> status = FPool.finish(event->port);
                if (!state.exitCode || (status && *status != *state.exitCode)) {
                    state.exitCode = status.value_or(1);
                    if (state.result.empty()) {
                        state.result = status ? "ended" : "killed";
                    }
                }
                --FRunning;
                ended.push_back(state);
                break;
            }
            }
        }
        drawBoard();
        return ended;
    }

    const TPortState& state(const std::string& port) { return FStates[port]; }

    void leaveBoard() {
        if (FBoard) {
            FBoard->release();
        }
    }

private:
    void handleJson(TPortState& state, const std::string& line) {
        const json event = json::parse(line, nullptr, false);
        if (event.is_discarded() || !event.is_object()) {
            return;
        }
        applyChildEvent(state, event);
        if (FOptions.json) {
            json withPort = {{"port", state.port}};
            for (auto& [key, value] : event.items()) {
                withPort[key] = value;
            }
            std::fputs(
                (withPort.dump(-1, ' ', false, json::error_handler_t::replace) + "\n").c_str(),
                stdout);
            std::fflush(stdout);
        }
    }

    void drawBoard() {
        if (!FBoard) {
            return;
        }
        std::vector<std::string> lines;
        for (const auto& [port, state] : FStates) {
            lines.push_back(liveLine(state));
        }
        FBoard->draw(lines);
    }

    const TCliOptions& FOptions;
    TChildPool FPool;
    std::map<std::string, TPortState> FStates;
    std::optional<TLiveBoard> FBoard;
    int FRunning = 0;
};

void tellReasons(const TPortState& state) {
    if (state.exitCode && *state.exitCode != 0) {
        for (const auto& line : state.stderrLines) {
            tell(state.port + ": " + line);
        }
    }
}

} // namespace

std::vector<std::string> childArguments(const TCliOptions& options, const std::string& port) {
    std::vector<std::string> args = {selfExecutable(),
                                     "--port",
                                     port,
                                     "--yes",
                                     "--json",
                                     "--max-restarts",
                                     options.maxRestarts ? std::to_string(*options.maxRestarts)
                                                         : std::string("unlimited")};
    if (options.record) {
        args.insert(args.end(), {"--record", *options.record});
    } else if (options.noRecord) {
        args.push_back("--no-record");
    }
    if (options.trace) {
        args.insert(args.end(), {"--trace", tracePerPort(*options.trace, port)});
    }
    if (options.readInfoOnly) {
        args.push_back("--read-info-only");
    }
    if (options.file) {
        args.insert(args.end(), {"--file", *options.file});
    }
    args.insert(args.end(), options.startupArgs.begin() + 1, options.startupArgs.end());
    return args;
}

int updatePorts(const TCliOptions& options, const std::vector<std::string>& ports) {
    // 1: every child cancels; 2: again, they end at once; 3: this process ends at once.
    installSupervisorHandlers(2);
    TSupervision supervision(options);
    for (const auto& port : ports) {
        supervision.start(port);
    }
    int signalsHandled = 0;
    while (supervision.running() > 0) {
        if (signalsReceived() > signalsHandled) {
            ++signalsHandled;
            supervision.cancelAll();
            tell(signalsHandled == 1 ? "cancelling every update (Ctrl-C again ends them at once)"
                                     : "ending every update at once");
        }
        supervision.poll(kTick);
    }
    supervision.leaveBoard();

    std::vector<TPortState> states;
    int exitStatus = 0;
    for (const auto& port : ports) {
        states.push_back(supervision.state(port));
        const int status = states.back().exitCode.value_or(1);
        if (exitStatus == 0 && status != 0) {
            exitStatus = status;
        }
    }
    for (const auto& row : summaryTable(states)) {
        std::fprintf(stderr, "%s\n", row.c_str());
    }
    for (const auto& state : states) {
        tellReasons(state);
    }
    if (options.json) {
        json summary = json::array();
        for (const auto& s : states) {
            summary.push_back({{"port", s.port},
                               {"adapter_serial",
                                s.adapterSerial.empty() ? json(nullptr) : json(s.adapterSerial)},
                               {"exit_code", s.exitCode.value_or(1)},
                               {"result", s.result},
                               {"image", s.image.empty() ? json(nullptr) : json(s.image)},
                               {"duration", s.duration}});
        }
        TJsonEvents(stdout).emit(
            {{"event", "summary"}, {"exit_code", exitStatus}, {"ports", summary}});
    }
    return exitStatus;
}

int runStation(const TCliOptions& options) {
    // 1: no new loggers; 2: the running updates cancel; 3: they end at once; 4: this process.
    installSupervisorHandlers(3);
    TSupervision supervision(options);
    TPortWatch watch;
    std::set<std::string> seen; // present and taken: updated again only after a replug
    int passed = 0;
    int failed = 0;
    int firstFailure = 0;
    int signalsHandled = 0;
    tell("station: updating every logger whose adapter appears (Ctrl-C stops taking new ones)");
    TPortList ports = getSerialPorts();
    for (;;) {
        for (; signalsHandled < signalsReceived(); ++signalsHandled) {
            if (signalsHandled == 0) {
                tell("station: no new loggers; " + std::to_string(supervision.running()) +
                     " update(s) running (Ctrl-C again cancels them)");
            } else {
                supervision.cancelAll();
            }
        }
        const bool taking = signalsHandled == 0;
        if (!taking && supervision.running() == 0) {
            break;
        }
        if (taking) {
            for (auto it = seen.begin(); it != seen.end();) {
                const bool present = std::find(ports.begin(), ports.end(), *it) != ports.end();
                it = present ? std::next(it) : seen.erase(it); // unplugged: may come again
            }
            for (const auto& port : ports) {
                if (seen.insert(port).second && !supervision.active(port)) {
                    supervision.start(port);
                }
            }
        }
        for (const TPortState& state : supervision.poll(taking ? 0ms : kTick)) {
            const bool ok = state.exitCode == 0;
            ok ? ++passed : ++failed;
            if (!ok && firstFailure == 0) {
                firstFailure = state.exitCode.value_or(1);
            }
            if (!options.json) {
                supervision.leaveBoard();
                std::printf(
                    "%s  %s  %s  %s  %s  %s\n",
                    isoTimestamp(std::chrono::system_clock::now()).c_str(), state.port.c_str(),
                    state.adapterSerial.empty() ? "-" : state.adapterSerial.c_str(),
                    state.result.c_str(), state.image.empty() ? "-" : state.image.c_str(),
                    durationText(std::chrono::seconds(static_cast<long long>(state.duration)))
                        .c_str());
                std::fflush(stdout);
            }
            tellReasons(state);
        }
        if (taking) {
            ports = watch.wait(kTick);
        }
    }
    tell("station: " + std::to_string(passed) + " passed, " + std::to_string(failed) + " failed");
    return firstFailure;
}
