#pragma once
// The frame trace of --trace: every frame sent and received with the time since the trace
// began (monotonic, ms), direction, the 8 bytes in hex, the try and the verdict, plus pauses,
// phases, restarts and port failures. One line per event, flushed as it is written, so a
// trace stays readable up to the moment a run hung or the program was killed.
//
//      0.3 open /dev/ttyUSB0
//    208.9 TX 81 00 00 00 00 00 00 AA  try 1
//    223.4 RX 01 00 66 01 06 00 00 5C  try 1  ok
//    431.7 RX 01 00 66  (3 of 8 bytes)  try 2  short read

#include "comm/frame.h"
#include "comm/port_fault.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

class TFrameTrace {
public:
    // Writes to `out`, which it closes at the end when `owned`.
    TFrameTrace(std::FILE* out, bool owned);
    ~TFrameTrace();
    TFrameTrace(const TFrameTrace&) = delete;
    TFrameTrace& operator=(const TFrameTrace&) = delete;

    void frameSent(const TFrame& frame, std::size_t written, int tryNumber, bool awaitReply);
    // `verdict` is one of "ok", "short read", "wrong check byte", "device exception".
    void replyReceived(const std::uint8_t* bytes, std::size_t count, int tryNumber,
                       const char* verdict);
    void portFailed(const TPortFault& fault);
    // Any other event: a phase, a pause, a restart, a note of the serial layer.
    void event(const std::string& text);

private:
    void writeLine(const std::string& text);

    std::mutex FLock;
    std::FILE* FOut;
    bool FOwned;
    std::chrono::steady_clock::time_point FStart;
};
