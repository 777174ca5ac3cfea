#include "firmware/device_names.h"

#include <array>

// The naming tables. Every entry is constant data, so a worker that still runs while the
// process ends can look names up safely. No entry is "?": that text marks a missing one.

namespace {

constexpr const char* kUnknown = "?";

constexpr std::uint16_t kFirstDevice = 26113; // 0x6601
constexpr std::array<const char*, 47> kDeviceNames{
    "TL-10 logger",          // 26113
    "TL-12 logger",          // 26114
    "TL-20 logger",          // 26115
    "TL-20 P logger",        // 26116
    "TL-30 logger",          // 26117
    "TL-30 Ex logger",       // 26118
    "DU-1 display unit",     // 26119
    "RB-4 relay box",        // 26120
    "IB-2 interface box",    // 26121
    "SD card module",        // 26122, the update class
    "RM-1 radio module",     // 26123
    "SH-8 sensor hub",       // 26124
    nullptr,                 // 26125: no entry
    "TL-40 logger",          // 26126
    "TL-40 Ex logger",       // 26127
    "TL-42 logger",          // 26128
    "TL-44 logger",          // 26129
    "GW-1 gateway",          // 26130
    "GW-2 gateway",          // 26131
    "AM-3 analog module",    // 26132
    "DM-3 digital module",   // 26133
    "PM-1 power module",     // 26134
    nullptr,                 // 26135: chosen by the print
    "TL-52 logger",          // 26136
    "TL-54 logger",          // 26137
    "TL-54 Ex logger",       // 26138
    "CM-2 counter module",   // 26139
    "TM-4 temperature unit", // 26140
    "HM-2 humidity unit",    // 26141
    "PR-1 pressure unit",    // 26142
    "FL-1 flow unit",        // 26143
    "LV-1 level unit",       // 26144
    nullptr,                 // 26145: chosen by the print
    "TL-62 logger",          // 26146
    "TL-64 logger",          // 26147
    "RP-1 repeater",         // 26148
    "RP-2 repeater",         // 26149
    "KB-1 keypad unit",      // 26150
    "TL-70 logger",          // 26151, whatever the print
    "TL-72 logger",          // 26152
    "TL-74 logger",          // 26153
    "TL-74 Ex logger",       // 26154
    "GW-3 gateway",          // 26155
    "AM-5 analog module",    // 26156
    "DM-5 digital module",   // 26157
    "SC-1 service case",     // 26158
    "TL-80 logger",          // 26159
};

constexpr std::uint16_t kBootLoaderBase = 51200; // 0xC800
constexpr std::array<const char*, 3> kBootLoaderNames{"BL", "BL2", "BL3"};

// Boards with a radio: WLAN on 38, 47, 55 and BLE on 39, 48, 56.
const char* className26135(std::uint16_t print) {
    switch (print) {
    case 38:
    case 47:
    case 55:
        return "TL-50 WLAN logger";
    case 39:
    case 48:
    case 56:
        return "TL-50 BLE logger";
    default:
        return "TL-50 logger";
    }
}

// This class has no radio variant on the prints 55 and 56.
const char* className26145(std::uint16_t print) {
    switch (print) {
    case 38:
    case 47:
        return "TL-60 WLAN logger";
    case 39:
    case 48:
        return "TL-60 BLE logger";
    default:
        return "TL-60 logger";
    }
}

constexpr std::array<const char*, 29> kPlatformNames{
    "M8-A",        // 0
    "M8-B",        // 1
    "M8-C",        // 2
    "M16-A",       // 3
    "M16-B",       // 4
    "M16-C",       // 5
    "M16-D",       // 6
    "M16L-A",      // 7
    "M16L-B",      // 8
    "M32-A",       // 9
    "M32-B",       // 10
    "M32-C",       // 11
    "M32-D",       // 12
    "M32L-A",      // 13
    "M32L-B",      // 14
    "M32F-A",      // 15
    "M32F-B",      // 16
    "M32F-C",      // 17
    "RX-W1 radio", // 18
    "RX-W2 radio", // 19
    "RX-B1 radio", // 20
    "RX-B2 radio", // 21
    "M32F-D",      // 22
    "M32H-A",      // 23
    "M32H-B",      // 24
    "M32H-C",      // 25
    "M32H-D",      // 26
    "M32H-E",      // 27
    "M32H-F",      // 28
};
constexpr std::uint16_t kPlatformRadioKey = 65534; // 0xFFFE
constexpr const char* kPlatformRadioName = "RX radio module";

constexpr std::array<const char*, 58> kPrintNames{
    "P100",            // 0
    "P101",            // 1
    "P102",            // 2
    "P103",            // 3
    "P103A",           // 4
    "P104",            // 5
    "P105",            // 6
    "P105B",           // 7
    "P106",            // 8
    "P107",            // 9
    "P108",            // 10
    "P110 TL-20",      // 11
    "P111 TL-20",      // 12
    "P112",            // 13
    "P113",            // 14
    "P114 TL-30",      // 15
    "P115",            // 16
    "P116",            // 17
    "P117",            // 18
    "P118A",           // 19
    "P119",            // 20
    "P120 TL-40",      // 21
    "P121",            // 22
    "P122",            // 23
    "P123C",           // 24
    "P124",            // 25
    "P125",            // 26
    "P126",            // 27
    "P127 RX-W1 UART", // 28
    "P128 RX-B1 UART", // 29
    "P129",            // 30
    "P130",            // 31
    "P131A",           // 32
    "P132",            // 33
    "P133",            // 34
    "P134 TL-44",      // 35
    "P135",            // 36
    "P136",            // 37
    "P140 RX-W2 SPI",  // 38
    "P141 RX-B2 SPI",  // 39
    "P142",            // 40
    nullptr,           // 41: no entry
    nullptr,           // 42: no entry
    "P150",            // 43
    "P151",            // 44
    "P152 TL-52",      // 45
    "P153",            // 46
    "P154 RX-W2 SPI",  // 47
    "P155 RX-B2 SPI",  // 48
    "P156",            // 49
    "P157",            // 50
    "P158A",           // 51
    "P160",            // 52
    "P161",            // 53
    "P162 TL-70",      // 54
    "P170 RX-W2 UART", // 55
    "P171 RX-B2 UART", // 56
    "P172",            // 57
};

std::string nameOrUnknown(const char* name) {
    return name != nullptr ? name : kUnknown;
}

} // namespace

