#include "support/scratch_registry_win32.h"

#include <stdexcept>

TScratchRegistry::TScratchRegistry(HKEY predefined) : FhPredefined(predefined) {
    FsScratchPath = L"Software\\Quorvane\\sdupdate-tests\\" +
                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(reinterpret_cast<std::uintptr_t>(predefined) & 0xFF);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, FsScratchPath.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &FhScratch, nullptr) != ERROR_SUCCESS) {
        FhScratch = nullptr;
        return;
    }
    FReady = RegOverridePredefKey(FhPredefined, FhScratch) == ERROR_SUCCESS;
}

TScratchRegistry::~TScratchRegistry() {
    RegOverridePredefKey(FhPredefined, nullptr);
    if (FhScratch != nullptr) {
        RegCloseKey(FhScratch);
        RegDeleteTreeW(HKEY_CURRENT_USER, FsScratchPath.c_str());
    }
}

void TScratchRegistry::createKey(const wchar_t* subKey) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(FhPredefined, subKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("RegCreateKeyExW failed");
    }
    RegCloseKey(key);
}

void TScratchRegistry::setValue(const wchar_t* subKey, const wchar_t* name, DWORD type,
                                const std::vector<std::uint8_t>& data) const {
    createKey(subKey);
    if (RegSetKeyValueW(FhPredefined, subKey, name, type, data.data(),
                        static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
        throw std::runtime_error("RegSetKeyValueW failed");
    }
}

void TScratchRegistry::setString(const wchar_t* subKey, const wchar_t* name,
                                 const std::wstring& text) const {
    setValue(subKey, name, REG_SZ, wideTextBytes(text));
}

void TScratchRegistry::setDword(const wchar_t* subKey, const wchar_t* name, DWORD value) const {
    setValue(subKey, name, REG_DWORD, dwordBytes(value));
}

void TScratchRegistry::deleteValue(const wchar_t* subKey, const wchar_t* name) const {
    if (RegDeleteKeyValueW(FhPredefined, subKey, name) != ERROR_SUCCESS) {
        throw std::runtime_error("RegDeleteKeyValueW failed");
    }
}

std::vector<std::uint8_t> dwordBytes(DWORD value) {
    return {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
            std::uint8_t(value >> 24)};
}

std::vector<std::uint8_t> wideTextBytes(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return {bytes, bytes + (text.size() + 1) * sizeof(wchar_t)};
}

bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
