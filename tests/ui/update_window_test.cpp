// Updates through the window against the simulated logger on a pty: the operator's clicks, the
// worker's status messages as Qt events, and what the window shows for them.
#include "ui_test_support.h"

#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"
#include "firmware/uFWVersions.h"
#include "record/records_file.h"
#include "settings/update_settings.h"
#include "sim/sim_options.h"
#include "sim/sim_server.h"
#include "ui/uProtocol.h"
#include "workflow/status_texts.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(std::vector<std::string>)

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

bool idle(const TfrmMain& main) {
    return !main.running() && main.btnClose->isVisible() && !main.btnCancel->isVisible() &&
           main.btnProg->isEnabled() && main.cbxPort->isEnabled() &&
           QApplication::overrideCursor() == nullptr;
}

std::vector<std::string> linesOf(int image) {
    std::vector<std::string> lines;
    std::string text;
    int last = 0;
    TBl3FileHeader header;
    accessFirmware(image, kFwOpLastLine, 0, text, last, header);
    for (int i = 0; i <= last; ++i) {
        int unused = 0; // every operation presets it
        accessFirmware(image, kFwOpLine, i, text, unused, header);
        lines.push_back(text);
    }
    return lines;
}

// The three first data lines of image 3 and the end-of-file line.
std::vector<std::string> smallImage() {
    std::vector<std::string> lines = linesOf(3);
    lines.resize(3);
    lines.push_back(":00000001FF");
    return lines;
}

std::vector<std::string> dataRecords(const std::vector<std::string>& lines) {
    std::vector<std::string> records;
    for (const std::string& line : lines) {
        if (line.size() == 139) { // 64 data bytes
            records.push_back(line);
        }
    }
    return records;
}

// A firmware description file with image 3's header and `lines`.
QString writeDescriptionFile(const QTemporaryDir& dir, const std::vector<std::string>& lines,
                             const std::string& classValue = {}) {
    const TBl3FileHeader h = getFirmwareHeader(3);
    std::string text = "bootloader=" + std::to_string(h.zel_bl) + "\n" +
                       "bootloader version=" + std::to_string(h.zel_bl_ver) + "\n" +
                       "class=" + (classValue.empty() ? std::to_string(h.zel_class) : classValue) +
                       "\n" + "versionH=" + std::to_string(h.zel_verH) + "\n" +
                       "versionL=" + std::to_string(h.zel_verL) + "\n" +
                       "platform=" + std::to_string(h.zel_platform) + "\n" +
                       "print=" + std::to_string(h.zel_print) + "\n" + "date=" + h.zel_date + "\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    const QString path = dir.filePath(QStringLiteral("firmware.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    return path;
}

TSimOptions withFaults(const QStringList& faults) {
    TSimOptions options;
    for (const QString& text : faults) {
        const auto fault = parseFault(text.toStdString());
        if (fault) {
            options.faults.push_back(*fault);
        }
    }
    return options;
}

std::size_t indexOf(const std::vector<std::string>& texts, const std::string& text,
                    std::size_t from = 0) {
    const auto it = std::find(texts.begin() + std::ptrdiff_t(from), texts.end(), text);
    return std::size_t(it - texts.begin());
}

} // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init() { resetProgramState(); }
    void cleanup() {
        gCancel = true;
        QVERIFY(TCommThread::waitUntilNoneLive(20s));
        resetProgramState();
    }

    void fullUpdate();
    void cancelledRun();
    void fileRun_data();
    void fileRun();
    void fileThatCannotBeUsed();
};

// The window's records file (under the test's XDG_DATA_HOME or LOCALAPPDATA) and its last
// record.
QString recordsFile() {
    return QString::fromStdString(defaultRecordsFile());
}

QJsonObject lastRecord() {
    QFile file(recordsFile());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    return QJsonDocument::fromJson(lines.last()).object();
}

