#include "ui/ui_support.h"

#include "workflow/status_texts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <exception>

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString displayText(const std::string& text) {
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

std::string toStdString(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int layoutPx(int units, int designPpi) {
    return static_cast<int>(std::lround(static_cast<double>(units) * kScreenPpi / designPpi));
}

QFont formFont(const char* family, int pixelHeight, int designPpi) {
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(layoutPx(pixelHeight, designPpi));
    return font;
}

QMargins frameMarginsOf(QWidget& window) {
    if (!window.isWindow()) {
        return {};
    }
    // The platform window knows its frame once it exists, also while it is hidden.
    window.winId();
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

int clientWidthFor(QWidget& window, int outerWidth) {
    const QMargins frame = frameMarginsOf(window);
    return outerWidth - frame.left() - frame.right();
}

int clientHeightFor(QWidget& window, int outerHeight) {
    const QMargins frame = frameMarginsOf(window);
    return outerHeight - frame.top() - frame.bottom();
}

int outerHeightOf(QWidget& window) {
    const QMargins frame = frameMarginsOf(window);
    return window.height() + frame.top() + frame.bottom();
}

void showErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kProgramTitle), text,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void guarded(QWidget* parent, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        try {
            showErrorBox(parent, QString::fromUtf8(e.what()));
        } catch (...) {
        }
    } catch (...) {
        try {
            showErrorBox(parent, QStringLiteral("Unknown error"));
        } catch (...) {
        }
    }
}
