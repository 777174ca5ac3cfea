#include "sim/sim_hex.h"

namespace {

void appendByte(std::string& line, std::uint8_t byte, unsigned& sum) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    line += kDigits[byte >> 4];
    line += kDigits[byte & 0x0F];
    sum += byte;
}

} // namespace

std::string formatDataRecord(std::uint16_t address, std::span<const std::uint8_t> data) {
    std::string line = ":";
    line.reserve(11 + 2 * data.size());
    unsigned sum = 0;
    appendByte(line, static_cast<std::uint8_t>(data.size()), sum);
    appendByte(line, static_cast<std::uint8_t>(address >> 8), sum);
    appendByte(line, static_cast<std::uint8_t>(address & 0xFF), sum);
    appendByte(line, 0x00, sum);
    for (const std::uint8_t byte : data) {
        appendByte(line, byte, sum);
    }
    unsigned ignored = 0;
    appendByte(line, static_cast<std::uint8_t>((0x100 - (sum & 0xFF)) & 0xFF), ignored);
    return line;
}
