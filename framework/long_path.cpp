#include "framework/long_path.h"

#include <windows.h>

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) return path;
    std::wstring full(path.size() + 1, L'\0');
    for (;;) {
        const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    if (full.starts_with(L"\\\\.\\")) return full;  // a device path takes no prefix
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}
