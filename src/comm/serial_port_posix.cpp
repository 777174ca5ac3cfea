// POSIX serial port: termios raw mode, poll() with a deadline for the read time-out; exclusive
// access by the shared lock file (taken before the device is opened), flock and TIOCEXCL; low
// latency on USB adapters that offer it.
#include "comm/serial_port.h"

#include "base/process_name.h"
#include "comm/port_fault.h"
#include "comm/port_lock.h"
#include "comm/run_observer.h"
#include "comm/serial_low_latency.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int toFd(TPortHandle handle) {
    return static_cast<int>(handle);
}

// Records the failure of `call` (errno tells why) and gives false, for `return fail(...)`.
bool fail(const char* call, const std::string& path = {}) {
    recordPortFault(call, errno, path);
    return false;
}

// What an open port needs at its close, by descriptor.
struct TOpenPort {
    std::string lockFile;
    std::optional<int> serialFlags; // to put back: low latency was switched on
};

std::mutex gOpenPortsLock;
std::map<int, TOpenPort>& openPorts() {
    static auto* ports = new std::map<int, TOpenPort>; // never destroyed: workers may outlive main
    return *ports;
}

// A remark for the frame trace; nothing is formatted without an observer.
void note(const std::string& text) {
    if (!text.empty()) {
        if (TRunObserver* observer = runObserver()) {
            observer->note(text);
        }
    }
}

bool hungUp(const char* call) {
    TPortFault fault;
    fault.kind = TPortFaultKind::DeviceGone;
    fault.call = call;
    fault.osMessage = "the line hung up";
    setPortFault(std::move(fault));
    return false;
}

bool baudToSpeed(std::uint32_t baudRate, speed_t& speed) {
    switch (baudRate) {
    case 1200:
        speed = B1200;
        return true;
    case 2400:
        speed = B2400;
        return true;
    case 4800:
        speed = B4800;
        return true;
    case 9600:
        speed = B9600;
        return true;
    case 19200:
        speed = B19200;
        return true;
    case 38400:
        speed = B38400;
        return true;
    case 57600:
        speed = B57600;
        return true;
    case 115200:
        speed = B115200;
        return true;
    default:
        return false;
    }
}

std::string devicePath(const std::string& portName) {
    if (portName.empty() || portName.find('/') != std::string::npos) {
        return portName;
    }
    return "/dev/" + portName;
}

bool applyLineSettings(int fd, std::uint32_t baudRate) {
    speed_t speed{};
    if (!baudToSpeed(baudRate, speed)) {
        errno = EINVAL;
        return fail("cfsetspeed");
    }
    termios tio{};
    cfmakeraw(&tio); // binary: no CR/LF mapping, no output processing, no echo, no signals
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    // HUPCL: the last close drops DTR and RTS, as a Windows driver does when its handle closes.
    tio.c_cflag |= CS8 | CLOCAL | CREAD | HUPCL;
    // 0x11 and 0x13 occur in firmware data and in frames: no software flow control either.
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) {
        return fail("cfsetspeed");
    }
    return tcsetattr(fd, TCSANOW, &tio) == 0 || fail("tcsetattr");
}

// DTR up, RTS down. Devices without modem lines (pseudo-terminals) answer ENOTTY or EINVAL;
// they are accepted, any other failure is not.
bool setModemLines(int fd) {
    const int rts = TIOCM_RTS;
    const int dtr = TIOCM_DTR;
    if (ioctl(fd, TIOCMBIC, &rts) != 0 && errno != ENOTTY && errno != EINVAL) {
        return fail("TIOCMBIC");
    }
    if (ioctl(fd, TIOCMBIS, &dtr) != 0 && errno != ENOTTY && errno != EINVAL) {
        return fail("TIOCMBIS");
    }
    return true;
}

bool configure(int fd, const std::string& path, std::uint32_t baudRate, TOpenPort& state) {
    if (!isatty(fd)) {
        return fail("isatty", path); // ENOTTY: a regular file, /dev/null, ...
    }
    // flock makes a second open fail even for root, whom TIOCEXCL does not stop.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return fail("flock", path);
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        return fail("TIOCEXCL", path);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail("fcntl", path);
    }
    if (!applyLineSettings(fd, baudRate)) {
        return false;
    }
    std::string refused;
    state.serialFlags = enableLowLatency(fd, refused);
    note(refused);
    return setModemLines(fd); // DTR last, when the port is fully configured
}

