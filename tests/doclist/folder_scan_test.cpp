// The folder scan on real temporary folders. Wine lists a folder in name order, which the
// listing-order cases below rely on.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <set>

#include "doclist/doclist.h"
#include "fixtures.h"
#include "framework/person.h"
#include "support/main_window.h"

namespace {

using fixtures::Local;
using fixtures::MakeFile;
using fixtures::MakeFolder;
using fixtures::TempFolder;

// Presses "添加目录" with a person who picks `folder` (nothing: cancels); returns what the
// browser was asked to show.
person::FolderBrowserRequest AddFolder(MainWindow& w, std::optional<std::wstring> folder) {
    person::FolderBrowserRequest seen;
    person::Scripted pick(person::FolderBrowserAnswer([&](const person::FolderBrowserRequest& r) {
        seen = r;
        return folder;
    }));
    w.Click(IDC_ADD_FOLDER);
    return seen;
}

std::vector<std::wstring> Scan(const std::wstring& folder, int order) {
    std::vector<std::wstring> result;
    DocumentList::ScanFolder(folder, result, order);
    return result;
}

std::vector<std::wstring> Rows(MainWindow& w) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < w.RowCount(); ++i) rows.push_back(w.Cell(i, 0));
    return rows;
}

TEST(FolderScan, LeastRecentlyWrittenOnTopAndSecondAddAddsNothing) {
    TempFolder dir(L"文件夹 abc 测试");
    MakeFile(dir / L"a.doc", Local(2016, 1, 1));
    MakeFile(dir / L"b.doc", Local(2016, 2, 1));
    MakeFile(dir / L"c.doc", Local(2015, 12, 1));
    MainWindow w;

    person::FolderBrowserRequest asked = AddFolder(w, dir.Path());
    EXPECT_EQ(asked.owner, w.hwnd());
    EXPECT_EQ(asked.title, L"请选择路径: ");
    EXPECT_EQ(asked.flags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));

    EXPECT_EQ(Rows(w), (std::vector<std::wstring>{dir / L"c.doc", dir / L"a.doc", dir / L"b.doc"}));
    for (int i = 0; i < w.RowCount(); ++i) EXPECT_EQ(w.Cell(i, 1), L"待处理");
    EXPECT_EQ(w.CountLabel(), L"3");

    AddFolder(w, dir.Path());
    EXPECT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.CountLabel(), L"3");

    // The scan itself: newest first for the command, oldest first for 0, listing order otherwise;
    // the result is appended to what the array held.
    EXPECT_EQ(Scan(dir.Path(), 1), (std::vector<std::wstring>{dir / L"b.doc", dir / L"a.doc", dir / L"c.doc"}));
    EXPECT_EQ(Scan(dir.Path(), 0), (std::vector<std::wstring>{dir / L"c.doc", dir / L"a.doc", dir / L"b.doc"}));
    EXPECT_EQ(Scan(dir.Path(), 7), (std::vector<std::wstring>{dir / L"a.doc", dir / L"b.doc", dir / L"c.doc"}));
    std::vector<std::wstring> appended{L"kept"};
    DocumentList::ScanFolder(dir.Path(), appended, 1);
    EXPECT_EQ(appended.size(), 4u);
    EXPECT_EQ(appended[0], L"kept");
}

TEST(FolderScan, NewBlockGoesAboveExistingRows) {
    TempFolder dir(L"block");
    MakeFile(dir / L"new1.xlsx", Local(2020, 5, 1));
    MakeFile(dir / L"new2.pptx", Local(2019, 5, 1));
    MainWindow w;
    w.AddRows({L"C:\\before\\x.doc", (dir / L"new1.xlsx").c_str()});
    AddFolder(w, dir.Path());
    EXPECT_EQ(Rows(w), (std::vector<std::wstring>{dir / L"new2.pptx", dir / L"new1.xlsx", L"C:\\before\\x.doc"}));
    EXPECT_EQ(w.CountLabel(), L"3");
}

TEST(FolderScan, EqualKeysKeepListingOrder) {
    TempFolder dir(L"equal");
    const SYSTEMTIME same = Local(2018, 7, 9, 10, 11, 12, 345);
    for (const wchar_t* name : {L"x1.doc", L"x2.doc", L"x3.doc"}) MakeFile(dir / name, same);
    MakeFile(dir / L"x0.doc", Local(2018, 7, 9, 10, 11, 12, 344));  // one millisecond older
    const std::vector<std::wstring> listing{dir / L"x1.doc", dir / L"x2.doc", dir / L"x3.doc"};

    EXPECT_EQ(Scan(dir.Path(), 1), (std::vector<std::wstring>{listing[0], listing[1], listing[2], dir / L"x0.doc"}));
    EXPECT_EQ(Scan(dir.Path(), 0), (std::vector<std::wstring>{dir / L"x0.doc", listing[0], listing[1], listing[2]}));

    MainWindow w;
    AddFolder(w, dir.Path());
    EXPECT_EQ(Rows(w), (std::vector<std::wstring>{dir / L"x0.doc", listing[2], listing[1], listing[0]}));
}

