#include "app/tavrolin_dlg.h"
#include "doclist/doclist.h"
#include "framework/file_dialog.h"

namespace doclist {

bool IsDroppableName(std::wstring_view name) {
    for (std::wstring_view suffix : {L"doc", L"docx", L"xls", L"xlsx", L"ppt", L"pptx"})
        if (name.ends_with(suffix)) return true;
    return false;
}

void AddNewDocuments(CTavrolinDlg& dlg, const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    // A visible list view repaints on every insertion; a large batch would take minutes.
    dlg.SetDocumentListRedraw(false);
    for (const std::wstring& path : paths)
        if (!dlg.HasDocument(path)) dlg.InsertDocument(path);
    dlg.SetDocumentListRedraw(true);
}

}  // namespace doclist

void CTavrolinDlg::OnAddFiles() {
    CFileDialog dialog(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING,
                       doclist::kDocumentFilter, m_hWnd);
    if (dialog.DoModal() == IDOK) doclist::AddNewDocuments(*this, dialog.PathNames());
    UpdateFileCount();
}

void CTavrolinDlg::OnDropFiles(HDROP drop) {
    // Rows keep their index for the whole of a run, so nothing may be inserted above them.
    if (!m_runActive) {
        std::vector<std::wstring> accepted;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            // Fetched at its own length: a name past MAX_PATH must not arrive cut short.
            const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
            std::wstring name(static_cast<size_t>(length) + 1, L'\0');
            name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
            if (doclist::IsDroppableName(name)) accepted.push_back(std::move(name));
        }
        doclist::AddNewDocuments(*this, accepted);
    }
    UpdateFileCount();
    ::DragFinish(drop);
}
