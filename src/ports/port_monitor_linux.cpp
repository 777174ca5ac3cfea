// Linux port monitor: udev's netlink events for subsystem tty, add and remove.
#include "ports/port_monitor.h"

#include <libudev.h>

namespace {

struct TDeviceUnref {
    void operator()(udev_device* p) const { udev_device_unref(p); }
};

} // namespace

void TPortMonitor::TUdevUnref::operator()(udev* p) const {
    udev_unref(p);
}

void TPortMonitor::TMonitorUnref::operator()(udev_monitor* p) const {
    udev_monitor_unref(p);
}

TPortMonitor::TPortMonitor() {
    std::unique_ptr<udev, TUdevUnref> context(udev_new());
    if (!context) {
        return;
    }
    std::unique_ptr<udev_monitor, TMonitorUnref> monitor(
        udev_monitor_new_from_netlink(context.get(), "udev"));
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0 ||
        udev_monitor_get_fd(monitor.get()) < 0) {
        return;
    }
    FpUdev = std::move(context);
    FpMonitor = std::move(monitor);
}

TPortMonitor::~TPortMonitor() {
    FpMonitor.reset(); // the monitor before the context it belongs to
}

int TPortMonitor::fd() const {
    return FpMonitor ? udev_monitor_get_fd(FpMonitor.get()) : -1;
}

std::optional<TPortEvent> TPortMonitor::readEvent() {
    if (!FpMonitor) {
        return std::nullopt;
    }
    // The monitor's socket does not block: no event pending gives no device.
    const std::unique_ptr<udev_device, TDeviceUnref> device(
        udev_monitor_receive_device(FpMonitor.get()));
    if (!device) {
        return std::nullopt;
    }
    TPortEvent event;
    const char* action = udev_device_get_action(device.get());
    event.action = portActionFromUdev(action != nullptr ? action : "");
    const char* name = udev_device_get_sysname(device.get());
    event.deviceName = name != nullptr ? name : "";
    return event;
}
