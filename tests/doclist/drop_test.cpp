// Drops arrive as real WM_DROPFILES messages carrying a real drop handle.
#include <gtest/gtest.h>

#include "doclist/doclist.h"
#include "doclist/document_kind.h"
#include "fixtures.h"
#include "run/print_worker.h"
#include "support/main_window.h"

namespace {

using fixtures::MakeDrop;
using Kind = std::optional<DocumentKind>;

void Drop(MainWindow& w, HDROP drop) { ::SendMessageW(w.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0); }

// Names with nothing on disk are judged by the name alone; the table of real files and
// folders is in document_rule_test.cpp.
TEST(Drop, NamesNotOnDiskAreJudgedByTheirFileName) {
    const Kind word = DocumentKind::Word, excel = DocumentKind::Excel, powerPoint = DocumentKind::PowerPoint;
    struct Case {
        std::wstring name;
        Kind kind;
    } cases[] = {
        {L"C:\\docs\\report.doc", word},
        {L"C:\\docs\\REPORT.DOC", word},
        {L"C:\\docs\\report.Doc", word},
        {L"C:\\docs\\notes.docm", std::nullopt},
        {L"C:\\docs\\mydoc", std::nullopt},  // a dot belongs to the extension
        {L"C:\\docs\\slides.pptx", powerPoint},
        {L"C:\\docs\\plan.ppt.doc", word},
        {L"C:\\docs\\a.b.xls", excel},
        {L"C:\\docs\\report.pdf", std::nullopt},
        {L"C:\\docs\\report.doc ", std::nullopt},
        {L"C:\\docs\\report.docx.lnk", std::nullopt},
        {L"C:\\dir.doc\\sheet.XLSX", excel},
        {L"C:\\dir.doc\\", std::nullopt},  // no file name at all
        {L"C:\\dir.doc\\notes", std::nullopt},
        {L"C:/docs/sheet.xls", excel},
        {L"C:\\我的 文档\\报告 2016.doc", word},
        {L"C:\\docs\\.pptx", powerPoint},
        {L"doc", std::nullopt},
        {L".DOC", word},
    };
    MainWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(doclist::DocumentKindOf(c.name), c.kind);
        const int before = w.RowCount();
        HDROP drop = MakeDrop({c.name});
        Drop(w, drop);
        EXPECT_FALSE(fixtures::DropAlive(drop)) << "the drop was not released";
        EXPECT_EQ(w.RowCount(), before + (c.kind ? 1 : 0));
        if (c.kind && w.RowCount() == before + 1) {
            EXPECT_EQ(w.Cell(0, 0), c.name);
            EXPECT_EQ(w.Cell(0, 1), L"待处理");
        }
        EXPECT_EQ(w.CountLabel(), std::to_wstring(w.RowCount()));
    }
}

TEST(Drop, FiveNamesWithADuplicateAndARefusedOneAddThree) {
    MainWindow w;
    w.AddRows({L"C:\\in list\\old.xls", L"C:\\in list\\older.doc"});
    const std::vector<std::wstring> names = {L"C:\\new\\a.doc", L"C:\\in list\\old.xls", L"C:\\new\\b.pptx",
                                             L"C:\\new\\c.pdf", L"C:\\new\\d.docx"};
    HDROP drop = MakeDrop(names);
    Drop(w, drop);
    EXPECT_FALSE(fixtures::DropAlive(drop));
    ASSERT_EQ(w.RowCount(), 5);
    EXPECT_EQ(w.CountLabel(), L"5");
    // The accepted name with the highest index is on top; older rows stay below in their order.
    const wchar_t* expected[] = {L"C:\\new\\d.docx", L"C:\\new\\b.pptx", L"C:\\new\\a.doc", L"C:\\in list\\older.doc",
                                 L"C:\\in list\\old.xls"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.Cell(i, 0), expected[i]) << "row " << i;

    // The same drop again, and a name twice in one drop: each path is present once.
    Drop(w, MakeDrop(names));
    Drop(w, MakeDrop({L"C:\\new\\e.xls", L"C:\\new\\e.xls"}));
    EXPECT_EQ(w.RowCount(), 6);
    EXPECT_EQ(w.CountLabel(), L"6");
}

TEST(Drop, NameLongerThanMaxPathArrivesWhole) {
    std::wstring name = L"C:\\long\\";
    name += std::wstring(300 - name.size() - 5, L'长');
    name += L".docx";
    ASSERT_EQ(name.size(), 300u);
    MainWindow w;
    Drop(w, MakeDrop({L"C:\\short.doc", name}));
    ASSERT_EQ(w.RowCount(), 2);
    EXPECT_EQ(w.Cell(0, 0).size(), 300u);
    EXPECT_EQ(w.Cell(0, 0), name);
}

TEST(Drop, EmptyDropStillRefreshesAndReleases) {
    MainWindow w;
    w.dlg().Documents().InsertDocument(L"C:\\a.doc");  // the label still reads 0
    HDROP drop = MakeDrop({});
    Drop(w, drop);
    EXPECT_FALSE(fixtures::DropAlive(drop));
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.CountLabel(), L"1");
}

TEST(Drop, RefusedWhileARunIsActive) {
    MainWindow w;
    w.AddRows({L"C:\\printing\\first.doc"});
    // A run that stays open until the test ends it: no worker thread is started.
    {
        FakeWorker worker;
        w.Click(IDC_START);
    }
    ASSERT_TRUE(w.dlg().Run().Active());
    HDROP drop = MakeDrop({L"C:\\late\\a.doc", L"C:\\late\\b.xls"});
    Drop(w, drop);
    EXPECT_FALSE(fixtures::DropAlive(drop)) << "a refused drop must still be released";
    ASSERT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.Cell(0, 0), L"C:\\printing\\first.doc");
    EXPECT_EQ(w.CountLabel(), L"1");

    ::SendMessageW(w.hwnd(), WM_PRINT_PROGRESS, kRunFinished, 0);
    ASSERT_FALSE(w.dlg().Run().Active());
    Drop(w, MakeDrop({L"C:\\late\\a.doc", L"C:\\late\\b.xls"}));
    EXPECT_EQ(w.RowCount(), 3);
}

}  // namespace
