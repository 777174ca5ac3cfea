#include "comm/port_lock.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kLockFolders[] = {"/run/lock", "/var/lock"};
constexpr int kTakeAttempts = 3;
// A lock file without a PID yet may be one that its owner is still writing.
constexpr auto kUnwrittenGrace = std::chrono::seconds(5);

bool isFolder(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool processRuns(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The PID a lock file holds; 0 when it holds none that can be read.
long pidIn(const std::string& file) {
    char text[32] = {};
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) {
        return 0;
    }
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    return end != text ? pid : 0;
}

bool recentlyWritten(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        return false;
    }
    const auto age = std::chrono::system_clock::now() -
                     std::chrono::system_clock::from_time_t(st.st_mtim.tv_sec);
    return age < kUnwrittenGrace;
}

TPortLock skipped(std::string note) {
    TPortLock lock;
    lock.outcome = TPortLock::TOutcome::Skipped;
    lock.note = std::move(note);
    return lock;
}

} // namespace

std::string portLockName(const std::string& devicePath) {
    char resolved[PATH_MAX];
    if (::realpath(devicePath.c_str(), resolved) == nullptr) {
        return {};
    }
    std::string name = resolved;
    const std::string dev = "/dev/";
    if (name.rfind(dev, 0) != 0 || name.size() == dev.size()) {
        return {};
    }
    name.erase(0, dev.size());
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return "LCK.." + name;
}

std::string portLockFolder() {
    for (const char* folder : kLockFolders) {
        if (isFolder(folder)) {
            return folder;
        }
    }
    return {};
}

TPortLock takePortLock(const std::string& devicePath, const std::string& folder) {
    const std::string name = portLockName(devicePath);
    if (name.empty()) {
        return skipped({}); // not a device: its open fails on its own
    }
    if (folder.empty()) {
        return skipped("no lock file: neither /run/lock nor /var/lock exists");
    }
    const std::string file = folder + "/" + name;
    for (int attempt = 0; attempt < kTakeAttempts; ++attempt) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int n =
                std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(::getpid()));
            const bool written = ::write(fd, text, static_cast<std::size_t>(n)) == n;
            ::close(fd);
            if (!written) {
                ::unlink(file.c_str());
                return skipped("no lock file: " + file + " cannot be written");
            }
            TPortLock lock;
            lock.outcome = TPortLock::TOutcome::Taken;
            lock.file = file;
            return lock;
        }
        if (errno != EEXIST) {
            return skipped("no lock file in " + folder + ": " + std::strerror(errno) +
                           " (flock and TIOCEXCL only)");
        }
        const long pid = pidIn(file);
        if (processRuns(pid) || (pid == 0 && recentlyWritten(file))) {
            TPortLock lock;
            lock.outcome = TPortLock::TOutcome::Held;
            lock.file = file;
            lock.holderPid = pid;
            return lock;
        }
        // Stale: its owner ended without removing it.
        if (::unlink(file.c_str()) != 0 && errno != ENOENT) {
            return skipped("no lock file: the stale " + file + " cannot be removed: " +
                           std::strerror(errno) + " (flock and TIOCEXCL only)");
        }
    }
    return skipped("no lock file: " + file + " keeps reappearing");
}

void releasePortLock(const std::string& file) {
    if (!file.empty() && pidIn(file) == static_cast<long>(::getpid())) {
        ::unlink(file.c_str());
    }
}
