#pragma once
// WMDeviceChange on plain data: which events are port arrivals or removals, and what the port
// selector (cbxPort) becomes when one arrives. The window only applies the outcome, so the
// same rules serve Windows (WM_DEVICECHANGE) and Linux (a udev monitor on subsystem tty).

#include "ports/port_list.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// --- Windows: WM_DEVICECHANGE ---------------------------------------------------------------

inline constexpr std::uint32_t kWmDeviceChange = 0x0219;
inline constexpr std::uintptr_t kDbtDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDbtDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDbtDevtypPort = 3;

// The layout of DEV_BROADCAST_HDR, the header that lParam points to for arrival and removal.
struct TDevBroadcastHdr {
    std::uint32_t dbch_size;
    std::uint32_t dbch_devicetype;
    std::uint32_t dbch_reserved;
};

// True exactly when `wParam` is DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE and the header at
// `lParam` is of type DBT_DEVTYP_PORT. For any other event code lParam is not looked at; a null
// lParam is no port change.
bool isPortDeviceChange(std::uintptr_t wParam, std::intptr_t lParam);

// --- Linux: udev events on subsystem tty --------------------------------------------------

enum class TPortAction { Arrival, Removal, Other };

struct TPortEvent {
    TPortAction action = TPortAction::Other;
    std::string deviceName; // the kernel's name, "ttyUSB0"
};

// "add" is an arrival, "remove" a removal; every other udev action (change, bind, ...) is Other.
TPortAction portActionFromUdev(std::string_view action);

// True for the arrival or removal of a tty device.
bool isPortDeviceChange(const TPortEvent& event);

// --- The port selector --------------------------------------------------------------------

struct TPortSelector {
    TPortList entries;
    std::string text;    // what the port field shows, picked or typed: the port a run uses
    int itemIndex = -1;  // the selected entry, -1 for none
    bool enabled = true; // false while a worker runs
    bool droppedDown = false;
};

// The fill when the window is created: the ports, the first one selected and in the field; with
// no ports nothing is selected and the field is empty.
TPortSelector startupPortSelector(TPortList ports);

struct TDeviceChangeOutcome {
    bool refilled = false;      // the entries were replaced (a port arrived or was removed)
    TPortSelector selector;     // the state to apply
    bool closeDropDown = false; // close the open list first
    bool repaint = false;
    bool openDropDown = false; // then drop the list down, so the user sees the new one at once
};

// WMDeviceChange in its order:
// 1. nothing happens unless `isPortChange`;
// 2. the entries are refilled from `getPorts`; no entry is selected and the field keeps its
//    text, even the name of a port that has just gone;
// 3. stop when the application is not the active one;
// 4. stop when the selector is disabled (a run is active);
// 5. an open list is closed, 6. the selector repainted, 7. its list dropped down.
// A `getPorts` that throws gives an empty list.
TDeviceChangeOutcome applyDeviceChange(bool isPortChange, bool applicationActive,
                                       const TPortSelector& current,
                                       const std::function<TPortList()>& getPorts);
