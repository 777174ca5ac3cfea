// The rules of WMDeviceChange: which events count, and what the port selector becomes.
#include "ports/device_change.h"
#include "ports/port_monitor.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

namespace {

struct TMessageCase {
    const char* label;
    std::uintptr_t wParam;
    std::uint32_t deviceType;
    bool expected;
};

void PrintTo(const TMessageCase& c, std::ostream* os) {
    *os << c.label;
}

class PortMessage : public ::testing::TestWithParam<TMessageCase> {};

TEST_P(PortMessage, TellsPortArrivalAndRemoval) {
    const TDevBroadcastHdr header{sizeof(TDevBroadcastHdr), GetParam().deviceType, 0};
    EXPECT_EQ(isPortDeviceChange(GetParam().wParam, reinterpret_cast<std::intptr_t>(&header)),
              GetParam().expected);
}

const TMessageCase kMessageCases[] = {
    {"ArrivalOfPort", 0x8000, 3, true},        {"RemoveCompleteOfPort", 0x8004, 3, true},
    {"ArrivalOfVolume", 0x8000, 2, false},     {"ArrivalOfInterface", 0x8000, 5, false},
    {"RemovalOfHandle", 0x8004, 6, false},     {"QueryRemoveOfPort", 0x8001, 3, false},
    {"RemovePendingOfPort", 0x8003, 3, false}, {"DevNodesChanged", 0x0007, 3, false},
};

INSTANTIATE_TEST_SUITE_P(DeviceChange, PortMessage, ::testing::ValuesIn(kMessageCases),
                         [](const auto& param) { return std::string(param.param.label); });

TEST(PortMessageHeader, OnlyArrivalAndRemovalLookAtLParam) {
    // An lParam that is no pointer at all: reading it would crash.
    for (std::uintptr_t code : {0x0007u, 0x0018u, 0x8001u, 0x8002u, 0x8003u, 0x8006u, 0xFFFFu}) {
        EXPECT_FALSE(isPortDeviceChange(code, 1)) << code;
    }
    EXPECT_FALSE(isPortDeviceChange(kDbtDeviceArrival, 0));
    EXPECT_FALSE(isPortDeviceChange(kDbtDeviceRemoveComplete, 0));
}

TEST(UdevAction, OnlyAddAndRemoveAreArrivalAndRemoval) {
    const struct {
        const char* action;
        TPortAction expected;
    } cases[] = {
        {"add", TPortAction::Arrival},  {"remove", TPortAction::Removal},
        {"change", TPortAction::Other}, {"bind", TPortAction::Other},
        {"unbind", TPortAction::Other}, {"move", TPortAction::Other},
        {"Add", TPortAction::Other},    {"", TPortAction::Other},
    };
    for (const auto& c : cases) {
        const TPortAction action = portActionFromUdev(c.action);
        EXPECT_EQ(action, c.expected) << c.action;
        EXPECT_EQ(isPortDeviceChange(TPortEvent{action, "ttyUSB0"}),
                  c.expected != TPortAction::Other)
            << c.action;
    }
}

TEST(StartupFill, SelectsFirstPortOrNothing) {
    const TPortSelector filled = startupPortSelector({"COM7", "COM8"});
    EXPECT_EQ(filled.entries, (TPortList{"COM7", "COM8"}));
    EXPECT_EQ(filled.itemIndex, 0);
    EXPECT_EQ(filled.text, "COM7");

    const TPortSelector empty = startupPortSelector({});
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.itemIndex, -1);
    EXPECT_EQ(empty.text, "");
}

struct TChangeCase {
    const char* label;
    bool isPortChange;
    bool applicationActive;
    bool enabled;
    bool droppedDown;
    // expected
    bool refilled;
    bool closeDropDown;
    bool openDropDown;
};

void PrintTo(const TChangeCase& c, std::ostream* os) {
    *os << c.label;
}

class DeviceChangeSteps : public ::testing::TestWithParam<TChangeCase> {};

