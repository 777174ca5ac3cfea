#pragma once
// Helpers of the window tests: the program's windows, the update settings put back, the
// internal-mode setting in a temporary folder, a main window that records its outputs, and a
// clicker that answers every modal window the program opens.

#include "ui/uMain.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The update settings and the port source as the program starts with them.
void resetProgramState();

// The setting "intern" for the windows created while this lives: none, or the line given as
// it stands in the settings file ("intern=2483"). On Windows the registry value that the line
// stands for, under a scratch HKEY_CURRENT_USER: a decimal number as a REG_DWORD,
// @ByteArray(...) as REG_BINARY, a list "a, b" as REG_MULTI_SZ, any other text as REG_SZ.
// One implementation per OS (internal_switch_setting_posix.cpp, _win32.cpp).
class TInternalSwitch {
public:
    explicit TInternalSwitch(std::optional<QString> line);
    ~TInternalSwitch();
    TInternalSwitch(const TInternalSwitch&) = delete;
    TInternalSwitch& operator=(const TInternalSwitch&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// One output of the window, in the order it happened.
struct TOutput {
    char kind; // 'R' report line, 'S' status text, 'M' message window, 'C' report cleared
    std::string text;
    std::chrono::steady_clock::time_point at;
};

class TRecordingMain : public TfrmMain {
public:
    using TfrmMain::TfrmMain;

    void addReportLine(const std::string& text) override;
    void setStatusText(const std::string& text) override;
    void showMessageText(const std::string& text) override;
    void clearReport() override;

    std::vector<TOutput> outputs;
    // Report lines only, without their time.
    std::vector<std::string> reportTexts() const;
};

// The main window with its three secondary windows, as the program creates them.
std::unique_ptr<TRecordingMain> createWindows(const QStringList& args = {});

// Answers modal windows in the order they open: each gets the next answer. A file dialog is
// given `file` and accepted; any other window gets a click on the button with the text
// `button` ("<close>": closed by its title bar). A window without an answer left is closed and
// noted as unexpected.
struct TAnswer {
    QString button;
    QString file = {};
};

struct TSeenWindow {
    QString className;
    QString title;
    QString text;
    QRect bounds; // outer bounds when it was answered
};

class TModalClicker : public QObject {
public:
    explicit TModalClicker(std::vector<TAnswer> answers);
    ~TModalClicker() override;

    // Runs when a window is about to be answered (to look at the state behind it).
    std::function<void(QWidget* window)> onAnswer;

    const std::vector<TSeenWindow>& seen() const { return FSeen; }
    int unexpected() const { return FUnexpected; }
    bool allAnswered() const { return FNext == FAnswers.size(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answer(QPointer<QWidget> window);

    std::vector<TAnswer> FAnswers;
    std::size_t FNext = 0;
    std::vector<TSeenWindow> FSeen;
    int FUnexpected = 0;
};

// Waits (handling events) until `predicate` holds or `timeout` passes.
bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);

// Types `text` into the port field, as the operator does.
void typePort(TfrmMain& main, const QString& text);
