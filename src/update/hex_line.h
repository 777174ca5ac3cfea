#pragma once
// The Intel HEX line codec: one shared line and one shared record buffer, and the two
// conversions between them. Only the worker that runs an update uses them, and at most one
// worker runs at a time, so they carry no lock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Room for any Intel HEX record: count, address (2), type, up to 255 data bytes, checksum.
inline constexpr std::size_t kHexRecordSize = 260;
// The codec accepts at most this many data bytes per record.
inline constexpr std::uint8_t kHexMaxDataBytes = 64;

using THexRecord = std::array<std::uint8_t, kHexRecordSize>;

// One line without its terminator. Created at start-up and never destroyed, so a worker that
// still runs while the process ends never touches a destroyed string.
extern std::string& HexLine;
// [0] count n, [1] address high, [2] address low, [3] type, [4..3+n] data, [4+n] checksum.
extern THexRecord HexRecord;

// "0".."9" give 0..9, "A".."F" give 10..15 (true). Any other character, lower case included,
// gives false and leaves `value` unchanged.
bool hexDigitValue(char c, std::uint8_t& value);
// The upper-case hex digit of the low four bits of `b`.
char nibbleToHexDigit(std::uint8_t b);

// Reads `line` into `record`. True for a well-formed upper-case record of at most 64 data
// bytes, exactly 2n + 11 characters long, whose bytes sum to 0 modulo 256. The count is
// stored before the later checks; after a false result `record` is a partial mix and must
// not be used. Never throws.
bool parseHexLine(std::string_view line, THexRecord& record);
// Writes `line` from `record`, with the checksum computed afresh (the stored checksum byte is
// not read). False, with the line ":", when the count byte is above 64. Never throws.
bool buildHexLine(const THexRecord& record, std::string& line);

// The same on the shared HexLine and HexRecord, as the update uses them.
bool parseHexLine();
bool buildHexLine();
