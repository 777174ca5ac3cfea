#pragma once
// Names compared without regard to the case of the ASCII letters A-Z; every other byte compares
// as it is, whatever the locale (port names, registry value names, command-line keys).

#include <cstddef>
#include <string_view>

constexpr char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) {
            return false;
        }
    }
    return true;
}
