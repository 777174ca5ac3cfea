#include "sim/sim_server.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

// A frame left incomplete for this long is dropped, so that frames find their start again.
constexpr auto kPartialFrameGap = std::chrono::milliseconds(50);

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

// Time left until `deadline`, never negative. Waits are kept to the nanosecond (ppoll): a
// poll() time-out in whole milliseconds would stretch every emulated reply by up to 1 ms.
TClock::duration timeUntil(TClock::time_point deadline, TClock::time_point now) {
    return deadline <= now ? TClock::duration::zero() : deadline - now;
}

timespec toTimespec(TClock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

} // namespace

TSimServer::TSimServer(TSimOptions options, std::string linkPath)
    : FDevice(std::move(options)), FLinkPath(std::move(linkPath)) {
    char name[PATH_MAX] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&FMaster, &FSlaveKeeper, name, &raw, nullptr) != 0) {
        fail("openpty");
    }
    FSlavePath = name;
    fcntl(FMaster, F_SETFD, FD_CLOEXEC);
    fcntl(FSlaveKeeper, F_SETFD, FD_CLOEXEC);
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    makeRaw(FMaster);
    makeRaw(FSlaveKeeper);
    FWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    try {
        if (FWakeFd < 0) {
            fail("eventfd");
        }
        if (!FLinkPath.empty()) {
            makeLink(FSlavePath, FLinkPath);
        }
        FThread = std::thread([this] { run(); });
    } catch (...) {
        closeLine();
        if (FWakeFd >= 0) {
            close(FWakeFd);
        }
        throw;
    }
}

TSimServer::~TSimServer() {
    stop();
    closeLine();
    close(FWakeFd);
    if (!FLinkPath.empty()) {
        struct stat info {};
        if (lstat(FLinkPath.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            unlink(FLinkPath.c_str());
        }
    }
}

void TSimServer::stop() {
    std::lock_guard stopGuard(FStopLock);
    if (FThread.joinable()) {
        const std::uint64_t one = 1;
        (void)!write(FWakeFd, &one, sizeof one);
        FThread.join();
    }
}

void TSimServer::closeLine() {
    if (FMaster >= 0) {
        close(FMaster);
        FMaster = -1;
    }
    if (FSlaveKeeper >= 0) {
        close(FSlaveKeeper);
        FSlaveKeeper = -1;
    }
}

void TSimServer::waitForEnd() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FEnded; });
}

bool TSimServer::waitUntil(const std::function<bool(const TSimLogger&)>& predicate,
                           std::chrono::milliseconds timeout) {
    std::unique_lock lock(FLock);
    FChanged.wait_for(lock, timeout, [&] { return FEnded || predicate(FDevice); });
    return predicate(FDevice);
}

std::vector<std::string> TSimServer::flashHexRecords() const {
    return withDevice([](const TSimLogger& d) { return d.flashHexRecords(); });
}

bool TSimServer::restarted() const {
    return withDevice([](const TSimLogger& d) { return d.restarted(); });
}

bool TSimServer::programmingEnded() const {
    return withDevice([](const TSimLogger& d) { return d.programmingEnded(); });
}

bool TSimServer::hungUp() const {
    return withDevice([](const TSimLogger& d) { return d.hungUp(); });
}

TSimCounters TSimServer::counters() const {
    return withDevice([](const TSimLogger& d) { return d.counters(); });
}

void TSimServer::run() {
    serve();
    {
        std::lock_guard guard(FLock);
        FEnded = true;
    }
    FChanged.notify_all();
}

void TSimServer::serve() {
    const std::uint32_t baud = FDevice.options().baud;
    if (baud != 0) {
        // Replies leave on time to the microsecond, not within the default 50 us timer slack.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
    // Time one byte of 10 bits takes on the emulated line.
    const auto byteTime = baud == 0 ? TClock::duration::zero()
                                    : std::chrono::duration_cast<TClock::duration>(
                                          std::chrono::duration<double>(10.0 / baud));
    struct TPending {
        TClock::time_point due;
        TFrame frame;
    };
    std::deque<TPending> pending;
    TClock::time_point lastDue{};
    bool partial = false;
    TClock::time_point partialSince{};
    std::uint8_t chunk[512];

    for (;;) {
        auto now = TClock::now();
        std::optional<TClock::duration> wait;
        if (!pending.empty()) {
            wait = timeUntil(pending.front().due, now);
        }
        if (partial) {
            const auto gap = timeUntil(partialSince + kPartialFrameGap, now);
            wait = wait ? std::min(*wait, gap) : gap;
        }
        pollfd fds[2] = {{FMaster, POLLIN, 0}, {FWakeFd, POLLIN, 0}};
        const timespec waitSpec = toTimespec(wait.value_or(TClock::duration::zero()));
        if (ppoll(fds, 2, wait ? &waitSpec : nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents & POLLIN) {
            return;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN)) {
            // No slave is open (cannot happen while the keeper is held): wait on the stop
            // request for a moment instead of spinning on the hang-up condition.
            if (poll(&fds[1], 1, 20) > 0) {
                return;
            }
            continue;
        }
        now = TClock::now();
        bool hungUp = false;
        if (fds[0].revents & POLLIN) {
            for (;;) {
                const ssize_t n = read(FMaster, chunk, sizeof chunk);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n <= 0) {
                    break;
                }
                std::vector<TFrame> replies;
                {
                    std::lock_guard guard(FLock);
                    replies = FDevice.feed(std::span(chunk, static_cast<std::size_t>(n)));
                    hungUp = FDevice.hungUp();
                    partial = FDevice.hasPartialFrame();
                }
                FChanged.notify_all();
                partialSince = now;
                for (const TFrame& reply : replies) {
                    TClock::time_point due = now;
                    if (baud != 0) {
                        due = std::max(now + 16 * byteTime, lastDue + 8 * byteTime);
                        lastDue = due;
                    }
                    pending.push_back({due, reply});
                }
                if (hungUp) {
                    break;
                }
            }
        }
        if (hungUp) {
            std::lock_guard guard(FLock);
            closeLine();
            return;
        }
        now = TClock::now();
        while (!pending.empty() && pending.front().due <= now) {
            // The master is non-blocking: a reply nobody reads is dropped, never waited for.
            (void)!write(FMaster, pending.front().frame.data(), pending.front().frame.size());
            pending.pop_front();
        }
        if (partial && now - partialSince >= kPartialFrameGap) {
            {
                std::lock_guard guard(FLock);
                FDevice.dropPartialFrame();
            }
            FChanged.notify_all();
            partial = false;
        }
    }
}
