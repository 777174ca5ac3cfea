#include "sim/sim_line.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

// A stop request is seen within this long: reads wait at most this long at a time.
constexpr DWORD kLongestReadMs = 20;

struct TNullModem {
    std::string toolSide;
    std::string loggerSide;
};

// The pairs of SDU_TEST_NULL_MODEMS ("COM20=COM21,COM22=COM23").
std::vector<TNullModem> nullModems() {
    std::vector<TNullModem> pairs;
    const char* text = std::getenv("SDU_TEST_NULL_MODEMS");
    std::string rest = text != nullptr ? text : "";
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string pair = rest.substr(0, comma);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos && equals > 0 && equals + 1 < pair.size()) {
            pairs.push_back({pair.substr(0, equals), pair.substr(equals + 1)});
        }
    }
    return pairs;
}

std::mutex gPairsLock;
std::set<std::size_t> gPairsInUse;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": Windows error " + std::to_string(GetLastError()));
}

} // namespace

struct TSimLine::TImpl {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::size_t pair = 0;
    DWORD readTimeoutMs = MAXDWORD; // as last set
    std::atomic<bool> stopRequested{false};
    HANDLE stopEvent = nullptr;

    ~TImpl() {
        if (port != INVALID_HANDLE_VALUE) {
            CloseHandle(port);
        }
        if (stopEvent != nullptr) {
            CloseHandle(stopEvent);
        }
        std::lock_guard guard(gPairsLock);
        gPairsInUse.erase(pair);
    }

    void setReadTimeout(DWORD ms) {
        if (ms == readTimeoutMs) {
            return;
        }
        // Waits up to `ms` for the first byte and returns 1 ms after the last one (0: returns at
        // once with what has arrived). Not the documented "MAXDWORD, MAXDWORD, ms" form for
        // "return as soon as anything arrives": wine always waits the whole `ms` with it.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = ms == 0 ? MAXDWORD : 1;
        timeouts.ReadTotalTimeoutConstant = ms;
        timeouts.WriteTotalTimeoutConstant = 50;
        if (SetCommTimeouts(port, &timeouts)) {
            readTimeoutMs = ms;
        }
    }
};

TSimLine::TSimLine(const std::string& linkPath) : FImpl(std::make_unique<TImpl>()) {
    if (!linkPath.empty()) {
        throw std::runtime_error("a link to the simulated logger's port exists on POSIX only");
    }
    const std::vector<TNullModem> pairs = nullModems();
    TImpl& line = *FImpl;
    {
        std::lock_guard guard(gPairsLock);
        std::size_t i = 0;
        while (i < pairs.size() && gPairsInUse.count(i) != 0) {
            ++i;
        }
        if (i == pairs.size()) {
            throw std::runtime_error(
                pairs.empty() ? "no null-modem pair of COM ports: set SDU_TEST_NULL_MODEMS"
                              : "every null-modem pair of SDU_TEST_NULL_MODEMS is in use");
        }
        gPairsInUse.insert(i);
        line.pair = i;
    }
    FPortName = pairs[line.pair].toolSide;
    const std::string device = "\\\\.\\" + pairs[line.pair].loggerSide;
    line.port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
    if (line.port == INVALID_HANDLE_VALUE) {
        fail("cannot open " + device);
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(line.port, &dcb)) {
        fail("GetCommState");
    }
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    if (!SetCommState(line.port, &dcb)) {
        fail("SetCommState");
    }
    line.setReadTimeout(0);
    PurgeComm(line.port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    line.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (line.stopEvent == nullptr) {
        fail("CreateEvent");
    }
}

TSimLine::~TSimLine() = default;

void TSimLine::preciseTimers() {}

TSimLine::TWait TSimLine::waitRead(std::optional<TClock::duration> timeout,
                                   std::span<std::uint8_t> buffer, std::size_t& count) {
    TImpl& line = *FImpl;
    count = 0;
    const auto deadline = timeout ? std::optional(TClock::now() + *timeout) : std::nullopt;
    for (;;) {
        if (line.stopRequested) {
            return TWait::Stopped;
        }
        DWORD waitMs = kLongestReadMs;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                std::max(*deadline - TClock::now(), TClock::duration::zero()));
            waitMs = static_cast<DWORD>(std::min<long long>(left.count(), kLongestReadMs));
        }
        if (line.port == INVALID_HANDLE_VALUE) {
            // Hung up: only a stop request can come.
            WaitForSingleObject(line.stopEvent, waitMs);
        } else {
            line.setReadTimeout(waitMs);
            DWORD read = 0;
            if (ReadFile(line.port, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                         nullptr) &&
                read > 0) {
                count = read;
                return TWait::Data;
            }
        }
        if (deadline && TClock::now() >= *deadline) {
            return line.stopRequested ? TWait::Stopped : TWait::Timeout;
        }
    }
}

void TSimLine::write(const TFrame& frame) {
    if (FImpl->port != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(FImpl->port, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr);
    }
}

void TSimLine::hangUp() {
    // The tool's side keeps its port; it hears nothing from the logger from now on.
    if (FImpl->port != INVALID_HANDLE_VALUE) {
        CloseHandle(FImpl->port);
        FImpl->port = INVALID_HANDLE_VALUE;
    }
}

void TSimLine::requestStop() {
    FImpl->stopRequested = true;
    SetEvent(FImpl->stopEvent);
}
