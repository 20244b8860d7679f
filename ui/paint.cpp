#include <string_view>

#include "app/resource.h"
#include "app/tavrolin_dlg.h"
#include "app/texts.h"
#include "ui/dpi.h"
#include "ui/painting.h"

namespace {
void DrawLine(HDC dc, POINT at, std::wstring_view text) {
    ::TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
}
}  // namespace

BOOL CTavrolinDlg::OnEraseBkgnd(HDC dc) {
    using namespace painting;
    const RECT client = GetClientRect();
    const UINT windowDpi = m_dpiScaler.Dpi();
    MainLayout layout = LayOutMain(client.right, client.bottom, windowDpi);

    FillSolid(dc, client, kGroundColour);
    FillSolid(dc, layout.band, kBandColour);
    ::SetBkMode(dc, TRANSPARENT);
    {
        // Made afresh on every erase so they follow the UI font face and the window's DPI;
        // released before returning.
        // The banner text stays left of the logo, in a smaller font if the window is narrow.
        const int clearance = dpi::Scale(kClearance, windowDpi);
        FontHandle banner = MakeFittingUiFont(dc, texts::kBannerText, kBannerPoints, windowDpi,
                                              layout.logo.left - clearance - layout.bannerText.x);
        FontHandle vendor = MakeUiFont(kVendorNamePoints, windowDpi);
        FontHandle hint = MakeUiFont(kSmallPoints, windowDpi);
        SelectGuard keepFont(dc, ::GetCurrentObject(dc, OBJ_FONT));

        ::SetTextColor(dc, kBannerTextColour);
        ::SelectObject(dc, banner.get());
        DrawLine(dc, layout.bannerText, texts::kBannerText);
        ::SelectObject(dc, vendor.get());
        DrawLine(dc, layout.vendorName, texts::kVendorName);

        ::SetTextColor(dc, kHintColour);
        ::SelectObject(dc, hint.get());
        // The line's arrow points at the web-page button: it ends left of the button wherever
        // the button stands, whatever the font makes of the text's width.
        if (HWND button = GetDlgItem(IDC_VISIT_WEBSITE)) {
            RECT r;
            ::GetWindowRect(button, &r);
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
            const std::wstring_view line = texts::kVendorLine;
            SIZE extent{};
            ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &extent);
            layout.vendorLine.x = VendorLineLeft(layout.vendorLine.x, extent.cx, r.left - clearance);
        }
        DrawLine(dc, layout.vendorLine, texts::kVendorLine);
        DrawLine(dc, layout.dropHint, texts::kDropHint);
    }
    DrawLogo(dc, layout.logo.left, layout.logo.top, layout.logo.right - layout.logo.left);
    return TRUE;
}

LRESULT CTavrolinDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpiScaler.OnDpiChanged(m_hWnd, wParam, lParam);
    return 0;
}

void CTavrolinDlg::OnPaint() {
    // Only the minimised window needs us; otherwise the dialog's default painting runs.
    if (!::IsIconic(m_hWnd)) return;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const RECT client = GetClientRect();
    const POINT at = painting::CentredIconOrigin(client.right, client.bottom, ::GetSystemMetrics(SM_CXICON),
                                                 ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(dc, at.x, at.y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}
