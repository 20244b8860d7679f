// Names from outside the window: the command line's reading, and the block a second launch
// sends with the real window receiving it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "run/print_worker.h"
#include "support/files.h"
#include "support/main_window.h"

using testing_ui::ModalBox;
using testing_ui::ModalResponder;
using Names = std::vector<std::wstring>;

namespace {

std::vector<std::wstring> Rows(MainWindow& w) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.push_back(w.Cell(i, 0));
    return rows;
}

LRESULT SendBlock(MainWindow& w, ULONG_PTR tag, const std::vector<wchar_t>& block, DWORD bytes) {
    COPYDATASTRUCT data{tag, bytes, bytes ? const_cast<wchar_t*>(block.data()) : nullptr};
    return ::SendMessageW(w.hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

LRESULT SendNames(MainWindow& w, const Names& names) {
    const std::vector<wchar_t> block = command_line::PackNames(names);
    return SendBlock(w, command_line::kCopyDataAddNames, block, static_cast<DWORD>(block.size() * sizeof(wchar_t)));
}

// A run that stays open until the test ends it: no worker thread is started.
void StartIdleRun(MainWindow& w) {
    FakeWorker worker;
    w.Click(IDC_START);
}

void EndRun(MainWindow& w) { ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0); }

}  // namespace

TEST(CommandLine, ArgumentsAfterTheProgramsOwnName) {
    const std::wstring longName = L"C:\\" + std::wstring(290, L'长') + L".docx";
    struct Case {
        std::wstring line;
        Names expected;
    } cases[] = {
        {L"tavrolin.exe", {}},
        {L"\"C:\\Program Files\\Tavrolin\\tavrolin.exe\"   \t", {}},
        {L"tavrolin.exe \"C:\\我的 文档\\报告 2016.docx\"\tb.xls", {L"C:\\我的 文档\\报告 2016.docx", L"b.xls"}},
        {L"\"C:\\a b\\tavrolin.exe\" \"\" x.doc", {L"", L"x.doc"}},
        {L"\"C:\\a b\\tavrolin.exe\"x.doc", {L"x.doc"}},
        {L"tavrolin.exe \"" + longName + L"\"", {longName}},
    };
    for (const Case& c : cases) EXPECT_EQ(command_line::Arguments(c.line.c_str()), c.expected) << testing::PrintToString(c.line);
}

TEST(CommandLine, UsageIsAskedForByItsFiveFormsOnly) {
    for (const wchar_t* yes : {L"/?", L"-?", L"/help", L"-h", L"--help", L"/HELP", L"-H", L"--Help"})
        EXPECT_TRUE(command_line::IsUsageRequest(yes)) << testing::PrintToString(std::wstring(yes));
    for (const wchar_t* no : {L"?", L"help", L"/h", L"-help", L"--h", L"/?x", L"C:\\-h", L"-h.doc", L""})
        EXPECT_FALSE(command_line::IsUsageRequest(no)) << testing::PrintToString(std::wstring(no));
    EXPECT_TRUE(command_line::WantsUsage({L"a.doc", L"/?"}));
    EXPECT_FALSE(command_line::WantsUsage({L"a.doc", L"b.doc"}));
}

TEST(CommandLine, NamesAreMadeFullAgainstTheCurrentDirectory) {
    testing_files::TempFolder temp(L"cmdline-full 命令行");
    const std::wstring here = temp.Folder(L"在 这里");
    testing_files::CurrentDirectory cd(here);
    const std::wstring longName = std::wstring(200, L'长') + L"\\" + std::wstring(100, L'长') + L".docx";
    const Names full = command_line::FullPaths(
        {L"b.xls", L"", L"..\\上 一级.doc", L"C:\\abs\\d.doc", L".\\sub\\e.pptx", longName});
    const Names expected{here + L"\\b.xls", temp.Path() + L"\\上 一级.doc", L"C:\\abs\\d.doc", here + L"\\sub\\e.pptx",
                         here + L"\\" + longName};
    EXPECT_EQ(full, expected);
    ASSERT_EQ(full.size(), expected.size());
    EXPECT_GT(full.back().size(), 300u);
}

