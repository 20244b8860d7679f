// The files the list's menu writes and reads: the record of a run (CSV) and the list itself.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <unordered_set>

#include "common/texts.h"
#include "doclist/document_kind.h"
#include "doclist/document_list.h"
#include "doclist/list_file.h"
#include "framework/file_dialog.h"
#include "framework/long_path.h"
#include "framework/scoped.h"
#include "framework/whole_file.h"

namespace {

std::wstring DocumentsFolder() {
    CoTaskString folder;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, folder.put())) || !folder.get()) return {};
    return folder.get();
}

// The Save dialog in the Documents folder proposing `name`; the chosen path, or empty.
std::wstring ChooseTarget(HWND owner, const wchar_t* extension, const std::wstring& name, const wchar_t* filter) {
    CFileDialog dialog(false, extension, name.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST, filter,
                       owner);
    dialog.SetInitialFolder(DocumentsFolder());
    if (dialog.DoModal() != IDOK || dialog.PathNames().empty()) return {};
    return dialog.PathNames().front();
}

}  // namespace

std::wstring ListFileSummary(const ListFileOutcome& outcome) {
    std::wstring text = texts::kListAdded + std::to_wstring(outcome.added) + texts::kListSkipped +
                        std::to_wstring(outcome.skipped) + texts::kListCountEnd;
    if (outcome.firstSkipped.empty()) return text;
    text += texts::kListSkippedFirst;
    for (const ListFileOutcome::Skipped& s : outcome.firstSkipped) text += L"\r\n" + s.path + L"（" + s.why + L"）";
    const size_t rest = static_cast<size_t>(outcome.skipped) - outcome.firstSkipped.size();
    if (rest > 0) text += L"\r\n" + (texts::kListSkippedMore + std::to_wstring(rest)) + texts::kListSkippedMoreEnd;
    return text;
}

std::wstring CannotWriteText(const std::wstring& path, DWORD error) {
    return texts::kCannotWriteStart + path + texts::kFileReasonSeparator + SystemErrorText(error);
}

std::vector<ResultRecord> DocumentList::ResultRecords() const {
    std::vector<ResultRecord> records;
    const int n = Count();
    records.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        ResultRecord r;
        r.path = m_list.GetItemText(i, 0);
        r.status = m_list.GetItemText(i, 1);
        if (const RowResult* result = ResultAt(i)) {
            r.reason = result->reason;
            r.printer = result->printer;
            r.copies = result->copies;
            r.suite = result->suite;
            r.ended = result->ended;
            r.duplex = result->duplex;
            r.color = result->color;
            r.pages = result->pages;
        }
        records.push_back(std::move(r));
    }
    return records;
}

bool DocumentList::HasResults() const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (ResultAt(i)) return true;
    return false;
}

void DocumentList::ExportResults() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const std::wstring target = ChooseTarget(m_dialog, L"csv", ResultFileName(now), texts::kCsvFilter);
    if (target.empty()) return;
    if (const DWORD error = WriteWholeFile(target, ResultCsv(ResultRecords())))
        ShowBox(CannotWriteText(target, error).c_str(), MB_OK | MB_ICONERROR);
}

void DocumentList::SaveList() {
    const std::wstring target = ChooseTarget(m_dialog, L"txt", texts::kListFileName, texts::kListFilter);
    if (target.empty()) return;
    if (const DWORD error = WriteWholeFile(target, doclist::ListFileBytes(Paths())))
        ShowBox(CannotWriteText(target, error).c_str(), MB_OK | MB_ICONERROR);
}

void DocumentList::OpenList() {
    CFileDialog dialog(true, L"txt", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                       texts::kListFilter, m_dialog);
    dialog.SetInitialFolder(DocumentsFolder());
    if (dialog.DoModal() != IDOK || dialog.PathNames().empty()) return;
    const std::wstring& path = dialog.PathNames().front();
    const ListFileOutcome outcome = OpenListFile(path);
    if (outcome.readError) {
        const std::wstring text =
            texts::kCannotReadStart + path + texts::kFileReasonSeparator + SystemErrorText(outcome.readError);
        ShowBox(text.c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    ShowBox(ListFileSummary(outcome).c_str(), MB_OK | MB_ICONINFORMATION);
}

ListFileOutcome DocumentList::OpenListFile(const std::wstring& path) {
    ListFileOutcome outcome;
    std::string bytes;
    outcome.readError = ReadWholeFile(path, bytes);
    if (outcome.readError) return outcome;

    auto skip = [&](const std::wstring& entry, const wchar_t* why) {
        ++outcome.skipped;
        if (outcome.firstSkipped.size() < ListFileOutcome::kShownSkipped) outcome.firstSkipped.push_back({entry, why});
    };
    std::vector<std::wstring> accepted;
    std::unordered_set<std::wstring> seen;
    for (doclist::ListEntry& line : doclist::ListFileEntries(bytes, doclist::FolderOfFile(path))) {
        if (line.refused) {
            skip(line.path, line.refused);
            continue;
        }
        std::wstring& entry = line.path;
        // The drop's rule by name first, so a line that names no document asks nothing of the disk.
        if (!doclist::KindOfName(entry)) {
            skip(entry, texts::kSkippedNotADocument);
            continue;
        }
        if (HasDocument(entry) || seen.contains(entry)) {
            skip(entry, texts::kSkippedDuplicate);
            continue;
        }
        const DWORD attributes = ::GetFileAttributesW(LongPathForm(entry).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            skip(entry, texts::kSkippedMissing);
            continue;
        }
        if (!doclist::DocumentKindOf(entry, attributes)) {
            skip(entry, texts::kSkippedNotADocument);
            continue;
        }
        seen.insert(entry);
        accepted.push_back(std::move(entry));
    }
    // Each insertion goes on top: the last entry first, so the rows read in the file's order.
    std::reverse(accepted.begin(), accepted.end());
    AddNewDocuments(accepted);
    outcome.added = static_cast<int>(accepted.size());
    UpdateFileCount();
    return outcome;
}
