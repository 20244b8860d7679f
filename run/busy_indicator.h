// Where the busy indicator stands: a fixed offset from 75 % / 85 % of the client size.
#pragma once

#include <windows.h>

struct BusyIndicatorGeometry {
    POINT anchor;
    RECT squares[3];  // right and bottom exclusive: 20 x 20, 5 pixels apart
    POINT label;      // top-left of "处理中"
    RECT area;        // what the end of a run clears
};

BusyIndicatorGeometry BusyIndicatorAt(int clientWidth, int clientHeight);

// Which square is black at a phase counter value (1, 2 or 3): its index 0..2.
inline int BlackSquare(int phase) { return phase - 1; }
