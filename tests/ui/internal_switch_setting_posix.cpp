// The setting "intern" in a settings file of a temporary folder, which the window reads instead
// of the user's own: XDG_CONFIG_HOME points there (and XDG_CONFIG_DIRS nowhere) while it lives.
#include "ui_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

struct TInternalSwitch::TImpl {
    QTemporaryDir dir;
    QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    QByteArray configDirs = qgetenv("XDG_CONFIG_DIRS");
    bool hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    bool hadConfigDirs = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
};

TInternalSwitch::TInternalSwitch(std::optional<QString> line) : FImpl(std::make_unique<TImpl>()) {
    const QString path = FImpl->dir.path();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path + QStringLiteral("/none")));
    if (line) {
        QDir(path).mkpath(QStringLiteral("Quorvane"));
        QFile file(FImpl->dir.filePath(QStringLiteral("Quorvane/Zel.conf")));
        if (file.open(QIODevice::WriteOnly)) {
            file.write("[General]\n" + line->toUtf8() + "\n");
        }
    }
}

TInternalSwitch::~TInternalSwitch() {
    const auto restore = [](const char* name, bool had, const QByteArray& value) {
        if (had) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    };
    restore("XDG_CONFIG_HOME", FImpl->hadConfigHome, FImpl->configHome);
    restore("XDG_CONFIG_DIRS", FImpl->hadConfigDirs, FImpl->configDirs);
}
