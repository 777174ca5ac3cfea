// The switch of internal mode read with the registry API itself, for a Windows build without
// Qt (the headless updater): HKCU\Software\Quorvane\Zel, value "intern". Only a REG_DWORD
// counts, and only with the value 2483; a text, a QWORD, a missing value or key leave it off.
#include "settings/internal_switch.h"

#include <windows.h>

bool readInternalSwitch() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvane\\Zel", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LSTATUS status =
        RegQueryValueExW(key, L"intern", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data &&
           data == static_cast<DWORD>(kInternalSwitchValue);
}
