// Windows port list: the registry's serial-port map, HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, one
// value per port that exists now. Its value names contain backslashes, so the values are
// enumerated with RegEnumValueW.
#include "comm/reg_key_win32.h"
#include "ports/port_list.h"
#include "ports/registry_text_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace {

// All values of the key, in the registry's enumeration order (index 0 upward). Enumeration
// stops at the first failure other than a buffer that is too small.
std::vector<TSerialCommValue> readValues(HKEY key) {
    std::vector<TSerialCommValue> values;
    DWORD maxNameLength = 0;
    DWORD maxDataSize = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxNameLength, &maxDataSize, nullptr, nullptr) != ERROR_SUCCESS) {
        return values;
    }
    std::vector<wchar_t> name(maxNameLength + 1);
    std::vector<BYTE> data(maxDataSize + sizeof(wchar_t));
    constexpr int kMaxRegrowths = 8; // the key may grow while it is read
    int regrowths = 0;
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LSTATUS rc = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                         data.data(), &dataSize);
        if (rc == ERROR_MORE_DATA && regrowths < kMaxRegrowths) {
            ++regrowths;
            name.resize(name.size() * 2 + 64);
            data.resize(std::max<std::size_t>(data.size() * 2, dataSize + sizeof(wchar_t)));
            continue;
        }
        if (rc != ERROR_SUCCESS) {
            break;
        }
        TSerialCommValue value;
        value.name = narrow(name.data(), nameLength);
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            value.data = stringData(data, dataSize);
        }
        values.push_back(std::move(value));
        ++index;
        regrowths = 0;
    }
    return values;
}

} // namespace

TPortList getSerialPorts() {
    try {
        const TRegKey key(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", KEY_QUERY_VALUE);
        if (!key.isOpen()) {
            return {};
        }
        return filterVcpPorts(readValues(key.get()));
    } catch (...) {
        return {}; // out of memory: no list rather than an exception in window creation
    }
}
