// The main window and its secondary windows without a logger: start states, the questions of
// "Update", closing, the report and message windows' placement, the overview and the port list
// (the machine's own ports: port_field_linux_test.cpp, port_field_win32_test.cpp).
#include "ui_test_support.h"

#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "settings/update_settings.h"
#include "sim/sim_options.h"
#include "sim/sim_server.h"
#include "ui/uInfo.h"
#include "ui/uMessage.h"
#include "ui/uProtocol.h"
#include "ui/ui_support.h"
#include "workflow/report_line.h"
#include "workflow/status_texts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>

#include <ctime>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QString kNoPort = QStringLiteral("/nonexistent/sdupdate-port");
const QString kQuestionSaved =
    QStringLiteral("Do you save your measurements ?\nDo you really continue without saving ?");
const QString kQuestionClears =
    QStringLiteral("This update clears all measurements!\nDo you really continue ?");
const QString kQuestionClose =
    QStringLiteral("The update is not finished!\nDo you really close the program ?");

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

void clickMenu(TfrmMain& main, QAction* entry) {
    QMenuBar* bar = main.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(main.menInfo->menuAction()).center());
    QVERIFY(waitFor([&] { return main.menInfo->isVisible(); }, 5s));
    QTest::mouseClick(main.menInfo, Qt::LeftButton, {},
                      main.menInfo->actionGeometry(entry).center());
}

bool idle(const TfrmMain& main) {
    return !main.running() && main.btnClose->isVisible() && !main.btnCancel->isVisible() &&
           main.btnProg->isEnabled() && main.cbxPort->isEnabled() &&
           QApplication::overrideCursor() == nullptr;
}

// Ends whatever worker a test left behind.
void endWorkers() {
    gCancel = true;
    QVERIFY(TCommThread::waitUntilNoneLive(20s));
}

std::optional<TSimFault> fault(const char* text) {
    return parseFault(text);
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init() { resetProgramState(); }
    void cleanup() {
        endWorkers();
        resetProgramState();
    }

    void startState_data();
    void startState();
    void updateQuestion_data();
    void updateQuestion();
    void closeWhenIdleAsksNothing();
    void closeWhileRunning();
    void cancelLeavesTheButtons();
    void reportLines();
    void reportDocking();
    void messagePlacement_data();
    void messagePlacement();
    void overview_data();
    void overview();
    void fileVersion_data();
    void fileVersion();
    void startFill_data();
    void startFill();
    void deviceChange_data();
    void deviceChange();
};

void WindowTest::startState_data() {
    QTest::addColumn<std::optional<QString>>("intern");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("internal");
    QTest::addColumn<bool>("fileButton");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("checkClass");

    const std::optional<QString> none;
    const std::optional<QString> on = QStringLiteral("intern=2483");
    // name                                 intern, args, internal, "File", status, mode, class
    QTest::newRow("normal") << none << QStringList{} << false << false << "" << 0 << true;
    QTest::newRow("normal ignores cc:- f:+")
        << none << QStringList{"cc:-", "f:+"} << false << false << "" << 0 << true;
    QTest::newRow("internal") << on << QStringList{} << true << false << "" << 1 << true;
    QTest::newRow("internal cc:-")
        << on << QStringList{"cc:-"} << true << false << "" << 1 << false;
    QTest::newRow("internal f:+") << on << QStringList{"f:+"} << true << true << "" << 2 << true;
    QTest::newRow("internal F:+") << on << QStringList{"F:+"} << true << true << "" << 2 << true;
    QTest::newRow("internal f:-") << on << QStringList{"f:-"} << true << false << "" << 1 << true;
    QTest::newRow("internal f:x") << on << QStringList{"f:x"} << true << false << "" << 1 << true;
    QTest::newRow("internal f:+ mf:+")
        << on << QStringList{"f:+", "mf:+"} << true << true << "F" << 2 << true;
    QTest::newRow("mf:+") << none << QStringList{"mf:+"} << false << false << "F" << 0 << true;
    QTest::newRow("MF:+") << none << QStringList{"MF:+"} << false << false << "F" << 0 << true;
    QTest::newRow("mf:+ mf:-") << none << QStringList{"mf:+", "mf:-"} << false << false << "F" << 0
                               << true;
    QTest::newRow("mf:-") << none << QStringList{"mf:-"} << false << false << "" << 0 << true;
    QTest::newRow("mf:+x") << none << QStringList{"mf:+x"} << false << false << "" << 0 << true;
    QTest::newRow("other number") << std::optional<QString>(QStringLiteral("intern=2484"))
                                  << QStringList{"f:+"} << false << false << "" << 0 << true;
    QTest::newRow("wrong type: text") << std::optional<QString>(QStringLiteral("intern=abc"))
                                      << QStringList{"f:+"} << false << false << "" << 0 << true;
    QTest::newRow("wrong type: bytes")
        << std::optional<QString>(QStringLiteral("intern=@ByteArray(2483)"))
        << QStringList{"f:+", "mf:+"} << false << false << "F" << 0 << true;
    QTest::newRow("wrong type: list") << std::optional<QString>(QStringLiteral("intern=2483, 2483"))
                                      << QStringList{"f:+"} << false << false << "" << 0 << true;
    QTest::newRow("wrong type: number with fraction")
        << std::optional<QString>(QStringLiteral("intern=2483.0")) << QStringList{} << false
        << false << "" << 0 << true;
}

