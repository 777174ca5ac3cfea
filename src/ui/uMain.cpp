#include "ui/uMain.h"

#include "firmware/uFWVersions.h"
#include "firmware/uVersion.h"
#include "internal_mode/internal_switch.h"
#include "ports/adapter_info.h"
#include "ports/device_change.h"
#include "ports/port_list.h"
#include "record/line_retry_counter.h"
#include "record/record_writer.h"
#include "settings/update_settings.h"
#include "ui/device_change_source.h"
#include "ui/uInfo.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"
#include "ui/ui_support.h"
#include "workflow/startup_options.h"
#include "workflow/status_texts.h"
#include "workflow/update_question.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <thread>

TfrmMain* frmMain = nullptr;

namespace {

constexpr int kDesignPpi = 120; // the layout units of this window are pixels
constexpr int kClientWidth = 444;
constexpr int kPanelHeight = 201;
constexpr int kStatusBarHeight = 19;
constexpr int kFileButtonGap = 8;

const char* const kMenuCaption = "Info v2024-12-12";
const char* const kQuestionClose =
    "The update is not finished!\r\nDo you really close the program ?";

// A bevel of which only the top line is drawn: the separator under the menu.
class TTopBevel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, 1, width() - 1, 1);
    }
};

// Never destroyed: a worker may still report while the program ends.
TLineRetryCounter& lineRetries() {
    static auto* counter = new TLineRetryCounter;
    return *counter;
}

TfrmMain::TPortSource& portSource() {
    static TfrmMain::TPortSource source = [] { return getSerialPorts(); };
    return source;
}

} // namespace

TfrmMain::TfrmMain(std::vector<std::string> args, QWidget* parent)
    : QMainWindow(parent), FArgs(std::move(args)), FTarget(this),
      FWorkflow(*this, FTarget.handle()) {
    frmMain = this;
    setRunObserver(&lineRetries());
    guarded(this, [this] {
        createComponents();
        FormCreate();
    });
    FDeviceChanges = std::make_unique<TDeviceChangeSource>(
        this, [this](bool isPortChange) { guarded(this, [&] { WMDeviceChange(isPortChange); }); });
    // The first idle moment: the first turn of the event loop after start.
    QTimer::singleShot(0, this, [this] { guarded(this, [this] { ApplicationEvents1Idle(); }); });
}

TfrmMain::~TfrmMain() {
    if (FCursorSet) {
        QApplication::restoreOverrideCursor();
    }
    if (frmMain == this) {
        frmMain = nullptr;
    }
}

void TfrmMain::setPortSource(TPortSource source) {
    portSource() = std::move(source);
}

void TfrmMain::createComponents() {
    setObjectName(QStringLiteral("frmMain"));
    // Fixed border; system menu and minimize button, no maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(formFont("Microsoft Sans Serif", 14, kDesignPpi));

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(menuBar);
    menInfo = menuBar->addMenu(QStringLiteral("Info"));
    menInfo->setObjectName(QStringLiteral("menInfo"));
    menInfoFirmware = menInfo->addAction(QStringLiteral("Firmware"));
    menInfoFirmware->setObjectName(QStringLiteral("menInfoFirmware"));
    menInfoFile = menInfo->addAction(QStringLiteral("File version"));
    menInfoFile->setObjectName(QStringLiteral("menInfoFile"));
    menInfo->addSeparator();
    menFileExit = menInfo->addAction(QStringLiteral("Exit"));
    menFileExit->setObjectName(QStringLiteral("menFileExit"));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedSize(kClientWidth, kPanelHeight);
    setCentralWidget(Panel1);

    Bevel1 = new TTopBevel(Panel1);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(0, 0, kClientWidth, 10);

    Label1 = new QLabel(QStringLiteral("Comport:"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 18, 57, 17);

    cbxPort = new QComboBox(Panel1);
    cbxPort->setObjectName(QStringLiteral("cbxPort"));
    cbxPort->setEditable(true);
    cbxPort->setInsertPolicy(QComboBox::NoInsert);
    cbxPort->setGeometry(96, 14, 329, 25);

    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(16, 57, 409, 33);

    btnProg = new QPushButton(QStringLiteral("Update"), Panel1);
    btnProg->setObjectName(QStringLiteral("btnProg"));
    btnProg->setGeometry(50, 107, 141, 41);

    btnFile = new QPushButton(QStringLiteral("File"), Panel1);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setGeometry(126, 107, 65, 41);

    btnCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(250, 107, 139, 41);
    btnCancel->hide();

    btnClose = new QPushButton(QStringLiteral("Close"), Panel1);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(250, 107, 139, 41);

    chkReadInfoOnly = new QCheckBox(QStringLiteral("Read info only"), Panel1);
    chkReadInfoOnly->setObjectName(QStringLiteral("chkReadInfoOnly"));
    chkReadInfoOnly->setGeometry(32, 168, 145, 17);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(kStatusBarHeight);
    // One simple panel. A permanent label, so that the hover over a menu entry, which clears
    // the bar's temporary message, never wipes the status text.
    StatusText1 = new QLabel(StatusBar1);
    StatusText1->setObjectName(QStringLiteral("StatusText1"));
    StatusText1->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(StatusText1, 1);
    setStatusBar(StatusBar1);

    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);

    const auto bind = [this](auto* sender, auto signal, void (TfrmMain::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { handle([this, handler] { (this->*handler)(); }); });
    };
    bind(btnProg, &QPushButton::clicked, &TfrmMain::btnProgClick);
    bind(btnFile, &QPushButton::clicked, &TfrmMain::btnFileClick);
    bind(btnCancel, &QPushButton::clicked, &TfrmMain::btnCancelClick);
    bind(btnClose, &QPushButton::clicked, &TfrmMain::btnCloseClick);
    bind(menInfoFirmware, &QAction::triggered, &TfrmMain::menInfoFirmwareClick);
    bind(menInfoFile, &QAction::triggered, &TfrmMain::menInfoFileClick);
    bind(menFileExit, &QAction::triggered, &TfrmMain::menFileExitClick);
}

