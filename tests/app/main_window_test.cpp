// The main window as the person sees it after start-up, its exit question and the document
// list's basic operations, on the real dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/texts.h"
#include "doclist/document_list.h"
#include "support/dialog_template.h"
#include "support/main_window.h"
#include "support/program.h"

using testing_program::ComboItems;
using testing_program::SpoolerPrinters;
using testing_ui::ModalBox;
using testing_ui::ModalResponder;
using testing_ui::WindowText;

namespace {

int ComboSelection(HWND box) { return static_cast<int>(::SendMessageW(box, CB_GETCURSEL, 0, 0)); }

std::wstring SystemDefaultPrinter() {
    wchar_t name[512] = {};
    DWORD size = 512;
    return ::GetDefaultPrinterW(name, &size) ? name : L"";
}

}  // namespace

TEST(MainWindow, PrinterBoxListsTheSpoolerInOrderWithTheDefaultSelected) {
    const std::vector<std::wstring> spooler = SpoolerPrinters();
    const std::wstring def = SystemDefaultPrinter();
    ASSERT_GE(spooler.size(), 3u) << "the test set-up creates three CUPS queues";
    ASSERT_NE(spooler.front(), def) << "the test set-up makes a queue other than the first the default";
    bool hasChinese = false;
    for (const auto& n : spooler) hasChinese |= n == L"测试打印机";
    EXPECT_TRUE(hasChinese) << "the test set-up creates a queue with a Chinese name";

    // Read by the window as it initialises, and read ahead on another thread as at start.
    for (bool readAhead : {false, true}) {
        SCOPED_TRACE(readAhead ? "printers read ahead" : "printers read by the window");
        MainWindow w(readAhead);
        HWND box = w.item(IDC_PRINTER);
        EXPECT_EQ(ComboItems(box), spooler);
        ASSERT_GE(ComboSelection(box), 0);
        EXPECT_EQ(ComboItems(box)[static_cast<size_t>(ComboSelection(box))], def);
    }
}

TEST(MainWindow, PrinterSelectionRule) {
    const std::vector<std::wstring> printers{L"A", L"b", L"B", L"测试打印机"};
    struct Case { const wchar_t* def; int expected; } cases[] = {
        {L"B", 2}, {L"b", 1}, {L"测试打印机", 3}, {L"", 0}, {L"missing", 0}, {L"A ", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PrinterToSelect(printers, c.def), c.expected) << "default " << c.def;
    EXPECT_EQ(PrinterToSelect({}, L"B"), 0);
}

TEST(MainWindow, InitialisedControls) {
    MainWindow w;
    std::vector<std::wstring> copies;
    for (int i = 1; i <= 300; ++i) copies.push_back(std::to_wstring(i));
    EXPECT_EQ(ComboItems(w.item(IDC_COPIES)), copies);
    EXPECT_EQ(ComboSelection(w.item(IDC_COPIES)), 0);
    EXPECT_EQ(ComboItems(w.item(IDC_SUITE)), (std::vector<std::wstring>{L"MS Office", L"WPS"}));
    EXPECT_EQ(ComboSelection(w.item(IDC_SUITE)), 0);

    EXPECT_EQ(WindowText(w.hwnd()), L"Tavrolin V8.3    <支持批量打印doc,docx,xls,xlsx,ppt,pptx文档>");

    struct { int id; const wchar_t* text; } buttons[] = {
        {IDC_ADD_FILES, L"添加文件"}, {IDC_REMOVE_FILE, L"移除文件"}, {IDC_CLEAR_LIST, L"清空列表"},
        {IDC_START, L"开始打印"},     {IDC_ABOUT, L"关于我们"},       {IDC_VISIT_WEBSITE, L"访问官网"},
        {IDC_ADD_FOLDER, L"添加目录"},
    };
    for (const auto& b : buttons) EXPECT_EQ(WindowText(w.item(b.id)), b.text) << b.id;
    EXPECT_FALSE(::IsWindowVisible(w.item(IDOK)));
    EXPECT_FALSE(::IsWindowVisible(w.item(IDCANCEL)));
    EXPECT_EQ(::GetFocus(), w.item(IDC_ADD_FILES)) << "the first tab stop has the focus";

    HMENU sys = ::GetSystemMenu(w.hwnd(), FALSE);
    int n = ::GetMenuItemCount(sys);
    ASSERT_GE(n, 2);
    MENUITEMINFOW sep{};
    sep.cbSize = sizeof(sep);
    sep.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(sys, n - 2, TRUE, &sep);
    EXPECT_TRUE(sep.fType & MFT_SEPARATOR);
    wchar_t text[128] = {};
    ::GetMenuStringW(sys, n - 1, text, 128, MF_BYPOSITION);
    EXPECT_STREQ(text, L"关于 Tavrolin(&A)...");
    EXPECT_EQ(::GetMenuItemID(sys, n - 1), 16u);

    EXPECT_NE(::SendMessageW(w.hwnd(), WM_QUERYDRAGICON, 0, 0), 0) << "a minimised window is dragged with the main icon";
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(w.hwnd(), WM_GETICON, ICON_BIG, 0)),
              reinterpret_cast<HICON>(::SendMessageW(w.hwnd(), WM_QUERYDRAGICON, 0, 0)));
    EXPECT_EQ(WindowText(w.item(IDC_FILE_COUNT)), L"0");
}

