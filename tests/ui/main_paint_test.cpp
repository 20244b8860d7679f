// The main window's painted look, on the real window: what its erase draws (recorded as GDI
// calls and captured as pixels), and that erasing again and again holds no GDI objects.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "recording.h"
#include "support/files.h"
#include "support/main_window.h"
#include "ui/dpi.h"
#include "ui/painting.h"
#include "worked_sizes.h"

using namespace ui_test;

namespace {

void SetClientSize(HWND hwnd, int w, int h) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT client, window;
        ::GetClientRect(hwnd, &client);
        if (client.right == w && client.bottom == h) return;
        ::GetWindowRect(hwnd, &window);
        ::SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + w - client.right,
                       window.bottom - window.top + h - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        testing_ui::Pump(20);
    }
}

RECT ClientRectOf(HWND control, HWND parent) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LOGFONTW FontOfHeight(LOGFONTW lf, int height) {
    lf.lfHeight = height;
    return lf;
}

// A text's width in the font a recording saw it drawn in.
int WidthIn(const LOGFONTW& lf, const std::wstring& text) {
    HFONT font = ::CreateFontIndirectW(&lf);
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
    return extent.cx;
}

std::wstring IconTitleFace() {
    LOGFONTW lf{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
    return lf.lfFaceName;
}

using testing_files::Narrow;

// A face nobody has, set before the window initialises: if the initialisation did not take the
// icon-title font's face, the texts would be drawn in this one.
struct UnknownFace {
    UnknownFace() { UiFontFace() = L"Nonesuch Sans"; }
    ~UnknownFace() { UiFontFace() = texts::kDefaultFontFace; }
};

// Live GDI objects of this process. GetGuiResources counts them on Windows; Wine's always
// answers 0, but Wine's handle table answers GetObjectType for a bare slot index (no
// uniqueness bits), so there the slots in use are counted instead.
DWORD LiveGdiObjects() {
    if (DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    DWORD live = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++live;
    return live;
}

class MainWindowPaint : public ::testing::Test {
protected:
    UnknownFace face;  // before the window
    MainWindow main;
};

}  // namespace

TEST_F(MainWindowPaint, EraseDrawsTheBannerAtTheWorkedSizes) {
    const std::wstring face = IconTitleFace();
    ASSERT_FALSE(face.empty());
    const UINT dpi = dpi::ForWindow(main.hwnd());
    const int clearance = dpi::Scale(painting::kClearance, dpi);
    const RECT button = ClientRectOf(main.item(IDC_VISIT_WEBSITE), main.hwnd());
    for (const WorkedSize& size : kWorkedSizes) {
        SCOPED_TRACE(testing::Message() << size.w << " x " << size.h);
        SetClientSize(main.hwnd(), size.w, size.h);
        RECT client;
        ::GetClientRect(main.hwnd(), &client);
        ASSERT_EQ(client.right, size.w);
        ASSERT_EQ(client.bottom, size.h);

        const Recording r = RecordErase(main.hwnd());

        // Two solid fills (empty opaque text outputs), then the four texts, in drawing order.
        struct Expected {
            const wchar_t* text;
            RECT fill;
            POINT at;
            COLORREF colour;
            int points;
        };
        const Expected expected[] = {
            {L"", client, {0, 0}, painting::kGroundColour, 0},
            {L"", size.band, {0, 0}, painting::kBandColour, 0},
            {texts::kBannerText, {}, size.bannerText, RGB(255, 255, 255), 180},
            {texts::kVendorName, {}, size.vendorName, RGB(255, 255, 255), 120},
            {texts::kVendorLine, {}, size.vendorLine, RGB(150, 0, 0), 100},
            {texts::kDropHint, {}, size.dropHint, RGB(150, 0, 0), 100},
        };
        ASSERT_EQ(r.texts.size(), std::size(expected));
        for (size_t i = 0; i < std::size(expected); ++i) {
            const Expected& e = expected[i];
            const DrawnText& t = r.texts[i];
            SCOPED_TRACE(testing::Message() << "output " << i << " \"" << Narrow(t.text) << "\"");
            EXPECT_EQ(t.text, e.text);
            if (!*e.text) {
                EXPECT_TRUE(t.options & ETO_OPAQUE);
                EXPECT_TRUE(EqualRect(&t.clip, &e.fill)) << t.clip.left << "," << t.clip.top << "," << t.clip.right
                                                         << "," << t.clip.bottom;
                EXPECT_EQ(t.background, e.colour);
                continue;
            }
            // The banner text and the vendor line give way to the logo and the web-page button
            // when the window is too narrow for them; checked below.
            const bool banner = e.text == texts::kBannerText, vendorLine = e.text == texts::kVendorLine;
            if (!vendorLine) {
                EXPECT_EQ(t.at.x, e.at.x);
            }
            EXPECT_EQ(t.at.y, e.at.y);
            EXPECT_EQ(t.colour, e.colour);
            EXPECT_EQ(t.backgroundMode, TRANSPARENT);
            EXPECT_EQ(t.options & (ETO_CLIPPED | ETO_OPAQUE), 0u);
            EXPECT_FALSE(t.stockFont);
            EXPECT_EQ(std::wstring(t.font.lfFaceName), face);
            if (!banner) {
                EXPECT_EQ(t.font.lfHeight, painting::FontHeight(e.points, static_cast<int>(dpi)));
            }
            EXPECT_EQ(t.font.lfCharSet, DEFAULT_CHARSET);
            EXPECT_EQ(t.font.lfWeight, 0);
            EXPECT_FALSE(t.font.lfItalic || t.font.lfUnderline || t.font.lfStrikeOut);
        }

        // The banner text in its full size where that fits left of the logo, else in a smaller
        // one that fits; the vendor line where the layout puts it, or moved left to end short
        // of the button.
        {
            const DrawnText& banner = r.texts[2];
            const int room = size.logo.left - clearance - banner.at.x;
            const int full = painting::FontHeight(180, static_cast<int>(dpi));
            const int width = WidthIn(banner.font, banner.text);
            EXPECT_LE(width, room) << "the banner text runs under the logo";
            if (WidthIn(FontOfHeight(banner.font, full), banner.text) <= room) {
                EXPECT_EQ(banner.font.lfHeight, full);
            } else {
                EXPECT_GT(banner.font.lfHeight, full) << "shrunk, so not larger";
            }

            const DrawnText& line = r.texts[4];
            const int lineWidth = WidthIn(line.font, line.text);
            if (size.vendorLine.x + lineWidth <= button.left - clearance) {
                EXPECT_EQ(line.at.x, size.vendorLine.x);
            } else {
                EXPECT_EQ(line.at.x + lineWidth, button.left - clearance);
            }
        }

        // The logo last, at its own size, halftoned.
        ASSERT_EQ(r.blits.size(), 1u);
        const RECT& logo = size.logo;
        EXPECT_EQ(r.blits[0].dest.left, logo.left);
        EXPECT_EQ(r.blits[0].dest.top, logo.top);
        EXPECT_EQ(r.blits[0].dest.right, logo.right - logo.left);
        EXPECT_EQ(r.blits[0].dest.bottom, logo.bottom - logo.top);
        EXPECT_EQ(r.blits[0].rop, static_cast<DWORD>(SRCCOPY));
        EXPECT_EQ(r.blits[0].stretchMode, HALFTONE);

        // Every font made is released, after the previous font went back in.
        EXPECT_GE(r.objectsCreated, 3);  // more when the banner font had to be fitted
        EXPECT_EQ(r.objectsDeleted, r.objectsCreated);
        EXPECT_TRUE(r.fontRestored);
    }
    EXPECT_NE(face, L"Nonesuch Sans");
}

TEST_F(MainWindowPaint, ErasedPixels) {
    SetClientSize(main.hwnd(), 800, 600);
    const Capture c = CaptureErase(main.hwnd());
    ASSERT_EQ(c.width, 800);
    ASSERT_EQ(c.height, 600);
    const painting::MainLayout l = painting::LayOutMain(800, 600);

    // Down the right edge, where nothing is written: band above H x 16 / 100, ground below.
    for (int y = 0; y < c.height; ++y) {
        const COLORREF want = y < l.band.bottom ? painting::kBandColour : painting::kGroundColour;
        ASSERT_EQ(c.At(c.width - 2, y), want) << "row " << y;
    }

    // The logo, pixel for pixel.
    const Capture logo = LoadLogo();
    ASSERT_EQ(logo.width, painting::kLogoSize);
    ASSERT_EQ(logo.height, painting::kLogoSize);
    int differing = 0;
    for (int y = 0; y < logo.height; ++y)
        for (int x = 0; x < logo.width; ++x)
            if (c.At(l.logo.left + x, l.logo.top + y) != logo.At(x, y)) ++differing;
    EXPECT_EQ(differing, 0);

    // White text in the band where the banner text and the vendor name stand, none below them.
    const RECT banner{l.bannerText.x, l.bannerText.y, l.bannerText.x + 300, l.bannerText.y + 24};
    const RECT vendor{l.vendorName.x, l.vendorName.y, l.vendorName.x + 100, l.band.bottom};
    const RECT belowBand{0, l.band.bottom, c.width, c.height};
    EXPECT_GT(c.Count(banner, RGB(255, 255, 255)), 100);
    EXPECT_GT(c.Count(vendor, RGB(255, 255, 255)), 30);
    EXPECT_EQ(c.Count(belowBand, RGB(255, 255, 255)), 0);

    // Dark red just under the band (the drop hint) and near the bottom (the vendor line),
    // none of it in the band.
    const RECT hint{l.dropHint.x, l.dropHint.y, l.dropHint.x + 200, l.dropHint.y + 16};
    const RECT line{l.vendorLine.x, l.vendorLine.y, c.width, c.height};
    EXPECT_GT(c.Count(hint, painting::kHintColour), 30);
    EXPECT_GT(c.Count(line, painting::kHintColour), 30);
    EXPECT_EQ(c.Count(l.band, painting::kHintColour), 0);
    // Nothing else between the hint and the vendor line.
    EXPECT_EQ(c.Count({0, l.dropHint.y + 20, c.width, l.vendorLine.y - 2}, painting::kGroundColour),
              c.width * (l.vendorLine.y - 2 - l.dropHint.y - 20));
}

TEST_F(MainWindowPaint, ScreenShowsTheBannerAfterARepaint) {
    // The window's own repaint, read back from its client area: the erase really reaches the
    // screen at the window's own size.
    const Capture c = CaptureScreen(main.hwnd());
    ASSERT_GT(c.width, 100);
    const painting::MainLayout l = painting::LayOutMain(c.width, c.height);
    EXPECT_EQ(c.At(c.width - 2, 1), painting::kBandColour);
    EXPECT_EQ(c.At(c.width - 2, l.band.bottom - 1), painting::kBandColour);
    EXPECT_EQ(c.At(c.width - 2, l.band.bottom), painting::kGroundColour);
    const Capture logo = LoadLogo();
    int differing = 0;
    for (int y = 0; y < logo.height; ++y)
        for (int x = 0; x < logo.width; ++x)
            if (c.At(l.logo.left + x, l.logo.top + y) != logo.At(x, y)) ++differing;
    EXPECT_EQ(differing, 0);
}

TEST_F(MainWindowPaint, RepeatedErasingHoldsNoGdiObjects) {
    HDC windowDc = ::GetDC(main.hwnd());
    HDC memory = ::CreateCompatibleDC(windowDc);
    HBITMAP target = ::CreateCompatibleBitmap(windowDc, 800, 600);
    HGDIOBJ old = ::SelectObject(memory, target);
    auto erase = [&] { ::SendMessageW(main.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0); };

    erase();  // the first use loads whatever the system keeps once loaded
    const DWORD before = LiveGdiObjects();
    for (int i = 0; i < 3000; ++i) erase();
    const DWORD after = LiveGdiObjects();

    // The measure sees a font that is not released.
    HFONT kept = ::CreateFontW(-13, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Nonesuch Sans");
    const DWORD withKept = LiveGdiObjects();
    ::DeleteObject(kept);

    ::SelectObject(memory, old);
    ::DeleteObject(target);
    ::DeleteDC(memory);
    ::ReleaseDC(main.hwnd(), windowDc);

    EXPECT_EQ(withKept, after + 1) << "the count does not see GDI objects";
    EXPECT_EQ(after, before) << "3000 erases left objects behind";
}
