#include "doclist/document_list.h"

#include <cstdio>

#include "app/resource.h"
#include "app/tavrolin_dlg.h"
#include "app/texts.h"

std::pair<int, int> DocumentColumnWidths(int clientWidth) {
    return {static_cast<int>(clientWidth * 0.85), static_cast<int>(clientWidth * 0.15)};
}

void CTavrolinDlg::SetUpDocumentList() {
    RECT rc = m_documentList.GetClientRect();
    auto [pathWidth, statusWidth] = DocumentColumnWidths(rc.right);
    // Grid lines, draggable headers, full-row selection, one-click activation, flat scroll bars.
    m_documentList.SetExtendedStyle(0x171);
    m_documentList.InsertColumn(0, texts::kColumnPath, LVCFMT_LEFT, pathWidth);
    m_documentList.InsertColumn(1, texts::kColumnStatus, LVCFMT_LEFT, statusWidth);
}

bool CTavrolinDlg::HasDocument(const std::wstring& path) const {
    // Whole-string comparison of UTF-16 code units, as comparing every row's text would be.
    return m_documentPaths.contains(path);
}

void CTavrolinDlg::InsertDocument(const std::wstring& path) {
    int row = m_documentList.InsertItem(0, path.c_str());
    if (row < 0) return;
    m_documentList.SetItemText(row, 1, texts::kPending);
    // Keyed by the text the row holds, which ends at the first NUL like any window text.
    ++m_documentPaths[std::wstring(path.c_str())];
}

void CTavrolinDlg::RemoveDocument(int row) {
    const std::wstring path = m_documentList.GetItemText(row, 0);
    if (!m_documentList.DeleteItem(row)) return;
    auto it = m_documentPaths.find(path);
    if (it != m_documentPaths.end() && --it->second == 0) m_documentPaths.erase(it);
}

void CTavrolinDlg::ClearDocuments() {
    m_documentList.DeleteAllItems();
    m_documentPaths.clear();
}

void CTavrolinDlg::UpdateFileCount() {
    wchar_t text[16];
    swprintf(text, 16, L"%d", m_documentList.GetItemCount());
    SetDlgItemText(IDC_FILE_COUNT, text);
}