void TfrmMain::FormCreate() {
    // 1, 2: captions.
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    menInfo->setTitle(QString::fromLatin1(kMenuCaption));
    // 3: the confirmation dialogs carry "Confirm", "Yes" and "No" (see confirm()).
    // 4: the open-file dialog starts in the program's own folder.
    OpenDialog1->setDirectory(QCoreApplication::applicationDirPath());
    // 5: internal mode. A setting that cannot be read leaves it off.
    FInternalMode = false;
    try {
        FInternalMode = readInternalSwitch();
    } catch (...) {
        FInternalMode = false;
    }
    // 6, 7: "Read info only" and the command-line options.
    const TStartupState startup = applyStartupOptions(FInternalMode, FArgs);
    chkReadInfoOnly->setChecked(false);
    chkReadInfoOnly->setVisible(startup.readInfoOnlyVisible);
    // 8: the buttons by the file mode.
    if (gFileMode.load(std::memory_order_relaxed) < 2) {
        menInfoFile->setVisible(false);
        btnFile->setVisible(false);
        btnProg->resize(btnClose->width(), btnProg->height());
    } else {
        menInfoFile->setVisible(true);
        btnFile->setVisible(true);
        const int half = btnClose->width() / 2;
        btnProg->resize(half, btnProg->height());
        btnFile->setGeometry(btnProg->x() + btnProg->width() + kFileButtonGap, btnFile->y(), half,
                             btnFile->height());
    }
    // 9: no empty band between the panel and the status bar. Fixed border: the window keeps
    // this size. The menu bar gets the height the window's layout gives it for the window's
    // width, which the Windows style makes a pixel more than its plain size hint.
    QMenuBar* const menu = menuBar();
    const int menuHeight = std::max(menu->sizeHint().height(), menu->heightForWidth(kClientWidth));
    setFixedSize(kClientWidth, menuHeight + kPanelHeight + kStatusBarHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centred on the screen.
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    // 10: the port list, its first entry selected.
    applyPortEntries(startupPortSelector(ports()));
    // 11, 12: the first status text and the idle state.
    setStatusText(startup.statusText);
    finishRun();
}

TPortList TfrmMain::ports() {
    try {
        return portSource()();
    } catch (...) {
        return {}; // no list to be had: an empty one, as for a missing map
    }
}

TPortSelector TfrmMain::portSelector() const {
    TPortSelector selector;
    for (int i = 0; i < cbxPort->count(); ++i) {
        selector.entries.push_back(toStdString(cbxPort->itemText(i)));
    }
    selector.text = toStdString(cbxPort->currentText());
    selector.itemIndex = cbxPort->currentIndex();
    selector.enabled = cbxPort->isEnabled();
    selector.droppedDown = cbxPort->view() != nullptr && cbxPort->view()->isVisible();
    return selector;
}

void TfrmMain::applyPortEntries(const TPortSelector& selector) {
    cbxPort->clear();
    for (const std::string& port : selector.entries) {
        cbxPort->addItem(toQString(port));
    }
    cbxPort->setCurrentIndex(selector.itemIndex);
    // Refilling an editable combo box replaces its text: the field shows what it showed.
    cbxPort->setEditText(toQString(selector.text));
}

QRect TfrmMain::bounds() const {
    return frameGeometry();
}

void TfrmMain::handle(const std::function<void()>& handler) {
    guarded(this, [this, &handler] {
        try {
            handler();
        } catch (...) {
            if (running() && TCommThread::liveWorkers() == 0) {
                finishRun();
            }
            throw;
        }
    });
}

bool TfrmMain::confirm(const char* question, bool safeDefault) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), displayText(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("ConfirmBox"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
    box.setEscapeButton(QMessageBox::No);
    if (safeDefault) {
        box.setDefaultButton(QMessageBox::No);
    }
    return box.exec() == QMessageBox::Yes;
}

// Handlers.

void TfrmMain::btnProgClick() {
    if (running()) {
        return; // a second worker must never start
    }
    if (const char* question = updateQuestion(); question != nullptr && !confirm(question)) {
        return;
    }
    prepareRun();
    startWorker(TCmd::tCMD0);
}

void TfrmMain::btnFileClick() {
    if (running() || OpenDialog1->exec() != QDialog::Accepted) {
        return;
    }
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty()) {
        return;
    }
    const std::string fileName = toStdString(chosen.first());
    if (const auto failure = prepareRun(&fileName)) {
        // Nothing starts with a file that cannot be used: the run would silently fall back to
        // the built-in images on the port of an earlier run.
        showMessageText("The firmware file \"" + fileName + "\" cannot be used:\r\n" + *failure);
        return;
    }
    startWorker(TCmd::tCMD0);
}

