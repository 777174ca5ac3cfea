#include "cli/child_process.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

std::wstring widen(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

// One argument quoted so that the child's CommandLineToArgvW gives it back unchanged.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

void readLines(HANDLE pipe, bool fromStderr, const std::function<void(bool, std::string)>& onLine) {
    std::string pending;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        pending.append(buffer, n);
        for (std::size_t at; (at = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, at);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            onLine(fromStderr, std::move(line));
            pending.erase(0, at + 1);
        }
    }
    if (!pending.empty()) {
        onLine(fromStderr, pending);
    }
    CloseHandle(pipe);
}

} // namespace

struct TChildProcess::TImpl {
    PROCESS_INFORMATION process{};
    std::optional<int> status;
    bool running = false;
    std::thread outReader;
    std::thread errReader;
    std::atomic<int> openStreams{2};
};

TChildProcess::TChildProcess(const std::vector<std::string>& args,
                             std::function<void(bool, std::string)> onLine,
                             std::function<void()> onEnd)
    : FImpl(std::make_unique<TImpl>()) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    HANDLE errRead = nullptr;
    HANDLE errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
        !CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        throw std::runtime_error("cannot create a pipe for a child");
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine;
    for (const auto& arg : args) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quoted(widen(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    // A process group of its own: Ctrl-C reaches the supervisor only; cancel() sends Ctrl-Break.
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &FImpl->process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        throw std::runtime_error("cannot start a child");
    }
    FImpl->running = true;
    auto finished = [impl = FImpl.get(), onEnd] {
        if (impl->openStreams.fetch_sub(1) == 1) {
            onEnd();
        }
    };
    FImpl->outReader = std::thread([outRead, onLine, finished] {
        readLines(outRead, false, onLine);
        finished();
    });
    FImpl->errReader = std::thread([errRead, onLine, finished] {
        readLines(errRead, true, onLine);
        finished();
    });
}

TChildProcess::~TChildProcess() {
    if (FImpl->running) {
        TerminateProcess(FImpl->process.hProcess, 1);
        wait();
    }
    FImpl->outReader.join();
    FImpl->errReader.join();
    CloseHandle(FImpl->process.hThread);
    CloseHandle(FImpl->process.hProcess);
}

void TChildProcess::cancel() {
    if (FImpl->running) {
        GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, FImpl->process.dwProcessId);
    }
}

std::optional<int> TChildProcess::wait() {
    if (!FImpl->running) {
        return FImpl->status;
    }
    WaitForSingleObject(FImpl->process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(FImpl->process.hProcess, &code)) {
        FImpl->status = static_cast<int>(code);
    }
    FImpl->running = false;
    return FImpl->status;
}

std::string selfExecutable() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0) {
        return "sdupdate-cli.exe";
    }
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), out.data(), size, nullptr, nullptr);
    return out;
}
