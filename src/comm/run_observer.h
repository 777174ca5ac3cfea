#pragma once
// What a worker does between its status messages, for front ends that show more than the
// window does (the headless updater's progress line, trace and summary). The observer is
// process-wide and is called on the worker's thread, so it must be thread-safe. With none
// set, nothing is called and nothing is formatted.

#include "comm/frame.h"
#include "comm/port_fault.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

// In the order of a run (front ends index tables by it).
enum class TRunPhase {
    OpeningPort,
    Waking,
    Identifying,
    ReachingController, // the sub-commands before an update and the platform and print
    WritingLines,
    Finishing,        // the end of programming
    RestartingModule, // the last sub-command and the final frame
};

// How a try of a frame exchange ended, as far as the reply is concerned.
enum class TReplyVerdict { Ok, ShortRead, WrongCheckByte, DeviceException };

class TRunObserver {
public:
    virtual ~TRunObserver() = default;
    virtual void phaseStarted(TRunPhase phase) = 0;
    // Firmware line `line` (from 0) of the `lines` to send begins attempt `attempt` (from 1).
    virtual void lineAttempt(int line, int lines, int attempt) = 0;
    // A try (from 1) wrote `written` of the frame's 8 bytes; `awaitReply` tells whether a
    // reply is read next.
    virtual void frameSent(const TFrame& frame, std::size_t written, int tryNumber,
                           bool awaitReply) = 0;
    virtual void replyReceived(const std::uint8_t* bytes, std::size_t count, int tryNumber,
                               TReplyVerdict verdict) = 0;
    virtual void paused(std::chrono::milliseconds duration) = 0;
    // A port call failed; the run ends with error 10 or 11.
    virtual void portFailed(const TPortFault& fault) = 0;
    // A remark of the serial layer (a setting the port refused, a fallback it took).
    virtual void note(const std::string& text) = 0;
};

// Sets the process-wide observer (nullptr: none). The observer must outlive every worker.
void setRunObserver(TRunObserver* observer);
TRunObserver* runObserver();
