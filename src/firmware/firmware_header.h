#pragma once
// The header record of a firmware image: the device class it is made for, its version, the SD
// controller's platform and print it fits, its creation date and the boot loader it needs.

#include <cstdint>
#include <string>

struct TBl3FileHeader {
    std::uint16_t zel_class = 0;
    std::uint16_t zel_verH = 0;
    std::uint16_t zel_verL = 0;
    std::uint16_t zel_platform = 0;
    std::uint16_t zel_print = 0;
    std::string zel_date;
    std::uint16_t zel_bl = 0;
    std::uint16_t zel_bl_ver = 0;

    bool operator==(const TBl3FileHeader&) const = default;
};
