#pragma once
// A report line: the local time as hh-nn-ss (hours, minutes, seconds), " -> ", the text.

#include <ctime>
#include <string>

std::string reportLine(const std::string& text, std::time_t now);
std::string reportLine(const std::string& text); // at the current local time
