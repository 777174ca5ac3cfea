// libFuzzer target: parseHexLine on arbitrary lines, and for every accepted line the build
// must give the line back unchanged.
#include "update/hex_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    HexLine.assign(reinterpret_cast<const char*>(data), size);
    const std::string line = HexLine;
    if (parseHexLine()) {
        if (!buildHexLine() || HexLine != line) {
            std::abort();
        }
    }
    return 0;
}
