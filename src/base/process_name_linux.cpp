#include "base/process_name.h"

#include <fstream>

std::string processDescription(long pid) {
    const std::string number = std::to_string(pid);
    std::string name;
    std::getline(std::ifstream("/proc/" + number + "/comm"), name);
    return (name.empty() ? "another program" : name) + " (PID " + number + ")";
}
