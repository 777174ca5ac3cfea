#include "cli/process_signals.h"

#include "comm/uCommThread.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<bool> gSignalled{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
std::atomic<int> gSignalCount{0};
std::atomic<int> gSignalsToEnd{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};

void setDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read of the confirmation answer returns at once.
    action.sa_flags = 0;
    for (const int signal : kCancelSignals) {
        sigaction(signal, &action, nullptr);
    }
}

extern "C" void onCancelSignal(int) {
    // Standing request first: a start that clears gCancel looks at it after its write.
    gSignalled.store(true);
    gCancel.store(true);
    setDisposition(SIG_DFL); // sigaction is async-signal-safe
}

extern "C" void onSupervisorSignal(int) {
    if (gSignalCount.fetch_add(1) + 1 >= gSignalsToEnd.load()) {
        setDisposition(SIG_DFL);
    }
}

} // namespace

void installCancelHandlers() {
    setDisposition(onCancelSignal);
}

void installSupervisorHandlers(int signalsToEnd) {
    gSignalsToEnd.store(signalsToEnd);
    setDisposition(onSupervisorSignal);
}

int signalsReceived() {
    return gSignalCount.load();
}

bool cancelSignalled() {
    return gSignalled.load();
}

void protectStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open() takes the lowest free descriptor: this one.
            const int opened = ::open("/dev/null", O_RDWR);
            if (opened != fd && opened >= 0) {
                ::close(opened);
            }
        }
    }
}
