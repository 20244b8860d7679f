#include "common/texts.h"
#include "doclist/document_list.h"

void DocumentList::RemoveSelected() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    const std::wstring path = row >= 0 ? m_list.GetItemText(row, 0) : std::wstring();
    if (path.empty()) {
        ShowBox(texts::kSelectOne, MB_OK);
    } else if (ShowBox(texts::kConfirmRemove, MB_OKCANCEL) == IDOK) {
        RemoveDocument(row);
        ShowBox(texts::kRemoved, MB_OK);
    }
    UpdateFileCount();
}

void DocumentList::Clear() {
    if (m_list.GetItemCount() == 0) {
        ShowBox(texts::kNothingToClear, MB_OK);
    } else if (ShowBox(texts::kConfirmClear, MB_OKCANCEL) == IDOK) {
        ClearDocuments();
        ShowBox(texts::kCleared, MB_OK);
    }
    UpdateFileCount();
}
