#include "sim/sim_server.h"

#include "sim/sim_line.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace {

using TClock = std::chrono::steady_clock;

// A frame left incomplete for this long is dropped, so that frames find their start again.
constexpr auto kPartialFrameGap = std::chrono::milliseconds(50);

// Time left until `deadline`, never negative.
TClock::duration timeUntil(TClock::time_point deadline, TClock::time_point now) {
    return deadline <= now ? TClock::duration::zero() : deadline - now;
}

} // namespace

TSimServer::TSimServer(TSimOptions options, std::string linkPath)
    : FDevice(std::move(options)), FLinkPath(std::move(linkPath)),
      FLine(std::make_unique<TSimLine>(FLinkPath)) {
    FThread = std::thread([this] { run(); });
}

TSimServer::~TSimServer() {
    stop();
}

const std::string& TSimServer::slavePath() const {
    return FLine->portName();
}

void TSimServer::stop() {
    std::lock_guard stopGuard(FStopLock);
    if (FThread.joinable()) {
        FLine->requestStop();
        FThread.join();
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
        FLine->preciseTimers();
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
        std::size_t received = 0;
        const TSimLine::TWait woke = FLine->waitRead(wait, chunk, received);
        if (woke == TSimLine::TWait::Stopped) {
            return;
        }
        now = TClock::now();
        if (woke == TSimLine::TWait::Data) {
            std::vector<TFrame> replies;
            bool hungUp = false;
            {
                std::lock_guard guard(FLock);
                replies = FDevice.feed(std::span(chunk, received));
                hungUp = FDevice.hungUp();
                partial = FDevice.hasPartialFrame();
            }
            FChanged.notify_all();
            partialSince = now;
            if (hungUp) {
                FLine->hangUp();
                return;
            }
            for (const TFrame& reply : replies) {
                TClock::time_point due = now;
                if (baud != 0) {
                    due = std::max(now + 16 * byteTime, lastDue + 8 * byteTime);
                    lastDue = due;
                }
                pending.push_back({due, reply});
            }
        }
        now = TClock::now();
        while (!pending.empty() && pending.front().due <= now) {
            FLine->write(pending.front().frame);
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
