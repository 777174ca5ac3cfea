#include "comm/run_observer.h"

#include <atomic>

namespace {

std::atomic<TRunObserver*> gObserver{nullptr};

} // namespace

void setRunObserver(TRunObserver* observer) {
    gObserver.store(observer, std::memory_order_release);
}

TRunObserver* runObserver() {
    return gObserver.load(std::memory_order_acquire);
}
