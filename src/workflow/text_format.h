#pragma once
// printf-style formatting into a std::string: the status texts use the C format rules
// ("%.2d" is a precision, "%.3X" upper-case hex) exactly.

#include <string>

#if defined(__GNUC__)
#define SDU_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define SDU_PRINTF_FORMAT(fmt, args)
#endif

std::string formatText(const char* format, ...) SDU_PRINTF_FORMAT(1, 2);
