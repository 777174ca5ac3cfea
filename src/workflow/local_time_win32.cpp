#include "workflow/local_time.h"

std::tm localTime(std::time_t t) {
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

long utcOffsetSeconds(std::time_t t) {
    std::tm local = localTime(t);
    std::tm utc{};
    gmtime_s(&utc, &t);
    local.tm_isdst = 0; // both read as standard time: their difference is the offset
    return static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)));
}
