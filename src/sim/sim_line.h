#pragma once
// The simulated logger's end of its serial line, one implementation per OS:
//   POSIX    a pseudo-terminal; the tool opens its slave (portName()). The line keeps a slave
//            descriptor of its own, so the tool may close and re-open the port between runs
//            without the line hanging up.
//   Windows  one side of a null-modem pair of COM ports (a pair from SDU_TEST_NULL_MODEMS,
//            "COM20=COM21,COM22=COM23": the tool opens the left port, the line the right).
// Used by the serving thread only, except requestStop().

#include "comm/frame.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

class TSimLine {
public:
    using TClock = std::chrono::steady_clock;

    // Throws std::runtime_error when the line cannot be made. `linkPath` (POSIX only): a
    // symlink to the slave is made there (an existing symlink of that name is replaced, any
    // other file makes it fail) and removed again by the destructor.
    explicit TSimLine(const std::string& linkPath);
    ~TSimLine();
    TSimLine(const TSimLine&) = delete;
    TSimLine& operator=(const TSimLine&) = delete;

    // The port name the tool opens.
    const std::string& portName() const { return FPortName; }

    // Replies leave on time to the microsecond (called by the serving thread when a baud rate
    // is emulated).
    void preciseTimers();

    enum class TWait { Data, Timeout, Stopped };
    // Waits until bytes arrive (read into `buffer`, their number in `count`), `timeout` passes
    // (none: no time limit) or requestStop() is called.
    TWait waitRead(std::optional<TClock::duration> timeout, std::span<std::uint8_t> buffer,
                   std::size_t& count);
    // Sends a reply without waiting: a reply nobody reads is dropped.
    void write(const TFrame& frame);
    // Ends the line as a pulled cable does (the hang-up fault).
    void hangUp();
    // Wakes waitRead with Stopped, now and at every later call. Thread-safe.
    void requestStop();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    std::string FPortName;
};
