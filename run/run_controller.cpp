#include "app/tavrolin_dlg.h"

void CTavrolinDlg::OnStart() {}

LRESULT CTavrolinDlg::OnPrintProgress(WPARAM, LPARAM) { return 0; }

void CTavrolinDlg::OnTimer(UINT_PTR) {}
