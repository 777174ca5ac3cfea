// The port field filled from the machine's own ports on Windows: the registry's serial-port map
// (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, here under a scratch HKEY_LOCAL_MACHINE of this process),
// refilled when a real WM_DEVICECHANGE arrives from another process (sdu-wintool).
#include "ui_test_support.h"

#include "ports/port_list.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QTest>

// After the window's headers: <windows.h> makes WM_USER a macro.
#include "support/scratch_registry_win32.h"

using namespace std::chrono_literals;

namespace {

const wchar_t* const kSerialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

QStringList entriesOf(const TfrmMain& main) {
    QStringList list;
    for (int i = 0; i < main.cbxPort->count(); ++i) {
        list << main.cbxPort->itemText(i);
    }
    return list;
}

// Runs the helper that sends the message, handling this thread's messages meanwhile: the
// helper's SendMessage waits until the window has handled it.
bool sendDeviceChange(const QStringList& args) {
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/sdu-wintool.exe"),
                 QStringList{QStringLiteral("device-change")} + args);
    if (!helper.waitForStarted(10000)) {
        return false;
    }
    const bool ended = waitFor([&] { return helper.state() == QProcess::NotRunning; }, 30s);
    QCoreApplication::processEvents();
    return ended && helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0;
}

} // namespace

class PortFieldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }

    void portsFromTheRegistry();
};

void PortFieldTest::portsFromTheRegistry() {
    const TScratchRegistry machine(HKEY_LOCAL_MACHINE);
    QVERIFY(machine.ready());
    machine.setString(kSerialComm, L"\\Device\\VCP0", L"COM7");
    machine.setString(kSerialComm, L"\\Device\\Serial0", L"COM1"); // another driver's port
    TfrmMain::setPortSource([] { return getSerialPorts(); });
    auto main = createWindows();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    QCOMPARE(entriesOf(*main), QStringList{QStringLiteral("COM7")});
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("COM7"));

    // A device of another type: the list is not refilled.
    machine.setString(kSerialComm, L"\\Device\\VCP1", L"COM8");
    QVERIFY(sendDeviceChange({QStringLiteral("volume")}));
    QCOMPARE(entriesOf(*main), QStringList{QStringLiteral("COM7")});
    QVERIFY(!main->cbxPort->view()->isVisible());

    // The port arrives: refilled and dropped down, the field as it was.
    QVERIFY(sendDeviceChange({QStringLiteral("arrival"), QStringLiteral("COM8")}));
    QCOMPARE(entriesOf(*main), (QStringList{QStringLiteral("COM7"), QStringLiteral("COM8")}));
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("COM7"));
    QVERIFY(waitFor([&] { return main->cbxPort->view()->isVisible(); }, 5s));
    main->cbxPort->hidePopup();

    // The port in the field is removed: gone from the list, still in the field.
    machine.deleteValue(kSerialComm, L"\\Device\\VCP0");
    QVERIFY(sendDeviceChange({QStringLiteral("removal"), QStringLiteral("COM7")}));
    QCOMPARE(entriesOf(*main), QStringList{QStringLiteral("COM8")});
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("COM7"));
    main->cbxPort->hidePopup();
}

QTEST_MAIN(PortFieldTest)
#include "port_field_win32_test.moc"