void UpdateWindowTest::fullUpdate() {
    TSimServer sim;
    QFile::remove(recordsFile());
    auto main = createWindows();
    QStringList titles;
    connect(main.get(), &QWidget::windowTitleChanged, this,
            [&titles](const QString& title) { titles << title; });
    typePort(*main, q(sim.slavePath()));

    QString statusWhenShown;
    QString reportWhenShown;
    QJsonObject recordWhenShown;
    TModalClicker clicker({{QStringLiteral("Yes")}, {QStringLiteral("OK")}});
    clicker.onAnswer = [&](QWidget*) {
        statusWhenShown = main->statusText();
        reportWhenShown = frmProtocol->lines().isEmpty() ? QString() : frmProtocol->lines().last();
        recordWhenShown = lastRecord();
    };
    QTest::mouseClick(main->btnProg, Qt::LeftButton);
    QVERIFY(waitFor([&] { return clicker.allAnswered() && idle(*main); }, 60s));
    QCOMPARE(clicker.unexpected(), 0);

    const std::string port = sim.slavePath();
    const std::string done = *statusText(kStatusCompleted, 0, port);
    QCOMPARE(main->ProgressBar1->value(), 100);
    QCOMPARE(main->windowTitle(), QStringLiteral("Tarnwell"));
    QVERIFY(titles.contains(QStringLiteral("50%")));
    QCOMPARE(titles.last(), QStringLiteral("Tarnwell"));
    const std::vector<std::string> report = main->reportTexts();
    QCOMPARE(report.front(), startText(port));
    QCOMPARE(report.back(), done);
    QVERIFY(indexOf(report, *statusText(kStatusProgress, 42, port)) < report.size());
    QCOMPARE(main->statusText(), q(done));
    QCOMPARE(clicker.seen()[1].title, QStringLiteral("Information"));
    QCOMPARE(clicker.seen()[1].text, q(done));
    // Report line, status text, then the message window.
    QCOMPARE(statusWhenShown, q(done));
    QVERIFY(reportWhenShown.endsWith(" -> " + q(done)));
    QCOMPARE(frmProtocol->lines().size(), int(report.size()));
    QCOMPARE(main->beepCount(), 0);
    QVERIFY(sim.restarted());
    QCOMPARE(sim.flashHexRecords(), dataRecords(linesOf(3)));
    // The record of the run, written before the message window waited for the operator.
    QCOMPARE(recordWhenShown.value(QStringLiteral("tool")).toString(), QStringLiteral("sdupdate"));
    QCOMPARE(recordWhenShown.value(QStringLiteral("port")).toString(), q(port));
    const QJsonObject result = recordWhenShown.value(QStringLiteral("result")).toObject();
    QCOMPARE(result.value(QStringLiteral("name")).toString(), QStringLiteral("success"));
    QCOMPARE(recordWhenShown.value(QStringLiteral("image"))
                 .toObject()
                 .value(QStringLiteral("number"))
                 .toInt(),
             3);
}

void UpdateWindowTest::cancelledRun() {
    TSimServer sim;
    TInternalSwitch setting(QStringLiteral("intern=2483"));
    auto main = createWindows();
    typePort(*main, q(sim.slavePath()));
    TModalClicker clicker({{QStringLiteral("OK")}});
    QTest::mouseClick(main->btnProg, Qt::LeftButton); // internal mode: no question
    QTest::mouseClick(main->btnCancel, Qt::LeftButton);
    QVERIFY(waitFor([&] { return clicker.allAnswered() && idle(*main); }, 30s));
    const std::string cancelled = errorText(kErrCancelled, sim.slavePath());
    QCOMPARE(cancelled, std::string("Process cancelled!"));
    QCOMPARE(main->reportTexts().back(), cancelled);
    QCOMPARE(main->statusText(), q(cancelled));
    QCOMPARE(clicker.seen()[0].text, q(cancelled));
    QCOMPARE(main->beepCount(), 1);
    QVERIFY(!sim.restarted());
}

void UpdateWindowTest::fileRun_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("badChecksum");
    QTest::addColumn<bool>("completes"); // else error 43, the one message window

    QTest::newRow("clean") << QStringList{} << false << true;
    QTest::newRow("error 44 restarts") << QStringList{"readback@line:1x5"} << false << true;
    QTest::newRow("status 13 restarts") << QStringList{"silence@ident:1x5"} << false << true;
    QTest::newRow("error 43: message window only") << QStringList{} << true << false;
}

