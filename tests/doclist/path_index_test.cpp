// The duplicate rule answers from an index kept beside the list; these tests hold its answers to
// the rule itself (a whole-string comparison with every row's text, read from the control) after
// every kind of change the commands make.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "support/main_window.h"

namespace {

using testing_ui::ModalResponder;

// The rule as written: every row's column-0 text compared whole, code unit by code unit.
bool RowsHold(MainWindow& w, const std::wstring& path) {
    for (int i = 0; i < w.RowCount(); ++i)
        if (w.Cell(i, 0) == path) return true;
    return false;
}

void Drop(MainWindow& w, const std::vector<std::wstring>& names) {
    ::SendMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(fixtures::MakeDrop(names)), 0);
}

void SelectOnly(MainWindow& w, int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    ::SendMessageW(w.item(IDC_DOCUMENT_LIST), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Paths that are equal, differ only in case, in a separator, a trailing blank or a prefix.
const std::vector<std::wstring> kProbes = {
    L"C:\\docs\\a.doc",  L"C:\\DOCS\\a.doc",  L"c:\\docs\\a.doc", L"C:\\docs\\A.doc", L"C:/docs/a.doc",
    L"C:\\docs\\a.doc ", L"C:\\docs\\a.do",   L"C:\\docs\\b.xls", L"C:\\docs\\b.XLS", L"C:\\文档\\报告.pptx",
    L"C:\\文档\\报告.PPTX", L"",
};

void ExpectRuleAgrees(MainWindow& w, const char* step) {
    SCOPED_TRACE(step);
    for (const std::wstring& p : kProbes) EXPECT_EQ(w.dlg().Documents().HasDocument(p), RowsHold(w, p)) << p.size();
    for (int i = 0; i < w.RowCount(); ++i) EXPECT_TRUE(w.dlg().Documents().HasDocument(w.Cell(i, 0))) << "row " << i;
    EXPECT_EQ(w.CountLabel(), std::to_wstring(w.RowCount()));
}

TEST(PathIndex, AnswersAsTheRowsDoThroughDropsRemovesAndClears) {
    MainWindow w;
    ExpectRuleAgrees(w, "empty list");

    // One drop carrying a name twice and its case-different twins: the second copy counts the
    // first as present, the twins are documents of their own.
    Drop(w, {L"C:\\docs\\a.doc", L"C:\\docs\\a.doc", L"C:\\DOCS\\a.doc", L"C:\\docs\\A.doc", L"C:\\docs\\b.xls"});
    EXPECT_EQ(w.RowCount(), 4);
    ExpectRuleAgrees(w, "after the first drop");

    // The same names again add nothing.
    Drop(w, {L"C:\\docs\\a.doc", L"C:\\docs\\b.xls", L"C:\\文档\\报告.pptx"});
    EXPECT_EQ(w.RowCount(), 5);
    ExpectRuleAgrees(w, "after the second drop");

    // Removing one row forgets only that path: its case twin stays present.
    int row = -1;
    for (int i = 0; i < w.RowCount(); ++i)
        if (w.Cell(i, 0) == L"C:\\docs\\a.doc") row = i;
    ASSERT_GE(row, 0);
    SelectOnly(w, row);
    {
        ModalResponder person([](const testing_ui::ModalBox&) { return IDOK; });
        w.Click(IDC_REMOVE_FILE);
    }
    EXPECT_EQ(w.RowCount(), 4);
    EXPECT_FALSE(w.dlg().Documents().HasDocument(L"C:\\docs\\a.doc"));
    EXPECT_TRUE(w.dlg().Documents().HasDocument(L"C:\\DOCS\\a.doc"));
    ExpectRuleAgrees(w, "after removing a row");

    // A cancelled removal and a cancelled clear keep every path.
    SelectOnly(w, 0);
    {
        ModalResponder person([](const testing_ui::ModalBox&) { return IDCANCEL; });
        w.Click(IDC_REMOVE_FILE);
        w.Click(IDC_CLEAR_LIST);
    }
    EXPECT_EQ(w.RowCount(), 4);
    ExpectRuleAgrees(w, "after cancelled commands");

    // The removed path comes back with a drop, once.
    Drop(w, {L"C:\\docs\\a.doc", L"C:\\docs\\a.doc"});
    EXPECT_EQ(w.RowCount(), 5);
    ExpectRuleAgrees(w, "after adding the removed path again");

    {
        ModalResponder person([](const testing_ui::ModalBox&) { return IDOK; });
        w.Click(IDC_CLEAR_LIST);
    }
    EXPECT_EQ(w.RowCount(), 0);
    ExpectRuleAgrees(w, "after clearing");
    for (const std::wstring& p : kProbes) EXPECT_FALSE(w.dlg().Documents().HasDocument(p));

    // Everything cleared can be added again.
    Drop(w, {L"C:\\docs\\b.xls", L"C:\\docs\\a.doc", L"C:\\docs\\b.xls"});
    EXPECT_EQ(w.RowCount(), 2);
    ExpectRuleAgrees(w, "after adding cleared paths again");
}

TEST(PathIndex, FolderAddedTwiceAfterRemovingOneOfItsDocuments) {
    fixtures::TempFolder temp(L"path-index");
    for (const wchar_t* name : {L"a.doc", L"b.xlsx", L"c.ppt", L"C.ppt2"})
        fixtures::MakeFile(temp / name, fixtures::Local(2016, 1, 1));
    MainWindow w;
    std::vector<std::wstring> scanned;
    DocumentList::ScanFolder(temp.Path(), scanned, 1);
    // The scan's own paths go through the same calls as the folder command.
    auto add = [&] {
        for (const std::wstring& p : scanned)
            if (!w.dlg().Documents().HasDocument(p)) w.dlg().Documents().InsertDocument(p);
        w.dlg().Documents().UpdateFileCount();
    };
    add();
    const int full = w.RowCount();
    EXPECT_EQ(full, static_cast<int>(scanned.size()));
    add();
    EXPECT_EQ(w.RowCount(), full);

    const std::wstring removed = w.Cell(1, 0);
    w.dlg().Documents().RemoveDocument(1);
    EXPECT_FALSE(w.dlg().Documents().HasDocument(removed));
    EXPECT_EQ(w.RowCount(), full - 1);
    for (const std::wstring& p : scanned) EXPECT_EQ(w.dlg().Documents().HasDocument(p), RowsHold(w, p));
    add();
    EXPECT_EQ(w.RowCount(), full);
    EXPECT_EQ(w.Cell(0, 0), removed) << "the removed document comes back on top";
    for (const std::wstring& p : scanned) EXPECT_TRUE(w.dlg().Documents().HasDocument(p));
}

}  // namespace
