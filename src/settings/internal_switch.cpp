#include "settings/internal_switch.h"

#include <QRegularExpression>
#include <QVariant>

bool internalSwitchOn(const QVariant& value, bool textMayHoldInteger) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toLongLong() == kInternalSwitchValue;
    case QMetaType::QString: {
        if (!textMayHoldInteger) {
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
