// The About box on the real window: its template, how it opens and closes, its two links
// (seen through the shell redirect, no browser starts) and what it paints.
#include <gtest/gtest.h>

#include <functional>

#include "common/texts.h"
#include "recording.h"
#include "support/dialog_template.h"
#include "support/main_window.h"
#include "ui/dpi.h"
#include "ui/painting.h"
#include "ui/shell_open.h"

using namespace ui_test;
using testing_ui::ModalBox;
using testing_ui::ModalResponder;

namespace {

// Runs `inside` on the About box from the box's own modal loop: `open` starts the modal run
// and returns once the box has closed. `inside` must close the box; a watchdog ends it if not.
struct InsideModal {
    HWND box = nullptr;
    std::function<void(HWND)> inside;
    bool ran = false;
    bool watchdogFired = false;
    UINT_PTR timer = 0, watchdog = 0;
};
InsideModal* g_inside = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    InsideModal& s = *g_inside;
    if (id == s.watchdog) {
        ::KillTimer(nullptr, s.watchdog);
        s.watchdogFired = true;
        if (s.box && ::IsWindow(s.box)) ::EndDialog(s.box, IDABORT);
        return;
    }
    if (!s.box || s.ran) return;
    ::KillTimer(nullptr, s.timer);
    s.ran = true;
    s.inside(s.box);
}

std::vector<ModalBox> WhileOpen(const std::function<void()>& open, std::function<void(HWND)> inside) {
    InsideModal state;
    state.inside = std::move(inside);
    g_inside = &state;
    ModalResponder responder([&](const ModalBox& b) {
        state.box = b.hwnd;
        return 0;  // leave it open; `inside` acts on it
    });
    state.timer = ::SetTimer(nullptr, 0, 50, &OnTick);
    state.watchdog = ::SetTimer(nullptr, 0, 15000, &OnTick);
    open();
    ::KillTimer(nullptr, state.timer);
    ::KillTimer(nullptr, state.watchdog);
    g_inside = nullptr;
    EXPECT_TRUE(state.ran) << "no modal box came up";
    EXPECT_FALSE(state.watchdogFired) << "the box did not close";
    EXPECT_FALSE(state.box && ::IsWindow(state.box)) << "the box outlived its modal run";
    return responder.Boxes();
}

// Escape as the person presses it: a key-down at the focused control, through the box's loop.
void PressEscape(HWND box) {
    HWND focus = ::GetFocus();
    ::PostMessageW(focus ? focus : box, WM_KEYDOWN, VK_ESCAPE, 0);
}

void PressButton(HWND box, int id) { ::SendMessageW(::GetDlgItem(box, id), BM_CLICK, 0, 0); }

class AboutDialog : public ::testing::Test {
protected:
    // The program's application object makes the main window the owner of the box.
    AboutDialog() { app.m_pMainWnd = &main.dlg(); }
    ~AboutDialog() override { app.m_pMainWnd = nullptr; }

    MainWindow main;
    CWinApp app;
    std::vector<std::wstring> opened;
    shell::Redirect redirect{[this](const std::wstring& address) { opened.push_back(address); }};
};

}  // namespace

