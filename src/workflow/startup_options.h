#pragma once
// Internal mode and the command-line options "cc:", "mf:" and "f:".

#include <string>
#include <vector>

// The value after `key` of the first argument (element 0, the program path, is skipped) that
// is longer than the key and starts with it, ignoring the case of A-Z; at most 1000
// characters. `defaultValue` when no argument matches.
std::string getParamValue(const std::vector<std::string>& args, const std::string& key,
                          const std::string& defaultValue);

struct TStartupState {
    bool internalMode = false;
    bool readInfoOnlyVisible = false; // the "Read info only" check box
    std::string statusText;           // the first status text: "F" or empty
};

// One warning for every argument (after element 0) that changes nothing: one that matches no
// key, a value its key does not know, an option of internal mode outside it, or one whose key
// an earlier argument already answers. The window ignores them silently; the headless updater
// says so.
std::vector<std::string> startupOptionWarnings(bool internalMode,
                                               const std::vector<std::string>& args);

// Applies internal mode and the options to the update settings, in the order the window's
// creation does it, and tells what the front end shows.
TStartupState applyStartupOptions(bool internalMode, const std::vector<std::string>& args);
