#include "doclist/document_list.h"

#include <algorithm>
#include <cstdio>

#include "common/texts.h"

namespace {
// Grid lines, draggable headers, full-row selection, one-click activation, flat scroll bars.
// Info tips: a failed row tells why when the pointer rests on it.
constexpr DWORD kListStyle = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE |
                             LVS_EX_FLATSB | LVS_EX_INFOTIP;
}  // namespace

std::pair<int, int> DocumentColumnWidths(int clientWidth) {
    return {static_cast<int>(clientWidth * 0.85), static_cast<int>(clientWidth * 0.15)};
}

void DocumentList::Attach(HWND dialog, int listId, int countLabelId) {
    m_dialog = dialog;
    m_countLabel = countLabelId;
    m_list.Attach(::GetDlgItem(dialog, listId));
}

void DocumentList::SetUp() {
    RECT rc = m_list.GetClientRect();
    auto [pathWidth, statusWidth] = DocumentColumnWidths(rc.right);
    m_list.SetExtendedStyle(kListStyle);
    m_list.InsertColumn(0, texts::kColumnPath, LVCFMT_LEFT, pathWidth);
    m_list.InsertColumn(1, texts::kColumnStatus, LVCFMT_LEFT, statusWidth);
}

bool DocumentList::HasDocument(const std::wstring& path) const {
    // Whole-string comparison of UTF-16 code units, as comparing every row's text would be.
    return m_paths.contains(path);
}

void DocumentList::InsertDocument(const std::wstring& path) {
    int row = m_list.InsertItem(0, path.c_str());
    if (row < 0) return;
    m_list.SetItemText(row, 1, texts::kPending);
    // Keyed by the text the row holds, which ends at the first NUL like any window text.
    ++m_paths[std::wstring(path.c_str())];
    // A new row goes on top whatever the order: the arrow would no longer be true.
    if (m_sortColumn >= 0) {
        m_sortColumn = -1;
        ShowSortArrow();
    }
}

void DocumentList::RemoveDocument(int row) {
    const std::wstring path = m_list.GetItemText(row, 0);
    const size_t slot = SlotOf(row);
    if (!m_list.DeleteItem(row)) return;
    if (slot > 0) {
        m_results[slot] = RowResult{};
        m_freeSlots.push_back(slot);
    }
    auto it = m_paths.find(path);
    if (it != m_paths.end() && --it->second == 0) m_paths.erase(it);
}

void DocumentList::ClearDocuments() {
    m_list.DeleteAllItems();
    m_paths.clear();
    m_results.resize(1);
    m_freeSlots.clear();
}

void DocumentList::UpdateFileCount() {
    wchar_t text[16];
    swprintf(text, 16, L"%d", m_list.GetItemCount());
    ::SetDlgItemTextW(m_dialog, m_countLabel, text);
}

void DocumentList::AddNewDocuments(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    // A visible list view repaints on every insertion; a large batch would take minutes.
    m_list.SetRedraw(false);
    for (const std::wstring& path : paths)
        if (!HasDocument(path)) InsertDocument(path);
    m_list.SetRedraw(true);
}

std::vector<std::wstring> DocumentList::Paths() const {
    std::vector<std::wstring> paths;
    const int n = m_list.GetItemCount();
    paths.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) paths.push_back(m_list.GetItemText(i, 0));
    return paths;
}

void DocumentList::SetStatus(int row, const wchar_t* status, const wchar_t* reason) {
    if (reason && *reason) {
        RowResult result;
        result.reason = reason;
        SetResult(row, status, std::move(result));
        return;
    }
    m_list.SetItemText(row, 1, status);
    ReleaseSlot(row);
}

void DocumentList::SetResult(int row, const wchar_t* status, RowResult result) {
    if (row < 0 || row >= Count()) return;
    m_list.SetItemText(row, 1, status);
    size_t slot = SlotOf(row);
    if (slot == 0) {
        if (!m_freeSlots.empty()) {
            slot = m_freeSlots.back();
            m_freeSlots.pop_back();
        } else {
            slot = m_results.size();
            m_results.emplace_back();
        }
        m_list.SetItemData(row, static_cast<LPARAM>(slot));
    }
    m_results[slot] = std::move(result);
}

size_t DocumentList::SlotOf(int row) const {
    const LPARAM slot = m_list.GetItemData(row);
    return slot > 0 && static_cast<size_t>(slot) < m_results.size() ? static_cast<size_t>(slot) : 0;
}

void DocumentList::ReleaseSlot(int row) {
    const size_t slot = SlotOf(row);
    if (slot == 0) return;
    m_results[slot] = RowResult{};
    m_freeSlots.push_back(slot);
    m_list.SetItemData(row, 0);
}

std::wstring DocumentList::ReasonAt(int row) const { return m_results[SlotOf(row)].reason; }

const RowResult* DocumentList::ResultAt(int row) const {
    const size_t slot = SlotOf(row);
    return slot > 0 ? &m_results[slot] : nullptr;
}

void DocumentList::OnInfoTip(NMLVGETINFOTIPW& tip) const {
    if (!tip.pszText || tip.cchTextMax <= 0) return;
    const std::wstring reason = ReasonAt(tip.iItem);
    if (reason.empty()) return;
    // The list may already hold the row's own text there (when it is cut short): the reason
    // goes after it.
    std::wstring text = (tip.dwFlags & LVGIT_UNFOLDED) || !*tip.pszText ? reason : std::wstring(tip.pszText) + L"\r\n" + reason;
    text.resize(std::min(text.size(), static_cast<size_t>(tip.cchTextMax - 1)));
    std::copy(text.begin(), text.end(), tip.pszText);
    tip.pszText[text.size()] = L'\0';
}

int DocumentList::ShowBox(const wchar_t* text, UINT type) const {
    return ::MessageBoxW(m_dialog, text, AfxGetAppName(), type);
}
