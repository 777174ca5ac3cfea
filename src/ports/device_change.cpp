// The rules of WMDeviceChange, free of any window toolkit.
#include "ports/device_change.h"

#include <cstddef>
#include <cstring>
#include <utility>

bool isPortDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam != kDbtDeviceArrival && wParam != kDbtDeviceRemoveComplete) {
        return false;
    }
    if (lParam == 0) {
        return false;
    }
    // Read the one field by copying, whatever the alignment of the sender's buffer.
    std::uint32_t deviceType = 0;
    const auto* header = reinterpret_cast<const unsigned char*>(lParam);
    std::memcpy(&deviceType, header + offsetof(TDevBroadcastHdr, dbch_devicetype),
                sizeof deviceType);
    return deviceType == kDbtDevtypPort;
}

TPortAction portActionFromUdev(std::string_view action) {
    if (action == "add") {
        return TPortAction::Arrival;
    }
    if (action == "remove") {
        return TPortAction::Removal;
    }
    return TPortAction::Other;
}

bool isPortDeviceChange(const TPortEvent& event) {
    return event.action == TPortAction::Arrival || event.action == TPortAction::Removal;
}

TPortSelector startupPortSelector(TPortList ports) {
    TPortSelector selector;
    selector.entries = std::move(ports);
    if (!selector.entries.empty()) {
        selector.itemIndex = 0;
        selector.text = selector.entries.front();
    }
    return selector;
}

TDeviceChangeOutcome applyDeviceChange(bool isPortChange, bool applicationActive,
                                       const TPortSelector& current,
                                       const std::function<TPortList()>& getPorts) {
    TDeviceChangeOutcome outcome;
    outcome.selector = current;
    // 1.
    if (!isPortChange) {
        return outcome;
    }
    // 2.
    TPortList ports;
    try {
        if (getPorts) {
            ports = getPorts();
        }
    } catch (...) {
        ports.clear(); // no list to be had: an empty one, as for a missing map
    }
    outcome.refilled = true;
    outcome.selector.entries = std::move(ports);
    outcome.selector.itemIndex = -1;
    // 3. and 4.
    if (!applicationActive || !current.enabled) {
        return outcome;
    }
    // 5. to 7.
    outcome.closeDropDown = current.droppedDown;
    outcome.repaint = true;
    outcome.openDropDown = true;
    outcome.selector.droppedDown = true;
    return outcome;
}
