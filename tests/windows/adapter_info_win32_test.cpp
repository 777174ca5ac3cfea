// The FTDI adapter behind a COM port, from the driver's device keys under
// HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS, with HKEY_LOCAL_MACHINE redirected to a scratch key.
#include "ports/adapter_info.h"
#include "support/scratch_registry_win32.h"

#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* kFirst =
    L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6001+A12345BCA\\0000\\Device "
    L"Parameters";
constexpr const wchar_t* kSecond =
    L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\VID_0403+PID_6015+DN0XYZA\\0000\\Device "
    L"Parameters";

TEST(AdapterInfoWin32, IdsSerialAndLatencyOfThePortsDevice) {
    const TScratchRegistry hklm(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(hklm.ready());
    hklm.setString(kFirst, L"PortName", L"COM7");
    hklm.setDword(kFirst, L"LatencyTimer", 16);
    hklm.setString(kSecond, L"PortName", L"COM12");

    const auto first = adapterInfo("COM7");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->vendorId, "0403");
    EXPECT_EQ(first->productId, "6001");
    EXPECT_EQ(first->serialNumber, "A12345BC"); // without the channel letter
    EXPECT_EQ(first->latencyTimerMs, 16u);
    EXPECT_EQ(adapterInfo("com7")->serialNumber, "A12345BC"); // port names ignore case

    const auto second = adapterInfo("COM12");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->productId, "6015");
    EXPECT_FALSE(second->latencyTimerMs);

    EXPECT_FALSE(adapterInfo("COM1")); // no FTDI device
    EXPECT_FALSE(adapterInfo("COM"));  // a prefix is not a name
}

TEST(AdapterInfoWin32, NoFtdiDriverNoAdapter) {
    const TScratchRegistry hklm(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(hklm.ready());
    EXPECT_FALSE(adapterInfo("COM7"));
}

} // namespace
