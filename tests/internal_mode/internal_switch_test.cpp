#include "internal_mode/internal_switch.h"

#include <QVariant>
#include <gtest/gtest.h>

namespace {

TEST(InternalSwitch, OnlyAnIntegerOf2483OfTheStoresKind) {
    struct Case {
        const char* what;
        QVariant value;
        bool registry, iniFile;
    } const cases[] = {
        {"REG_DWORD 2483", QVariant(int(2483)), true, true},
        {"other number", QVariant(int(2484)), false, false},
        {"REG_QWORD 2483", QVariant(qlonglong(2483)), false, true},
        {"text 2483", QVariant(QStringLiteral("2483")), false, true},
        {"text +2483", QVariant(QStringLiteral("+2483")), false, true},
        {"text with blank", QVariant(QStringLiteral(" 2483")), false, false},
        {"hex text", QVariant(QStringLiteral("0x9B3")), false, false},
        {"text abc", QVariant(QStringLiteral("abc")), false, false},
        {"binary", QVariant(QByteArray("2483")), false, false},
        {"missing", QVariant(), false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(internalSwitchOn(c.value, TSwitchStore::Registry), c.registry) << c.what;
        EXPECT_EQ(internalSwitchOn(c.value, TSwitchStore::IniFile), c.iniFile) << c.what;
    }
}

} // namespace
