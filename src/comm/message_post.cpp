#include "comm/message_post.h"

#include <map>
#include <mutex>

namespace {

struct TTargetTable {
    std::mutex lock;
    std::map<TWindowHandle, TMessageSink> sinks;
    TWindowHandle next = 1;
};

// Never destroyed: a detached worker may still post while the process ends.
TTargetTable& table() {
    static auto* instance = new TTargetTable;
    return *instance;
}

} // namespace

TWindowHandle registerMessageTarget(TMessageSink sink) {
    auto& t = table();
    std::lock_guard guard(t.lock);
    while (t.next == kNoWindow || t.sinks.count(t.next) != 0) {
        ++t.next;
    }
    const TWindowHandle handle = t.next++;
    t.sinks.emplace(handle, std::move(sink));
    return handle;
}

void unregisterMessageTarget(TWindowHandle handle) {
    auto& t = table();
    std::lock_guard guard(t.lock);
    t.sinks.erase(handle);
}

bool postMessage(TWindowHandle handle, std::uint32_t msg, std::int32_t wParam,
                 std::int32_t lParam) {
    auto& t = table();
    // The sink runs under the lock, so unregistering waits for a post under way to end.
    std::lock_guard guard(t.lock);
    const auto it = t.sinks.find(handle);
    if (it == t.sinks.end()) {
        return false;
    }
    it->second(msg, TStatusMessage{wParam, lParam});
    return true;
}
