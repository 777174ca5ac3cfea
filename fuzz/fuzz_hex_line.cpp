// libFuzzer target: parseHexLine on arbitrary lines, and for every accepted line the build
// must give the line back unchanged.
#include "update/hex_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    THexRecord record{};
    if (parseHexLine(line, record)) {
        std::string rebuilt;
        if (!buildHexLine(record, rebuilt) || rebuilt != line) {
            std::abort();
        }
    }
    return 0;
}
