#include "workflow/startup_options.h"

#include "base/ascii_text.h"
#include "settings/update_settings.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxValueLength = 1000;

struct TOptionKey {
    const char* key;
    bool internalOnly;
    std::vector<const char*> values; // the values that mean something
};

const TOptionKey kOptionKeys[] = {
    {"cc:", true, {"-"}},
    {"mf:", false, {"+", "-"}},
    {"f:", true, {"+", "-"}},
};

bool matchesKey(const std::string& arg, const std::string& key) {
    return arg.size() > key.size() && startsWithIgnoringAsciiCase(arg, key);
}

} // namespace

std::vector<std::string> startupOptionWarnings(bool internalMode,
                                               const std::vector<std::string>& args) {
    std::vector<std::string> warnings;
    std::vector<const TOptionKey*> answered;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const TOptionKey* option = nullptr;
        for (const auto& candidate : kOptionKeys) {
            if (matchesKey(arg, candidate.key)) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            warnings.push_back("'" + arg + "' is not an option (cc:-, mf:+, mf:-, f:+): ignored");
            continue;
        }
        if (std::find(answered.begin(), answered.end(), option) != answered.end()) {
            warnings.push_back("'" + arg + "' is ignored: an earlier " + option->key +
                               " argument decides");
            continue;
        }
        answered.push_back(option);
        const std::string value = arg.substr(std::string(option->key).size(), kMaxValueLength);
        const bool known = std::any_of(option->values.begin(), option->values.end(),
                                       [&](const char* v) { return value == v; });
        if (!known) {
            std::string values;
            for (const char* v : option->values) {
                values += (values.empty() ? "" : " or ") + std::string(option->key) + v;
            }
            warnings.push_back("'" + arg + "' changes nothing: the values are " + values);
        } else if (option->internalOnly && !internalMode) {
            warnings.push_back("'" + arg + "' changes nothing outside internal mode");
        }
    }
    return warnings;
}

std::string getParamValue(const std::vector<std::string>& args, const std::string& key,
                          const std::string& defaultValue) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > key.size() && startsWithIgnoringAsciiCase(arg, key)) {
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
