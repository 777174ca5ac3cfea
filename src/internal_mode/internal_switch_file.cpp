// The settings file of the switch: the INI dialect of settings files (sections, "key=value",
// comments with ";" or "#", quoted values, comma lists and typed "@" values), as far as the
// switch needs it. Independent of the OS: the POSIX reader and the tests use it.
#include "internal_mode/internal_switch.h"

#include <cstdlib>
#include <string>

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One quoted text ("2483", with \" and \\ inside), nothing after it but blanks.
std::optional<std::string> unquoted(std::string_view value) {
    std::string text;
    std::size_t i = 1;
    for (; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        text += value[i];
    }
    if (i >= value.size() || !trimmed(value.substr(i + 1)).empty()) {
        return std::nullopt; // unterminated, or a list of quoted texts
    }
    return text;
}

std::optional<std::string> decodedValue(std::string_view value) {
    if (value.empty()) {
        return std::string();
    }
    if (value.front() == '"') {
        return unquoted(value);
    }
    if (value.front() == '@' || value.find(',') != std::string_view::npos) {
        return std::nullopt; // a typed value or a list
    }
    return std::string(value);
}

} // namespace

TIniValue iniGeneralValue(std::string_view ini, std::string_view key) {
    TIniValue found;
    bool general = true; // lines before any section belong to [General]
    while (!ini.empty()) {
        const std::size_t end = ini.find('\n');
        const std::string_view line = trimmed(ini.substr(0, end));
        ini = end == std::string_view::npos ? std::string_view() : ini.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            general = line == "[General]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!general || equals == std::string_view::npos ||
            trimmed(line.substr(0, equals)) != key) {
            continue;
        }
        // A later line of the same key replaces an earlier one.
        found.present = true;
        found.text = decodedValue(trimmed(line.substr(equals + 1)));
    }
    return found;
}

bool internalSwitchOnText(const std::string& text) {
    std::size_t digits = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    if (digits == text.size()) {
        return false;
    }
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    // Ten digits or more cannot be 2483 (leading zeros aside: "02483" is 2483, as a number).
    std::size_t first = digits;
    while (first + 1 < text.size() && text[first] == '0') {
        ++first;
    }
    return text.size() - first <= 9 && text[0] != '-' &&
           std::strtol(text.c_str() + first, nullptr, 10) == kInternalSwitchValue;
}
