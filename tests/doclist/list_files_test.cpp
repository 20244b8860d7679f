// The files of the list's menu on the real window: the record of a run exported as CSV, and the
// list saved and opened again, through the Save and Open dialogs as a person answers them.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>

#include "common/texts.h"
#include "framework/person.h"
#include "framework/popup_menu.h"
#include "framework/scoped.h"
#include "support/files.h"
#include "support/main_window.h"

namespace {

using testing_files::Narrow;
using testing_ui::ModalBox;
using testing_ui::ModalResponder;

// Picks the menu item with the given text, as a person would.
class MenuChoice {
public:
    explicit MenuChoice(std::wstring text) : m_text(std::move(text)) {}

private:
    std::wstring m_text;
    person::ScriptedPopupMenu m_script{[this](HMENU menu, HWND, POINT) -> UINT {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            if (m_text == text) return ::GetMenuItemID(menu, i);
        }
        return 0;
    }};
};

// Chooses `item` from the list's menu and answers the file dialog with `answer`; returns what
// the dialog was asked to show.
person::FileDialogRequest FromMenu(MainWindow& w, const std::wstring& item, const std::wstring& answer) {
    person::FileDialogRequest seen;
    person::Scripted pick(person::FileDialogAnswer([&](const person::FileDialogRequest& r) {
        seen = r;
        return std::optional<std::vector<std::wstring>>(std::vector<std::wstring>{answer});
    }));
    MenuChoice choice(item);
    ::SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.item(IDC_DOCUMENT_LIST)), MAKELPARAM(-1, -1));
    return seen;
}

std::wstring DocumentsFolder() {
    CoTaskString folder;
    ::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, folder.put());
    return folder.get() ? folder.get() : L"";
}

std::vector<std::wstring> Entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW e{};
    HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &e);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::wstring(e.cFileName) != L"." && std::wstring(e.cFileName) != L"..") names.push_back(e.cFileName);
    } while (::FindNextFileW(h, &e));
    ::FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

RowResult Result(const wchar_t* reason, WORD second) {
    RowResult r;
    r.reason = reason;
    r.ended = {2026, 3, 1, 9, 8, 30, second, 0};
    r.printer = L"测试打印机";
    r.copies = 2;
    r.suite = L"WPS";
    r.duplex = L"双面（长边翻转）";
    r.color = L"黑白";
    r.pages = L"2-3";
    return r;
}

TEST(ExportResults, TheFileReadsBackAsTheRowsShowThemInListOrder) {
    testing_files::TempFolder folder(L"导出 结果");
    MainWindow w;
    w.AddRows({L"C:\\d\\新 建.pptx", L"C:\\d\\报告.doc", L"C:\\d\\a, b \"c\".xlsx", L"C:\\d\\=1+2.docx"});  // bottom up
    DocumentList& docs = w.dlg().Documents();
    docs.SetResult(0, texts::kDone, Result(L"", 5));
    docs.SetResult(1, texts::kFailed, Result(texts::kReasonNeedsPassword, 6));
    docs.SetResult(2, texts::kFailed, Result(L"=HYPERLINK(\"x\")", 7));
    docs.SetStatus(3, texts::kNotPrinted);

    const std::wstring target = folder / L"结果.csv";
    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    const person::FileDialogRequest asked = FromMenu(w, L"导出结果…", target);
    EXPECT_TRUE(boxes.Boxes().empty()) << "a written file needs no box";
    EXPECT_FALSE(asked.open);
    EXPECT_EQ(asked.initialFolder, DocumentsFolder());
    EXPECT_TRUE(asked.fileName.starts_with(L"打印结果 ") && asked.fileName.ends_with(L".csv") && asked.fileName.size() == 24)
        << Narrow(asked.fileName);
    EXPECT_TRUE(asked.flags & OFN_OVERWRITEPROMPT);

    const std::string expected =
        "\xEF\xBB\xBF"
        "文件路径,状态,原因,打印机,份数,办公软件,时间,双面,颜色,页码范围\r\n"
        "C:\\d\\=1+2.docx,完成,,测试打印机,2,WPS,2026-03-09 08:30:05,双面（长边翻转）,黑白,2-3\r\n"
        "\"C:\\d\\a, b \"\"c\"\".xlsx\",失败,文档需要密码,测试打印机,2,WPS,2026-03-09 08:30:06,双面（长边翻转）,黑白,2-3\r\n"
        "C:\\d\\报告.doc,失败,\"'=HYPERLINK(\"\"x\"\")\",测试打印机,2,WPS,2026-03-09 08:30:07,双面（长边翻转）,黑白,2-3\r\n"
        "C:\\d\\新 建.pptx,未打印,,,,,,,,\r\n";
    EXPECT_EQ(testing_files::ReadAll(target), expected);
    // The reasons are the tips.
    EXPECT_EQ(w.Tip(1), texts::kReasonNeedsPassword);
    EXPECT_EQ(w.Tip(3), L"");
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::wstring>{L"结果.csv"});
}

