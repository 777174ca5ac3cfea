#pragma once
// Notices the arrival and removal of serial ports and tells the main window, which then
// follows its WMDeviceChange rules. Linux: a udev monitor on a socket notifier; Windows: the
// window's native WM_DEVICECHANGE (TfrmMain::nativeEvent), so nothing to set up there.

#include <functional>
#include <memory>

class QObject;

class TDeviceChangeSource {
public:
    virtual ~TDeviceChangeSource() = default;
};

// `onDeviceChange` runs on the main thread for every device event the source notices, told
// whether it is the arrival or removal of a serial port. Never throws: a platform without a
// monitor, or a monitor that cannot be opened, gives a source that reports nothing.
std::unique_ptr<TDeviceChangeSource>
createDeviceChangeSource(QObject* owner, std::function<void(bool isPortChange)> onDeviceChange);
