#include "app/tavrolin_dlg.h"

void CTavrolinDlg::OnRemoveFile() {}

void CTavrolinDlg::OnClearList() {}
