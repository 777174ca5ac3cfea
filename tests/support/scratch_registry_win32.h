#pragma once
// A predefined registry root (HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) redirected, for this
// process only, to an empty scratch key, so a test can lay out the keys the program reads
// without touching the machine's own and without administrator rights. The scratch key is
// deleted again at the end.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TScratchRegistry {
public:
    explicit TScratchRegistry(HKEY predefined);
    ~TScratchRegistry();
    TScratchRegistry(const TScratchRegistry&) = delete;
    TScratchRegistry& operator=(const TScratchRegistry&) = delete;

    // False when the redirection could not be set up (the test should fail then).
    bool ready() const { return FReady; }

    // Values under the redirected root; the subkey is created when it is missing.
    void createKey(const wchar_t* subKey) const;
    void setValue(const wchar_t* subKey, const wchar_t* name, DWORD type,
                  const std::vector<std::uint8_t>& data) const;
    void setString(const wchar_t* subKey, const wchar_t* name, const std::wstring& text) const;
    void setDword(const wchar_t* subKey, const wchar_t* name, DWORD value) const;
    void deleteValue(const wchar_t* subKey, const wchar_t* name) const;

private:
    HKEY FhPredefined;
    HKEY FhScratch = nullptr;
    std::wstring FsScratchPath;
    bool FReady = false;
};

// The bytes the registry stores for a REG_DWORD (little-endian) and for a REG_SZ (UTF-16 with
// its terminating zero).
std::vector<std::uint8_t> dwordBytes(DWORD value);
std::vector<std::uint8_t> wideTextBytes(const std::wstring& text);

// True when the program runs under wine rather than on Windows itself.
bool runningUnderWine();
