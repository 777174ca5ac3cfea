#pragma once
// The serial ports offered in the port field: those of the USB virtual COM port driver, in the
// platform's enumeration order. One whole implementation file per platform
// (port_list_win32.cpp: the registry's serial-port map; port_list_linux.cpp: sysfs).

#include <optional>
#include <string>
#include <vector>

using TPortList = std::vector<std::string>;

// The machine's ports of the USB virtual COM port driver, as the user types them ("COM3",
// "ttyUSB0"). Never throws; a map that cannot be read gives an empty list.
TPortList getSerialPorts();

// One value of the registry's serial-port map, as UTF-8: its name is the driver's device name
// ("\Device\VCP0"), its data the port name ("COM7"); no data when the value is not a string.
struct TSerialCommValue {
    std::string name;
    std::optional<std::string> data;
};

// The driver prefix that a value name must begin with, compared without regard to case.
inline constexpr const char* kVcpDevicePrefix = "\\device\\vcp";

// Keeps the data of the values whose name begins with kVcpDevicePrefix in any mix of upper and
// lower case, in the given (the registry's enumeration) order. Values without string data are
// dropped.
TPortList filterVcpPorts(const std::vector<TSerialCommValue>& values);

#ifndef _WIN32
// Linux: the ttyUSBn devices under `sysfsRoot` (normally "/sys") whose driver is ftdi_sio,
// ordered by the tty index n. A root that cannot be read gives an empty list.
TPortList getSerialPorts(const std::string& sysfsRoot);

// The driver whose device names a port of the list.
inline constexpr const char* kVcpLinuxDriver = "ftdi_sio";
#endif
