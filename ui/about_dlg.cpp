#include "ui/about_dlg.h"

#include <string_view>

#include "common/resource.h"
#include "common/texts.h"
#include "ui/painting.h"
#include "ui/shell_open.h"

AboutLayout LayOutAbout(UINT dpi) {
    using dpi::Scale;
    // Fixed client pixels at 96 DPI, not the dialog's units: the texts are in the UI font,
    // not the dialog's, and scale with the DPI as the font does.
    const int logo = Scale(painting::kLogoSize, dpi);
    return {{Scale(35, dpi), Scale(105, dpi)},
            Scale(RECT{130, 20, 350, 220}, dpi),
            {Scale(30, dpi), Scale(40, dpi), Scale(30, dpi) + logo, Scale(40, dpi) + logo}};
}

const MessageEntry CAboutDlg::s_messageEntries[] = {
    OnMessage<&CAboutDlg::OnEraseBkgnd>(WM_ERASEBKGND),
    OnCommand<&CAboutDlg::OnVisitWebsite>(IDC_ABOUT_WEBSITE),
    OnCommand<&CAboutDlg::OnVisitShop>(IDC_ABOUT_SHOP),
    OnMessage<&CAboutDlg::OnDpiChanged>(WM_DPICHANGED),
};

CAboutDlg::CAboutDlg() : CDialogEx(IDD_ABOUTBOX) {}

const MessageMap* CAboutDlg::GetMessageMap() const {
    static const MessageMap map{CDialogEx::GetMessageMap(), s_messageEntries};
    return &map;
}

BOOL CAboutDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    m_dpiScaler.Attach(m_hWnd);
    SetDlgItemText(IDC_ABOUT_WEBSITE, texts::kVisitWebsite);
    SetDlgItemText(IDC_ABOUT_SHOP, texts::kVisitShop);
    return TRUE;  // the focus goes to the first tab stop, the web-page button
}

BOOL CAboutDlg::OnEraseBkgnd(HDC dc) {
    using namespace painting;
    const AboutLayout layout = LayOutAbout(m_dpiScaler.Dpi());
    // The fill leaves the ground as the background colour, so the opaque text cells match it.
    FillSolid(dc, GetClientRect(), kGroundColour);
    {
        FontHandle font = MakeUiFont(kSmallPoints, m_dpiScaler.Dpi());
        SelectGuard select(dc, font.get());
        const std::wstring_view name = texts::kVendorName;
        ::TextOutW(dc, layout.vendorName.x, layout.vendorName.y, name.data(), static_cast<int>(name.size()));
        RECT textRect = layout.text;
        ::DrawTextW(dc, texts::kAboutText, -1, &textRect, 0);
    }
    DrawLogo(dc, layout.logo.left, layout.logo.top, layout.logo.right - layout.logo.left);
    return TRUE;
}

LRESULT CAboutDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpiScaler.OnDpiChanged(m_hWnd, wParam, lParam);
    return 0;
}

void CAboutDlg::OnVisitWebsite() { OpenVendorWebsite(); }

void CAboutDlg::OnVisitShop() { shell::Open(texts::kShopUrl); }

void OpenVendorWebsite() { shell::Open(texts::kWebsiteUrl); }
