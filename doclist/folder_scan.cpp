#include <algorithm>
#include <numeric>

#include <shlobj.h>

#include "common/texts.h"
#include "doclist/doclist.h"
#include "doclist/document_kind.h"
#include "doclist/document_list.h"
#include "framework/scoped.h"

namespace doclist {

long long TimeKey(const SYSTEMTIME& t) {
    long long key = t.wYear;
    key = key * 100 + t.wMonth;
    key = key * 100 + t.wDay;
    key = key * 100 + t.wHour;
    key = key * 100 + t.wMinute;
    key = key * 100 + t.wSecond;
    key = key * 1000 + t.wMilliseconds;
    return key;
}

std::optional<long long> TimeKeyOfFileTime(const FILETIME& utc) {
    SYSTEMTIME utcTime{}, local{};
    if (!::FileTimeToSystemTime(&utc, &utcTime)) return std::nullopt;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local)) return std::nullopt;
    return TimeKey(local);
}

namespace {
// The folder the listing of `pattern` walks, as a full path without the trailing pattern.
std::wstring ListingRoot(const std::wstring& pattern) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetFullPathNameW(pattern.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            full = pattern;
            break;
        }
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    size_t sep = full.find_last_of(L"\\/");
    if (sep != std::wstring::npos) full.resize(sep);
    return full;
}
}  // namespace

std::vector<Candidate> ListCandidates(const std::wstring& folder) {
    std::vector<Candidate> candidates;
    const std::wstring pattern = folder + L"\\*.*";
    WIN32_FIND_DATAW entry{};
    // Windows refuses a plain pattern past MAX_PATH; the \\?\ form lists such a folder too.
    FindHandle find(::FindFirstFileW(LongPathForm(pattern).c_str(), &entry));
    if (!find.valid()) return candidates;

    std::wstring root = ListingRoot(pattern);
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/') root += L'\\';
    do {
        // "." and ".." are folders, and folders are never documents.
        if (!DocumentKindOf(entry.cFileName, entry.dwFileAttributes)) continue;
        candidates.push_back({root + entry.cFileName, entry.ftLastWriteTime});
    } while (::FindNextFileW(find.get(), &entry));
    return candidates;
}

std::vector<long long> QueryTimeKeys(const std::vector<Candidate>& candidates) {
    std::vector<long long> keys;
    keys.reserve(candidates.size());
    for (const Candidate& c : candidates) {
        FILETIME written = c.listedWriteTime;
        WIN32_FIND_DATAW entry{};
        FindHandle find(::FindFirstFileW(LongPathForm(c.path).c_str(), &entry));
        if (find.valid()) written = entry.ftLastWriteTime;
        keys.push_back(TimeKeyOfFileTime(written).value_or(0));
    }
    return keys;
}

std::vector<size_t> ResultOrder(const std::vector<long long>& keys, int order) {
    std::vector<size_t> indexes(keys.size());
    std::iota(indexes.begin(), indexes.end(), size_t{0});
    if (order == 0)
        std::stable_sort(indexes.begin(), indexes.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    else if (order == 1)
        std::stable_sort(indexes.begin(), indexes.end(), [&](size_t a, size_t b) { return keys[a] > keys[b]; });
    return indexes;
}

}  // namespace doclist

void DocumentList::ScanFolder(const std::wstring& folder, std::vector<std::wstring>& result, int order) {
    std::vector<doclist::Candidate> candidates = doclist::ListCandidates(folder);
    const std::vector<long long> keys = doclist::QueryTimeKeys(candidates);
    for (size_t i : doclist::ResultOrder(keys, order)) result.push_back(std::move(candidates[i].path));
}

void DocumentList::AddFolder() {
    CShellManager shell;
    std::optional<std::wstring> folder = shell.BrowseForFolder(m_dialog, texts::kChooseFolder, BIF_RETURNONLYFSDIRS);
    if (!folder) return;

    std::vector<std::wstring> paths;
    ScanFolder(*folder, paths, 1);
    AddNewDocuments(paths);
    UpdateFileCount();
}
