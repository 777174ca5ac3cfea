#include "internal_mode/internal_switch.h"

#include <QRegularExpression>
#include <QVariant>

bool internalSwitchOn(const QVariant& value, TSwitchStore store) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
        return value.toLongLong() == kInternalSwitchValue;
    case QMetaType::LongLong: // a REG_QWORD is not the switch's type
    case QMetaType::ULongLong:
        return store == TSwitchStore::IniFile && value.toLongLong() == kInternalSwitchValue;
    case QMetaType::QString: {
        if (store != TSwitchStore::IniFile) {
            return false;
        }
        static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
        const QString text = value.toString();
        bool ok = false;
        const long long number = text.toLongLong(&ok);
        return integer.match(text).hasMatch() && ok && number == kInternalSwitchValue;
    }
    default:
        return false;
    }
}