TEST(ExportResults, ATargetThatCannotBeWrittenGetsABoxAndLeavesNothingBehind) {
    testing_files::TempFolder folder(L"导出 占用");
    const std::wstring held = folder.File(L"在 Excel 中打开.csv", "as it was");
    MainWindow w;
    w.AddRows({L"C:\\d\\a.docx"});
    w.dlg().Documents().SetResult(0, texts::kDone, Result(L"", 1));
    {
        // Held open without sharing, as Excel holds a workbook it shows.
        UniqueHandle open(::CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(open.get(), INVALID_HANDLE_VALUE);
        ModalResponder boxes([](const ModalBox&) { return IDOK; });
        FromMenu(w, L"导出结果…", held);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const std::wstring text = boxes.Boxes()[0].text;
        EXPECT_NE(text.find(held), std::wstring::npos) << "the box names the file: " << Narrow(text);
        EXPECT_GT(text.size(), held.size() + 8) << "and says why: " << Narrow(text);
    }
    EXPECT_EQ(testing_files::ReadAll(held), "as it was");
    EXPECT_EQ(Entries(folder.Path()), std::vector<std::wstring>{L"在 Excel 中打开.csv"}) << "a half-written file was left";
}

TEST(ListFiles, SavedAndOpenedAgainGivesTheSameRowsInTheSameOrder) {
    testing_files::TempFolder folder(L"列表 往返");
    // A thousand documents with Chinese names and spaces, a tenth of them past MAX_PATH.
    const std::wstring deep = folder.Folder(std::wstring(100, L'深') + L"\\" + std::wstring(100, L'层'));
    std::vector<std::wstring> paths;
    const wchar_t* kinds[] = {L".docx", L".xls", L".pptx", L".doc"};
    for (int i = 0; i < 1000; ++i) {
        const std::wstring name = L"周报 第" + std::to_wstring(i) + L"份" + kinds[i % 4];
        paths.push_back(i % 10 == 0 ? deep + L"\\" + name : folder.Path() + L"\\" + name);
        ASSERT_TRUE(testing_files::WriteAll(paths.back(), "")) << i;
    }
    ASSERT_GT(paths.front().size(), 260u);
    const std::wstring list = folder / L"每周 打印.txt";

    MainWindow first;
    first.dlg().Documents().AddNewDocuments(paths);
    ModalResponder boxes([](const ModalBox&) { return IDOK; });
    const person::FileDialogRequest asked = FromMenu(first, L"保存列表…", list);
    EXPECT_FALSE(asked.open);
    EXPECT_EQ(asked.fileName, L"文件列表.txt");
    EXPECT_EQ(asked.initialFolder, DocumentsFolder());
    EXPECT_TRUE(boxes.Boxes().empty());
    const std::string bytes = testing_files::ReadAll(list);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");

    MainWindow second;
    const person::FileDialogRequest opened = FromMenu(second, L"打开列表…", list);
    EXPECT_TRUE(opened.open);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"已加入 1000 个文件，跳过 0 个。");
    EXPECT_EQ(second.dlg().Documents().Paths(), first.dlg().Documents().Paths());
    EXPECT_EQ(second.CountLabel(), L"1000");
}

std::string Gbk(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(936, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

TEST(ListFiles, EveryEntryGoesThroughTheDropRule) {
    testing_files::TempFolder folder(L"列表 规则");
    const std::wstring a = folder.File(L"甲 报告.docx"), b = folder.File(L"子\\乙 表格.XLSX"), c = folder.File(L"丙.ppt");
    const std::wstring listed = folder.File(L"已在列表.doc");
    folder.Folder(L"文件夹.docx");
    folder.File(L"说明.txt");
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::wstring> added;  // the new rows, top to bottom
        int skipped;
    } cases[] = {
        {"GBK", Gbk(L"甲 报告.docx\r\n" + c + L"\r\n"), {a, c}, 0},
        {"UTF-16", testing_files::Utf16WithMark(a + L"\r\n子\\乙 表格.XLSX\r\n"), {a, b}, 0},
        {"hand-typed, with everything a drop refuses",
         "\xEF\xBB\xBF\r\n  \"" + Narrow(a) + "\"  \r\n\r\n" + Narrow(L"文件夹.docx\r\nE:丙.docx\r\n说明.txt\r\n不在了.docx\r\n" + listed +
                                                                 L"\r\n甲 报告.docx\r\n子\\乙 表格.XLSX\r\n"),
         {a, b},
         6},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        const std::wstring list = folder.File(L"列表.txt", t.bytes);
        MainWindow w;
        w.AddRows({listed.c_str()});
        const ListFileOutcome outcome = w.dlg().Documents().OpenListFile(list);
        EXPECT_EQ(outcome.readError, 0u);
        EXPECT_EQ(outcome.added, static_cast<int>(t.added.size()));
        EXPECT_EQ(outcome.skipped, t.skipped);
        std::vector<std::wstring> rows = t.added;
        rows.push_back(listed);
        EXPECT_EQ(w.dlg().Documents().Paths(), rows);
        EXPECT_EQ(w.CountLabel(), std::to_wstring(rows.size()));
        if (t.skipped == 0) continue;
        // The box of the menu command: the counts, then each skipped path with why.
        ModalResponder boxes([](const ModalBox&) { return IDOK; });
        MainWindow again;
        again.AddRows({listed.c_str()});
        FromMenu(again, L"打开列表…", list);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, L"已加入 2 个文件，跳过 6 个。\r\n\r\n跳过的文件：\r\n" + (folder / L"文件夹.docx") +
                                             L"（不是 Word、Excel 或 PowerPoint 文档）\r\nE:丙.docx（" +
                                             texts::kSkippedDriveRelative + L"）\r\n" + (folder / L"说明.txt") +
                                             L"（不是 Word、Excel 或 PowerPoint 文档）\r\n" + (folder / L"不在了.docx") +
                                             L"（文件不存在）\r\n" + listed + L"（已在列表中）\r\n……另有 1 个");
    }
}

}  // namespace
