#include "workflow/report_line.h"

#include "workflow/local_time.h"
#include "workflow/text_format.h"

std::string reportLine(const std::string& text, std::time_t now) {
    const std::tm tm = localTime(now);
    return formatText("%.2d-%.2d-%.2d -> ", tm.tm_hour, tm.tm_min, tm.tm_sec) + text;
}

std::string reportLine(const std::string& text) {
    return reportLine(text, std::time(nullptr));
}
