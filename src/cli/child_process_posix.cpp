#include "cli/child_process.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Reads `fd` to its end, line by line.
void readLines(int fd, bool fromStderr, const std::function<void(bool, std::string)>& onLine) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t at; (at = pending.find('\n')) != std::string::npos;) {
            onLine(fromStderr, pending.substr(0, at));
            pending.erase(0, at + 1);
        }
    }
    if (!pending.empty()) {
        onLine(fromStderr, pending);
    }
    ::close(fd);
}

} // namespace

struct TChildProcess::TImpl {
    pid_t pid = -1;
    std::optional<int> status;
    std::thread outReader;
    std::thread errReader;
    std::atomic<int> openStreams{2};
};

TChildProcess::TChildProcess(const std::vector<std::string>& args,
                             std::function<void(bool, std::string)> onLine,
                             std::function<void()> onEnd)
    : FImpl(std::make_unique<TImpl>()) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot create a pipe for a child");
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        throw std::runtime_error("cannot create a pipe for a child");
    }
    // Built before the fork: after it only async-signal-safe calls are allowed.
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0); // no Ctrl-C from the terminal: the supervisor hands it on
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(argv[0], argv.data(), environ);
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("cannot start a child");
    }
    FImpl->pid = pid;
    auto finished = [impl = FImpl.get(), onEnd] {
        if (impl->openStreams.fetch_sub(1) == 1) {
            onEnd();
        }
    };
    FImpl->outReader = std::thread([fd = out[0], onLine, finished] {
        readLines(fd, false, onLine);
        finished();
    });
    FImpl->errReader = std::thread([fd = err[0], onLine, finished] {
        readLines(fd, true, onLine);
        finished();
    });
}

TChildProcess::~TChildProcess() {
    if (!FImpl->status && FImpl->pid > 0) {
        ::kill(FImpl->pid, SIGKILL);
        wait();
    }
    FImpl->outReader.join();
    FImpl->errReader.join();
}

void TChildProcess::cancel() {
    if (!FImpl->status && FImpl->pid > 0) {
        ::kill(FImpl->pid, SIGTERM);
    }
}

std::optional<int> TChildProcess::wait() {
    if (FImpl->status || FImpl->pid <= 0) {
        return FImpl->status;
    }
    int status = 0;
    while (::waitpid(FImpl->pid, &status, 0) < 0 && errno == EINTR) {
    }
    FImpl->pid = -1;
    if (WIFEXITED(status)) {
        FImpl->status = WEXITSTATUS(status);
    }
    return FImpl->status;
}

std::string selfExecutable() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string("sdupdate-cli");
}
