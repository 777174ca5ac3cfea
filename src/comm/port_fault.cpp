#include "comm/port_fault.h"

namespace {

thread_local TPortFault tLastFault;

} // namespace

const TPortFault& lastPortFault() {
    return tLastFault;
}

void setPortFault(TPortFault fault) {
    tLastFault = std::move(fault);
}

void clearPortFault() {
    tLastFault = TPortFault{};
}

const char* portFaultKindName(TPortFaultKind kind) {
    switch (kind) {
    case TPortFaultKind::None:
        return "none";
    case TPortFaultKind::NoSuchPort:
        return "no such port";
    case TPortFaultKind::PermissionDenied:
        return "permission denied";
    case TPortFaultKind::InUse:
        return "in use";
    case TPortFaultKind::NotASerialPort:
        return "not a serial port";
    case TPortFaultKind::DeviceGone:
        return "device went away";
    case TPortFaultKind::Other:
        return "port call failed";
    }
    return "port call failed";
}
