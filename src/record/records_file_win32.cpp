#include "record/records_file.h"

#include "record/records_lock.h"

#include "firmware/text_file.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

class THandle {
public:
    explicit THandle(HANDLE h) : FHandle(h) {}
    ~THandle() {
        if (FHandle != INVALID_HANDLE_VALUE) {
            CloseHandle(FHandle);
        }
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE get() const { return FHandle; }

private:
    HANDLE FHandle;
};

bool failed(const std::string& what, std::string& error) {
    error = what + ": Windows error " + std::to_string(GetLastError());
    return false;
}

} // namespace

std::string defaultRecordsFile() {
    const char* local = std::getenv("LOCALAPPDATA");
    if (local == nullptr || *local == '\0') {
        return {};
    }
    return std::string(local) + "\\sdupdate\\updates.jsonl";
}

bool appendRecord(const std::string& file, const std::string& line, std::string& error,
                  std::chrono::milliseconds lockWait) {
    const std::filesystem::path path = pathFromUtf8(file);
    std::error_code ec;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ec);
        if (ec) {
            error = "cannot create the folder of " + file + ": " + ec.message();
            return false;
        }
    }
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end, as one append.
    const THandle h(CreateFileW(path.wstring().c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
        return failed("cannot open " + file, error);
    }
    OVERLAPPED whole{};
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    while (!LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                       MAXDWORD, &whole)) {
        if (GetLastError() != ERROR_LOCK_VIOLATION) {
            return failed("cannot lock " + file, error);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = lockHeldText(file, lockWait);
            return false;
        }
        std::this_thread::sleep_for(kLockRetryPause);
    }
    std::string text = line + "\n";
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart > 0) {
        OVERLAPPED at{};
        const ULONGLONG offset = static_cast<ULONGLONG>(size.QuadPart - 1);
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        char last = '\n';
        DWORD read = 0;
        if (ReadFile(h.get(), &last, 1, &read, &at) && read == 1 && last != '\n') {
            text.insert(text.begin(), '\n'); // a line torn by a crash ends here
        }
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(h.get());
    UnlockFileEx(h.get(), 0, MAXDWORD, MAXDWORD, &whole);
    return ok || failed("cannot write " + file, error);
}
