#pragma once
// Notices the arrival and removal of serial ports and hands every device event to the main
// window, which follows its WMDeviceChange rules (ports/device_change.h). One implementation
// per OS: Linux watches a udev monitor with a socket notifier; Windows reads the
// WM_DEVICECHANGE message that every top-level window receives without registering.

#include <QByteArray>

#include <functional>
#include <memory>

class QObject;

class TDeviceChangeSource {
public:
    // `onDeviceChange` runs on the main thread for every device event, told whether it is the
    // arrival or removal of a serial port. Never throws: a monitor that cannot be opened
    // reports nothing.
    TDeviceChangeSource(QObject* owner, std::function<void(bool isPortChange)> onDeviceChange);
    ~TDeviceChangeSource();
    TDeviceChangeSource(const TDeviceChangeSource&) = delete;
    TDeviceChangeSource& operator=(const TDeviceChangeSource&) = delete;

    // A native message of the main window (the arguments of QWidget::nativeEvent).
    void nativeEvent(const QByteArray& eventType, void* message);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