void UpdateWindowTest::fileRun() {
    QFETCH(QStringList, faults);
    QFETCH(bool, badChecksum);
    QFETCH(bool, completes);

    std::vector<std::string> lines = smallImage();
    if (badChecksum) {
        char& last = lines[1].back();
        last = last == '0' ? '1' : static_cast<char>(last - 1);
    }
    QTemporaryDir dir;
    const QString file = writeDescriptionFile(dir, lines);
    TSimServer sim(withFaults(faults));
    TInternalSwitch setting(QStringLiteral("intern=2483"));
    auto main = createWindows({QStringLiteral("f:+")});
    typePort(*main, q(sim.slavePath()));

    TModalClicker clicker({{QString(), file}, {QStringLiteral("OK")}});
    QTest::mouseClick(main->btnFile, Qt::LeftButton); // no question
    QVERIFY(waitFor([&] { return clicker.allAnswered() && idle(*main); }, 60s));
    QCOMPARE(clicker.unexpected(), 0);
    QCOMPARE(gSelectedImage.load(), 0);
    const std::string port = sim.slavePath();
    const std::string done = *statusText(kStatusCompleted, 0, port);
    QCOMPARE(clicker.seen().size(), 2u); // the file dialog and one message window
    QCOMPARE(clicker.seen()[1].text, q(completes ? done : errorText(kErrConversion, port)));

    const std::vector<std::string> report = main->reportTexts();
    const std::string start = startText(port);
    QCOMPARE(report.front(), start);
    if (completes) {
        QCOMPARE(report.back(), done);
        QVERIFY(sim.restarted());
        QCOMPARE(sim.flashHexRecords(), dataRecords(lines));
    }
    const std::string repeat44 = errorText(kErrRepeatProgramming, port);
    const std::string repeat13 = *statusText(kStatusRepeat, 0, port);
    const std::string conversion = errorText(kErrConversion, port);
    if (faults.contains(QStringLiteral("readback@line:1x5"))) {
        // Report and status bar, no message window; the next line starts the new run.
        const std::size_t at = indexOf(report, repeat44);
        QVERIFY(at + 1 < report.size());
        QCOMPARE(report[at + 1], start);
        QCOMPARE(main->beepCount(), 1);
        bool statusShown = false;
        for (const TOutput& o : main->outputs) {
            statusShown = statusShown || (o.kind == 'S' && o.text == repeat44);
        }
        QVERIFY(statusShown);
    } else if (faults.contains(QStringLiteral("silence@ident:1x5"))) {
        // Status text, then report line; about 1.5 s later the new run's start.
        const auto& out = main->outputs;
        auto it = std::find_if(out.begin(), out.end(),
                               [&](const TOutput& o) { return o.text == repeat13; });
        QVERIFY(it != out.end() && out.end() - it >= 3);
        QCOMPARE(it->kind, 'S');
        QCOMPARE((it + 1)->kind, 'R');
        QCOMPARE((it + 1)->text, repeat13);
        QCOMPARE((it + 2)->text, start);
        const auto gap = (it + 2)->at - (it + 1)->at;
        QVERIFY2(gap >= 1400ms && gap < 10s, "the pause before the restart");
        QCOMPARE(main->beepCount(), 0);
    } else if (badChecksum) {
        // The line index came with status 12; error 43 itself adds no line and no status.
        QCOMPARE(report.back(), *statusText(kStatusConversionError, 1, port));
        QCOMPARE(indexOf(report, conversion), report.size());
        for (const TOutput& o : main->outputs) {
            QVERIFY(!(o.kind == 'S' && o.text == conversion));
        }
        QCOMPARE(main->beepCount(), 1);
        QVERIFY(!sim.restarted());
    }
}

void UpdateWindowTest::fileThatCannotBeUsed() {
    QTemporaryDir dir;
    const QString file = writeDescriptionFile(dir, smallImage(), "abc");
    TSimServer sim;
    TInternalSwitch setting(QStringLiteral("intern=2483"));
    auto main = createWindows({QStringLiteral("f:+")});
    typePort(*main, q(sim.slavePath()));
    frmProtocol->Add("a line of the run before");
    TModalClicker clicker({{QString(), file}, {QStringLiteral("OK")}});
    QTest::mouseClick(main->btnFile, Qt::LeftButton);
    QVERIFY(waitFor([&] { return clicker.allAnswered(); }, 10s));
    QCoreApplication::processEvents();
    QCOMPARE(clicker.unexpected(), 0);
    // Nothing starts; the message window names the file and the reason.
    const QString message = clicker.seen()[1].text;
    QCOMPARE(clicker.seen()[1].title, QStringLiteral("Information"));
    QVERIFY2(message.contains(file), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("'abc' ist kein gültiger Integerwert")),
             qPrintable(message));
    QVERIFY(idle(*main));
    QVERIFY(main->reportTexts().empty());
    QVERIFY(frmProtocol->lines().isEmpty()); // the preparation cleared the report
    QCOMPARE(gSelectedImage.load(), -1);
    QVERIFY(gImage0Lines.empty());
    QCOMPARE(TCommThread::liveWorkers(), 0);
    QCOMPARE(sim.counters().frames, 0u);
}

QTEST_MAIN(UpdateWindowTest)
#include "update_window_test.moc"
