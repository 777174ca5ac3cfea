#pragma once
// The worker that owns the serial port for one run of a job: open, two wake frames, the job,
// close, one final status message (0, 10 or 13), then it deletes itself.

#include "comm/frame.h"
#include "comm/message_post.h"
#include "comm/run_observer.h"
#include "comm/serial_port.h"
#include "comm/uExceptions1V0.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

enum class TCmd : std::uint8_t { tCMD0 = 0, tCMD1 = 1, tCMD2 = 2, tCMD_TEST = 3 };

// Set by the window to cancel; the worker reads it before every try of a frame exchange.
extern std::atomic<bool> gCancel;

class TCommThread {
public:
    TCommThread(TWindowHandle hWindow, TCmd cmd, std::string sPort);
    virtual ~TCommThread();
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // Runs the fully constructed worker on a detached thread that owns and finally deletes it.
    static void start(std::unique_ptr<TCommThread> worker);

    // Workers constructed and not yet deleted, and a wait for their number to fall to zero and
    // for their threads to have ended (for an orderly end of the programs and of tests).
    static int liveWorkers();
    static bool waitUntilNoneLive(std::chrono::milliseconds timeout);

    // Builds the frame (command 255: the wake frame) and exchanges it with up to 5 tries and
    // 100 ms between them. Returns true or throws EZel 20 (cancelled), 30 (no valid reply),
    // 11 (port call failed) or 41 (device exception).
    bool sendCmd(bool awaitReply, std::uint8_t cmd, std::uint8_t p1 = 0, std::uint8_t p2 = 0,
                 std::uint8_t p3 = 0, std::uint8_t p4 = 0, std::uint8_t p5 = 0,
                 std::uint8_t p6 = 0);

protected:
    void Execute();
    virtual void executeCmd();
    // The job; empty here, the update procedure overrides it.
    virtual void doCmd();

    // One try: true on success, false when a retry may help; throws EZel 11 or 41.
    bool transferFrame(bool awaitReply);
    // Posts (1, pos * 99 / total clamped to 0..99) when the percentage changed.
    void setProgress(std::int32_t pos, std::int32_t total);
    void resetProgress();
    void closePort();
    void postStatus(std::int32_t code, std::int32_t value) const;
    // Sleeps; a cancel takes effect at the next frame after it.
    void pause(std::chrono::milliseconds duration);
    // Tell the process-wide run observer, if one is set, what the run is doing.
    void observePhase(TRunPhase phase);
    void observeLineAttempt(int line, int lines, int attempt);

    TCmd FCmd;
    TFrame FTxBuffer{};
    TFrame FRxBuffer{};
    TWindowHandle FhWindow;
    std::string FsPort;
    TPortHandle FhPort = kInvalidPortHandle;
    std::int32_t FnProgres = 0;

private:
    // EZel `code` for a failed port call, after the observer has heard the system's reason.
    EZel portFailure(std::int32_t code, const char* call) const;

    int FTryNumber = 0; // the try of the exchange under way, from 1
};

// The class reference by which a window creates its workers: constructs, does not start.
using TWorkerClass = std::unique_ptr<TCommThread> (*)(TWindowHandle hWindow, TCmd cmd,
                                                      const std::string& sPort);

template <class T>
std::unique_ptr<TCommThread> createWorker(TWindowHandle hWindow, TCmd cmd,
                                          const std::string& sPort) {
    return std::make_unique<T>(hWindow, cmd, sPort);
}

inline constexpr std::chrono::milliseconds kTryPause{100};
inline constexpr std::chrono::milliseconds kWakePause{100};
inline constexpr int kFrameTries = 5;
