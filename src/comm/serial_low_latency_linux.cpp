#include "comm/serial_low_latency.h"

#include <cerrno>
#include <cstring>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace {

constexpr int kLowLatency = static_cast<int>(ASYNC_LOW_LATENCY);

} // namespace

std::optional<int> enableLowLatency(int fd, std::string& note) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        note = std::string("low latency not available: TIOCGSERIAL: ") + std::strerror(errno);
        return std::nullopt;
    }
    if ((serial.flags & kLowLatency) != 0) {
        return std::nullopt;
    }
    const int before = serial.flags;
    serial.flags |= kLowLatency;
    if (ioctl(fd, TIOCSSERIAL, &serial) != 0) {
        note = std::string("low latency refused: TIOCSSERIAL: ") + std::strerror(errno);
        return std::nullopt;
    }
    return before;
}

void restoreSerialFlags(int fd, int flags) {
    serial_struct serial{};
    if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags = flags;
        ioctl(fd, TIOCSSERIAL, &serial);
    }
}
