#pragma once
// sdupdate-cli run as a child process, as scripts run it: its stdout and stderr in files of a
// scratch folder, stdin from /dev/null, its own configuration folder. The test may signal it
// while it runs and waits for its end with a generous bound.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct TCliSpawn {
    std::vector<std::string> args;
    // A descriptor to use as the child's stdout instead of the file (a pipe, for instance).
    std::optional<int> stdoutFd = {};
    // Runs the child as this user and group (needs root); nothing: as the test runs.
    std::optional<std::pair<uid_t, gid_t>> account = {};
    // More environment, "NAME=value"; these come before (and so win over) the others.
    std::vector<std::string> env = {};
};

class TCliProcess {
public:
    // Starts the updater; `dir` is a scratch folder that holds out, err and config/.
    TCliProcess(const std::string& dir, const TCliSpawn& spawn);
    ~TCliProcess(); // kills a child that still runs
    TCliProcess(const TCliProcess&) = delete;
    TCliProcess& operator=(const TCliProcess&) = delete;

    pid_t pid() const { return FPid; }
    void signal(int sig) const;
    // The exit status, or nothing when the child did not end within `bound` (it is killed
    // then) or ended by a signal.
    std::optional<int> waitExit(std::chrono::milliseconds bound);
    std::string out() const;
    std::string err() const;

private:
    std::string FDir;
    pid_t FPid = -1;
};

// Reads a whole file; empty when it cannot be read.
std::string fileContent(const std::string& path);