void TfrmMain::btnCancelClick() {
    gCancel = true;
}

void TfrmMain::btnCloseClick() {
    close();
}

void TfrmMain::menFileExitClick() {
    close();
}

bool TfrmMain::FormCloseQuery() {
    if (!running()) {
        return true;
    }
    // Enter must not abandon a running update.
    return confirm(kQuestionClose, true);
}

void TfrmMain::ApplicationEvents1Idle() {
    if (FIdleSeen) {
        return;
    }
    FIdleSeen = true;
    if (gFileMode.load(std::memory_order_relaxed) > 0 && frmProtocol != nullptr) {
        frmProtocol->show();
    }
}

void TfrmMain::menInfoFirmwareClick() {
    if (frmInfo == nullptr) {
        return;
    }
    const QRect r = bounds();
    frmInfo->Execute(r.left(), r.top(), r.width() * 3 / 2, r.height());
}

void TfrmMain::menInfoFileClick() {
    // A running worker reads image 0 and the image choice: they stay as they are.
    if (running() || OpenDialog1->exec() != QDialog::Accepted) {
        return;
    }
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (chosen.isEmpty() || !QFileInfo::exists(chosen.first())) {
        return;
    }
    // A header that cannot be read throws: the error box shows why, nothing else changes.
    readFirmwareHeaderFromFile(toStdString(chosen.first()), gImage0Header);
    gSelectedImage.store(0, std::memory_order_relaxed);
    menInfoFirmwareClick();
}

void TfrmMain::WMStatus(std::int32_t code, std::int32_t value) {
    FRecordCollector.statusMessage(code, value);
    FWorkflow.WMStatus(code, value);
}

void TfrmMain::runEnded(const TStatusMessage& endedWith) {
    // The record is written before any message window waits for the operator, so closing
    // the program at that point loses nothing.
    TUpdateRecord& record = FRecord;
    record.end = std::chrono::system_clock::now();
    FRecordCollector.fill(record);
    record.image = gSelectedImage.load(std::memory_order_relaxed);
    if (record.image != 0) {
        record.imageFile.clear();
    }
    record.endedWith = endedWith;
    record.restarts = FWorkflow.restarts();
    record.linesRetried = lineRetries().linesRetried();
    std::string error;
    if (!writeUpdateRecord(record, {}, error)) {
        qWarning("sdupdate: the update record was not written: %s", error.c_str());
    }
}

void TfrmMain::WMMove() {
    if (frmProtocol == nullptr) {
        return;
    }
    const QRect main = bounds();
    const QRect report = frmProtocol->frameGeometry();
    const int top = main.top() + main.height();
    if (report.top() == top && report.left() == main.left()) {
        return;
    }
    frmProtocol->move(main.left(), top); // its width stays
}

