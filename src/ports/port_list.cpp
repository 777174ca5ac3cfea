// The platform-neutral part of the port list: the filter over the registry's serial-port map.
#include "ports/port_list.h"

#include "base/ascii_text.h"

#include <string_view>

TPortList filterVcpPorts(const std::vector<TSerialCommValue>& values) {
    TPortList ports;
    for (const TSerialCommValue& value : values) {
        if (value.data && startsWithIgnoringAsciiCase(value.name, kVcpDevicePrefix)) {
            ports.push_back(*value.data);
        }
    }
    return ports;
}