TEST(CommandLine, PrintRequestTakesEachSwitchsValue) {
    const command_line::ParsedPrint parsed = command_line::ParsePrint(
        {L"/Print", L"a.docx", L"/PRINTER", L"Tavrolin-A", L"/copies", L"300", L"/suite", L"WPS", L"/report", L"r.csv",
         L"/list", L"one.txt", L"b dir", L"/list", L"two.txt"});
    EXPECT_EQ(parsed.errors, Names{});
    const command_line::PrintRequest& r = parsed.request;
    EXPECT_EQ(r.printer, L"Tavrolin-A");
    EXPECT_EQ(r.copies, 300);
    EXPECT_EQ(r.suite, 1);
    EXPECT_EQ(r.report, L"r.csv");
    EXPECT_EQ(r.lists, (Names{L"one.txt", L"two.txt"}));
    EXPECT_EQ(r.names, (Names{L"a.docx", L"b dir"}));
    using Item = command_line::LaunchItem;
    EXPECT_EQ(r.items, (std::vector<Item>{{L"a.docx", false}, {L"one.txt", true}, {L"b dir", false}, {L"two.txt", true}}));

    const command_line::PrintRequest defaults = command_line::ParsePrint({L"/print", L"a.doc"}).request;
    EXPECT_EQ(defaults.printer, L"");
    EXPECT_EQ(defaults.copies, 1);
    EXPECT_EQ(defaults.suite, 0);
}

