// The setting "intern" in a settings file of a temporary folder, which QtCore's settings (and
// so the window) read instead of the user's own.
#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

struct TInternalSwitch::TImpl {
    QTemporaryDir dir;
};

TInternalSwitch::TInternalSwitch(std::optional<QString> line) : FImpl(std::make_unique<TImpl>()) {
    const QString path = FImpl->dir.path();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    if (line) {
        QDir(path).mkpath(QStringLiteral("Quorvane"));
        QFile file(FImpl->dir.filePath(QStringLiteral("Quorvane/Zel.conf")));
        if (file.open(QIODevice::WriteOnly)) {
            file.write("[General]\n" + line->toUtf8() + "\n");
        }
    }
}

TInternalSwitch::~TInternalSwitch() = default;
