#include <string_view>

#include "app/texts.h"
#include "ui/painting.h"

namespace {
void DrawLine(HDC dc, POINT at, std::wstring_view text) {
    ::TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
}
}  // namespace

namespace painting {

void EraseMainWindow(HWND hwnd, HDC dc) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
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
}

bool PaintMinimised(HWND hwnd, HICON icon) {
    if (!::IsIconic(hwnd)) return false;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const POINT at = CentredIconOrigin(client.right, client.bottom, ::GetSystemMetrics(SM_CXICON),
                                       ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(dc, at.x, at.y, icon);
    ::EndPaint(hwnd, &ps);
    return true;
}

}  // namespace painting