void WindowTest::startState() {
    QFETCH(std::optional<QString>, intern);
    QFETCH(QStringList, args);
    QFETCH(bool, internal);
    QFETCH(bool, fileButton);
    QFETCH(QString, status);
    QFETCH(int, fileMode);
    QFETCH(bool, checkClass);

    TInternalSwitch setting(intern);
    auto main = createWindows(args);
    QVERIFY(waitFor([&] { return main->idleSeen(); }, 5s));
    QCoreApplication::processEvents();

    QCOMPARE(main->internalMode(), internal);
    QCOMPARE(gFileMode.load(), fileMode);
    QCOMPARE(gCheckClass.load(), checkClass);
    QCOMPARE(main->chkReadInfoOnly->isVisible(), internal);
    QVERIFY(!main->chkReadInfoOnly->isChecked());
    QCOMPARE(main->btnFile->isVisible(), fileButton);
    QCOMPARE(main->menInfoFile->isVisible(), fileButton);
    QCOMPARE(main->btnProg->x(), 50);
    if (fileButton) {
        QCOMPARE(main->btnProg->width(), 69);
        QCOMPARE(main->btnFile->x(), 127);
        QCOMPARE(main->btnFile->width(), 69);
    } else {
        QCOMPARE(main->btnProg->width(), 139);
    }
    QCOMPARE(main->statusText(), status);
    // The report window is shown at the first idle moment in internal mode only.
    QVERIFY(frmProtocol != nullptr);
    QCOMPARE(frmProtocol->isVisible(), internal);

    // What every mode shares: captions, idle state, the fixed size.
    QVERIFY(idle(*main));
    QCOMPARE(main->windowTitle(), QStringLiteral("Tarnwell"));
    QCOMPARE(main->menInfo->title(), QStringLiteral("Info v2024-12-12"));
    QCOMPARE(main->btnProg->text(), QStringLiteral("Update"));
    QCOMPARE(main->btnClose->geometry(), QRect(250, 107, 139, 41));
    QCOMPARE(main->btnCancel->geometry(), QRect(250, 107, 139, 41));
    QCOMPARE(main->cbxPort->geometry(), QRect(96, 14, 329, 25));
    QCOMPARE(main->ProgressBar1->geometry(), QRect(16, 57, 409, 33));
    QCOMPARE(main->ProgressBar1->value(), 0);
    QCOMPARE(main->Panel1->width(), 444);
    QCOMPARE(main->Panel1->height() + main->StatusBar1->height(), 220);
    // The menu bar, the panel and the status bar fill the window without overlapping.
    const QPoint panelTop = main->Panel1->mapTo(main.get(), QPoint(0, 0));
    QCOMPARE(panelTop.y(), main->menuBar()->geometry().bottom() + 1);
    QCOMPARE(main->StatusBar1->geometry().top(), panelTop.y() + main->Panel1->height());
    QCOMPARE(main->StatusBar1->geometry().bottom() + 1, main->height());
    QCOMPARE(main->minimumSize(), main->maximumSize());
    QVERIFY(!(main->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(frmProtocol->Memo1->toPlainText().isEmpty());
}

void WindowTest::updateQuestion_data() {
    QTest::addColumn<std::optional<QString>>("intern");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("answer"); // empty: no question expected
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("starts");

    const std::optional<QString> none;
    const std::optional<QString> on = QStringLiteral("intern=2483");
    QTest::newRow("normal, Yes") << none << QStringList{} << "Yes" << kQuestionSaved << true;
    QTest::newRow("normal, No") << none << QStringList{} << "No" << kQuestionSaved << false;
    QTest::newRow("normal, closed")
        << none << QStringList{} << "<close>" << kQuestionSaved << false;
    QTest::newRow("internal, no question") << on << QStringList{} << ""
                                           << "" << true;
    QTest::newRow("internal f:+, no question") << on << QStringList{"f:+"} << ""
                                               << "" << true;
    QTest::newRow("mf:+, Yes") << none << QStringList{"mf:+"} << "Yes" << kQuestionClears << true;
    QTest::newRow("mf:+, No") << none << QStringList{"mf:+"} << "No" << kQuestionClears << false;
    QTest::newRow("internal mf:+, Yes")
        << on << QStringList{"mf:+"} << "Yes" << kQuestionClears << true;
    QTest::newRow("internal mf:+, No")
        << on << QStringList{"mf:+"} << "No" << kQuestionClears << false;
}

void WindowTest::updateQuestion() {
    QFETCH(std::optional<QString>, intern);
    QFETCH(QStringList, args);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(bool, starts);

    TInternalSwitch setting(intern);
    auto main = createWindows(args);
    typePort(*main, kNoPort);
    frmProtocol->Add("a line of the run before");
    const QString statusBefore = main->statusText();

    std::vector<TAnswer> answers;
    if (!answer.isEmpty()) {
        answers.push_back({answer});
    }
    if (starts) {
        answers.push_back({QStringLiteral("OK")}); // the port cannot be opened
    }
    TModalClicker clicker(answers);
    QTest::mouseClick(main->btnProg, Qt::LeftButton);
    QVERIFY(waitFor([&] { return clicker.allAnswered() && idle(*main); }, 10s));
    QCOMPARE(clicker.unexpected(), 0);

    std::size_t next = 0;
    if (!answer.isEmpty()) {
        QCOMPARE(clicker.seen().at(next).title, QStringLiteral("Confirm"));
        QCOMPARE(clicker.seen().at(next).text, question);
        ++next;
    }
    if (!starts) {
        QCOMPARE(clicker.seen().size(), next);
        QCOMPARE(frmProtocol->lines().size(), 1);
        QVERIFY(frmProtocol->lines().at(0).endsWith(QStringLiteral("a line of the run before")));
        QCOMPARE(main->statusText(), statusBefore);
        QCOMPARE(main->beepCount(), 0);
        return;
    }
    const std::string port = kNoPort.toStdString();
    const std::vector<std::string> expected{startText(port), errorText(kErrPortNotReady, port)};
    QCOMPARE(main->reportTexts(), expected);
    QCOMPARE(frmProtocol->lines().size(), 2); // cleared before the start
    QCOMPARE(clicker.seen().at(next).title, QStringLiteral("Information"));
    QCOMPARE(clicker.seen().at(next).text, q(expected[1]));
    QCOMPARE(main->statusText(), q(expected[1]));
    QCOMPARE(main->beepCount(), 1);
}

void WindowTest::closeWhenIdleAsksNothing() {
    auto main = createWindows();
    TModalClicker clicker({});
    QTest::mouseClick(main->btnClose, Qt::LeftButton);
    QVERIFY(waitFor([&] { return !main->isVisible(); }, 5s));
    QCOMPARE(clicker.seen().size(), 0u);
}

void WindowTest::closeWhileRunning() {
    TInternalSwitch setting(QStringLiteral("intern=2483"));
    TSimOptions options;
    options.faults.push_back(*fault("silence@any:1x1000000")); // the logger never answers
    TSimServer sim(options);
    auto main = createWindows({QStringLiteral("f:+")});
    typePort(*main, q(sim.slavePath()));

    TModalClicker clicker({{QStringLiteral("No")}, {QStringLiteral("Yes")}});
    QStringList defaultButtons;
    clicker.onAnswer = [&](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            defaultButtons << (box->defaultButton() ? box->defaultButton()->text() : QString());
        }
    };
    QTest::mouseClick(main->btnProg, Qt::LeftButton);
    QVERIFY(main->running());
    // The running state.
    QVERIFY(!main->btnProg->isEnabled());
    QVERIFY(!main->btnFile->isEnabled());
    QVERIFY(!main->btnClose->isVisible());
    QVERIFY(main->btnCancel->isVisible());
    QVERIFY(!main->cbxPort->isEnabled());
    QVERIFY(!main->menInfoFile->isEnabled()); // "File version" must not touch image 0 now
    QVERIFY(main->menInfoFirmware->isEnabled());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(main->windowTitle(), QStringLiteral("Tarnwell"));

    // "Exit" asks; "No" keeps the window and the run.
    clickMenu(*main, main->menFileExit);
    QVERIFY(waitFor([&] { return clicker.seen().size() == 1; }, 5s));
    QCoreApplication::processEvents();
    QCOMPARE(clicker.seen()[0].title, QStringLiteral("Confirm"));
    QCOMPARE(clicker.seen()[0].text, kQuestionClose);
    QVERIFY(main->isVisible());
    QVERIFY(main->running());

    // The title bar's close button asks the same; "Yes" closes with the worker still running.
    main->close();
    QVERIFY(waitFor([&] { return !main->isVisible(); }, 5s));
    QCOMPARE(clicker.seen().size(), 2u);
    QCOMPARE(clicker.seen()[1].text, kQuestionClose);
    // Enter answers "No": a running update is never abandoned by a stray key.
    QCOMPARE(defaultButtons, QStringList({QStringLiteral("No"), QStringLiteral("No")}));
    // The run goes on: closing neither cancels nor awaits it. (Its worker may be between two
    // runs: a logger that stays silent for five tries restarts the run after a pause.)
    QVERIFY(main->running());
    QVERIFY(!gCancel);
    main.reset(); // the worker's messages go nowhere from now on
}

void WindowTest::cancelLeavesTheButtons() {
    TInternalSwitch setting(QStringLiteral("intern=2483"));
    TSimOptions options;
    options.faults.push_back(*fault("silence@any:1x1000000"));
    TSimServer sim(options);
    auto main = createWindows();
    typePort(*main, q(sim.slavePath()));
    TModalClicker clicker({{QStringLiteral("OK")}});
    QTest::mouseClick(main->btnProg, Qt::LeftButton);
    QTest::mouseClick(main->btnCancel, Qt::LeftButton);
    // The buttons change when the worker's error 20 arrives, not by the click.
    QVERIFY(main->btnCancel->isVisible());
    QVERIFY(!main->btnProg->isEnabled());
    QVERIFY(waitFor([&] { return clicker.allAnswered() && idle(*main); }, 10s));
    QCOMPARE(clicker.seen().at(0).text, QStringLiteral("Process cancelled!"));
    QCOMPARE(main->reportTexts().back(), std::string("Process cancelled!"));
    QCOMPARE(main->statusText(), QStringLiteral("Process cancelled!"));
    QCOMPARE(main->beepCount(), 1);
}

void WindowTest::reportLines() {
    auto main = createWindows();
    frmProtocol->Add("first");
    frmProtocol->Clear();
    const std::time_t before = std::time(nullptr);
    frmProtocol->Add("Process cancelled!");
    const std::time_t after = std::time(nullptr);
    const QStringList lines = frmProtocol->lines();
    QCOMPARE(lines.size(), 1); // Clear, then Add: exactly one line
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d\\d -> Process cancelled!$"))
                .match(lines[0])
                .hasMatch());
    QVERIFY(lines[0] == q(reportLine("Process cancelled!", before)) ||
            lines[0] == q(reportLine("Process cancelled!", after)));

    // A long line never wraps: it is one line that scrolls sideways.
    frmProtocol->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmProtocol));
    frmProtocol->Add(std::string(400, 'x'));
    QCoreApplication::processEvents();
    QCOMPARE(frmProtocol->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(frmProtocol->lines().size(), 2);
    QCOMPARE(frmProtocol->Memo1->document()->lastBlock().layout()->lineCount(), 1);
    QVERIFY(frmProtocol->Memo1->horizontalScrollBar()->maximum() > 0);
    QVERIFY(frmProtocol->Memo1->isReadOnly());
    QCOMPARE(frmProtocol->windowTitle(), QStringLiteral("Report"));
    QVERIFY(!(frmProtocol->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(frmProtocol->windowFlags() & Qt::WindowSystemMenuHint));
}

void WindowTest::reportDocking() {
    // At creation: below the main window, as wide as it.
    QWidget stand(nullptr, Qt::Window);
    stand.setGeometry(100, 50, 460, 300);
    {
        TfrmProtocol report(&stand);
        QCOMPARE(report.frameGeometry().topLeft(), QPoint(100, 350));
        QCOMPARE(report.frameGeometry().width(), 460);
        QVERIFY(!report.isVisible());
        QVERIFY(report.Memo1->toPlainText().isEmpty());
    }
    QVERIFY(frmProtocol == nullptr);

    // The main window's moves take it along; its width stays as the operator made it.
    auto main = createWindows();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    frmProtocol->show();
    frmProtocol->resize(300, frmProtocol->height());
    QVERIFY(waitFor([&] { return frmProtocol->width() == 300; }, 5s));
    const int width = frmProtocol->frameGeometry().width();
    main->move(200, 80);
    QVERIFY(waitFor(
        [&] {
            return frmProtocol->frameGeometry().topLeft() ==
                   QPoint(200, 80 + main->frameGeometry().height());
        },
        5s));
    QCOMPARE(frmProtocol->frameGeometry().width(), width);
    main->move(20, 30);
    QVERIFY(waitFor(
        [&] {
            return frmProtocol->frameGeometry().topLeft() ==
                   QPoint(20, 30 + main->frameGeometry().height());
        },
        5s));
    QCOMPARE(frmProtocol->frameGeometry().width(), width);
}

void WindowTest::messagePlacement_data() {
    QTest::addColumn<QRect>("main");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("460 x 300 at 100, 50")
        << QRect(100, 50, 460, 300) << 150 << QRect(110, 190, 440, 150);
    QTest::newRow("444 x 260 at 0, 0") << QRect(0, 0, 444, 260) << 101 << QRect(10, 149, 424, 101);
    QTest::newRow("low on the screen")
        << QRect(40, 500, 300, 200) << 120 << QRect(50, 570, 280, 120);
}

void WindowTest::messagePlacement() {
    QFETCH(QRect, main);
    QFETCH(int, height);
    QFETCH(QRect, expected);
    TfrmMessage message;
    message.resize(message.width(), clientHeightFor(message, height)); // outer height

    int lines = 0;
    TModalClicker clicker({{QStringLiteral("OK")}});
    clicker.onAnswer = [&](QWidget*) {
        const QTextBlock block = message.Memo1->document()->firstBlock();
        lines = block.layout() != nullptr ? block.layout()->lineCount() : 0;
    };
    const std::string text = "Update of SD card module firmware 4.108 was successful, a text long "
                             "enough that it has to break into several lines of the window.";
    message.showMsg(text, main.x(), main.y(), main.width(), main.height());
    QCOMPARE(clicker.seen().size(), 1u);
    QCOMPARE(clicker.seen()[0].bounds, expected);
    QCOMPARE(clicker.seen()[0].title, QStringLiteral("Information"));
    QCOMPARE(clicker.seen()[0].text, q(text));
    QVERIFY(lines > 1); // wraps
    QVERIFY(!message.isVisible());
}

void WindowTest::overview_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("bootLoaderUnnamed");
    QTest::addColumn<QStringList>("rows"); // Version, Date, BL of each row
    const QStringList builtIn{"4.108|12.12.2024 12:05:28|2.1", "2.102|13.12.2022 15:45:48|2.1",
                              "1.04|24.07.2012 17:19:26|2.0"};
    QTest::newRow("no file loaded") << -1 << false << builtIn;
    QTest::newRow("after a built-in choice") << 3 << false << builtIn;
    QTest::newRow("file with image 3's header")
        << 0 << false << (QStringList{builtIn[0]} + builtIn);
    QTest::newRow("file naming no boot loader")
        << 0 << true << (QStringList{"4.108|12.12.2024 12:05:28|65535.1"} + builtIn);
}

