// The switch of internal mode on Windows, read with the registry API by the window and the
// headless updater alike: HKCU\Software\Quorvane\Zel, value "intern". Only a REG_DWORD
// counts, and only with the value 2483; a text, a QWORD, a missing value or key leave it off.
#include "comm/reg_key_win32.h"
#include "internal_mode/internal_switch.h"

bool readInternalSwitch() {
    const TRegKey key(HKEY_CURRENT_USER, L"Software\\Quorvane\\Zel", KEY_QUERY_VALUE);
    if (!key.isOpen()) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LSTATUS status = RegQueryValueExW(key.get(), L"intern", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&data), &size);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data &&
           data == static_cast<DWORD>(kInternalSwitchValue);
}
