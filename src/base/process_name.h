#pragma once
// Linux: "minicom (PID 812)", the name the system gives a running process, for messages that
// say who holds a port.

#include <string>

std::string processDescription(long pid);
