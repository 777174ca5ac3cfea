// The setting "intern" as a value of HKCU\Software\Quorvane\Zel under a scratch
// HKEY_CURRENT_USER (this process only), of the registry type its settings-file line stands for.
#include "ui_test_support.h"

// After the window's headers: <windows.h> makes WM_USER a macro.
#include "support/scratch_registry_win32.h"

#include <QRegularExpression>
#include <QStringList>

#include <stdexcept>

namespace {

std::wstring wide(const QString& text) {
    return text.toStdWString();
}

} // namespace

struct TInternalSwitch::TImpl {
    TScratchRegistry registry{HKEY_CURRENT_USER};
};

TInternalSwitch::TInternalSwitch(std::optional<QString> line) : FImpl(std::make_unique<TImpl>()) {
    const TScratchRegistry& registry = FImpl->registry;
    if (!registry.ready()) {
        throw std::runtime_error("the scratch registry could not be set up");
    }
    if (!line) {
        return;
    }
    const QString prefix = QStringLiteral("intern=");
    if (!line->startsWith(prefix)) {
        throw std::invalid_argument("a line of the setting intern is expected");
    }
    const QString value = line->mid(prefix.size());
    const wchar_t* key = L"Software\\Quorvane\\Zel";
    static const QRegularExpression number(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression bytes(QStringLiteral("^@ByteArray\\((.*)\\)$"));
    if (number.match(value).hasMatch()) {
        registry.setDword(key, L"intern", value.toULong());
    } else if (const auto m = bytes.match(value); m.hasMatch()) {
        const QByteArray data = m.captured(1).toLatin1();
        registry.setValue(key, L"intern", REG_BINARY,
                          std::vector<std::uint8_t>(data.begin(), data.end()));
    } else if (value.contains(QStringLiteral(", "))) {
        std::vector<std::uint8_t> data;
        for (const QString& item : value.split(QStringLiteral(", "))) {
            const std::vector<std::uint8_t> text = wideTextBytes(wide(item));
            data.insert(data.end(), text.begin(), text.end());
        }
        data.push_back(0); // the list ends with an empty string
        data.push_back(0);
        registry.setValue(key, L"intern", REG_MULTI_SZ, data);
    } else {
        registry.setString(key, L"intern", wide(value));
    }
}

TInternalSwitch::~TInternalSwitch() = default;
