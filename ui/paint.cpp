#include "app/tavrolin_dlg.h"

BOOL CTavrolinDlg::OnEraseBkgnd(HDC) { return FALSE; }

void CTavrolinDlg::OnPaint() {}
