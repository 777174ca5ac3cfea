// Linux: ports come and go as tty devices; a udev monitor reports them on a socket that the
// event loop watches. The window's native messages carry no device changes here.
#include "ports/port_monitor.h"
#include "ui/device_change_source.h"

#include <QSocketNotifier>

struct TDeviceChangeSource::TImpl {
    TPortMonitor monitor;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void(bool)> onDeviceChange;

    void readPending() {
        // Every pending event, each through the window's rules.
        while (const std::optional<TPortEvent> event = monitor.readEvent()) {
            onDeviceChange(isPortDeviceChange(*event));
        }
    }
};

TDeviceChangeSource::TDeviceChangeSource(QObject* owner, std::function<void(bool)> onDeviceChange) {
    try {
        FImpl = std::make_unique<TImpl>();
        FImpl->onDeviceChange = std::move(onDeviceChange);
        if (FImpl->monitor.isOpen()) {
            FImpl->notifier =
                std::make_unique<QSocketNotifier>(FImpl->monitor.fd(), QSocketNotifier::Read);
            QObject::connect(FImpl->notifier.get(), &QSocketNotifier::activated, owner,
                             [impl = FImpl.get()] { impl->readPending(); });
        }
    } catch (...) {
        FImpl.reset(); // no monitor: nothing is reported
    }
}

TDeviceChangeSource::~TDeviceChangeSource() = default;

void TDeviceChangeSource::nativeEvent(const QByteArray&, void*) {}
