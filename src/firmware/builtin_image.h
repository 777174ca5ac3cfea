#pragma once
// A built-in firmware image as constant data: one generated module per image defines one
// of these from its description file (images/imageN.txt) at build time.

#include <cstdint>

struct TBuiltInImage {
    std::uint16_t zel_class;
    std::uint16_t zel_verH;
    std::uint16_t zel_verL;
    std::uint16_t zel_platform;
    std::uint16_t zel_print;
    const char* zel_date;
    std::uint16_t zel_bl;
    std::uint16_t zel_bl_ver;
    const char* const* lines;
    int lineCount;
};

extern const TBuiltInImage kBuiltInImage1;
extern const TBuiltInImage kBuiltInImage2;
extern const TBuiltInImage kBuiltInImage3;