TEST(CommandLine, PrintRequestNamesEveryWrongArgument) {
    const struct {
        Names arguments;
        size_t errors;
    } cases[] = {
        {{L"/print", L"/copies", L"0"}, 1},
        {{L"/print", L"/copies", L"abc"}, 1},
        {{L"/print", L"/copies", L"-1"}, 1},
        {{L"/print", L"/copies", L"0301"}, 1},
        {{L"/print", L"/copies"}, 1},
        {{L"/print", L"/printer", L"/copies", L"2"}, 1},
        {{L"/print", L"/printer", L""}, 1},
        {{L"/print", L"/suite", L"libre"}, 1},
        {{L"/print", L"/unknown", L"/report"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const command_line::ParsedPrint parsed = command_line::ParsePrint(c.arguments);
        EXPECT_EQ(parsed.errors.size(), c.errors) << testing::PrintToString(parsed.errors);
        for (const std::wstring& error : parsed.errors) EXPECT_FALSE(error.empty());
    }
}

TEST(CommandLine, PlainLaunchListsStandWhereTheyAre) {
    const std::vector<command_line::LaunchItem> items =
        command_line::ParsePlain({L"a.docx", L"/LIST", L"l.txt", L"b.xls", L"/list"});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, L"a.docx");
    EXPECT_FALSE(items[0].list);
    EXPECT_EQ(items[1].name, L"l.txt");
    EXPECT_TRUE(items[1].list);
    EXPECT_EQ(items[2].name, L"b.xls");
    EXPECT_EQ(items[3].name, L"/list");  // without its file: a name like any other, which no rule takes
    EXPECT_FALSE(items[3].list);
}

TEST(CommandLine, BlockOfNames) {
    const Names names{L"C:\\我的 文档\\报告.docx", L"C:\\" + std::wstring(300, L'x') + L".xls", L"d"};
    const std::vector<wchar_t> block = command_line::PackNames(names);
    std::wstring expected;
    for (const auto& n : names) expected += n + L'\0';
    expected += L'\0';
    EXPECT_EQ(std::wstring(block.begin(), block.end()), expected);
    COPYDATASTRUCT data{command_line::kCopyDataAddNames, static_cast<DWORD>(block.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(block.data())};
    EXPECT_EQ(command_line::UnpackNames(data), names);
    // Nothing to send: no block at all. Empty names are left out, as they would end the list.
    EXPECT_TRUE(command_line::PackNames({}).empty());
    EXPECT_TRUE(command_line::PackNames({L""}).empty());
    EXPECT_EQ(command_line::PackNames({L"a", L"", L"b"}), (std::vector<wchar_t>{L'a', 0, L'b', 0, 0}));

    struct Case {
        const char* name;
        ULONG_PTR tag;
        std::wstring content;
        DWORD bytes;  // 0: the content's size
    } malformed[] = {
        {"another tag", command_line::kCopyDataAddNames + 1, std::wstring(L"a.doc\0\0", 7), 0},
        {"odd size", command_line::kCopyDataAddNames, std::wstring(L"a.doc\0\0", 7), 13},
        {"no end", command_line::kCopyDataAddNames, std::wstring(L"a.doc", 5), 0},
        {"one NUL at the end", command_line::kCopyDataAddNames, std::wstring(L"a.doc\0b.doc\0", 12), 0},
        {"empty name inside", command_line::kCopyDataAddNames, std::wstring(L"a.doc\0\0b.doc\0\0", 14), 0},
        {"empty list", command_line::kCopyDataAddNames, std::wstring(L"\0\0", 2), 0},
        {"one character", command_line::kCopyDataAddNames, std::wstring(L"\0", 1), 0},
        {"no data", command_line::kCopyDataAddNames, std::wstring(), 0},
    };
    for (const Case& c : malformed) {
        COPYDATASTRUCT bad{c.tag, c.bytes ? c.bytes : static_cast<DWORD>(c.content.size() * sizeof(wchar_t)),
                           c.content.empty() ? nullptr : const_cast<wchar_t*>(c.content.data())};
        EXPECT_FALSE(command_line::UnpackNames(bad).has_value()) << c.name;
    }
}

TEST(SecondLaunchNames, ReachTheWindowAsADropOfThemWould) {
    testing_files::TempFolder temp(L"cmdline-copydata 命令行");
    const std::wstring a = temp.File(L"a.doc"), b = temp.File(L"报 告.pptx"), c = temp.File(L"c.xlsx");
    const std::wstring old = temp.File(L"old.docx"), text = temp.File(L"notes.txt");
    MainWindow w;
    w.AddRows({old.c_str()});

    EXPECT_EQ(SendNames(w, {a, old, text, temp.Path(), b, a}), TRUE);
    EXPECT_EQ(Rows(w), (Names{b, a, old})) << "in order, at the top, no duplicate, documents only";
    EXPECT_EQ(w.Cell(0, 1), L"待处理");
    EXPECT_EQ(w.CountLabel(), L"3");

    // Malformed blocks carrying a name that would otherwise be added are ignored.
    std::vector<wchar_t> block = command_line::PackNames({c});
    const DWORD bytes = static_cast<DWORD>(block.size() * sizeof(wchar_t));
    EXPECT_EQ(SendBlock(w, command_line::kCopyDataAddNames + 1, block, bytes), FALSE);
    EXPECT_EQ(SendBlock(w, command_line::kCopyDataAddNames, block, bytes - sizeof(wchar_t)), FALSE) << "one NUL at the end";
    EXPECT_EQ(SendBlock(w, command_line::kCopyDataAddNames, block, bytes - 1), FALSE) << "odd size";
    EXPECT_EQ(SendBlock(w, command_line::kCopyDataAddNames, block, 0), FALSE) << "no data";
    EXPECT_EQ(w.RowCount(), 3);

    // During a run they are refused as a drop is, and taken once it has ended.
    StartIdleRun(w);
    ASSERT_TRUE(w.dlg().Run().Active());
    EXPECT_EQ(SendNames(w, {c}), TRUE);
    EXPECT_EQ(Rows(w), (Names{b, a, old}));
    EXPECT_EQ(w.CountLabel(), L"3");
    EndRun(w);
    ASSERT_FALSE(w.dlg().Run().Active());
    EXPECT_EQ(SendNames(w, {c}), TRUE);
    EXPECT_EQ(Rows(w), (Names{c, b, a, old}));
    EXPECT_EQ(w.CountLabel(), L"4");
}
