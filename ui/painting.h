// The painted look shared by the main window and the About box: colours, fonts, the logo, and
// the main window's banner geometry as plain functions of the client size and the DPI.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/scoped.h"

namespace painting {

inline constexpr COLORREF kGroundColour = RGB(240, 240, 240);
inline constexpr COLORREF kBandColour = RGB(23, 20, 180);
inline constexpr COLORREF kBannerTextColour = RGB(255, 255, 255);
inline constexpr COLORREF kHintColour = RGB(150, 0, 0);

// Font sizes in tenths of a point.
inline constexpr int kBannerPoints = 180;
inline constexpr int kVendorNamePoints = 120;
inline constexpr int kSmallPoints = 100;

inline constexpr int kLogoSize = 64;  // at 96 DPI; the bitmap's own size
// Space kept at 96 DPI between a painted line and what it must not run into: the banner text
// and the logo, the vendor line's arrow and the web-page button.
inline constexpr int kClearance = 8;

// Where the main window's erase puts everything, for a client area of w x h pixels at `dpi`.
// Every position is a fixed fraction of the size, rounded down, so the banner follows the
// window; the logo is its 64 pixels scaled to the DPI.
struct MainLayout {
    RECT band;         // the blue band across the top
    POINT bannerText;  // top-left corners of the single-line texts
    POINT vendorName;
    POINT vendorLine;
    POINT dropHint;
    RECT logo;
};
MainLayout LayOutMain(int width, int height, UINT dpi = 96);

// The vendor line's left edge: where the layout puts it, or further left when its text would
// otherwise run past `limitRight` (the web-page button's left edge less a gap); never left of 0.
int VendorLineLeft(int preferredLeft, int textWidth, int limitRight);

// The pixel height (negative: character height) of a font of `tenthsOfPoint` on a device with
// `pixelsPerInch` vertically, rounded to the nearest pixel.
int FontHeight(int tenthsOfPoint, int pixelsPerInch);

// Top-left corner of an icon of iconW x iconH centred in a client area, as the minimised
// window draws it.
POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The UI font at `tenthsOfPoint` for `dpi` when `text` fits `room` pixels in it on `dc`, else
// the largest smaller one in which it fits (a window narrower than its DPI wants).
FontHandle MakeFittingUiFont(HDC dc, std::wstring_view text, int tenthsOfPoint, UINT dpi, int room);

// A font of the UI font face at `tenthsOfPoint`, sized for `dpi` (the window's, not the
// screen's); everything else default, including the character set (a zero one draws Chinese
// as boxes under Wine).
FontHandle MakeUiFont(int tenthsOfPoint, UINT dpi);

// Fills `rect` with `colour` by an opaque empty text output, which leaves `colour` as the
// context's background colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

// Draws bitmap 129 into the `size` x `size` square at (x, y) through a memory context,
// halftoned when it has to be scaled.
void DrawLogo(HDC dc, int x, int y, int size);

// The main window's background at the window's DPI: the ground, the band with its texts, and
// the logo.
void EraseMainWindow(HWND hwnd, HDC dc, UINT windowDpi);
// The minimised window's icon, centred; false (nothing painted) when the window is not minimised.
bool PaintMinimised(HWND hwnd, HICON icon);

}  // namespace painting

// The face every painted text uses: the icon-title font's face once the main window has
// initialised, the default face until then.
std::wstring& UiFontFace();
