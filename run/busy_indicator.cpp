#include "run/busy_indicator.h"

BusyIndicatorGeometry BusyIndicatorAt(int w, int h) {
    const int x = w * 75 / 100, y = h * 85 / 100;
    BusyIndicatorGeometry g{};
    g.anchor = {x, y};
    for (int i = 0; i < 3; ++i) g.squares[i] = {x + 5 + 25 * i, y + 10, x + 25 + 25 * i, y + 30};
    g.label = {x + 80, y + 10};
    g.area = {x, y, x + 160, y + 45};
    return g;
}
