// The windows at the scales people use: 96, 120, 144 and 192 DPI. Wine takes the prefix's
// LogPixels only in processes started after it was set, so each scale is checked in a child
// run of this program (the AtPrefixDpi tests, which stand aside in a plain run). A move to a
// monitor of another scale (WM_DPICHANGED), which Wine never sends, is sent here by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "common/resource.h"
#include "common/texts.h"
#include "recording.h"
#include "run/busy_indicator.h"
#include "support/files.h"
#include "support/main_window.h"
#include "support/program.h"
#include "ui/about_dlg.h"
#include "ui/dpi.h"
#include "ui/painting.h"

using namespace ui_test;

namespace {

constexpr wchar_t kChildDpiVariable[] = L"TAVROLIN_TEST_DPI";

// The DPI the parent asked this child run for; 0 in a plain run.
UINT RequestedDpi() {
    wchar_t value[16] = {};
    return ::GetEnvironmentVariableW(kChildDpiVariable, value, 16) ? static_cast<UINT>(_wtoi(value)) : 0;
}

// Sets the prefix's screen DPI for processes started from now on and puts back what was there
// (or nothing) when it goes.
class PrefixDpi {
public:
    explicit PrefixDpi(DWORD dpi) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &m_key, nullptr);
        DWORD size = sizeof(m_old);
        m_hadValue = ::RegQueryValueExW(m_key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&m_old), &size) ==
                     ERROR_SUCCESS;
        ::RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    }
    ~PrefixDpi() {
        if (m_hadValue)
            ::RegSetValueExW(m_key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old), sizeof(m_old));
        else
            ::RegDeleteValueW(m_key, L"LogPixels");
        ::RegCloseKey(m_key);
    }
    PrefixDpi(const PrefixDpi&) = delete;
    PrefixDpi& operator=(const PrefixDpi&) = delete;

private:
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_hadValue = false;
};

RECT ClientRectOf(HWND control, HWND parent) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE TextExtent(HDC dc, HFONT font, const std::wstring& text) {
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    return extent;
}

// A control's text measured in the control's own font, against its client width.
struct Fit {
    std::wstring text;
    int extent, room;
};
Fit MeasureControl(HWND control, const std::wstring& text) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    HDC dc = ::GetDC(control);
    const SIZE extent = TextExtent(dc, font, text);
    ::ReleaseDC(control, dc);
    RECT client;
    ::GetClientRect(control, &client);
    return {text, extent.cx, client.right};
}

using testing_files::Narrow;

