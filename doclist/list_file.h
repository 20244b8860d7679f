// A list of documents kept as a file, to print the same set again: plain text, one full path per
// line, UTF-8 with a byte-order mark. Reading is lenient, for lists typed by hand.
#pragma once

#include <string>
#include <vector>

namespace doclist {

// The file's bytes for `paths`, in order.
std::string ListFileBytes(const std::vector<std::wstring>& paths);

// One line of a list file: a full path, or the line as written with why it names no file.
struct ListEntry {
    std::wstring path;
    const wchar_t* refused = nullptr;  // texts::kSkipped..., or nullptr for a path to use
};

// The entries of a list file's bytes, in order: UTF-8 with or without a byte-order mark, UTF-16
// with one, otherwise the system's ANSI code page (a list typed in an older Notepad on a Chinese
// system). Blank lines are left out, surrounding spaces and quotes taken off. A relative path is
// taken relative to `listFolder` (the folder the list file is in), a path from the root ("\dir\a")
// relative to that folder's drive or share; a path relative to a drive's current folder ("E:a")
// is refused, since that folder is not the list's to know, and so is a line that does not come
// out as a full path to a file on a drive or a share (a device, a server alone). Whether an entry is a document is the
// drop rule's business, not this one's.
std::vector<ListEntry> ListFileEntries(const std::string& bytes, const std::wstring& listFolder);

// The paths of the entries that were not refused, in order.
std::vector<std::wstring> ListFilePaths(const std::vector<ListEntry>& entries);

// The folder of a file's path (without its trailing separator); empty for a bare name.
std::wstring FolderOfFile(const std::wstring& path);

// The root a path from the root stands on: "D:" for "D:\x", "\\server\share" for a UNC path,
// the same behind "\\?\" and "\\?\UNC\"; empty when `folder` has none (a relative path).
std::wstring RootOf(const std::wstring& folder);

}  // namespace doclist
