// Two ways of seeing what a window's erase handler drew: the pixels, captured into a DIB, and
// the GDI calls, recorded by an enhanced metafile passed in as the drawing context.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ui_test {

// A client-sized 32-bit top-down DIB that the window erased itself into.
class Capture {
public:
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB as the DIB stores it

    COLORREF At(int x, int y) const;
    // How many pixels of `rect` (clipped to the capture) are exactly `colour`.
    int Count(const RECT& rect, COLORREF colour) const;
};
Capture CaptureErase(HWND hwnd);
// What the window shows on the screen after a real repaint (BitBlt from its client DC).
Capture CaptureScreen(HWND hwnd);

// The pixels of bitmap 129 as the capture would hold them.
Capture LoadLogo();

struct DrawnText {
    std::wstring text;
    POINT at{};
    COLORREF colour = 0;
    COLORREF background = 0;
    int backgroundMode = OPAQUE;
    UINT options = 0;
    RECT clip{};  // meaningful with ETO_CLIPPED / ETO_OPAQUE
    LOGFONTW font{};
    bool stockFont = false;
};

struct Blit {
    RECT dest{};  // left, top, width, height
    DWORD rop = 0;
    int stretchMode = 0;
};

struct Recording {
    std::vector<DrawnText> texts;  // empty opaque outputs are the solid fills
    std::vector<Blit> blits;
    int objectsCreated = 0;
    int objectsDeleted = 0;
    bool fontRestored = false;  // the last font selection put a stock font back
};
Recording RecordErase(HWND hwnd);

}  // namespace ui_test
