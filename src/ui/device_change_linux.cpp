// Linux: ports come and go as tty devices; a udev monitor reports them on a socket that the
// event loop watches.
#include "comm/port_monitor.h"
#include "ui/device_change_source.h"
#include "ui/uMain.h"

#include <QSocketNotifier>

namespace {

class TUdevDeviceChanges : public TDeviceChangeSource {
public:
    TUdevDeviceChanges(QObject* owner, std::function<void(bool)> onDeviceChange)
        : FOnDeviceChange(std::move(onDeviceChange)) {
        if (!FMonitor.isOpen()) {
            return;
        }
        FNotifier = std::make_unique<QSocketNotifier>(FMonitor.fd(), QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, owner,
                         [this] { readPending(); });
    }

private:
    void readPending() {
        // Every pending event, each through the window's rules.
        while (const std::optional<TPortEvent> event = FMonitor.readEvent()) {
            FOnDeviceChange(isPortDeviceChange(*event));
        }
    }

    TPortMonitor FMonitor;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::function<void(bool)> FOnDeviceChange;
};

} // namespace

std::unique_ptr<TDeviceChangeSource>
createDeviceChangeSource(QObject* owner, std::function<void(bool isPortChange)> onDeviceChange) {
    try {
        return std::make_unique<TUdevDeviceChanges>(owner, std::move(onDeviceChange));
    } catch (...) {
        return std::make_unique<TDeviceChangeSource>();
    }
}

// The window's native messages carry no device changes here.
bool TfrmMain::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    return QMainWindow::nativeEvent(eventType, message, result);
}
