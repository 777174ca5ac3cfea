#pragma once
// Local time, as the report and the records show it (one implementation per OS).

#include <chrono>
#include <ctime>
#include <string>

std::tm localTime(std::time_t t);
// The offset of local time from UTC at `t`, in seconds.
long utcOffsetSeconds(std::time_t t);

// ISO 8601 with milliseconds and the zone: "2026-12-10T16:03:12.345+01:00".
std::string isoTimestamp(std::chrono::system_clock::time_point when);
