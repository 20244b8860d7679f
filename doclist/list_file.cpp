#include "doclist/list_file.h"

#include <windows.h>

#include <algorithm>
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

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// A path a file can have: on a drive ("D:\...") or a share ("\\server\share..."), also behind
// "\\?\" and "\\?\UNC\", with no "." or ".." left in it. What else making a path full can give
// (a device such as "\\.\nul", a server without a share, a long form taken as written, nothing
// for a line too long to be a path) names no document.
bool IsFullFilePath(const std::wstring& path) {
    std::wstring_view rest = path;
    std::wstring unc;
    if (rest.starts_with(L"\\\\?\\UNC\\")) {
        unc = L"\\\\" + path.substr(8);
        rest = unc;
    } else if (rest.starts_with(L"\\\\?\\")) {
        rest.remove_prefix(4);
    }
    size_t from = 0;
    const wchar_t letter = rest.empty() ? L'\0' : static_cast<wchar_t>(rest[0] | 0x20);
    if (rest.size() >= 3 && letter >= L'a' && letter <= L'z' && rest[1] == L':' && IsSlash(rest[2])) {
        from = 3;
    } else if (rest.size() >= 2 && IsSlash(rest[0]) && IsSlash(rest[1])) {
        const size_t server = rest.find_first_of(L"\\/", 2);
        if (server == 2 || server == std::wstring_view::npos || rest.substr(2, server - 2) == L"." ||
            rest.substr(2, server - 2) == L"?")
            return false;
        const size_t share = rest.find_first_of(L"\\/", server + 1);
        if (share == server + 1 || server + 1 == rest.size()) return false;
        from = server + 1;
    } else {
        return false;
    }
    for (size_t at = from; at <= rest.size();) {
        const size_t end = std::min(rest.find_first_of(L"\\/", at), rest.size());
        const std::wstring_view segment = rest.substr(at, end - at);
        if (segment == L"." || segment == L"..") return false;
        at = end + 1;
    }
    return true;
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
        const std::wstring written = line;
        const bool drive = line.size() >= 2 && line[1] == L':';
        if (drive && (line.size() == 2 || !IsSlash(line[2]))) {
            // "E:a.docx" hangs on E:'s current folder, which is this process's, not the list's.
            entries.push_back({std::move(line), texts::kSkippedDriveRelative});
            continue;
        }
        const bool fromRoot = IsSlash(line[0]) && !(line.size() >= 2 && IsSlash(line[1]));
        if (fromRoot)
            line = RootOf(listFolder) + line;
        else if (!drive && !IsSlash(line[0]) && !listFolder.empty())
            line = listFolder + L"\\" + line;
        std::wstring full = FullPathName(line);
        if (!IsFullFilePath(full)) {
            entries.push_back({written, texts::kSkippedNotAPath});
            continue;
        }
        entries.push_back({std::move(full)});
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
    // "\\server\share" after `from`: the share is the root; a path from the root stays on it.
    auto share = [&](size_t from) {
        size_t at = from;
        for (int part = 0; part < 2 && at < folder.size(); ++part) {
            while (at < folder.size() && !IsSlash(folder[at])) ++at;
            if (part == 0 && at < folder.size()) ++at;
        }
        return folder.substr(0, at);
    };
    if (startsWith(L"\\\\?\\UNC\\")) return share(8);
    if (startsWith(L"\\\\?\\") || startsWith(L"\\\\.\\"))
        return folder.size() >= 6 && folder[5] == L':' ? folder.substr(0, 6) : std::wstring();
    if (folder.size() >= 2 && IsSlash(folder[0]) && IsSlash(folder[1])) return share(2);
    if (folder.size() >= 2 && folder[1] == L':') return folder.substr(0, 2);
    return {};
}

std::wstring FolderOfFile(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return path.substr(0, slash);
}

}  // namespace doclist
