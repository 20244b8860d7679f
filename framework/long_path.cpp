#include "framework/long_path.h"

#include <windows.h>

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) return {};
    // Asked for its size first: a path past MAX_PATH must come back whole.
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    full.resize(length);
    return full;
}

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return path;
    const std::wstring full = FullPathName(path);
    if (full.empty()) return path;
    if (full.starts_with(L"\\\\.\\")) return full;  // a device path takes no prefix
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
