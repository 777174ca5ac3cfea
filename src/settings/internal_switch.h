#pragma once
// The switch of internal mode: the setting "intern" of Quorvane/Zel (the registry key
// HKCU\Software\Quorvane\Zel on Windows, $XDG_CONFIG_HOME/Quorvane/Zel.conf elsewhere).
// On only for the integer 2483; any other value or type, or none, leaves it off.

class QVariant;

bool readInternalSwitch();

// The rule on a value read: integers compare with 2483; a text counts only where the store
// keeps integers as text (an INI file), and then only as a plain decimal literal.
bool internalSwitchOn(const QVariant& value, bool textMayHoldInteger);

inline constexpr int kInternalSwitchValue = 2483;
