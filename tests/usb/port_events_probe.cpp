// port-events-probe: the desktop program's port monitoring without a window, for the USB bench.
// It does what the window does on Linux: fills the port selector from getSerialPorts() at
// start, watches TPortMonitor's descriptor, and feeds every udev event to the WMDeviceChange
// rules (applyDeviceChange) as an active, idle window would, keeping the selector they give.
// Output, one line each, flushed at once so a script can follow it live:
//   start <selector>                          the selector as the window fills it at start
//   event <action> <device> port-change=<yes|no> refilled=<yes|no> close-list=<yes|no>
//         repaint=<yes|no> drop-list=<yes|no>  (one line) what the rules did with an event
//   ports <selector>                          the selector after a port change, refilled
//                                             from getSerialPorts()
// where <selector> is `entries=[ttyUSB0,...] text=<field text> index=<selected entry>`.
// Ends with status 0 after `--events N` port changes, or on SIGINT or SIGTERM; status 1 when
// the monitor cannot be opened.
#include "base/unique_fd.h"
#include "ports/device_change.h"
#include "ports/port_list.h"
#include "ports/port_monitor.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

const char* actionName(TPortAction action) {
    switch (action) {
    case TPortAction::Arrival:
        return "add";
    case TPortAction::Removal:
        return "remove";
    default:
        return "other";
    }
}

std::string describe(const TPortSelector& selector) {
    std::string entries;
    for (const std::string& entry : selector.entries) {
        entries += (entries.empty() ? "" : ",") + entry;
    }
    return "entries=[" + entries + "] text=" + selector.text +
           " index=" + std::to_string(selector.itemIndex);
}

void printLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The number after --events, or 0 (run until a signal) without the option.
long eventLimit(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--events") == 0) {
        return std::strtol(argv[2], nullptr, 10);
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: port-events-probe [--events N]\n");
        std::exit(2);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const long limit = eventLimit(argc, argv);

    // SIGINT and SIGTERM arrive on a descriptor, so that the wait below ends cleanly on them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const TUniqueFd signals(signalfd(-1, &stopSignals, SFD_CLOEXEC));

    TPortMonitor monitor;
    if (!monitor.isOpen() || signals.get() < 0) {
        std::fprintf(stderr, "port-events-probe: cannot open the udev monitor\n");
        return 1;
    }
    TPortSelector selector = startupPortSelector(getSerialPorts());
    printLine("start " + describe(selector));

    long portChanges = 0;
    while (limit == 0 || portChanges < limit) {
        pollfd fds[2] = {{monitor.fd(), POLLIN, 0}, {signals.get(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("port-events-probe: poll");
            return 1;
        }
        if (fds[1].revents != 0) {
            break;
        }
        while (const std::optional<TPortEvent> event = monitor.readEvent()) {
            const bool portChange = isPortDeviceChange(*event);
            const TDeviceChangeOutcome outcome =
                applyDeviceChange(portChange, true, selector, [] { return getSerialPorts(); });
            printLine(std::string("event ") + actionName(event->action) + " " + event->deviceName +
                      " port-change=" + yesNo(portChange) + " refilled=" + yesNo(outcome.refilled) +
                      " close-list=" + yesNo(outcome.closeDropDown) + " repaint=" +
                      yesNo(outcome.repaint) + " drop-list=" + yesNo(outcome.openDropDown));
            selector = outcome.selector;
            if (outcome.refilled) {
                printLine("ports " + describe(selector));
            }
            if (portChange) {
                ++portChanges;
            }
        }
    }
    return 0;
}
