// The list's shortcut menu with each of its commands, and sorting by the column headers, on
// the real window.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "framework/popup_menu.h"
#include "run/print_worker.h"
#include "run/printer_state.h"
#include "support/main_window.h"
#include "ui/shell_open.h"

namespace {

using testing_ui::ModalBox;
using testing_ui::ModalResponder;

void Select(MainWindow& w, std::initializer_list<int> rows) {
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int row : rows) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
}

std::vector<std::wstring> Column(MainWindow& w, int column) {
    std::vector<std::wstring> cells;
    for (int i = 0; i < w.RowCount(); ++i) cells.push_back(w.Cell(i, column));
    return cells;
}

// One item of the menu as the person sees it.
struct Item {
    std::wstring text;  // empty: a separator
    bool enabled;
    bool operator==(const Item&) const = default;
};
void PrintTo(const Item& i, std::ostream* os) { *os << testing::PrintToString(i.text) << (i.enabled ? "" : " (grey)"); }

std::vector<Item> Read(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back({text, !(state & (MF_GRAYED | MF_DISABLED))});
    }
    return items;
}

// A person at the menu: records what it offered and where, and picks the item with `choose`'s
// text (nothing: dismisses it).
struct MenuPerson {
    explicit MenuPerson(std::wstring choice = L"") : choose(std::move(choice)) {}
    std::wstring choose;
    int shown = 0;
    std::vector<Item> offered;
    POINT at{};
    HWND owner = nullptr;
    person::ScriptedPopupMenu script{[this](HMENU menu, HWND o, POINT p) -> UINT {
        ++shown;
        offered = Read(menu);
        at = p;
        owner = o;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            if (!choose.empty() && choose == text) return ::GetMenuItemID(menu, i);
        }
        return 0;
    }};
};

void AskForMenu(MainWindow& w) {
    // As the keyboard does it (Shift+F10, the menu key): no position, (-1, -1) in 32 bits.
    ::SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.item(IDC_DOCUMENT_LIST)), MAKELPARAM(-1, -1));
}

RECT RowRect(MainWindow& w, int row) {
    RECT r{LVIR_LABEL, 0, 0, 0};
    ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return r;
}

const std::vector<Item> kIdleMenu = {
    {L"打开文件所在位置", true}, {L"复制路径", true}, {L"", false}, {L"移除选中的文件", true}, {L"只保留失败的文件", true}};

class FakeRun {
public:
    explicit FakeRun(MainWindow& w) : m_read(ReadChosenPrinterState()) {
        ReadChosenPrinterState() = [](const std::wstring&) { return std::optional<PrinterState>(); };
        {
            FakeWorker worker;
            w.Click(IDC_START);
        }
        ReadChosenPrinterState() = m_read;
    }

private:
    PrinterStateReader m_read;
};

