#pragma once
// The ports of the logger's adapter type as they come and go, for a front end without a window
// (the headless updater's station mode). Linux waits on the udev monitor (and reads the list
// again after each event); Windows reads the port list again at each wait (a console program
// gets no WM_DEVICECHANGE). One implementation per OS; a window takes the changes from its
// own event loop instead (the window's device-change source).

#include "ports/port_list.h"

#include <chrono>
#include <memory>

class TPortWatch {
public:
    TPortWatch();
    ~TPortWatch();
    TPortWatch(const TPortWatch&) = delete;
    TPortWatch& operator=(const TPortWatch&) = delete;

    // Waits up to `timeout` (less when a port comes or goes, or a signal arrives) and gives the
    // ports there are now.
    TPortList wait(std::chrono::milliseconds timeout);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
