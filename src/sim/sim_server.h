#pragma once
// Serves a TSimLogger on its serial line (sim/sim_line.h: a pseudo-terminal on POSIX, one side
// of a null-modem pair of COM ports on Windows), on a background thread: open slavePath() as
// the logger's serial port. The tool may close and re-open the port between runs without the
// line hanging up (only the hang-up fault ends the line, and the thread). Stops in its
// destructor.
//
//   TSimServer sim(TSimOptions{});          // class 0x6601 6.0, platform 25, print 52
//   runUpdate(sim.slavePath());
//   EXPECT_TRUE(sim.restarted());
//   EXPECT_EQ(sim.flashHexRecords(), dataLinesOf(image3));
//
// All accessors are thread-safe.

#include "sim/sim_logger.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TSimLine;

class TSimServer {
public:
    // Opens the line and starts serving. With a `linkPath` (POSIX), a symlink to the slave is
    // made there (an existing symlink of that name is replaced, any other file is left alone
    // and makes it fail) and removed again by the destructor. Throws std::runtime_error when
    // the line or the link cannot be made.
    explicit TSimServer(TSimOptions options = {}, std::string linkPath = {});
    ~TSimServer();
    TSimServer(const TSimServer&) = delete;
    TSimServer& operator=(const TSimServer&) = delete;

    // The port the tool opens, and the symlink to it (empty without one).
    const std::string& slavePath() const;
    const std::string& linkPath() const { return FLinkPath; }

    // Ends the serving thread (idempotent); the results stay readable.
    void stop();
    // Blocks until the serving thread has ended (stop() or a hang-up).
    void waitForEnd();
    // Waits until `predicate(device)` holds (checked after every batch of bytes and every
    // dropped partial frame) or the
    // timeout passes or the thread ends; returns the predicate's last value.
    bool waitUntil(const std::function<bool(const TSimLogger&)>& predicate,
                   std::chrono::milliseconds timeout);

    // Runs `f` on the device under the server's lock and returns its result.
    template <class F> auto withDevice(F&& f) const {
        std::lock_guard guard(FLock);
        return f(static_cast<const TSimLogger&>(FDevice));
    }

    std::vector<std::string> flashHexRecords() const;
    bool restarted() const;
    bool programmingEnded() const;
    bool hungUp() const;
    TSimCounters counters() const;

private:
    void run();
    void serve();

    mutable std::mutex FLock;
    std::condition_variable FChanged;
    TSimLogger FDevice;
    std::string FLinkPath;
    std::unique_ptr<TSimLine> FLine;
    bool FEnded = false;
    std::mutex FStopLock; // serialises stop(): one join
    std::thread FThread;
};
