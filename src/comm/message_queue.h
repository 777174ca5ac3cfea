#pragma once
// A message target whose messages wait in a queue for a reader on another thread
// (the headless updater's main loop, tests).

#include "comm/message_post.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

class TMessageQueue {
public:
    TMessageQueue();
    ~TMessageQueue();
    TMessageQueue(const TMessageQueue&) = delete;
    TMessageQueue& operator=(const TMessageQueue&) = delete;

    TWindowHandle handle() const { return FhTarget; }
    // The next message, or nothing when none arrived within `timeout`.
    std::optional<TStatusMessage> waitNext(std::chrono::milliseconds timeout);
    // No message waits (the reader has caught up with the poster).
    bool empty();

private:
    void push(TStatusMessage message);

    std::mutex FLock;
    std::condition_variable FArrived;
    std::deque<TStatusMessage> FMessages;
    TWindowHandle FhTarget;
};
