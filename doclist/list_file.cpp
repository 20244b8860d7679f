#include "doclist/list_file.h"

#include <windows.h>

#include <string_view>

#include "common/texts.h"
#include "framework/long_path.h"
#include "framework/whole_file.h"

namespace doclist {

namespace {

std::wstring Decode(const std::string& bytes) {
    auto startsWith = [&](const char* mark, size_t n) { return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0; };
    if (startsWith("\xEF\xBB\xBF", 3)) return FromUtf8(bytes.substr(3));
    if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::wstring text;
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
            text += static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
        }
        return text;
    }
    if (bytes.empty()) return {};
    // Without a mark: UTF-8 when every byte sequence is valid UTF-8 (plain ASCII is), else ANSI.
    const int n = static_cast<int>(bytes.size());
    const bool utf8 = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), n, nullptr, 0) > 0;
    return FromCodePage(bytes, utf8 ? CP_UTF8 : CP_ACP);
}

std::wstring Trimmed(const std::wstring& s) {
    const size_t first = s.find_first_not_of(L" \t\u3000");
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(L" \t\u3000") - first + 1);
}

}  // namespace

std::string ListFileBytes(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const std::wstring& path : paths) {
        text += path;
        text += L"\r\n";
    }
    return "\xEF\xBB\xBF" + Utf8(text);
}

std::vector<ListEntry> ListFileEntries(const std::string& bytes, const std::wstring& listFolder) {
    const std::wstring text = Decode(bytes);
    std::vector<ListEntry> entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.size() >= 2 && line.front() == L'"' && line.back() == L'"') line = Trimmed(line.substr(1, line.size() - 2));
        // A NUL cannot be part of a path; what follows it is not.
        line = line.c_str();
        if (line.empty()) continue;
        auto isSlash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
        const bool drive = line.size() >= 2 && line[1] == L':';
        if (drive && (line.size() == 2 || !isSlash(line[2]))) {
            // "E:a.docx" hangs on E:'s current folder, which is this process's, not the list's.
            entries.push_back({std::move(line), texts::kSkippedDriveRelative});
            continue;
        }
        const bool fromRoot = isSlash(line[0]) && !(line.size() >= 2 && isSlash(line[1]));
        if (fromRoot)
            line = RootOf(listFolder) + line;
        else if (!drive && !isSlash(line[0]) && !listFolder.empty())
            line = listFolder + L"\\" + line;
        std::wstring full = FullPathName(line);
        entries.push_back({full.empty() ? std::move(line) : std::move(full)});
    }
    return entries;
}

std::vector<std::wstring> ListFilePaths(const std::vector<ListEntry>& entries) {
    std::vector<std::wstring> paths;
    for (const ListEntry& entry : entries)
        if (!entry.refused) paths.push_back(entry.path);
    return paths;
}

std::wstring RootOf(const std::wstring& folder) {
    auto startsWith = [&](std::wstring_view prefix) { return folder.compare(0, prefix.size(), prefix) == 0; };
    auto isSlash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    // "\\server\share" after `from`: the share is the root; a path from the root stays on it.
    auto share = [&](size_t from) {
        size_t at = from;
        for (int part = 0; part < 2 && at < folder.size(); ++part) {
            while (at < folder.size() && !isSlash(folder[at])) ++at;
            if (part == 0 && at < folder.size()) ++at;
        }
        return folder.substr(0, at);
    };
    if (startsWith(L"\\\\?\\UNC\\")) return share(8);
    if (startsWith(L"\\\\?\\") || startsWith(L"\\\\.\\"))
        return folder.size() >= 6 && folder[5] == L':' ? folder.substr(0, 6) : std::wstring();
    if (folder.size() >= 2 && isSlash(folder[0]) && isSlash(folder[1])) return share(2);
    if (folder.size() >= 2 && folder[1] == L':') return folder.substr(0, 2);
    return {};
}

std::wstring FolderOfFile(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash);
}

}  // namespace doclist
