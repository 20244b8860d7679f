#include "run/busy_indicator.h"

#include <string_view>

#include "common/texts.h"
#include "ui/dpi.h"
#include "ui/painting.h"

BusyIndicatorGeometry BusyIndicatorFor(HWND window, UINT dpi) {
    RECT rc{};
    ::GetClientRect(window, &rc);
    return BusyIndicatorAt(rc.right, rc.bottom, dpi);
}

BusyIndicatorGeometry BusyIndicatorAt(int w, int h, UINT dpi) {
    const int x = w * 75 / 100, y = h * 85 / 100;
    auto s = [dpi](int pixels) { return dpi::Scale(pixels, dpi); };
    BusyIndicatorGeometry g{};
    g.anchor = {x, y};
    for (int i = 0; i < 3; ++i) g.squares[i] = {x + s(5 + 25 * i), y + s(10), x + s(25 + 25 * i), y + s(30)};
    g.label = {x + s(80), y + s(10)};
    g.area = {x, y, x + s(160), y + s(45)};
    g.count = {x + s(5), y - s(22), x + s(160), y - s(2)};
    g.stop = {x + s(5), y - s(54), x + s(105), y - s(28)};
    return g;
}

void DrawBusyStep(HWND window, UINT dpi, int phase) {
    const BusyIndicatorGeometry g = BusyIndicatorFor(window, dpi);
    if (WindowDC dc(window); dc) PaintBusyStep(dc.get(), g, dpi, phase);
}

void PaintBusyStep(HDC dc, const BusyIndicatorGeometry& g, UINT dpi, int phase) {
    BrushHandle black(::CreateSolidBrush(RGB(0, 0, 0)));
    BrushHandle magenta(::CreateSolidBrush(RGB(255, 0, 255)));
    FontHandle font = painting::MakeUiFont(painting::kSmallPoints, dpi);
    SelectGuard select(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    constexpr std::wstring_view label = texts::kBusyLabel;
    ::TextOutW(dc, g.label.x, g.label.y, label.data(), static_cast<int>(label.size()));
    for (int i = 0; i < 3; ++i) ::FillRect(dc, &g.squares[i], i == BlackSquare(phase) ? black.get() : magenta.get());
}

void ClearBusyIndicator(HWND window, UINT dpi) {
    const BusyIndicatorGeometry g = BusyIndicatorFor(window, dpi);
    if (WindowDC dc(window); dc) {
        BrushHandle ground(::CreateSolidBrush(painting::kGroundColour));
        ::FillRect(dc.get(), &g.area, ground.get());
    }
}
