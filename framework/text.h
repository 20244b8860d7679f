// Text compared and folded without regard to letter case, one way for the whole program: the
// system's ordinal rule, as the file system and COM compare names.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace text {

inline bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

inline std::wstring Lower(std::wstring s) {
    if (!s.empty()) ::CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

inline bool ContainsNoCase(std::wstring_view haystack, std::wstring_view needle) {
    return Lower(std::wstring(haystack)).find(Lower(std::wstring(needle))) != std::wstring::npos;
}

}  // namespace text
