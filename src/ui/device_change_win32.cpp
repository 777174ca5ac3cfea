// Windows: every top-level window receives WM_DEVICECHANGE for ports that arrive or are
// removed; no registration for notifications is made, so there is nothing to watch.
#include "ports/device_change.h"
#include "ui/device_change_source.h"

#include <windows.h>

struct TDeviceChangeSource::TImpl {
    std::function<void(bool)> onDeviceChange;
};

TDeviceChangeSource::TDeviceChangeSource(QObject*, std::function<void(bool)> onDeviceChange)
    : FImpl(std::make_unique<TImpl>(TImpl{std::move(onDeviceChange)})) {}

TDeviceChangeSource::~TDeviceChangeSource() = default;

void TDeviceChangeSource::nativeEvent(const QByteArray& eventType, void* message) {
    if (eventType != "windows_generic_MSG" || message == nullptr) {
        return;
    }
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == kWmDeviceChange) {
        FImpl->onDeviceChange(isPortDeviceChange(static_cast<std::uintptr_t>(msg->wParam),
                                                 static_cast<std::intptr_t>(msg->lParam)));
    }
}
