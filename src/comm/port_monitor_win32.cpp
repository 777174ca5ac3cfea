// Windows: no port monitor. Every top-level window receives WM_DEVICECHANGE for port arrival
// and removal without registering, and hands it to isPortDeviceChange and applyDeviceChange.
// This file also checks that the plain-data mirror of the message matches the system's own.
#include "comm/port_monitor.h"

#include <windows.h>

#include <dbt.h>

#include <cstddef>

static_assert(kWmDeviceChange == WM_DEVICECHANGE);
static_assert(kDbtDeviceArrival == DBT_DEVICEARRIVAL);
static_assert(kDbtDeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE);
static_assert(kDbtDevtypPort == DBT_DEVTYP_PORT);
static_assert(sizeof(TDevBroadcastHdr) == sizeof(DEV_BROADCAST_HDR));
static_assert(offsetof(TDevBroadcastHdr, dbch_devicetype) ==
              offsetof(DEV_BROADCAST_HDR, dbch_devicetype));
static_assert(sizeof(WPARAM) == sizeof(std::uintptr_t) && sizeof(LPARAM) == sizeof(std::intptr_t));

void TPortMonitor::TUdevUnref::operator()(udev*) const {}

void TPortMonitor::TMonitorUnref::operator()(udev_monitor*) const {}

TPortMonitor::TPortMonitor() = default;

TPortMonitor::~TPortMonitor() = default;

int TPortMonitor::fd() const {
    return -1;
}

std::optional<TPortEvent> TPortMonitor::readEvent() {
    return std::nullopt;
}
