#pragma once
// The update settings, the cancel flag and the loaded image 0 as the program starts with them,
// for tests that change them. One place, so a new setting cannot be forgotten by one fixture.

void resetProgramSettings();

// Resets on construction and again on destruction.
class TProgramSettingsGuard {
public:
    TProgramSettingsGuard() { resetProgramSettings(); }
    ~TProgramSettingsGuard() { resetProgramSettings(); }
    TProgramSettingsGuard(const TProgramSettingsGuard&) = delete;
    TProgramSettingsGuard& operator=(const TProgramSettingsGuard&) = delete;
};
