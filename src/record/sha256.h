#pragma once
// SHA-256 of bytes, as 64 lower-case hex digits (OpenSSL's libcrypto on Linux, the system's
// BCrypt on Windows).

#include <string>
#include <string_view>

std::string sha256Hex(std::string_view bytes);
