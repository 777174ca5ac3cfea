#include "workflow/update_question.h"

#include "settings/update_settings.h"

const char* updateQuestion() {
    if (gClearsMeasurements.load(std::memory_order_relaxed)) {
        return "This update clears all measurements!\r\nDo you really continue ?";
    }
    if (gFileMode.load(std::memory_order_relaxed) >= 1) {
        return nullptr;
    }
    return "Do you save your measurements ?\r\nDo you really continue without saving ?";
}
