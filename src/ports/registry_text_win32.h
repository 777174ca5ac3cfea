#pragma once
// Windows: registry text as UTF-8 (the port list and the adapter keys read it alike).

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

inline std::string narrow(const wchar_t* text, std::size_t length) {
    if (length == 0) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
    return out;
}

// String data as stored: possibly without its terminating zero, possibly with several.
inline std::string stringData(const std::vector<BYTE>& data, DWORD size) {
    const auto* chars = reinterpret_cast<const wchar_t*>(data.data());
    std::size_t length = size / sizeof(wchar_t);
    for (std::size_t i = 0; i < length; ++i) {
        if (chars[i] == L'\0') {
            length = i;
            break;
        }
    }
    return narrow(chars, length);
}
