#include "workflow/local_time.h"

std::tm localTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

long utcOffsetSeconds(std::time_t t) {
    return localTime(t).tm_gmtoff;
}
