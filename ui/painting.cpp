#include "ui/painting.h"

#include "app/resource.h"
#include "app/texts.h"

namespace painting {

MainLayout LayOutMain(int w, int h) {
    MainLayout l{};
    l.band = {0, 0, w, h * 16 / 100};
    l.bannerText = {w * 3 / 100, h * 6 / 100};
    l.vendorName = {w * 83 / 100, h * 12 / 100};
    l.vendorLine = {w * 48 / 100, h * 96 / 100};
    l.dropHint = {w * 2 / 100, h * 16 / 100};
    const POINT logo{w * 83 / 100, h / 100};
    l.logo = {logo.x, logo.y, logo.x + kLogoSize, logo.y + kLogoSize};
    return l;
}

int FontHeight(int tenthsOfPoint, int pixelsPerInch) { return -::MulDiv(tenthsOfPoint, pixelsPerInch, 720); }

POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

FontHandle MakeUiFont(int tenthsOfPoint) {
    ScreenDC screen;
    LOGFONTW lf{};
    lf.lfHeight = FontHeight(tenthsOfPoint, ::GetDeviceCaps(screen.get(), LOGPIXELSY));
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, UiFontFace().c_str(), LF_FACESIZE);
    return FontHandle(::CreateFontIndirectW(&lf));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawLogo(HDC dc, int x, int y) {
    BitmapHandle logo(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO)));
    if (!logo) return;
    MemoryDC memory(dc);
    if (!memory) return;
    BITMAP info{};
    ::GetObjectW(logo.get(), sizeof(info), &info);
    SelectGuard select(memory.get(), logo.get());
    ::SetStretchBltMode(dc, HALFTONE);
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace painting
