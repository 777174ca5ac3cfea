#include "ports/port_watch.h"

#include "ports/port_monitor.h"

#include <poll.h>
#include <thread>

struct TPortWatch::TImpl {
    TPortMonitor monitor;
};

TPortWatch::TPortWatch() : FImpl(std::make_unique<TImpl>()) {}

TPortWatch::~TPortWatch() = default;

TPortList TPortWatch::wait(std::chrono::milliseconds timeout) {
    if (FImpl->monitor.isOpen()) {
        pollfd watched{FImpl->monitor.fd(), POLLIN, 0};
        // A signal ends the wait early (EINTR): the caller looks at it at once.
        if (::poll(&watched, 1, static_cast<int>(timeout.count())) > 0) {
            while (FImpl->monitor.readEvent()) {
            }
        }
    } else {
        std::this_thread::sleep_for(timeout); // no udev: the list is read at every wait
    }
    return getSerialPorts();
}