// Closes the descriptor and lets go of what the port held: the low-latency flag, the lock.
void closeOpenPort(int fd, const TOpenPort& state) {
    if (state.serialFlags) {
        restoreSerialFlags(fd, *state.serialFlags);
    }
    ::close(fd);
    releasePortLock(state.lockFile);
}

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` until the deadline; false on a poll failure or a hang-up without data.
bool waitFor(int fd, short events, Clock::time_point deadline, bool& ready) {
    for (;;) {
        pollfd pfd{fd, events, 0};
        const int n = poll(&pfd, 1, remainingMs(deadline));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("poll");
        }
        if (n == 0) {
            ready = false;
            return true;
        }
        if (pfd.revents & events) {
            ready = true;
            return true;
        }
        return hungUp("poll"); // POLLHUP, POLLERR or POLLNVAL: the device is gone
    }
}

} // namespace

TPortHandle openComPort(const std::string& portName, std::uint32_t baudRate) {
    const std::string path = devicePath(portName);
    if (path.empty()) {
        errno = ENOENT;
        fail("open", path);
        return kInvalidPortHandle;
    }
    const TPortLock lock = takePortLock(path);
    if (lock.outcome == TPortLock::TOutcome::Held) {
        // Refused before the device is touched: its open would raise the modem lines.
        TPortFault fault;
        fault.kind = TPortFaultKind::InUse;
        fault.call = "lock";
        fault.path = path;
        fault.holder = processDescription(lock.holderPid);
        fault.osMessage = lock.file + " is held";
        setPortFault(std::move(fault));
        return kInvalidPortHandle;
    }
    note(lock.note);
    TOpenPort state;
    state.lockFile = lock.file;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fail("open", path);
        releasePortLock(state.lockFile);
        return kInvalidPortHandle;
    }
    if (!configure(fd, path, baudRate, state)) {
        const TPortFault why = lastPortFault(); // the close must not change it
        closeOpenPort(fd, state);
        setPortFault(why);
        return kInvalidPortHandle;
    }
    {
        std::lock_guard guard(gOpenPortsLock);
        openPorts()[fd] = std::move(state);
    }
    clearPortFault();
    return static_cast<TPortHandle>(fd);
}

bool openComPortSetsLowLatency() {
    return true;
}

void closeComPort(TPortHandle handle) {
    if (handle == kInvalidPortHandle) {
        return;
    }
    TOpenPort state;
    {
        std::lock_guard guard(gOpenPortsLock);
        const auto it = openPorts().find(toFd(handle));
        if (it != openPorts().end()) {
            state = std::move(it->second);
            openPorts().erase(it);
        }
    }
    tcdrain(toFd(handle)); // queued output leaves before the lines drop
    closeOpenPort(toFd(handle), state);
}

bool clearPortErrors(TPortHandle handle) {
    // termios keeps no error state to clear; what is left is to tell a live handle from a dead one.
    return fcntl(toFd(handle), F_GETFL) != -1 || fail("fcntl");
}

bool purgePort(TPortHandle handle) {
    // tcflush empties the kernel's buffers only: a USB adapter's driver (ftdi_sio) sends its
    // chip no purge request, so bytes still inside a real FTDI chip survive it. With the
    // latency timer at 1 ms (low latency, set at open) such bytes reach the host within 1 ms,
    // long before the next try 100 ms later, whose purge then drops them: a late reply to an
    // earlier try never passes for the reply to this one.
    return tcflush(toFd(handle), TCIOFLUSH) == 0 || fail("tcflush");
}

bool writePort(TPortHandle handle, const std::uint8_t* data, std::size_t count,
               std::size_t& written) {
    written = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(count);
    while (written < count) {
        bool ready = false;
        if (!waitFor(toFd(handle), POLLOUT, deadline, ready)) {
            return false;
        }
        if (!ready) {
            return true; // time-out: the caller sees the short count
        }
        const ssize_t n = ::write(toFd(handle), data + written, count - written);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return fail("write");
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

bool readPort(TPortHandle handle, std::uint8_t* data, std::size_t count, std::size_t& received) {
    received = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReadTimeoutConstantMs) +
                          std::chrono::milliseconds(kReadTimeoutPerByteMs * count);
    while (received < count) {
        bool ready = false;
        if (!waitFor(toFd(handle), POLLIN, deadline, ready)) {
            return false;
        }
        if (!ready) {
            return true;
        }
        const ssize_t n = ::read(toFd(handle), data + received, count - received);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return fail("read");
        }
        if (n == 0) {
            return hungUp("read"); // readable but no data: end of file, the line hung up
        }
        received += static_cast<std::size_t>(n);
    }
    return true;
}
