#include "app/texts.h"
#include "doclist/document_list.h"

void DocumentList::RemoveSelected() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    const std::wstring path = row >= 0 ? m_list.GetItemText(row, 0) : std::wstring();
    if (path.empty()) {
        Ask(texts::kSelectOne, MB_OK);
    } else if (Ask(texts::kConfirmRemove, MB_OKCANCEL) == IDOK) {
        RemoveDocument(row);
        Ask(texts::kRemoved, MB_OK);
    }
    UpdateFileCount();
}

void DocumentList::Clear() {
    if (m_list.GetItemCount() == 0) {
        Ask(texts::kNothingToClear, MB_OK);
    } else if (Ask(texts::kConfirmClear, MB_OKCANCEL) == IDOK) {
        ClearDocuments();
        Ask(texts::kCleared, MB_OK);
    }
    UpdateFileCount();
}
