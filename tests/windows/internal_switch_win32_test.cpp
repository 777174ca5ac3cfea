// The switch of internal mode as the Windows programs read it: the registry value
// HKCU\Software\Quorvane\Zel\intern, on only for a REG_DWORD of 2483.
#include "internal_mode/internal_switch.h"
#include "support/scratch_registry_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

namespace {

constexpr const wchar_t* kZelKey = L"Software\\Quorvane\\Zel";

struct TValue {
    DWORD type;
    std::vector<std::uint8_t> data;
};

struct TSwitchCase {
    const char* label;
    bool keyExists;
    const wchar_t* valueName;
    std::optional<TValue> value;
    bool expected;
};

void PrintTo(const TSwitchCase& c, std::ostream* os) {
    *os << c.label;
}

std::vector<std::uint8_t> qwordBytes(std::uint64_t v) {
    auto low = dwordBytes(DWORD(v));
    const auto high = dwordBytes(DWORD(v >> 32));
    low.insert(low.end(), high.begin(), high.end());
    return low;
}

class InternalSwitchWin32 : public ::testing::TestWithParam<TSwitchCase> {};

TEST_P(InternalSwitchWin32, OnlyADwordOf2483SwitchesItOn) {
    const TSwitchCase& c = GetParam();
    const TScratchRegistry hkcu(HKEY_CURRENT_USER);
    ASSERT_TRUE(hkcu.ready());
    if (c.keyExists) {
        hkcu.createKey(kZelKey);
    }
    if (c.value) {
        hkcu.setValue(kZelKey, c.valueName, c.value->type, c.value->data);
    }
    EXPECT_EQ(readInternalSwitch(), c.expected);
}

const TSwitchCase kSwitchCases[] = {
    {"no key", false, L"intern", std::nullopt, false},
    {"key without the value", true, L"intern", std::nullopt, false},
    {"dword 2483", true, L"intern", TValue{REG_DWORD, dwordBytes(2483)}, true},
    {"value name in other case", true, L"INTERN", TValue{REG_DWORD, dwordBytes(2483)}, true},
    {"dword 2482", true, L"intern", TValue{REG_DWORD, dwordBytes(2482)}, false},
    {"dword 0", true, L"intern", TValue{REG_DWORD, dwordBytes(0)}, false},
    {"qword 2483", true, L"intern", TValue{REG_QWORD, qwordBytes(2483)}, false},
    {"text 2483", true, L"intern", TValue{REG_SZ, wideTextBytes(L"2483")}, false},
    {"binary of a dword 2483", true, L"intern", TValue{REG_BINARY, dwordBytes(2483)}, false},
    {"big-endian dword 2483", true, L"intern",
     TValue{REG_DWORD_BIG_ENDIAN, {0x00, 0x00, 0x09, 0xB3}}, false},
    {"dword 2483 under another name", true, L"internal", TValue{REG_DWORD, dwordBytes(2483)},
     false},
};

INSTANTIATE_TEST_SUITE_P(Registry, InternalSwitchWin32, ::testing::ValuesIn(kSwitchCases));

} // namespace
