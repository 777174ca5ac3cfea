#pragma once
// The header record of a firmware image, the firmware description file reader and the
// naming tables of device classes, platforms and prints.
//
// Texts are UTF-8. A description file is 8-bit text: each of its bytes is taken as one
// Latin-1 character.

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>

struct TBl3FileHeader {
    std::uint16_t zel_class = 0;
    std::uint16_t zel_verH = 0;
    std::uint16_t zel_verL = 0;
    std::uint16_t zel_platform = 0;
    std::uint16_t zel_print = 0;
    std::string zel_date;
    std::uint16_t zel_bl = 0;
    std::uint16_t zel_bl_ver = 0;

    bool operator==(const TBl3FileHeader&) const = default;
};

// A value that is not an integer; the text is "'<value>' ist kein gültiger Integerwert".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be opened or read, or is not a firmware description file in size.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The value of `line` for `key`: everything after the first "=" when the text before it equals
// `key` exactly, else an empty text.
std::string getKeyValue(const std::string& line, const std::string& key);

// The integer rule of the description file: leading blanks, one optional sign, then decimal
// digits or "$", "x", "X", "0x", "0X" and 1 to 8 hex digits (a 32-bit pattern); nothing after
// the digits; decimal values must fit in 32 bits. Throws EConvertError otherwise.
std::int32_t strToInt(const std::string& value);

// Reads exactly eight header lines (CR LF or LF) from `file` into `header`, each field as soon
// as its line is converted, and leaves `file` after them. It neither opens, rewinds nor closes
// the file. Throws EConvertError for a missing or non-integer value in lines 2 to 7 (the
// fields of the lines before keep their new values) and EInOutError when the stream fails
// or a line exceeds kMaxFirmwareFileSize.
void readFirmwareHeader(std::istream& file, TBl3FileHeader& header);

// Opens `fileName` (UTF-8), reads its header with readFirmwareHeader and closes it: the
// "File version" case. Throws EInOutError (cannot open, a directory, read error) or
// EConvertError; the texts are meant for the operator.
void readFirmwareHeaderFromFile(const std::string& fileName, TBl3FileHeader& header);

// No real firmware description file comes near this size; larger files are refused.
inline constexpr std::uintmax_t kMaxFirmwareFileSize = 16u * 1024u * 1024u;

// Naming tables: short display names; "?" for a key without an entry. Never throw.
// `print` matters only for the classes 26135 and 26145; callers without a print pass 0xFFFF.
std::string getClassName(std::uint16_t zelClass, std::uint16_t print);
std::string getPlatformName(std::uint16_t platform);
std::string getPrintName(std::uint16_t print);
// `platform` / `print` itself when the table has a name for it, else 0xFFFF.
std::uint16_t checkPlatform(std::uint16_t platform);
std::uint16_t checkPrint(std::uint16_t print);
