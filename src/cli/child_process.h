#pragma once
// A child process of the updater (one update of one port), its stdout and stderr read line by
// line by a thread each. The child runs in a process group of its own, so a Ctrl-C at the
// terminal reaches the supervisor only, which hands the cancel on with cancel(). One
// implementation per OS.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TChildProcess {
public:
    // `onLine(fromStderr, line)` and `onEnd()` run on the reader threads; `onEnd` once, after
    // both streams ended. Throws std::runtime_error when the child cannot be started.
    TChildProcess(const std::vector<std::string>& args,
                  std::function<void(bool fromStderr, std::string line)> onLine,
                  std::function<void()> onEnd);
    // Waits for the readers; a child that still runs is killed first.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Asks the child to cancel (POSIX: SIGTERM; Windows: Ctrl-Break to its process group).
    void cancel();
    // Waits for the child's end: its exit status, or nothing when a signal ended it.
    std::optional<int> wait();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The path of this program, to start children of it.
std::string selfExecutable();
