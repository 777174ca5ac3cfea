#pragma once
// What the headless updater tells the user when the port failed: the cause and the fix, one
// line each, from the operating system's reason that the serial layer kept.

#include "comm/port_fault.h"
#include "ports/port_list.h"

#include <string>

struct TPortAdvice {
    std::string cause;
    std::string fix;
};

// `port` is the name the user gave; `portsFound` the ports of the logger's adapter type now.
TPortAdvice portAdvice(const TPortFault& fault, const std::string& port,
                       const TPortList& portsFound);
