#include "workflow/startup_options.h"

#include "update/update_settings.h"

namespace {

constexpr std::size_t kMaxValueLength = 1000;

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(const std::string& text, const std::string& key) {
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(key[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string getParamValue(const std::vector<std::string>& args, const std::string& key,
                          const std::string& defaultValue) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > key.size() && startsWithIgnoringCase(arg, key)) {
            return arg.substr(key.size(), kMaxValueLength);
        }
    }
    return defaultValue;
}

TStartupState applyStartupOptions(bool internalMode, const std::vector<std::string>& args) {
    TStartupState state;
    state.internalMode = internalMode;
    state.readInfoOnlyVisible =
        gReadInfoOnlyAvailable.load(std::memory_order_relaxed) && internalMode;
    if (internalMode && getParamValue(args, "cc:", "") == "-") {
        gCheckClass.store(false, std::memory_order_relaxed);
    }
    if (getParamValue(args, "mf:", "") == "+") {
        gClearsMeasurements.store(true, std::memory_order_relaxed);
    }
    if (getParamValue(args, "mf:", "") == "-") {
        gClearsMeasurements.store(false, std::memory_order_relaxed);
    }
    if (internalMode) {
        gFileMode.store(1, std::memory_order_relaxed);
        if (getParamValue(args, "f:", "-") == "+") {
            gFileMode.store(2, std::memory_order_relaxed);
        }
    }
    state.statusText = gClearsMeasurements.load(std::memory_order_relaxed) ? "F" : "";
    return state;
}
