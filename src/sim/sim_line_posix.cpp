#include "sim/sim_line.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &settings);
    }
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void makeLink(const std::string& target, const std::string& link) {
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        errno = EEXIST;
        fail("cannot link " + link + " (not a symlink)");
    }
    const std::string temporary = link + ".tmp" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0) {
        fail("cannot create symlink " + link);
    }
    if (rename(temporary.c_str(), link.c_str()) != 0) {
        const int saved = errno;
        unlink(temporary.c_str());
        errno = saved;
        fail("cannot create symlink " + link);
    }
}

// Waits are kept to the nanosecond (ppoll): a poll() time-out in whole milliseconds would
// stretch every emulated reply by up to 1 ms.
timespec toTimespec(TSimLine::TClock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

void closeFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

} // namespace

struct TSimLine::TImpl {
    int master = -1;
    int slaveKeeper = -1;
    int wakeFd = -1; // eventfd: stop request
    std::string linkPath;

    ~TImpl() {
        closeFd(master);
        closeFd(slaveKeeper);
        closeFd(wakeFd);
        if (!linkPath.empty()) {
            struct stat info {};
            if (lstat(linkPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
                unlink(linkPath.c_str());
            }
        }
    }
};

TSimLine::TSimLine(const std::string& linkPath) : FImpl(std::make_unique<TImpl>()) {
    TImpl& line = *FImpl;
    char name[PATH_MAX] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&line.master, &line.slaveKeeper, name, &raw, nullptr) != 0) {
        fail("openpty");
    }
    FPortName = name;
    fcntl(line.master, F_SETFD, FD_CLOEXEC);
    fcntl(line.slaveKeeper, F_SETFD, FD_CLOEXEC);
    fcntl(line.master, F_SETFL, fcntl(line.master, F_GETFL) | O_NONBLOCK);
    makeRaw(line.master);
    makeRaw(line.slaveKeeper);
    line.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (line.wakeFd < 0) {
        fail("eventfd");
    }
    if (!linkPath.empty()) {
        makeLink(FPortName, linkPath);
        line.linkPath = linkPath;
    }
}

TSimLine::~TSimLine() = default;

void TSimLine::preciseTimers() {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

TSimLine::TWait TSimLine::waitRead(std::optional<TClock::duration> timeout,
                                   std::span<std::uint8_t> buffer, std::size_t& count) {
    TImpl& line = *FImpl;
    count = 0;
    for (;;) {
        if (line.master < 0) {
            // Hung up: only a stop request can come.
            pollfd stop{line.wakeFd, POLLIN, 0};
            const timespec spec = toTimespec(timeout.value_or(TClock::duration::zero()));
            ppoll(&stop, 1, timeout ? &spec : nullptr, nullptr);
            return (stop.revents & POLLIN) ? TWait::Stopped : TWait::Timeout;
        }
        pollfd fds[2] = {{line.master, POLLIN, 0}, {line.wakeFd, POLLIN, 0}};
        const timespec spec = toTimespec(timeout.value_or(TClock::duration::zero()));
        if (ppoll(fds, 2, timeout ? &spec : nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return TWait::Stopped;
        }
        if (fds[1].revents & POLLIN) {
            return TWait::Stopped;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(line.master, buffer.data(), buffer.size());
            if (n > 0) {
                count = static_cast<std::size_t>(n);
                return TWait::Data;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
        }
        if (fds[0].revents & (POLLHUP | POLLERR)) {
            // No slave is open (cannot happen while the keeper is held): wait on the stop
            // request for a moment instead of spinning on the hang-up condition.
            pollfd stop{line.wakeFd, POLLIN, 0};
            if (poll(&stop, 1, 20) > 0) {
                return TWait::Stopped;
            }
        }
        return TWait::Timeout;
    }
}

void TSimLine::write(const TFrame& frame) {
    if (FImpl->master >= 0) {
        // The master is non-blocking: a reply nobody reads is dropped, never waited for.
        (void)!::write(FImpl->master, frame.data(), frame.size());
    }
}

void TSimLine::hangUp() {
    // The tool's side sees the line hang up once the last descriptor of the master is gone.
    closeFd(FImpl->master);
    closeFd(FImpl->slaveKeeper);
}

void TSimLine::requestStop() {
    const std::uint64_t one = 1;
    (void)!::write(FImpl->wakeFd, &one, sizeof one);
}
