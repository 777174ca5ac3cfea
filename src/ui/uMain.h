#pragma once
// The main window: the operator's control surface and the owner of the update workflow.

#include "ports/device_change.h"
#include "record/update_record.h"
#include "ui/qt_message_target.h"
#include "workflow/update_workflow.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TDeviceChangeSource;

class TfrmMain : public QMainWindow, public TWorkflowView {
    Q_OBJECT
public:
    // `args` is the command line, the program path as element 0.
    explicit TfrmMain(std::vector<std::string> args, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Where the port list comes from (the machine's serial ports unless a test says otherwise).
    using TPortSource = std::function<std::vector<std::string>()>;
    static void setPortSource(TPortSource source);

    // Handlers.
    void btnProgClick();
    void btnFileClick();
    void btnCancelClick();
    void btnCloseClick();
    bool FormCloseQuery();
    void ApplicationEvents1Idle();
    void menInfoFirmwareClick();
    void menInfoFileClick();
    void menFileExitClick();
    // WM_USER: one status message of the worker.
    void WMStatus(std::int32_t code, std::int32_t value);
    // WM_MOVE: keeps the report window docked below.
    void WMMove();
    // WM_DEVICECHANGE: `isPortChange` tells whether it reports a serial port that arrived or
    // was removed.
    void WMDeviceChange(bool isPortChange);

    // Workflow operations.
    std::optional<std::string> prepareRun(const std::string* fileName = nullptr);
    void startWorker(TCmd cmd);
    void finishRun();

    // TWorkflowView.
    void addReportLine(const std::string& text) override;
    void clearReport() override;
    void setStatusText(const std::string& text) override;
    void showMessageText(const std::string& text) override;
    void setProgress(int position) override;
    void setApplicationTitle(const std::string& title) override;
    void beep() override;
    void setRunning(bool running) override;
    std::string portText() const override;
    bool readInfoOnlyChecked() const override;
    void pauseFrontEnd(std::chrono::milliseconds duration) override;
    void runEnded(const TStatusMessage& endedWith) override;

    // State, for the program and its tests.
    bool running() const { return FWorkflow.running(); }
    bool internalMode() const { return FInternalMode; }
    bool idleSeen() const { return FIdleSeen; }
    QString statusText() const;
    int beepCount() const { return FBeeps; }
    TWindowHandle windowHandle() const { return FTarget.handle(); }

    // Components.
    QWidget* Panel1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cbxPort = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* btnProg = nullptr;
    QPushButton* btnFile = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnClose = nullptr;
    QCheckBox* chkReadInfoOnly = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText1 = nullptr; // the status bar's one simple panel
    QMenu* menInfo = nullptr;
    QAction* menInfoFirmware = nullptr;
    QAction* menInfoFile = nullptr;
    QAction* menFileExit = nullptr;
    QFileDialog* OpenDialog1 = nullptr;

protected:
    bool event(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void createComponents();
    void FormCreate();
    static TPortList ports();
    TPortSelector portSelector() const;
    void applyPortEntries(const TPortSelector& selector);
    // Asks a confirmation question; `safeDefault` makes "No" the button that Enter presses.
    bool confirm(const char* question, bool safeDefault = false);
    // Runs a handler with every exception kept inside; a run whose worker never started (the
    // thread could not be created) goes back to idle.
    void handle(const std::function<void()>& handler);
    // The main window's outer bounds.
    QRect bounds() const;

    std::vector<std::string> FArgs;
    TQtMessageTarget FTarget;
    TUpdateWorkflow FWorkflow;
    // The record of the current run (with its restarts), written when it ends.
    TUpdateRecord FRecord;
    TRecordCollector FRecordCollector;
    std::unique_ptr<TDeviceChangeSource> FDeviceChanges;
    bool FInternalMode = false;
    bool FIdleSeen = false; // the one-time marker of the first idle moment
    bool FCursorSet = false;
    int FBeeps = 0;
};

// The main window of the program.
extern TfrmMain* frmMain;
