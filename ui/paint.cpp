#include <string_view>

#include "app/tavrolin_dlg.h"
#include "app/texts.h"
#include "ui/painting.h"

namespace {
void DrawLine(HDC dc, POINT at, std::wstring_view text) {
    ::TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
}
}  // namespace

BOOL CTavrolinDlg::OnEraseBkgnd(HDC dc) {
    using namespace painting;
    const RECT client = GetClientRect();
    const MainLayout layout = LayOutMain(client.right, client.bottom);

    FillSolid(dc, client, kGroundColour);
    FillSolid(dc, layout.band, kBandColour);
    ::SetBkMode(dc, TRANSPARENT);
    {
        // Made afresh on every erase so they follow the UI font face; released before returning.
        FontHandle banner = MakeUiFont(kBannerPoints);
        FontHandle vendor = MakeUiFont(kVendorNamePoints);
        FontHandle hint = MakeUiFont(kSmallPoints);
        SelectGuard keepFont(dc, ::GetCurrentObject(dc, OBJ_FONT));

        ::SetTextColor(dc, kBannerTextColour);
        ::SelectObject(dc, banner.get());
        DrawLine(dc, layout.bannerText, texts::kBannerText);
        ::SelectObject(dc, vendor.get());
        DrawLine(dc, layout.vendorName, texts::kVendorName);

        ::SetTextColor(dc, kHintColour);
        ::SelectObject(dc, hint.get());
        DrawLine(dc, layout.vendorLine, texts::kVendorLine);
        DrawLine(dc, layout.dropHint, texts::kDropHint);
    }
    DrawLogo(dc, layout.logo.left, layout.logo.top);
    return TRUE;
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
