#pragma once
// Intel HEX data records as the simulator writes its flash out (independent of the tool's own
// line codec, so that each can catch the other's faults).

#include <cstdint>
#include <span>
#include <string>

// ":" count address 00 data checksum, upper-case hex digits, no line terminator.
std::string formatDataRecord(std::uint16_t address, std::span<const std::uint8_t> data);
