#include "app/tavrolin_dlg.h"

void CTavrolinDlg::ScanFolder(const std::wstring&, std::vector<std::wstring>&, int) {}

void CTavrolinDlg::OnAddFolder() {}
