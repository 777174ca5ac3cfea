// libFuzzer target: the firmware description file reader on arbitrary file contents, the
// header from a stream and the firmware lines of the whole text.
#include "firmware/text_file.h"
#include "firmware/uVersion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream file{std::string(bytes)};
    TBl3FileHeader header;
    try {
        readFirmwareHeader(file, header);
        if (header.zel_bl != 2 && header.zel_bl != 3 && header.zel_bl != 0xFFFF) {
            std::abort();
        }
    } catch (const EConvertError&) {
    } catch (const EInOutError&) {
    }
    std::size_t total = 0;
    for (const std::string& line : splitTextLines(bytes)) {
        if (line.find('\n') != std::string::npos) {
            std::abort();
        }
        total += line.size();
    }
    // Latin-1 to UTF-8 at most doubles the text.
    if (total > 2 * size) {
        std::abort();
    }
    return 0;
}
