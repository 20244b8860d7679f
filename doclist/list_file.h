// A list of documents kept as a file, to print the same set again: plain text, one full path per
// line, UTF-8 with a byte-order mark. Reading is lenient, for lists typed by hand.
#pragma once

#include <string>
#include <vector>

namespace doclist {

// The file's bytes for `paths`, in order.
std::string ListFileBytes(const std::vector<std::wstring>& paths);

// The entries of a list file's bytes, in order: UTF-8 with or without a byte-order mark, UTF-16
// with one, otherwise the system's ANSI code page (a list typed in an older Notepad on a Chinese
// system). Blank lines are skipped, surrounding spaces and quotes taken off, and a relative path
// is taken relative to `listFolder` (the folder the list file is in). Whether an entry is a
// document is the drop rule's business, not this one's.
std::vector<std::wstring> ListFileEntries(const std::string& bytes, const std::wstring& listFolder);

// The folder of a file's path (without its trailing separator); empty for a bare name.
std::wstring FolderOfFile(const std::wstring& path);

}  // namespace doclist
