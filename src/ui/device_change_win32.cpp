// Windows: every top-level window receives WM_DEVICECHANGE for ports that arrive or are
// removed; no registration for notifications is made, so there is nothing to watch.
#include "ui/device_change_source.h"
#include "ui/uMain.h"
#include "ui/ui_support.h"

#include <windows.h>

std::unique_ptr<TDeviceChangeSource> createDeviceChangeSource(QObject*, std::function<void(bool)>) {
    return std::make_unique<TDeviceChangeSource>();
}

bool TfrmMain::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (eventType == "windows_generic_MSG" && message != nullptr) {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == kWmDeviceChange) {
            const bool isPortChange = isPortDeviceChange(static_cast<std::uintptr_t>(msg->wParam),
                                                         static_cast<std::intptr_t>(msg->lParam));
            guarded(this, [&] { WMDeviceChange(isPortChange); });
        }
    }
    // The toolkit's own handling runs as well.
    return QMainWindow::nativeEvent(eventType, message, result);
}