TEST(AboutTemplate, MatchesTheLayout) {
    const testing_ui::DialogTemplate t = testing_ui::LoadDialogTemplate(IDD_ABOUTBOX);
    EXPECT_EQ(t.style, 0x80C800C8u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 136);
    EXPECT_EQ(t.caption, L"关于 Tavrolin");
    EXPECT_EQ(t.typeface, L"MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 9);

    struct Expected {
        DWORD style;
        short x, y, cx, cy;
        DWORD id;
        const wchar_t* text;
    } expected[] = {
        {0x40030001, 178, 7, 50, 14, IDOK, L"确定"},
        {0x50010000, 94, 108, 62, 14, 1000, L"访问官网"},
        {0x50010000, 164, 108, 62, 14, 1003, L"访问官方淘宝店"},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const testing_ui::TemplateItem& got = t.items[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(testing::Message() << "item " << i);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass, L"Button");
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.title, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
    }
}

TEST_F(AboutDialog, OpensFromTheButtonAndTheSystemMenuAndClosesOnEscape) {
    const std::wstring title = main.dlg().GetWindowText();
    const struct {
        const char* how;
        std::function<void()> open;
    } openers[] = {
        {"button 1006", [&] { main.Click(IDC_ABOUT); }},
        {"system menu", [&] { ::SendMessageW(main.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }},
    };
    for (const auto& opener : openers) {
        SCOPED_TRACE(opener.how);
        const auto boxes = WhileOpen(opener.open, [&](HWND box) {
            EXPECT_EQ(::GetWindow(box, GW_OWNER), main.hwnd());
            EXPECT_FALSE(::IsWindowEnabled(main.hwnd())) << "the box is not modal";
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(box, IDC_ABOUT_WEBSITE));

            // The client area is the template's 235 x 136 dialog units.
            RECT units{0, 0, 235, 136}, client;
            ::MapDialogRect(box, &units);
            ::GetClientRect(box, &client);
            EXPECT_EQ(client.right, units.right);
            EXPECT_EQ(client.bottom, units.bottom);
            // The OK button is there but hidden.
            HWND ok = ::GetDlgItem(box, IDOK);
            ASSERT_NE(ok, nullptr);
            EXPECT_FALSE(::IsWindowVisible(ok));

            PressEscape(box);
        });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, L"关于 Tavrolin");
        EXPECT_EQ(boxes[0].buttons, (std::vector<std::wstring>{L"访问官网", L"访问官方淘宝店"}));
        EXPECT_EQ(boxes[0].buttonIds, (std::vector<int>{IDC_ABOUT_WEBSITE, IDC_ABOUT_SHOP}));

        // The main window comes back as it was.
        EXPECT_TRUE(::IsWindowEnabled(main.hwnd()));
        EXPECT_EQ(main.dlg().GetWindowText(), title);
    }
    EXPECT_TRUE(opened.empty()) << "opening and closing the box opened an address";
}

TEST_F(AboutDialog, ButtonsOpenTheVendorPagesAndLeaveTheBoxOpen) {
    WhileOpen([&] { main.Click(IDC_ABOUT); },
              [&](HWND box) {
                  PressButton(box, IDC_ABOUT_WEBSITE);
                  PressButton(box, IDC_ABOUT_SHOP);
                  PressButton(box, IDC_ABOUT_WEBSITE);
                  testing_ui::Pump(50);
                  EXPECT_TRUE(::IsWindowVisible(box)) << "a link closed the box";
                  PressEscape(box);
              });
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_NE(opened[0], opened[1]) << "the web page and the shop open the same address";
    EXPECT_EQ(opened[2], opened[0]) << "pressing again opens the page again";
    for (const std::wstring& address : opened)
        EXPECT_EQ(address.rfind(L"https://", 0), 0u) << "not a web address the browser takes";

    // The main window's "访问官网" opens the same page as the box's.
    main.Click(IDC_VISIT_WEBSITE);
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[3], opened[0]);
}

