// The port list read from the registry's serial-port map, HKLM\HARDWARE\DEVICEMAP\SERIALCOMM,
// with HKEY_LOCAL_MACHINE redirected to a scratch key. The values of each case are written in
// the order of their names: wine enumerates values by name, Windows in the order of creation,
// so both give the same registry order here.
#include "ports/port_list.h"
#include "support/scratch_registry_win32.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kSerialCommKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

struct TMapValue {
    const wchar_t* name;
    std::optional<std::wstring> port; // no port: a REG_DWORD instead of a string
};

struct TMapCase {
    const char* label;
    bool keyExists;
    std::vector<TMapValue> values;
    TPortList expected;
};

void PrintTo(const TMapCase& c, std::ostream* os) {
    *os << c.label;
}

class SerialCommMap : public ::testing::TestWithParam<TMapCase> {};

TEST_P(SerialCommMap, ListsTheVcpPortsInRegistryOrder) {
    const TMapCase& c = GetParam();
    const TScratchRegistry hklm(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(hklm.ready());
    if (c.keyExists) {
        hklm.createKey(kSerialCommKey);
    }
    for (const TMapValue& v : c.values) {
        if (v.port) {
            hklm.setString(kSerialCommKey, v.name, *v.port);
        } else {
            hklm.setDword(kSerialCommKey, v.name, 7);
        }
    }
    EXPECT_EQ(getSerialPorts(), c.expected);
}

const TMapCase kMapCases[] = {
    {"no key", false, {}, {}},
    {"key without values", true, {}, {}},
    {"two vcp ports",
     true,
     {{L"\\Device\\VCP0", L"COM7"}, {L"\\Device\\VCP1", L"COM8"}},
     {"COM7", "COM8"}},
    {"other drivers left out",
     true,
     {{L"\\Device\\Serial0", L"COM1"},
      {L"\\Device\\Silabser0", L"COM5"},
      {L"\\Device\\VCP0", L"COM12"},
      {L"\\Device\\VCP1", L"COM3"}},
     {"COM12", "COM3"}},
    {"prefix in any case",
     true,
     {{L"\\device\\vcp2", L"COM9"}, {L"\\DEVICE\\VCP3", L"COM4"}},
     {"COM9", "COM4"}},
    {"prefix not at the start",
     true,
     {{L"\\Device\\USBSER\\Device\\VCP0", L"COM6"}, {L"\\Device\\VCP5", L"COM2"}},
     {"COM2"}},
    {"value without string data", true, {{L"\\Device\\VCP0", std::nullopt}}, {}},
    {"port number above 9", true, {{L"\\Device\\VCP0", L"COM256"}}, {"COM256"}},
};

INSTANTIATE_TEST_SUITE_P(Registry, SerialCommMap, ::testing::ValuesIn(kMapCases));

} // namespace
