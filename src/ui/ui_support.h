#pragma once
// Small helpers shared by the windows: texts between std::string (UTF-8) and QString, the
// fonts of the forms, layout units and the guard that keeps exceptions inside Qt handlers.

#include <QFont>
#include <QMargins>
#include <QString>

#include <functional>
#include <string>

class QWidget;

// UTF-8 to QString; "\r\n" becomes a line break the widgets show as one.
QString toQString(const std::string& text);
QString displayText(const std::string& text);
std::string toStdString(const QString& text);

// The screen the forms are laid out for: the main window's design resolution, so that its
// layout units are Qt's device-independent pixels. Forms designed at 96 pixels per inch are
// scaled up by 120/96, as the toolkit scales a form to the screen.
inline constexpr int kScreenPpi = 120;
int layoutPx(int units, int designPpi);

// A font of the form's design: the named family where it exists, else a sans-serif of the
// same pixel height (the Windows families are missing on other systems).
QFont formFont(const char* family, int pixelHeight, int designPpi);

// The frame of a top-level window (title bar and border), known also before it is shown, and
// the client size that gives it the outer size `outer`.
QMargins frameMarginsOf(QWidget& window);
int clientWidthFor(QWidget& window, int outerWidth);
int clientHeightFor(QWidget& window, int outerHeight);
int outerHeightOf(QWidget& window);

// Runs `handler` and keeps any exception inside: an exception that left a Qt handler would end
// the program. The text of the exception goes to a plain error box (`parent` centres it).
void guarded(QWidget* parent, const std::function<void()>& handler) noexcept;
void showErrorBox(QWidget* parent, const QString& text);
