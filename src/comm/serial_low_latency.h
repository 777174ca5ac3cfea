#pragma once
// Linux: the low-latency mode of a USB-serial adapter. A real FTDI chip holds a short reply
// until its latency timer expires (16 ms by default), so every 8-byte exchange waits for it;
// with ASYNC_LOW_LATENCY set through TIOCSSERIAL, ftdi_sio sets the timer to 1 ms (a flag a
// user without privileges may change), which saves about 16 ms on each of the ~7500
// exchanges of an update. A port that refuses it (a pseudo-terminal, another driver) is used
// as it is.

#include <optional>
#include <string>

// Sets the flag; the flags to put back at close, or nothing when there is nothing to put back
// (the port refused, with the reason in `note`, or had the flag already).
std::optional<int> enableLowLatency(int fd, std::string& note);
// Puts the flags back (a port that went away is left as it is).
void restoreSerialFlags(int fd, int flags);
