#pragma once
// Station mode: the ports of the logger's adapter type as they come and go. Linux waits on the
// udev monitor (and reads the list again after each event); Windows reads the port list again
// at each wait. One implementation per OS.

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
