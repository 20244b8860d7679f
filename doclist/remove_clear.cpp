#include "app/tavrolin_dlg.h"

void CTavrolinDlg::OnRemoveFile() {
    const int row = m_documentList.GetNextItem(-1, LVNI_SELECTED);
    const std::wstring path = row >= 0 ? m_documentList.GetItemText(row, 0) : std::wstring();
    if (path.empty()) {
        MessageBox(L"请选择一项", AfxGetAppName(), MB_OK);
    } else if (MessageBox(L"确定移除吗", AfxGetAppName(), MB_OKCANCEL) == IDOK) {
        RemoveDocument(row);
        MessageBox(L"移除成功", AfxGetAppName(), MB_OK);
    }
    UpdateFileCount();
}

void CTavrolinDlg::OnClearList() {
    if (m_documentList.GetItemCount() == 0) {
        MessageBox(L"无可清理文件", AfxGetAppName(), MB_OK);
    } else if (MessageBox(L"确定清空列表吗", AfxGetAppName(), MB_OKCANCEL) == IDOK) {
        ClearDocuments();
        MessageBox(L"清空成功", AfxGetAppName(), MB_OK);
    }
    UpdateFileCount();
}