TEST(ListMenu, OfferedByEveryWayOfAskingAndOnlyTheSafeItemsDuringARun) {
    MainWindow w;
    w.AddRows({L"C:\\d\\3.doc", L"C:\\d\\2.doc", L"C:\\d\\1.doc"});
    w.dlg().Documents().SetStatus(2, texts::kFailed);
    HWND list = w.item(IDC_DOCUMENT_LIST);

    {
        SCOPED_TRACE("right click on a row selects it and opens the menu there");
        Select(w, {0});
        MenuPerson person;
        const RECT r = RowRect(w, 1);
        const POINT p{r.left + 5, (r.top + r.bottom) / 2};
        // As the mouse does it: the release is already queued behind the press, at the pointer's
        // place. The list follows the pointer from the press until the release, in its own loop.
        POINT pointer = p;
        ::ClientToScreen(list, &pointer);
        ::SetCursorPos(pointer.x, pointer.y);
        ::PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        ::SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
        testing_ui::Pump(50);
        ASSERT_EQ(person.shown, 1);
        EXPECT_EQ(person.offered, kIdleMenu);
        EXPECT_EQ(person.owner, w.hwnd());
        POINT screen = p;
        ::ClientToScreen(list, &screen);
        EXPECT_EQ(person.at.x, screen.x);
        EXPECT_EQ(person.at.y, screen.y);
        EXPECT_EQ(w.dlg().Documents().SelectedRows(), std::vector<int>{1});
    }
    {
        SCOPED_TRACE("the keyboard: under the focused row");
        Select(w, {2});
        MenuPerson person;
        AskForMenu(w);
        ASSERT_EQ(person.shown, 1);
        const RECT r = RowRect(w, 2);
        POINT expected{r.left, r.bottom};
        ::ClientToScreen(list, &expected);
        EXPECT_EQ(person.at.x, expected.x);
        EXPECT_EQ(person.at.y, expected.y);
    }
    {
        SCOPED_TRACE("the menu key, through the list's own key handling");
        MenuPerson person;
        // Pressed on the keyboard, through the system's input queue to the focused list.
        ::SetForegroundWindow(w.hwnd());
        ::SetFocus(list);
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wVk = key[1].ki.wVk = VK_APPS;
        key[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(::SendInput(2, key, sizeof(INPUT)), 2u);
        testing_ui::Pump(200);
        ASSERT_EQ(person.shown, 1) << "the system's default handling sends WM_CONTEXTMENU for the menu key";
        const RECT r = RowRect(w, 2);
        POINT expected{r.left, r.bottom};
        ::ClientToScreen(list, &expected);
        EXPECT_EQ(person.at.x, expected.x) << "under the focused row, whatever the system sends above 32 bits";
        EXPECT_EQ(person.at.y, expected.y);
    }
    {
        SCOPED_TRACE("nothing selected, nothing failed: what needs them is grey");
        Select(w, {});
        w.dlg().Documents().SetStatus(2, texts::kDone);
        MenuPerson person;
        AskForMenu(w);
        EXPECT_EQ(person.offered, (std::vector<Item>{{L"打开文件所在位置", false}, {L"复制路径", false}, {L"", false},
                                                     {L"移除选中的文件", false}, {L"只保留失败的文件", false}}));
    }
    {
        SCOPED_TRACE("every row failed: nothing to keep them from");
        for (int i = 0; i < 3; ++i) w.dlg().Documents().SetStatus(i, texts::kFailed);
        MenuPerson person;
        AskForMenu(w);
        ASSERT_EQ(person.offered.size(), 5u);
        EXPECT_FALSE(person.offered[4].enabled);
    }
    {
        SCOPED_TRACE("during a run");
        FakeRun run(w);
        ASSERT_TRUE(w.dlg().Run().Active());
        Select(w, {1});
        // Answered before anything can raise a box, so that a failing check fails at once.
        ModalResponder boxes([](const ModalBox&) { return IDCANCEL; });
        MenuPerson person;
        AskForMenu(w);
        EXPECT_EQ(person.offered, (std::vector<Item>{{L"打开文件所在位置", true}, {L"复制路径", true}}));
        // A command the run's menu does not hold is not carried out, however it arrives.
        person.choose = L"移除选中的文件";
        AskForMenu(w);
        EXPECT_EQ(w.RowCount(), 3);
        EXPECT_TRUE(boxes.Boxes().empty()) << "the run's menu carried out a command it does not hold";
        ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    }
    {
        SCOPED_TRACE("a menu asked for outside the list is not the list's");
        MenuPerson person;
        ::SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.hwnd()), -1);
        EXPECT_EQ(person.shown, 0);
    }
}

TEST(ListMenu, OpenLocationShowsTheSelectedFile) {
    MainWindow w;
    w.AddRows({L"C:\\文件夹 一\\b.xlsx", L"C:\\文件夹 一\\a.docx"});
    Select(w, {1});
    std::vector<std::wstring> shown;
    shell::RedirectShowInFolder redirect([&](const std::wstring& path) { shown.push_back(path); });
    MenuPerson person(L"打开文件所在位置");
    AskForMenu(w);
    EXPECT_EQ(shown, std::vector<std::wstring>{L"C:\\文件夹 一\\b.xlsx"});
}

