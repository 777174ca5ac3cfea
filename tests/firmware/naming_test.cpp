#include "firmware/device_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>

namespace {

std::set<unsigned> range(unsigned first, unsigned last, std::set<unsigned> keys = {}) {
    for (unsigned k = first; k <= last; ++k) {
        keys.insert(k);
    }
    return keys;
}

std::set<unsigned> classKeys() {
    std::set<unsigned> keys = range(26113, 26159, {26000, 51200, 51201, 51202});
    keys.erase(26125);
    return keys;
}

struct TableCase {
    const char* name;
    std::function<std::string(std::uint16_t)> lookup;
    std::set<unsigned> keys;
};

class NamingTable : public testing::TestWithParam<TableCase> {};

TEST_P(NamingTable, ExactlyTheKeysOfTheTableHaveNames) {
    const TableCase& c = GetParam();
    for (unsigned key = 0; key <= 0xFFFF; ++key) {
        const std::string name = c.lookup(static_cast<std::uint16_t>(key));
        EXPECT_FALSE(name.empty()) << key;
        EXPECT_EQ(name != "?", c.keys.count(key) == 1) << key << ": " << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, NamingTable,
    testing::Values(TableCase{"Class", [](std::uint16_t k) { return getClassName(k, 0xFFFF); },
                              classKeys()},
                    TableCase{"ClassWithRadioPrint",
                              [](std::uint16_t k) { return getClassName(k, 55); }, classKeys()},
                    TableCase{"Platform", getPlatformName, range(0, 28, {65534})},
                    TableCase{"Print", getPrintName, range(43, 57, range(0, 40))}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(NamingTable, KeySetSizes) {
    EXPECT_EQ(classKeys().size(), 50u);
    EXPECT_EQ(range(0, 28, {65534}).size(), 30u);
    EXPECT_EQ(range(43, 57, range(0, 40)).size(), 56u);
}

TEST(ClassName, FixedNames) {
    EXPECT_EQ(getClassName(26000, 0xFFFF), "Prototype");
    EXPECT_EQ(getClassName(51200, 0xFFFF), "BL");
    EXPECT_EQ(getClassName(51201, 0xFFFF), "BL2");
    EXPECT_EQ(getClassName(51202, 3), "BL3");
}

// Classes 26135 and 26145 have a WLAN name, a BLE name and a name for every other print.
TEST(ClassName, RadioClassesDependOnThePrint) {
    struct Case {
        std::uint16_t zelClass;
        std::set<std::uint16_t> wlan, ble;
    };
    for (const Case& c :
         {Case{26135, {38, 47, 55}, {39, 48, 56}}, Case{26145, {38, 47}, {39, 48}}}) {
        const std::string other = getClassName(c.zelClass, 0xFFFF);
        const std::string wlan = getClassName(c.zelClass, *c.wlan.begin());
        const std::string ble = getClassName(c.zelClass, *c.ble.begin());
        EXPECT_EQ(std::set<std::string>({other, wlan, ble}).size(), 3u) << c.zelClass;
        for (unsigned print = 0; print <= 0xFFFF; ++print) {
            const auto p = static_cast<std::uint16_t>(print);
            const std::string& want = c.wlan.count(p) ? wlan : c.ble.count(p) ? ble : other;
            ASSERT_EQ(getClassName(c.zelClass, p), want) << c.zelClass << " print " << print;
        }
    }
}

TEST(ClassName, OtherClassesIgnoreThePrint) {
    for (unsigned key : classKeys()) {
        if (key == 26135 || key == 26145) {
            continue;
        }
        const auto k = static_cast<std::uint16_t>(key);
        for (const int print : {0, 38, 39, 47, 48, 55, 56}) {
            EXPECT_EQ(getClassName(k, static_cast<std::uint16_t>(print)), getClassName(k, 0xFFFF))
                << key << " " << print;
        }
    }
    EXPECT_EQ(getClassName(26125, 38), "?");
    EXPECT_EQ(getClassName(0, 55), "?");
}

TEST(Checks, GiveTheKeyWhenNamedElseFFFF) {
    for (unsigned key = 0; key <= 0xFFFF; ++key) {
        const auto k = static_cast<std::uint16_t>(key);
        ASSERT_EQ(checkPlatform(k), getPlatformName(k) != "?" ? k : 0xFFFF) << key;
        ASSERT_EQ(checkPrint(k), getPrintName(k) != "?" ? k : 0xFFFF) << key;
    }
    EXPECT_EQ(checkPlatform(28), 28);
    EXPECT_EQ(checkPlatform(65534), 65534);
    EXPECT_EQ(checkPlatform(29), 0xFFFF);
    EXPECT_EQ(checkPrint(57), 57);
    EXPECT_EQ(checkPrint(41), 0xFFFF);
    EXPECT_EQ(checkPrint(58), 0xFFFF);
}

TEST(Checks, NumbersOfTheBuiltInImagesAreKnown) {
    for (std::uint16_t platform : {std::uint16_t{3}, std::uint16_t{11}, std::uint16_t{25}}) {
        EXPECT_EQ(checkPlatform(platform), platform);
    }
    for (std::uint16_t print : {std::uint16_t{3}, std::uint16_t{17}, std::uint16_t{52}}) {
        EXPECT_EQ(checkPrint(print), print);
    }
    EXPECT_NE(getClassName(26122, 0xFFFF), "?");
}

} // namespace
