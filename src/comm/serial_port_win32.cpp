// Windows serial port: the Win32 communications API on a synchronous, exclusive handle.
#include "comm/serial_port.h"

#include "comm/port_fault.h"

#include <windows.h>

namespace {

HANDLE toHandle(TPortHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Records the failure of `call` (GetLastError tells why) and gives false.
bool fail(const char* call, const std::string& path = {}) {
    recordPortFault(call, static_cast<int>(GetLastError()), path);
    return false;
}

std::wstring widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

DCB lineSettings(std::uint32_t baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baudRate;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0x20;
    dcb.XoffChar = 0x20;
    dcb.ErrorChar = 0x20;
    dcb.EofChar = 0x20;
    dcb.EvtChar = 0x20;
    dcb.wReserved = 0;
    dcb.wReserved1 = 0;
    return dcb;
}

bool configure(HANDLE h, const std::string& path, std::uint32_t baudRate) {
    DCB dcb = lineSettings(baudRate);
    if (!SetCommState(h, &dcb)) {
        return fail("SetCommState", path);
    }
    if (!SetupComm(h, 1000, 1000)) {
        return fail("SetupComm", path);
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = kReadTimeoutPerByteMs;
    timeouts.ReadTotalTimeoutConstant = kReadTimeoutConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = 1;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!SetCommTimeouts(h, &timeouts)) {
        return fail("SetCommTimeouts", path);
    }
    // Compatibility layers without modem lines answer ERROR_NOT_SUPPORTED; that is accepted.
    return EscapeCommFunction(h, SETDTR) || GetLastError() == ERROR_NOT_SUPPORTED ||
           fail("EscapeCommFunction", path);
}

} // namespace

TPortHandle openComPort(const std::string& portName, std::uint32_t baudRate) {
    const std::string shown = "\\\\.\\" + portName;
    const std::wstring path = L"\\\\.\\" + widen(portName);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail("CreateFileW", shown);
        return kInvalidPortHandle;
    }
    if (!configure(h, shown, baudRate)) {
        CloseHandle(h);
        return kInvalidPortHandle;
    }
    clearPortFault();
    return reinterpret_cast<TPortHandle>(h);
}

bool openComPortSetsLowLatency() {
    return false;
}

void closeComPort(TPortHandle handle) {
    if (handle == kInvalidPortHandle) {
        return;
    }
    FlushFileBuffers(toHandle(handle));
    CloseHandle(toHandle(handle));
}

bool clearPortErrors(TPortHandle handle) {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(toHandle(handle), &errors, &status) != 0 || fail("ClearCommError");
}

bool purgePort(TPortHandle handle) {
    return PurgeComm(toHandle(handle), PURGE_TXCLEAR | PURGE_RXCLEAR) != 0 || fail("PurgeComm");
}

bool writePort(TPortHandle handle, const std::uint8_t* data, std::size_t count,
               std::size_t& written) {
    DWORD n = 0;
    const BOOL ok = WriteFile(toHandle(handle), data, static_cast<DWORD>(count), &n, nullptr);
    written = n;
    return ok != 0 || fail("WriteFile");
}

bool readPort(TPortHandle handle, std::uint8_t* data, std::size_t count, std::size_t& received) {
    DWORD n = 0;
    const BOOL ok = ReadFile(toHandle(handle), data, static_cast<DWORD>(count), &n, nullptr);
    received = n;
    return ok != 0 || fail("ReadFile");
}
