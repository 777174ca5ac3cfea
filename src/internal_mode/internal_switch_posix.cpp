#include "internal_mode/internal_switch.h"

#include <QSettings>

bool readInternalSwitch() {
    // $XDG_CONFIG_HOME/Quorvane/Zel.conf, an INI file: every value is read back as text.
    const QSettings settings(QStringLiteral("Quorvane"), QStringLiteral("Zel"));
    return internalSwitchOn(settings.value(QStringLiteral("intern")), TSwitchStore::IniFile);
}