TEST(MainWindow, ExitQuestionForEveryWayOfClosing) {
    struct Way {
        const char* name;
        void (*send)(HWND);
    } ways[] = {
        {"Esc", [](HWND h) {
             ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
             (void)h;
         }},
        {"close box", [](HWND h) { ::PostMessageW(h, WM_CLOSE, 0, 0); }},
        {"system menu close", [](HWND h) { ::PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"command 2", [](HWND h) { ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
        // Enter would otherwise end the program at once and lose the list.
        {"Enter in the list", [](HWND h) {
             HWND list = ::GetDlgItem(h, IDC_DOCUMENT_LIST);
             ::SetFocus(list);
             ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
         }},
        {"command 1", [](HWND h) { ::PostMessageW(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        MainWindow w;
        w.AddRows({L"C:\\keep\\me.doc"});
        {
            ModalResponder no([](const ModalBox&) { return IDNO; });
            way.send(w.hwnd());
            testing_ui::PumpUntil([&] { return !no.Boxes().empty(); }, 3000);
            testing_ui::Pump(100);
            ASSERT_EQ(no.Boxes().size(), 1u);
            const ModalBox& box = no.Boxes()[0];
            EXPECT_EQ(box.text, L"您确定要退出吗 ?");
            EXPECT_EQ(box.caption, AfxGetAppName());
            EXPECT_EQ(box.buttonIds, (std::vector<int>{IDYES, IDNO}));
            EXPECT_FALSE(box.hasIcon);
            EXPECT_EQ(box.owner, w.hwnd());
            EXPECT_FALSE(w.dlg().Result().has_value()) << "No keeps the window";
            EXPECT_TRUE(::IsWindowVisible(w.hwnd()));
            EXPECT_EQ(w.RowCount(), 1);
        }
        ModalResponder yes([](const ModalBox&) { return IDYES; });
        way.send(w.hwnd());
        testing_ui::PumpUntil([&] { return w.dlg().Result().has_value(); }, 3000);
        EXPECT_EQ(w.dlg().Result(), std::optional<int>(IDCANCEL));
    }
}

TEST(DocumentList, ControlStylesAndColumns) {
    MainWindow w;
    HWND list = w.item(IDC_DOCUMENT_LIST);
    // The template asks for exactly these styles (checked in MainWindowTemplate); the live
    // control keeps its report view and its multiple selection.
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(list, GWL_STYLE));
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_SORTDESCENDING),
              static_cast<DWORD>(LVS_REPORT));
    EXPECT_EQ(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), 0x171 | LVS_EX_INFOTIP);

    RECT rc{};
    ::GetClientRect(list, &rc);
    auto [pathWidth, statusWidth] = DocumentColumnWidths(rc.right);
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), pathWidth);
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), statusWidth);

    wchar_t title[32] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_FMT;
    col.pszText = title;
    col.cchTextMax = 32;
    ::SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    EXPECT_STREQ(title, L"文件路径");
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    ::SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
    EXPECT_STREQ(title, L"状态");
}

