#include "workflow/local_time.h"

#include "workflow/text_format.h"

std::string isoTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        when - std::chrono::system_clock::from_time_t(t))
                        .count();
    const std::tm tm = localTime(t);
    const long offset = utcOffsetSeconds(t);
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    return formatText("%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                      static_cast<int>(ms), offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}