std::optional<std::wstring> ClipboardText() {
    if (!::OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

TEST(ListMenu, CopyPathsPutsTheSelectedRowsOnTheClipboard) {
    MainWindow w;
    w.AddRows({L"C:\\d\\c.ppt", L"C:\\长 路径\\报告.docx", L"C:\\d\\a.doc"});
    struct Case {
        std::initializer_list<int> rows;
        std::wstring text;
    } cases[] = {
        {{1}, L"C:\\长 路径\\报告.docx"},
        {{0, 2}, L"C:\\d\\a.doc\r\nC:\\d\\c.ppt"},
        {{0, 1, 2}, L"C:\\d\\a.doc\r\nC:\\长 路径\\报告.docx\r\nC:\\d\\c.ppt"},
    };
    for (const Case& c : cases) {
        Select(w, c.rows);
        MenuPerson person(L"复制路径");
        AskForMenu(w);
        EXPECT_EQ(ClipboardText(), std::optional<std::wstring>(c.text));
    }
}

TEST(ListMenu, RemoveSelectedAsksAndTakesEverySelectedRow) {
    for (int answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer);
        MainWindow w;
        w.AddRows({L"C:\\d\\5.doc", L"C:\\d\\4.doc", L"C:\\d\\3.doc", L"C:\\d\\2.doc", L"C:\\d\\1.doc"});
        Select(w, {0, 2, 3});
        ModalResponder boxes([&](const ModalBox&) { return answer; });
        MenuPerson person(L"移除选中的文件");
        AskForMenu(w);
        std::vector<std::wstring> texts;
        for (const ModalBox& b : boxes.Boxes()) texts.push_back(b.text);
        if (answer == IDOK) {
            EXPECT_EQ(texts, (std::vector<std::wstring>{L"确定移除吗", L"移除成功"}));
            EXPECT_EQ(Column(w, 0), (std::vector<std::wstring>{L"C:\\d\\2.doc", L"C:\\d\\5.doc"}));
            EXPECT_EQ(w.CountLabel(), L"2");
            EXPECT_FALSE(w.dlg().Documents().HasDocument(L"C:\\d\\3.doc")) << "the path index follows";
            EXPECT_TRUE(w.dlg().Documents().HasDocument(L"C:\\d\\5.doc"));
        } else {
            EXPECT_EQ(texts, std::vector<std::wstring>{L"确定移除吗"});
            EXPECT_EQ(w.RowCount(), 5);
        }
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes()[0].buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
    }
}

TEST(ListMenu, KeepFailedLeavesOnlyTheFailuresWithTheirReasons) {
    for (int answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer);
        MainWindow w;
        w.AddRows({L"C:\\d\\e.doc", L"C:\\d\\d.xls", L"C:\\d\\c.ppt", L"C:\\d\\b.docx", L"C:\\d\\a.pptx"});
        DocumentList& docs = w.dlg().Documents();
        docs.SetStatus(0, texts::kDone);
        docs.SetStatus(1, texts::kFailed, texts::kReasonNeedsPassword);
        docs.SetStatus(2, texts::kDone);
        docs.SetStatus(3, texts::kFailed, texts::kReasonFileUnreadable);
        docs.SetStatus(4, texts::kPending);
        ModalResponder boxes([&](const ModalBox&) { return answer; });
        MenuPerson person(L"只保留失败的文件");
        AskForMenu(w);
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes()[0].text, texts::kConfirmKeepFailed);
        EXPECT_EQ(boxes.Boxes()[0].buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
        if (answer == IDOK) {
            EXPECT_EQ(Column(w, 0), (std::vector<std::wstring>{L"C:\\d\\b.docx", L"C:\\d\\d.xls"}));
            EXPECT_EQ(Column(w, 1), (std::vector<std::wstring>{L"失败", L"失败"}));
            EXPECT_EQ(docs.ReasonAt(0), texts::kReasonNeedsPassword);
            EXPECT_EQ(docs.ReasonAt(1), texts::kReasonFileUnreadable);
            EXPECT_EQ(w.CountLabel(), L"2");
            EXPECT_FALSE(docs.HasDocument(L"C:\\d\\a.pptx"));
        } else {
            EXPECT_EQ(w.RowCount(), 5);
        }
    }
}

// ---------------------------------------------------------------------------------------------

// A click on a header item, through the header control as the mouse gives it.
void ClickHeader(MainWindow& w, int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_GETHEADER, 0, 0));
    RECT r{};
    ::SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
    testing_ui::Pump(20);
}

std::vector<int> Arrows(MainWindow& w) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_GETHEADER, 0, 0));
    std::vector<int> arrows;
    for (int i = 0; i < 2; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        arrows.push_back(item.fmt & HDF_SORTUP ? 1 : item.fmt & HDF_SORTDOWN ? -1 : 0);
    }
    return arrows;
}