void TfrmMain::WMDeviceChange(bool isPortChange) {
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    const TDeviceChangeOutcome outcome =
        applyDeviceChange(isPortChange, active, portSelector(), [] { return ports(); });
    if (outcome.refilled) {
        applyPortEntries(outcome.selector);
    }
    if (outcome.closeDropDown) {
        cbxPort->hidePopup();
    }
    if (outcome.repaint) {
        cbxPort->repaint();
    }
    if (outcome.openDropDown) {
        cbxPort->showPopup();
    }
}

// Workflow operations.

std::optional<std::string> TfrmMain::prepareRun(const std::string* fileName) {
    auto failure = FWorkflow.prepareRun(fileName);
    // A new record for the run and its automatic restarts.
    FRecord = TUpdateRecord{};
    FRecord.tool = "sdupdate";
    FRecord.toolVersion = SDU_VERSION;
    FRecord.host = hostName();
    FRecord.start = std::chrono::system_clock::now();
    FRecord.port = FWorkflow.port();
    FRecord.adapter = adapterInfo(FRecord.port);
    FRecord.imageFile = fileName != nullptr ? *fileName : std::string();
    FRecordCollector = TRecordCollector{};
    lineRetries().reset();
    return failure;
}

void TfrmMain::startWorker(TCmd cmd) {
    FWorkflow.startWorker(cmd);
}

void TfrmMain::finishRun() {
    FWorkflow.finishRun();
}

// Outputs.

void TfrmMain::addReportLine(const std::string& text) {
    if (frmProtocol != nullptr) {
        frmProtocol->Add(text);
    }
}

void TfrmMain::clearReport() {
    if (frmProtocol != nullptr) {
        frmProtocol->Clear();
    }
}

void TfrmMain::setStatusText(const std::string& text) {
    const QString shown = displayText(text);
    StatusText1->setText(shown);
    StatusText1->setToolTip(shown);
    StatusBar1->setToolTip(shown);
}

QString TfrmMain::statusText() const {
    return StatusText1->text();
}

void TfrmMain::showMessageText(const std::string& text) {
    if (frmMessage != nullptr) {
        const QRect r = bounds();
        frmMessage->showMsg(text, r.left(), r.top(), r.width(), r.height());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle), displayText(text),
                    QMessageBox::Ok, this);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void TfrmMain::setProgress(int position) {
    ProgressBar1->setValue(position);
}

void TfrmMain::setApplicationTitle(const std::string& title) {
    // The application's taskbar entry is this window's.
    setWindowTitle(toQString(title));
}

void TfrmMain::beep() {
    ++FBeeps;
    QApplication::beep();
}

void TfrmMain::setRunning(bool running) {
    btnProg->setEnabled(!running);
    btnFile->setEnabled(!running);
    btnClose->setVisible(!running);
    btnCancel->setVisible(running);
    cbxPort->setEnabled(!running);
    menInfoFile->setEnabled(!running);
    if (running && !FCursorSet) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FCursorSet = true;
    } else if (!running && FCursorSet) {
        QApplication::restoreOverrideCursor();
        FCursorSet = false;
    }
}

std::string TfrmMain::portText() const {
    return toStdString(cbxPort->currentText());
}

bool TfrmMain::readInfoOnlyChecked() const {
    return chkReadInfoOnly->isChecked();
}

void TfrmMain::pauseFrontEnd(std::chrono::milliseconds duration) {
    // The window does not react meanwhile.
    std::this_thread::sleep_for(duration);
}

// Window messages.

bool TfrmMain::event(QEvent* e) {
    if (e->type() == TStatusEvent::eventType()) {
        const auto* status = static_cast<const TStatusEvent*>(e);
        if (status->msg() == WM_USER) {
            const TStatusMessage m = status->message();
            handle([this, m] { WMStatus(m.code, m.value); });
        }
        return true;
    }
    return QMainWindow::event(e);
}

void TfrmMain::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    guarded(this, [this] { WMMove(); });
}

void TfrmMain::closeEvent(QCloseEvent* e) {
    bool mayClose = true;
    guarded(this, [this, &mayClose] { mayClose = FormCloseQuery(); });
    if (mayClose) {
        e->accept();
    } else {
        e->ignore();
    }
}

bool TfrmMain::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (FDeviceChanges) {
        FDeviceChanges->nativeEvent(eventType, message); // Windows: WM_DEVICECHANGE
    }
    // The toolkit's own handling runs as well.
    return QMainWindow::nativeEvent(eventType, message, result);
}