TEST_F(AboutDialog, PaintsTheTextBlockBesideTheLogo) {
    WhileOpen([&] { main.Click(IDC_ABOUT); }, [&](HWND box) {
        RECT client;
        ::GetClientRect(box, &client);
        const Recording r = RecordErase(box);

        ASSERT_GE(r.texts.size(), 2u);
        const DrawnText& fill = r.texts[0];
        EXPECT_TRUE(fill.text.empty() && (fill.options & ETO_OPAQUE));
        EXPECT_TRUE(EqualRect(&fill.clip, &client));
        EXPECT_EQ(fill.background, painting::kGroundColour);

        // Every text in the icon-title font's face at 10 points, black on the ground colour.
        LOGFONTW iconFont{};
        ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconFont), &iconFont, 0);
        HDC screen = ::GetDC(nullptr);
        const int height = painting::FontHeight(100, ::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
        for (size_t i = 1; i < r.texts.size(); ++i) {
            const DrawnText& t = r.texts[i];
            SCOPED_TRACE(testing::Message() << "output " << i);
            EXPECT_EQ(std::wstring(t.font.lfFaceName), iconFont.lfFaceName);
            EXPECT_EQ(t.font.lfHeight, height);
            EXPECT_EQ(t.font.lfCharSet, DEFAULT_CHARSET);
            EXPECT_EQ(t.colour, RGB(0, 0, 0));
            EXPECT_EQ(t.backgroundMode, OPAQUE);
            EXPECT_EQ(t.background, painting::kGroundColour);
        }

        // The vendor name under the logo, then the eight lines, each from the block's left edge,
        // evenly spaced and clipped to the block.
        EXPECT_EQ(r.texts[1].text, texts::kVendorName);
        EXPECT_EQ(r.texts[1].at.x, 35);
        EXPECT_EQ(r.texts[1].at.y, 105);
        std::vector<std::wstring> lines;
        for (std::wstring_view rest = texts::kAboutText;;) {
            size_t end = rest.find(L"\r\n");
            lines.emplace_back(rest.substr(0, end));
            if (end == std::wstring_view::npos) break;
            rest.remove_prefix(end + 2);
        }
        ASSERT_EQ(lines.size(), 8u);
        ASSERT_EQ(r.texts.size(), 2 + lines.size());
        const int spacing = r.texts[3].at.y - r.texts[2].at.y;
        EXPECT_GE(spacing, -height);
        const RECT block{130, 20, 350, 220};
        for (size_t i = 0; i < lines.size(); ++i) {
            const DrawnText& t = r.texts[2 + i];
            SCOPED_TRACE(testing::Message() << "line " << i + 1);
            EXPECT_EQ(t.text, lines[i]);
            EXPECT_EQ(t.at.x, 130);
            EXPECT_EQ(t.at.y, 20 + static_cast<int>(i) * spacing);
            EXPECT_TRUE(t.options & ETO_CLIPPED);
            EXPECT_TRUE(EqualRect(&t.clip, &block));
        }

        // Our own lines fit the block: none loses its end at the right edge.
        {
            FontHandle font = painting::MakeUiFont(painting::kSmallPoints, dpi::ForWindow(box));
            HDC dc = ::GetDC(box);
            HGDIOBJ old = ::SelectObject(dc, font.get());
            for (const std::wstring& line : lines) {
                SIZE extent{};
                ::GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
                EXPECT_LE(extent.cx, block.right - block.left) << "line " << &line - lines.data() + 1 << " is cut";
            }
            ::SelectObject(dc, old);
            ::ReleaseDC(box, dc);
        }

        ASSERT_EQ(r.blits.size(), 1u);
        EXPECT_EQ(r.blits[0].dest.left, 30);
        EXPECT_EQ(r.blits[0].dest.top, 40);
        EXPECT_EQ(r.blits[0].dest.right, 64);
        EXPECT_EQ(r.blits[0].dest.bottom, 64);
        EXPECT_EQ(r.blits[0].rop, static_cast<DWORD>(SRCCOPY));
        EXPECT_EQ(r.blits[0].stretchMode, HALFTONE);
        EXPECT_EQ(r.objectsCreated, 1);
        EXPECT_EQ(r.objectsDeleted, 1);
        EXPECT_TRUE(r.fontRestored);

        // And the pixels: ground, the logo at (30, 40), dark text in the block and the name.
        const Capture c = CaptureErase(box);
        EXPECT_EQ(c.At(2, 2), painting::kGroundColour);
        EXPECT_EQ(c.At(c.width - 2, c.height - 2), painting::kGroundColour);
        const Capture logo = LoadLogo();
        int differing = 0;
        for (int y = 0; y < logo.height; ++y)
            for (int x = 0; x < logo.width; ++x)
                if (c.At(30 + x, 40 + y) != logo.At(x, y)) ++differing;
        EXPECT_EQ(differing, 0);
        EXPECT_GT(c.Count(block, RGB(0, 0, 0)), 200);
        EXPECT_GT(c.Count({35, 105, 35 + 100, 105 - height}, RGB(0, 0, 0)), 20);
        EXPECT_EQ(c.Count({block.right, 0, c.width, c.height}, RGB(0, 0, 0)), 0) << "text outside the block";

        PressEscape(box);
    });
}