// Every static text and push button of a dialog shows its whole text; push buttons keep a
// little room for their frame.
void ExpectTextsFit(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring cls = testing_ui::ClassName(child);
        const std::wstring text = testing_ui::WindowText(child);
        if (text.empty() || !::IsWindowVisible(child) || (cls != L"Static" && cls != L"Button")) continue;
        if (cls == L"Button" && (::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
        const Fit f = MeasureControl(child, text);
        const int frame = cls == L"Button" ? 4 : 0;
        EXPECT_LE(f.extent + frame, f.room) << "\"" << Narrow(text) << "\" is cut";
    }
}

// The smallest rectangle of `region` holding every pixel for which `hit` holds; empty if none.
RECT Bounds(const Capture& c, const RECT& region, const std::function<bool(COLORREF)>& hit) {
    RECT b{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = std::max<int>(0, region.top); y < std::min<int>(c.height, region.bottom); ++y)
        for (int x = std::max<int>(0, region.left); x < std::min<int>(c.width, region.right); ++x)
            if (hit(c.At(x, y))) b = {std::min<LONG>(b.left, x), std::min<LONG>(b.top, y), std::max<LONG>(b.right, x + 1),
                                      std::max<LONG>(b.bottom, y + 1)};
    return b.left == LONG_MAX ? RECT{} : b;
}

::testing::AssertionResult Inside(const RECT& inner, const RECT& outer) {
    if (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << inner.left << ", " << inner.top << ")-(" << inner.right << ", "
                                         << inner.bottom << ") is not inside (" << outer.left << ", " << outer.top << ")-("
                                         << outer.right << ", " << outer.bottom << ")";
}

std::string Describe(const RECT& r) {
    char text[80];
    std::snprintf(text, sizeof(text), "(%ld, %ld)-(%ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// A client-sized bitmap filled with the ground colour, after `paint` drew on it.
Capture PaintOnGround(HWND hwnd, const RECT& client, const std::function<void(HDC)>& paint) {
    HDC windowDc = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(windowDc);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(windowDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, dib);
    painting::FillSolid(memory, client, painting::kGroundColour);
    paint(memory);
    ::GdiFlush();
    Capture c;
    c.width = client.right;
    c.height = client.bottom;
    c.pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + c.width * c.height);
    ::SelectObject(memory, old);
    ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, windowDc);
    return c;
}

// The About text's lines.
std::vector<std::wstring> AboutLines() {
    std::vector<std::wstring> lines;
    for (std::wstring_view rest = texts::kAboutText;;) {
        const size_t end = rest.find(L"\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::wstring_view::npos) return lines;
        rest.remove_prefix(end + 2);
    }
}

class AtPrefixDpi : public ::testing::Test {
protected:
    void SetUp() override {
        m_dpi = RequestedDpi();
        if (!m_dpi) GTEST_SKIP() << "runs in the child processes of DpiScales";
    }
    UINT m_dpi = 0;
};

}  // namespace

TEST(DpiScales, EveryScaleShowsItsTextsWhole) {
    if (RequestedDpi()) GTEST_SKIP() << "a child run";
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (DWORD dpi : {96, 120, 144, 192}) {
        SCOPED_TRACE(testing::Message() << dpi << " DPI");
        PrefixDpi prefix(dpi);
        ::SetEnvironmentVariableW(kChildDpiVariable, std::to_wstring(dpi).c_str());
        testing_program::ChildProcess child;
        const bool started = child.Start(self, L"--gtest_filter=AtPrefixDpi.*");
        ::SetEnvironmentVariableW(kChildDpiVariable, nullptr);
        ASSERT_TRUE(started);
        EXPECT_EQ(child.Wait(180000), 0) << "the child run at " << dpi << " DPI failed (its output is above)";
    }
}

TEST_F(AtPrefixDpi, MainWindow) {
    MainWindow main;
    ASSERT_EQ(dpi::ForWindow(main.hwnd()), m_dpi) << "Wine did not take the prefix's LogPixels";
    RECT client;
    ::GetClientRect(main.hwnd(), &client);
    std::printf("[%u DPI] main window client %ld x %ld\n", m_dpi, client.right, client.bottom);

    // The labels and buttons, and the count label with five digits.
    ExpectTextsFit(main.hwnd());
    for (const wchar_t* count : {L"10000", L"99999"}) {
        const Fit f = MeasureControl(main.item(IDC_FILE_COUNT), count);
        std::printf("[%u DPI] count label: \"%ls\" %d of %d px\n", m_dpi, count, f.extent, f.room);
        EXPECT_LE(f.extent, f.room) << "the count label cuts " << Narrow(count);
    }

    const painting::MainLayout l = painting::LayOutMain(client.right, client.bottom, m_dpi);
    const Capture c = CaptureErase(main.hwnd());

    // The logo at its scaled size: its green frame is the bounding box of what is not band
    // colour above the vendor name, right of the banner text's end.
    const RECT logoRegion{l.logo.left - 8, 0, c.width, l.vendorName.y};
    const RECT logo = Bounds(c, logoRegion, [](COLORREF p) { return p != painting::kBandColour; });
    EXPECT_TRUE(EqualRect(&logo, &l.logo)) << "logo " << Describe(logo) << ", want " << Describe(l.logo);
    EXPECT_EQ(l.logo.right - l.logo.left, dpi::Scale(64, m_dpi));

    // The banner texts: white, inside the band; the banner text ends left of the logo.
    auto white = [](COLORREF p) { return p == RGB(255, 255, 255); };
    const RECT banner = Bounds(c, {0, 0, l.logo.left, l.band.bottom}, white);
    const RECT name = Bounds(c, {l.logo.left, l.logo.bottom, c.width, l.band.bottom}, white);
    std::printf("[%u DPI] band %s, banner text %s, logo %s, vendor name %s\n", m_dpi, Describe(l.band).c_str(),
                Describe(banner).c_str(), Describe(logo).c_str(), Describe(name).c_str());
    EXPECT_GT(banner.right - banner.left, dpi::Scale(200, m_dpi)) << "no banner text";
    EXPECT_LT(banner.right, l.logo.left - dpi::Scale(4, m_dpi)) << "the banner text runs under the logo";
    EXPECT_GT(name.right - name.left, dpi::Scale(40, m_dpi)) << "no vendor name";
    EXPECT_LT(name.right, c.width) << "the vendor name runs off the window";
    EXPECT_EQ(c.Count({0, l.band.bottom, c.width, c.height}, RGB(255, 255, 255)), 0) << "white below the band";

    // The vendor line: whole, on the window, ending left of the web-page button.
    const RECT button = ClientRectOf(main.item(IDC_VISIT_WEBSITE), main.hwnd());
    const RECT line = Bounds(c, {0, l.vendorLine.y, c.width, c.height},
                             [](COLORREF p) { return p == painting::kHintColour; });
    std::printf("[%u DPI] vendor line %s, button 1014 %s\n", m_dpi, Describe(line).c_str(), Describe(button).c_str());
    EXPECT_GT(line.right - line.left, dpi::Scale(150, m_dpi)) << "no vendor line";
    EXPECT_LT(line.right, button.left) << "the vendor line runs under the button";
    EXPECT_LE(line.bottom, c.height);

    // The busy indicator at its scaled place; its label stays inside the area the end of a run
    // clears. Drawn into a client-sized bitmap: at 192 DPI the window is taller than the screen.
    const BusyIndicatorGeometry g = BusyIndicatorAt(client.right, client.bottom, m_dpi);
    const Capture busy = PaintOnGround(main.hwnd(), client, [&](HDC dc) { PaintBusyStep(dc, g, m_dpi, 1); });
    auto centre = [&](const RECT& r) { return busy.At((r.left + r.right) / 2, (r.top + r.bottom) / 2); };
    EXPECT_EQ(centre(g.squares[0]), RGB(0, 0, 0));
    EXPECT_EQ(centre(g.squares[1]), RGB(255, 0, 255));
    EXPECT_EQ(g.squares[0].right - g.squares[0].left, dpi::Scale(20, m_dpi));
    const RECT label = Bounds(busy, {g.squares[2].right, 0, c.width, c.height}, [](COLORREF p) { return p == RGB(0, 0, 0); });
    std::printf("[%u DPI] busy area %s, label %s\n", m_dpi, Describe(g.area).c_str(), Describe(label).c_str());
    EXPECT_GT(label.right - label.left, dpi::Scale(20, m_dpi)) << "no label";
    EXPECT_TRUE(Inside(label, g.area)) << "the label runs out of the indicator's area";
}

TEST_F(AtPrefixDpi, AboutBox) {
    MainWindow main;
    CAboutDlg about;
    ASSERT_TRUE(about.Create(main.hwnd()));
    HWND box = about.GetSafeHwnd();
    ::ShowWindow(box, SW_SHOW);
    testing_ui::Pump(50);
    ASSERT_EQ(dpi::ForWindow(box), m_dpi);
    RECT client;
    ::GetClientRect(box, &client);
    ExpectTextsFit(box);

    // Every line of the block and the vendor name in the painted font, against their places:
    // the block inside the window and above the buttons, the name clear of the block.
    const AboutLayout l = LayOutAbout(m_dpi);
    FontHandle font = painting::MakeUiFont(painting::kSmallPoints, m_dpi);
    HDC dc = ::GetDC(box);
    const RECT buttons = ClientRectOf(about.GetDlgItem(IDC_ABOUT_WEBSITE), box);
    int widest = 0, lines = 0;
    for (const std::wstring& line : AboutLines()) {
        const SIZE e = TextExtent(dc, font.get(), line);
        widest = std::max<int>(widest, e.cx);
        ++lines;
        EXPECT_LE(e.cx, l.text.right - l.text.left) << "\"" << Narrow(line) << "\" is cut";
    }
    const SIZE name = TextExtent(dc, font.get(), texts::kVendorName);
    ::ReleaseDC(box, dc);
    const int bottom = l.text.top + lines * name.cy;
    std::printf("[%u DPI] About client %ld x %ld, text block %s, widest line %d px, last line ends at %d, "
                "buttons from %ld\n",
                m_dpi, client.right, client.bottom, Describe(l.text).c_str(), widest, bottom, buttons.top);
    EXPECT_LE(l.text.left + widest, client.right) << "the text block runs off the window";
    EXPECT_LE(bottom, buttons.top) << "the text block runs under the buttons";
    EXPECT_LE(l.vendorName.x + name.cx, l.text.left) << "the block's cells cover the vendor name's end";
    EXPECT_LE(l.vendorName.y + name.cy, client.bottom);

    // The logo's green frame where the layout puts it, at its scaled size.
    const Capture c = CaptureErase(box);
    const RECT logo = Bounds(c, {0, 0, l.text.left, l.vendorName.y},
                             [](COLORREF p) { return p != painting::kGroundColour; });
    EXPECT_TRUE(EqualRect(&logo, &l.logo)) << "logo " << Describe(logo) << ", want " << Describe(l.logo);
    EXPECT_EQ(l.logo.right - l.logo.left, dpi::Scale(64, m_dpi));
    ::DestroyWindow(box);
}

namespace {
void SendDpiChanged(HWND hwnd, UINT dpi, const RECT& suggested) {
    ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

RECT WindowRect(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r;
}

RECT ScaledBy(const RECT& r, UINT to, UINT from) {
    auto s = [&](LONG v) { return static_cast<LONG>(::MulDiv(v, static_cast<int>(to), static_cast<int>(from))); };
    return {s(r.left), s(r.top), s(r.right), s(r.bottom)};
}

// The window rectangle the system would suggest for a move from `from` to `to` DPI.
RECT Suggested(HWND hwnd, UINT to, UINT from) {
    const RECT w = WindowRect(hwnd);
    const RECT size = ScaledBy({0, 0, w.right - w.left, w.bottom - w.top}, to, from);
    return {w.left, w.top, w.left + size.right, w.top + size.bottom};
}

LONG FontHeightOf(HWND control) {
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfHeight;
}

::testing::AssertionResult Near(const RECT& got, const RECT& want) {
    if (std::abs(got.left - want.left) <= 1 && std::abs(got.top - want.top) <= 1 && std::abs(got.right - want.right) <= 1 &&
        std::abs(got.bottom - want.bottom) <= 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Describe(got) << ", want " << Describe(want);
}
}  // namespace

TEST(DpiChange, MainWindowFollowsAMoveToAnotherScaleAndBack) {
    if (RequestedDpi()) GTEST_SKIP() << "a child run";
    MainWindow main;
    const UINT from = dpi::ForWindow(main.hwnd()), to = from * 3 / 2;
    const RECT window = WindowRect(main.hwnd());
    HWND button = main.item(IDC_VISIT_WEBSITE);
    HWND list = main.item(IDC_DOCUMENT_LIST);
    const RECT buttonAt = ClientRectOf(button, main.hwnd());
    const LONG font = FontHeightOf(button);
    const int column = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));

    const RECT suggested = Suggested(main.hwnd(), to, from);
    SendDpiChanged(main.hwnd(), to, suggested);
    EXPECT_TRUE(Near(WindowRect(main.hwnd()), suggested)) << "the window did not take the suggested rectangle";
    EXPECT_TRUE(Near(ClientRectOf(button, main.hwnd()), ScaledBy(buttonAt, to, from))) << "controls not laid out again";
    EXPECT_EQ(FontHeightOf(button), ::MulDiv(font, static_cast<int>(to), static_cast<int>(from)));
    EXPECT_NEAR(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), ::MulDiv(column, static_cast<int>(to), static_cast<int>(from)), 1);

    // The painting follows the new DPI: fonts and logo for it, the vendor line still clear of
    // the moved button.
    const Recording r = RecordErase(main.hwnd());
    ASSERT_EQ(r.texts.size(), 6u);
    EXPECT_EQ(r.texts[3].font.lfHeight, painting::FontHeight(painting::kVendorNamePoints, static_cast<int>(to)));
    EXPECT_EQ(r.texts[5].font.lfHeight, painting::FontHeight(painting::kSmallPoints, static_cast<int>(to)));
    ASSERT_EQ(r.blits.size(), 1u);
    EXPECT_EQ(r.blits[0].dest.right, dpi::Scale(painting::kLogoSize, to));
    EXPECT_EQ(r.blits[0].stretchMode, HALFTONE);
    EXPECT_LE(r.texts[4].at.x, ClientRectOf(button, main.hwnd()).left);

    // And back: everything where it was.
    SendDpiChanged(main.hwnd(), from, window);
    EXPECT_TRUE(Near(WindowRect(main.hwnd()), window));
    EXPECT_TRUE(Near(ClientRectOf(button, main.hwnd()), buttonAt));
    EXPECT_EQ(FontHeightOf(button), font);
}

TEST(DpiChange, AboutBoxFollowsAMoveToAnotherScale) {
    if (RequestedDpi()) GTEST_SKIP() << "a child run";
    MainWindow main;
    CAboutDlg about;
    ASSERT_TRUE(about.Create(main.hwnd()));
    HWND box = about.GetSafeHwnd();
    const UINT from = dpi::ForWindow(box), to = from * 2;
    const RECT buttonAt = ClientRectOf(about.GetDlgItem(IDC_ABOUT_SHOP), box);

    const RECT suggested = Suggested(box, to, from);
    SendDpiChanged(box, to, suggested);
    EXPECT_TRUE(Near(WindowRect(box), suggested));
    EXPECT_TRUE(Near(ClientRectOf(about.GetDlgItem(IDC_ABOUT_SHOP), box), ScaledBy(buttonAt, to, from)));

    const Recording r = RecordErase(box);
    const AboutLayout l = LayOutAbout(to);
    ASSERT_EQ(r.texts.size(), 10u);  // the fill, the vendor name and eight lines
    EXPECT_EQ(r.texts[1].at.x, l.vendorName.x);
    EXPECT_EQ(r.texts[1].font.lfHeight, painting::FontHeight(painting::kSmallPoints, static_cast<int>(to)));
    EXPECT_TRUE(EqualRect(&r.texts[2].clip, &l.text)) << Describe(r.texts[2].clip);
    ASSERT_EQ(r.blits.size(), 1u);
    EXPECT_EQ(r.blits[0].dest.left, l.logo.left);
    EXPECT_EQ(r.blits[0].dest.right, l.logo.right - l.logo.left);
    ::DestroyWindow(box);
}
