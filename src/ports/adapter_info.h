#pragma once
// What the system tells about the USB adapter behind a serial port: its USB vendor and product
// IDs, its serial number and its latency timer (FTDI). One implementation per OS: sysfs on
// Linux, the FTDI driver's device keys in the registry on Windows.

#include <optional>
#include <string>

struct TAdapterInfo {
    std::string vendorId;  // "0403", empty when the system does not tell
    std::string productId; // "6001"
    std::string serialNumber;
    std::optional<unsigned> latencyTimerMs;
};

// Nothing for a port that is no USB adapter the system knows of. Never throws.
std::optional<TAdapterInfo> adapterInfo(const std::string& port);

#ifndef _WIN32
// Linux, with the sysfs tree at `sysfsRoot` (normally "/sys"); `port` is "ttyUSB0" or a path
// to the device or a link to it.
std::optional<TAdapterInfo> adapterInfo(const std::string& port, const std::string& sysfsRoot);
#endif
