#pragma once
// Status messages from a worker to a window: a process-wide table of message targets.
// A window registers a sink and gets a handle; posting to a handle that is gone drops the
// message. Posting never waits for the receiver.

#include <cstdint>
#include <functional>

using TWindowHandle = std::int32_t;
inline constexpr TWindowHandle kNoWindow = 0;
// The window message that carries a status code (wParam) and a value (lParam).
inline constexpr std::uint32_t WM_USER = 0x400;

struct TStatusMessage {
    std::int32_t code;
    std::int32_t value;
    friend bool operator==(const TStatusMessage&, const TStatusMessage&) = default;
};

// Called on the posting thread; must only hand the message on (queue it), never block.
using TMessageSink = std::function<void(std::uint32_t msg, TStatusMessage message)>;

TWindowHandle registerMessageTarget(TMessageSink sink);
// After this returns the sink is never called again.
void unregisterMessageTarget(TWindowHandle handle);
// False when no target has that handle (the message is dropped).
bool postMessage(TWindowHandle handle, std::uint32_t msg, std::int32_t wParam, std::int32_t lParam);
