// The port list: the registry map's filter (pure, so it runs everywhere) and, on Linux, the
// ttyUSBn devices of a fake sysfs tree laid out as the kernel does.
#include "ports/port_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TFilterCase {
    const char* label;
    std::vector<TSerialCommValue> values;
    TPortList expected;
};

void PrintTo(const TFilterCase& c, std::ostream* os) {
    *os << c.label;
}

class VcpFilter : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(VcpFilter, KeepsDataOfVcpNamesInRegistryOrder) {
    EXPECT_EQ(filterVcpPorts(GetParam().values), GetParam().expected);
}

const TFilterCase kFilterCases[] = {
    {"TwoPortsInOrder", {{"\\Device\\VCP0", "COM7"}, {"\\Device\\VCP1", "COM8"}}, {"COM7", "COM8"}},
    {"RegistryOrderNotSorted",
     {{"\\Device\\VCP1", "COM8"}, {"\\Device\\VCP0", "COM7"}, {"\\Device\\VCP2", "COM10"}},
     {"COM8", "COM7", "COM10"}},
    {"OtherDriversDropped",
     {{"\\Device\\Serial0", "COM1"},
      {"\\Device\\VCP0", "COM7"},
      {"\\Device\\ProlificSerial0", "COM4"},
      {"\\Device\\Silabser0", "COM5"}},
     {"COM7"}},
    {"PrefixIgnoresCase",
     {{"\\DEVICE\\VCP3", "COM3"}, {"\\device\\vcp4", "COM4"}, {"\\dEvIcE\\vCp5", "COM5"}},
     {"COM3", "COM4", "COM5"}},
    {"PrefixMustBeAtTheStart",
     {{"\\Device\\Foo\\Device\\VCP0", "COM1"},
      {" \\Device\\VCP0", "COM2"},
      {"Device\\VCP0", "COM3"},
      {"/Device/VCP0", "COM4"}},
     {}},
    {"NamesShorterThanPrefix", {{"\\Device\\VC", "COM1"}, {"", "COM2"}}, {}},
    {"BarePrefixKept", {{"\\Device\\VCP", "COM9"}}, {"COM9"}},
    {"DataTakenAsStored", {{"\\Device\\VCP0", "com12"}, {"\\Device\\VCP1", ""}}, {"com12", ""}},
    {"NonStringDataDropped",
     {{"\\Device\\VCP0", std::nullopt}, {"\\Device\\VCP1", "COM8"}},
     {"COM8"}},
    {"NoValues", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(PortList, VcpFilter, ::testing::ValuesIn(kFilterCases),
                         [](const auto& param) { return std::string(param.param.label); });

} // namespace

#ifndef _WIN32

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A sysfs tree in a temporary directory: /class/tty/<name> links into /devices, the tty's
// "device" links to its USB serial port, whose "driver" links into /bus/usb-serial/drivers.
class FakeSysfs {
public:
    FakeSysfs() {
        const std::string pattern = (fs::temp_directory_path() / "sysfs-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        FRoot = buffer.data();
        fs::create_directories(FRoot / "class" / "tty");
    }
    ~FakeSysfs() {
        std::error_code ec;
        fs::remove_all(FRoot, ec);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string root() const { return FRoot.string(); }

    // A tty with the given driver; an empty driver gives no driver link, "-dangling" a link to
    // a driver that does not exist.
    void addTty(const std::string& name, const std::string& driver) {
        const fs::path port = FRoot / "devices" / "usb1" / ("port-" + name);
        const fs::path tty = port / "tty" / name;
        fs::create_directories(tty);
        fs::create_symlink("../..", tty / "device");
        fs::create_symlink(fs::path("../../devices/usb1") / ("port-" + name) / "tty" / name,
                           FRoot / "class" / "tty" / name);
        if (driver.empty()) {
            return;
        }
        const fs::path drivers = FRoot / "bus" / "usb-serial" / "drivers";
        if (driver != "-dangling") {
            fs::create_directories(drivers / driver);
        }
        fs::create_symlink(fs::path("../../../bus/usb-serial/drivers") / driver, port / "driver");
    }

private:
    fs::path FRoot;
};

struct TTreeCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> ttys; // name, driver, in creation order
    TPortList expected;
};

void PrintTo(const TTreeCase& c, std::ostream* os) {
    *os << c.label;
}

class SysfsPorts : public ::testing::TestWithParam<TTreeCase> {};

TEST_P(SysfsPorts, ListsFtdiTtyUsbByIndex) {
    FakeSysfs sysfs;
    for (const auto& [name, driver] : GetParam().ttys) {
        sysfs.addTty(name, driver);
    }
    EXPECT_EQ(getSerialPorts(sysfs.root()), GetParam().expected);
}

const TTreeCase kTreeCases[] = {
    {"FtdiKeptOtherDriversDropped",
     {{"ttyUSB0", "ftdi_sio"},
      {"ttyUSB1", "cp210x"},
      {"ttyUSB2", "ftdi_sio"},
      {"ttyUSB3", "pl2303"}},
     {"ttyUSB0", "ttyUSB2"}},
    {"DriverNameMustMatchExactly",
     {{"ttyUSB0", "FTDI_SIO"}, {"ttyUSB1", "ftdi_sio_old"}, {"ttyUSB2", "ftdi"}},
     {}},
    {"MissingDriverLinkDropped", {{"ttyUSB0", ""}, {"ttyUSB1", "ftdi_sio"}}, {"ttyUSB1"}},
    {"DanglingDriverLinkDropped", {{"ttyUSB0", "-dangling"}, {"ttyUSB1", "ftdi_sio"}}, {"ttyUSB1"}},
    {"NumericOrderOfIndex",
     {{"ttyUSB10", "ftdi_sio"},
      {"ttyUSB2", "ftdi_sio"},
      {"ttyUSB1", "ftdi_sio"},
      {"ttyUSB0", "ftdi_sio"}},
     {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB10"}},
    {"OtherNamesIgnored",
     {{"ttyS0", "ftdi_sio"},
      {"ttyACM0", "ftdi_sio"},
      {"ttyUSB", "ftdi_sio"},
      {"ttyUSBx", "ftdi_sio"},
      {"ttyUSB1a", "ftdi_sio"},
      {"ttyUSB01", "ftdi_sio"},
      {"ttyUSB99999999999999999999999", "ftdi_sio"},
      {"xttyUSB3", "ftdi_sio"},
      {"ttyUSB4", "ftdi_sio"}},
     {"ttyUSB4"}},
    {"NoTtys", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(PortList, SysfsPorts, ::testing::ValuesIn(kTreeCases),
                         [](const auto& param) { return std::string(param.param.label); });

TEST(SysfsPortsRoot, UnreadableRootGivesEmptyList) {
    FakeSysfs sysfs;
    EXPECT_TRUE(getSerialPorts(sysfs.root() + "/missing").empty());
    fs::remove_all(fs::path(sysfs.root()) / "class");
    EXPECT_TRUE(getSerialPorts(sysfs.root()).empty());
}

TEST(SysfsPortsRoot, DefaultFormReadsSys) {
    EXPECT_EQ(getSerialPorts(), getSerialPorts("/sys"));
}

} // namespace

#endif
