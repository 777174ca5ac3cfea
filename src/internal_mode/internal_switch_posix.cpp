// The switch read from the settings files, without a toolkit: the same files and key that
// QtCore's settings of organisation "Quorvane" and program "Zel" use.
#include "internal_mode/internal_switch.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// An absolute folder from the environment, else the fallback.
std::string absoluteOr(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

// Settings files are a few lines; anything larger is not one.
constexpr std::streamsize kLargestSettingsFile = 1 << 20;

std::optional<std::string> fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(kLargestSettingsFile), '\0');
    in.read(text.data(), kLargestSettingsFile);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

} // namespace

std::vector<std::string> internalSwitchFiles() {
    std::vector<std::string> folders;
    const char* home = std::getenv("HOME");
    folders.push_back(
        absoluteOr("XDG_CONFIG_HOME", std::string(home != nullptr ? home : "") + "/.config"));
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::istringstream system(dirs != nullptr && dirs[0] != '\0' ? dirs : "/etc/xdg");
    for (std::string folder; std::getline(system, folder, ':');) {
        if (!folder.empty() && folder[0] == '/') {
            folders.push_back(folder);
        }
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        files.push_back(folder + "/Quorvane/Zel.conf");
        files.push_back(folder + "/Quorvane.conf");
    }
    return files;
}

bool readInternalSwitch() {
    for (const std::string& file : internalSwitchFiles()) {
        const std::optional<std::string> text = fileText(file);
        if (!text) {
            continue;
        }
        const TIniValue value = iniGeneralValue(*text, "intern");
        if (value.present) {
            return value.text && internalSwitchOnText(*value.text);
        }
    }
    return false;
}
