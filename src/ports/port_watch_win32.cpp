#include "ports/port_watch.h"

#include <thread>

// The console program has no window to receive WM_DEVICECHANGE: the registry's serial-port
// map is read again at every wait.
struct TPortWatch::TImpl {};

TPortWatch::TPortWatch() : FImpl(std::make_unique<TImpl>()) {}

TPortWatch::~TPortWatch() = default;

TPortList TPortWatch::wait(std::chrono::milliseconds timeout) {
    std::this_thread::sleep_for(timeout);
    return getSerialPorts();
}