void WindowTest::overview() {
    QFETCH(int, selected);
    QFETCH(bool, bootLoaderUnnamed);
    QFETCH(QStringList, rows);
    gImage0Header = getFirmwareHeader(3);
    if (bootLoaderUnnamed) {
        gImage0Header.zel_bl = 0xFFFF;
    }
    gSelectedImage = selected;
    auto main = createWindows();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    const QRect mainBounds = main->frameGeometry();

    struct TLook {
        QStringList rows;
        QRect bounds;
        int clientWidth = 0;
        int columnSum = 0;
        bool columnsFit = true;
        QStringList headers;
    };
    std::vector<TLook> looks;
    TModalClicker clicker({{QStringLiteral("OK")}, {QStringLiteral("OK")}});
    clicker.onAnswer = [&](QWidget* window) {
        auto* info = qobject_cast<TfrmInfo*>(window);
        QVERIFY(info != nullptr);
        TLook look;
        QTreeWidget* list = info->ListView1;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            look.rows << (item->text(1) + "|" + item->text(4) + "|" + item->text(5));
        }
        for (int c = 0; c < list->columnCount(); ++c) {
            look.headers << list->headerItem()->text(c);
            const int cells = static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(c);
            const int withHeader = std::max(cells, list->header()->sectionSizeHint(c));
            look.columnsFit = look.columnsFit && list->columnWidth(c) == withHeader + 5;
            look.columnSum += list->columnWidth(c);
        }
        look.bounds = info->frameGeometry();
        look.clientWidth = info->width();
        looks.push_back(look);
    };
    // Opened twice: the same rows each time, never twice over.
    for (int i = 0; i < 2; ++i) {
        clickMenu(*main, main->menInfoFirmware);
        QVERIFY(waitFor([&] { return looks.size() == std::size_t(i + 1) && !frmInfo->isVisible(); },
                        5s));
    }
    QCOMPARE(clicker.unexpected(), 0);
    for (const TLook& look : looks) {
        QCOMPARE(look.rows, rows);
        QCOMPARE(look.headers,
                 (QStringList{"Firmware", "Version", "Platform", "Print", "Date", "BL"}));
        QVERIFY(look.columnsFit);
        QCOMPARE(look.clientWidth, look.columnSum + 30);
        QCOMPARE(look.bounds.topLeft(), mainBounds.topLeft());
        QCOMPARE(look.bounds.height(), mainBounds.height());
    }
    QCOMPARE(clicker.seen()[0].title, QStringLiteral("Overview"));
}

