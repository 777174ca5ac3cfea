#pragma once
// What reading a firmware description file raises, and the largest file it reads.

#include <cstdint>
#include <stdexcept>

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

// No real firmware description file comes near this size; larger files are refused.
inline constexpr std::uintmax_t kMaxFirmwareFileSize = 16u * 1024u * 1024u;
