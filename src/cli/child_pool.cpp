#include "cli/child_pool.h"

#include <stdexcept>

bool TChildPool::start(const std::string& port) {
    try {
        FChildren[port] = std::make_unique<TChildProcess>(
            FChildArgs(port),
            [this, port](bool fromStderr, std::string line) {
                push({port, fromStderr ? TChildEvent::TKind::Stderr : TChildEvent::TKind::Json,
                      std::move(line)});
            },
            [this, port] {
                push({port, TChildEvent::TKind::Ended, {}});
            });
        return true;
    } catch (const std::runtime_error& e) {
        FChildren.erase(port);
        push({port, TChildEvent::TKind::Stderr, std::string("sdupdate-cli: ") + e.what()});
        push({port, TChildEvent::TKind::Ended, {}});
        return false;
    }
}

void TChildPool::push(TChildEvent event) {
    {
        std::lock_guard guard(FLock);
        FEvents.push_back(std::move(event));
    }
    FArrived.notify_one();
}

std::optional<TChildEvent> TChildPool::next(std::chrono::milliseconds timeout) {
    std::unique_lock guard(FLock);
    if (!FArrived.wait_for(guard, timeout, [this] { return !FEvents.empty(); })) {
        return std::nullopt;
    }
    TChildEvent event = std::move(FEvents.front());
    FEvents.pop_front();
    return event;
}

std::optional<int> TChildPool::finish(const std::string& port) {
    const auto it = FChildren.find(port);
    if (it == FChildren.end()) {
        return std::nullopt;
    }
    const std::optional<int> status = it->second->wait();
    FChildren.erase(it);
    return status;
}

void TChildPool::cancelAll() {
    for (auto& [port, child] : FChildren) {
        child->cancel();
    }
}