void WindowTest::fileVersion_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("firstVersion");
    const QByteArray header = "bootloader=3\nbootloader version=4\nclass=26122\nversionH=5\n"
                              "versionL=7\nplatform=25\nprint=52\ndate=01.02.2025 10:11:12\n";
    QTest::newRow("readable header") << header << true << "5.07";
    QTest::newRow("readable, CR LF") << QByteArray(header).replace("\n", "\r\n") << true << "5.07";
    QTest::newRow("class not a number")
        << QByteArray(header).replace("class=26122", "class=abc") << false << "";
}

void WindowTest::fileVersion() {
    QFETCH(QByteArray, content);
    QFETCH(bool, readable);
    QFETCH(QString, firstVersion);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("firmware.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    TInternalSwitch setting(QStringLiteral("intern=2483"));
    auto main = createWindows({QStringLiteral("f:+")});
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    const std::size_t linesBefore = gImage0Lines.size();
    TModalClicker clicker({{QString(), path}, {QStringLiteral("OK")}});
    clickMenu(*main, main->menInfoFile);
    QVERIFY(waitFor([&] { return clicker.allAnswered(); }, 5s));
    QCoreApplication::processEvents();
    QCOMPARE(clicker.unexpected(), 0);
    QCOMPARE(gImage0Lines.size(), linesBefore); // the lines are not touched
    if (readable) {
        QCOMPARE(clicker.seen()[1].title, QStringLiteral("Overview"));
        QCOMPARE(clicker.seen()[1].text.split('\n').size(), 4); // image 0 first
        QCOMPARE(clicker.seen()[1].text.split('\n')[0].split('\t')[1], firstVersion);
        QCOMPARE(gSelectedImage.load(), 0);
    } else {
        // The toolkit's error box with the reader's text; no overview, no image choice.
        QCOMPARE(clicker.seen()[1].className, QStringLiteral("QMessageBox"));
        QVERIFY(clicker.seen()[1].text.contains(QStringLiteral("abc")));
        QCOMPARE(gSelectedImage.load(), -1);
    }
}

void WindowTest::startFill_data() {
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("field");
    QTest::newRow("two ports") << QStringList{"COM7", "COM8"} << "COM7";
    QTest::newRow("no port") << QStringList{} << "";
}

void WindowTest::startFill() {
    QFETCH(QStringList, ports);
    QFETCH(QString, field);
    TfrmMain::setPortSource([ports] {
        std::vector<std::string> list;
        for (const QString& p : ports) {
            list.push_back(p.toStdString());
        }
        return list;
    });
    auto main = createWindows();
    QCOMPARE(main->cbxPort->count(), ports.size());
    QCOMPARE(main->cbxPort->currentText(), field);
    QVERIFY(main->cbxPort->isEditable());
}

void WindowTest::deviceChange_data() {
    QTest::addColumn<bool>("portChange");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("typed"); // empty: the start-up selection stays
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("dropsDown");
    QTest::newRow("arrival while idle")
        << true << QStringList{"COM3"} << QStringList{"COM3", "COM7"} << "" << false << "COM3"
        << true;
    QTest::newRow("removal of the port in the field")
        << true << QStringList{"COM3", "COM7"} << QStringList{"COM7"} << "" << false << "COM3"
        << true;
    QTest::newRow("typed name survives")
        << true << QStringList{"COM3"} << QStringList{"COM3", "COM9"} << "/dev/ttyUSB4" << false
        << "/dev/ttyUSB4" << true;
    // Qt drops no list down when it has no entries.
    QTest::newRow("all ports gone")
        << true << QStringList{"COM3"} << QStringList{} << "" << false << "COM3" << false;
    QTest::newRow("while running") << true << QStringList{"COM3"} << QStringList{"COM3", "COM7"}
                                   << "" << true << "COM3" << false;
    QTest::newRow("another kind of device")
        << false << QStringList{"COM3"} << QStringList{"COM3", "COM7"} << "" << false << "COM3"
        << false;
}

void WindowTest::deviceChange() {
    QFETCH(bool, portChange);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QString, typed);
    QFETCH(bool, running);
    QFETCH(QString, field);
    QFETCH(bool, dropsDown);
    auto ports = std::make_shared<QStringList>(before);
    TfrmMain::setPortSource([ports] {
        std::vector<std::string> list;
        for (const QString& p : *ports) {
            list.push_back(p.toStdString());
        }
        return list;
    });
    auto main = createWindows();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    if (!typed.isEmpty()) {
        typePort(*main, typed);
    }
    if (running) {
        main->setRunning(true); // the controls of a run under way
    }
    *ports = after;
    main->WMDeviceChange(portChange);
    QStringList entries;
    for (int i = 0; i < main->cbxPort->count(); ++i) {
        entries << main->cbxPort->itemText(i);
    }
    QCOMPARE(entries, portChange ? after : before); // refilled for every port change
    QCOMPARE(main->cbxPort->currentText(), field);
    QCOMPARE(main->cbxPort->view()->isVisible(), dropsDown);
    // A second change while the list is dropped down closes and reopens it.
    if (dropsDown) {
        main->WMDeviceChange(true);
        QVERIFY(main->cbxPort->view()->isVisible());
        main->cbxPort->hidePopup();
    }
    if (running) {
        main->setRunning(false);
    }
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
