#include "comm/uCommThread.h"

#include "comm/run_observer.h"
#include "comm/uExceptions1V0.h"
#include "comm/worker_threads.h"

#include <condition_variable>
#include <mutex>
#include <thread>

std::atomic<bool> gCancel{false};

namespace {

TReplyVerdict verdictOf(TReplyCheck check, std::size_t received) {
    switch (check) {
    case TReplyCheck::Valid:
        return TReplyVerdict::Ok;
    case TReplyCheck::DeviceException:
        return TReplyVerdict::DeviceException;
    case TReplyCheck::NoValidReply:
        break;
    }
    return received < kFrameSize ? TReplyVerdict::ShortRead : TReplyVerdict::WrongCheckByte;
}

struct TLiveCount {
    std::mutex lock;
    std::condition_variable changed;
    int count = 0;
};

// Never destroyed: a detached worker may end while the process is already ending.
TLiveCount& live() {
    static auto* instance = new TLiveCount;
    return *instance;
}

} // namespace

TCommThread::TCommThread(TWindowHandle hWindow, TCmd cmd, std::string sPort)
    : FCmd(cmd), FhWindow(hWindow), FsPort(std::move(sPort)) {
    std::lock_guard guard(live().lock);
    ++live().count;
}

TCommThread::~TCommThread() {
    closePort();
    {
        std::lock_guard guard(live().lock);
        --live().count;
    }
    live().changed.notify_all();
}

int TCommThread::liveWorkers() {
    std::lock_guard guard(live().lock);
    return live().count;
}

bool TCommThread::waitUntilNoneLive(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    {
        std::unique_lock guard(live().lock);
        if (!live().changed.wait_until(guard, deadline, [] { return live().count == 0; })) {
            return false;
        }
    }
    // The worker objects are gone; their threads may still be ending.
    return waitForEndedWorkerThreads(deadline);
}

void TCommThread::Execute() {
    const auto cmd = static_cast<std::int32_t>(FCmd);
    TStatusMessage final{kStatusCompleted, cmd};
    try {
        observePhase(TRunPhase::OpeningPort);
        FhPort = openComPort(FsPort, kLoggerBaudRate);
        if (FhPort == kInvalidPortHandle) {
            throw portFailure(kErrPortNotReady, nullptr);
        }
        // Closes the port however the job is left, before the final message is posted.
        struct TPortCloser {
            TCommThread& worker;
            ~TPortCloser() { worker.closePort(); }
        } closer{*this};
        resetProgress();
        observePhase(TRunPhase::Waking);
        sendCmd(false, kWakeCommand);
        pause(kWakePause);
        sendCmd(false, kWakeCommand);
        pause(kWakePause);
        executeCmd();
    } catch (...) {
        final = finalMessageFor(std::current_exception(), cmd);
    }
    postStatus(final.code, final.value);
}

void TCommThread::executeCmd() {
    doCmd();
}

void TCommThread::doCmd() {}

bool TCommThread::sendCmd(bool awaitReply, std::uint8_t cmd, std::uint8_t p1, std::uint8_t p2,
                          std::uint8_t p3, std::uint8_t p4, std::uint8_t p5, std::uint8_t p6) {
    FTxBuffer = buildCommandFrame(cmd, p1, p2, p3, p4, p5, p6);
    for (FTryNumber = 1;; ++FTryNumber) {
        if (gCancel.load(std::memory_order_relaxed)) {
            throw EZel(kErrCancelled);
        }
        if (transferFrame(awaitReply)) {
            return true;
        }
        if (FTryNumber == kFrameTries) {
            throw EZel(kErrNoReply);
        }
        pause(kTryPause);
    }
}

EZel TCommThread::portFailure(std::int32_t code, const char* call) const {
    if (TRunObserver* observer = runObserver()) {
        observer->portFailed(lastPortFault());
    }
    return call != nullptr ? EZel(code, call) : EZel(code);
}

bool TCommThread::transferFrame(bool awaitReply) {
    if (!clearPortErrors(FhPort)) {
        throw portFailure(kErrPortIo, "ClearCommError");
    }
    if (!purgePort(FhPort)) {
        throw portFailure(kErrPortIo, "PurgeComm");
    }
    std::size_t written = 0;
    if (!writePort(FhPort, FTxBuffer.data(), FTxBuffer.size(), written)) {
        throw portFailure(kErrPortIo, "WriteFile");
    }
    TRunObserver* observer = runObserver();
    if (observer != nullptr) {
        observer->frameSent(FTxBuffer, written, FTryNumber, awaitReply);
    }
    if (written < FTxBuffer.size()) {
        return false;
    }
    if (!awaitReply) {
        return true;
    }
    std::size_t received = 0;
    if (!readPort(FhPort, FRxBuffer.data(), FRxBuffer.size(), received)) {
        throw portFailure(kErrPortIo, "ReadFile");
    }
    const TReplyCheck check = checkReply(FRxBuffer.data(), received);
    if (observer != nullptr) {
        observer->replyReceived(FRxBuffer.data(), received, FTryNumber, verdictOf(check, received));
    }
    switch (check) {
    case TReplyCheck::NoValidReply:
        return false;
    case TReplyCheck::DeviceException:
        throw EZel(kErrNotReady, "Zel Exception!");
    case TReplyCheck::Valid:
        break;
    }
    return true;
}

void TCommThread::setProgress(std::int32_t pos, std::int32_t total) {
    std::int32_t percent = 0;
    if (total != 0) {
        // 64-bit product: pos * 99 may leave the 32-bit range for large positions.
        percent = static_cast<std::int32_t>(static_cast<std::int64_t>(pos) * 99 / total);
    }
    if (percent < 0) {
        percent = 0;
    } else if (percent > 99) {
        percent = 99;
    }
    if (percent != FnProgres) {
        FnProgres = percent;
        postStatus(kStatusProgress, percent);
    }
}

void TCommThread::resetProgress() {
    FnProgres = 0;
}

void TCommThread::closePort() {
    if (FhPort != kInvalidPortHandle) {
        closeComPort(FhPort);
        FhPort = kInvalidPortHandle;
    }
}

void TCommThread::postStatus(std::int32_t code, std::int32_t value) const {
    postMessage(FhWindow, WM_USER, code, value);
}

void TCommThread::pause(std::chrono::milliseconds duration) {
    if (TRunObserver* observer = runObserver()) {
        observer->paused(duration);
    }
    std::this_thread::sleep_for(duration);
}

void TCommThread::observePhase(TRunPhase phase) {
    if (TRunObserver* observer = runObserver()) {
        observer->phaseStarted(phase);
    }
}

void TCommThread::observeLineAttempt(int line, int lines, int attempt) {
    if (TRunObserver* observer = runObserver()) {
        observer->lineAttempt(line, lines, attempt);
    }
}
