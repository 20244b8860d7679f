// "添加文件": the handler through a scripted person at the file dialog, and once through the
// real common item dialog.
#include <gtest/gtest.h>

#include <set>

#include "fixtures.h"
#include "framework/file_dialog.h"
#include "framework/person.h"
#include "support/main_window.h"

namespace {

using Paths = std::vector<std::wstring>;

// Presses "添加文件" with a person who picks `answer` (nothing: cancels); returns what the
// dialog was asked to show.
person::FileDialogRequest AddFiles(MainWindow& w, std::optional<Paths> answer) {
    person::FileDialogRequest seen;
    person::Scripted pick(person::FileDialogAnswer([&](const person::FileDialogRequest& r) {
        seen = r;
        return answer;
    }));
    w.Click(IDC_ADD_FILES);
    return seen;
}

std::vector<std::wstring> Rows(MainWindow& w) {
    Paths rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.push_back(w.Cell(i, 0));
    return rows;
}

TEST(AddFiles, DialogIsTheDocumentOpenDialogOwnedByTheMainWindow) {
    MainWindow w;
    person::FileDialogRequest asked = AddFiles(w, std::nullopt);
    EXPECT_TRUE(asked.open);
    EXPECT_EQ(asked.owner, w.hwnd());
    EXPECT_EQ(asked.flags, 0x800204u);
    ASSERT_EQ(asked.filter.size(), 1u);
    EXPECT_EQ(asked.filter[0].first, L"File(*.doc;*.docx;*.xls;*.xlsx;*.ppt;*.pptx)");
    EXPECT_EQ(asked.filter[0].second, L"*.doc;*.docx;*.xls;*.xlsx;*.ppt;*.pptx");
    EXPECT_EQ(asked.title, L"");
    EXPECT_EQ(asked.initialFolder, L"");
    EXPECT_EQ(asked.defaultExtension, L"");
    EXPECT_EQ(asked.fileName, L"");
}

TEST(AddFiles, EveryReturnedPathNotYetListedGoesOnTop) {
    MainWindow w;
    AddFiles(w, Paths{L"C:\\报告 一\\a.doc", L"C:\\b.xlsx", L"C:\\c.pptx"});
    EXPECT_EQ(Rows(w), (Paths{L"C:\\c.pptx", L"C:\\b.xlsx", L"C:\\报告 一\\a.doc"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.Cell(i, 1), L"待处理");
    EXPECT_EQ(w.CountLabel(), L"3");

    // A duplicate (exact text) is passed over, a case variant is another document, and a name
    // outside the filter is taken since the dialog returned it.
    AddFiles(w, Paths{L"C:\\b.xlsx", L"C:\\B.xlsx", L"C:\\notes.txt", L"C:\\notes.txt"});
    EXPECT_EQ(Rows(w), (Paths{L"C:\\notes.txt", L"C:\\B.xlsx", L"C:\\c.pptx", L"C:\\b.xlsx", L"C:\\报告 一\\a.doc"}));
    EXPECT_EQ(w.CountLabel(), L"5");
}

TEST(AddFiles, CancelAddsNothingButRefreshesTheCount) {
    MainWindow w;
    w.dlg().Documents().InsertDocument(L"C:\\a.doc");  // the label still reads 0
    AddFiles(w, std::nullopt);
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.CountLabel(), L"1");
}

TEST(AddFiles, HundredsOfLongNamesArriveWhole) {
    Paths chosen;
    for (int i = 0; i < 400; ++i)
        chosen.push_back(L"C:\\" + std::wstring(200, L'名') + L"\\" + std::to_wstring(i) + L".docx");
    MainWindow w;
    AddFiles(w, chosen);
    ASSERT_EQ(w.RowCount(), 400);
    EXPECT_EQ(w.CountLabel(), L"400");
    EXPECT_EQ(w.Cell(0, 0), chosen.back());
    EXPECT_EQ(w.Cell(399, 0), chosen.front());
}

TEST(AddFiles, FilterParsesTheFrameworkNotation) {
    auto entries = CFileDialog::ParseFilter(L"Word|*.doc;*.docx|All|*.*||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].first, L"All");
    EXPECT_EQ(entries[1].second, L"*.*");
    EXPECT_TRUE(CFileDialog::ParseFilter(nullptr).empty());
}

// The first edit box the dialog shows: the file name box.
HWND FileNameBox(HWND dialog) {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            // The dialog itself is not shown yet when it activates: look at the child's own style.
            if (testing_ui::ClassName(child) == L"Edit" && (::GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(AddFiles, RealItemDialogReturnsTheTypedSelection) {
    fixtures::TempFolder dir(L"真实 对话框");
    Paths files;
    // Long names: together far more than a fixed 13000-character selection buffer would hold.
    for (int i = 0; i < 80; ++i) {
        files.push_back(dir / (std::to_wstring(100 + i) + L" " + std::wstring(150, L'x') + L".docx"));
        fixtures::MakeFile(files.back(), fixtures::Local(2016, 1, 1));
    }
    size_t total = 0;
    for (const auto& f : files) total += f.size() + 3;
    ASSERT_GT(total, 13000u);
    std::wstring typed;
    for (const auto& f : files) typed += L"\"" + f + L"\" ";

    MainWindow w;
    bool foundBox = false;
    {
        testing_ui::ModalResponder person([&](const testing_ui::ModalBox& box) {
            if (box.owner != w.hwnd()) return IDCANCEL;
            HWND name = FileNameBox(box.hwnd);
            foundBox = name != nullptr;
            if (!name) return IDCANCEL;
            ::SetWindowTextW(name, typed.c_str());
            return IDOK;
        });
        w.Click(IDC_ADD_FILES);
        ASSERT_FALSE(person.Boxes().empty()) << "no dialog came up";
    }
    ASSERT_TRUE(foundBox);
    ASSERT_EQ(w.RowCount(), static_cast<int>(files.size()));
    std::set<std::wstring> rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.insert(w.Cell(i, 0));
    EXPECT_EQ(rows, std::set<std::wstring>(files.begin(), files.end()));
    EXPECT_EQ(w.CountLabel(), std::to_wstring(files.size()));

    // Cancelled in the real dialog: nothing more.
    {
        testing_ui::ModalResponder person([](const testing_ui::ModalBox&) { return IDCANCEL; });
        w.Click(IDC_ADD_FILES);
        EXPECT_EQ(person.Boxes().size(), 1u);
    }
    EXPECT_EQ(w.RowCount(), static_cast<int>(files.size()));
}

}  // namespace
