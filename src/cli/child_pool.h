#pragma once
// Updates of several ports at once: one child process of the updater per port (the state of
// one update is process-wide), with the children's JSON events and stderr lines handed to the
// supervisor's thread in the order they arrive.

#include "cli/child_process.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct TChildEvent {
    enum class TKind { Json, Stderr, Ended };
    std::string port;
    TKind kind;
    std::string line;
};

class TChildPool {
public:
    // `childArgs(port)`: the child's whole command line for a port.
    explicit TChildPool(std::function<std::vector<std::string>(const std::string&)> childArgs)
        : FChildArgs(std::move(childArgs)) {}

    // Starts the update of `port`; false (with an Ended event queued) when it cannot start.
    bool start(const std::string& port);
    // The next event, or nothing when none arrived within `timeout`.
    std::optional<TChildEvent> next(std::chrono::milliseconds timeout);
    // After its Ended event: the child's exit status (nothing: a signal ended it, or it never
    // started), and the child is let go.
    std::optional<int> finish(const std::string& port);
    void cancelAll();
    bool empty() const { return FChildren.empty(); }
    std::size_t size() const { return FChildren.size(); }

private:
    void push(TChildEvent event);

    std::function<std::vector<std::string>(const std::string&)> FChildArgs;
    std::map<std::string, std::unique_ptr<TChildProcess>> FChildren;
    std::mutex FLock;
    std::condition_variable FArrived;
    std::deque<TChildEvent> FEvents;
};
