// Windows: the FTDI driver keeps one key per device under
// HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS, named by its device instance
// ("VID_0403+PID_6001+A12345BCA": vendor, product, the serial number and the channel letter);
// its "0000\Device Parameters" hold the port's name ("PortName") and the latency timer in ms
// ("LatencyTimer", REG_DWORD).
#include "base/ascii_text.h"
#include "comm/reg_key_win32.h"
#include "ports/adapter_info.h"
#include "ports/registry_text_win32.h"

#include <windows.h>

#include <vector>

namespace {

constexpr const wchar_t* kFtdiBus = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";

std::string readString(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {};
    }
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    return stringData(data, size);
}

std::optional<unsigned> readDword(HKEY key, const wchar_t* name) {
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return static_cast<unsigned>(value);
}

// The text after `tag` up to the next '+' in a device instance name.
std::string field(const std::string& instance, const std::string& tag) {
    const std::size_t at = instance.find(tag);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + tag.size();
    return instance.substr(start, instance.find('+', start) - start);
}

TAdapterInfo fromInstance(const std::string& instance) {
    TAdapterInfo info;
    info.vendorId = field(instance, "VID_");
    info.productId = field(instance, "PID_");
    const std::size_t last = instance.rfind('+');
    if (last != std::string::npos) {
        info.serialNumber = instance.substr(last + 1);
        // The driver appends the channel letter (A for a single-channel chip).
        if (info.serialNumber.size() > 1) {
            info.serialNumber.pop_back();
        }
    }
    return info;
}

} // namespace

std::optional<TAdapterInfo> adapterInfo(const std::string& port) {
    try {
        const TRegKey bus(HKEY_LOCAL_MACHINE, kFtdiBus, KEY_ENUMERATE_SUB_KEYS);
        if (!bus.isOpen()) {
            return std::nullopt;
        }
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(std::size(name));
            if (RegEnumKeyExW(bus.get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                return std::nullopt;
            }
            const std::wstring parameters =
                std::wstring(kFtdiBus) + L"\\" + name + L"\\0000\\Device Parameters";
            const TRegKey key(HKEY_LOCAL_MACHINE, parameters.c_str(), KEY_QUERY_VALUE);
            if (!key.isOpen()) {
                continue;
            }
            const std::string portName = readString(key.get(), L"PortName");
            if (portName.size() != port.size() || !startsWithIgnoringAsciiCase(portName, port)) {
                continue;
            }
            TAdapterInfo info = fromInstance(narrow(name, length));
            info.latencyTimerMs = readDword(key.get(), L"LatencyTimer");
            return info;
        }
    } catch (...) {
        return std::nullopt;
    }
}
