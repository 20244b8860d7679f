#include "ui/about_dlg.h"

#include <string_view>

#include "app/resource.h"
#include "app/texts.h"
#include "ui/painting.h"
#include "ui/shell_open.h"

namespace {
// The About box draws at fixed client pixels: they do not follow its dialog units.
constexpr POINT kVendorNameAt{35, 105};
constexpr RECT kAboutTextRect{130, 20, 350, 220};
constexpr POINT kLogoAt{30, 40};
}  // namespace

const MessageEntry CAboutDlg::s_messageEntries[] = {
    OnMessage<&CAboutDlg::OnEraseBkgnd>(WM_ERASEBKGND),
    OnCommand<&CAboutDlg::OnVisitWebsite>(IDC_ABOUT_WEBSITE),
    OnCommand<&CAboutDlg::OnVisitShop>(IDC_ABOUT_SHOP),
};

CAboutDlg::CAboutDlg() : CDialogEx(IDD_ABOUTBOX) {}

const MessageMap* CAboutDlg::GetMessageMap() const {
    static const MessageMap map{CDialogEx::GetMessageMap(), s_messageEntries};
    return &map;
}

BOOL CAboutDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_WEBSITE, texts::kVisitWebsite);
    SetDlgItemText(IDC_ABOUT_SHOP, texts::kVisitShop);
    return TRUE;  // the focus goes to the first tab stop, the web-page button
}

BOOL CAboutDlg::OnEraseBkgnd(HDC dc) {
    using namespace painting;
    // The fill leaves the ground as the background colour, so the opaque text cells match it.
    FillSolid(dc, GetClientRect(), kGroundColour);
    {
        FontHandle font = MakeUiFont(kSmallPoints);
        SelectGuard select(dc, font.get());
        const std::wstring_view name = texts::kVendorName;
        ::TextOutW(dc, kVendorNameAt.x, kVendorNameAt.y, name.data(), static_cast<int>(name.size()));
        RECT textRect = kAboutTextRect;
        ::DrawTextW(dc, texts::kAboutText, -1, &textRect, 0);
    }
    DrawLogo(dc, kLogoAt.x, kLogoAt.y);
    return TRUE;
}

void CAboutDlg::OnVisitWebsite() { OpenVendorWebsite(); }

void CAboutDlg::OnVisitShop() { shell::Open(texts::kShopUrl); }

void OpenVendorWebsite() { shell::Open(texts::kWebsiteUrl); }
