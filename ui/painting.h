// The painted look shared by the main window and the About box: colours, fonts, the logo, and
// the main window's banner geometry as plain functions of the client size.
#pragma once

#include <windows.h>

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

inline constexpr int kLogoSize = 64;

// Where the main window's erase puts everything, for a client area of w x h pixels. Every
// value is a fixed fraction of the size, rounded down, so the banner follows the window.
struct MainLayout {
    RECT band;         // the blue band across the top
    POINT bannerText;  // top-left corners of the single-line texts
    POINT vendorName;
    POINT vendorLine;
    POINT dropHint;
    RECT logo;         // the logo at its own size
};
MainLayout LayOutMain(int width, int height);

// The pixel height (negative: character height) of a font of `tenthsOfPoint` on a device with
// `pixelsPerInch` vertically, rounded to the nearest pixel.
int FontHeight(int tenthsOfPoint, int pixelsPerInch);

// Top-left corner of an icon of iconW x iconH centred in a client area, as the minimised
// window draws it.
POINT CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// A font of the UI font face at `tenthsOfPoint`, sized for the screen; everything else
// default, including the character set (a zero one draws Chinese as boxes under Wine).
FontHandle MakeUiFont(int tenthsOfPoint);

// Fills `rect` with `colour` by an opaque empty text output, which leaves `colour` as the
// context's background colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

// Copies bitmap 129 at its own size to (x, y) through a memory context.
void DrawLogo(HDC dc, int x, int y);

// The main window's background: the ground, the band with its texts, and the logo.
void EraseMainWindow(HWND hwnd, HDC dc);
// The minimised window's icon, centred; false (nothing painted) when the window is not minimised.
bool PaintMinimised(HWND hwnd, HICON icon);

}  // namespace painting
