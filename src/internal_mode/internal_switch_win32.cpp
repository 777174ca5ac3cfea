#include "internal_mode/internal_switch.h"

#include <QSettings>

bool readInternalSwitch() {
    // The registry: a REG_DWORD reads as an integer, a REG_SZ as text, which does not count.
    const QSettings settings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvane\\Zel"),
                             QSettings::NativeFormat);
    return internalSwitchOn(settings.value(QStringLiteral("intern")), TSwitchStore::Registry);
}
