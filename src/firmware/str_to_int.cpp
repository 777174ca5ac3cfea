#include "firmware/str_to_int.h"
#include "firmware/firmware_errors.h"

#include <cstddef>

namespace {

[[noreturn]] void notAnInteger(const std::string& value) {
    throw EConvertError("'" + value + "' ist kein gültiger Integerwert");
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::int32_t strToInt(const std::string& value) {
    std::size_t i = 0;
    while (i < value.size() && value[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < value.size() && (value[i] == '$' || value[i] == 'x' || value[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < value.size() && value[i] == '0' &&
               (value[i + 1] == 'x' || value[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    const std::size_t digits = value.size() - i;
    if (digits == 0) {
        notAnInteger(value);
    }
    std::uint32_t magnitude = 0;
    if (hex) {
        // 1 to 8 hex digits: a 32-bit pattern.
        if (digits > 8) {
            notAnInteger(value);
        }
        for (; i < value.size(); ++i) {
            const int d = hexDigit(value[i]);
            if (d < 0) {
                notAnInteger(value);
            }
            magnitude = magnitude * 16 + static_cast<std::uint32_t>(d);
        }
    } else {
        const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
        std::uint64_t acc = 0;
        for (; i < value.size(); ++i) {
            const char c = value[i];
            if (c < '0' || c > '9') {
                notAnInteger(value);
            }
            acc = acc * 10 + static_cast<std::uint64_t>(c - '0');
            if (acc > limit) {
                notAnInteger(value);
            }
        }
        magnitude = static_cast<std::uint32_t>(acc);
    }
    // Two's complement throughout, so "-$80000000" and "-2147483648" stay defined.
    const std::uint32_t pattern = negative ? 0u - magnitude : magnitude;
    return static_cast<std::int32_t>(pattern);
}
