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

// A dropped name is taken when it names a document (document_kind.h): a dropped folder is
// never one.
bool IsDroppableName(const std::wstring& name);
// Every name a drop carries, whole, in the drop's order.
std::vector<std::wstring> DroppedNames(HDROP drop);

// year..millisecond of a local time as the decimal digits of one number: later times compare
// greater.
long long TimeKey(const SYSTEMTIME& local);
// The key of a UTC file time, converted with the local time-zone rules in force.
std::optional<long long> TimeKeyOfFileTime(const FILETIME& utc);

// One document lying in a listed folder, with the last-write time the listing reported.
struct Candidate {
    std::wstring path;
    FILETIME listedWriteTime{};
};

// The documents lying directly in `folder` (no sub-folders, nothing below them), in listing
// order. Folders whose paths pass MAX_PATH are listed too.
std::vector<Candidate> ListCandidates(const std::wstring& folder);
// Each candidate's key from a fresh query of its path. An entry that has gone since the listing
// keeps the time the listing reported, so it stays where it would have stood.
std::vector<long long> QueryTimeKeys(const std::vector<Candidate>& candidates);
// Candidate indexes in result order: 0 ascending keys, 1 descending, other values listing
// order; equal keys keep listing order in both directions.
std::vector<size_t> ResultOrder(const std::vector<long long>& keys, int order);

// Row indexes in the order a click on `column`'s header puts them: 0 the paths in natural order
// (StrCmpLogicalW: 2 before 10), 1 the statuses with 失败 first, then 未打印, 打印中, 待处理, 完成 and
// any other, equal statuses by path. Descending reverses the column's own key only; rows that
// compare equal keep their order.
std::vector<size_t> SortedOrder(const std::vector<std::wstring>& paths, const std::vector<std::wstring>& statuses,
                                int column, bool ascending);

// The clipboard text of the given paths: one a line, lines ended by CR LF except the last.
std::wstring ClipboardText(const std::vector<std::wstring>& paths);

}  // namespace doclist
