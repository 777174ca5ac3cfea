#include "settings/update_settings.h"

std::atomic<std::int32_t> gSelectedImage{-1};
std::atomic<bool> gCheckClass{true};
std::atomic<bool> gReadInfoOnly{false};
std::atomic<bool> gReadInfoOnlyAvailable{false};
std::atomic<std::int32_t> gFileMode{0};
std::atomic<bool> gClearsMeasurements{false};
std::atomic<TWorkerClass> gWorkerClass{nullptr};

namespace {

// The update subsystem's start-up initialisation: this procedure supports the read-info-only
// stop. It lives in the unit that defines the settings, so it runs whenever they are linked.
[[maybe_unused]] const bool kReadInfoOnlyAnnounced = [] {
    gReadInfoOnlyAvailable.store(true, std::memory_order_relaxed);
    return true;
}();

} // namespace
