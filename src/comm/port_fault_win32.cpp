// What a failing serial-port call means on Windows. A COM port that another program holds
// answers CreateFileW with access denied or a sharing violation; a port whose adapter was
// unplugged fails its reads and writes with one of the "device gone" errors.
#include "comm/port_fault.h"

#include <windows.h>

namespace {

TPortFaultKind kindOf(const std::string& call, DWORD error) {
    const bool opening = call == "CreateFileW";
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return TPortFaultKind::NoSuchPort;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        // After an unplug the open handle's calls may also answer access denied.
        return opening ? TPortFaultKind::InUse : TPortFaultKind::DeviceGone;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_PARAMETER:
        return opening ? TPortFaultKind::Other : TPortFaultKind::NotASerialPort;
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE:
        return opening ? TPortFaultKind::Other : TPortFaultKind::DeviceGone;
    default:
        return TPortFaultKind::Other;
    }
}

std::string systemMessage(DWORD error) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "error " + std::to_string(error) : text;
}

} // namespace

void recordPortFault(const std::string& call, int error, const std::string& path) {
    TPortFault fault;
    fault.kind = kindOf(call, static_cast<DWORD>(error));
    fault.call = call;
    fault.error = error;
    fault.path = path;
    fault.osMessage = systemMessage(static_cast<DWORD>(error));
    if (fault.kind == TPortFaultKind::InUse) {
        fault.holder = "another program";
    }
    setPortFault(std::move(fault));
}