TEST_P(DeviceChangeSteps, RefillsAlwaysDropsDownOnlyWhenActiveAndIdle) {
    const TChangeCase& c = GetParam();
    TPortSelector current;
    current.entries = {"COM3", "COM4"};
    current.text = "COM3";
    current.itemIndex = 0;
    current.enabled = c.enabled;
    current.droppedDown = c.droppedDown;
    int reads = 0;
    const TDeviceChangeOutcome outcome =
        applyDeviceChange(c.isPortChange, c.applicationActive, current, [&reads] {
            ++reads;
            return TPortList{"COM4", "COM9"};
        });

    EXPECT_EQ(outcome.refilled, c.refilled);
    EXPECT_EQ(reads, c.refilled ? 1 : 0);
    EXPECT_EQ(outcome.closeDropDown, c.closeDropDown);
    EXPECT_EQ(outcome.openDropDown, c.openDropDown);
    EXPECT_EQ(outcome.repaint, c.openDropDown);
    EXPECT_EQ(outcome.selector.droppedDown, c.openDropDown || c.droppedDown);
    EXPECT_EQ(outcome.selector.enabled, c.enabled);
    // The field keeps its text, even though COM3 has gone; the refill selects nothing.
    EXPECT_EQ(outcome.selector.text, "COM3");
    if (c.refilled) {
        EXPECT_EQ(outcome.selector.entries, (TPortList{"COM4", "COM9"}));
        EXPECT_EQ(outcome.selector.itemIndex, -1);
    } else {
        EXPECT_EQ(outcome.selector.entries, current.entries);
        EXPECT_EQ(outcome.selector.itemIndex, 0);
    }
}

// clang-format off
const TChangeCase kChangeCases[] = {
    // label                    port   active enabled open   | refill close  open
    {"NotAPortChange",          false, true,  true,   false,   false, false, false},
    {"NotAPortChangeWhileOpen", false, true,  true,   true,    false, false, false},
    {"ActiveAndIdle",           true,  true,  true,   false,   true,  false, true},
    {"ActiveIdleListOpen",      true,  true,  true,   true,    true,  true,  true},
    {"OtherProgramActive",      true,  false, true,   false,   true,  false, false},
    {"OtherProgramActiveOpen",  true,  false, true,   true,    true,  false, false},
    {"RunActive",               true,  true,  false,  false,   true,  false, false},
    {"RunActiveOtherProgram",   true,  false, false,  false,   true,  false, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(DeviceChange, DeviceChangeSteps, ::testing::ValuesIn(kChangeCases),
                         [](const auto& param) { return std::string(param.param.label); });

TEST(DeviceChangeRefill, KeepsTypedTextAndSurvivesAFailingList) {
    TPortSelector current;
    current.entries = {"COM3"};
    current.text = "COM%1 typed";
    current.itemIndex = -1;

    const TDeviceChangeOutcome failed = applyDeviceChange(
        true, true, current, []() -> TPortList { throw std::runtime_error("no map"); });
    EXPECT_TRUE(failed.refilled);
    EXPECT_TRUE(failed.selector.entries.empty());
    EXPECT_EQ(failed.selector.text, "COM%1 typed");
    EXPECT_TRUE(failed.openDropDown);

    const TDeviceChangeOutcome noSource = applyDeviceChange(true, true, current, nullptr);
    EXPECT_TRUE(noSource.selector.entries.empty());
    EXPECT_EQ(noSource.selector.text, "COM%1 typed");
}

#ifndef _WIN32
TEST(PortMonitor, NeverBlocksAndDrains) {
    TPortMonitor monitor;
    if (!monitor.isOpen()) {
        EXPECT_EQ(monitor.fd(), -1);
        EXPECT_FALSE(monitor.readEvent().has_value());
        GTEST_SKIP() << "no udev netlink socket here";
    }
    EXPECT_GE(monitor.fd(), 0);
    // With no device plugged in meanwhile, the queue is empty at once; a blocking read would
    // hang here instead of returning nothing.
    int events = 0;
    while (monitor.readEvent().has_value() && events < 1000) {
        ++events;
    }
    EXPECT_LT(events, 1000);
}
#endif

} // namespace
