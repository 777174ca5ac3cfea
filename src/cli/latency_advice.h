#pragma once
// The warning for an adapter whose latency timer the updater cannot set itself (Windows): a
// real FTDI chip holds each short reply until the timer expires, so every exchange of an update
// waits for it.

#include <optional>
#include <string>

// About this many frame exchanges make one update of the built-in images.
inline constexpr unsigned kExchangesPerUpdate = 7500;

// Nothing for a timer of 1 ms or less; else the warning, with the cost and the way to change
// it, as one line.
std::optional<std::string> latencyAdvice(const std::string& port, unsigned latencyMs);
