#include "update/hex_line.h"

std::string& HexLine = *new std::string;
THexRecord HexRecord{};

bool hexDigitValue(char c, std::uint8_t& value) {
    if (c >= '0' && c <= '9') {
        value = static_cast<std::uint8_t>(c - '0');
        return true;
    }
    if (c >= 'A' && c <= 'F') {
        value = static_cast<std::uint8_t>(c - 'A' + 10);
        return true;
    }
    return false;
}

char nibbleToHexDigit(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return kDigits[b & 0x0F];
}

namespace {

// The byte written by the two digits at string offsets pos and pos + 1.
bool hexByteAt(std::string_view line, std::size_t pos, std::uint8_t& byte) {
    std::uint8_t hi = 0;
    std::uint8_t lo = 0;
    if (!hexDigitValue(line[pos], hi) || !hexDigitValue(line[pos + 1], lo)) {
        return false;
    }
    byte = static_cast<std::uint8_t>(hi * 16 + lo);
    return true;
}

void appendHexByte(std::string& line, std::uint8_t b) {
    line += nibbleToHexDigit(static_cast<std::uint8_t>(b >> 4));
    line += nibbleToHexDigit(b);
}

} // namespace

bool parseHexLine(std::string_view line, THexRecord& record) {
    if (line.size() < 11 || line[0] != ':') {
        return false;
    }
    if (!hexByteAt(line, 1, record[0])) {
        return false;
    }
    const std::size_t n = record[0];
    if (n > kHexMaxDataBytes || line.size() != 2 * n + 11) {
        return false;
    }
    // Record positions 1 .. n + 4: address, type, data, checksum.
    for (std::size_t k = 1; k <= n + 4; ++k) {
        if (!hexByteAt(line, 2 * k + 1, record[k])) {
            return false;
        }
    }
    unsigned sum = 0;
    for (std::size_t k = 0; k <= n + 4; ++k) {
        sum += record[k];
    }
    return (sum & 0xFF) == 0;
}

bool buildHexLine(const THexRecord& record, std::string& line) {
    line = ":";
    const std::size_t n = record[0];
    if (n > kHexMaxDataBytes) {
        return false;
    }
    line.reserve(2 * n + 11);
    unsigned sum = 0;
    for (std::size_t k = 0; k <= n + 3; ++k) {
        appendHexByte(line, record[k]);
        sum += record[k];
    }
    appendHexByte(line, static_cast<std::uint8_t>((256 - (sum & 0xFF)) & 0xFF));
    return true;
}

bool parseHexLine() {
    return parseHexLine(HexLine, HexRecord);
}

bool buildHexLine() {
    return buildHexLine(HexRecord, HexLine);
}
