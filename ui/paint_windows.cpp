// Drawing the windows: the main window's ground with its banner, and the minimised icon.
#include <string_view>

#include "common/resource.h"
#include "common/texts.h"
#include "ui/dpi.h"
#include "ui/painting.h"

namespace {
void DrawLine(HDC dc, POINT at, std::wstring_view text) {
    ::TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
}
}  // namespace

namespace painting {

void EraseMainWindow(HWND hwnd, HDC dc, UINT windowDpi) {
    RECT client{};
    ::GetClientRect(hwnd, &client);
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
        if (HWND button = ::GetDlgItem(hwnd, IDC_VISIT_WEBSITE)) {
            RECT r;
            ::GetWindowRect(button, &r);
            ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
            const std::wstring_view line = texts::kVendorLine;
            SIZE extent{};
            ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &extent);
            layout.vendorLine.x = VendorLineLeft(layout.vendorLine.x, extent.cx, r.left - clearance);
        }
        DrawLine(dc, layout.vendorLine, texts::kVendorLine);
        DrawLine(dc, layout.dropHint, texts::kDropHint);
    }
    DrawLogo(dc, layout.logo.left, layout.logo.top, layout.logo.right - layout.logo.left);
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
