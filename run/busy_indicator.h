// Where the busy indicator stands: a fixed offset from 75 % / 85 % of the client size, with
// its squares, gaps and label scaled from their 96-DPI sizes to the window's DPI.
#pragma once

#include <windows.h>

struct BusyIndicatorGeometry {
    POINT anchor;
    RECT squares[3];  // right and bottom exclusive: 20 x 20, 5 pixels apart at 96 DPI
    POINT label;      // top-left of "处理中"
    RECT area;        // what the end of a run clears
    RECT count;       // "已处理 n / N", just above the squares
    RECT stop;        // the stop control, above the count
};

BusyIndicatorGeometry BusyIndicatorAt(int clientWidth, int clientHeight, UINT dpi = 96);
// The same for a window's client area.
BusyIndicatorGeometry BusyIndicatorFor(HWND window, UINT dpi);

// Which square is black at a phase counter value (1, 2 or 3): its index 0..2.
inline int BlackSquare(int phase) { return phase - 1; }

// One step straight onto the window, outside the paint cycle: the label in the UI font at
// `dpi`, then the squares, the one of `phase` black and the others magenta.
void DrawBusyStep(HWND window, UINT dpi, int phase);
// The same onto any drawing context, at `g`.
void PaintBusyStep(HDC dc, const BusyIndicatorGeometry& g, UINT dpi, int phase);
// Fills the indicator's area with the ground colour.
void ClearBusyIndicator(HWND window, UINT dpi);
