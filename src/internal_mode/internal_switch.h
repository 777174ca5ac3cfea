#pragma once
// The switch of internal mode: the setting "intern" of Quorvane/Zel. On Windows the registry
// value HKCU\Software\Quorvane\Zel\intern, on only for a REG_DWORD of 2483; elsewhere the
// settings file $XDG_CONFIG_HOME/Quorvane/Zel.conf (an INI file, key intern in [General]), on
// only for a value that is a plain decimal integer equal to 2483. Any other value or type, or
// none, leaves it off. One implementation per OS; no toolkit.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

bool readInternalSwitch();

inline constexpr int kInternalSwitchValue = 2483;

// The settings files read for the switch, in the order in which they are asked: the user's
// (XDG_CONFIG_HOME, else ~/.config), then the system's (each folder of XDG_CONFIG_DIRS, else
// /etc/xdg); in each the program's file Quorvane/Zel.conf before the organisation's
// Quorvane.conf. The first file that has the key decides.
std::vector<std::string> internalSwitchFiles();

// The value of `key` in the [General] section (or before any section) of an INI text, as
// settings files store it: an unquoted value trimmed, a quoted one unquoted; nothing when the
// key is missing. A value that is no single text (a list "a, b", a typed value "@ByteArray(..)"
// or "@Variant(..)") reads as no text: it can never be the switch.
struct TIniValue {
    bool present = false;
    std::optional<std::string> text;
};
TIniValue iniGeneralValue(std::string_view ini, std::string_view key);

// The rule on a text read from a settings file: a plain decimal integer (one optional sign, the
// digits, nothing else) equal to 2483.
bool internalSwitchOnText(const std::string& text);
