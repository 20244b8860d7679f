#include "app/command_line.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/text.h"

namespace command_line {

std::vector<std::wstring> Arguments(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    if (!commandLine) return arguments;
    // The program's own name ends at its closing quote, or else at the first blank, as
    // CommandLineToArgvW reads it. Nothing after it: the shell library is not loaded for
    // nothing on every start.
    const wchar_t* rest = commandLine;
    if (*rest == L'"') {
        ++rest;
        while (*rest && *rest != L'"') ++rest;
        if (*rest) ++rest;
    } else {
        while (*rest && *rest != L' ' && *rest != L'\t') ++rest;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    if (!*rest) return arguments;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine, &count);
    if (!argv) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    ::LocalFree(argv);
    return arguments;
}

bool IsUsageRequest(std::wstring_view argument) {
    for (std::wstring_view form : {L"/?", L"-?", L"/help", L"-h", L"--help"})
        if (text::EqualsNoCase(argument, form)) return true;
    return false;
}

bool WantsUsage(const std::vector<std::wstring>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](const std::wstring& a) { return IsUsageRequest(a); });
}

std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> full;
    full.reserve(names.size());
    for (const std::wstring& name : names) {
        if (name.empty()) continue;
        // Asked for its size first: a path past MAX_PATH must come back whole.
        const DWORD needed = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
        if (needed == 0) continue;
        std::wstring path(needed, L'\0');
        const DWORD length = ::GetFullPathNameW(name.c_str(), needed, path.data(), nullptr);
        if (length == 0 || length >= needed) continue;
        path.resize(length);
        full.push_back(std::move(path));
    }
    return full;
}

std::vector<wchar_t> PackNames(const std::vector<std::wstring>& names) {
    std::vector<wchar_t> block;
    for (const std::wstring& name : names) {
        // A name with a NUL inside would end early on the other side; empty ones end the list.
        if (name.empty() || name.find(L'\0') != std::wstring::npos) continue;
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(L'\0');
    }
    if (!block.empty()) block.push_back(L'\0');
    return block;
}

std::optional<std::vector<std::wstring>> UnpackNames(const COPYDATASTRUCT& data) {
    if (data.dwData != kCopyDataAddNames || !data.lpData) return std::nullopt;
    // At least one one-character name with its NUL, and the list's NUL.
    if (data.cbData % sizeof(wchar_t) != 0 || data.cbData < 3 * sizeof(wchar_t)) return std::nullopt;
    const auto* at = static_cast<const wchar_t*>(data.lpData);
    const auto* end = at + data.cbData / sizeof(wchar_t);
    if (end[-1] != L'\0' || end[-2] != L'\0') return std::nullopt;
    std::vector<std::wstring> names;
    // Every name ends before the list's NUL; an empty name before that means a stray second
    // NUL inside the block.
    for (const wchar_t* last = end - 1; at < last;) {
        const wchar_t* stop = std::find(at, last, L'\0');
        if (stop == at) return std::nullopt;
        names.emplace_back(at, stop);
        at = stop + 1;
    }
    return names;
}

}  // namespace command_line
