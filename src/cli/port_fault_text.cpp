#include "cli/port_fault_text.h"

namespace {

std::string joined(const TPortList& ports) {
    std::string text;
    for (const auto& port : ports) {
        text += (text.empty() ? "" : ", ") + port;
    }
    return text;
}

std::string osReason(const TPortFault& fault) {
    return " (" + fault.call + ": " + fault.osMessage + ")";
}

} // namespace

TPortAdvice portAdvice(const TPortFault& fault, const std::string& port,
                       const TPortList& portsFound) {
    const std::string name = fault.path.empty() ? port : fault.path;
    switch (fault.kind) {
    case TPortFaultKind::NoSuchPort:
        return {name + ": no such port" + osReason(fault),
                portsFound.empty()
                    ? "no port of the logger's USB adapter was found: plug in the cable, then "
                      "see --list-ports"
                    : "the ports found: " + joined(portsFound) +
                          "; check the port name (--list-ports)"};
    case TPortFaultKind::PermissionDenied:
        if (!fault.group.empty()) {
            return {name + ": permission denied: the device belongs to group " + fault.group +
                        osReason(fault),
                    "add the user to that group: sudo usermod -aG " + fault.group + " " +
                        (fault.user.empty() ? "$USER" : fault.user) +
                        ", then log out and in again"};
        }
        return {name + ": access denied" + osReason(fault),
                "ask an administrator for access to the port"};
    case TPortFaultKind::InUse:
        return {name + ": in use by " +
                    (fault.holder.empty() ? std::string("another program") : fault.holder),
                "close the program that holds the port, then run the update again"};
    case TPortFaultKind::NotASerialPort:
        return {name + ": not a serial port" +
                    (fault.fileType.empty() ? std::string() : " but " + fault.fileType) +
                    osReason(fault),
                "give the logger's serial port" + (portsFound.empty()
                                                       ? std::string(" (--list-ports lists them)")
                                                       : ", one of: " + joined(portsFound))};
    case TPortFaultKind::DeviceGone:
        return {name + ": the device went away during the run (unplugged?)" + osReason(fault),
                "check the cable and the logger's power, then run the update again"};
    case TPortFaultKind::Other:
    case TPortFaultKind::None:
        break;
    }
    return {name + ": the port failed" + osReason(fault),
            "check the adapter and its driver, then run the update again"};
}
