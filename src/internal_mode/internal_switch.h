#pragma once
// The switch of internal mode: the setting "intern" of Quorvane/Zel (the registry key
// HKCU\Software\Quorvane\Zel on Windows, $XDG_CONFIG_HOME/Quorvane/Zel.conf elsewhere).
// On only for the integer 2483; any other value or type, or none, leaves it off.

class QVariant;

bool readInternalSwitch();

// Where the value was read from, which decides what counts as an integer.
enum class TSwitchStore {
    Registry, // only a REG_DWORD, which QSettings reads as a 32-bit integer
    IniFile,  // every value reads as text: a plain decimal literal counts
};

// The rule on a value read: an integer of the store's kind equal to 2483.
bool internalSwitchOn(const QVariant& value, TSwitchStore store);

inline constexpr int kInternalSwitchValue = 2483;
