#pragma once
// The rows of the firmware overview: image 0 first when it is the selected image, then the
// built-in images newest first.

#include "firmware/firmware_header.h"

#include <array>
#include <string>
#include <vector>

inline constexpr std::array<const char*, 6> kOverviewColumns = {"Firmware", "Version", "Platform",
                                                                "Print",    "Date",    "BL"};

using TOverviewRow = std::array<std::string, 6>;

TOverviewRow overviewRow(const TBl3FileHeader& header);
std::vector<TOverviewRow> overviewRows();
