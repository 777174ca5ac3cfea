#include "firmware/text_file.h"

#include "firmware/firmware_errors.h"

#include <array>
#include <fstream>
#include <system_error>

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::filesystem::path pathFromUtf8(const std::string& fileName) {
    const std::u8string name(fileName.begin(), fileName.end());
    return std::filesystem::path(name);
}

std::string readTextLine(std::istream& file) {
    std::string bytes;
    char c = 0;
    while (file.get(c)) {
        if (c == '\n') {
            break;
        }
        if (bytes.size() >= kMaxFirmwareFileSize) {
            throw EInOutError("Line too long in the firmware description file");
        }
        bytes += c;
    }
    if (file.bad()) {
        throw EInOutError("Read error in the firmware description file");
    }
    if (!bytes.empty() && bytes.back() == '\r') {
        bytes.pop_back();
    }
    return latin1ToUtf8(bytes);
}

std::ifstream openTextFile(const std::string& fileName) {
    const std::filesystem::path path = pathFromUtf8(fileName);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw EInOutError("\"" + fileName + "\" is a directory, not a file");
    }
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        throw EInOutError("Cannot open file \"" + fileName + "\"");
    }
    return file;
}

std::string readWholeFile(const std::string& fileName) {
    std::ifstream file = openTextFile(fileName);
    std::string bytes;
    std::array<char, 64 * 1024> chunk{};
    while (file) {
        file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (bytes.size() + got > kMaxFirmwareFileSize) {
            throw EInOutError("File \"" + fileName + "\" is larger than 16 MiB");
        }
        bytes.append(chunk.data(), got);
    }
    if (file.bad()) {
        throw EInOutError("Cannot read file \"" + fileName + "\"");
    }
    return bytes;
}

std::vector<std::string> splitTextLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        bytes = lf == std::string_view::npos ? std::string_view{} : bytes.substr(lf + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(latin1ToUtf8(line));
    }
    return lines;
}
