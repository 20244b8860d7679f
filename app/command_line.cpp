#include "app/command_line.h"

#include <shellapi.h>

#include <algorithm>

#include "app/print_settings.h"
#include "common/texts.h"
#include "framework/long_path.h"
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

std::wstring UsageText(const std::wstring& programFile) {
    return texts::kUsageStart + programFile + texts::kUsageWindow + texts::kUsageIndent + programFile + texts::kUsageRest;
}

bool WantsPrint(const std::vector<std::wstring>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::wstring& a) { return text::EqualsNoCase(a, L"/print"); });
}

namespace {

// 1-300 in plain decimal digits; nothing for anything else.
std::optional<int> Copies(const std::wstring& value) {
    if (value.empty() || value.size() > 3) return std::nullopt;
    int copies = 0;
    for (wchar_t c : value) {
        if (c < L'0' || c > L'9') return std::nullopt;
        copies = copies * 10 + (c - L'0');
    }
    if (copies < 1 || copies > kMaxCopies) return std::nullopt;
    return copies;
}

bool IsSwitch(const std::wstring& argument) { return !argument.empty() && argument[0] == L'/'; }

}  // namespace

ParsedPrint ParsePrint(const std::vector<std::wstring>& arguments) {
    ParsedPrint parsed;
    PrintRequest& request = parsed.request;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!IsSwitch(argument)) {
            request.names.push_back(argument);
            request.items.push_back({argument, false});
            continue;
        }
        if (text::EqualsNoCase(argument, L"/print")) continue;
        if (text::EqualsNoCase(argument, L"/color") || text::EqualsNoCase(argument, L"/mono")) {
            const ColorMode color = text::EqualsNoCase(argument, L"/color") ? ColorMode::Color : ColorMode::Mono;
            // Both at once cannot both be meant.
            if (request.color != ColorMode::PrinterDefault && request.color != color)
                parsed.errors.push_back(texts::kArgColorAndMono);
            request.color = color;
            continue;
        }
        const bool takesValue = text::EqualsNoCase(argument, L"/printer") || text::EqualsNoCase(argument, L"/copies") ||
                                text::EqualsNoCase(argument, L"/suite") || text::EqualsNoCase(argument, L"/report") ||
                                text::EqualsNoCase(argument, L"/list") || text::EqualsNoCase(argument, L"/duplex") ||
                                text::EqualsNoCase(argument, L"/pages");
        if (!takesValue) {
            parsed.errors.push_back(texts::kArgUnknownSwitch + argument);
            continue;
        }
        // A switch's value is the next argument, unless that is a switch itself (a forgotten value).
        const bool hasValue = i + 1 < arguments.size() && !IsSwitch(arguments[i + 1]) && !arguments[i + 1].empty();
        if (!hasValue) {
            parsed.errors.push_back(argument + texts::kArgMissingValue);
            if (i + 1 < arguments.size() && arguments[i + 1].empty()) ++i;
            continue;
        }
        const std::wstring& value = arguments[++i];
        if (text::EqualsNoCase(argument, L"/printer")) {
            request.printer = value;
        } else if (text::EqualsNoCase(argument, L"/copies")) {
            if (const std::optional<int> copies = Copies(value))
                request.copies = *copies;
            else
                parsed.errors.push_back(texts::kArgBadCopies + value);
        } else if (text::EqualsNoCase(argument, L"/suite")) {
            if (text::EqualsNoCase(value, L"ms"))
                request.suite = 0;
            else if (text::EqualsNoCase(value, L"wps"))
                request.suite = 1;
            else
                parsed.errors.push_back(texts::kArgBadSuite + value);
        } else if (text::EqualsNoCase(argument, L"/report")) {
            request.report = value;
        } else if (text::EqualsNoCase(argument, L"/duplex")) {
            if (text::EqualsNoCase(value, L"long"))
                request.duplex = Duplex::LongEdge;
            else if (text::EqualsNoCase(value, L"short"))
                request.duplex = Duplex::ShortEdge;
            else if (text::EqualsNoCase(value, L"none"))
                request.duplex = Duplex::OneSided;
            else
                parsed.errors.push_back(texts::kArgBadDuplex + value);
        } else if (text::EqualsNoCase(argument, L"/pages")) {
            std::wstring problem;
            std::optional<PageRange> pages = print_settings::ParsePageRange(value, &problem);
            if (pages && pages->All()) {  // blanks only: no page named
                pages.reset();
                problem = texts::kPagesNotARange;
            }
            if (pages)
                request.pages = *pages;
            else
                parsed.errors.push_back(texts::kBadPagesStart + value + texts::kBadPagesEnd + problem);
        } else {
            request.lists.push_back(value);
            request.items.push_back({value, true});
        }
    }
    return parsed;
}

std::vector<LaunchItem> ParsePlain(const std::vector<std::wstring>& arguments) {
    std::vector<LaunchItem> items;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (text::EqualsNoCase(arguments[i], L"/list") && i + 1 < arguments.size())
            items.push_back({arguments[++i], true});
        else
            items.push_back({arguments[i], false});
    }
    return items;
}

std::vector<std::wstring> FullPaths(const std::vector<std::wstring>& names) {
    std::vector<std::wstring> full;
    full.reserve(names.size());
    for (const std::wstring& name : names)
        if (std::wstring path = FullPathName(name); !path.empty()) full.push_back(std::move(path));
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
