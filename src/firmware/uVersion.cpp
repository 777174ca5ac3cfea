#include "firmware/uVersion.h"

#include "firmware/str_to_int.h"
#include "firmware/text_file.h"

#include <fstream>

std::string getKeyValue(const std::string& line, const std::string& key) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || line.compare(0, eq, key) != 0) {
        return {};
    }
    return line.substr(eq + 1);
}

namespace {

std::uint16_t low16(std::int32_t value) {
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

std::uint16_t readIntegerLine(std::istream& file, const char* key) {
    return low16(strToInt(getKeyValue(readTextLine(file), key)));
}

} // namespace

void readFirmwareHeader(std::istream& file, TBl3FileHeader& header) {
    const std::string bl = getKeyValue(readTextLine(file), "bootloader");
    header.zel_bl = bl == "2" ? 2 : bl == "3" ? 3 : 0xFFFF;
    header.zel_bl_ver = readIntegerLine(file, "bootloader version");
    header.zel_class = readIntegerLine(file, "class");
    header.zel_verH = readIntegerLine(file, "versionH");
    header.zel_verL = readIntegerLine(file, "versionL");
    header.zel_platform = readIntegerLine(file, "platform");
    header.zel_print = readIntegerLine(file, "print");
    header.zel_date = getKeyValue(readTextLine(file), "date");
}

void readFirmwareHeaderFromFile(const std::string& fileName, TBl3FileHeader& header) {
    std::ifstream file = openTextFile(fileName);
    readFirmwareHeader(file, header);
}
