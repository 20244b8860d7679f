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
    const int count = m_documentList.GetItemCount();
    for (int i = 0; i < count; ++i)
        if (m_documentList.GetItemText(i, 0) == path) return true;
    return false;
}

void CTavrolinDlg::InsertDocument(const std::wstring& path) {
    int row = m_documentList.InsertItem(0, path.c_str());
    m_documentList.SetItemText(row, 1, texts::kPending);
}

void CTavrolinDlg::UpdateFileCount() {
    wchar_t text[16];
    swprintf(text, 16, L"%d", m_documentList.GetItemCount());
    SetDlgItemText(IDC_FILE_COUNT, text);
}
