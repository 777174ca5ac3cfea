#pragma once
// Serial port of the logger: 9600 baud 8N1, binary, no flow control, exclusive access.
// One whole implementation file per platform (serial_port_posix.cpp, serial_port_win32.cpp).

#include <cstddef>
#include <cstdint>
#include <string>

// The operating system's handle of an open port (a HANDLE on Windows, a descriptor elsewhere).
using TPortHandle = std::uintptr_t;
// "No port": all bits set, as INVALID_HANDLE_VALUE is on Windows.
inline constexpr TPortHandle kInvalidPortHandle = ~TPortHandle{0};

inline constexpr std::uint32_t kLoggerBaudRate = 9600;
// A read waits at most this long plus 1 ms per requested byte, then returns what has arrived.
inline constexpr unsigned kReadTimeoutConstantMs = 200;
inline constexpr unsigned kReadTimeoutPerByteMs = 1;

// Opens and configures the port; a name without a path prefix is a device name ("COM3" opens
// \\.\COM3 on Windows, "ttyUSB0" opens /dev/ttyUSB0 elsewhere). Returns kInvalidPortHandle when
// any step fails, with nothing left open; never throws.
TPortHandle openComPort(const std::string& portName, std::uint32_t baudRate);

// True where openComPort asks the adapter's driver for a 1 ms latency timer itself (Linux:
// ASYNC_LOW_LATENCY); false where only the user can change it (Windows: the FTDI driver's
// port settings).
bool openComPortSetsLowLatency();

// Lets queued output leave the port, then closes it.
void closeComPort(TPortHandle handle);

// The handle operations of a frame exchange. Each returns false when the call itself failed.
bool clearPortErrors(TPortHandle handle);
// Discards unsent output and unread input.
bool purgePort(TPortHandle handle);
// Queues the bytes; `written` tells how many were taken before the write time-out (1 ms a byte).
bool writePort(TPortHandle handle, const std::uint8_t* data, std::size_t count,
               std::size_t& written);
// Waits until `count` bytes arrived or the read time-out passed; `received` tells how many came.
bool readPort(TPortHandle handle, std::uint8_t* data, std::size_t count, std::size_t& received);
