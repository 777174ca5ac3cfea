#include "firmware/uFWVersions.h"

#include "firmware/uVersion.h"

#include "firmware/builtin_image.h"
#include "firmware/text_file.h"
#include "settings/update_settings.h"

#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>

TBl3FileHeader& gImage0Header = *new TBl3FileHeader;
std::vector<std::string>& gImage0Lines = *new std::vector<std::string>;

namespace {

constexpr std::array<const TBuiltInImage*, 3> kBuiltIn{&kBuiltInImage1, &kBuiltInImage2,
                                                       &kBuiltInImage3};

TBl3FileHeader headerOf(const TBuiltInImage& image) {
    TBl3FileHeader header;
    header.zel_class = image.zel_class;
    header.zel_verH = image.zel_verH;
    header.zel_verL = image.zel_verL;
    header.zel_platform = image.zel_platform;
    header.zel_print = image.zel_print;
    header.zel_date = image.zel_date;
    header.zel_bl = image.zel_bl;
    header.zel_bl_ver = image.zel_bl_ver;
    return header;
}

[[noreturn]] void noSuchLine(int image, int lineIndex) {
    throw std::out_of_range("image " + std::to_string(image) + " has no line " +
                            std::to_string(lineIndex));
}

} // namespace

bool accessFirmware(int image, int operation, int lineIndex, std::string& text, int& lastIndex,
                    TBl3FileHeader& header) {
    header.zel_class = 0xFFFF;
    header.zel_platform = 0xFFFF;
    header.zel_print = 0xFFFF;
    lastIndex = 0;
    text.clear();
    if (image < 0 || image > getBuiltInCount() || operation < kFwOpHeader ||
        operation > kFwOpLine) {
        return false;
    }
    if (image == 0) {
        switch (operation) {
        case kFwOpHeader:
            header = gImage0Header;
            break;
        case kFwOpLastLine:
            lastIndex = static_cast<int>(gImage0Lines.size()) - 1;
            break;
        default:
            if (lineIndex < 0 || static_cast<std::size_t>(lineIndex) >= gImage0Lines.size()) {
                noSuchLine(image, lineIndex);
            }
            text = gImage0Lines[static_cast<std::size_t>(lineIndex)];
            break;
        }
        return true;
    }
    const TBuiltInImage& builtIn = *kBuiltIn[static_cast<std::size_t>(image - 1)];
    switch (operation) {
    case kFwOpHeader:
        header = headerOf(builtIn);
        break;
    case kFwOpLastLine:
        lastIndex = builtIn.lineCount - 1;
        break;
    default:
        if (lineIndex < 0 || lineIndex >= builtIn.lineCount) {
            noSuchLine(image, lineIndex);
        }
        text = builtIn.lines[lineIndex];
        break;
    }
    return true;
}

int getBuiltInCount() {
    return static_cast<int>(kBuiltIn.size());
}

TBl3FileHeader getFirmwareHeader(int image) {
    std::string text;
    int lastIndex = 0;
    TBl3FileHeader header;
    accessFirmware(image, kFwOpHeader, 0, text, lastIndex, header);
    return header;
}

int getFirmwareLastLine(int image) {
    std::string text;
    int lastIndex = 0;
    TBl3FileHeader header;
    accessFirmware(image, kFwOpLastLine, 0, text, lastIndex, header);
    return lastIndex;
}

int getCurrentLastLine() {
    return getFirmwareLastLine(gSelectedImage.load(std::memory_order_relaxed));
}

std::string getCurrentLine(int lineIndex) {
    std::string text;
    int lastIndex = 0;
    TBl3FileHeader header;
    accessFirmware(gSelectedImage.load(std::memory_order_relaxed), kFwOpLine, lineIndex, text,
                   lastIndex, header);
    return text;
}

bool loadFirmwareFile(const std::string& fileName, std::string* errorText) {
    gImage0Lines.clear();
    try {
        readFirmwareHeaderFromFile(fileName, gImage0Header);
        std::vector<std::string> lines = splitTextLines(readWholeFile(fileName));
        std::erase_if(lines,
                      [](const std::string& line) { return line.find('=') != std::string::npos; });
        gImage0Lines = std::move(lines);
        return true;
    } catch (const std::exception& e) {
        gImage0Lines.clear();
        if (errorText != nullptr) {
            *errorText = e.what();
        }
        return false;
    }
}
