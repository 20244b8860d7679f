#include "app/print_settings.h"

#include <windows.h>

#include "common/texts.h"

namespace print_settings {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u3000'; }

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A page number in plain digits (full-width ones too); nothing for anything else. Beyond kMaxPage
// reads as kMaxPage + 1, so that the caller can say the number is too large.
std::optional<std::int32_t> PageNumber(std::wstring_view text) {
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    std::int32_t value = 0;
    for (wchar_t c : text) {
        int digit = -1;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (c >= L'\uFF10' && c <= L'\uFF19') digit = c - L'\uFF10';
        if (digit < 0) return std::nullopt;
        value = std::min<std::int32_t>(value * 10 + digit, kMaxPage + 1);
    }
    return value;
}

void Say(std::wstring* problem, const wchar_t* text) {
    if (problem) *problem = text;
}

DWORD ReadNumber(HKEY key, const wchar_t* name, DWORD fallback, DWORD low, DWORD high) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value) || value < low || value > high)
        return fallback;
    return value;
}

std::wstring ReadText(HKEY key, const wchar_t* name) {
    wchar_t value[256] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return std::wstring(value, wcsnlen(value, size / sizeof(wchar_t)));
}

}  // namespace

std::optional<PageRange> ParsePageRange(std::wstring_view text, std::wstring* problem) {
    text = Trimmed(text);
    if (text.empty()) return PageRange{};
    const size_t dash = text.find_first_of(L"-\uFF0D");
    std::optional<std::int32_t> from = PageNumber(text.substr(0, dash));
    std::optional<std::int32_t> to = dash == std::wstring_view::npos ? from : PageNumber(text.substr(dash + 1));
    if (!from || !to) {
        Say(problem, texts::kPagesNotARange);
        return std::nullopt;
    }
    if (*from < 1 || *to < 1) {
        Say(problem, texts::kPagesFromOne);
        return std::nullopt;
    }
    if (*from > kMaxPage || *to > kMaxPage) {
        Say(problem, texts::kPagesTooLarge);
        return std::nullopt;
    }
    if (*from > *to) {
        Say(problem, texts::kPagesBackwards);
        return std::nullopt;
    }
    return PageRange{*from, *to};
}

Remembered ReadRemembered() {
    Remembered remembered;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return remembered;
    remembered.printer = ReadText(key, L"Printer");
    remembered.copies = static_cast<std::int32_t>(ReadNumber(key, L"Copies", 1, 1, 300));
    remembered.suite = static_cast<std::int32_t>(ReadNumber(key, L"Suite", kSuiteMsOffice, kSuiteMsOffice, kSuiteWps));
    remembered.duplex = static_cast<Duplex>(ReadNumber(key, L"Duplex", 0, 0, static_cast<DWORD>(Duplex::ShortEdge)));
    remembered.color = static_cast<ColorMode>(ReadNumber(key, L"Color", 0, 0, static_cast<DWORD>(ColorMode::Mono)));
    ::RegCloseKey(key);
    return remembered;
}

void Remember(const PrintOptions& options) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, L"Printer", 0, REG_SZ, reinterpret_cast<const BYTE*>(options.printer.c_str()),
                     static_cast<DWORD>((options.printer.size() + 1) * sizeof(wchar_t)));
    const std::pair<const wchar_t*, DWORD> numbers[] = {
        {L"Copies", static_cast<DWORD>(options.copies)},
        {L"Suite", static_cast<DWORD>(options.suite)},
        {L"Duplex", static_cast<DWORD>(options.duplex)},
        {L"Color", static_cast<DWORD>(options.color)},
    };
    for (const auto& [name, value] : numbers)
        ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

}  // namespace print_settings
