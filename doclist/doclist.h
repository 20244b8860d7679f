// The decisions of the document list commands that need no window, kept apart from the
// handlers so that they can be read in one place and tested directly.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace doclist {

// The file dialog's one filter entry, in the framework's notation.
inline constexpr const wchar_t* kDocumentFilter =
    L"File(*.doc;*.docx;*.xls;*.xlsx;*.ppt;*.pptx)|*.doc;*.docx;*.xls;*.xlsx;*.ppt;*.pptx||";

// A dropped name is taken when the end of the whole name is one of the six suffixes,
// case-sensitive, with no dot required before it.
bool IsDroppableName(std::wstring_view name);
// Every name a drop carries, whole, in the drop's order.
std::vector<std::wstring> DroppedNames(HDROP drop);

// The folder scan keeps a path that contains one of the extensions anywhere, case-sensitive.
bool HasDocumentExtension(std::wstring_view fullPath);

// year..millisecond of a local time as the decimal digits of one number: later times compare
// greater.
long long TimeKey(const SYSTEMTIME& local);
// The key of a UTC file time, converted with the local time-zone rules in force.
std::optional<long long> TimeKeyOfFileTime(const FILETIME& utc);

// One qualifying entry of a folder listing, with the last-write time the listing reported.
struct Candidate {
    std::wstring path;
    FILETIME listedWriteTime{};
};

// The qualifying entries lying directly in `folder`, in listing order.
std::vector<Candidate> ListCandidates(const std::wstring& folder);
// Each candidate's key from a fresh query of its path. An entry that has gone since the listing
// keeps the time the listing reported, so it stays where it would have stood.
std::vector<long long> QueryTimeKeys(const std::vector<Candidate>& candidates);
// Candidate indexes in result order: 0 ascending keys, 1 descending, other values listing
// order; equal keys keep listing order in both directions.
std::vector<size_t> ResultOrder(const std::vector<long long>& keys, int order);

}  // namespace doclist
