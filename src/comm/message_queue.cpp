#include "comm/message_queue.h"

TMessageQueue::TMessageQueue()
    : FhTarget(registerMessageTarget([this](std::uint32_t msg, TStatusMessage message) {
          if (msg == WM_USER) {
              push(message);
          }
      })) {}

TMessageQueue::~TMessageQueue() {
    unregisterMessageTarget(FhTarget);
}

void TMessageQueue::push(TStatusMessage message) {
    {
        std::lock_guard guard(FLock);
        FMessages.push_back(message);
    }
    FArrived.notify_one();
}

std::optional<TStatusMessage> TMessageQueue::waitNext(std::chrono::milliseconds timeout) {
    std::unique_lock guard(FLock);
    if (!FArrived.wait_for(guard, timeout, [this] { return !FMessages.empty(); })) {
        return std::nullopt;
    }
    const TStatusMessage message = FMessages.front();
    FMessages.pop_front();
    return message;
}

bool TMessageQueue::empty() {
    std::lock_guard guard(FLock);
    return FMessages.empty();
}
