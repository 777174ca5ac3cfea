#include "workflow/report_line.h"

#include "workflow/text_format.h"

#include <ctime>

namespace {
std::tm localTime(std::time_t t) {
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}
} // namespace

std::string reportLine(const std::string& text, std::time_t now) {
    const std::tm tm = localTime(now);
    return formatText("%.2d-%.2d-%.2d -> ", tm.tm_hour, tm.tm_min, tm.tm_sec) + text;
}

std::string reportLine(const std::string& text) {
    return reportLine(text, std::time(nullptr));
}
