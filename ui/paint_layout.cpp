// Where things are painted and in which fonts: the banner's layout and the UI fonts.
#include "ui/painting.h"

#include <algorithm>

#include "common/resource.h"
#include "common/texts.h"
#include "ui/dpi.h"

namespace painting {

namespace {
FontHandle UiFontOfHeight(int height) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, UiFontFace().c_str(), LF_FACESIZE);
    return FontHandle(::CreateFontIndirectW(&lf));
}

int WidthIn(HDC dc, HFONT font, std::wstring_view text) {
    SelectGuard select(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}
}  // namespace

MainLayout LayOutMain(int w, int h, UINT dpi) {
    MainLayout l{};
    l.band = {0, 0, w, h * 16 / 100};
    l.bannerText = {w * 3 / 100, h * 6 / 100};
    l.vendorName = {w * 83 / 100, h * 12 / 100};
    l.vendorLine = {w * 48 / 100, h * 96 / 100};
    l.dropHint = {w * 2 / 100, h * 16 / 100};
    const POINT logo{w * 83 / 100, h / 100};
    const int size = dpi::Scale(kLogoSize, dpi);
    l.logo = {logo.x, logo.y, logo.x + size, logo.y + size};
    return l;
}

int VendorLineLeft(int preferredLeft, int textWidth, int limitRight) {
    return std::max(0, std::min(preferredLeft, limitRight - textWidth));
}

int FontHeight(int tenthsOfPoint, int pixelsPerInch) { return -::MulDiv(tenthsOfPoint, pixelsPerInch, 720); }

POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

FontHandle MakeUiFont(int tenthsOfPoint, UINT dpi) {
    return UiFontOfHeight(FontHeight(tenthsOfPoint, static_cast<int>(dpi)));
}


FontHandle MakeFittingUiFont(HDC dc, std::wstring_view text, int tenthsOfPoint, UINT dpi, int room) {
    int height = FontHeight(tenthsOfPoint, static_cast<int>(dpi));
    FontHandle font = UiFontOfHeight(height);
    const int width = WidthIn(dc, font.get(), text);
    if (width <= room || room <= 0) return font;
    // Widths do not shrink quite in proportion (hinting): start from the proportional height
    // and step down until the text fits.
    for (height = std::min(-1, height * room / width);; ++height) {
        font = UiFontOfHeight(height);
        if (height == -1 || WidthIn(dc, font.get(), text) <= room) return font;
    }
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawLogo(HDC dc, int x, int y, int size) {
    BitmapHandle logo(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO)));
    if (!logo) return;
    MemoryDC memory(dc);
    if (!memory) return;
    BITMAP info{};
    ::GetObjectW(logo.get(), sizeof(info), &info);
    SelectGuard select(memory.get(), logo.get());
    ::SetStretchBltMode(dc, HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE wants the brush origin reset after it is set
    // At its own size a plain copy keeps every pixel exact.
    if (size == info.bmWidth && size == info.bmHeight)
        ::BitBlt(dc, x, y, size, size, memory.get(), 0, 0, SRCCOPY);
    else
        ::StretchBlt(dc, x, y, size, size, memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}

}  // namespace painting

std::wstring& UiFontFace() {
    static std::wstring face = texts::kDefaultFontFace;
    return face;
}
