#pragma once
// Why a serial-port call failed, as the operating system told it. The serial layer keeps the
// fault of its last failing call per thread (as errno and GetLastError are kept), so a caller
// that only sees kInvalidPortHandle or `false` can still tell the user why.

#include <string>

enum class TPortFaultKind {
    None,
    NoSuchPort,       // the device does not exist
    PermissionDenied, // the user may not open it
    InUse,            // another program holds it
    NotASerialPort,   // a regular file, a directory, a device that is not a terminal
    DeviceGone,       // the device went away while it was open (unplugged)
    Other,
};

struct TPortFault {
    TPortFaultKind kind = TPortFaultKind::None;
    std::string call; // the failing call: "open", "tcsetattr", "CreateFileW", ...
    int error = 0;    // errno, or GetLastError() on Windows
    std::string path; // the device path that was opened
    // Facts gathered when the fault was classified; empty when the system does not tell.
    std::string holder;    // the program holding a port in use: "minicom (PID 812)"
    std::string group;     // the group that owns a device the user may not open
    std::string user;      // the user who may not open it
    std::string fileType;  // what a path that is not a serial port is: "a regular file", ...
    std::string osMessage; // the system's own text for `error`
};

// The fault of the last failing serial-port call on this thread; kind None when none failed.
const TPortFault& lastPortFault();
// Records a failure of `call` with the system's error number `error` on `path`, classified
// for this platform (one implementation per OS).
void recordPortFault(const std::string& call, int error, const std::string& path);
// Stores a fault as it is (for faults without an error number, such as a hang-up).
void setPortFault(TPortFault fault);
void clearPortFault();

// A short name of the kind, for traces and records: "no such port", "in use", ...
const char* portFaultKindName(TPortFaultKind kind);
