// The platform-neutral part of the port list: the filter over the registry's serial-port map.
#include "ports/port_list.h"

#include <string_view>

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `name` begins with `prefix` (given in lower case), ignoring the case of `name`.
bool startsWithNoCase(std::string_view name, std::string_view prefix) {
    if (name.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(name[i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

TPortList filterVcpPorts(const std::vector<TSerialCommValue>& values) {
    TPortList ports;
    for (const TSerialCommValue& value : values) {
        if (value.data && startsWithNoCase(value.name, kVcpDevicePrefix)) {
            ports.push_back(*value.data);
        }
    }
    return ports;
}
