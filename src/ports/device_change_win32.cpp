// Windows: the plain-data mirror of WM_DEVICECHANGE in device_change.h matches the system's own
// definitions, so isPortDeviceChange reads the message the window receives correctly.
#include "ports/device_change.h"

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
