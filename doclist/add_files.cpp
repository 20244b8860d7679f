#include "app/tavrolin_dlg.h"

void CTavrolinDlg::OnAddFiles() { UpdateFileCount(); }

void CTavrolinDlg::OnDropFiles(HDROP drop) {
    UpdateFileCount();
    ::DragFinish(drop);
}
