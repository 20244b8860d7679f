// The DPI a window is shown at, and following a change of it (a move to a monitor of another
// scale), for windows that paint at sizes given for 96 DPI.
#pragma once

#include <windows.h>

#include "framework/scoped.h"

namespace dpi {

inline constexpr UINT kBase = 96;

// GetDpiForWindow where the system has it (Windows 10 1607 on); before that the vertical
// resolution of the window's drawing context, which is the system's DPI.
UINT ForWindow(HWND hwnd);

// `pixels` at 96 DPI, scaled to `dpi` and rounded to the nearest pixel.
inline int Scale(int pixels, UINT dpi) { return ::MulDiv(pixels, static_cast<int>(dpi), kBase); }
inline RECT Scale(const RECT& r, UINT dpi) { return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)}; }

// Keeps a dialog's controls in step with the DPI of the monitor it is on. The dialog takes
// WM_DPICHANGED itself: its window goes to the rectangle the system suggests, and the
// controls' positions, sizes, list columns and font scale by the ratio of the two DPIs.
class DialogScaler {
public:
    // At WM_INITDIALOG: remembers the DPI and turns off the dialog manager's own handling of
    // DPI changes (Windows 10 1703 on), which would scale the controls a second time.
    void Attach(HWND dialog);
    // WM_DPICHANGED: wParam carries the new DPI, lParam the suggested window rectangle.
    void OnDpiChanged(HWND dialog, WPARAM wParam, LPARAM lParam);
    UINT Dpi() const { return m_dpi; }

private:
    UINT m_dpi = kBase;
    FontHandle m_font;  // the controls' font once it was made for another DPI
};

}  // namespace dpi
