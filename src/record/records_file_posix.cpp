#include "base/unique_fd.h"
#include "record/records_file.h"
#include "record/records_lock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

bool failed(const std::string& what, std::string& error) {
    error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

std::string defaultRecordsFile() {
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        data = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    return data + "/sdupdate/updates.jsonl";
}

bool appendRecord(const std::string& file, const std::string& line, std::string& error,
                  std::chrono::milliseconds lockWait) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            error = "cannot create " + folder.string() + ": " + ec.message();
            return false;
        }
    }
    const TUniqueFd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        return failed("cannot open " + file, error);
    }
    // Writers on other file systems than local ones may need the lock; it costs nothing here.
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return failed("cannot lock " + file, error);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = lockHeldText(file, lockWait);
            return false;
        }
        std::this_thread::sleep_for(kLockRetryPause);
    }
    std::string text = line + "\n";
    struct stat st {};
    char last = '\n';
    if (::fstat(fd.get(), &st) == 0 && st.st_size > 0 &&
        ::pread(fd.get(), &last, 1, st.st_size - 1) == 1 && last != '\n') {
        text.insert(text.begin(), '\n'); // a line torn by a crash ends here
    }
    const ssize_t written = ::write(fd.get(), text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size())) {
        return failed("cannot write " + file, error);
    }
    if (::fsync(fd.get()) != 0) {
        return failed("cannot flush " + file, error);
    }
    return true;
}