TEST(FolderScan, CancelAndUnlistableFoldersChangeNothing) {
    MainWindow w;
    // Rows without a refresh: a command that ends early must leave the label alone.
    w.dlg().Documents().InsertDocument(L"C:\\a.doc");
    AddFolder(w, std::nullopt);
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.CountLabel(), L"0");

    EXPECT_TRUE(Scan(L"C:\\no such folder\\really.doc", 1).empty());
    TempFolder empty(L"none.doc");  // its own path qualifies, but it holds nothing
    EXPECT_TRUE(Scan(empty.Path(), 1).empty());
}

TEST(FolderScan, MoreThanAThousandEntriesAllArrive) {
    TempFolder dir(L"many");
    constexpr int kFiles = 1500;
    // Names ascend while times descend, so the scan has to reorder the whole listing.
    for (int i = 0; i < kFiles; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"f%04d.doc", i);
        const int j = kFiles - 1 - i;
        MakeFile(dir / name, Local(2015, 1, static_cast<WORD>(1 + j / 1440), static_cast<WORD>(j / 60 % 24),
                                   static_cast<WORD>(j % 60)));
    }
    const std::vector<std::wstring> scanned = Scan(dir.Path(), 0);
    ASSERT_EQ(scanned.size(), static_cast<size_t>(kFiles));
    EXPECT_EQ(std::set<std::wstring>(scanned.begin(), scanned.end()).size(), static_cast<size_t>(kFiles));

    MainWindow w;
    AddFolder(w, dir.Path());
    ASSERT_EQ(w.RowCount(), kFiles);
    EXPECT_EQ(w.CountLabel(), L"1500");
    std::vector<long long> keys;
    std::vector<doclist::Candidate> candidates;
    for (int i = 0; i < w.RowCount(); ++i) candidates.push_back({w.Cell(i, 0), {}});
    keys = doclist::QueryTimeKeys(candidates);
    for (size_t i = 1; i < keys.size(); ++i) ASSERT_LE(keys[i - 1], keys[i]) << "row " << i;
    EXPECT_EQ(w.Cell(0, 0), dir / L"f1499.doc");
    EXPECT_EQ(w.Cell(kFiles - 1, 0), dir / L"f0000.doc");
}

TEST(FolderScan, FoldersPastMaxPathAreListedToo) {
    TempFolder parent(L"long");
    // A folder path of n characters makes a pattern of n + 4; Windows lists one past MAX_PATH
    // only in the \\?\ form.
    auto folderOfLength = [&](size_t n) {
        std::wstring f = parent.Path() + L"\\";
        f += std::wstring(n - f.size(), L'd');
        return f;
    };
    const std::wstring fits = folderOfLength(MAX_PATH - 1 - 4);
    const std::wstring longer = folderOfLength(MAX_PATH - 4);
    for (const std::wstring& f : {fits, longer}) {
        MakeFolder(f, Local(2016, 1, 1));
        MakeFile(f + L"\\a.doc", Local(2016, 1, 1));
        MakeFile(f + L"\\b.xlsx", Local(2016, 2, 1));
        EXPECT_EQ(Scan(f, 1), (std::vector<std::wstring>{f + L"\\b.xlsx", f + L"\\a.doc"}));
    }
}

TEST(FolderScan, TimeKeyIsLocalTimeDigitsToTheMillisecond) {
    EXPECT_EQ(doclist::TimeKey(Local(2016, 3, 5, 14, 7, 9, 45)), 20160305140709045LL);
    EXPECT_EQ(doclist::TimeKey(Local(999, 12, 31, 23, 59, 59, 999)), 9991231235959999LL);

    TempFolder dir(L"key");
    MakeFile(dir / L"k.doc", Local(2016, 3, 5, 14, 7, 9, 45));
    std::vector<doclist::Candidate> listed = doclist::ListCandidates(dir.Path());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(doclist::QueryTimeKeys(listed), std::vector<long long>{20160305140709045LL});
}

TEST(FolderScan, EntryGoneBeforeTheTimeQueryKeepsItsListedPlaceOnce) {
    TempFolder dir(L"gone");
    MakeFile(dir / L"a.doc", Local(2016, 1, 1));
    MakeFile(dir / L"b.doc", Local(2016, 2, 1));
    MakeFile(dir / L"c.doc", Local(2016, 3, 1));
    std::vector<doclist::Candidate> candidates = doclist::ListCandidates(dir.Path());
    ASSERT_EQ(candidates.size(), 3u);
    ASSERT_TRUE(::DeleteFileW((dir / L"b.doc").c_str()));

    const std::vector<long long> keys = doclist::QueryTimeKeys(candidates);
    EXPECT_EQ(keys, (std::vector<long long>{20160101120000000LL, 20160201120000000LL, 20160301120000000LL}));
    EXPECT_EQ(doclist::ResultOrder(keys, 1), (std::vector<size_t>{2, 1, 0}));
    EXPECT_EQ(doclist::ResultOrder(keys, 0), (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(doclist::ResultOrder({5, 3, 5, 1}, 1), (std::vector<size_t>{0, 2, 1, 3}));
    EXPECT_EQ(doclist::ResultOrder({5, 3, 5, 1}, -1), (std::vector<size_t>{0, 1, 2, 3}));
}

}  // namespace
