#include "ui/about_dlg.h"

#include "app/resource.h"
#include "app/tavrolin_dlg.h"

CAboutDlg::CAboutDlg() : CDialogEx(IDD_ABOUTBOX) {}

const MessageMap* CAboutDlg::GetMessageMap() const {
    static const MessageMap map{CDialogEx::GetMessageMap(), {}};
    return &map;
}

BOOL CAboutDlg::OnInitDialog() { return CDialogEx::OnInitDialog(); }

void CAboutDlg::OnVisitWebsite() {}
void CAboutDlg::OnVisitShop() {}

void CTavrolinDlg::OnVisitWebsite() {}
