#pragma once
// The integer rule of the description file's values.

#include <cstdint>
#include <string>

// Leading blanks, one optional sign, then decimal digits or "$", "x", "X", "0x", "0X" and 1 to
// 8 hex digits (a 32-bit pattern); nothing after the digits; decimal values must fit in 32
// bits. Throws EConvertError (firmware/firmware_errors.h) otherwise.
std::int32_t strToInt(const std::string& value);
