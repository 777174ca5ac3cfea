#pragma once
// The naming tables of device classes, platforms and prints: short display names (UTF-8), "?"
// for a key without an entry. Never throw.

#include <cstdint>
#include <string>

// `print` matters only for the classes 26135 and 26145; callers without a print pass 0xFFFF.
std::string getClassName(std::uint16_t zelClass, std::uint16_t print);
std::string getPlatformName(std::uint16_t platform);
std::string getPrintName(std::uint16_t print);
// `platform` / `print` itself when the table has a name for it, else 0xFFFF.
std::uint16_t checkPlatform(std::uint16_t platform);
std::uint16_t checkPrint(std::uint16_t print);
