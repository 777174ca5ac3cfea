// The USB adapter behind a port, read from a sysfs tree laid out as the kernel lays out an
// FTDI adapter: /sys/class/tty/ttyUSB0 -> .../usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0.
#include "ports/adapter_info.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class AdapterTree {
public:
    AdapterTree() : FRoot(fs::path(::testing::TempDir()) / "adapter-sysfs") {
        fs::remove_all(FRoot);
        fs::create_directories(FRoot / "class" / "tty");
    }
    ~AdapterTree() { fs::remove_all(FRoot); }
    std::string root() const { return FRoot.string(); }

    // A USB device with the given files (an empty value: no such file) and its ttyUSB port.
    void addAdapter(const std::string& tty, const std::string& vendor, const std::string& product,
                    const std::string& serial, const std::string& latency) {
        const fs::path device = FRoot / "devices" / "pci0000:00" / "usb1" / ("1-" + tty);
        const fs::path port = device / ("1-" + tty + ":1.0") / tty;
        fs::create_directories(port / "tty" / tty);
        write(device / "idVendor", vendor);
        write(device / "idProduct", product);
        write(device / "serial", serial);
        write(port / "latency_timer", latency);
        fs::create_symlink("../..", port / "tty" / tty / "device");
        fs::create_symlink(fs::relative(port / "tty" / tty, FRoot / "class" / "tty"),
                           FRoot / "class" / "tty" / tty);
    }

private:
    static void write(const fs::path& file, const std::string& value) {
        if (!value.empty()) {
            std::ofstream(file) << value << "\n";
        }
    }
    fs::path FRoot;
};

TEST(AdapterInfo, IdsSerialAndLatencyFromSysfs) {
    AdapterTree tree;
    tree.addAdapter("ttyUSB0", "0403", "6001", "A12345BC", "16");
    tree.addAdapter("ttyUSB1", "0403", "6015", "", "");
    const auto first = adapterInfo("ttyUSB0", tree.root());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->vendorId, "0403");
    EXPECT_EQ(first->productId, "6001");
    EXPECT_EQ(first->serialNumber, "A12345BC");
    EXPECT_EQ(first->latencyTimerMs, 16u);
    // Named by its device path as well.
    EXPECT_EQ(adapterInfo("/dev/ttyUSB0", tree.root())->serialNumber, "A12345BC");
    // What the system does not tell stays empty.
    const auto second = adapterInfo("ttyUSB1", tree.root());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->productId, "6015");
    EXPECT_EQ(second->serialNumber, "");
    EXPECT_FALSE(second->latencyTimerMs);
    // No such tty: nothing.
    EXPECT_FALSE(adapterInfo("ttyUSB7", tree.root()));
    EXPECT_FALSE(adapterInfo("", tree.root()));
}

} // namespace
