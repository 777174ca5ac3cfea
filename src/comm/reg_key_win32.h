#pragma once
// An open registry key, closed on every path (Windows only).

#include <windows.h>

class TRegKey {
public:
    TRegKey(HKEY root, const wchar_t* path, REGSAM access) {
        if (RegOpenKeyExW(root, path, 0, access, &FhKey) != ERROR_SUCCESS) {
            FhKey = nullptr;
        }
    }
    ~TRegKey() {
        if (FhKey != nullptr) {
            RegCloseKey(FhKey);
        }
    }
    TRegKey(const TRegKey&) = delete;
    TRegKey& operator=(const TRegKey&) = delete;

    bool isOpen() const { return FhKey != nullptr; }
    HKEY get() const { return FhKey; }

private:
    HKEY FhKey = nullptr;
};
