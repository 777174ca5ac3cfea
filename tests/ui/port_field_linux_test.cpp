// The port field filled from the machine's own ports on Linux: the ttyUSBn devices of the
// ftdi_sio driver in a fake sysfs tree, refilled on a device change.
#include "ui_test_support.h"

#include "ports/port_list.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

namespace {

// A tty of the fake sysfs tree, its device bound to `driver` (none: no driver link).
void addTty(const std::filesystem::path& root, const std::string& name, const std::string& driver) {
    namespace fs = std::filesystem;
    const fs::path device = root / "devices" / name;
    fs::create_directories(device);
    if (!driver.empty()) {
        const fs::path drivers = root / "bus" / "usb-serial" / "drivers" / driver;
        fs::create_directories(drivers);
        fs::create_directory_symlink(drivers, device / "driver");
    }
    fs::create_directories(root / "class" / "tty" / name);
    fs::create_directory_symlink(device, root / "class" / "tty" / name / "device");
}

} // namespace

class PortFieldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }

    void portsFromSysfs();
};

void PortFieldTest::portsFromSysfs() {
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    addTty(root, "ttyUSB10", "ftdi_sio");
    addTty(root, "ttyUSB2", "ftdi_sio");
    addTty(root, "ttyUSB1", "pl2303");
    addTty(root, "ttyS0", "serial8250");
    addTty(root, "ttyACM0", "cdc_acm");
    TfrmMain::setPortSource([root] { return getSerialPorts(root.string()); });
    auto main = createWindows();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    const auto entries = [&] {
        QStringList list;
        for (int i = 0; i < main->cbxPort->count(); ++i) {
            list << main->cbxPort->itemText(i);
        }
        return list;
    };
    QCOMPARE(entries(), (QStringList{"ttyUSB2", "ttyUSB10"}));
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("ttyUSB2"));

    addTty(root, "ttyUSB3", "ftdi_sio"); // plugged in
    main->WMDeviceChange(true);
    QCOMPARE(entries(), (QStringList{"ttyUSB2", "ttyUSB3", "ttyUSB10"}));
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("ttyUSB2"));
    QVERIFY(main->cbxPort->view()->isVisible());
    main->cbxPort->hidePopup();

    std::filesystem::remove_all(root / "class" / "tty" / "ttyUSB2"); // pulled out
    main->WMDeviceChange(true);
    QCOMPARE(entries(), (QStringList{"ttyUSB3", "ttyUSB10"}));
    QCOMPARE(main->cbxPort->currentText(), QStringLiteral("ttyUSB2")); // the field keeps it
    main->cbxPort->hidePopup();
}

QTEST_MAIN(PortFieldTest)
#include "port_field_linux_test.moc"