TEST(ListSort, HeaderClicksSortNaturallyAndStatusesFailuresFirst) {
    MainWindow w;
    // Inserted so that the list shows them in this order, top to bottom.
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> rows = {
        {L"C:\\d\\10.doc", texts::kDone}, {L"C:\\d\\2.doc", texts::kFailed}, {L"C:\\d\\1.doc", texts::kPending},
        {L"C:\\d\\B 20.xls", texts::kFailed}, {L"C:\\d\\b 3.xls", texts::kDone},
    };
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) w.AddRows({it->first});
    DocumentList& docs = w.dlg().Documents();
    for (int i = 0; i < 5; ++i)
        docs.SetStatus(i, rows[static_cast<size_t>(i)].second,
                       rows[static_cast<size_t>(i)].second == texts::kFailed ? rows[static_cast<size_t>(i)].first : L"");
    Select(w, {1});  // 2.doc

    struct Step {
        int column;
        std::vector<std::wstring> paths;
        std::vector<int> arrows;
    } steps[] = {
        {0, {L"C:\\d\\1.doc", L"C:\\d\\2.doc", L"C:\\d\\10.doc", L"C:\\d\\b 3.xls", L"C:\\d\\B 20.xls"}, {1, 0}},
        {0, {L"C:\\d\\B 20.xls", L"C:\\d\\b 3.xls", L"C:\\d\\10.doc", L"C:\\d\\2.doc", L"C:\\d\\1.doc"}, {-1, 0}},
        {1, {L"C:\\d\\2.doc", L"C:\\d\\B 20.xls", L"C:\\d\\1.doc", L"C:\\d\\10.doc", L"C:\\d\\b 3.xls"}, {0, 1}},
        {1, {L"C:\\d\\10.doc", L"C:\\d\\b 3.xls", L"C:\\d\\1.doc", L"C:\\d\\2.doc", L"C:\\d\\B 20.xls"}, {0, -1}},
        {0, {L"C:\\d\\1.doc", L"C:\\d\\2.doc", L"C:\\d\\10.doc", L"C:\\d\\b 3.xls", L"C:\\d\\B 20.xls"}, {1, 0}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::PrintToString(Column(w, 0)));
        ClickHeader(w, s.column);
        EXPECT_EQ(Column(w, 0), s.paths);
        EXPECT_EQ(Arrows(w), s.arrows);
        // Every row keeps its own status, reason and selection.
        for (int i = 0; i < w.RowCount(); ++i) {
            const std::wstring path = w.Cell(i, 0);
            auto it = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return path == r.first; });
            ASSERT_NE(it, rows.end());
            EXPECT_EQ(w.Cell(i, 1), it->second) << i;
            EXPECT_EQ(docs.ReasonAt(i), it->second == texts::kFailed ? path : L"") << i;
            EXPECT_EQ(docs.SelectedRows() == std::vector<int>{i}, path == L"C:\\d\\2.doc") << i;
            EXPECT_TRUE(docs.HasDocument(path));
        }
    }
    EXPECT_EQ(docs.Paths(), steps[4].paths) << "the run's order is the rows' order";

    // A new row goes to the top, and the arrow goes: the list is in no header's order any more.
    w.AddRows({L"C:\\d\\0.doc"});
    EXPECT_EQ(w.Cell(0, 0), L"C:\\d\\0.doc");
    EXPECT_EQ(Arrows(w), (std::vector<int>{0, 0}));
    ClickHeader(w, 0);
    EXPECT_EQ(w.Cell(0, 0), L"C:\\d\\0.doc");
    EXPECT_EQ(w.Cell(1, 0), L"C:\\d\\1.doc");
    EXPECT_EQ(Arrows(w), (std::vector<int>{1, 0})) << "after new rows the first click sorts ascending";
}

TEST(ListSort, HeadersDoNotSortDuringARun) {
    MainWindow w;
    w.AddRows({L"C:\\d\\1.doc", L"C:\\d\\2.doc", L"C:\\d\\10.doc"});
    const std::vector<std::wstring> before = Column(w, 0);
    FakeRun run(w);
    ASSERT_TRUE(w.dlg().Run().Active());
    ClickHeader(w, 0);
    ClickHeader(w, 1);
    EXPECT_EQ(Column(w, 0), before);
    EXPECT_EQ(Arrows(w), (std::vector<int>{0, 0}));
    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    ClickHeader(w, 0);
    EXPECT_EQ(Column(w, 0), (std::vector<std::wstring>{L"C:\\d\\1.doc", L"C:\\d\\2.doc", L"C:\\d\\10.doc"}));
}

}  // namespace