std::string getClassName(std::uint16_t zelClass, std::uint16_t print) {
    if (zelClass == 26000) {
        return "Prototype";
    }
    if (zelClass == 26135) {
        return className26135(print);
    }
    if (zelClass == 26145) {
        return className26145(print);
    }
    if (zelClass >= kFirstDevice && zelClass < kFirstDevice + kDeviceNames.size()) {
        return nameOrUnknown(kDeviceNames[zelClass - kFirstDevice]);
    }
    if (zelClass >= kBootLoaderBase && zelClass < kBootLoaderBase + kBootLoaderNames.size()) {
        return kBootLoaderNames[zelClass - kBootLoaderBase];
    }
    return kUnknown;
}

std::string getPlatformName(std::uint16_t platform) {
    if (platform < kPlatformNames.size()) {
        return kPlatformNames[platform];
    }
    if (platform == kPlatformRadioKey) {
        return kPlatformRadioName;
    }
    return kUnknown;
}

std::string getPrintName(std::uint16_t print) {
    if (print < kPrintNames.size()) {
        return nameOrUnknown(kPrintNames[print]);
    }
    return kUnknown;
}

std::uint16_t checkPlatform(std::uint16_t platform) {
    return getPlatformName(platform) != kUnknown ? platform : 0xFFFF;
}

std::uint16_t checkPrint(std::uint16_t print) {
    return getPrintName(print) != kUnknown ? print : 0xFFFF;
}
