#pragma once
// Linux: notices tty devices that arrive or are removed, with a libudev monitor on subsystem
// tty. The monitor's descriptor becomes readable when events are pending; a window watches it
// (for instance with a socket notifier) and then calls readEvent() until it gives nothing,
// feeding each event to the WMDeviceChange rules (device_change.h). Windows needs no monitor:
// the window receives WM_DEVICECHANGE itself.

#include "ports/device_change.h"

#include <memory>
#include <optional>

struct udev;
struct udev_monitor;

class TPortMonitor {
public:
    // Starts listening. Never throws: a monitor that could not be set up is not open.
    TPortMonitor();
    ~TPortMonitor();
    TPortMonitor(const TPortMonitor&) = delete;
    TPortMonitor& operator=(const TPortMonitor&) = delete;

    bool isOpen() const { return FpMonitor != nullptr; }
    // The descriptor to watch for reading, -1 when the monitor is not open.
    int fd() const;
    // The next pending event, without waiting; nothing when none is pending or not open.
    std::optional<TPortEvent> readEvent();

private:
    struct TUdevUnref {
        void operator()(udev* p) const;
    };
    struct TMonitorUnref {
        void operator()(udev_monitor* p) const;
    };
    std::unique_ptr<udev, TUdevUnref> FpUdev;
    std::unique_ptr<udev_monitor, TMonitorUnref> FpMonitor;
};