TEST(DocumentList, ColumnWidthsTruncate) {
    struct { int w, path, status; } cases[] = {{530, 450, 79}, {0, 0, 0}, {100, 85, 15}, {533, 453, 79}, {1, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(DocumentColumnWidths(c.w), std::make_pair(c.path, c.status)) << "client width " << c.w;
}

TEST(DocumentList, InsertionOrderDuplicatesAndCount) {
    MainWindow w;
    CTavrolinDlg& d = w.dlg();
    EXPECT_FALSE(d.Documents().HasDocument(L"C:\\a.doc")) << "an empty list holds nothing";
    d.Documents().UpdateFileCount();
    EXPECT_EQ(w.CountLabel(), L"0");

    const std::wstring longPath = L"C:\\" + std::wstring(400, L'x') + L".docx";
    for (const std::wstring& p : {std::wstring(L"C:\\A.doc"), std::wstring(L"C:\\B.doc"), std::wstring(L"C:\\C.doc")})
        d.Documents().InsertDocument(p);
    d.Documents().UpdateFileCount();
    EXPECT_EQ(w.Cell(0, 0), L"C:\\C.doc");
    EXPECT_EQ(w.Cell(1, 0), L"C:\\B.doc");
    EXPECT_EQ(w.Cell(2, 0), L"C:\\A.doc");
    for (int r = 0; r < 3; ++r) EXPECT_EQ(w.Cell(r, 1), L"待处理");
    EXPECT_EQ(w.CountLabel(), L"3");

    struct { std::wstring path; bool present; } cases[] = {
        {L"C:\\A.doc", true},   {L"c:\\A.doc", false}, {L"C:\\a.doc", false}, {L"C:\\A.doc ", false},
        {L"C:/A.doc", false},   {L"C:\\A.do", false},  {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(d.Documents().HasDocument(c.path), c.present) << c.path.size();

    d.Documents().InsertDocument(L"C:\\a.doc");  // differs in case only: a document of its own
    d.Documents().InsertDocument(longPath);
    EXPECT_TRUE(d.Documents().HasDocument(longPath)) << "long paths are compared whole";
    EXPECT_FALSE(d.Documents().HasDocument(longPath.substr(0, longPath.size() - 1)));
    d.Documents().UpdateFileCount();
    EXPECT_EQ(w.CountLabel(), L"5");

    d.Documents().ClearDocuments();
    d.Documents().UpdateFileCount();
    EXPECT_EQ(w.CountLabel(), L"0");
    EXPECT_FALSE(d.Documents().HasDocument(L"C:\\A.doc"));
}

TEST(MainWindow, TemplateMatchesItsTable) {
    const testing_ui::DialogTemplate t = testing_ui::LoadDialogTemplate(IDD_TAVROLIN_DIALOG);
    EXPECT_EQ(t.cx, 413);
    EXPECT_EQ(t.cy, 371);
    EXPECT_EQ(t.style, 0x90CA00C8u) << "popup, visible, caption, system menu, minimise box, modal frame, shell font";
    EXPECT_EQ(t.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES));
    EXPECT_EQ(t.typeface, L"MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.caption, L"Tavrolin");

    const DWORD button = 0x50010000, hiddenButton = 0x40010000, combo = 0x50210003, label = 0x50020000;
    struct Expected {
        int id; const wchar_t* cls; const wchar_t* text; short x, y, cx, cy; DWORD style;
    } expected[] = {
        {1, L"Button", L"确定", 353, 320, 50, 14, hiddenButton | BS_DEFPUSHBUTTON},
        {2, L"Button", L"取消", 295, 320, 50, 14, hiddenButton},
        {1000, L"Button", L"添加文件", 19, 326, 45, 21, button},
        {1002, L"SysListView32", L"", 6, 72, 267, 249, 0x50810801},
        {1003, L"Button", L"移除文件", 119, 326, 45, 21, button},
        {1004, L"Button", L"清空列表", 169, 326, 45, 21, button},
        {1005, L"Button", L"开始打印", 219, 326, 45, 21, button},
        {1006, L"Button", L"关于我们", 326, 250, 41, 24, button},
        {1014, L"Button", L"访问官网", 341, 353, 50, 14, button},
        {1017, L"ComboBox", L"", 288, 105, 77, 30, combo},
        {1019, L"Static", L"每个文件打印份数：", 288, 92, 80, 8, label},
        {-1, L"Static", L"选择打印机:", 288, 159, 50, 8, label},
        {1023, L"ComboBox", L"", 288, 170, 115, 30, combo},
        // The run's settings follow the printer box in the tab order.
        {1033, L"Static", L"双面打印：", 288, 192, 42, 8, label},
        {1032, L"ComboBox", L"", 331, 190, 72, 60, combo},
        {1035, L"Static", L"颜色：", 288, 208, 42, 8, label},
        {1034, L"ComboBox", L"", 331, 206, 72, 50, combo},
        {1037, L"Static", L"页码范围：", 288, 224, 42, 8, label},
        {1036, L"Edit", L"", 331, 222, 72, 12, 0x50810080},
        {-1, L"Button", L"设置", 277, 69, 129, 172, 0x50000007},
        {1024, L"ComboBox", L"", 288, 137, 75, 30, combo},
        {-1, L"Static", L"版本选择：", 289, 127, 50, 8, label},
        {-1, L"Static", L"文件总数：", 178, 61, 40, 8, label},
        {1025, L"Static", L"0", 220, 61, 40, 8, label},
        {1008, L"Button", L"添加目录", 69, 326, 45, 21, button},
    };
    ASSERT_EQ(t.items.size(), std::size(expected));
    for (size_t i = 0; i < t.items.size(); ++i) {
        const auto& got = t.items[i];
        const auto& e = expected[i];
        SCOPED_TRACE(testing::Message() << "template item " << i << " id " << e.id);
        EXPECT_EQ(static_cast<int>(static_cast<WORD>(got.id)), static_cast<int>(static_cast<WORD>(e.id)));
        EXPECT_EQ(_wcsicmp(got.windowClass.c_str(), e.cls), 0) << "class names compare without case";
        EXPECT_EQ(got.title, e.text);
        EXPECT_EQ(got.x, e.x); EXPECT_EQ(got.y, e.y); EXPECT_EQ(got.cx, e.cx); EXPECT_EQ(got.cy, e.cy);
        EXPECT_EQ(got.style, e.style);
        EXPECT_EQ(got.exStyle, 0u);
    }
}
